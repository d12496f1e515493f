#include "widgets/SkinEdit.h"

#include "WidgetTestWindow.h"
#include "support/TestSkinParser.h"

#include <gtest/gtest.h>

namespace {

constexpr COLORREF kNormalBackground = RGB(0, 0, 120);
constexpr COLORREF kOuter = RGB(250, 0, 0);
constexpr COLORREF kOuterShade = RGB(120, 0, 0);
constexpr COLORREF kInner = RGB(0, 250, 0);
constexpr COLORREF kInnerShade = RGB(0, 120, 0);

// Lets the test see what the skin left in the edit.
class InspectableEdit : public CSkinEdit {
public:
    using CSkinEdit::m_titleTip;

    std::vector<UINT> received;

protected:
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override
    {
        if (msg == WM_KEYDOWN || msg == WM_LBUTTONDOWN)
            received.push_back(msg);
        return CSkinEdit::WindowProc(msg, wParam, lParam);
    }
};

class SkinnedEdit : public testing::Test {
protected:
    SkinnedEdit()
    {
        auto& name = skin.section(L"[mv_track_name]");
        name.positions[L"position"] = {POINT{-20, 10}, POINT{50, 0}};
        name.sizes[L"size"] = SIZE{120, 24};
        // Of a cell height of 16.
        name.fonts[L"font"] = LOGFONTW{16, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, L"Tahoma"};
        name.colours[L"color_normal_bk"] = kNormalBackground;
        name.colours[L"color_normal_text"] = RGB(255, 255, 255);
        name.colours[L"color_ext_top_left"] = kOuter;
        name.colours[L"color_ext_bottom_right"] = kOuterShade;
        name.colours[L"color_int_top_left"] = kInner;
        name.colours[L"color_int_bottom_right"] = kInnerShade;
        edit.Create(WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL, CRect(0, 0, 10, 10), &window, 7);
    }

    WidgetTestWindow window{SIZE{300, 200}};
    TestSkinParser skin;
    InspectableEdit edit;
};

} // namespace

TEST_F(SkinnedEdit, LoadPlacesTheEditByAnchorAndOffsetAndNotUsedHidesIt)
{
    EXPECT_FALSE(edit.LoadSkin(&skin, L"[mv_missing]"));
    skin.section(L"[mv_only_position]").positions[L"position"] = {POINT{1, 1}, POINT{0, 0}};
    EXPECT_FALSE(edit.LoadSkin(&skin, L"[mv_only_position]"));
    skin.section(L"[mv_hidden]").bools[L"not_used"] = true;
    EXPECT_TRUE(edit.LoadSkin(&skin, L"[mv_hidden]"));
    EXPECT_FALSE(edit.IsWindowVisible());

    ASSERT_TRUE(edit.LoadSkin(&skin, L"[mv_track_name]"));
    EXPECT_TRUE(edit.IsWindowVisible()) << "a skin that uses the edit shows it again";
    CRect placed;
    edit.GetWindowRect(&placed);
    MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&placed), 2);
    EXPECT_EQ(placed, CRect(130, 10, 250, 34));
}

TEST_F(SkinnedEdit, FrameAndBackgroundComeFromEachEditsSkin)
{
    ASSERT_TRUE(edit.LoadSkin(&skin, L"[mv_track_name]"));
    edit.SetWindowText(L"Ringtone");
    const Picture shot = CaptureWindow(edit);
    EXPECT_EQ(shot.at(0, 0), kOuter);
    EXPECT_EQ(shot.at(shot.width - 1, shot.height - 1), kOuterShade);
    EXPECT_EQ(shot.at(1, 1), kInner);
    EXPECT_EQ(shot.at(shot.width - 2, shot.height - 2), kInnerShade);
    EXPECT_GT(shot.count(kNormalBackground), 100);
    EXPECT_GT(shot.count(RGB(255, 255, 255)), 10) << "the text in its skin colour";

    // A second edit has a brush of its own.
    TestSkinParser other;
    auto& section = other.section(L"[mv_track_name]");
    section = skin.section(L"[mv_track_name]");
    section.colours[L"color_normal_bk"] = RGB(120, 0, 120);
    section.positions[L"position"] = {POINT{10, 100}, POINT{0, 0}};
    InspectableEdit second;
    second.Create(WS_CHILD | WS_VISIBLE, CRect(0, 0, 10, 10), &window, 8);
    ASSERT_TRUE(second.LoadSkin(&other, L"[mv_track_name]"));
    EXPECT_GT(CaptureClientArea(second).count(RGB(120, 0, 120)), 100);
    EXPECT_GT(CaptureClientArea(edit).count(kNormalBackground), 100);

    // A later skin of the first edit brings its own background.
    skin.section(L"[mv_track_name]").colours[L"color_normal_bk"] = RGB(0, 90, 90);
    ASSERT_TRUE(edit.LoadSkin(&skin, L"[mv_track_name]"));
    const Picture reloaded = CaptureClientArea(edit);
    EXPECT_GT(reloaded.count(RGB(0, 90, 90)), 100);
    EXPECT_EQ(reloaded.count(kNormalBackground), 0);
}

TEST_F(SkinnedEdit, TitleTipShowsOverItsItemAndAKeyOrAClickHidesItAndPassesOn)
{
    if (GetEnvironmentVariableW(L"TARVISK_SCREEN_ALONE", nullptr, 0) == 0)
        GTEST_SKIP() << "only in the ctest case TitleTipAlone";
    edit.LoadSkin(&skin, L"[mv_track_name]");
    CTitleTip& tip = edit.m_titleTip;
    tip.Create(&edit);
    SetForegroundWindow(window);
    edit.SetFocus();
    ASSERT_EQ(GetFocus(), edit.GetSafeHwnd());
    const auto messageAt = [&](UINT message, CPoint client, WPARAM wParam) {
        MSG msg{tip.GetSafeHwnd(), message, wParam, 0, 0, client};
        edit.ClientToScreen(&msg.pt);
        return msg;
    };
    const auto show = [&] {
        tip.Show(CRect(0, 0, 100, 16), L"A long track name");
        ASSERT_TRUE(tip.IsWindowVisible());
    };
    tip.Show(CRect(5, 5, 5, 20), L"Hidden");
    EXPECT_FALSE(tip.IsWindowVisible()) << "an empty item has no tip";
    show();

    MSG key = messageAt(WM_KEYDOWN, CPoint(0, 0), 'A');
    EXPECT_TRUE(edit.PreTranslateMessage(&key));
    EXPECT_FALSE(tip.IsWindowVisible());
    PumpMessages();
    EXPECT_EQ(edit.received, std::vector<UINT>{WM_KEYDOWN});

    show();
    MSG click = messageAt(WM_LBUTTONDOWN, CPoint(10, 8), MK_LBUTTON);
    EXPECT_TRUE(tip.PreTranslateMessage(&click));
    EXPECT_FALSE(tip.IsWindowVisible());
    PumpMessages();
    EXPECT_EQ(edit.received, (std::vector<UINT>{WM_KEYDOWN, WM_LBUTTONDOWN}));
    MSG hiddenKey = messageAt(WM_KEYDOWN, CPoint(0, 0), 'B');
    EXPECT_FALSE(tip.PreTranslateMessage(&hiddenKey)) << "a hidden tip lets keys pass";
}
