#include "view/StreamPainter.h"

#include "res/resource.h"
#include "view/TimeParts.h"
#include "widgets/BitmapDrawing.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace {

CQTime toQTime(const CTimeParts& parts)
{
    return CQTime(parts.year, parts.month, parts.day, parts.hour, parts.minute, parts.second,
                  parts.millisecond);
}

int bitmapWidth(const CBitmap& bitmap)
{
    return GetBitmapSize(bitmap).cx;
}

// Clips a context to a rectangle for the life of the object.
class ClipScope {
public:
    ClipScope(CDC& dc, const CRect& rect) : m_dc(dc) { m_dc.IntersectClipRect(rect); }
    ~ClipScope() { m_dc.SelectClipRgn(nullptr); }
    ClipScope(const ClipScope&) = delete;
    ClipScope& operator=(const ClipScope&) = delete;

private:
    CDC& m_dc;
};

// Selects a GDI object for the life of the object.
class SelectScope {
public:
    SelectScope(CDC& dc, HGDIOBJ object) : m_dc(dc), m_previous(dc.SelectObject(object)) {}
    ~SelectScope() { m_dc.SelectObject(m_previous); }
    SelectScope(const SelectScope&) = delete;
    SelectScope& operator=(const SelectScope&) = delete;

private:
    CDC& m_dc;
    HGDIOBJ m_previous;
};

} // namespace

CString positionText(int64_t pos)
{
    CString text;
    text.LoadString(IDS_CURRENT_POSITION);
    text += timeToCalendar(pos).format();
    return text;
}

CString trackLengthText(const CCutRegion& cut)
{
    const int64_t seconds = (cut.end - cut.begin) / 1000;
    CString format;
    format.LoadString(IDS_TRACK_LENGTH);
    CString text;
    text.Format(format, static_cast<int>(seconds / 60), static_cast<int>(seconds % 60));
    return text;
}

void CSkinBitmapDCs::select(const CDC* target, const ViewSkin& skin, int frameWidth)
{
    // The cursor is not among them: it is drawn transparently, from a mask.
    m_bitmaps = {&skin.centerBitmap,    &skin.centerEmptyBitmap, &skin.streamBitmap,
                 &skin.cutMiddleBitmap, &skin.emptyDescBitmap,   &skin.marginBitmap,
                 &skin.cutLeftBitmap,   &skin.cutRightBitmap};
    m_frameWidth = frameWidth;
    for (size_t i = 0; i < kCount; ++i) {
        if (i < kTiled)
            makeRow(target, i);
        else
            m_dcs[i].selectBitmap(target, *m_bitmaps[i]);
    }
}

void CSkinBitmapDCs::makeRow(const CDC* target, size_t index)
{
    const CBitmap& bitmap = *m_bitmaps[index];
    CBitmapDC& row = m_dcs[index];
    const CSize tile = GetBitmapSize(bitmap);
    // Nothing is tiled from a skin without the bitmap.
    if (tile.cx <= 0) {
        row.selectBitmap(target, bitmap);
        return;
    }
    const int width = (m_frameWidth / tile.cx + 2) * tile.cx;
    row.createBitmap(target, width, tile.cy);
    CBitmapDC source;
    source.selectBitmap(target, bitmap);
    for (int x = 0; x < width; x += tile.cx)
        row.BitBlt(x, 0, tile.cx, tile.cy, &source, 0, 0, SRCCOPY);
}

void CSkinBitmapDCs::release()
{
    for (CBitmapDC& dc : m_dcs)
        dc.release();
}

const CDC& CSkinBitmapDCs::of(const CBitmap& bitmap) const
{
    const auto found = std::find(m_bitmaps.begin(), m_bitmaps.end(), &bitmap);
    return m_dcs[static_cast<size_t>(found - m_bitmaps.begin())];
}

CStreamPainter::CStreamPainter(CDC& target, const CSkinBitmapDCs& sources, const ViewSkin& skin,
                               const CRect& client)
    : m_target(target), m_sources(sources), m_skin(skin), m_client(client)
{
}

void CStreamPainter::copy(const CBitmap& bitmap, int x, int y, int width, int height, int sourceX,
                          int sourceY)
{
    m_target.BitBlt(x, y, width, height, &m_sources.of(bitmap), sourceX, sourceY, SRCCOPY);
}

void CStreamPainter::tile(const CBitmap& bitmap, int x, int end)
{
    // A skin without the bitmap has nothing to tile.
    if (bitmapWidth(bitmap) <= 0 || x >= end)
        return;
    m_target.BitBlt(x, 0, end - x, m_skin.height, &m_sources.of(bitmap), 0, 0, SRCCOPY);
}

void CStreamPainter::paintBackground(bool empty)
{
    const int width = m_client.Width();
    const int margin = m_skin.marginWidth;
    copy(m_skin.marginBitmap, 0, 0, margin, m_skin.height, 0, 0);
    copy(m_skin.marginBitmap, width - margin, 0, margin, m_skin.height, 0, 0);
    const CDynBitmap& centre = empty ? m_skin.centerEmptyBitmap : m_skin.centerBitmap;
    const int tileWidth = centre.GetWidth();
    // Whole tiles while they start at width - margin or before: the last may
    // reach into the right margin.
    if (tileWidth > 0 && width - margin >= margin)
        tile(centre, margin, margin + ((width - 2 * margin) / tileWidth + 1) * tileWidth);
}

void CStreamPainter::paintModelLayers(const CStreamProgressCtrlBase& model,
                                      const WaveformValues& waveform)
{
    if (model.isEmpty())
        return;
    m_paintFrom = model.pixelToTime(m_client.left);
    m_paintTo = model.pixelToTime(m_client.right);
    paintStreamBackground(model);
    paintCut(model);
    paintWaveform(model, waveform);
    paintAxis(model);
}

bool CStreamPainter::streamSpan(const CStreamProgressCtrlBase& model, int64_t& from,
                                int64_t& to) const
{
    const int64_t length = model.streamEnd();
    if (0 > m_paintTo || length < m_paintFrom || 0 > model.visibleEnd() ||
        length < model.visibleStart())
        return false;
    from = std::max({int64_t{0}, model.visibleStart(), m_paintFrom});
    to = std::min({length, model.visibleEnd(), m_paintTo});
    return true;
}

void CStreamPainter::paintStreamBackground(const CStreamProgressCtrlBase& model)
{
    int64_t from = 0;
    int64_t to = 0;
    if (!streamSpan(model, from, to))
        return;
    const int x0 = model.clampX(model.timeToPixel(from, true));
    const int x1 = model.clampX(model.timeToPixel(to + 1, true));
    ClipScope clip(m_target, CRect(x0, 0, x1, m_skin.height));
    tile(m_skin.streamBitmap, x0, x1);
}

void CStreamPainter::paintRamp(int x, double ratio)
{
    const int y = static_cast<int>(ratio * (m_skin.markTop - m_skin.markBottom) + 0.5) +
                  m_skin.markBottom;
    copy(m_skin.cutMiddleBitmap, x, y, 1, m_skin.height - y, 0, y);
}

void CStreamPainter::paintCut(const CStreamProgressCtrlBase& model)
{
    const CCutRegion& cut = model.cut();
    if (!cut.valid || cut.begin > m_paintTo || cut.end < m_paintFrom ||
        cut.begin > model.visibleEnd() || cut.end < model.visibleStart())
        return;
    const int xb = model.timeToPixel(cut.begin, false);
    const int xe = model.timeToPixel(cut.end, false);
    const int64_t from = std::max({cut.begin, model.visibleStart(), m_paintFrom});
    const int64_t to = std::min({cut.end, model.visibleEnd(), m_paintTo});
    int x0 = model.clampX(model.timeToPixel(from, true));
    const int x1 = model.clampX(model.timeToPixel(to, true));
    const int xIn = std::max(model.timeToPixel(cut.fadeInEnd(), false), xb);
    const int xOut = std::min(model.timeToPixel(cut.fadeOutStart(), false), xe);
    ClipScope clip(m_target, CRect(x0, 0, x1, m_skin.height));
    const int edge = m_skin.px(1);

    if (xIn <= x0) {
        if (xb >= x0)
            copy(m_skin.cutLeftBitmap, x0, 0, edge, m_skin.height, 0, 0);
        x0 += edge;
    } else {
        for (int x = x0; x <= xIn; ++x)
            paintRamp(x, static_cast<double>(x - xb) / (xIn - xb));
        x0 = xIn + 1;
    }

    const int middleEnd = xOut < x1 ? xOut : xe <= x1 ? x1 - edge : x1;
    if (middleEnd - x0 > 0)
        tile(m_skin.cutMiddleBitmap, x0, middleEnd);

    if (xOut >= x1 || xe == xOut) {
        if (xe <= x1)
            copy(m_skin.cutRightBitmap, x1 - edge, 0, edge, m_skin.height, 0, 0);
    } else {
        for (int x = xOut; x <= x1; ++x)
            paintRamp(x, static_cast<double>(xe - x) / (xe - xOut));
    }
}

void CStreamPainter::paintWaveform(const CStreamProgressCtrlBase& model,
                                   const WaveformValues& waveform)
{
    if (model.visibleEnd() - model.visibleStart() >= CStreamProgressCtrlBase::maxWaveformSpan)
        return;
    int64_t from = 0;
    int64_t to = 0;
    if (!streamSpan(model, from, to))
        return;
    CPen pen;
    pen.CreatePen(PS_SOLID, m_skin.px(1), m_skin.waveformColor);
    SelectScope selected(m_target, pen);

    // A DAT value is one signed byte: its offset is looked up, not mapped
    // again for each of the hundreds of thousands of values in view.
    const double scale = m_skin.waveHalf / 128.0;
    std::array<int, 256> offsets;
    for (int value = -128; value < 128; ++value)
        offsets[value + 128] = static_cast<int>(model.mapAmplitude(value) * scale);
    auto offset = [&](int64_t index) { return offsets[waveform.at(index) + 128]; };
    int64_t i = static_cast<int64_t>((from - model.visibleStart()) / waveform.msPerValue);
    float xf = static_cast<float>(model.timeToPixel(from, true));
    const int xEnd = model.timeToPixel(to, true);
    int dx = xEnd - static_cast<int>(xf);
    if (dx == 0)
        dx = 1;
    int64_t n = static_cast<int64_t>((to - from) / waveform.msPerValue);
    if (n == 0)
        n = 1;
    const float step = static_cast<float>(dx) / static_cast<float>(n);

    m_target.MoveTo(static_cast<int>(xf), m_skin.waveCentre + offset(i));
    if (step >= 0.5f) {
        for (;;) {
            xf += step;
            const int x = std::min(static_cast<int>(xf), xEnd);
            m_target.LineTo(x, m_skin.waveCentre + offset(i));
            if (x == xEnd)
                break;
            ++i;
        }
        return;
    }
    for (;;) {
        const int start = static_cast<int>(xf);
        int hi = 0;
        int lo = 0;
        float acc = xf;
        while (static_cast<int>(acc) == start) {
            // Far from the origin a tiny step no longer moves the float
            // position; the rest of the window cannot be drawn then.
            if (acc + step == acc)
                return;
            acc += step;
            const int y = offset(i);
            ++i;
            if (y >= 1)
                hi = std::max(hi, y);
            else if (y < 0)
                lo = std::min(lo, y);
        }
        xf = acc;
        const int x = static_cast<int>(xf);
        if (x >= xEnd)
            break;
        if (hi == lo)
            hi = 1;
        m_target.MoveTo(x, m_skin.waveCentre + lo);
        m_target.LineTo(x, m_skin.waveCentre + hi);
    }
}

void CStreamPainter::paintAxis(const CStreamProgressCtrlBase& model)
{
    if (!m_skin.axis)
        return;
    const CQTime first = toQTime(timeToCalendar(model.visibleStart()));
    const CQTime second = toQTime(timeToCalendar(model.visibleEnd()));
    if (second.milliseconds() <= first.milliseconds())
        return;
    const RECT& modelRect = model.rect();
    const CRect rect(modelRect.left, m_skin.axisLineY, modelRect.right,
                     m_skin.axisLineY + m_skin.px(50));
    m_skin.axis->SetBorders(first, second);
    m_skin.axis->Paint(m_target, rect, rect, false);
}

void CStreamPainter::paintPositionMarks(const CStreamProgressCtrl& positionLayer)
{
    if (positionLayer.isEmpty())
        return;
    paintTexts(positionLayer);

    const CStreamProgressCtrlBase& model = positionLayer.model();
    CPen pen;
    // Inside the frame, so a wider line stays within the cut's rectangle.
    pen.CreatePen(PS_INSIDEFRAME, m_skin.px(1), m_skin.markRectColor);
    SelectScope selectedPen(m_target, pen);
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    if (model.cut().valid && positionLayer.cutPixelRect(left, top, right, bottom)) {
        SelectScope selectedBrush(m_target, ::GetStockObject(HOLLOW_BRUSH));
        // Rectangle leaves out its right and bottom edges.
        m_target.Rectangle(left, top, right + 1, bottom + 1);
    }
    const int64_t remembered = positionLayer.rememberedPos();
    if (positionLayer.m_showMarker && model.visibleStart() <= remembered &&
        remembered <= model.visibleEnd()) {
        const int x = model.timeToPixel(remembered, true);
        m_target.MoveTo(x, m_skin.markTop);
        m_target.LineTo(x, m_skin.markBottom);
    }
}

void CStreamPainter::paintTexts(const CStreamProgressCtrl& positionLayer)
{
    SelectScope selectedFont(m_target, m_skin.positionFont.GetSafeHandle()
                                           ? m_skin.positionFont.GetSafeHandle()
                                           : ::GetStockObject(DEFAULT_GUI_FONT));
    const COLORREF previousColour = m_target.SetTextColor(m_skin.positionColor);
    const int previousMode = m_target.SetBkMode(TRANSPARENT);
    const RECT& textRect = positionLayer.textRect();

    const CString position = positionText(positionLayer.getPos());
    const int positionWidth = m_target.GetTextExtent(position).cx;
    m_target.TextOut((textRect.left + textRect.right - positionWidth) / 2, m_skin.positionTextY,
                     position);

    const CString length = trackLengthText(positionLayer.model().cut());
    const int lengthWidth = m_target.GetTextExtent(length).cx;
    m_target.TextOut(textRect.right - lengthWidth - m_skin.px(5), m_skin.positionTextY, length);

    m_target.SetBkMode(previousMode);
    m_target.SetTextColor(previousColour);
}
