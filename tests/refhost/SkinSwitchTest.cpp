// The reference host's skins in the live editor, F6 through the host's own
// message loop; every look is read back from the windows themselves.
#include "refhost/HostLoop.h"
#include "support/FacadeFixture.h"
#include "support/ProcessWindows.h"

namespace {

constexpr int kExitButton = 1000;
constexpr int kSave = 101;

// The track name dialog as it showed, and whether its centre was the
// editor's, taken by a timer that runs inside its modal loop, which then
// confirms the dialog and closes the editor.
Picture g_trackNameShown;
bool g_trackNameCentred = false;

void CALLBACK lookAtTrackName(HWND, UINT, UINT_PTR timer, DWORD)
{
    const std::vector<HWND> dialogs = ProcessWindows(
        GetCurrentProcessId(), [](HWND w) { return GetDlgItem(w, 1044) != nullptr; });
    if (dialogs.empty())
        return;
    KillTimer(nullptr, timer);
    g_trackNameShown = PrintClientArea(dialogs.front());
    const HWND editor = GetWindow(dialogs.front(), GW_OWNER);
    RECT shown{}, under{};
    GetWindowRect(dialogs.front(), &shown);
    GetWindowRect(editor, &under);
    g_trackNameCentred = abs(shown.left + shown.right - under.left - under.right) <= 1 &&
                         abs(shown.top + shown.bottom - under.top - under.bottom) <= 1;
    PostMessageW(dialogs.front(), WM_COMMAND, IDOK, 0);
    PostMessageW(editor, WM_COMMAND, kExitButton, 0);
}

class SkinSwitch : public FacadeFixture {
protected:
    // The host's loop, ended by a quit message should the editor stay open.
    void runHostLoop()
    {
        const UINT_PTR guard =
            SetTimer(nullptr, 0, 60000, [](HWND, UINT, UINT_PTR, DWORD) { PostQuitMessage(1); });
        RunHostMessageLoop(tarvisk, skins);
        KillTimer(nullptr, guard);
        ASSERT_FALSE(IsWindowVisible(tarvisk.getMainWindow())) << "the editor closed";
    }

    void expectLooksOf(const wchar_t* skinName)
    {
        const CString folder = BuiltSkin(skinName);
        EXPECT_TRUE(PrintClientArea(tarvisk.getMainWindow()) ==
                    SkinPicture(folder, L"[mv_main]", L"bitmap"))
            << "the main window's face";
        EXPECT_TRUE(PrintClientArea(editor()) == SkinPicture(folder, L"[mv_ctrl]", L"bitmap_bg"))
            << "the editor's face";
        const Picture margin = SkinPicture(folder, L"[mv_stream_view]", L"bitmap_margin");
        const Picture view = PrintClientArea(streamView());
        ASSERT_EQ(view.height, margin.height) << "the stream view's height";
        // Inside the 2-pixel focus ring the opened view shows.
        for (int y = 2; y < margin.height - 2; ++y)
            ASSERT_EQ(view.at(2, y), margin.at(2, y)) << "the stream view's margin at y " << y;
    }

    CSkinSwitcher skins{ExecutableFolder() + L"\\skins", L"light", store};
};

TEST_F(SkinSwitch, F6CyclesFromTheStartSkinAndTheTrackNameDialogKeepsThatOneOverTheEditor)
{
    info.skinParser = &skins.initial();
    ASSERT_TRUE(tarvisk.init(info, &saveCounter));
    tarvisk.openFile(writeSong(L"song.wav", 30));
    expectLooksOf(L"light");
    for (const wchar_t* next : {L"default", L"light", L"default"}) {
        // The user presses F6 in the editor, then closes it.
        ShowWindow(tarvisk.getMainWindow(), SW_SHOW);
        PostMessageW(streamView(), WM_KEYDOWN, VK_F6, 0);
        PostMessageW(tarvisk.getMainWindow(), WM_COMMAND, kExitButton, 0);
        runHostLoop();
        expectLooksOf(next);
    }

    ShowWindow(tarvisk.getMainWindow(), SW_SHOW);
    const UINT_PTR timer = SetTimer(nullptr, 0, 50, lookAtTrackName);
    PostMessageW(editor(), WM_COMMAND, MAKEWPARAM(kSave, 0), 0);
    runHostLoop();
    KillTimer(nullptr, timer);
    EXPECT_EQ(saveCounter.saves, 1);
    EXPECT_TRUE(g_trackNameShown == SkinPicture(BuiltSkin(L"light"), L"[mv_track_name]", L"bitmap"))
        << "the track name dialog in the skin of init";
    EXPECT_TRUE(g_trackNameCentred) << "the track name dialog centred over the editor";
}

} // namespace
