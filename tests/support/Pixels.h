#pragma once

#include "CString.h"

#include <functional>
#include <vector>

// A picture read back from the display or from a bitmap, as COLORREF values.
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
// A window's client area as it is on the screen now; pending paints are
// finished first.
Picture CaptureClientArea(HWND window);
// The whole window, frame included, as on the screen.
Picture CaptureWindow(HWND window);
// A window's client area as the window draws it when asked to print itself
// (WM_PRINTCLIENT), whatever covers it on the screen and also while hidden.
Picture PrintClientArea(HWND window);
// Pixel by pixel the same picture.
bool operator==(const Picture& a, const Picture& b);

// A screen-compatible bitmap whose pixels the function gives.
HBITMAP CreatePatternBitmap(int width, int height,
                            const std::function<COLORREF(int x, int y)>& colourAt);

// Handles the messages waiting on this thread.
void PumpMessages();

// Saves the picture as a 24-bit .bmp in the "screenshots" folder next to the
// test executable and returns the file's path, so a person can look at what
// a user would see.
CString SaveScreenshot(const Picture& picture, const wchar_t* name);
inline CString SaveWindowScreenshot(HWND window, const wchar_t* name)
{
    return SaveScreenshot(CaptureWindow(window), name);
}
