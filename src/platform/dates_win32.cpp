// Dates as text and back, Windows side: the local breakdown and offset from the Win32 API (the user's
// time zone, daylight saving time included), written and read by the portable date_format.h.
#include "platform/dates.h"

#include <windows.h>

#include "platform/date_format.h"

namespace {

constexpr int64_t kFileTimeEpoch = 11644473600;  // seconds from 1601 to 1970
constexpr int64_t kTicks = 10000000;             // FILETIME counts 100 ns

// `seconds` in the user's time zone; false for a moment SYSTEMTIME cannot hold (before 1601, after
// 30827) or the system cannot convert.
bool BreakDownLocal(int64_t seconds, LocalTime& when) {
    if (seconds < -kFileTimeEpoch || seconds > INT64_MAX / kTicks - kFileTimeEpoch) return false;
    auto ticks = uint64_t(seconds + kFileTimeEpoch) * uint64_t(kTicks);
    FILETIME utcFile{DWORD(ticks), DWORD(ticks >> 32)};
    SYSTEMTIME utc, local;
    DYNAMIC_TIME_ZONE_INFORMATION dynamic;
    TIME_ZONE_INFORMATION zone;
    if (!FileTimeToSystemTime(&utcFile, &utc) || GetDynamicTimeZoneInformation(&dynamic) == TIME_ZONE_ID_INVALID)
        return false;
    // The zone's rules for that year where the system keeps them (Wine has no
    // SystemTimeToTzSpecificLocalTimeEx, which would choose them itself), else its present ones.
    if (!GetTimeZoneInformationForYear(utc.wYear, &dynamic, &zone) &&
        GetTimeZoneInformation(&zone) == TIME_ZONE_ID_INVALID)
        return false;
    FILETIME localFile;
    if (!SystemTimeToTzSpecificLocalTime(&zone, &utc, &local) || !SystemTimeToFileTime(&local, &localFile))
        return false;
    uint64_t localTicks = uint64_t(localFile.dwHighDateTime) << 32 | localFile.dwLowDateTime;
    auto offset = int32_t((int64_t(localTicks) - int64_t(ticks)) / kTicks);
    when = BreakDownTime(seconds, offset);
    // Windows names its zones in words ("Tokyo Standard Time"): %Z is the offset as the time zone
    // database writes a zone without an abbreviation ("+09", "-0330"), "UTC" for UTC itself.
    if (offset == 0 && zone.Bias == 0 && zone.DaylightBias == 0) {
        when.zone = "UTC";
    } else {
        int32_t minutes = (offset < 0 ? -offset : offset) / 60;
        when.zone = offset < 0 ? "-" : "+";
        when.zone += char('0' + minutes / 600);
        when.zone += char('0' + minutes / 60 % 10);
        if (minutes % 60 != 0) {
            when.zone += char('0' + minutes % 60 / 10);
            when.zone += char('0' + minutes % 10);
        }
    }
    return true;
}

}  // namespace

bool FormatTime(std::string& out, const std::string& format, int64_t seconds) {
    LocalTime when;
    out.clear();
    if (!BreakDownLocal(seconds, when)) {
        out = "?";  // a year past what SYSTEMTIME holds
        return false;
    }
    AppendFormattedTime(out, format, when);
    return true;
}

std::string IsoTime(int64_t seconds) {
    LocalTime when;
    if (!BreakDownLocal(seconds, when)) return std::string();
    // Four digits for the years to 9999, ISO 8601's expanded form ("+10000") after.
    std::string text;
    if (when.year > 9999) text = "+";
    AppendFormattedTime(text, when.year > 9999 ? "%05Y-%m-%dT%H:%M:%S%z" : "%Y-%m-%dT%H:%M:%S%z", when);
    text.insert(text.size() - 2, ":");
    return text;
}

size_t ReadTime(const char* text, const std::string& format) { return ReadFormattedTime(text, format); }
