// Dates as text and back, POSIX side: localtime_r and strftime one way, strptime the other.
#include "platform/dates.h"

#include <time.h>

#include <climits>
#include <cstdlib>

namespace {

// strftime into `out`; the format may be of any length.
void Strftime(std::string& out, const char* format, const struct tm& when) {
    // strftime gives 0 both for an empty result and for one that did not fit: grow, up to a bound.
    size_t room = 64;
    const size_t most = std::char_traits<char>::length(format) * 64 + 4096;
    for (;;) {
        out.resize(room);
        size_t n = strftime(out.data(), room, format, &when);
        if (n > 0 || room >= most) {
            out.resize(n);
            return;
        }
        room *= 4;
    }
}

// The C library writes a year as tm_year + 1900 in an int, which overflows for the years past
// 2,147,483,647 that struct tm still holds (and %G the year after). The calendar repeats every 400
// years (weekdays, leap days), so such a date is written 400·k years earlier, with %Y, %C, %G, %F's
// year and %s written out here.
std::string FormatPastIntYears(const std::string& format, struct tm when, int64_t seconds) {
    int64_t year = int64_t(when.tm_year) + 1900;
    int64_t shift = (int64_t(when.tm_year) - 100) / 400 * 400;
    when.tm_year = int(when.tm_year - shift);
    std::string isoYear;
    Strftime(isoYear, "%G", when);
    std::string plain;
    for (size_t i = 0; i < format.size(); ++i) {
        if (format[i] != '%' || i + 1 == format.size()) {
            plain += format[i];
            continue;
        }
        char c = format[++i];
        if (c == 'Y') {
            plain += std::to_string(year);
        } else if (c == 'C') {
            plain += std::to_string(year / 100);
        } else if (c == 'G') {
            plain += std::to_string(std::atoll(isoYear.c_str()) + shift);
        } else if (c == 's') {
            plain += std::to_string(seconds);
        } else if (c == 'F') {
            plain += std::to_string(year) + "-%m-%d";
        } else {
            plain += '%';
            plain += c;
        }
    }
    std::string out;
    Strftime(out, plain.c_str(), when);
    return out;
}

}  // namespace

bool FormatTime(std::string& out, const std::string& format, int64_t seconds) {
    struct tm local {};
    auto t = time_t(seconds);
    if (localtime_r(&t, &local) == nullptr) {
        out = "?";  // a year past what struct tm holds
        return false;
    }
    if (local.tm_year >= INT_MAX - 1900 - 1)  // %G may be the year after
        out = FormatPastIntYears(format, local, seconds);
    else
        Strftime(out, format.c_str(), local);
    return true;
}

std::string IsoTime(int64_t seconds) {
    struct tm local {};
    auto t = time_t(seconds);
    if (localtime_r(&t, &local) == nullptr) return std::string();
    // Four digits for the years 0 to 9999; ISO 8601's expanded form, a sign and at least five digits,
    // for the others.
    int64_t year = int64_t(local.tm_year) + 1900;
    std::string digits = std::to_string(year < 0 ? -year : year);
    bool expanded = year < 0 || year > 9999;
    size_t width = expanded ? 5 : 4;
    std::string text = expanded ? (year < 0 ? "-" : "+") : "";
    if (digits.size() < width) text.append(width - digits.size(), '0');
    text += digits;
    std::string rest;
    Strftime(rest, "-%m-%dT%H:%M:%S%z", local);
    text += rest;
    if (text.size() > 5 && (text[text.size() - 5] == '+' || text[text.size() - 5] == '-'))
        text.insert(text.size() - 2, ":");
    return text;
}

size_t ReadTime(const char* text, const std::string& format) {
    // glibc's strptime reads %s without a sign: the parts between %s go to strptime, each %s is read
    // here, a '-' (a date before 1970) allowed.
    struct tm parsed {};
    const char* at = text;
    size_t from = 0;
    for (;;) {
        size_t seconds = from;
        while ((seconds = format.find('%', seconds)) != std::string::npos && format.compare(seconds, 2, "%s") != 0)
            seconds += format.compare(seconds, 2, "%%") == 0 ? 2 : 1;
        std::string part = format.substr(from, seconds == std::string::npos ? std::string::npos : seconds - from);
        if (!part.empty()) {
            at = strptime(at, part.c_str(), &parsed);
            if (at == nullptr) return 0;
        }
        if (seconds == std::string::npos) break;
        while (*at == ' ' || *at == '\t') ++at;
        const char* digits = at + (*at == '-' || *at == '+');
        if (*digits < '0' || *digits > '9') return 0;
        while (*digits >= '0' && *digits <= '9') ++digits;
        at = digits;
        from = seconds + 2;
    }
    return size_t(at - text);
}
