// The component as a host sees it: Tarvisk.dll loaded at run time and
// driven through its exported facade.
#include "support/ComponentLog.h"
#include "support/FacadeFixture.h"
#include "support/MessageBoxWatcher.h"
#include "support/TestSkinParser.h"
#include "support/TestText.h"

#include <gtest/gtest.h>

#include <atomic>
#include <optional>
#include <thread>
#include <vector>

namespace {

// Records what the component hands over for saving.
class NoSaves : public Tarvisk::IAudioCutterServiceProvider {
public:
    struct Save {
        std::wstring input, name;
        int64_t begin, end;
        int32_t fadeIn, fadeOut;
    };
    std::vector<Save> saves;

    bool saveCut(const std::wstring& input, const std::wstring& name, int64_t begin, int64_t end,
                 int32_t fadeIn, int32_t fadeOut) override
    {
        saves.push_back({input, name, begin, end, fadeIn, fadeOut});
        return true;
    }
};

// Plays the user of the track name dialog: types the name and presses OK.
class TrackNameTyper {
public:
    explicit TrackNameTyper(const wchar_t* name) : m_name(name), m_thread([this] { run(); }) {}
    ~TrackNameTyper()
    {
        m_stop = true;
        m_thread.join();
    }
    bool answered() const { return m_answered; }

private:
    void run()
    {
        while (!m_stop && !m_answered) {
            EnumThreadWindows(m_uiThread, answer, reinterpret_cast<LPARAM>(this));
            Sleep(20);
        }
    }
    static BOOL CALLBACK answer(HWND window, LPARAM self)
    {
        auto* typer = reinterpret_cast<TrackNameTyper*>(self);
        HWND edit = GetDlgItem(window, 1044);
        if (!IsWindowVisible(window) || !edit)
            return TRUE;
        SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(typer->m_name));
        PostMessageW(window, WM_COMMAND, IDOK, 0);
        typer->m_answered = true;
        return FALSE;
    }

    const wchar_t* m_name;
    DWORD m_uiThread = GetCurrentThreadId();
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_answered{false};
    std::thread m_thread;
};

void click(HWND button)
{
    SendMessageW(button, WM_MOUSEMOVE, 0, MAKELPARAM(2, 2));
    SendMessageW(button, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
    SendMessageW(button, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
}

std::vector<HWND> threadWindows()
{
    std::vector<HWND> windows;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND hwnd, LPARAM out) {
            reinterpret_cast<std::vector<HWND>*>(out)->push_back(hwnd);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&windows));
    return windows;
}

class Facade : public FacadeFixture {
protected:
    Facade() : FacadeFixture(L"FacadeTest") {}

    void SetUp() override
    {
        FacadeFixture::SetUp();
        store.preset(L"Common", L"TraceLevel", L"Info");
    }

    // Text of this process's log file.
    CString logText() const { return ComponentLogText(dataRoot()).c_str(); }

    NoSaves saves;
};

} // namespace

TEST_F(Facade, BeforeInitNothingIsShownOrMade)
{
    EXPECT_FALSE(tarvisk.openFile(L"C:\\song.mp3"));
    EXPECT_TRUE(tarvisk.switchSkin(skin));
    EXPECT_EQ(tarvisk.getMainWindow(), nullptr);
    tarvisk.OnSorvenneFullScreenMode(true);
    MSG msg{nullptr, WM_KEYDOWN, VK_SPACE, 0, 0, {}};
    EXPECT_FALSE(tarvisk.PreTranslateMessage(&msg));
    EXPECT_EQ(tarvisk.destroy(), 0);
    EXPECT_TRUE(threadWindows().empty());
}

TEST_F(Facade, InitCreatesTheHiddenDialogOnceAndTheWorkFolder)
{
    ASSERT_TRUE(tarvisk.init(info, &saves));
    const HWND dialog = tarvisk.getMainWindow();
    ASSERT_TRUE(IsWindow(dialog));
    EXPECT_FALSE(IsWindowVisible(dialog));
    const auto windows = threadWindows();

    EXPECT_TRUE(tarvisk.init(info, &saves));
    EXPECT_EQ(tarvisk.getMainWindow(), dialog);
    EXPECT_EQ(threadWindows(), windows);

    CDynBitmap face;
    ASSERT_TRUE(skin.selectSection(L"[mv_main]") && skin.getBitmap(L"bitmap", face));
    RECT rect;
    GetWindowRect(dialog, &rect);
    EXPECT_EQ(rect.right - rect.left, face.GetWidth()) << "the skin's face sets the size";
    EXPECT_EQ(rect.bottom - rect.top, face.GetHeight());
    wchar_t title[64] = {};
    GetWindowTextW(dialog, title, 64);
    EXPECT_STREQ(title, L"Tarvisk Ringtone Editor");

    const DWORD work = GetFileAttributesW(temp.file(L"Tarvisk"));
    ASSERT_NE(work, INVALID_FILE_ATTRIBUTES);
    EXPECT_TRUE(work & FILE_ATTRIBUTE_DIRECTORY);
}

TEST_F(Facade, InitAfterDestroyMakesANewDialog)
{
    ASSERT_TRUE(tarvisk.init(info, &saves));
    const HWND first = tarvisk.getMainWindow();
    EXPECT_EQ(tarvisk.destroy(), 0);
    EXPECT_FALSE(IsWindow(first));
    EXPECT_EQ(tarvisk.getMainWindow(), nullptr);

    ASSERT_TRUE(tarvisk.init(info, &saves));
    const HWND second = tarvisk.getMainWindow();
    EXPECT_TRUE(IsWindow(second));
    EXPECT_NE(second, first);
}

TEST_F(Facade, OpenFileShowsTheEditorAndReportsNothing)
{
    ASSERT_TRUE(tarvisk.init(info, &saves));
    MSG msg{tarvisk.getMainWindow(), WM_KEYDOWN, VK_SPACE, 0, 0, {}};
    EXPECT_FALSE(tarvisk.PreTranslateMessage(&msg));
    MessageBoxWatcher boxes;
    EXPECT_FALSE(tarvisk.openFile(temp.file(L"missing.mp3")));
    EXPECT_TRUE(IsWindowVisible(tarvisk.getMainWindow()));
    EXPECT_EQ(boxes.texts().size(), 1u) << "the failed open is told to the user, not the host";
}

TEST_F(Facade, FullScreenModeKeepsTheEditorOnTop)
{
    ASSERT_TRUE(tarvisk.init(info, &saves));
    const HWND dialog = tarvisk.getMainWindow();
    tarvisk.OnSorvenneFullScreenMode(true);
    EXPECT_TRUE(GetWindowLongW(dialog, GWL_EXSTYLE) & WS_EX_TOPMOST);
    tarvisk.OnSorvenneFullScreenMode(false);
    EXPECT_FALSE(GetWindowLongW(dialog, GWL_EXSTYLE) & WS_EX_TOPMOST);
}

// The log file stays open for the life of the process, so this case needs a
// process of its own, as ctest gives every case.
TEST_F(Facade, LogStartsWithTheBannerAndEndsWithTheGoodbye)
{
    ASSERT_TRUE(tarvisk.init(info, &saves));
    EXPECT_EQ(tarvisk.destroy(), 0);
    // Not initialised any more: destroy still says goodbye.
    EXPECT_EQ(tarvisk.destroy(), 0);

    const CString text = logText();
    ASSERT_FALSE(text.IsEmpty());
    const int firstLineEnd = text.Find(L" INF: \r\nMelvora version 2.3.4.5\r\nStart date: ");
    ASSERT_NE(firstLineEnd, -1);
    EXPECT_LT(firstLineEnd, 24) << "the banner is the first line";
    EXPECT_NE(text.Find(L"\r\nOS: Windows "), -1);
    EXPECT_NE(text.Find(L"\r\nComputer name: "), -1);
    EXPECT_NE(text.Find(L"   User: "), -1);
    EXPECT_NE(text.Find(L"\r\nBuild time: "), -1);

    const int goodbye = text.Find(L" INF: Tarvisk ended\r\n");
    ASSERT_NE(goodbye, -1);
    EXPECT_NE(text.Find(L" INF: Tarvisk ended\r\n", goodbye + 1), -1);
}

TEST_F(Facade, SkinThatDoesNotLoadIsReportedAndTheEditorStillStarts)
{
    TestSkinParser incomplete;
    incomplete.section(L"[mv_main]").sizes[L"vh_ctrl_position"] = SIZE{0, 0};
    info.skinParser = &incomplete;
    MessageBoxWatcher boxes;
    ASSERT_TRUE(tarvisk.init(info, &saves));
    EXPECT_TRUE(IsWindow(tarvisk.getMainWindow()));
    EXPECT_EQ(boxes.texts(), std::vector<CString>{L"Error loading skin"});
}

TEST_F(Facade, GermanLanguageSettingGivesGermanTexts)
{
    store.preset(L"Common", L"Language", L"de");
    ASSERT_TRUE(tarvisk.init(info, &saves));
    wchar_t title[64] = {};
    GetWindowTextW(tarvisk.getMainWindow(), title, 64);
    EXPECT_STREQ(title, L"Tarvisk Klingelton-Editor");
}

TEST_F(Facade, OpenedSongIsCutAndHandedToTheHostUnderItsName)
{
    ASSERT_TRUE(tarvisk.init(info, &saves));
    const CString song = FixturePath(L"tone.mp3");
    MessageBoxWatcher boxes;
    tarvisk.openFile(song);
    ASSERT_TRUE(boxes.texts().empty()) << Narrow(boxes.texts()[0]);

    HWND editor = GetDlgItem(tarvisk.getMainWindow(), 1);
    HWND save = GetDlgItem(editor, 101);
    ASSERT_NE(save, nullptr);
    {
        TrackNameTyper typer(L"My Tone");
        click(save);
        EXPECT_TRUE(typer.answered());
    }
    ASSERT_EQ(saves.saves.size(), 1u);
    const auto& saved = saves.saves[0];
    EXPECT_EQ(saved.input, song.str());
    EXPECT_EQ(saved.name, L"My Tone");
    EXPECT_GE(saved.begin, 0);
    EXPECT_GE(saved.end - saved.begin, 1000);
    EXPECT_LE(saved.end, 3100);
    EXPECT_EQ(saved.fadeIn, 0);
    EXPECT_EQ(saved.fadeOut, 0);
    EXPECT_TRUE(IsWindowVisible(tarvisk.getMainWindow())) << "save alone keeps the editor open";
}

TEST_F(Facade, MinimiseButtonAndSystemMenuMinimiseAndRestoreTheEditor)
{
    ASSERT_TRUE(tarvisk.init(info, &saves));
    const HWND dialog = tarvisk.getMainWindow();
    ShowWindow(dialog, SW_SHOW);
    HMENU menu = GetSystemMenu(dialog, FALSE);
    EXPECT_EQ(GetMenuState(menu, SC_SIZE, MF_BYCOMMAND), UINT(-1)) << "no sizing entry";
    EXPECT_EQ(GetMenuState(menu, SC_MAXIMIZE, MF_BYCOMMAND), UINT(-1)) << "no maximise entry";
    wchar_t about[32] = {};
    GetMenuStringW(menu, 16, about, 32, MF_BYCOMMAND);
    EXPECT_STREQ(about, L"&About");

    SendMessageW(dialog, WM_SYSCOMMAND, SC_MAXIMIZE, 0);
    EXPECT_FALSE(IsZoomed(dialog)) << "a normal window is not maximised";
    SendMessageW(dialog, WM_INITMENU, reinterpret_cast<WPARAM>(menu), 0);
    EXPECT_FALSE(GetMenuState(menu, SC_MINIMIZE, MF_BYCOMMAND) & MF_GRAYED);

    click(GetDlgItem(dialog, 1002));
    EXPECT_TRUE(IsIconic(dialog));
    SendMessageW(dialog, WM_INITMENU, reinterpret_cast<WPARAM>(menu), 0);
    EXPECT_TRUE(GetMenuState(menu, SC_MINIMIZE, MF_BYCOMMAND) & MF_GRAYED)
        << "a minimised window offers no minimise";
    UpdateWindow(dialog); // the minimised painting must not fail

    SendMessageW(dialog, WM_SYSCOMMAND, SC_MAXIMIZE, 0);
    EXPECT_FALSE(IsIconic(dialog)) << "maximise restores a minimised editor";
    EXPECT_FALSE(IsZoomed(dialog));
}

TEST_F(Facade, DraggingTheEditorsBackgroundMovesTheWindow)
{
    ASSERT_TRUE(tarvisk.init(info, &saves));
    const HWND dialog = tarvisk.getMainWindow();
    ShowWindow(dialog, SW_SHOW);
    SetWindowPos(dialog, nullptr, 100, 100, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    const HWND editor = GetDlgItem(dialog, 1);
    // A point of the editor's own surface, covered by none of its children.
    RECT client;
    GetClientRect(editor, &client);
    std::optional<POINT> bare;
    for (LONG y = 0; y < client.bottom && !bare; y += 4) {
        for (LONG x = 0; x < client.right && !bare; x += 4) {
            if (ChildWindowFromPointEx(editor, POINT{x, y}, CWP_SKIPINVISIBLE) == editor)
                bare = POINT{x, y};
        }
    }
    ASSERT_TRUE(bare) << "the editor has no bare background";
    const POINT press = *bare;

    RECT before;
    GetWindowRect(dialog, &before);
    SendMessageW(editor, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(press.x, press.y));
    EXPECT_EQ(GetCapture(), editor);
    SendMessageW(editor, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(press.x + 30, press.y + 20));
    SendMessageW(editor, WM_LBUTTONUP, 0, MAKELPARAM(press.x + 30, press.y + 20));
    EXPECT_NE(GetCapture(), editor);
    RECT after;
    GetWindowRect(dialog, &after);
    EXPECT_EQ(after.left - before.left, 30);
    EXPECT_EQ(after.top - before.top, 20);

    // Without the button held nothing moves any more.
    SendMessageW(editor, WM_MOUSEMOVE, 0, MAKELPARAM(press.x + 90, press.y + 90));
    RECT still;
    GetWindowRect(dialog, &still);
    EXPECT_EQ(still.left, after.left);
}

// Help failures are only logged: the editor carries on as it was.
TEST_F(Facade, HelpWithoutALinkOrOneThatCannotOpenIsOnlyLogged)
{
    MessageBoxWatcher boxes;
    const CString link = temp.file(L"missing.chm");
    for (const CString& help : {CString(), link}) {
        info.helpLink = help;
        ASSERT_TRUE(tarvisk.init(info, &saves));
        click(GetDlgItem(tarvisk.getMainWindow(), 1004));
        EXPECT_EQ(tarvisk.destroy(), 0);
    }
    const CString log = logText();
    EXPECT_NE(log.Find(L"CTarviskDlg::OnHelp : empty help link"), -1);
    EXPECT_NE(log.Find(L"CTarviskDlg::OnHelp : error opening help link '" + link + L"' : "), -1);
    EXPECT_TRUE(boxes.texts().empty());
}
