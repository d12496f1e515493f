#include "view/StreamProgressCtrlBase.h"

#include "infra/Logger.h"
#include "infra/Settings.h"

#include <algorithm>
#include <cmath>

void CheckNegativeTimes(const wchar_t* label, int64_t first, int64_t second)
{
    if (first < 0 || second < 0)
        LogFormat(LOG_ERROR, L"negative time values in '%s' : %I64d %I64d", label, first, second);
}

CStreamProgressCtrlBase::CStreamProgressCtrlBase()
{
    CMVSettings& settings = GetMVSettings();
    m_minZoom = settings.GetMinZoomSec() * 1000;
    settings.GetLogViewParams(m_logX0, m_logX1, m_logS);
    m_logBase = std::log10(static_cast<double>(m_logX1 - m_logX0)) * m_logS;
    m_logScale = 128.0 / (std::log10(32767.0 - m_logX0) * m_logS - m_logBase);
}

void CStreamProgressCtrlBase::setRect(int left, int top, int right, int bottom)
{
    m_rect = {std::min(left, right), std::min(top, bottom), std::max(left, right),
              std::max(top, bottom)};
}

int CStreamProgressCtrlBase::clampX(int x) const
{
    return std::clamp(x, static_cast<int>(m_rect.left), static_cast<int>(m_rect.right));
}

int32_t CStreamProgressCtrlBase::timeToPixel(int64_t t, bool clamp) const
{
    if (clamp) {
        if (t <= m_visibleStart)
            return m_rect.left;
        if (t >= m_visibleEnd - 1)
            return m_rect.right;
    }
    const double fraction = static_cast<double>(t - m_visibleStart) /
                            static_cast<double>(m_visibleEnd - m_visibleStart);
    return m_rect.left + static_cast<int32_t>(fraction * static_cast<double>(m_rect.right - m_rect.left));
}

int64_t CStreamProgressCtrlBase::pixelToTime(int x) const
{
    if (m_rect.right == m_rect.left)
        return m_visibleStart;
    const double fraction =
        static_cast<double>(x - m_rect.left) / static_cast<double>(m_rect.right - m_rect.left);
    const int64_t t = m_visibleStart + static_cast<int64_t>(
                                           static_cast<double>(m_visibleEnd - m_visibleStart) * fraction);
    if (t < m_streamStart)
        return m_streamStart;
    if (t >= m_streamEnd)
        return m_streamEnd - 1;
    return t;
}

bool CStreamProgressCtrlBase::canZoomIn() const
{
    return m_visibleEnd - m_visibleStart >= m_minZoom + 50;
}

void CStreamProgressCtrlBase::zoomIn(int64_t t)
{
    CheckNegativeTimes(L"zoomIn time", t);
    if (!canZoomIn())
        return;
    const int64_t length = m_visibleEnd - m_visibleStart;
    // Each step halves the window; the last one lands exactly on minZoom.
    const double factor = std::min(static_cast<double>(length) / m_minZoom, 2.0);
    const int64_t newLength = static_cast<int64_t>(length / factor);
    const int64_t rightPart = static_cast<int64_t>((m_visibleEnd - t) / factor);
    const int64_t leftPart = static_cast<int64_t>((t - m_visibleStart) / factor);
    // The larger side is kept exact; the rounding loss falls on the other.
    if (rightPart > leftPart) {
        m_visibleEnd = t + rightPart;
        m_visibleStart = m_visibleEnd - newLength;
    } else {
        m_visibleStart = t - leftPart;
        m_visibleEnd = m_visibleStart + newLength;
    }
    m_visibleEnd = std::min(m_visibleEnd, m_streamEnd);
    m_visibleStart = std::max(m_visibleStart, m_streamStart);
    CheckNegativeTimes(L"zoomIn times", m_visibleStart, m_visibleEnd);
}

bool CStreamProgressCtrlBase::zoomOut(int64_t t)
{
    CheckNegativeTimes(L"zoomOut time", t);
    const int64_t oldStart = m_visibleStart, oldEnd = m_visibleEnd;
    int64_t half = (m_visibleEnd - m_visibleStart) / 2;
    if (half == 0)
        half = 10;
    m_visibleEnd = std::min(m_visibleEnd + half, m_streamEnd);
    m_visibleStart = std::max(m_visibleStart - half, m_streamStart);
    CheckNegativeTimes(L"zoomOut times", m_visibleStart, m_visibleEnd);
    return m_visibleStart != oldStart || m_visibleEnd != oldEnd;
}

bool CStreamProgressCtrlBase::isZoomed() const
{
    return m_visibleStart != m_streamStart || m_visibleEnd != m_streamEnd;
}

int64_t CStreamProgressCtrlBase::shiftWindow(int64_t delta)
{
    int64_t newStart = m_visibleStart + delta, newEnd = m_visibleEnd + delta;
    if (newStart < m_streamStart) {
        newEnd += m_streamStart - newStart;
        newStart = m_streamStart;
    }
    if (newEnd > m_streamEnd) {
        newStart -= newEnd - m_streamEnd;
        newEnd = m_streamEnd;
    }
    const int64_t moved = newStart - m_visibleStart;
    m_visibleStart = newStart;
    m_visibleEnd = newEnd;
    return moved;
}

int64_t CStreamProgressCtrlBase::scrollLeft(int percent)
{
    // The window keeps its length, so its start and end move alike.
    const int64_t moved = shiftWindow(-(percent * (m_visibleEnd - m_visibleStart)) / 100);
    CheckNegativeTimes(L"scrollLeft times", m_visibleStart, m_visibleEnd);
    return moved;
}

int64_t CStreamProgressCtrlBase::scrollRight(int percent)
{
    CheckNegativeTimes(L"scrollRight times", m_visibleStart, m_visibleEnd);
    return shiftWindow((percent * (m_visibleEnd - m_visibleStart)) / 100);
}

int64_t CStreamProgressCtrlBase::scroll(int64_t delta)
{
    const int64_t moved = shiftWindow(delta);
    CheckNegativeTimes(L"scroll times", m_visibleStart, m_visibleEnd);
    return moved;
}

int64_t CStreamProgressCtrlBase::moveWindowToStreamStart()
{
    const int64_t distance = m_visibleStart - m_streamStart;
    if (distance != 0) {
        m_visibleEnd -= distance;
        m_visibleStart = m_streamStart;
    }
    return distance;
}

bool CStreamProgressCtrlBase::setSaved(int32_t length, bool reset)
{
    if (length == 0) {
        m_streamStart = m_visibleStart = 0;
        m_streamEnd = m_visibleEnd = 1;
        return true;
    }
    if (reset) {
        m_streamStart = m_visibleStart = 0;
        m_streamEnd = m_visibleEnd = length;
        return true;
    }
    // Keep what the user sees as far as the new extent allows.
    bool changed = false;
    const int64_t oldLength = m_visibleEnd - m_visibleStart;
    if (m_streamStart != 0) {
        m_streamStart = 0;
        if (m_visibleStart < 0) {
            m_visibleStart = 0;
            changed = true;
        }
    }
    if (m_streamEnd != length) {
        m_streamEnd = length;
        if (m_visibleEnd == 1) {
            m_visibleEnd = m_streamEnd;
            changed = true;
        } else if (m_visibleEnd > m_streamEnd) {
            m_visibleEnd = m_streamEnd;
            changed = true;
        }
    }
    if (m_visibleStart >= m_streamEnd) {
        m_visibleStart = std::max(m_visibleEnd - oldLength, m_streamStart);
        changed = true;
    }
    if (m_streamStart >= m_visibleEnd) {
        m_visibleEnd = std::min(m_visibleStart + oldLength, m_streamEnd);
        changed = true;
    }
    CheckNegativeTimes(L"setSaved times", m_visibleStart, m_visibleEnd);
    return changed;
}

double CStreamProgressCtrlBase::mapAmplitude(int value) const
{
    if (!m_logarithmic)
        return value;
    const int scaled = value * 256;
    const int magnitude = std::abs(scaled);
    if (magnitude <= m_logX1)
        return 0.0;
    const double height = std::log10(static_cast<double>(magnitude - m_logX0)) * m_logS - m_logBase;
    return scaled > 0 ? height * m_logScale : -height * m_logScale;
}
