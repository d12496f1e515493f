#pragma once

#include "DC.h"
#include "view/StreamProgressCtrl.h"
#include "view/ViewSkin.h"
#include "widgets/MemDC.h"

#include <array>

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

// The skin's bitmaps of the view, each kept in a memory context of its own
// from the first paint of a skin and frame width to the next. A bitmap that
// is tiled comes as a row of its tiles a tile wider than the frame, so that
// any row of tiles of the frame is one copy.
class CSkinBitmapDCs {
public:
    void select(const CDC* target, const ViewSkin& skin, int frameWidth);
    // Before the skin's bitmaps are replaced: a selected bitmap cannot be
    // deleted.
    void release();
    bool readyFor(int frameWidth) const
    {
        return m_dcs.front().ready() && m_frameWidth == frameWidth;
    }

    // The context holding the bitmap, or its row of tiles, from its origin;
    // the bitmap must be one of the skin's.
    const CDC& of(const CBitmap& bitmap) const;

private:
    void makeRow(const CDC* target, size_t index);

    static constexpr size_t kCount = 8;
    // The first ones are tiled.
    static constexpr size_t kTiled = 4;
    std::array<const CBitmap*, kCount> m_bitmaps{};
    std::array<CBitmapDC, kCount> m_dcs;
    int m_frameWidth = 0;
};

// Draws one frame of the stream view into a back buffer: the layers of the
// time model (stream background, cut with fade ramps, waveform, axis), then
// the position texts, the cut rectangle and the remembered-position marker.
class CStreamPainter {
public:
    CStreamPainter(CDC& target, const CSkinBitmapDCs& sources, const ViewSkin& skin,
                   const CRect& client);

    // The margins on both sides and the centre's tiles between them.
    void paintBackground(bool empty);
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
    const CSkinBitmapDCs& m_sources;
    const ViewSkin& m_skin;
    CRect m_client;
    int64_t m_paintFrom = 0;
    int64_t m_paintTo = 0;
};
