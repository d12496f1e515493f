#pragma once

#include "Dpi.h"
#include "Gdi.h"
#include "Rect.h"
#include "SkinParser.h"
#include "axis/Axis.h"

#include <array>
#include <memory>

// The roles of the stream view's cursors.
enum class ViewCursor { StreamOver, StreamDrag, CutOver, CutDrag, CutResize, SliderSet, Count };

// The look of the stream view, read from the skin section "[mv_stream_view]".
// Keys the skin does not have leave their fields as they were.
struct ViewSkin {
    CRect position;
    CDynBitmap centerBitmap;
    CDynBitmap streamBitmap;
    CDynBitmap cursorBitmap;
    CDynBitmap centerEmptyBitmap;
    CDynBitmap emptyDescBitmap;
    CDynBitmap marginBitmap;
    CDynBitmap cutLeftBitmap;
    CDynBitmap cutRightBitmap;
    CDynBitmap cutMiddleBitmap;
    COLORREF transparentColor = RGB(255, 0, 255);
    COLORREF waveformColor = RGB(0, 0, 0);
    COLORREF markRectColor = RGB(0, 0, 0);
    // The focus ring's colour; CLR_INVALID when the skin gives none.
    COLORREF focusColor = CLR_INVALID;
    CFont axisFont;
    LOGPEN axisPen{PS_SOLID, POINT{1, 0}, RGB(0, 0, 0)};
    std::unique_ptr<CTimeAxis> axis;
    int height = 0;
    int marginWidth = 0;
    int previewTop = 0;
    int previewBottom = 0;
    int waveTop = 0;
    int waveBottom = 0;
    int markTop = 0;
    int markBottom = 0;
    int axisLineY = 0;
    int axisTextY = 0;
    CFont positionFont;
    COLORREF positionColor = RGB(0, 0, 0);
    int positionTextY = 0;
    int waveCentre = 0;
    int waveHalf = 0;
    int timemarkSmall = 0;
    int timemarkBig = 0;
    int timemarkMiddle = 0;
    CRect sliderRange;
    // Skin cursors replacing the built-in ones; null where the skin has none.
    std::array<HCURSOR, static_cast<size_t>(ViewCursor::Count)> cursors{};

    // The DPI the skin's lengths and pictures were scaled to.
    UINT dpi = kDesignDpi;

    // False, with nothing read, when the skin has no such section.
    bool load(ISkinParser& skin);
    // A length of the design scale at the skin's DPI.
    int px(int designPixels) const { return ScaledToDpi(designPixels, dpi); }
    HCURSOR cursor(ViewCursor role) const { return cursors[static_cast<size_t>(role)]; }
};
