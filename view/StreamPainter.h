#pragma once

#include "DC.h"
#include "view/StreamProgressCtrl.h"
#include "view/ViewSkin.h"

// DAT values of the visible window, the first one at its start; indexes past
// count read as silence.
struct WaveformValues {
    const signed char* values = nullptr;
    int count = 0;
    double msPerValue = 10.0;

    int at(int64_t index) const { return index >= 0 && index < count ? values[index] : 0; }
};

// "Current Position: " with the clock time of pos.
CString positionText(int64_t pos);
// "Track length: " with the cut's whole minutes and seconds.
CString trackLengthText(const CCutRegion& cut);

// Draws one frame of the stream view into a back buffer: the layers of the
// time model (stream background, cut with fade ramps, waveform, axis), then
// the position texts, the cut rectangle and the remembered-position marker.
class CStreamPainter {
public:
    // source: a memory context for the skin bitmaps.
    CStreamPainter(CDC& target, CDC& source, const ViewSkin& skin, const CRect& client);

    void paintModelLayers(const CStreamProgressCtrlBase& model, const WaveformValues& waveform);
    void paintPositionMarks(const CStreamProgressCtrl& positionLayer);

private:
    // The part of the stream to paint, or false when it is off the window.
    bool streamSpan(const CStreamProgressCtrlBase& model, int64_t& from, int64_t& to) const;
    void paintStreamBackground(const CStreamProgressCtrlBase& model);
    void paintCut(const CStreamProgressCtrlBase& model);
    void paintRamp(int x, double ratio);
    void paintWaveform(const CStreamProgressCtrlBase& model, const WaveformValues& waveform);
    void paintAxis(const CStreamProgressCtrlBase& model);
    void paintTexts(const CStreamProgressCtrl& positionLayer);

    // Copies tiles of the bitmap, each its width by the frame height, from x
    // on while they start before end, cut off at end.
    void tile(const CBitmap& bitmap, int x, int end);
    void copy(const CBitmap& bitmap, int x, int y, int width, int height, int sourceX, int sourceY);

    CDC& m_target;
    CDC& m_source;
    const ViewSkin& m_skin;
    CRect m_client;
    int64_t m_paintFrom = 0;
    int64_t m_paintTo = 0;
};
