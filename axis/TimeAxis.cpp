#include "axis/TimeAxis.h"

#include "axis/Axis.h"

#include <cwchar>
#include <iterator>

namespace {

constexpr int64_t kSecond = 1000;
constexpr int64_t kMinute = 60 * kSecond;
constexpr int64_t kHour = 60 * kMinute;
constexpr int64_t kDay = 24 * kHour;

// Steps that divide the next larger unit, so marks land on round clock times.
constexpr int64_t kSteps[] = {1,
                              2,
                              5,
                              10,
                              20,
                              50,
                              100,
                              200,
                              500,
                              kSecond,
                              2 * kSecond,
                              5 * kSecond,
                              10 * kSecond,
                              15 * kSecond,
                              30 * kSecond,
                              kMinute,
                              2 * kMinute,
                              5 * kMinute,
                              10 * kMinute,
                              15 * kMinute,
                              30 * kMinute,
                              kHour,
                              2 * kHour,
                              3 * kHour,
                              6 * kHour,
                              12 * kHour,
                              kDay};

} // namespace

CTimeAxis::CTimeAxis(const LOGFONTW& font, const LOGPEN& linePen, const LOGPEN& markPen,
                     double labelGap)
    : CBaseAxis(font, linePen, markPen, labelGap)
{
}

void CTimeAxis::SetBorders(const CQTime& left, const CQTime& right)
{
    const int64_t first = left.localClockMilliseconds();
    const int64_t last = right.localClockMilliseconds();
    const bool elapsed = Axis_GetMode() == AXIS_MODE_ELAPSED;
    m_wrapHours = !elapsed;
    setRange(first, last, elapsed ? first : 0);
}

const int64_t* CTimeAxis::steps(size_t* count) const
{
    *count = std::size(kSteps);
    return kSteps;
}

void CTimeAxis::formatLabel(int64_t value, int64_t step, wchar_t* text, size_t size) const
{
    const bool negative = value < 0;
    const int64_t magnitude = negative ? -value : value;
    int64_t hours = magnitude / kHour;
    if (m_wrapHours)
        hours %= 24;
    const int minutes = static_cast<int>(magnitude / kMinute % 60);
    const int seconds = static_cast<int>(magnitude / kSecond % 60);
    const wchar_t* sign = negative ? L"-" : L"";
    if (step >= kMinute) {
        swprintf(text, size, L"%ls%02lld:%02d", sign, static_cast<long long>(hours), minutes);
        return;
    }
    if (step >= kSecond) {
        swprintf(text, size, L"%ls%02lld:%02d:%02d", sign, static_cast<long long>(hours), minutes,
                 seconds);
        return;
    }
    const int decimals = step % 100 == 0 ? 1 : step % 10 == 0 ? 2 : 3;
    const int divisor = decimals == 1 ? 100 : decimals == 2 ? 10 : 1;
    swprintf(text, size, L"%ls%02lld:%02d:%02d.%0*d", sign, static_cast<long long>(hours), minutes,
             seconds, decimals, static_cast<int>(magnitude % kSecond / divisor));
}
