#pragma once

#include "CString.h"

#include <cstdint>

// A stream time taken apart as a calendar date and clock time, counted from
// midnight, 1 January 2000.
class CTimeParts {
public:
    int32_t year = 2000;
    int32_t month = 1;
    int32_t day = 1;
    int32_t hour = 0;
    int32_t minute = 0;
    int32_t second = 0;
    int32_t millisecond = 0;

    // "hh:mm:ss.mmm"; the date is left out, so hours wrap at 24.
    CString format() const;

    friend bool operator==(const CTimeParts&, const CTimeParts&) = default;
};

// Negative times give the default record.
CTimeParts timeToCalendar(int64_t t);
