#pragma once

#include "import/StreamDocument.h"
#include "res/resource.h"
#include "view/StreamViewCtrl.h"

#include "support/AudioFixtures.h"
#include "support/TestStore.h"
#include "support/ProcessWindows.h"
#include "support/TestSkinParser.h"
#include "widgets/WidgetTestWindow.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>

// The view, counting the player's end notifications and able to hold them.
class ObservedView : public CStreamViewCtrl {
public:
    ObservedView() : entered(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}
    ~ObservedView() override { CloseHandle(entered); }

    void onPlayingFinished(bool error) override
    {
        SetEvent(entered);
        if (holdMilliseconds > 0)
            Sleep(holdMilliseconds);
        ++finished;
        CStreamViewCtrl::onPlayingFinished(error);
    }

    std::atomic<int> finished = 0;
    std::atomic<DWORD> holdMilliseconds = 0;
    HANDLE entered;
};

// Colours of the test skin's solid bitmaps and drawing colours, one per role.
namespace SkinColour {
constexpr COLORREF margin = RGB(10, 20, 30);
constexpr COLORREF centre = RGB(0, 0, 200);
constexpr COLORREF centreEmpty = RGB(0, 200, 0);
constexpr COLORREF emptyDesc = RGB(200, 0, 0);
constexpr COLORREF stream = RGB(60, 60, 60);
constexpr COLORREF cutLeft = RGB(255, 255, 0);
constexpr COLORREF cutRight = RGB(0, 255, 255);
constexpr COLORREF cutMiddle = RGB(255, 128, 0);
constexpr COLORREF transparent = RGB(255, 0, 255);
constexpr COLORREF waveform = RGB(255, 255, 255);
constexpr COLORREF markRect = RGB(255, 0, 128);
constexpr COLORREF axis = RGB(200, 200, 255);
constexpr COLORREF text = RGB(230, 230, 150);
} // namespace SkinColour

// The view's geometry in the test skin.
namespace SkinGeometry {
constexpr RECT position{10, 10, 610, 130};
constexpr int width = 600;
constexpr int height = 120;
constexpr int margin = 10;
constexpr int emptyDescWidth = 40;
constexpr int emptyDescHeight = 20;
constexpr int markTop = 20;
constexpr int markBottom = 80;
constexpr int waveCentre = 50;
constexpr int axisLine = 84;
constexpr int sliderTop = 84;
constexpr int positionTextY = 106;
} // namespace SkinGeometry

// A stream view in a plain parent window on the test display, skinned with
// solid colours, on a document that opens WAV files written by the test.
class StreamViewTest : public testing::Test {
protected:
    StreamViewTest()
    {
        using namespace SkinGeometry;
        GetMVSettings().SetWorkFolder(folder.path());
        TestSkinParser::Section& section = skin.section(L"[mv_stream_view]");
        section.rects[L"position"] = position;
        section.rects[L"slider_range"] = RECT{0, sliderTop, 0, sliderTop + 16};
        skinBitmap(L"bitmap_margin", SkinColour::margin, margin, height);
        skinBitmap(L"bitmap_center", SkinColour::centre, 1, height);
        skinBitmap(L"bitmap_center_empty", SkinColour::centreEmpty, 1, height);
        skinBitmap(L"bitmap_empty_stream_desc", SkinColour::emptyDesc, emptyDescWidth,
                   emptyDescHeight);
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
    ~StreamViewTest() override { view.stopPlaying(); }

    // A 16-bit mono WAV at 100 Hz, one sample per DAT value: value(k) is the
    // high byte of frame k, so it becomes DAT value k.
    CString writeWav(const wchar_t* name, int64_t frames, const std::function<int(int64_t)>& value)
    {
        std::vector<int16_t> samples;
        for (int64_t k = 0; k < frames; ++k)
            samples.push_back(static_cast<int16_t>(value(k) * 256));
        return WriteFileBytes(folder.file(name), MakeWavBytes(1, 1, 100, 16, Pcm16(samples)));
    }
    // A solid bitmap for the key, read by the next loadSkin.
    void skinBitmap(const wchar_t* key, COLORREF colour, int width, int height)
    {
        skin.section(L"[mv_stream_view]").bitmaps[key] = {colour, SIZE{width, height}};
    }
    void openSilence(int64_t milliseconds)
    {
        open(writeWav(L"silence.wav", milliseconds / 10, [](int64_t) { return 0; }));
    }
    void open(const CString& path)
    {
        ASSERT_TRUE(document.openInputFile(path, nullptr, 0));
        PumpMessages();
    }

    void mouse(UINT msg, int x, int y, WPARAM keys = 0)
    {
        view.SendMessage(msg, keys, MAKELPARAM(x, y));
    }
    void command(UINT id) { view.SendMessage(WM_COMMAND, MAKEWPARAM(id, 0)); }
    void clickSlider(int x)
    {
        mouse(WM_LBUTTONDOWN, x, SkinGeometry::sliderTop + 2, MK_LBUTTON);
        mouse(WM_LBUTTONUP, x, SkinGeometry::sliderTop + 2);
    }
    int pixelOf(int64_t t) const { return model().timeToPixel(t, false); }
    const CStreamProgressCtrlBase& model() const { return view.positionLayer().model(); }
    int64_t pos() const { return view.positionLayer().getPos(); }
    CommandState commandState()
    {
        CommandState state;
        view.fillCommandState(state);
        return state;
    }

    Picture capture()
    {
        PumpMessages();
        return CaptureClientArea(view);
    }
    // Handles messages until the condition holds; false after a minute.
    bool pumpUntil(const std::function<bool()>& condition)
    {
        return WaitFor([&] {
            PumpMessages();
            return condition();
        });
    }

    // Declared before the view and its model exist, which read them.
    EditorSettings settings;
    TempDir folder;
    TestSkinParser skin;
    WidgetTestWindow parent{SIZE{640, 160}};
    CStreamDocument document;
    ObservedView view;
};
