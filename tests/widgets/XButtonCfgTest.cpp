#include "widgets/XButtonCfg.h"

#include "support/TestSkinParser.h"

#include <gtest/gtest.h>

namespace {

constexpr SIZE kButtonSize{40, 20};

void giveFullButton(TestSkinParser::Section& section)
{
    section.positions[L"position"] = {POINT{5, 6}, POINT{0, 0}};
    section.sizes[L"size"] = kButtonSize;
    section.bitmaps[L"bitmap_up"] = {RGB(200, 0, 0), kButtonSize};
    section.bitmaps[L"bitmap_do"] = {RGB(0, 0, 200), kButtonSize};
    section.bitmaps[L"bitmap_mo"] = {RGB(0, 200, 0), kButtonSize};
}

} // namespace

TEST(XButtonCfgLoad, RequiredKeysDecideWhetherTheButtonLoadsNotUsedHidesItAndCaptionsFollowTheSkin)
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

    // Not used succeeds whatever else is given; a later skin that uses the
    // button shows it again.
    TestSkinParser hiding;
    auto& hidden = hiding.section(L"[mv_btn_push]");
    giveFullButton(hidden);
    hidden.bools[L"not_used"] = true;
    CXButtonCfg fresh;
    EXPECT_TRUE(fresh.load(hiding, L"[mv_btn_push]", -1, XBUTTON_PUSH));
    EXPECT_FALSE(fresh.used);
    EXPECT_TRUE(fresh.notUsed);
    ASSERT_TRUE(fresh.load(skin, L"[mv_btn_push]", -1, XBUTTON_PUSH));
    EXPECT_TRUE(fresh.used);
    EXPECT_FALSE(fresh.notUsed);

    auto& section = skin.section(L"[mv_btn_caption]");
    giveFullButton(section);
    section.texts[L"caption_up"] = L"Up";
    section.texts[L"caption_do"] = L"Down";
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

    // A later skin without captions or margins leaves none of the earlier ones.
    section.ints[L"textLeftMargin"] = 3;
    ASSERT_TRUE(cfg.load(skin, L"[mv_btn_caption]", -1, XBUTTON_PUSH));
    TestSkinParser second;
    giveFullButton(second.section(L"[mv_btn_caption]"));
    ASSERT_TRUE(cfg.load(second, L"[mv_btn_caption]", -1, XBUTTON_PUSH));
    EXPECT_EQ(cfg.caption, L"");
    EXPECT_EQ(cfg.leftMargin, -1);
}
