#include "res/resource.h"
#include "support/FacadeFixture.h"
#include "support/MessageBoxWatcher.h"
#include "support/ProcessWindows.h"
#include "support/TestSkinParser.h"
#include "support/AudioFixtures.h"

#include <utility>
#include <vector>

using Facade = FacadeFixture;

// A new dialog after destroy: LogTellsTheBannerHelpThatCannotOpenAndTheGoodbye.
TEST_F(Facade, NothingIsShownBeforeInitWhichMakesTheHiddenDialogOnceAndDestroyRemovesIt)
{
    EXPECT_FALSE(tarvisk.openFile(L"C:\\song.mp3"));
    EXPECT_TRUE(tarvisk.switchSkin(skin));
    EXPECT_EQ(tarvisk.getMainWindow(), nullptr);
    tarvisk.OnSorvenneFullScreenMode(true);
    MSG msg{nullptr, WM_KEYDOWN, VK_SPACE, 0, 0, {}};
    EXPECT_FALSE(tarvisk.PreTranslateMessage(&msg));
    EXPECT_EQ(tarvisk.destroy(), 0);
    EXPECT_TRUE(ThreadWindows().empty());

    ASSERT_TRUE(tarvisk.init(info, &saveCounter));
    const HWND dialog = tarvisk.getMainWindow();
    ASSERT_TRUE(IsWindow(dialog));
    EXPECT_FALSE(IsWindowVisible(dialog));
    const auto windows = ThreadWindows();

    EXPECT_TRUE(tarvisk.init(info, &saveCounter));
    EXPECT_EQ(tarvisk.getMainWindow(), dialog);
    EXPECT_EQ(ThreadWindows(), windows);

    EXPECT_EQ(AfxGetWindowText(dialog), L"Tarvisk Ringtone Editor");

    EXPECT_TRUE(IsFolder(temp.file(L"Tarvisk")));

    // The host's full-screen mode keeps the editor on top.
    tarvisk.OnSorvenneFullScreenMode(true);
    EXPECT_TRUE(GetWindowLongW(dialog, GWL_EXSTYLE) & WS_EX_TOPMOST);
    tarvisk.OnSorvenneFullScreenMode(false);
    EXPECT_FALSE(GetWindowLongW(dialog, GWL_EXSTYLE) & WS_EX_TOPMOST);

    EXPECT_EQ(tarvisk.destroy(), 0);
    EXPECT_FALSE(IsWindow(dialog));
    EXPECT_EQ(tarvisk.getMainWindow(), nullptr);
}

// The language setting gives the texts, the box's included.
TEST_F(Facade, SkinThatDoesNotLoadIsReportedInTheSetLanguageAndTheEditorStillStarts)
{
    store.set(L"Common", L"Language", L"de");
    TestSkinParser incomplete;
    incomplete.section(L"[mv_main]").sizes[L"vh_ctrl_position"] = SIZE{0, 0};
    info.skinParser = &incomplete;
    MessageBoxWatcher boxes;
    ASSERT_TRUE(tarvisk.init(info, &saveCounter));
    EXPECT_EQ(AfxGetWindowText(tarvisk.getMainWindow()), L"Tarvisk Klingelton-Editor");
    EXPECT_EQ(boxes.texts(), std::vector<CString>{L"Fehler beim Laden des Skins"});
}

TEST_F(Facade, DraggingTheEditorsBackgroundMovesTheWindow)
{
    ASSERT_TRUE(tarvisk.init(info, &saveCounter));
    const HWND dialog = tarvisk.getMainWindow();
    ShowWindow(dialog, SW_SHOW);
    const HWND editor = GetDlgItem(dialog, 1);
    // A point of the editor's own surface, covered by none of its children.
    RECT client;
    GetClientRect(editor, &client);
    POINT press{-1, -1};
    for (LONG y = 0; y < client.bottom && press.x < 0; y += 4)
        for (LONG x = 0; x < client.right && press.x < 0; x += 4)
            if (ChildWindowFromPointEx(editor, POINT{x, y}, CWP_SKIPINVISIBLE) == editor)
                press = POINT{x, y};
    ASSERT_GE(press.x, 0) << "the editor has no bare background";
    const auto origin = [&] {
        RECT rect;
        GetWindowRect(dialog, &rect);
        return std::pair{rect.left, rect.top};
    };

    const auto before = origin();
    SendMessageW(editor, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(press.x, press.y));
    EXPECT_EQ(GetCapture(), editor);
    SendMessageW(editor, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(press.x + 30, press.y + 20));
    SendMessageW(editor, WM_LBUTTONUP, 0, MAKELPARAM(press.x + 30, press.y + 20));
    EXPECT_NE(GetCapture(), editor);
    const auto after = origin();
    EXPECT_EQ(after, std::pair(before.first + 30, before.second + 20));
    // Without the button held nothing moves any more.
    SendMessageW(editor, WM_MOUSEMOVE, 0, MAKELPARAM(press.x + 90, press.y + 90));
    EXPECT_EQ(origin(), after);
}

// The log file stays open for the life of the process, so this case needs a
// process of its own, as ctest gives every case.
TEST_F(Facade, LogTellsTheBannerHelpThatCannotOpenAndTheGoodbye)
{
    store.set(L"Common", L"TraceLevel", L"Info");
    MessageBoxWatcher boxes;
    // Help without a link, or with one that cannot open, is only logged.
    const CString link = temp.file(L"missing.chm");
    for (const CString& help : {CString(), link}) {
        info.helpLink = help;
        ASSERT_TRUE(tarvisk.init(info, &saveCounter));
        SendMessageW(tarvisk.getMainWindow(), WM_COMMAND, 1004, 0);
        EXPECT_EQ(tarvisk.destroy(), 0);
    }
    EXPECT_TRUE(boxes.texts().empty());
    // Not initialised any more: destroy still says goodbye.
    const int endBefore = static_cast<int>(edition.logText().size());
    EXPECT_EQ(tarvisk.destroy(), 0);

    const CString text = edition.logText().c_str();
    const int firstLineEnd = text.Find(L" INF: \r\nMelvora version 2.3.4.5\r\nStart date: ");
    ASSERT_NE(firstLineEnd, -1);
    EXPECT_LT(firstLineEnd, 24) << "the banner is the first line";
    for (const wchar_t* part : {L"\r\nOS: Windows ", L"\r\nComputer name: ", L"   User: "})
        EXPECT_NE(text.Find(part), -1) << Narrow(part);
    EXPECT_NE(text.Find(L"CTarviskDlg::OnHelp : empty help link"), -1);
    EXPECT_NE(text.Find(L"CTarviskDlg::OnHelp : error opening help link '" + link + L"' : "), -1);
    EXPECT_NE(text.Find(L" INF: Tarvisk ended\r\n", endBefore), -1);
}

// What the editor keeps when it closes is in the host's file at once, for a
// host killed right after: the file's bytes are read, not the profile calls,
// which could answer from this process's cache.
TEST_F(Facade, ClosingTheEditorPutsItsSettingsOnDiskAtOnce)
{
    ASSERT_TRUE(tarvisk.init(info, &saveCounter));
    const CString song = writeSong(L"song.wav", 4); // the default cut: 1 to 3 s
    tarvisk.openFile(song);
    SendMessageW(tarvisk.getMainWindow(), WM_COMMAND, IDC_EXIT_BUTTON, 0);
    const std::string onDisk = ReadFileBytes(store.path());
    for (const std::string& line :
         {std::string("Cut=1000,3000,0,0"), "InputFileName=" + Narrow(song)})
        EXPECT_NE(onDisk.find(line), std::string::npos) << line << " in\n" << onDisk;
}
