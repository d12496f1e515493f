#include "view/TimeParts.h"

namespace {

bool isLeapYear(int32_t year)
{
    return year % 4 == 0;
}

} // namespace

CString CTimeParts::format() const
{
    CString text;
    text.Format(L"%02d:%02d:%02d.%03d", hour, minute, second, millisecond);
    return text;
}

CTimeParts timeToCalendar(int64_t t)
{
    CTimeParts parts;
    if (t < 0)
        return parts;
    parts.millisecond = static_cast<int32_t>(t % 1000);
    t /= 1000;
    parts.second = static_cast<int32_t>(t % 60);
    t /= 60;
    parts.minute = static_cast<int32_t>(t % 60);
    t /= 60;
    parts.hour = static_cast<int32_t>(t % 24);
    int64_t days = t / 24;

    // 2000 is a leap year, so the first year is 366 days long.
    int64_t yearLength = 366;
    while (days >= yearLength) {
        ++parts.year;
        days -= yearLength;
        yearLength = isLeapYear(parts.year) ? 366 : 365;
    }
    const int32_t monthLengths[] = {31, isLeapYear(parts.year) ? 29 : 28, 31, 30, 31, 30,
                                    31, 31, 30, 31, 30, 31};
    int index = 0;
    while (index < 11 && days >= monthLengths[index]) {
        days -= monthLengths[index];
        ++index;
    }
    parts.month = index + 1;
    parts.day = static_cast<int32_t>(days) + 1;
    return parts;
}
