// The reference host: loads the component, hands it a skin folder, an INI
// configuration store and a service provider, opens the file given on the
// command line and pumps messages until the editor is closed.
//
//   TarviskHost.exe [--config FILE.ini] [--skin FOLDER] [AUDIOFILE]
#include "TarviskLoader.h"
#include "hostkit/FolderSkinParser.h"
#include "hostkit/IniConfigStore.h"
#include "refhost/RingtoneWriter.h"

#include <cstdio>

namespace {

const wchar_t kTitle[] = L"Tarvisk reference host";

class CHostInfo : public IHostInfo {
public:
    CString GetEdition() override { return L"Reference"; }
};

// Writes the saved cut as a WAV file into the output folder the user chose.
class CServiceProvider : public Tarvisk::IAudioCutterServiceProvider {
public:
    explicit CServiceProvider(CIniConfigStore& store) : m_store(store) {}

    bool saveCut(const std::wstring& inputFile, const std::wstring& trackName, int64_t cutBegin,
                 int64_t cutEnd, int32_t fadeIn, int32_t fadeOut) override
    {
        wprintf(L"saveCut \"%s\" \"%s\" %I64d %I64d %d %d\n", inputFile.c_str(), trackName.c_str(),
                cutBegin, cutEnd, fadeIn, fadeOut);
        // The component leaves the decoded stream of the open file here.
        const CString decoded = m_store.value(L"Common", L"TempFolder") + L"\\Tarvisk\\temp.in";
        RingtoneRequest request{decoded.str(), m_store.value(L"Common", L"OutputFolder").str(),
                                trackName, cutBegin, cutEnd, fadeIn, fadeOut};
        std::wstring path, error;
        if (!WriteRingtone(request, path, error)) {
            MessageBoxW(nullptr, (L"The ringtone was not saved: " + error).c_str(), kTitle,
                        MB_ICONERROR | MB_OK);
            return false;
        }
        wprintf(L"saved \"%s\"\n", path.c_str());
        MessageBoxW(nullptr, (L"Ringtone saved as " + path).c_str(), kTitle, MB_ICONINFORMATION | MB_OK);
        return true;
    }

private:
    CIniConfigStore& m_store;
};

CString executableFolder()
{
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    CString folder = path;
    return folder.Left(folder.ReverseFind(L'\\'));
}

int fail(const wchar_t* text)
{
    fwprintf(stderr, L"TarviskHost: %s\n", text);
    MessageBoxW(nullptr, text, kTitle, MB_ICONERROR | MB_OK);
    return 1;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    setvbuf(stdout, nullptr, _IONBF, 0);
    const CString folder = executableFolder();
    CString configPath = folder + L"\\TarviskHost.ini";
    CString skinFolder = folder + L"\\skin";
    CString file;
    for (int i = 1; i < argc; ++i) {
        const CString arg = argv[i];
        if (arg == L"--config" && i + 1 < argc)
            configPath = argv[++i];
        else if (arg == L"--skin" && i + 1 < argc)
            skinFolder = argv[++i];
        else
            file = arg;
    }

    CTarviskLibrary tarvisk;
    if (!tarvisk.load((folder + L"\\Tarvisk.dll").GetString()))
        return fail(L"Tarvisk.dll could not be loaded.");

    CIniConfigStore store(configPath);
    CHostInfo hostInfo;
    CFolderSkinParser skin(skinFolder);
    CServiceProvider provider(store);
    CTarvisk::TVSKInitInfo info;
    info.skinParser = &skin;
    info.configStore = &store;
    info.hostInfo = &hostInfo;
    info.helpLink = folder + L"\\Tarvisk.chm";
    if (!tarvisk.init(info, &provider)) {
        tarvisk.destroy();
        return fail(L"The editor could not be started.");
    }
    tarvisk.openFile(file);

    // The editor hides itself when the user closes it; then the host ends.
    const UINT_PTR watch = SetTimer(nullptr, 0, 250, nullptr);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (msg.message == WM_TIMER && msg.hwnd == nullptr && msg.wParam == watch &&
            !IsWindowVisible(tarvisk.getMainWindow()))
            break;
        if (!tarvisk.PreTranslateMessage(&msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    KillTimer(nullptr, watch);
    tarvisk.destroy();
    return 0;
}
