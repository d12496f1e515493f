#include "widgets/Gradient.h"

#include <algorithm>

namespace {

BYTE mix(BYTE from, BYTE to, double share)
{
    return static_cast<BYTE>(from + (to - from) * share + 0.5);
}

} // namespace

void CGradient::DrawGradient(CDC* dc, const CRect& area, const CRect& painted,
                             GradientDirection direction) const
{
    CRect visible;
    if (!visible.IntersectRect(area, painted))
        return;
    const bool horizontal =
        direction == GRADIENT_LEFT_TO_RIGHT || direction == GRADIENT_RIGHT_TO_LEFT;
    const int length = std::max(1, (horizontal ? area.Width() : area.Height()) - 1);
    const int first = horizontal ? visible.left : visible.top;
    const int last = horizontal ? visible.right : visible.bottom;
    for (int line = first; line < last; ++line) {
        const double along = static_cast<double>(line - (horizontal ? area.left : area.top)) / length;
        const bool fromEnd = direction == GRADIENT_RIGHT_TO_LEFT || direction == GRADIENT_BOTTOM_TO_TOP;
        const COLORREF colour = GetColorAt(fromEnd ? 1.0 - along : along);
        if (horizontal)
            dc->FillSolidRect(CRect(line, visible.top, line + 1, visible.bottom), colour);
        else
            dc->FillSolidRect(CRect(visible.left, line, visible.right, line + 1), colour);
    }
}

void CGradient::SetGradientColors(COLORREF from, COLORREF to)
{
    m_stops = {CGradElement{from, 0.0}, CGradElement{to, 1.0}};
}

COLORREF CGradient::GetColorAt(double position) const
{
    if (m_stops.empty())
        return 0;
    if (position <= m_stops.front().position)
        return m_stops.front().colour;
    for (size_t i = 1; i < m_stops.size(); ++i) {
        const CGradElement& from = m_stops[i - 1];
        const CGradElement& to = m_stops[i];
        if (position <= to.position) {
            const double span = to.position - from.position;
            const double share = span > 0 ? (position - from.position) / span : 1.0;
            return RGB(mix(GetRValue(from.colour), GetRValue(to.colour), share),
                       mix(GetGValue(from.colour), GetGValue(to.colour), share),
                       mix(GetBValue(from.colour), GetBValue(to.colour), share));
        }
    }
    return m_stops.back().colour;
}
