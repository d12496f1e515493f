#pragma once

#include "axis/AxisApi.h"

#include <cstdint>

// A point in time: milliseconds since 1 January 1970, 00:00 UTC.
class AXIS_API CQTime {
public:
    explicit CQTime(int64_t millisecondsSince1970 = 0) : m_milliseconds(millisecondsSince1970) {}
    // A local calendar time (month and day counted from 1); daylight saving
    // follows the system's time-zone rules.
    CQTime(int year, int month, int day, int hour, int minute, int second, int millisecond);

    int64_t milliseconds() const { return m_milliseconds; }
    // The same instant on the local wall clock, counted from 1 January 1970,
    // 00:00 local time: what the clock shows, as milliseconds.
    int64_t localClockMilliseconds() const;

private:
    int64_t m_milliseconds;
};
