#include "hostkit/FolderSkinParser.h"
#include "support/AudioFixtures.h"
#include "support/TestStore.h"
#include "support/Pixels.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

// Whether the selected section has the key, read as the getter's type.
using Reader = bool (*)(ISkinParser&, const wchar_t*);
template <typename T, bool (ISkinParser::*get)(CString, T&)>
bool reads(ISkinParser& skin, const wchar_t* key)
{
    T value{};
    return (skin.*get)(key, value);
}
bool readsPosition(ISkinParser& skin, const wchar_t* key)
{
    POINT offset{}, anchor{};
    return skin.getPosition(key, offset, anchor);
}
bool readsText(ISkinParser& skin, const wchar_t* key)
{
    CString text;
    return skin.getText(key, text) && !text.IsEmpty();
}
const Reader kInt = reads<int, &ISkinParser::getInt>,
             kColor = reads<COLORREF, &ISkinParser::getColor>,
             kRect = reads<RECT, &ISkinParser::getRect>, kSize = reads<SIZE, &ISkinParser::getSize>,
             kFont = reads<CFont, &ISkinParser::getFont>,
             kBitmap = reads<CDynBitmap, &ISkinParser::getBitmap>,
             kRegion = reads<CDynRgn, &ISkinParser::getRegion>,
             kBool = reads<bool, &ISkinParser::getBool>, kPosition = readsPosition,
             kText = readsText;

struct Keys {
    const wchar_t* section;
    Reader read;
    std::vector<const wchar_t*> names;
};

// The keys each window reads and the type it reads them as. The stream
// view's six cursor keys are not listed: they only replace the component's
// own cursors, and the default skin keeps those.
const Keys kWindowKeys[] = {
    {L"[mv_main]", kSize, {L"vh_ctrl_position"}},
    {L"[mv_main]", kBitmap, {L"bitmap"}},
    {L"[mv_main]", kRegion, {L"region"}},
    {L"[mv_main]", kText, {L"title"}},
    {L"[mv_ctrl]", kBitmap, {L"bitmap_bg"}},
    {L"[mv_ctrl]", kRegion, {L"region_bg"}},
    {L"[mv_stream_view]", kRect, {L"position", L"slider_range"}},
    {L"[mv_stream_view]",
     kBitmap,
     {L"bitmap_center", L"bitmap_center_empty", L"bitmap_empty_stream_desc", L"bitmap_stream",
      L"bitmap_cut_left", L"bitmap_cut_right", L"bitmap_cut_middle", L"bitmap_curpos",
      L"bitmap_margin"}},
    {L"[mv_stream_view]",
     kColor,
     {L"color_transparent", L"color_axis", L"color_waveform", L"color_mark_rect",
      L"color_font_position"}},
    {L"[mv_stream_view]", kFont, {L"font_axis", L"font_position"}},
    {L"[mv_stream_view]",
     kInt,
     {L"y_pos_axis_line", L"y_pos_axis_text", L"y_pos_current", L"y_wave_top", L"y_wave_bottom",
      L"y_preview_bmps_top", L"y_preview_bmps_bottom", L"y_mark_rect_top", L"y_mark_rect_bottom",
      L"axis_timemark_small", L"axis_timemark_middle", L"axis_timemark_big"}},
    {L"[mv_track_name]", kBitmap, {L"bitmap"}},
    {L"[mv_track_name]", kRegion, {L"region"}},
    {L"[mv_edt_track_name]", kPosition, {L"position"}},
    {L"[mv_edt_track_name]", kSize, {L"size"}},
    {L"[mv_edt_track_name]", kFont, {L"font"}},
    {L"[mv_edt_track_name]",
     kColor,
     {L"color_normal_text", L"color_normal_bk", L"color_deact_text", L"color_deact_bk",
      L"color_focus_text", L"color_focus_bk", L"color_ext_top_left", L"color_int_top_left",
      L"color_ext_bottom_right", L"color_int_bottom_right"}},
    {L"[mv_edt_track_name]", kBool, {L"use_bitmap_bg"}},
    {L"[mv_edt_track_name]", kInt, {L"left_margin", L"right_margin"}},
};

enum class Parent { Main, Ctrl, TrackName };

// Every skinned push button ("[mv_btn_...]") and label ("[mv_lbl_...]") of
// the three windows.
const std::pair<Parent, std::vector<const wchar_t*>> kButtons[] = {
    {Parent::Main,
     {L"[mv_lbl_title_main]", L"[mv_btn_help]", L"[mv_btn_minimize]", L"[mv_btn_about]",
      L"[mv_btn_exit]"}},
    {Parent::Ctrl, {L"[mv_lbl_step2]",         L"[mv_lbl_zoom]",         L"[mv_btn_zoom_in]",
                    L"[mv_btn_zoom_out]",      L"[mv_lbl_play]",         L"[mv_btn_play]",
                    L"[mv_lbl_play_cut]",      L"[mv_btn_play_cut]",     L"[mv_btn_stop]",
                    L"[mv_lbl_cut]",           L"[mv_btn_cut_begin]",    L"[mv_btn_cut_end]",
                    L"[mv_lbl_fading]",        L"[mv_btn_fading_begin]", L"[mv_btn_fading_end]",
                    L"[mv_btn_fading_remove]", L"[mv_btn_scroll_left]",  L"[mv_btn_scroll_right]",
                    L"[mv_btn_save]",          L"[mv_btn_save&exit]"}},
    {Parent::TrackName, {L"[mv_lbl_title_track_name]", L"[mv_btn_ok]"}},
};

// A push button shows one picture per state (up, pressed, hover, disabled);
// a label one. The default skin names a label's picture bitmap_bg.
std::vector<const wchar_t*> pictureKeys(const wchar_t* section)
{
    if (wcsncmp(section, L"[mv_lbl", 7) == 0)
        return {L"bitmap_bg"};
    return {L"bitmap_up", L"bitmap_do", L"bitmap_mo", L"bitmap_da"};
}

class DefaultSkin : public testing::Test {
protected:
    TestStore settings;
    CFolderSkinParser skin{ExecutableFolder() + L"\\skins\\default", &settings};

    SIZE parentSize(Parent parent)
    {
        const wchar_t* const pictures[][2] = {{L"[mv_main]", L"bitmap"},
                                              {L"[mv_ctrl]", L"bitmap_bg"},
                                              {L"[mv_track_name]", L"bitmap"}};
        const auto& [section, key] = pictures[static_cast<int>(parent)];
        CDynBitmap bitmap;
        EXPECT_TRUE(skin.selectSection(section) && skin.getBitmap(key, bitmap)) << Narrow(section);
        return bitmap.GetSize();
    }

    // The section's caption, if any, is given in the language and shows whole,
    // in glyphs of its own, in an outline font (a bitmap font prints coarse or
    // not at all); a single ampersand would be lost to DrawText's prefix.
    void expectCaptionShowsWhole(const wchar_t* section, const wchar_t* language, SIZE size,
                                 std::string name)
    {
        settings.set(L"Common", L"Language", language);
        ASSERT_TRUE(skin.selectSection(section));
        name += " in " + Narrow(language);
        CString caption, translation;
        if (!skin.getText(L"caption", caption))
            return;
        if (wcscmp(language, L"en") != 0) {
            EXPECT_TRUE(skin.getText(CString(L"caption.") + language, translation) &&
                        translation == caption)
                << name << " is not translated";
        }
        std::wstring text = caption.GetString();
        for (size_t at; (at = text.find(L"&&")) != std::wstring::npos;)
            text.erase(at, 2);
        EXPECT_EQ(text.find(L'&'), std::wstring::npos) << name << ": write && for an ampersand";
        CFont font;
        ASSERT_TRUE(skin.getFont(L"font", font)) << name;
        int left = 0, right = 0;
        skin.getInt(L"textLeftMargin", left);
        skin.getInt(L"textRightMargin", right);
        // What DrawText reports and what it inks both fit: under Wine a line
        // mixing Tahoma with the face linked behind it (Japanese) inks wider
        // than reported, and bold Tahoma reports wider than it inks.
        constexpr COLORREF kPaper = RGB(255, 255, 255);
        TEXTMETRICW metrics{};
        RECT extent{};
        const RECT area{0, 0, 1000, 100};
        const auto draw = [&](const std::wstring& line) {
            return PaintedPicture({area.right, area.bottom}, kPaper, [&](HDC dc) {
                HGDIOBJ previous = SelectObject(dc, font);
                GetTextMetricsW(dc, &metrics);
                extent = RECT{};
                DrawTextW(dc, line.c_str(), -1, &extent, DT_CALCRECT | DT_SINGLELINE);
                RECT box = area;
                DrawTextW(dc, line.c_str(), -1, &box, DT_SINGLELINE);
                SelectObject(dc, previous);
            });
        };
        // Characters that no font gives come out as boxes, all alike.
        std::wstring boxes = caption.str();
        std::replace_if(
            boxes.begin(), boxes.end(), [](wchar_t c) { return c > 0x7F; }, L'\xE000');
        const Picture boxed = draw(boxes), drawn = draw(caption.str());
        if (boxes != caption.str()) {
            EXPECT_FALSE(boxed == drawn) << name << " is drawn as boxes";
        }
        const std::vector<RECT> ink = InkRuns(
            drawn, area, [](COLORREF c) { return c != kPaper; }, area.right);
        ASSERT_EQ(ink.size(), 1u) << name;
        EXPECT_TRUE(metrics.tmPitchAndFamily & TMPF_TRUETYPE) << name << ": no outline font";
        EXPECT_LE(std::max(ink[0].right, extent.right) + std::max(left, 0) + std::max(right, 0),
                  size.cx)
            << name;
        EXPECT_LE(std::max(ink[0].bottom, extent.bottom), size.cy) << name << " caption is cut";
    }
};

} // namespace

TEST_F(DefaultSkin, EveryWindowHasItsKeysAndEveryButtonAPictureForEachStateAndAWholeCaption)
{
    for (const Keys& keys : kWindowKeys) {
        ASSERT_TRUE(skin.selectSection(keys.section)) << Narrow(keys.section);
        for (const wchar_t* name : keys.names)
            EXPECT_TRUE(keys.read(skin, name)) << Narrow(keys.section) << " " << Narrow(name);
    }
    for (const auto& [parent, sections] : kButtons)
        for (const wchar_t* section : sections) {
            const std::string name = Narrow(section);
            ASSERT_TRUE(skin.selectSection(section)) << name;
            SIZE size{};
            EXPECT_TRUE(skin.getSize(L"size", size)) << name;
            const std::vector<const wchar_t*> keys = pictureKeys(section);
            std::vector<std::vector<COLORREF>> states;
            for (const wchar_t* key : keys) {
                CDynBitmap picture;
                ASSERT_TRUE(skin.getBitmap(key, picture)) << name << " " << Narrow(key);
                EXPECT_TRUE(picture.GetWidth() == size.cx && picture.GetHeight() == size.cy)
                    << name << " " << Narrow(key);
                states.push_back(ReadBitmap(picture).pixels);
            }
            for (const wchar_t* language : {L"en", L"de", L"fr", L"ja"})
                expectCaptionShowsWhole(section, language, size, name);
            for (size_t a = 0; a < states.size(); ++a)
                for (size_t b = a + 1; b < states.size(); ++b)
                    EXPECT_NE(states[a], states[b])
                        << name << ": " << Narrow(keys[a]) << " looks like " << Narrow(keys[b]);
        }
}

// Controls place themselves while their parent still has its template size,
// so only offsets from the parent's top-left corner land where the skin
// means them to.
TEST_F(DefaultSkin, EverythingLiesInsideItsWindowWithoutOverlapping)
{
    const SIZE main = parentSize(Parent::Main), ctrl = parentSize(Parent::Ctrl);
    SIZE origin{};
    EXPECT_TRUE(skin.selectSection(L"[mv_main]") && skin.getSize(L"vh_ctrl_position", origin));
    RECT view{};
    EXPECT_TRUE(skin.selectSection(L"[mv_stream_view]") && skin.getRect(L"position", view));
    RECT overlap{};
    const RECT ctrlInMain{origin.cx, origin.cy, origin.cx + ctrl.cx, origin.cy + ctrl.cy};
    const RECT mainRect{0, 0, main.cx, main.cy}, ctrlRect{0, 0, ctrl.cx, ctrl.cy};
    EXPECT_TRUE(IntersectRect(&overlap, &ctrlInMain, &mainRect) && EqualRect(&overlap, &ctrlInMain))
        << "editor control inside the main window";
    EXPECT_TRUE(view.left < view.right && view.top < view.bottom);
    EXPECT_TRUE(IntersectRect(&overlap, &view, &ctrlRect) && EqualRect(&overlap, &view))
        << "stream view inside the editor control";

    std::vector<std::pair<const wchar_t*, Parent>> controls;
    for (const auto& [parent, sections] : kButtons)
        for (const wchar_t* section : sections)
            controls.emplace_back(section, parent);
    controls.emplace_back(L"[mv_edt_track_name]", Parent::TrackName);
    std::vector<RECT> rects;
    for (const auto& [section, parent] : controls) {
        const std::string name = Narrow(section);
        POINT offset{}, anchor{};
        SIZE size{};
        EXPECT_TRUE(skin.selectSection(section) && skin.getPosition(L"position", offset, anchor) &&
                    skin.getSize(L"size", size))
            << name;
        const RECT rect{offset.x, offset.y, offset.x + size.cx, offset.y + size.cy};
        EXPECT_TRUE(anchor.x == 0 && anchor.y == 0) << name << " is anchored elsewhere";
        const SIZE outer = parentSize(parent);
        EXPECT_TRUE(rect.left >= 0 && rect.top >= 0 && rect.right <= outer.cx &&
                    rect.bottom <= outer.cy)
            << name << " lies outside its window";
        if (parent == Parent::Ctrl) {
            EXPECT_FALSE(IntersectRect(&overlap, &rect, &view))
                << name << " covers the stream view";
        }
        for (size_t j = 0; j < rects.size(); ++j) {
            if (controls[j].second == parent) {
                EXPECT_FALSE(IntersectRect(&overlap, &rect, &rects[j]))
                    << name << " overlaps " << Narrow(controls[j].first);
            }
        }
        rects.push_back(rect);
    }
}
