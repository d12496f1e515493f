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

TEST(XButtonCfgLoad, MissingSectionFailsAndNotUsedSucceedsWhateverElseIsGiven)
{
    TestSkinParser skin;
    CXButtonCfg cfg;
    EXPECT_FALSE(cfg.load(skin, L"[mv_btn_missing]", -1, XBUTTON_PUSH));

    auto& section = skin.section(L"[mv_btn_hidden]");
    giveFullButton(section);
    section.bools[L"not_used"] = true;
    section.colours[L"font_color_up"] = RGB(1, 2, 3);
    EXPECT_TRUE(cfg.load(skin, L"[mv_btn_hidden]", -1, XBUTTON_PUSH));
    EXPECT_FALSE(cfg.used);
    EXPECT_TRUE(cfg.notUsed);
    EXPECT_EQ(cfg.colourUp, 0u) << "nothing after not_used is read";
    EXPECT_EQ(cfg.bitmapUp.GetSafeHandle(), nullptr);
}

TEST(XButtonCfgLoad, PushButtonNeedsAllThreeBitmapsAndLabelOnlyTheBackground)
{
    TestSkinParser skin;
    auto& push = skin.section(L"[mv_btn_push]");
    giveFullButton(push);
    CXButtonCfg complete;
    EXPECT_TRUE(complete.load(skin, L"[mv_btn_push]", -1, XBUTTON_PUSH));
    EXPECT_EQ(complete.bitmapMouseOver.GetSize().cx, kButtonSize.cx);

    push.bitmaps.erase(L"bitmap_mo");
    CXButtonCfg withoutHover;
    EXPECT_FALSE(withoutHover.load(skin, L"[mv_btn_push]", -1, XBUTTON_PUSH));
    // The off-state name stands in for the plain one.
    push.bitmaps[L"bitmap_off_mo"] = {RGB(0, 90, 0), kButtonSize};
    EXPECT_TRUE(withoutHover.load(skin, L"[mv_btn_push]", -1, XBUTTON_PUSH));

    auto& label = skin.section(L"[mv_lbl]");
    label.positions[L"position"] = {POINT{1, 2}, POINT{0, 0}};
    label.sizes[L"size"] = SIZE{80, 16};
    CXButtonCfg labelCfg;
    EXPECT_FALSE(labelCfg.load(skin, L"[mv_lbl]", -1, XBUTTON_LABEL));
    label.bitmaps[L"bitmap_bg"] = {RGB(9, 9, 9), SIZE{80, 16}};
    EXPECT_TRUE(labelCfg.load(skin, L"[mv_lbl]", -1, XBUTTON_LABEL));
    EXPECT_EQ(labelCfg.bitmapUp.GetWidth(), 80);
    EXPECT_EQ(labelCfg.size.cx, 80);
    EXPECT_EQ(labelCfg.offset.y, 2);
}

TEST(XButtonCfgLoad, IndexedKeysCarryTheIndexAndNeedOnlyAPlaceWithoutBitmap)
{
    TestSkinParser skin;
    auto& section = skin.section(L"[mv_btn_set]");
    section.positions[L"position2"] = {POINT{7, 8}, POINT{0, 0}};
    section.sizes[L"size2"] = SIZE{30, 12};
    section.colours[L"font_color_up2"] = RGB(4, 5, 6);
    section.colours[L"font_color_up"] = RGB(7, 7, 7);
    CXButtonCfg cfg;
    EXPECT_TRUE(cfg.load(skin, L"[mv_btn_set]", 2, XBUTTON_PUSH));
    EXPECT_EQ(cfg.colourUp, RGB(4, 5, 6));
    EXPECT_EQ(cfg.offset.x, 7);

    giveFullButton(section, L"2");
    section.bitmaps.erase(L"bitmap_do2");
    EXPECT_FALSE(cfg.load(skin, L"[mv_btn_set]", 2, XBUTTON_PUSH))
        << "with an up bitmap the full rule applies";
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

TEST(XButtonCfgLoad, EveryKeyReachesItsField)
{
    TestSkinParser skin;
    auto& section = skin.section(L"[mv_btn_all]");
    giveFullButton(section);
    const wchar_t* colourKeys[] = {L"font_color_up", L"font_color_do", L"font_color_mo",
                                   L"font_color_da", L"font_color_off_da", L"font_color_do_mo",
                                   L"font_color_do_mp", L"font_color_up_mp"};
    for (int i = 0; i < 8; ++i)
        section.colours[colourKeys[i]] = RGB(10 + i, 0, 0);
    section.bitmaps[L"bitmap_da"] = {RGB(1, 1, 1), kButtonSize};
    section.bitmaps[L"bitmap_on_up"] = {RGB(2, 2, 2), SIZE{41, 20}};
    section.bitmaps[L"bitmap_on_do"] = {RGB(2, 2, 2), SIZE{42, 20}};
    section.bitmaps[L"bitmap_on_mo"] = {RGB(2, 2, 2), SIZE{43, 20}};
    section.bitmaps[L"bitmap_on_da"] = {RGB(2, 2, 2), SIZE{44, 20}};
    section.bitmaps[L"bitmap_off_up"] = {RGB(3, 3, 3), SIZE{45, 20}};
    section.texts[L"resize_behavior"] = L"stretch";
    section.bools[L"mouseover"] = false;
    section.cursors[L"cursor"] = LoadCursorW(nullptr, IDC_HAND);
    LOGFONTW font{};
    font.lfHeight = -12;
    section.fonts[L"font"] = font;
    section.horizontalAlignments[L"textHorizontalAlignment"] = DT_CENTER;
    section.ints[L"textLeftMargin"] = 3;
    CXButtonCfg cfg;
    ASSERT_TRUE(cfg.load(skin, L"[mv_btn_all]", -1, XBUTTON_TOGGLE));
    const COLORREF colours[] = {cfg.colourUp, cfg.colourDown, cfg.colourMouseOver,
                                cfg.colourDisabled, cfg.colourOffDisabled, cfg.colourDownMouseOver,
                                cfg.colourDownPressed, cfg.colourUpPressed};
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(colours[i], RGB(10 + i, 0, 0)) << colourKeys[i];
    EXPECT_EQ(cfg.bitmapUp.GetWidth(), 45) << "bitmap_off_up replaces bitmap_up";
    EXPECT_EQ(cfg.bitmapOnUp.GetWidth(), 41);
    EXPECT_EQ(cfg.bitmapOnDown.GetWidth(), 42);
    EXPECT_EQ(cfg.bitmapOnMouseOver.GetWidth(), 43);
    EXPECT_EQ(cfg.bitmapOnDisabled.GetWidth(), 44);
    EXPECT_NE(cfg.bitmapDisabled.GetSafeHandle(), nullptr);
    EXPECT_EQ(cfg.resizeBehavior, L"stretch");
    EXPECT_FALSE(cfg.mouseOverEnabled);
    EXPECT_EQ(cfg.cursor, LoadCursorW(nullptr, IDC_HAND));
    EXPECT_NE(cfg.font.GetSafeHandle(), nullptr);
    EXPECT_EQ(cfg.horizontalAlignment, static_cast<UINT>(DT_CENTER));
    EXPECT_EQ(cfg.leftMargin, 3);
}

TEST(XButtonCfgLoad, SecondSkinKeepsWhatItDoesNotGiveButDecidesVisibilityAfresh)
{
    TestSkinParser first;
    auto& one = first.section(L"[mv_btn]");
    giveFullButton(one);
    one.colours[L"font_color_up"] = RGB(50, 60, 70);
    one.texts[L"caption"] = L"Old";
    one.ints[L"textLeftMargin"] = 4;
    CXButtonCfg cfg;
    ASSERT_TRUE(cfg.load(first, L"[mv_btn]", -1, XBUTTON_PUSH));

    TestSkinParser second;
    giveFullButton(second.section(L"[mv_btn]"));
    ASSERT_TRUE(cfg.load(second, L"[mv_btn]", -1, XBUTTON_PUSH));
    EXPECT_EQ(cfg.colourUp, RGB(50, 60, 70));
    EXPECT_EQ(cfg.caption, L"") << "captions are emptied at each load";
    EXPECT_EQ(cfg.leftMargin, -1) << "caption layout starts from its defaults";

    TestSkinParser hiding;
    hiding.section(L"[mv_btn]").bools[L"not_used"] = true;
    ASSERT_TRUE(cfg.load(hiding, L"[mv_btn]", -1, XBUTTON_PUSH));
    EXPECT_FALSE(cfg.used);
    ASSERT_TRUE(cfg.load(second, L"[mv_btn]", -1, XBUTTON_PUSH));
    EXPECT_TRUE(cfg.used) << "a skin that uses the button shows it again";
    EXPECT_FALSE(cfg.notUsed);
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
    parent.ScreenToClient(reinterpret_cast<POINT*>(&placed.left));
    parent.ScreenToClient(reinterpret_cast<POINT*>(&placed.right));
    EXPECT_EQ(placed, CRect(130, 170, 190, 195));

    CStatic never;
    EXPECT_FALSE(cfg.place(&never));
    EXPECT_FALSE(cfg.place(nullptr));
}
