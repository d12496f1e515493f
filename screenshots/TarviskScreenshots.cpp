// Opens the editor on a song and saves pictures of what a user sees: the
// editor in every skin folder beside it, zoomed in on a cut with both fades,
// the track name dialog, the About box, the help window, the progress dialog
// halfway and, for each language, the editor in every skin, the track name
// dialog and an error box.
// tools/screenshots runs it on a display of its own and turns the pictures
// into PNG files.
//
//   TarviskScreenshots.exe SONG   (pictures go to screenshots\ beside it)
#include "TarviskLoader.h"
#include "hostkit/FolderSkinParser.h"
#include "resource.h"
#include "support/TestStore.h"
#include "support/Pixels.h"
#include "support/TempDir.h"

#include <commctrl.h>

#include <cstdio>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

namespace {

// The host's side of a save: these pictures save nothing.
class RefusingSaves : public Tarvisk::IAudioCutterServiceProvider {
public:
    bool saveCut(const std::wstring&, const std::wstring&, int64_t, int64_t, int32_t,
                 int32_t) override
    {
        return false;
    }
};

// Saves the picture as a 32-bit top-down .bmp in the "screenshots" folder
// beside the program; gives the file's path.
CString saveBitmap(const Picture& picture, const wchar_t* name)
{
    const CString folder = ExecutableFolder() + L"\\screenshots";
    CreateDirectoryW(folder, nullptr);
    std::string pixels;
    for (const COLORREF pixel : picture.pixels) {
        const RGBQUAD quad{GetBValue(pixel), GetGValue(pixel), GetRValue(pixel), 0};
        pixels.append(reinterpret_cast<const char*>(&quad), sizeof quad);
    }
    const BITMAPINFOHEADER header{
        sizeof header, picture.width, -picture.height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    const BITMAPFILEHEADER file{0x4D42,
                                static_cast<DWORD>(sizeof file + sizeof header + pixels.size()), 0,
                                0, sizeof file + sizeof header};
    const CString path = folder + L"\\" + name + L".bmp";
    WriteFileBytes(path, std::string(reinterpret_cast<const char*>(&file), sizeof file) +
                             std::string(reinterpret_cast<const char*>(&header), sizeof header) +
                             pixels);
    return path;
}

// A window of a modal loop or a long call is pictured from a timer of this
// thread: the loop that runs meanwhile dispatches it, so the window is
// pictured as the user sees it, between two of its own messages.
struct Wanted {
    std::function<bool(HWND)> matches; // the window to picture is up and ready
    CString name;
    UINT closeCommand = 0; // posted to the window once pictured; 0 leaves it
    bool taken = false;
} g_wanted;

// Magenta marks what lies outside a shaped window; tools/screenshots makes
// it transparent.
constexpr COLORREF kOutside = RGB(255, 0, 255);

// The window as this display shows it. The display is the tool's own, so
// nothing else covers the window; printing it instead would leave out what
// the system draws for it, such as a message box's frame and text.
Picture pictureOnTheDisplay(HWND window)
{
    RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    PumpMessages();
    GdiFlush();
    RECT bounds{};
    GetWindowRect(window, &bounds);
    const int width = bounds.right - bounds.left;
    const int height = bounds.bottom - bounds.top;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, bounds.left, bounds.top, SRCCOPY);
    SelectObject(memory, previous);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    Picture picture = ReadBitmap(bitmap);
    DeleteObject(bitmap);
    return picture;
}

void savePicture(HWND window, const wchar_t* name)
{
    Picture picture = pictureOnTheDisplay(window);
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    if (GetWindowRgn(window, region) != ERROR) {
        for (int y = 0; y < picture.height; ++y)
            for (int x = 0; x < picture.width; ++x)
                if (!PtInRegion(region, x, y))
                    picture.pixels[static_cast<size_t>(y) * picture.width + x] = kOutside;
    }
    DeleteObject(region);
    wprintf(L"screenshots: %ls\n", saveBitmap(picture, name).GetString());
}

BOOL CALLBACK pictureIfWanted(HWND window, LPARAM)
{
    if (g_wanted.taken || !IsWindowVisible(window) || !g_wanted.matches(window))
        return TRUE;
    g_wanted.taken = true;
    savePicture(window, g_wanted.name);
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
        fwprintf(stderr, L"screenshots: %ls was not seen\n", name);
    return g_wanted.taken;
}

CString className(HWND window)
{
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    return name;
}

bool progressBarHalfway(HWND window)
{
    const HWND bar = GetDlgItem(window, IDC_PROGRESS_BAR);
    if (!bar || className(bar) != PROGRESS_CLASSW)
        return false;
    const LRESULT range = SendMessageW(bar, PBM_GETRANGE, FALSE, 0);
    const LRESULT position = SendMessageW(bar, PBM_GETPOS, 0, 0);
    return range > 0 && position * 100 >= range * 48 && position * 100 <= range * 52;
}

bool isMessageBox(HWND window)
{
    return className(window) == L"#32770" && GetDlgItem(window, 0xFFFF) &&
           !GetDlgItem(window, IDC_PROGRESS_BAR);
}

void command(HWND window, int id)
{
    SendMessageW(window, WM_COMMAND, MAKEWPARAM(id, 0), 0);
}

// The skin folder of that name beside the program.
CString skinFolder(const CString& name)
{
    return ExecutableFolder() + L"\\skins\\" + name;
}

// The skins beside the program, the default first.
std::vector<CString> skinFolders()
{
    std::vector<CString> folders{L"default"};
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(skinFolder(L"*"), &found);
    for (BOOL more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileW(search, &found)) {
        const CString name = found.cFileName;
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && name != L"default" &&
            GetFileAttributesW(skinFolder(name) + L"\\skin.ini") != INVALID_FILE_ATTRIBUTES)
            folders.push_back(name);
    }
    if (search != INVALID_HANDLE_VALUE)
        FindClose(search);
    return folders;
}

// The component loaded and started in a language, as a host starts it.
class Editor {
public:
    explicit Editor(const wchar_t* language) : m_skin(skinFolder(L"default"), &m_store)
    {
        m_store.set(L"Common", L"TempFolder", m_temp.path());
        m_store.set(L"Common", L"Language", language);
        m_info.skinParser = &m_skin;
        m_info.configStore = &m_store;
        m_info.hostInfo = &m_host;
        m_info.helpLink = ExecutableFolder() + L"\\Tarvisk.chm";
    }
    ~Editor() { m_tarvisk.destroy(); }

    bool start() { return m_tarvisk.load() && m_tarvisk.init(m_info, &m_saves); }
    CTarviskLibrary& tarvisk() { return m_tarvisk; }
    IConfigStore& settings() { return m_store; }
    HWND main() { return m_tarvisk.getMainWindow(); }
    HWND control() { return GetDlgItem(main(), 1); }

    // Zooms in three times around the middle of the song, where the position
    // starts, and marks a cut there with both fades through the editor's
    // commands and clicks on the position strip, at fractions of the view.
    void markACutWithFades()
    {
        for (int i = 0; i < 3; ++i)
            command(control(), 11);
        command(control(), 31); // the cut, out of sight, moves to the position
        setPositionAt(0.25);
        command(control(), 31); // its begin moves back to here
        setPositionAt(0.38);
        command(control(), 41);
        setPositionAt(0.74);
        command(control(), 42);
        setPositionAt(0.55);
        PumpMessages();
    }

private:
    void setPositionAt(double fraction)
    {
        const HWND view = GetDlgItem(control(), 999999);
        wchar_t range[64] = {};
        GetPrivateProfileStringW(L"mv_stream_view", L"slider_range", L"", range, 64,
                                 skinFolder(L"default") + L"\\skin.ini");
        int left = 0, top = 0, right = 0, bottom = 0;
        swscanf(range, L"%d,%d,%d,%d", &left, &top, &right, &bottom);
        RECT client{};
        GetClientRect(view, &client);
        const LPARAM point =
            MAKELPARAM(static_cast<int>(client.right * fraction), (top + bottom) / 2);
        SendMessageW(view, WM_LBUTTONDOWN, MK_LBUTTON, point);
        SendMessageW(view, WM_LBUTTONUP, 0, point);
    }

    TempDir m_temp;
    TestStore m_store;
    FixedHostInfo m_host{L"Screenshots"};
    CFolderSkinParser m_skin;
    RefusingSaves m_saves;
    CTarvisk::TVSKInitInfo m_info;
    CTarviskLibrary m_tarvisk;
};

} // namespace

int wmain(int argc, wchar_t** argv)
{
    setvbuf(stdout, nullptr, _IONBF, 0);
    if (argc != 2) {
        fwprintf(stderr, L"usage: TarviskScreenshots SONG\n");
        return 2;
    }
    const CString song = argv[1];
    bool complete = true;

    {
        Editor editor(L"en");
        if (!editor.start()) {
            fwprintf(stderr, L"screenshots: the editor could not be started\n");
            return 1;
        }
        complete &= pictureDuring(L"progress-halfway", progressBarHalfway, 0,
                                  [&] { editor.tarvisk().openFile(song); });
        editor.markACutWithFades();
        for (const CString& folder : skinFolders()) {
            CFolderSkinParser skin(skinFolder(folder));
            if (!editor.tarvisk().switchSkin(skin)) {
                fwprintf(stderr, L"screenshots: skin %ls does not load\n", folder.GetString());
                complete = false;
                continue;
            }
            savePicture(editor.main(), L"editor-" + folder);
        }
        CFolderSkinParser skin(skinFolder(L"default"));
        editor.tarvisk().switchSkin(skin);
        // As on monitors at 150 % and 200 %, then back at 100 %: the move
        // from one monitor to another as the system announces it.
        RECT normal{};
        GetWindowRect(editor.main(), &normal);
        const std::pair<UINT, const wchar_t*> scales[] = {
            {144, L"editor-150"}, {192, L"editor-200"}, {96, nullptr}};
        for (const auto& [dpi, name] : scales) {
            const RECT place{0, 0, MulDiv(normal.right - normal.left, dpi, 96),
                             MulDiv(normal.bottom - normal.top, dpi, 96)};
            SendMessageW(editor.main(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi),
                         reinterpret_cast<LPARAM>(&place));
            if (name)
                savePicture(editor.main(), name);
        }
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
        // The help opens beside the editor and stays open.
        command(editor.main(), 1004);
        const HWND help = FindWindowW(L"HH Parent", nullptr);
        if (help) {
            savePicture(help, L"help");
            DestroyWindow(help);
        }
        complete &= help != nullptr;
    }

    for (const wchar_t* language : {L"en", L"de", L"fr", L"ja"}) {
        // They outlive the editor, which borrows their cursors.
        std::vector<std::unique_ptr<CFolderSkinParser>> skins;
        Editor editor(language);
        if (!editor.start())
            return 1;
        editor.tarvisk().openFile(song);
        editor.markACutWithFades();
        for (const CString& folder : skinFolders()) {
            skins.push_back(
                std::make_unique<CFolderSkinParser>(skinFolder(folder), &editor.settings()));
            complete &= editor.tarvisk().switchSkin(*skins.back());
            savePicture(editor.main(), CString(L"language-editor-") + language + L"-" + folder);
        }
        complete &= pictureDuring(
            CString(L"language-track-name-") + language,
            [](HWND window) { return GetDlgItem(window, IDC_TRACK_NAME) != nullptr; }, IDCANCEL,
            [&] { command(editor.control(), 101); });
        // An error box: its text and its caption's buttons.
        complete &= pictureDuring(CString(L"language-box-") + language, isMessageBox, IDOK,
                                  [&] { editor.tarvisk().openFile(L"C:\\songs\\tune.xyz"); });
    }
    return complete ? 0 : 1;
}
