// The reference host: loads the component, hands it a skin folder, an INI
// configuration store and a service provider, opens the file given on the
// command line and pumps messages until the editor is closed. F6 switches
// the open editor to the next skin of the skins folder beside the host.
// Saved cuts become ringtones in the format --format names, which the INI
// file then remembers; WAV when neither says.
//
//   TarviskHost.exe [--config FILE.ini] [--skin NAME|FOLDER] [--format wav|ogg|mp3|m4r]
//                   [AUDIOFILE]
#include "TarviskLoader.h"
#include "hostkit/FolderSkinParser.h"
#include "hostkit/IniConfigStore.h"
#include "refhost/HostLoop.h"
#include "refhost/HostOutput.h"
#include "refhost/RingtoneWriter.h"
#include "refhost/SkinSwitcher.h"

#include <cstdio>

namespace {

const wchar_t kTitle[] = L"Tarvisk reference host";
// The host's own key in its INI file, beside the component's sections.
const wchar_t kHostSection[] = L"TarviskHost";
const wchar_t kFormatKey[] = L"RingtoneFormat";

class CHostInfo : public IHostInfo {
public:
    CString GetEdition() override { return L"Reference"; }
};

// Writes the saved cut as a ringtone into the output folder the user chose.
class CServiceProvider : public Tarvisk::IAudioCutterServiceProvider {
public:
    CServiceProvider(CIniConfigStore& store, RingtoneFormat format)
        : m_store(store), m_format(format)
    {
    }

    bool saveCut(const std::wstring& inputFile, const std::wstring& trackName, int64_t cutBegin,
                 int64_t cutEnd, int32_t fadeIn, int32_t fadeOut) override
    {
        PrintLine(stdout, L"saveCut " + Quoted(inputFile) + L" " + Quoted(trackName) + L" " +
                              std::to_wstring(cutBegin) + L" " + std::to_wstring(cutEnd) + L" " +
                              std::to_wstring(fadeIn) + L" " + std::to_wstring(fadeOut));
        // The component decodes into its work folder what it cannot read in place.
        const CString workFolderStream =
            m_store.value(L"Common", L"TempFolder") + L"\\Tarvisk\\temp.in";
        const std::wstring outputFolder = m_store.value(L"Common", L"OutputFolder").str();
        // Asked before the file is written, while the editor is still open to
        // shorten the cut: a host started from the desktop has no console.
        const int64_t limit = RingtoneLengthLimit(m_format);
        if (limit > 0 && cutEnd - cutBegin > limit) {
            const std::wstring question =
                L"The cut is " + std::to_wstring((cutEnd - cutBegin + 999) / 1000) +
                L" seconds long, and an iPhone takes ringtones of up to " +
                std::to_wstring(limit / 1000) + L" seconds. Save it anyway?";
            if (MessageBoxW(nullptr, question.c_str(), kTitle, MB_ICONWARNING | MB_YESNO) != IDYES)
                return false;
        }
        RingtoneRequest request{DecodedStream(inputFile, workFolderStream.str()),
                                outputFolder,
                                trackName,
                                cutBegin,
                                cutEnd,
                                fadeIn,
                                fadeOut,
                                m_format};
        std::wstring path, error;
        if (!WriteRingtone(request, path, error)) {
            MessageBoxW(nullptr, (L"The ringtone was not saved: " + error).c_str(), kTitle,
                        MB_ICONERROR | MB_OK);
            return false;
        }
        PrintLine(stdout, L"saved " + Quoted(path));
        MessageBoxW(nullptr, (L"Ringtone saved as " + path).c_str(), kTitle,
                    MB_ICONINFORMATION | MB_OK);
        return true;
    }

private:
    CIniConfigStore& m_store;
    RingtoneFormat m_format;
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
    PrintLine(stderr, std::wstring(L"TarviskHost: ") + text);
    MessageBoxW(nullptr, text, kTitle, MB_ICONERROR | MB_OK);
    return 1;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    const CString folder = executableFolder();
    CString configPath = folder + L"\\TarviskHost.ini";
    CString skin = L"default";
    CString formatName;
    CString file;
    for (int i = 1; i < argc; ++i) {
        const CString arg = argv[i];
        if (arg == L"--config" && i + 1 < argc)
            configPath = argv[++i];
        else if (arg == L"--skin" && i + 1 < argc)
            skin = argv[++i];
        else if (arg == L"--format" && i + 1 < argc)
            formatName = argv[++i];
        else
            file = arg;
    }

    const bool formatGiven = !formatName.IsEmpty();
    if (!formatGiven) {
        wchar_t remembered[16] = {};
        GetPrivateProfileStringW(kHostSection, kFormatKey, L"wav", remembered, 16, configPath);
        formatName = remembered;
    }
    RingtoneFormat format;
    if (!ParseRingtoneFormat(formatName.str(), format)) {
        return fail(
            (L"Unknown ringtone format \"" + formatName.str() +
             L"\": use wav, ogg, mp3 or m4r (--format, or RingtoneFormat in the [TarviskHost] "
             L"section of the INI file).")
                .c_str());
    }
    if (formatGiven)
        WritePrivateProfileStringW(kHostSection, kFormatKey, RingtoneFormatName(format),
                                   configPath);

    CTarviskLibrary tarvisk;
    if (!tarvisk.load((folder + L"\\Tarvisk.dll").GetString()))
        return fail(L"Tarvisk.dll could not be loaded.");

    CIniConfigStore store(configPath);
    CHostInfo hostInfo;
    CSkinSwitcher skins(folder + L"\\skins", skin, store);
    CServiceProvider provider(store, format);
    CTarvisk::TVSKInitInfo info;
    info.skinParser = &skins.initial();
    info.configStore = &store;
    info.hostInfo = &hostInfo;
    info.helpLink = folder + L"\\Tarvisk.chm";
    if (!tarvisk.init(info, &provider)) {
        tarvisk.destroy();
        return fail(L"The editor could not be started.");
    }
    tarvisk.openFile(file);
    if (!file.IsEmpty())
        PrintLine(stdout, L"opened " + Quoted(file.str()));
    RunHostMessageLoop(tarvisk, skins);
    tarvisk.destroy();
    return 0;
}
