#pragma once

#include "CString.h"

#include <functional>
#include <vector>

// A picture read back from a window or a bitmap, as COLORREF values.
struct Picture {
    int width = 0;
    int height = 0;
    std::vector<COLORREF> pixels;

    COLORREF at(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
    // How many pixels of the rectangle have the colour.
    int count(COLORREF colour, const RECT& area) const;
    int count(COLORREF colour) const { return count(colour, RECT{0, 0, width, height}); }
};

// The pixels of a bitmap (one not selected into any device context).
Picture ReadBitmap(HBITMAP bitmap);
// A window's client area with its children, as they draw themselves when
// printed (WM_PRINTCLIENT): what the window shows, whatever else is on the
// display, without handling any waiting message.
Picture CaptureClientArea(HWND window);
// The same with the window's frame, where the window prints one itself.
Picture CaptureWindow(HWND window);
// The client area as the window alone draws it, without its children.
Picture PrintClientArea(HWND window);
// Pixel by pixel the same picture.
bool operator==(const Picture& a, const Picture& b);

// A screen-compatible bitmap whose pixels the function gives.
HBITMAP CreatePatternBitmap(int width, int height,
                            const std::function<COLORREF(int x, int y)>& colourAt);

// The bounds of the ink in a band: runs of columns holding ink, each run's
// columns at most `maxGap` blank columns apart (the labels of an axis, say).
std::vector<RECT> InkRuns(const Picture& picture, const RECT& band,
                          const std::function<bool(COLORREF)>& isInk, int maxGap);

// What `paint` draws on a screen-compatible memory bitmap of that size,
// filled with `background` first.
Picture PaintedPicture(SIZE size, COLORREF background, const std::function<void(HDC)>& paint);

// Handles the messages waiting on this thread and those of the given time,
// each offered first to `preTranslate` when there is one, as a host's loop does.
void PumpMessages(DWORD forMilliseconds = 0,
                  const std::function<bool(MSG*)>& preTranslate = nullptr);
// Posts a click of the left button at (2, 2) of the window, pointer move first.
void PostClick(HWND window);
