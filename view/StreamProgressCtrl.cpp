#include "view/StreamProgressCtrl.h"

#include <algorithm>
#include <cstdlib>

namespace {

// Zones outside any real client area: the view's scroll commands hit-test
// their centres, so scrolling goes through the same path as a click.
constexpr RECT kScrollLeftZone{3001, 3001, 3003, 3003};
constexpr RECT kScrollRightZone{3004, 3004, 3006, 3006};
// Smaller drag steps are hand tremor, not a pan.
constexpr int kMinPanStep = 11;

} // namespace

CStreamProgressCtrl::CStreamProgressCtrl() : m_model(std::make_unique<CStreamProgressCtrlBase>()) {}

void CStreamProgressCtrl::setRect(int left, int top, int right, int bottom)
{
    m_textRect = {left, top, right, bottom};
    m_model->setRect(left, top, right, bottom);
    m_posPixel = m_model->timeToPixel(m_pos, true);
    m_scrollLeftZone = kScrollLeftZone;
    m_scrollRightZone = kScrollRightZone;
}

void CStreamProgressCtrl::setSliderRect(int left, int top, int right, int bottom)
{
    m_sliderRect = {left, top, right, bottom};
}

void CStreamProgressCtrl::setPosition(int64_t t)
{
    m_posPixel = m_model->timeToPixel(t, true);
    m_pos = t;
}

void CStreamProgressCtrl::setPosPixel(int x)
{
    m_posPixel = x;
    m_pos = m_model->pixelToTime(x);
}

bool CStreamProgressCtrl::isTimeVisible(int64_t t) const
{
    return m_model->visibleStart() <= t && t <= m_model->visibleEnd();
}

bool CStreamProgressCtrl::ensurePosVisible(int64_t t)
{
    CStreamProgressCtrlBase& model = *m_model;
    if (model.visibleStart() <= t && t < model.visibleEnd()) {
        setPosition(t);
        return false;
    }
    model.scrollRight(90);
    if (model.visibleStart() <= t && t < model.visibleEnd()) {
        setPosition(t);
        return true;
    }
    if (t < model.visibleStart()) {
        model.scroll(t - model.visibleStart());
        t = model.visibleStart();
    } else {
        model.scroll(t - model.visibleEnd());
        t = model.visibleEnd();
    }
    setPosition(t < model.visibleEnd() ? t : model.visibleEnd() - 1);
    return true;
}

int CStreamProgressCtrl::hitTest(int x, int y)
{
    const POINT point{x, y};
    if (PtInRect(&m_scrollLeftZone, point)) {
        const int64_t shift = m_model->scrollLeft(25);
        setPosition(shift != 0 ? m_pos + shift : m_model->streamStart());
        return HitScrollLeft;
    }
    if (PtInRect(&m_scrollRightZone, point)) {
        const int64_t shift = m_model->scrollRight(25);
        setPosition(shift != 0 ? m_pos + shift : m_model->streamEnd() - 1);
        return HitScrollRight;
    }
    const RECT& rect = m_model->rect();
    if (x >= rect.left && x <= rect.right && y >= rect.top && y <= rect.bottom) {
        m_panX = x;
        m_panning = true;
        return HitPan;
    }
    if (PtInRect(&m_sliderRect, point)) {
        setPosPixel(x);
        return HitSlider;
    }
    return HitNone;
}

bool CStreamProgressCtrl::panTo(int x, int)
{
    if (!m_panning || std::abs(m_panX - x) < ScaledToDpi(kMinPanStep, m_dpi))
        return false;
    // Dragging right shows earlier times; the position keeps its pixel.
    const int64_t shift = m_model->scroll(m_model->pixelToTime(m_panX) - m_model->pixelToTime(x));
    setPosition(m_pos + shift);
    m_panX = x;
    return true;
}

void CStreamProgressCtrl::setLength(int32_t length, bool reset)
{
    m_model->setSaved(length, reset);
}

void CStreamProgressCtrl::setEmpty(bool empty)
{
    m_empty = empty;
    m_model->setEmpty(empty);
}

bool CStreamProgressCtrl::cutPixelRect(int& left, int& top, int& right, int& bottom) const
{
    const CCutRegion& cut = m_model->cut();
    if (!cut.valid || cut.begin >= m_model->visibleEnd() || cut.end <= m_model->visibleStart())
        return false;
    const int64_t b = std::max(cut.begin, m_model->visibleStart());
    const int64_t e = std::min(cut.end, m_model->visibleEnd());
    if (e < b)
        return false;
    left = m_model->timeToPixel(b, true);
    right = m_model->timeToPixel(e, true);
    if (right == left)
        ++right;
    top = m_textRect.top + 1;
    bottom = m_textRect.bottom;
    return true;
}
