#include "StreamViewFixture.h"

#include "support/AudioFixtures.h"

StreamViewSettings::StreamViewSettings()
{
    CommonKeys(&store, &hostInfo);
    MVSettingsKeys(&store);
    GetMVSettings().SetWorkFolder(folder.path());
}

StreamViewTest::StreamViewTest()
{
    using namespace SkinGeometry;
    TestSkinParser::Section& section = skin.section(L"[mv_stream_view]");
    section.rects[L"position"] = position;
    section.rects[L"slider_range"] = RECT{0, sliderTop, 0, sliderTop + 16};
    skinBitmap(L"bitmap_margin", SkinColour::margin, margin, height);
    skinBitmap(L"bitmap_center", SkinColour::centre, 1, height);
    skinBitmap(L"bitmap_center_empty", SkinColour::centreEmpty, 1, height);
    skinBitmap(L"bitmap_empty_stream_desc", SkinColour::emptyDesc, emptyDescWidth, emptyDescHeight);
    skinBitmap(L"bitmap_stream", SkinColour::stream, 4, height);
    skinBitmap(L"bitmap_cut_left", SkinColour::cutLeft, 1, height);
    skinBitmap(L"bitmap_cut_right", SkinColour::cutRight, 1, height);
    skinBitmap(L"bitmap_cut_middle", SkinColour::cutMiddle, 4, height);
    // A cursor of the transparent colour alone leaves every column readable.
    skinBitmap(L"bitmap_curpos", SkinColour::transparent, 3, height);
    section.colours[L"color_transparent"] = SkinColour::transparent;
    section.colours[L"color_waveform"] = SkinColour::waveform;
    section.colours[L"color_mark_rect"] = SkinColour::markRect;
    section.colours[L"color_axis"] = SkinColour::axis;
    section.colours[L"color_font_position"] = SkinColour::text;
    LOGFONTW font{-11, 0, 0, 0, FW_NORMAL, 0, 0, 0, 0, 0, 0, 0, 0, L"Tahoma"};
    section.fonts[L"font_axis"] = font;
    font.lfHeight = -12;
    section.fonts[L"font_position"] = font;
    section.ints[L"y_wave_top"] = 20;
    section.ints[L"y_wave_bottom"] = 80;
    section.ints[L"y_mark_rect_top"] = markTop;
    section.ints[L"y_mark_rect_bottom"] = markBottom;
    section.ints[L"y_pos_axis_line"] = axisLine;
    section.ints[L"y_pos_axis_text"] = axisLine + 7;
    section.ints[L"y_pos_current"] = positionTextY;
    section.ints[L"axis_timemark_small"] = 2;
    section.ints[L"axis_timemark_middle"] = 4;
    section.ints[L"axis_timemark_big"] = 6;

    view.create(WS_CHILD | WS_VISIBLE, position, &parent, 999999);
    view.setDocument(&document);
    document.attach(&parent, &view);
    EXPECT_TRUE(view.loadSkin(skin));
    view.applySkin();
    PumpMessages();
}

void StreamViewTest::skinBitmap(const wchar_t* key, COLORREF colour, int bitmapWidth,
                                int bitmapHeight)
{
    skin.section(L"[mv_stream_view]").bitmaps[key] =
        TestSkinParser::SolidBitmap{colour, SIZE{bitmapWidth, bitmapHeight}};
}

CString StreamViewTest::writeWav(const wchar_t* name, int64_t frames,
                                 const std::function<int(int64_t)>& value)
{
    std::string samples;
    samples.reserve(static_cast<size_t>(frames) * 2);
    for (int64_t k = 0; k < frames; ++k) {
        samples.push_back(0);
        samples.push_back(static_cast<char>(value(k)));
    }
    const CString path = folder.file(name);
    WriteFileBytes(path, MakeWavBytes(1, 1, 100, 16, samples));
    return path;
}

void StreamViewTest::openSilence(int64_t milliseconds)
{
    open(writeWav(L"silence.wav", milliseconds / 10, [](int64_t) { return 0; }));
}

void StreamViewTest::open(const CString& path)
{
    ASSERT_TRUE(document.openInputFile(path, nullptr, 0));
    PumpMessages();
}

void StreamViewTest::clickSlider(int x)
{
    mouse(WM_LBUTTONDOWN, x, SkinGeometry::sliderTop + 2, MK_LBUTTON);
    mouse(WM_LBUTTONUP, x, SkinGeometry::sliderTop + 2);
}
