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
    using CSkinEdit::m_backgroundBitmap;
    using CSkinEdit::m_showTitleTip;
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

LOGFONTW fontOfHeight(int cellHeight)
{
    LOGFONTW font{};
    font.lfHeight = cellHeight;
    lstrcpyW(font.lfFaceName, L"Tahoma");
    return font;
}

class SkinnedEdit : public testing::Test {
protected:
    SkinnedEdit()
    {
        auto& name = skin.section(L"[mv_track_name]");
        name.positions[L"position"] = {POINT{-20, 10}, POINT{50, 0}};
        name.sizes[L"size"] = SIZE{120, 24};
        name.fonts[L"font"] = fontOfHeight(16);
        name.colours[L"color_normal_bk"] = kNormalBackground;
        name.colours[L"color_normal_text"] = RGB(255, 255, 255);
        name.colours[L"color_ext_top_left"] = kOuter;
        name.colours[L"color_ext_bottom_right"] = kOuterShade;
        name.colours[L"color_int_top_left"] = kInner;
        name.colours[L"color_int_bottom_right"] = kInnerShade;
        edit.Create(WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL, CRect(0, 0, 10, 10), &window, 7);
    }

    CRect placement(CWnd& control)
    {
        CRect rect;
        control.GetWindowRect(&rect);
        ::MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&rect), 2);
        return rect;
    }

    WidgetTestWindow window{SIZE{300, 200}};
    TestSkinParser skin;
    InspectableEdit edit;
};

} // namespace

TEST_F(SkinnedEdit, LoadPlacesTheEditByAnchorAndOffset)
{
    EXPECT_FALSE(edit.LoadSkin(&skin, L"[mv_missing]"));
    ASSERT_TRUE(edit.LoadSkin(&skin, L"[mv_track_name]"));
    EXPECT_EQ(placement(edit), CRect(130, 10, 250, 34));

    skin.section(L"[mv_only_position]").positions[L"position"] = {POINT{1, 1}, POINT{0, 0}};
    EXPECT_FALSE(edit.LoadSkin(&skin, L"[mv_only_position]"));
}

TEST_F(SkinnedEdit, NotUsedHidesTheEditAndSucceedsUntilASkinUsesItAgain)
{
    skin.section(L"[mv_hidden]").bools[L"not_used"] = true;
    EXPECT_TRUE(edit.LoadSkin(&skin, L"[mv_hidden]"));
    EXPECT_FALSE(edit.IsWindowVisible());
    ASSERT_TRUE(edit.LoadSkin(&skin, L"[mv_track_name]"));
    EXPECT_TRUE(edit.IsWindowVisible());
}

TEST_F(SkinnedEdit, WithoutAFontKeyTheDefaultGuiFontIsSet)
{
    skin.section(L"[mv_track_name]").fonts.clear();
    ASSERT_TRUE(edit.LoadSkin(&skin, L"[mv_track_name]"));
    EXPECT_EQ(edit.GetFont(), static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)));
}

TEST_F(SkinnedEdit, BackgroundWithoutBitmapIsTheEightByEightPattern)
{
    skin.section(L"[mv_track_name]").bools[L"use_bitmap_bg"] = true;
    ASSERT_TRUE(edit.LoadSkin(&skin, L"[mv_track_name]"));
    BITMAP info{};
    ASSERT_TRUE(edit.m_backgroundBitmap.GetBitmapInfo(info));
    EXPECT_EQ(info.bmWidth, 8);
    EXPECT_EQ(info.bmHeight, 8);
    EXPECT_EQ(info.bmBitsPixel, 1);
    BYTE rows[16] = {};
    ASSERT_EQ(GetBitmapBits(edit.m_backgroundBitmap, sizeof rows, rows), 16);
    for (int row = 0; row < 7; ++row)
        EXPECT_EQ(rows[row * 2], 0xFF) << "row " << row;
    EXPECT_EQ(rows[14], 0x00);
}

TEST_F(SkinnedEdit, OneTextLineSitsCentredBetweenEqualInsets)
{
    ASSERT_TRUE(edit.LoadSkin(&skin, L"[mv_track_name]"));
    {
        CClientDC dc(&edit);
        dc.SelectObject(edit.GetFont());
        ASSERT_EQ(dc.GetTextExtent(L"Ky").cy, 16) << "the skin's font is 16 pixels high";
    }
    CRect client;
    edit.GetClientRect(&client);
    EXPECT_EQ(client.Height(), 16);
    CPoint clientOrigin(0, 0);
    edit.ClientToScreen(&clientOrigin);
    CRect bounds;
    edit.GetWindowRect(&bounds);
    EXPECT_EQ(clientOrigin.y - bounds.top, 4);

    skin.section(L"[mv_track_name]").ints[L"left_margin"] = 6;
    skin.section(L"[mv_track_name]").ints[L"right_margin"] = 3;
    ASSERT_TRUE(edit.LoadSkin(&skin, L"[mv_track_name]"));
    edit.GetClientRect(&client);
    EXPECT_EQ(client.Width(), 120 - 9);
}

TEST_F(SkinnedEdit, FrameAndBackgroundComeFromTheSkin)
{
    ASSERT_TRUE(edit.LoadSkin(&skin, L"[mv_track_name]"));
    edit.SetWindowText(L"Ringtone");
    const Picture shot = CaptureWindow(edit);
    SaveScreenshot(shot, L"skin_edit");
    EXPECT_EQ(shot.at(0, 0), kOuter);
    EXPECT_EQ(shot.at(shot.width - 1, shot.height - 1), kOuterShade);
    EXPECT_EQ(shot.at(1, 1), kInner);
    EXPECT_EQ(shot.at(shot.width - 2, shot.height - 2), kInnerShade);
    EXPECT_GT(shot.count(kNormalBackground), 100);
    EXPECT_GT(shot.count(RGB(255, 255, 255)), 10) << "the text in its skin colour";
}

TEST_F(SkinnedEdit, BackgroundBrushesFollowEachEditsColours)
{
    ASSERT_TRUE(edit.LoadSkin(&skin, L"[mv_track_name]"));
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

TEST_F(SkinnedEdit, NegativeOffsetsCountFromTheRightThroughTheGenericInterface)
{
    ASSERT_TRUE(edit.LoadSkin(&skin, L"[mv_track_name]"));
    IGenericCtrl& control = edit;
    EXPECT_TRUE(control.isReady());
    control.setPosition(-50, 20, nullptr);
    EXPECT_EQ(placement(edit), CRect(250, 20, 370, 44));

    HDWP defer = BeginDeferWindowPos(1);
    defer = control.setPositionAndSize(-100, -40, 80, 20, defer);
    ASSERT_NE(defer, nullptr);
    EndDeferWindowPos(defer);
    EXPECT_EQ(placement(edit), CRect(200, 160, 280, 180));
    EXPECT_EQ(control.getSize(), CSize(80, 20));
    EXPECT_EQ(control.getPosition(), CPoint(-100, -40));

    const CRect area(10, 10, 110, 60);
    control.reposition(nullptr, false, &area, true);
    EXPECT_EQ(placement(edit), CRect(10, 20, 90, 40));
    control.showCtrl(false);
    EXPECT_FALSE(edit.IsWindowVisible());
}

class VisibleTitleTip : public SkinnedEdit {
protected:
    VisibleTitleTip()
    {
        edit.LoadSkin(&skin, L"[mv_track_name]");
        edit.m_titleTip.Create(&edit);
        SetForegroundWindow(window);
        edit.SetFocus();
    }
    void show() { edit.m_titleTip.Show(CRect(0, 0, 100, 16), L"A long track name"); }
    MSG messageAt(UINT message, CPoint client, WPARAM wParam = 0)
    {
        MSG msg{edit.m_titleTip.GetSafeHwnd(), message, wParam, 0, 0, client};
        edit.ClientToScreen(&msg.pt);
        return msg;
    }
};

TEST_F(VisibleTitleTip, ShowsOverItsItemAndNotForAnEmptyOne)
{
    edit.m_titleTip.Show(CRect(5, 5, 5, 20), L"Hidden");
    EXPECT_FALSE(edit.m_titleTip.IsWindowVisible());
    ASSERT_EQ(GetFocus(), edit.GetSafeHwnd());
    show();
    EXPECT_TRUE(edit.m_titleTip.IsWindowVisible());
    SaveWindowScreenshot(edit.m_titleTip, L"title_tip");
}

TEST_F(VisibleTitleTip, KeyPressHidesTheTipAndReachesTheParent)
{
    show();
    ASSERT_TRUE(edit.m_titleTip.IsWindowVisible());
    MSG key = messageAt(WM_KEYDOWN, CPoint(0, 0), 'A');
    EXPECT_TRUE(edit.PreTranslateMessage(&key));
    EXPECT_FALSE(edit.m_titleTip.IsWindowVisible());
    PumpMessages();
    EXPECT_EQ(edit.received, std::vector<UINT>{WM_KEYDOWN});
}

TEST_F(VisibleTitleTip, ClickHidesTheTipAndReachesTheControlUnderIt)
{
    show();
    ASSERT_TRUE(edit.m_titleTip.IsWindowVisible());
    MSG click = messageAt(WM_LBUTTONDOWN, CPoint(10, 8), MK_LBUTTON);
    EXPECT_TRUE(edit.m_titleTip.PreTranslateMessage(&click));
    EXPECT_FALSE(edit.m_titleTip.IsWindowVisible());
    PumpMessages();
    EXPECT_EQ(edit.received, std::vector<UINT>{WM_LBUTTONDOWN});

    MSG hiddenKey = messageAt(WM_KEYDOWN, CPoint(0, 0), 'B');
    EXPECT_FALSE(edit.m_titleTip.PreTranslateMessage(&hiddenKey)) << "a hidden tip lets keys pass";
}
