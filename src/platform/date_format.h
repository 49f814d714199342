// Dates as text without the C library (portable; the Windows side's formatter and reader): strftime's
// conversions, flags and widths as glibc writes them in the C locale, over a broken-down local time the
// platform gives, and the strptime subset that reads them back.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// A moment broken down in some time zone.
struct LocalTime {
    int64_t year = 1970;
    int month = 0;        // 0-11
    int day = 1;          // 1-31
    int hour = 0, minute = 0, second = 0;
    int weekday = 4;      // 0-6, Sunday 0
    int yearDay = 0;      // 0-365
    int32_t offset = 0;   // seconds east of UTC
    std::string zone;     // the zone's short name for %Z
    int64_t seconds = 0;  // since 1970, for %s
};

// `when` in strftime's `format`, appended to `out`.
void AppendFormattedTime(std::string& out, std::string_view format, const LocalTime& when);

// The date fields a LocalTime is broken down from: `seconds` since 1970 plus `offset` seconds east of
// UTC, as a proleptic Gregorian calendar date (any year an int64_t can hold after the division).
LocalTime BreakDownTime(int64_t seconds, int32_t offset);

// How many bytes of `text` (NUL-terminated) a date in strptime's `format` takes, as glibc's strptime
// reads it in the C locale; 0 when none is there. %s is read by the caller.
size_t ReadFormattedTime(const char* text, std::string_view format);
