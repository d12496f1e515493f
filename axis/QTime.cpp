#include "axis/QTime.h"

#include <ctime>

CQTime::CQTime(int year, int month, int day, int hour, int minute, int second, int millisecond)
{
    std::tm parts{};
    parts.tm_year = year - 1900;
    parts.tm_mon = month - 1;
    parts.tm_mday = day;
    parts.tm_hour = hour;
    parts.tm_min = minute;
    parts.tm_sec = second;
    parts.tm_isdst = -1;
    m_milliseconds = static_cast<int64_t>(_mktime64(&parts)) * 1000 + millisecond;
}

int64_t CQTime::localClockMilliseconds() const
{
    int64_t seconds = m_milliseconds / 1000;
    int64_t rest = m_milliseconds % 1000;
    if (rest < 0) {
        seconds -= 1;
        rest += 1000;
    }
    const __time64_t utc = seconds;
    std::tm local{};
    if (_localtime64_s(&local, &utc) != 0)
        return m_milliseconds;
    return static_cast<int64_t>(_mkgmtime64(&local)) * 1000 + rest;
}
