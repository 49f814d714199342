// Dates in the local time zone as text and back, with the C library's formats (POSIX side in
// dates_posix.cpp: localtime_r, strftime, strptime; Windows side in dates_win32.cpp over the portable
// date_format.h, where the years SYSTEMTIME holds, 1601 to 30827, are the ones that can be written).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// `seconds` (since 1970, negative before) in local time, in strftime's `format`, into `out`; the format
// may be of any length. False, with "?", for a time the C library cannot break down (a year past what
// struct tm holds); years past what an int holds are written out whole.
bool FormatTime(std::string& out, const std::string& format, int64_t seconds);
// ISO 8601 with the local offset, "2026-05-01T10:00:00+02:00": the years 0 to 9999 in four digits, the
// others in the expanded form ("+10000-01-01T...", "-00001-..."). Empty where FormatTime gives "?".
std::string IsoTime(int64_t seconds);
// How many bytes of `text` (NUL-terminated) a date in strftime's `format` takes, as strptime reads it
// (a blank in the format takes every blank there); 0 when none is there.
size_t ReadTime(const char* text, const std::string& format);
