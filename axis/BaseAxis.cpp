#include "axis/BaseAxis.h"

#include <algorithm>
#include <cmath>
#include <cwchar>
#include <iterator>

namespace {

int64_t floorDiv(int64_t value, int64_t divisor)
{
    const int64_t quotient = value / divisor;
    return quotient * divisor > value ? quotient - 1 : quotient;
}

int averageCharWidth(HDC dc)
{
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    return std::max(1, static_cast<int>(metrics.tmAveCharWidth));
}

} // namespace

CBaseAxis::CBaseAxis(const LOGFONTW& font, const LOGPEN& linePen, const LOGPEN& markPen,
                     double labelGap)
{
    SetAxisParams(font, linePen, markPen, labelGap);
}

CBaseAxis::~CBaseAxis()
{
    releaseObjects();
}

void CBaseAxis::releaseObjects()
{
    for (HGDIOBJ object : {static_cast<HGDIOBJ>(m_font), static_cast<HGDIOBJ>(m_linePen),
                           static_cast<HGDIOBJ>(m_markPen)}) {
        if (object)
            DeleteObject(object);
    }
    m_font = nullptr;
    m_linePen = m_markPen = nullptr;
}

void CBaseAxis::SetAxisParams(const LOGFONTW& font, const LOGPEN& linePen, const LOGPEN& markPen,
                              double labelGap)
{
    releaseObjects();
    m_font = CreateFontIndirectW(&font);
    m_linePen = CreatePenIndirect(&linePen);
    m_markPen = CreatePenIndirect(&markPen);
    m_labelColor = markPen.lopnColor;
    m_labelGap = std::max(0.0, labelGap);
}

void CBaseAxis::SetAxisParamsEx(int smallMarkLength, int middleMarkLength, int bigMarkLength,
                                int labelTop)
{
    m_smallMarkLength = smallMarkLength;
    m_middleMarkLength = middleMarkLength;
    m_bigMarkLength = bigMarkLength;
    m_labelTop = labelTop;
}

void CBaseAxis::setRange(int64_t first, int64_t last, int64_t origin)
{
    m_first = first;
    m_last = last;
    m_origin = origin;
}

void CBaseAxis::Paint(HDC dc, const RECT& axisRect, const RECT& updateRect, bool eraseBackground)
{
    RECT area{};
    if (!IntersectRect(&area, &axisRect, &updateRect))
        return;
    const int width = axisRect.right - axisRect.left;
    if (m_last <= m_first || width <= 0)
        return;

    const int saved = SaveDC(dc);
    IntersectClipRect(dc, area.left, area.top, area.right, area.bottom);
    if (eraseBackground)
        ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &axisRect, nullptr, 0, nullptr);

    SelectObject(dc, m_linePen);
    MoveToEx(dc, axisRect.left, axisRect.top, nullptr);
    LineTo(dc, axisRect.right, axisRect.top);

    SelectObject(dc, m_font);
    const double pixelsPerUnit = static_cast<double>(width) / static_cast<double>(m_last - m_first);
    const Scale scale = chooseScale(dc, pixelsPerUnit);
    // A range so long that even the coarsest marks would merge gets the line only.
    if (static_cast<double>(scale.small) * pixelsPerUnit >= 1.0) {
        paintMarks(dc, axisRect, scale, pixelsPerUnit);
        paintLabels(dc, axisRect, scale, pixelsPerUnit);
    }
    RestoreDC(dc, saved);
}

int64_t CBaseAxis::firstMultiple(int64_t step) const
{
    return m_origin - floorDiv(m_origin - m_first, step) * step;
}

int CBaseAxis::labelGapPixels(HDC dc) const
{
    return static_cast<int>(std::ceil(m_labelGap * averageCharWidth(dc)));
}

CBaseAxis::Label CBaseAxis::makeLabel(HDC dc, int64_t value, int64_t step) const
{
    Label label{};
    formatLabel(value - m_origin, step, label.text, std::size(label.text));
    label.length = static_cast<int>(wcslen(label.text));
    GetTextExtentPoint32W(dc, label.text, label.length, &label.extent);
    return label;
}

LONG CBaseAxis::pixelOf(const RECT& axisRect, int64_t value, double pixelsPerUnit) const
{
    return axisRect.left + std::lround(static_cast<double>(value - m_first) * pixelsPerUnit);
}

CBaseAxis::Scale CBaseAxis::chooseScale(HDC dc, double pixelsPerUnit) const
{
    size_t count = 0;
    const int64_t* candidates = steps(&count);
    const int charWidth = averageCharWidth(dc);
    // One pixel more for the rounding of the mark positions.
    const int spacing = labelGapPixels(dc) + 1;

    size_t big = count - 1;
    for (size_t i = 0; i < count; ++i) {
        const LONG widest = std::max(makeLabel(dc, m_first, candidates[i]).extent.cx,
                                     makeLabel(dc, m_last, candidates[i]).extent.cx);
        if (static_cast<double>(candidates[i]) * pixelsPerUnit >= widest + spacing) {
            big = i;
            break;
        }
    }
    Scale scale{candidates[big], 0, candidates[big]};
    for (size_t i = 0; i < big; ++i) {
        if (scale.big % candidates[i] == 0 &&
            static_cast<double>(candidates[i]) * pixelsPerUnit >= charWidth) {
            scale.small = candidates[i];
            break;
        }
    }
    for (size_t i = big; i-- > 0 && candidates[i] > scale.small;) {
        if (scale.big % candidates[i] == 0 && candidates[i] % scale.small == 0) {
            scale.middle = candidates[i];
            break;
        }
    }
    return scale;
}

void CBaseAxis::paintMarks(HDC dc, const RECT& axisRect, const Scale& scale,
                           double pixelsPerUnit) const
{
    SelectObject(dc, m_markPen);
    for (int64_t value = firstMultiple(scale.small); value <= m_last; value += scale.small) {
        const int64_t fromOrigin = value - m_origin;
        const int length = fromOrigin % scale.big == 0                      ? m_bigMarkLength
                           : scale.middle && fromOrigin % scale.middle == 0 ? m_middleMarkLength
                                                                            : m_smallMarkLength;
        const LONG x = pixelOf(axisRect, value, pixelsPerUnit);
        MoveToEx(dc, x, axisRect.top, nullptr);
        LineTo(dc, x, axisRect.top + length);
    }
}

void CBaseAxis::paintLabels(HDC dc, const RECT& axisRect, const Scale& scale,
                            double pixelsPerUnit) const
{
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, m_labelColor);
    const int top = m_labelTop.value_or(axisRect.top + m_bigMarkLength + 1);
    const int gap = labelGapPixels(dc);
    bool anyDrawn = false;
    LONG previousRight = 0;
    for (int64_t value = firstMultiple(scale.big); value <= m_last; value += scale.big) {
        const Label label = makeLabel(dc, value, scale.big);
        const LONG x = pixelOf(axisRect, value, pixelsPerUnit);
        // A label is centred under its mark or left out, so the labels stay
        // as regular as the marks: at the ends when it would stick out of the
        // rectangle, elsewhere when a wider neighbour leaves it no room.
        const LONG left = x - label.extent.cx / 2;
        if (left < axisRect.left || left + label.extent.cx > axisRect.right ||
            (anyDrawn && left < previousRight + gap))
            continue;
        TextOutW(dc, left, top, label.text, label.length);
        anyDrawn = true;
        previousRight = left + label.extent.cx;
    }
}
