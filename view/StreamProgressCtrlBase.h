#pragma once

#include "view/CutRegion.h"

#include <windows.h>

#include <cstdint>

// The time model of the stream view: the stream extent, the visible window
// onto it, the pixel rectangle the window maps to, zoom and scroll, and the
// amplitude mapping of DAT values. All times are milliseconds.
class CStreamProgressCtrlBase {
public:
    static constexpr int32_t maxWaveformSpan = 18000001;

    CStreamProgressCtrlBase();
    virtual ~CStreamProgressCtrlBase() = default;

    void setRect(int left, int top, int right, int bottom);
    const RECT& rect() const { return m_rect; }
    int clampX(int x) const;

    int32_t timeToPixel(int64_t t, bool clamp) const;
    int64_t pixelToTime(int x) const;

    bool canZoomIn() const;
    void zoomIn(int64_t t);
    bool zoomOut(int64_t t);
    bool isZoomed() const;

    int64_t scrollLeft(int percent);
    int64_t scrollRight(int percent);
    int64_t scroll(int64_t delta);
    int64_t moveWindowToStreamStart();

    bool setSaved(int32_t length, bool reset);
    void setCut(const CCutRegion& cut) { m_cut = cut; }
    const CCutRegion& cut() const { return m_cut; }
    void setEmpty(bool empty) { m_empty = empty; }
    bool isEmpty() const { return m_empty; }
    void setLogarithmic(bool logarithmic) { m_logarithmic = logarithmic; }
    double mapAmplitude(int value) const;

    int64_t visibleStart() const { return m_visibleStart; }
    int64_t visibleEnd() const { return m_visibleEnd; }
    int64_t streamStart() const { return m_streamStart; }
    int64_t streamEnd() const { return m_streamEnd; }
    int32_t minZoom() const { return m_minZoom; }

private:
    // Moves the window by delta inside the stream extent; returns the move.
    int64_t shiftWindow(int64_t delta);

    int64_t m_visibleStart = 0;
    int64_t m_visibleEnd = 1;
    int64_t m_streamStart = 0;
    int64_t m_streamEnd = 1;
    CCutRegion m_cut;
    RECT m_rect{0, 0, 1, 1};
    bool m_logarithmic = true;
    bool m_empty = true;
    int32_t m_minZoom;
    int32_t m_logX0 = 0;
    int32_t m_logX1 = 0;
    int32_t m_logS = 0;
    double m_logBase;
    double m_logScale;
};

// Logs an error when either time is negative; the values are left alone.
void CheckNegativeTimes(const wchar_t* label, int64_t first, int64_t second = 555);
