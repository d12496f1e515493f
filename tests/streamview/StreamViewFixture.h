#pragma once

#include "import/StreamDocument.h"
#include "infra/Settings.h"
#include "res/resource.h"
#include "view/StreamViewCtrl.h"

#include "support/MemoryConfigStore.h"
#include "support/Pixels.h"
#include "support/ProcessWindows.h"
#include "support/TempDir.h"
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

// The settings the view reads, declared before the view and its model exist.
class StreamViewSettings : public testing::Test {
protected:
    StreamViewSettings();

    MemoryConfigStore store;
    FixedHostInfo hostInfo;
    TempDir folder;
};

// A stream view in a plain parent window on the test display, skinned with
// solid colours, on a document that opens WAV files written by the test.
class StreamViewTest : public StreamViewSettings {
protected:
    StreamViewTest();
    ~StreamViewTest() override { view.stopPlaying(); }

    // A 16-bit mono WAV at 100 Hz, one sample per DAT value: value(k) is the
    // high byte of frame k, so it becomes DAT value k.
    CString writeWav(const wchar_t* name, int64_t frames, const std::function<int(int64_t)>& value);
    // A solid bitmap for the key, read by the next loadSkin.
    void skinBitmap(const wchar_t* key, COLORREF colour, int bitmapWidth, int bitmapHeight);
    void openSilence(int64_t milliseconds);
    void open(const CString& path);

    void mouse(UINT msg, int x, int y, WPARAM keys = 0)
    {
        view.SendMessage(msg, keys, MAKELPARAM(x, y));
    }
    void command(UINT id) { view.SendMessage(WM_COMMAND, MAKEWPARAM(id, 0)); }
    void clickSlider(int x);
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

    TestSkinParser skin;
    WidgetTestWindow parent{SIZE{640, 160}};
    CStreamDocument document;
    ObservedView view;
};
