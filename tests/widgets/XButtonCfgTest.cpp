#include "widgets/XButtonCfg.h"

#include "WidgetTestWindow.h"
#include "support/TestSkinParser.h"

#include <gtest/gtest.h>

namespace {

constexpr SIZE kButtonSize{40, 20};

void giveFullButton(TestSkinParser::Section& section, const CString& suffix = L"")
{
    section.positions[L"position" + suffix] = {POINT{5, 6}, POINT{0, 0}};
    section.sizes[L"size" + suffix] = kButtonSize;
    section.bitmaps[L"bitmap_up" + suffix] = {RGB(200, 0, 0), kButtonSize};
    section.bitmaps[L"bitmap_do" + suffix] = {RGB(0, 0, 200), kButtonSize};
    section.bitmaps[L"bitmap_mo" + suffix] = {RGB(0, 200, 0), kButtonSize};
}

} // namespace

TEST(XButtonCfgLoad, RequiredKeysDecideWhetherTheButtonLoadsAndNotUsedHidesIt)
{
    TestSkinParser skin;
    CXButtonCfg cfg;
    EXPECT_FALSE(cfg.load(skin, L"[mv_btn_missing]", -1, XBUTTON_PUSH));

    auto& push = skin.section(L"[mv_btn_push]");
    giveFullButton(push);
    EXPECT_TRUE(cfg.load(skin, L"[mv_btn_push]", -1, XBUTTON_PUSH));
    EXPECT_EQ(cfg.bitmapMouseOver.GetSize().cx, kButtonSize.cx);
    push.bitmaps.erase(L"bitmap_mo");
    EXPECT_FALSE(cfg.load(skin, L"[mv_btn_push]", -1, XBUTTON_PUSH)) << "a push button needs three";
    // The off-state name stands in for the plain one.
    push.bitmaps[L"bitmap_off_mo"] = {RGB(0, 90, 0), kButtonSize};
    EXPECT_TRUE(cfg.load(skin, L"[mv_btn_push]", -1, XBUTTON_PUSH));

    auto& label = skin.section(L"[mv_lbl]");
    label.positions[L"position"] = {POINT{1, 2}, POINT{0, 0}};
    label.sizes[L"size"] = SIZE{80, 16};
    EXPECT_FALSE(cfg.load(skin, L"[mv_lbl]", -1, XBUTTON_LABEL));
    label.bitmaps[L"bitmap_bg"] = {RGB(9, 9, 9), SIZE{80, 16}};
    EXPECT_TRUE(cfg.load(skin, L"[mv_lbl]", -1, XBUTTON_LABEL));
    EXPECT_EQ(cfg.bitmapUp.GetWidth(), 80);
    EXPECT_EQ(cfg.offset.y, 2);

    // Indexed keys carry the index; without an up bitmap a place is enough
    // (a fresh configuration: a loaded one keeps the bitmaps it had).
    CXButtonCfg indexed;
    auto& set = skin.section(L"[mv_btn_set]");
    set.positions[L"position2"] = {POINT{7, 8}, POINT{0, 0}};
    set.sizes[L"size2"] = SIZE{30, 12};
    set.colours[L"font_color_up2"] = RGB(4, 5, 6);
    set.colours[L"font_color_up"] = RGB(7, 7, 7);
    EXPECT_TRUE(indexed.load(skin, L"[mv_btn_set]", 2, XBUTTON_PUSH));
    EXPECT_EQ(indexed.colourUp, RGB(4, 5, 6));
    EXPECT_EQ(indexed.offset.x, 7);
    giveFullButton(set, L"2");
    set.bitmaps.erase(L"bitmap_do2");
    EXPECT_FALSE(indexed.load(skin, L"[mv_btn_set]", 2, XBUTTON_PUSH))
        << "with an up bitmap, all three";

    // Not used succeeds whatever else is given, reads nothing more, and a
    // later skin that uses the button shows it again.
    TestSkinParser hiding;
    auto& hidden = hiding.section(L"[mv_btn_push]");
    giveFullButton(hidden);
    hidden.bools[L"not_used"] = true;
    hidden.colours[L"font_color_up"] = RGB(1, 2, 3);
    CXButtonCfg fresh;
    EXPECT_TRUE(fresh.load(hiding, L"[mv_btn_push]", -1, XBUTTON_PUSH));
    EXPECT_FALSE(fresh.used);
    EXPECT_TRUE(fresh.notUsed);
    EXPECT_EQ(fresh.colourUp, 0u);
    EXPECT_EQ(fresh.bitmapUp.GetSafeHandle(), nullptr);
    ASSERT_TRUE(fresh.load(skin, L"[mv_btn_push]", -1, XBUTTON_PUSH));
    EXPECT_TRUE(fresh.used);
    EXPECT_FALSE(fresh.notUsed);
}

TEST(XButtonCfgLoad, EveryKeyReachesItsFieldAndASecondSkinKeepsWhatItDoesNotGive)
{
    TestSkinParser skin;
    auto& section = skin.section(L"[mv_btn_all]");
    giveFullButton(section);
    const wchar_t* colourKeys[] = {L"font_color_up",    L"font_color_do",     L"font_color_mo",
                                   L"font_color_da",    L"font_color_off_da", L"font_color_do_mo",
                                   L"font_color_do_mp", L"font_color_up_mp"};
    for (int i = 0; i < 8; ++i)
        section.colours[colourKeys[i]] = RGB(10 + i, 0, 0);
    const wchar_t* bitmapKeys[] = {L"bitmap_on_up", L"bitmap_on_do", L"bitmap_on_mo",
                                   L"bitmap_on_da", L"bitmap_off_up"};
    for (int i = 0; i < 5; ++i)
        section.bitmaps[bitmapKeys[i]] = {RGB(2, 2, 2), SIZE{41 + i, 20}};
    section.bitmaps[L"bitmap_da"] = {RGB(1, 1, 1), kButtonSize};
    section.texts[L"resize_behavior"] = L"stretch";
    section.texts[L"caption"] = L"Old";
    section.bools[L"mouseover"] = false;
    section.cursors[L"cursor"] = LoadCursorW(nullptr, IDC_HAND);
    section.fonts[L"font"] = LOGFONTW{-12};
    section.horizontalAlignments[L"textHorizontalAlignment"] = DT_CENTER;
    section.ints[L"textLeftMargin"] = 3;
    CXButtonCfg cfg;
    ASSERT_TRUE(cfg.load(skin, L"[mv_btn_all]", -1, XBUTTON_TOGGLE));
    const COLORREF colours[] = {
        cfg.colourUp,          cfg.colourDown,          cfg.colourMouseOver,   cfg.colourDisabled,
        cfg.colourOffDisabled, cfg.colourDownMouseOver, cfg.colourDownPressed, cfg.colourUpPressed};
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(colours[i], RGB(10 + i, 0, 0)) << colourKeys[i];
    const CDynBitmap* bitmaps[] = {&cfg.bitmapOnUp, &cfg.bitmapOnDown, &cfg.bitmapOnMouseOver,
                                   &cfg.bitmapOnDisabled, &cfg.bitmapUp};
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(bitmaps[i]->GetWidth(), 41 + i) << bitmapKeys[i];
    EXPECT_NE(cfg.bitmapDisabled.GetSafeHandle(), nullptr);
    EXPECT_EQ(cfg.resizeBehavior, L"stretch");
    EXPECT_FALSE(cfg.mouseOverEnabled);
    EXPECT_EQ(cfg.cursor, LoadCursorW(nullptr, IDC_HAND));
    EXPECT_NE(cfg.font.GetSafeHandle(), nullptr);
    EXPECT_EQ(cfg.horizontalAlignment, static_cast<UINT>(DT_CENTER));
    EXPECT_EQ(cfg.leftMargin, 3);
    EXPECT_EQ(cfg.caption, L"Old");

    TestSkinParser second;
    giveFullButton(second.section(L"[mv_btn_all]"));
    ASSERT_TRUE(cfg.load(second, L"[mv_btn_all]", -1, XBUTTON_PUSH));
    EXPECT_EQ(cfg.colourUp, RGB(10, 0, 0));
    EXPECT_EQ(cfg.caption, L"") << "captions are emptied at each load";
    EXPECT_EQ(cfg.leftMargin, -1) << "caption layout starts from its defaults";
}

TEST(XButtonCfgLoad, CaptionsByKindAndMultilineBreaks)
{
    TestSkinParser skin;
    auto& section = skin.section(L"[mv_btn_caption]");
    giveFullButton(section);
    section.texts[L"caption_up"] = L"Up";
    section.texts[L"caption_do"] = L"Down";
    CXButtonCfg cfg;
    ASSERT_TRUE(cfg.load(skin, L"[mv_btn_caption]", -1, XBUTTON_TOGGLE));
    EXPECT_EQ(cfg.caption, L"") << "caption_up is for kind 2 only";
    ASSERT_TRUE(cfg.load(skin, L"[mv_btn_caption]", -1, XBUTTON_TOGGLE_CAPTIONS));
    EXPECT_EQ(cfg.caption, L"Up");
    EXPECT_EQ(cfg.captionDown, L"Down");

    section.texts[L"caption"] = L"Line1\\nLine2\\n";
    ASSERT_TRUE(cfg.load(skin, L"[mv_btn_caption]", -1, XBUTTON_PUSH));
    EXPECT_EQ(cfg.caption, L"Line1\\nLine2\\n");
    section.bools[L"multiline"] = true;
    ASSERT_TRUE(cfg.load(skin, L"[mv_btn_caption]", -1, XBUTTON_PUSH));
    EXPECT_EQ(cfg.caption, L"Line1\r\nLine2\r\n");
    EXPECT_EQ(cfg.captionDown, L"");
}

TEST(XButtonCfgPlace, AnchorInPercentOfTheParentPlusOffset)
{
    WidgetTestWindow parent(SIZE{300, 200});
    CStatic child;
    child.Create(L"", WS_CHILD | WS_VISIBLE, CRect(0, 0, 5, 5), &parent, 1);
    CXButtonCfg cfg;
    cfg.anchorPercent = POINT{50, 100};
    cfg.offset = POINT{-20, -30};
    cfg.size = SIZE{60, 25};
    ASSERT_TRUE(cfg.place(&child));
    CRect placed;
    child.GetWindowRect(&placed);
    ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&placed), 2);
    EXPECT_EQ(placed, CRect(130, 170, 190, 195));
    CStatic never;
    EXPECT_FALSE(cfg.place(&never));
    EXPECT_FALSE(cfg.place(nullptr));
}
