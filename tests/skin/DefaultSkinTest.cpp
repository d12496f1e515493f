#include "refhost/FolderSkinParser.h"
#include "support/Pixels.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

enum class Type { Int, Color, Rect, Position, Size, Font, Bitmap, Region, Text, Bool };

struct Key {
    const wchar_t* name;
    Type type;
};

struct WindowSection {
    const wchar_t* section;
    std::vector<Key> keys;
};

// The keys each window reads and the type it reads them as. The stream
// view's six cursor keys are not listed: they only replace the component's
// own cursors, and the default skin keeps those.
const std::vector<WindowSection> kWindowSections = {
    {L"[mv_main]",
     {{L"vh_ctrl_position", Type::Size}, {L"bitmap", Type::Bitmap}, {L"region", Type::Region},
      {L"title", Type::Text}}},
    {L"[mv_ctrl]", {{L"bitmap_bg", Type::Bitmap}, {L"region_bg", Type::Region}}},
    {L"[mv_stream_view]",
     {{L"position", Type::Rect},
      {L"slider_range", Type::Rect},
      {L"bitmap_center", Type::Bitmap},
      {L"bitmap_center_empty", Type::Bitmap},
      {L"bitmap_empty_stream_desc", Type::Bitmap},
      {L"bitmap_stream", Type::Bitmap},
      {L"bitmap_cut_left", Type::Bitmap},
      {L"bitmap_cut_right", Type::Bitmap},
      {L"bitmap_cut_middle", Type::Bitmap},
      {L"bitmap_curpos", Type::Bitmap},
      {L"bitmap_margin", Type::Bitmap},
      {L"color_transparent", Type::Color},
      {L"color_axis", Type::Color},
      {L"font_axis", Type::Font},
      {L"color_waveform", Type::Color},
      {L"color_mark_rect", Type::Color},
      {L"y_pos_axis_line", Type::Int},
      {L"y_pos_axis_text", Type::Int},
      {L"color_font_position", Type::Color},
      {L"font_position", Type::Font},
      {L"y_pos_current", Type::Int},
      {L"y_wave_top", Type::Int},
      {L"y_wave_bottom", Type::Int},
      {L"y_preview_bmps_top", Type::Int},
      {L"y_preview_bmps_bottom", Type::Int},
      {L"y_mark_rect_top", Type::Int},
      {L"y_mark_rect_bottom", Type::Int},
      {L"axis_timemark_small", Type::Int},
      {L"axis_timemark_middle", Type::Int},
      {L"axis_timemark_big", Type::Int}}},
    {L"[mv_track_name]", {{L"bitmap", Type::Bitmap}, {L"region", Type::Region}}},
    {L"[mv_edt_track_name]",
     {{L"position", Type::Position},
      {L"size", Type::Size},
      {L"font", Type::Font},
      {L"color_normal_text", Type::Color},
      {L"color_normal_bk", Type::Color},
      {L"color_deact_text", Type::Color},
      {L"color_deact_bk", Type::Color},
      {L"color_focus_text", Type::Color},
      {L"color_focus_bk", Type::Color},
      {L"color_ext_top_left", Type::Color},
      {L"color_int_top_left", Type::Color},
      {L"color_ext_bottom_right", Type::Color},
      {L"color_int_bottom_right", Type::Color},
      {L"use_bitmap_bg", Type::Bool},
      {L"left_margin", Type::Int},
      {L"right_margin", Type::Int}}},
};

enum class Parent { Main, Ctrl, TrackName };

constexpr int kPushButton = 0;
constexpr int kLabel = 3;

struct ButtonSection {
    const wchar_t* section;
    int kind;
    Parent parent;
};

// Every skinned button and label of the three windows, with the kind its
// owner loads it as.
const ButtonSection kButtons[] = {
    {L"[mv_lbl_title_main]", kLabel, Parent::Main},
    {L"[mv_btn_help]", kPushButton, Parent::Main},
    {L"[mv_btn_minimize]", kPushButton, Parent::Main},
    {L"[mv_btn_about]", kPushButton, Parent::Main},
    {L"[mv_btn_exit]", kPushButton, Parent::Main},
    {L"[mv_lbl_step2]", kLabel, Parent::Ctrl},
    {L"[mv_lbl_zoom]", kLabel, Parent::Ctrl},
    {L"[mv_btn_zoom_in]", kPushButton, Parent::Ctrl},
    {L"[mv_btn_zoom_out]", kPushButton, Parent::Ctrl},
    {L"[mv_lbl_play]", kLabel, Parent::Ctrl},
    {L"[mv_btn_play]", kPushButton, Parent::Ctrl},
    {L"[mv_lbl_play_cut]", kLabel, Parent::Ctrl},
    {L"[mv_btn_play_cut]", kPushButton, Parent::Ctrl},
    {L"[mv_btn_stop]", kPushButton, Parent::Ctrl},
    {L"[mv_lbl_cut]", kLabel, Parent::Ctrl},
    {L"[mv_btn_cut_begin]", kPushButton, Parent::Ctrl},
    {L"[mv_btn_cut_end]", kPushButton, Parent::Ctrl},
    {L"[mv_lbl_fading]", kLabel, Parent::Ctrl},
    {L"[mv_btn_fading_begin]", kPushButton, Parent::Ctrl},
    {L"[mv_btn_fading_end]", kPushButton, Parent::Ctrl},
    {L"[mv_btn_fading_remove]", kPushButton, Parent::Ctrl},
    {L"[mv_btn_scroll_left]", kPushButton, Parent::Ctrl},
    {L"[mv_btn_scroll_right]", kPushButton, Parent::Ctrl},
    {L"[mv_btn_save]", kPushButton, Parent::Ctrl},
    {L"[mv_btn_save&exit]", kPushButton, Parent::Ctrl},
    {L"[mv_lbl_title_track_name]", kLabel, Parent::TrackName},
    {L"[mv_btn_ok]", kPushButton, Parent::TrackName},
};

// A push button shows one picture per state (up, pressed, hover, disabled);
// a label one. The default skin names a label's picture bitmap_bg.
std::vector<const wchar_t*> pictureKeys(int kind)
{
    if (kind == kLabel)
        return {L"bitmap_bg"};
    return {L"bitmap_up", L"bitmap_do", L"bitmap_mo", L"bitmap_da"};
}

bool operator==(const SIZE& a, const SIZE& b)
{
    return a.cx == b.cx && a.cy == b.cy;
}

std::string text(const wchar_t* wide)
{
    std::string narrow;
    for (; *wide; ++wide)
        narrow += static_cast<char>(*wide);
    return narrow;
}

// The caption would lose a single ampersand to DrawText's mnemonic prefix.
bool hasLoneAmpersand(const CString& caption)
{
    for (int i = 0; i < caption.GetLength(); ++i) {
        if (caption[i] != L'&')
            continue;
        if (i + 1 == caption.GetLength() || caption[i + 1] != L'&')
            return true;
        ++i;
    }
    return false;
}

class DefaultSkin : public testing::Test {
protected:
    CFolderSkinParser skin{ExecutableFolder() + L"\\skins\\default"};

    bool parses(const Key& key)
    {
        int number = 0;
        COLORREF colour = 0;
        RECT rect{};
        POINT offset{}, anchor{};
        SIZE size{};
        CFont font;
        CDynBitmap bitmap;
        CDynRgn region;
        CString value;
        bool flag = false;
        switch (key.type) {
        case Type::Int:
            return skin.getInt(key.name, number);
        case Type::Color:
            return skin.getColor(key.name, colour);
        case Type::Rect:
            return skin.getRect(key.name, rect);
        case Type::Position:
            return skin.getPosition(key.name, offset, anchor);
        case Type::Size:
            return skin.getSize(key.name, size);
        case Type::Font:
            return skin.getFont(key.name, font);
        case Type::Bitmap:
            return skin.getBitmap(key.name, bitmap);
        case Type::Region:
            return skin.getRegion(key.name, region);
        case Type::Text:
            return skin.getText(key.name, value) && !value.IsEmpty();
        case Type::Bool:
            return skin.getBool(key.name, flag);
        }
        return false;
    }

    SIZE bitmapSize(const wchar_t* section, const wchar_t* key)
    {
        CDynBitmap bitmap;
        EXPECT_TRUE(skin.selectSection(section) && skin.getBitmap(key, bitmap)) << text(section);
        return bitmap.GetSize();
    }

    SIZE parentSize(Parent parent)
    {
        switch (parent) {
        case Parent::Main:
            return bitmapSize(L"[mv_main]", L"bitmap");
        case Parent::Ctrl:
            return bitmapSize(L"[mv_ctrl]", L"bitmap_bg");
        case Parent::TrackName:
            return bitmapSize(L"[mv_track_name]", L"bitmap");
        }
        return SIZE{};
    }

    int intValue(const wchar_t* key)
    {
        int value = -1;
        EXPECT_TRUE(skin.getInt(key, value)) << text(key);
        return value;
    }

    RECT viewRect()
    {
        RECT rect{};
        EXPECT_TRUE(skin.selectSection(L"[mv_stream_view]") && skin.getRect(L"position", rect));
        return rect;
    }

    // Where the button's window lands in its parent, the way the button
    // places itself.
    RECT placed(const ButtonSection& button, POINT* anchor = nullptr)
    {
        const SIZE parent = parentSize(button.parent);
        POINT offset{}, percent{};
        SIZE size{};
        EXPECT_TRUE(skin.selectSection(button.section)) << text(button.section);
        EXPECT_TRUE(skin.getPosition(L"position", offset, percent)) << text(button.section);
        EXPECT_TRUE(skin.getSize(L"size", size)) << text(button.section);
        if (anchor)
            *anchor = percent;
        const int left = parent.cx * percent.x / 100 + offset.x;
        const int top = parent.cy * percent.y / 100 + offset.y;
        return RECT{left, top, left + size.cx, top + size.cy};
    }
};

TEST_F(DefaultSkin, EveryWindowSectionHasItsKeysWithTheirTypes)
{
    for (const WindowSection& window : kWindowSections) {
        ASSERT_TRUE(skin.selectSection(window.section)) << text(window.section);
        for (const Key& key : window.keys)
            EXPECT_TRUE(parses(key)) << text(window.section) << " " << text(key.name);
    }
}

TEST_F(DefaultSkin, EveryButtonHasAPictureOfItsSizeForEachState)
{
    for (const ButtonSection& button : kButtons) {
        const std::string name = text(button.section);
        ASSERT_TRUE(skin.selectSection(button.section)) << name;
        SIZE size{};
        POINT offset{}, anchor{};
        EXPECT_TRUE(skin.getSize(L"size", size)) << name;
        EXPECT_TRUE(skin.getPosition(L"position", offset, anchor)) << name;
        std::vector<std::vector<COLORREF>> states;
        for (const wchar_t* key : pictureKeys(button.kind)) {
            CDynBitmap picture;
            ASSERT_TRUE(skin.getBitmap(key, picture)) << name << " " << text(key);
            EXPECT_TRUE(picture.GetSize() == size) << name << " " << text(key);
            states.push_back(ReadBitmap(picture).pixels);
        }
        for (size_t a = 0; a < states.size(); ++a)
            for (size_t b = a + 1; b < states.size(); ++b)
                EXPECT_NE(states[a], states[b])
                    << name << ": " << text(pictureKeys(button.kind)[a]) << " looks like "
                    << text(pictureKeys(button.kind)[b]);
    }
}

// Buttons place themselves while their parent still has its template size,
// so only offsets from the parent's top-left corner land where the skin
// means them to.
TEST_F(DefaultSkin, ButtonsLieInsideTheirWindowWithoutOverlapping)
{
    const RECT view = viewRect();
    std::vector<RECT> rects;
    for (const ButtonSection& button : kButtons)
        rects.push_back(placed(button));
    for (size_t i = 0; i < std::size(kButtons); ++i) {
        const ButtonSection& button = kButtons[i];
        const RECT& rect = rects[i];
        const std::string name = text(button.section);
        POINT anchor{};
        placed(button, &anchor);
        EXPECT_EQ(anchor.x, 0) << name;
        EXPECT_EQ(anchor.y, 0) << name;
        const SIZE parent = parentSize(button.parent);
        EXPECT_GE(rect.left, 0) << name;
        EXPECT_GE(rect.top, 0) << name;
        EXPECT_LE(rect.right, parent.cx) << name;
        EXPECT_LE(rect.bottom, parent.cy) << name;
        RECT overlap{};
        if (button.parent == Parent::Ctrl) {
            EXPECT_FALSE(IntersectRect(&overlap, &rect, &view)) << name << " covers the stream view";
        }
        for (size_t j = i + 1; j < std::size(kButtons); ++j) {
            if (kButtons[j].parent == button.parent) {
                EXPECT_FALSE(IntersectRect(&overlap, &rect, &rects[j])) << name << " overlaps "
                                                                        << text(kButtons[j].section);
            }
        }
    }
}

TEST_F(DefaultSkin, WindowsAndTheStreamViewFitTheirParents)
{
    const SIZE main = parentSize(Parent::Main);
    const SIZE ctrl = parentSize(Parent::Ctrl);
    SIZE ctrlOrigin{};
    ASSERT_TRUE(skin.selectSection(L"[mv_main]") && skin.getSize(L"vh_ctrl_position", ctrlOrigin));
    EXPECT_GE(ctrlOrigin.cx, 0);
    EXPECT_GE(ctrlOrigin.cy, 0);
    EXPECT_LE(ctrlOrigin.cx + ctrl.cx, main.cx);
    EXPECT_LE(ctrlOrigin.cy + ctrl.cy, main.cy);

    const RECT view = viewRect();
    EXPECT_GE(view.left, 0);
    EXPECT_GE(view.top, 0);
    EXPECT_LT(view.left, view.right);
    EXPECT_LT(view.top, view.bottom);
    EXPECT_LE(view.right, ctrl.cx);
    EXPECT_LE(view.bottom, ctrl.cy);

    const SIZE trackName = parentSize(Parent::TrackName);
    POINT offset{}, anchor{};
    SIZE size{};
    ASSERT_TRUE(skin.selectSection(L"[mv_edt_track_name]"));
    ASSERT_TRUE(skin.getPosition(L"position", offset, anchor) && skin.getSize(L"size", size));
    EXPECT_EQ(anchor.x, 0);
    EXPECT_EQ(anchor.y, 0);
    EXPECT_GE(offset.x, 0);
    EXPECT_GE(offset.y, 0);
    EXPECT_LE(offset.x + size.cx, trackName.cx);
    EXPECT_LE(offset.y + size.cy, trackName.cy);
}

TEST_F(DefaultSkin, WindowOutlinesAreRoundedAndCoverTheirWindow)
{
    const struct {
        const wchar_t* section;
        const wchar_t* bitmapKey;
    } windows[] = {{L"[mv_main]", L"bitmap"}, {L"[mv_track_name]", L"bitmap"}};
    for (const auto& window : windows) {
        const std::string name = text(window.section);
        const SIZE size = bitmapSize(window.section, window.bitmapKey);
        CDynRgn outline;
        ASSERT_TRUE(skin.selectSection(window.section) && skin.getRegion(L"region", outline)) << name;
        RECT box{};
        EXPECT_EQ(GetRgnBox(outline, &box), COMPLEXREGION) << name;
        EXPECT_EQ(box.left, 0) << name;
        EXPECT_EQ(box.top, 0) << name;
        EXPECT_EQ(box.right, size.cx) << name;
        EXPECT_EQ(box.bottom, size.cy) << name;
        const int w = size.cx, h = size.cy;
        for (POINT corner : {POINT{0, 0}, POINT{w - 1, 0}, POINT{0, h - 1}, POINT{w - 1, h - 1}})
            EXPECT_FALSE(PtInRegion(outline, corner.x, corner.y)) << name << " corner " << corner.x
                                                                  << "," << corner.y;
        for (POINT inside : {POINT{w / 2, 0}, POINT{w / 2, h - 1}, POINT{0, h / 2}, POINT{w - 1, h / 2},
                             POINT{w / 2, h / 2}})
            EXPECT_TRUE(PtInRegion(outline, inside.x, inside.y)) << name << " " << inside.x << ","
                                                                 << inside.y;
    }
}

// The editor control sits inside the main window; its own outline has to
// follow the main window's, or its corners would square the rounded ones off.
TEST_F(DefaultSkin, EditorOutlineContinuesTheMainWindowOutline)
{
    CDynRgn mainOutline, ctrlOutline;
    SIZE origin{};
    ASSERT_TRUE(skin.selectSection(L"[mv_main]") && skin.getRegion(L"region", mainOutline));
    ASSERT_TRUE(skin.getSize(L"vh_ctrl_position", origin));
    ASSERT_TRUE(skin.selectSection(L"[mv_ctrl]") && skin.getRegion(L"region_bg", ctrlOutline));
    const SIZE ctrl = parentSize(Parent::Ctrl);
    int differing = 0;
    for (int y = 0; y < ctrl.cy; ++y)
        for (int x = 0; x < ctrl.cx; ++x)
            differing += !PtInRegion(ctrlOutline, x, y) != !PtInRegion(mainOutline, x + origin.cx, y + origin.cy);
    EXPECT_EQ(differing, 0);
}

TEST_F(DefaultSkin, StreamViewPicturesSpanItsFrame)
{
    const RECT view = viewRect();
    const int height = view.bottom - view.top;
    for (const wchar_t* key : {L"bitmap_center", L"bitmap_center_empty", L"bitmap_stream", L"bitmap_cut_left",
                               L"bitmap_cut_right", L"bitmap_cut_middle", L"bitmap_curpos", L"bitmap_margin"})
        EXPECT_EQ(bitmapSize(L"[mv_stream_view]", key).cy, height) << text(key);
    // The cut's edges are drawn one column wide.
    EXPECT_EQ(bitmapSize(L"[mv_stream_view]", L"bitmap_cut_left").cx, 1);
    EXPECT_EQ(bitmapSize(L"[mv_stream_view]", L"bitmap_cut_right").cx, 1);
    const SIZE empty = bitmapSize(L"[mv_stream_view]", L"bitmap_empty_stream_desc");
    const int margin = bitmapSize(L"[mv_stream_view]", L"bitmap_margin").cx;
    EXPECT_LE(empty.cx, view.right - view.left - 2 * margin);
    EXPECT_LE(empty.cy, height);

    // Top to bottom: position texts, cut band with the waveform inside, axis.
    const int current = intValue(L"y_pos_current");
    const int markTop = intValue(L"y_mark_rect_top"), markBottom = intValue(L"y_mark_rect_bottom");
    const int waveTop = intValue(L"y_wave_top"), waveBottom = intValue(L"y_wave_bottom");
    const int axis = intValue(L"y_pos_axis_line");
    EXPECT_LE(0, current);
    EXPECT_LT(current, markTop);
    EXPECT_LE(markTop, waveTop);
    EXPECT_LT(waveTop, waveBottom);
    EXPECT_LE(waveBottom, markBottom);
    EXPECT_LE(markBottom, axis);
    EXPECT_LT(axis, height);
    RECT slider{};
    ASSERT_TRUE(skin.getRect(L"slider_range", slider));
    EXPECT_LE(0, slider.top);
    EXPECT_LT(slider.top, slider.bottom);
    EXPECT_LE(slider.bottom, height);

    // The position cursor is drawn with its transparent colour left out; a
    // cursor without that colour would hide the waveform behind a block.
    COLORREF transparent = 0;
    ASSERT_TRUE(skin.getColor(L"color_transparent", transparent));
    CDynBitmap cursor;
    ASSERT_TRUE(skin.getBitmap(L"bitmap_curpos", cursor));
    const Picture picture = ReadBitmap(cursor);
    const int transparentCount = picture.count(transparent);
    EXPECT_GT(transparentCount, 0);
    EXPECT_LT(transparentCount, picture.width * picture.height);
}

// Renders the editor face from the skin's pictures, the way the windows
// compose it, to be saved as a screenshot for a look.
class Preview {
public:
    Preview(int width, int height)
        : m_dc(CreateCompatibleDC(nullptr)),
          m_bitmap(CreatePatternBitmap(width, height, [](int, int) { return RGB(128, 128, 128); })),
          m_previous(SelectObject(m_dc, m_bitmap))
    {
    }
    ~Preview()
    {
        SelectObject(m_dc, m_previous);
        DeleteObject(m_bitmap);
        DeleteDC(m_dc);
    }
    Preview(const Preview&) = delete;
    Preview& operator=(const Preview&) = delete;

    HDC dc() const { return m_dc; }

    void draw(HBITMAP picture, int x, int y, int width = 0)
    {
        BITMAP info{};
        GetObjectW(picture, sizeof info, &info);
        HDC source = CreateCompatibleDC(m_dc);
        HGDIOBJ old = SelectObject(source, picture);
        BitBlt(m_dc, x, y, width ? width : info.bmWidth, info.bmHeight, source, 0, 0, SRCCOPY);
        SelectObject(source, old);
        DeleteDC(source);
    }

    void drawTransparent(HBITMAP picture, int x, int y, COLORREF transparent)
    {
        BITMAP info{};
        GetObjectW(picture, sizeof info, &info);
        HDC source = CreateCompatibleDC(m_dc);
        HGDIOBJ old = SelectObject(source, picture);
        TransparentBlt(m_dc, x, y, info.bmWidth, info.bmHeight, source, 0, 0, info.bmWidth, info.bmHeight,
                       transparent);
        SelectObject(source, old);
        DeleteDC(source);
    }

    Picture picture() const
    {
        SelectObject(m_dc, m_previous);
        Picture result = ReadBitmap(m_bitmap);
        SelectObject(m_dc, m_bitmap);
        return result;
    }

private:
    HDC m_dc;
    HBITMAP m_bitmap;
    HGDIOBJ m_previous;
};

class DefaultSkinFace : public DefaultSkin {
protected:
    // Draws a button's picture and its caption as the button paints them, and
    // checks that the caption shows whole in the skin's font.
    void drawButton(Preview& preview, const ButtonSection& button, POINT origin, const wchar_t* pictureKey,
                    const wchar_t* colourKey)
    {
        const std::string name = text(button.section);
        RECT rect = placed(button);
        OffsetRect(&rect, origin.x, origin.y);
        CDynBitmap picture;
        ASSERT_TRUE(skin.getBitmap(pictureKey, picture)) << name;
        preview.draw(picture, rect.left, rect.top);
        CString caption;
        if (!skin.getText(L"caption", caption))
            return;
        EXPECT_FALSE(hasLoneAmpersand(caption)) << name << ": write && for an ampersand";
        CFont font;
        COLORREF colour = 0;
        ASSERT_TRUE(skin.getFont(L"font", font)) << name;
        ASSERT_TRUE(skin.getColor(colourKey, colour)) << name << " " << text(colourKey);
        UINT horizontal = DT_LEFT, vertical = DT_VCENTER;
        skin.getHorizontalAlignment(L"textHorizontalAlignment", horizontal);
        skin.getVerticalAlignment(L"textVerticalAlignment", vertical);
        int margin = 0;
        if (skin.getInt(L"textLeftMargin", margin) && margin > 0)
            rect.left += margin;
        if (skin.getInt(L"textRightMargin", margin) && margin > 0)
            rect.right -= margin;

        HDC dc = preview.dc();
        HGDIOBJ oldFont = SelectObject(dc, font);
        // Where the face is missing the system substitutes one; a bitmap
        // font in its place would print the caption coarse or not at all.
        TEXTMETRICW metrics{};
        GetTextMetricsW(dc, &metrics);
        EXPECT_TRUE(metrics.tmPitchAndFamily & TMPF_TRUETYPE) << name << ": no outline font";
        RECT needed = rect;
        DrawTextW(dc, caption, -1, &needed, DT_CALCRECT | DT_SINGLELINE);
        EXPECT_LE(needed.right - needed.left, rect.right - rect.left) << name << " caption is cut";
        EXPECT_LE(needed.bottom - needed.top, rect.bottom - rect.top) << name << " caption is cut";
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, colour);
        DrawTextW(dc, caption, -1, &rect, horizontal | vertical | DT_WORD_ELLIPSIS | DT_SINGLELINE);
        SelectObject(dc, oldFont);
    }

    // A stream with a cut and a waveform, and the position cursor in it.
    void drawStream(Preview& preview, POINT origin)
    {
        const RECT view = viewRect();
        CDynBitmap margin, stream, cutMiddle, cutEdge, cursor;
        COLORREF waveColour = 0, markColour = 0, transparent = 0;
        ASSERT_TRUE(skin.getBitmap(L"bitmap_margin", margin) && skin.getBitmap(L"bitmap_stream", stream) &&
                    skin.getBitmap(L"bitmap_cut_middle", cutMiddle) && skin.getBitmap(L"bitmap_cut_left", cutEdge) &&
                    skin.getBitmap(L"bitmap_curpos", cursor));
        ASSERT_TRUE(skin.getColor(L"color_waveform", waveColour) && skin.getColor(L"color_mark_rect", markColour) &&
                    skin.getColor(L"color_transparent", transparent));
        const int left = origin.x + view.left, top = origin.y + view.top, width = view.right - view.left;
        const int m = margin.GetWidth();
        preview.draw(margin, left, top);
        preview.draw(margin, left + width - m, top);
        for (int x = m; x < width - m; x += stream.GetWidth())
            preview.draw(stream, left + x, top, std::min(stream.GetWidth(), width - m - x));
        const int cutBegin = width / 3, cutEnd = width * 2 / 3;
        for (int x = cutBegin; x < cutEnd; x += cutMiddle.GetWidth())
            preview.draw(cutMiddle, left + x, top, std::min(cutMiddle.GetWidth(), cutEnd - x));
        preview.draw(cutEdge, left + cutBegin, top);
        preview.draw(cutEdge, left + cutEnd - 1, top);

        const int centre = (intValue(L"y_wave_top") + intValue(L"y_wave_bottom")) / 2;
        const int half = (intValue(L"y_wave_bottom") - intValue(L"y_wave_top")) / 2;
        HDC dc = preview.dc();
        HPEN pen = CreatePen(PS_SOLID, 1, waveColour);
        HGDIOBJ oldPen = SelectObject(dc, pen);
        for (int x = m; x < width - m; ++x) {
            const int amplitude = half * (1 + (x * 7919 % 61)) * (1 + x % 97) / (62 * 98);
            MoveToEx(dc, left + x, top + centre - amplitude, nullptr);
            LineTo(dc, left + x, top + centre + amplitude + 1);
        }
        SelectObject(dc, oldPen);
        DeleteObject(pen);
        preview.drawTransparent(cursor, left + width / 2 - cursor.GetWidth() / 2, top, transparent);
    }
};

TEST_F(DefaultSkinFace, CaptionsShowWholeOnTheEditorFace)
{
    const SIZE main = parentSize(Parent::Main);
    const SIZE trackName = parentSize(Parent::TrackName);
    SIZE ctrlOrigin{};
    ASSERT_TRUE(skin.selectSection(L"[mv_main]") && skin.getSize(L"vh_ctrl_position", ctrlOrigin));
    const int stateRow = main.cy + 16 + trackName.cy + 16;
    constexpr int kStateRowHeight = 44;
    Preview preview(main.cx, stateRow + 3 * kStateRowHeight);

    CDynBitmap face;
    ASSERT_TRUE(skin.getBitmap(L"bitmap", face));
    preview.draw(face, 0, 0);
    ASSERT_TRUE(skin.selectSection(L"[mv_ctrl]") && skin.getBitmap(L"bitmap_bg", face));
    preview.draw(face, ctrlOrigin.cx, ctrlOrigin.cy);
    ASSERT_TRUE(skin.selectSection(L"[mv_stream_view]"));
    drawStream(preview, POINT{ctrlOrigin.cx, ctrlOrigin.cy});
    const POINT trackNameOrigin{0, main.cy + 16};
    ASSERT_TRUE(skin.selectSection(L"[mv_track_name]") && skin.getBitmap(L"bitmap", face));
    preview.draw(face, trackNameOrigin.x, trackNameOrigin.y);

    for (const ButtonSection& button : kButtons) {
        const POINT origin = button.parent == Parent::Main   ? POINT{0, 0}
                             : button.parent == Parent::Ctrl ? POINT{ctrlOrigin.cx, ctrlOrigin.cy}
                                                             : trackNameOrigin;
        drawButton(preview, button, origin, pictureKeys(button.kind)[0], L"font_color_up");
    }
    // A few buttons in each state, a row each: up, hover, pressed, disabled.
    const wchar_t* const states[][2] = {{L"bitmap_up", L"font_color_up"}, {L"bitmap_mo", L"font_color_mo"},
                                        {L"bitmap_do", L"font_color_do"}, {L"bitmap_da", L"font_color_da"}};
    int y = stateRow;
    for (const ButtonSection& button : kButtons) {
        const std::wstring section = button.section;
        if (section != L"[mv_btn_play]" && section != L"[mv_btn_save&exit]" && section != L"[mv_btn_exit]")
            continue;
        int x = 0;
        for (const auto& state : states) {
            const RECT rect = placed(button);
            drawButton(preview, button, POINT{x - rect.left, y - rect.top}, state[0], state[1]);
            x += rect.right - rect.left + 8;
        }
        y += kStateRowHeight;
    }
    SaveScreenshot(preview.picture(), L"default_skin");
}

} // namespace
