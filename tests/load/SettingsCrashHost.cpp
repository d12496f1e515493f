// A host that dies hard: it loads the component with the reference host's
// INI store, opens a file, closes the editor as the user would, tells the
// test so through the named event, and then waits to be killed.
//
//   SettingsCrashHost.exe CONFIG.ini SKINFOLDER AUDIOFILE EVENTNAME
#include "TarviskLoader.h"
#include "hostkit/FolderSkinParser.h"
#include "hostkit/IniConfigStore.h"
#include "res/resource.h"

namespace {

class CHostInfo : public IHostInfo {
public:
    CString GetEdition() override { return L"SettingsCrash"; }
};

} // namespace

int wmain(int argc, wchar_t** argv)
{
    HANDLE closed = argc == 5 ? OpenEventW(EVENT_MODIFY_STATE, FALSE, argv[4]) : nullptr;
    CTarviskLibrary tarvisk;
    if (!closed || !tarvisk.load())
        return 1; // the test sees the host end before the close
    CIniConfigStore store(argv[1]);
    CHostInfo hostInfo;
    CFolderSkinParser skin(argv[2]);
    CTarvisk::TVSKInitInfo info;
    info.skinParser = &skin;
    info.configStore = &store;
    info.hostInfo = &hostInfo;
    info.helpLink = L"help.chm";
    if (!tarvisk.init(info, nullptr))
        return 1;
    tarvisk.openFile(argv[3]);
    SendMessageW(tarvisk.getMainWindow(), WM_COMMAND, MAKEWPARAM(IDC_EXIT_BUTTON, 0), 0);
    SetEvent(closed);
    // No destroy, no unload, no exit: the test ends this process from outside.
    Sleep(INFINITE);
    return 0;
}
