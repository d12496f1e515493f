// Opens the editor on a song and saves pictures of what a user sees: the
// editor in every skin folder beside it, zoomed in on a cut with both fades,
// the track name dialog, the About box, the progress dialog halfway and, for
// each language, the editor with an error box. tools/screenshots runs it on a
// display of its own and turns the pictures into PNG files.
//
//   TarviskScreenshots.exe SONG.wav   (pictures go to screenshots\ beside it)
#include "TarviskLoader.h"
#include "refhost/FolderSkinParser.h"
#include "resource.h"
#include "support/MemoryConfigStore.h"
#include "support/Pixels.h"
#include "support/TempDir.h"

#include <commctrl.h>

#include <cstdio>
#include <functional>
#include <vector>

namespace {

class NoSaves : public Tarvisk::IAudioCutterServiceProvider {
public:
    bool saveCut(const std::wstring&, const std::wstring&, int64_t, int64_t, int32_t,
                 int32_t) override
    {
        return false;
    }
};

class CHostInfo : public IHostInfo {
public:
    CString GetEdition() override { return L"Screenshots"; }
};

// A window of a modal loop or a long call is pictured from a timer of this
// thread: the loop that runs meanwhile dispatches it, so the window is
// pictured as the user sees it, between two of its own messages.
struct Wanted {
    std::function<bool(HWND)> matches; // the window to picture is up and ready
    CString name;
    UINT closeCommand = 0; // posted to the window once pictured; 0 leaves it
    bool taken = false;
} g_wanted;

BOOL CALLBACK pictureIfWanted(HWND window, LPARAM)
{
    if (g_wanted.taken || !IsWindowVisible(window) || !g_wanted.matches(window))
        return TRUE;
    g_wanted.taken = true;
    wprintf(L"screenshots: %s\n", SaveWindowScreenshot(window, g_wanted.name).GetString());
    if (g_wanted.closeCommand)
        PostMessageW(window, WM_COMMAND, g_wanted.closeCommand, 0);
    return FALSE;
}

void CALLBACK onTimer(HWND, UINT, UINT_PTR, DWORD)
{
    EnumThreadWindows(GetCurrentThreadId(), pictureIfWanted, 0);
}

// Runs the action (which shows the window and waits for it) and pictures the
// window that matches while it is up.
bool pictureDuring(const wchar_t* name, std::function<bool(HWND)> matches, UINT closeCommand,
                   const std::function<void()>& action)
{
    g_wanted = Wanted{std::move(matches), name, closeCommand, false};
    const UINT_PTR timer = SetTimer(nullptr, 0, 10, onTimer);
    action();
    KillTimer(nullptr, timer);
    if (!g_wanted.taken)
        fwprintf(stderr, L"screenshots: %s was not seen\n", name);
    return g_wanted.taken;
}

bool progressBarHalfway(HWND window)
{
    const HWND bar = GetDlgItem(window, IDC_PROGRESS_BAR);
    wchar_t windowClass[32] = {};
    GetClassNameW(bar, windowClass, 32);
    if (!bar || CString(windowClass) != PROGRESS_CLASSW)
        return false;
    const LRESULT range = SendMessageW(bar, PBM_GETRANGE, FALSE, 0);
    const LRESULT position = SendMessageW(bar, PBM_GETPOS, 0, 0);
    return range > 0 && position * 100 >= range * 45 && position * 100 <= range * 55;
}

bool isMessageBox(HWND window)
{
    wchar_t windowClass[32] = {};
    GetClassNameW(window, windowClass, 32);
    return CString(windowClass) == L"#32770" && GetDlgItem(window, 0xFFFF) &&
           !GetDlgItem(window, IDC_PROGRESS_BAR);
}

void command(HWND window, int id)
{
    SendMessageW(window, WM_COMMAND, MAKEWPARAM(id, 0), 0);
}

// The skin folders beside the program, the default "skin" first.
std::vector<CString> skinFolders()
{
    std::vector<CString> folders{L"skin"};
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(ExecutableFolder() + L"\\*", &found);
    for (BOOL more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileW(search, &found)) {
        const CString name = found.cFileName;
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && name != L"skin" &&
            GetFileAttributesW(ExecutableFolder() + L"\\" + name + L"\\skin.ini") !=
                INVALID_FILE_ATTRIBUTES)
            folders.push_back(name);
    }
    if (search != INVALID_HANDLE_VALUE)
        FindClose(search);
    return folders;
}

// One run of the editor in a language: opened on the song with the cut
// zoomed in, as init and openFile leave it.
class Editor {
public:
    Editor(const wchar_t* language, const CString& cut) : m_skin(ExecutableFolder() + L"\\skin")
    {
        m_store.preset(L"Common", L"TempFolder", m_temp.path());
        m_store.preset(L"Common", L"Language", language);
        m_store.preset(L"MV_Settings", L"Cut", cut);
        m_info.skinParser = &m_skin;
        m_info.configStore = &m_store;
        m_info.hostInfo = &m_host;
        m_info.helpLink = ExecutableFolder() + L"\\Tarvisk.chm";
    }
    ~Editor() { m_tarvisk.destroy(); }

    bool start() { return m_tarvisk.load() && m_tarvisk.init(m_info, &m_saves); }
    CTarviskLibrary& tarvisk() { return m_tarvisk; }
    HWND main() { return m_tarvisk.getMainWindow(); }
    HWND control() { return GetDlgItem(main(), 1); }

    // The position starts in the middle of the song, where the cut lies.
    void zoomOntoTheCut(int steps)
    {
        for (int i = 0; i < steps; ++i)
            command(control(), 11);
        PumpMessages();
    }

private:
    TempDir m_temp;
    MemoryConfigStore m_store;
    CHostInfo m_host;
    CFolderSkinParser m_skin;
    NoSaves m_saves;
    CTarvisk::TVSKInitInfo m_info;
    CTarviskLibrary m_tarvisk;
};

} // namespace

int wmain(int argc, wchar_t** argv)
{
    setvbuf(stdout, nullptr, _IONBF, 0);
    if (argc != 3) {
        fwprintf(stderr,
                 L"usage: TarviskScreenshots SONG CUT (begin,end,fade-in,fade-out in ms)\n");
        return 2;
    }
    const CString song = argv[1];
    const CString cut = argv[2];
    bool complete = true;

    {
        Editor editor(L"en", cut);
        if (!editor.start()) {
            fwprintf(stderr, L"screenshots: the editor could not be started\n");
            return 1;
        }
        complete &= pictureDuring(L"progress-halfway", progressBarHalfway, 0,
                                  [&] { editor.tarvisk().openFile(song); });
        editor.zoomOntoTheCut(3);
        for (const CString& folder : skinFolders()) {
            CFolderSkinParser skin(ExecutableFolder() + L"\\" + folder);
            if (!editor.tarvisk().switchSkin(skin)) {
                fwprintf(stderr, L"screenshots: skin %s does not load\n", folder.GetString());
                complete = false;
                continue;
            }
            wprintf(L"screenshots: %s\n",
                    SaveWindowScreenshot(editor.main(), L"editor-" + folder).GetString());
        }
        CFolderSkinParser skin(ExecutableFolder() + L"\\skin");
        editor.tarvisk().switchSkin(skin);
        complete &= pictureDuring(
            L"track-name",
            [](HWND window) {
                const HWND name = GetDlgItem(window, IDC_TRACK_NAME);
                if (name)
                    SetWindowTextW(name, L"Evening chimes");
                return name != nullptr;
            },
            IDCANCEL, [&] { command(editor.control(), 101); });
        complete &= pictureDuring(
            L"about", [](HWND window) { return GetDlgItem(window, IDC_ABOUT_PRODUCT) != nullptr; },
            IDOK, [&] { command(editor.main(), 1001); });
    }

    for (const wchar_t* language : {L"en", L"de", L"fr", L"ja"}) {
        Editor editor(language, cut);
        if (!editor.start())
            return 1;
        editor.tarvisk().openFile(song);
        editor.zoomOntoTheCut(3);
        SaveWindowScreenshot(editor.main(), CString(L"language-editor-") + language);
        // An error box: its text and its caption's buttons.
        complete &= pictureDuring(CString(L"language-box-") + language, isMessageBox, IDOK,
                                  [&] { editor.tarvisk().openFile(L"C:\\songs\\tune.xyz"); });
    }
    return complete ? 0 : 1;
}
