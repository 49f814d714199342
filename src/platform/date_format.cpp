// Dates as text without the C library (portable): strftime's conversions as glibc writes them in the
// C locale (flags _ - 0 ^ #, a width, the E and O modifiers, and the odd results of bad conversions
// included), a calendar breakdown, and strptime's reading of the same conversions.
#include "platform/date_format.h"

#include <cstring>

namespace {

const char* const kWeekdays[] = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};
const char* const kMonths[] = {"January", "February", "March",     "April",   "May",      "June",
                               "July",    "August",   "September", "October", "November", "December"};

bool IsLeap(int64_t year) { return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0); }

// Days from the first day of the first ISO week of the year (the Monday of the week holding its first
// Thursday) to the year day `yearDay`, a `weekday`; negative before it.
int IsoWeekDays(int yearDay, int weekday) {
    constexpr int kEnoughWeeks = (366 / 7 + 2) * 7;  // keeps the left side of % from going negative
    return yearDay - (yearDay - weekday + 4 + kEnoughWeeks) % 7 + 3;
}

// One conversion's state: its flags, width and case, and where it writes.
struct Field {
    std::string& out;
    int pad = 0;     // '_', '-', '0' or 0 for the conversion's own
    int width = -1;  // -1: none given
    bool upper = false, lower = false;

    // Appends `text`, padded on the left to the width (zeros with the '0' flag, else spaces), in the case
    // asked for.
    void Text(std::string_view text) {
        if (width > int(text.size())) out.append(size_t(width) - text.size(), pad == '0' ? '0' : ' ');
        for (char c : text) {
            if (lower && c >= 'A' && c <= 'Z') c = char(c + 32);
            else if (!lower && upper && c >= 'a' && c <= 'z') c = char(c - 32);
            out += c;
        }
    }

    // Appends `value` in at least `digits` digits (or the width if wider): zeros, or with '_' spaces, in
    // front; the '-' flag none. `spaces` makes spaces the conversion's own padding.
    void Number(int digits, int64_t value, bool spaces = false) {
        if (spaces && pad != '0' && pad != '-') pad = '_';
        if (width > digits) digits = width;
        bool negative = value < 0;
        uint64_t u = negative ? 0 - uint64_t(value) : uint64_t(value);
        std::string text;
        do text.insert(text.begin(), char('0' + u % 10));
        while ((u /= 10) != 0);
        Signed(digits, negative, text);
    }

    // The sign and the padding of a number's digits, as strftime sets them.
    void Signed(int digits, bool negative, std::string text) {
        if (negative) text.insert(text.begin(), '-');
        if (pad != '-') {
            int padding = digits - int(text.size());
            if (padding > 0) {
                if (pad == '_') {
                    out.append(size_t(padding), ' ');
                    width = width > padding ? width - padding : 0;
                } else {
                    if (negative) {
                        text.erase(0, 1);
                        out += '-';
                    }
                    out.append(size_t(padding), '0');
                    width = 0;
                }
            }
        }
        Text(text);
    }
};

void Format(std::string& out, std::string_view format, const LocalTime& t);

}  // namespace

void AppendFormattedTime(std::string& out, std::string_view format, const LocalTime& when) {
    Format(out, format, when);
}

namespace {

void Format(std::string& out, std::string_view format, const LocalTime& t) {
    int hour12 = t.hour > 12 ? t.hour - 12 : t.hour == 0 ? 12 : t.hour;
    const size_t n = format.size();
    for (size_t f = 0; f < n; ++f) {
        if (format[f] != '%') {
            out += format[f];
            continue;
        }
        size_t percent = f;
        Field field{out};
        bool changeCase = false;
        for (;;) {
            char c = ++f < n ? format[f] : '\0';
            if (c == '_' || c == '-' || c == '0') field.pad = c;
            else if (c == '^') field.upper = true;
            else if (c == '#') changeCase = true;
            else break;
        }
        if (f < n && format[f] >= '0' && format[f] <= '9') {
            int width = 0;
            for (; f < n && format[f] >= '0' && format[f] <= '9'; ++f)
                width = width > 214748363 ? 2147483647 : width * 10 + (format[f] - '0');
            field.width = width;
        }
        char modifier = 0;
        if (f < n && (format[f] == 'E' || format[f] == 'O')) modifier = format[f++];
        char c = f < n ? format[f] : '\0';
        const char* subformat = nullptr;
        bool bad = false;
        switch (c) {
        case '%': field.Text("%"); break;
        case 'a':
        case 'A':
            if (modifier != 0) { bad = true; break; }
            if (changeCase) field.upper = true, field.lower = false;
            field.Text(c == 'a' ? std::string_view(kWeekdays[t.weekday], 3) : std::string_view(kWeekdays[t.weekday]));
            break;
        case 'b':
        case 'h':
        case 'B':
            if (changeCase) field.upper = true, field.lower = false;
            if (modifier == 'E') { bad = true; break; }
            field.Text(c == 'B' ? std::string_view(kMonths[t.month]) : std::string_view(kMonths[t.month], 3));
            break;
        case 'c': if (modifier == 'O') bad = true; else subformat = "%a %b %e %H:%M:%S %Y"; break;
        case 'C': {
            int64_t year = t.year;
            field.Number(1, year / 100 - (year % 100 < 0));
            break;
        }
        case 'x': if (modifier == 'O') bad = true; else subformat = "%m/%d/%y"; break;
        case 'D': if (modifier != 0) bad = true; else subformat = "%m/%d/%y"; break;
        case 'd': if (modifier == 'E') bad = true; else field.Number(2, t.day); break;
        case 'e': if (modifier == 'E') bad = true; else field.Number(2, t.day, true); break;
        case 'F': if (modifier != 0) bad = true; else subformat = "%Y-%m-%d"; break;
        case 'H': if (modifier == 'E') bad = true; else field.Number(2, t.hour); break;
        case 'I': if (modifier == 'E') bad = true; else field.Number(2, hour12); break;
        case 'k': if (modifier == 'E') bad = true; else field.Number(2, t.hour, true); break;
        case 'l': if (modifier == 'E') bad = true; else field.Number(2, hour12, true); break;
        case 'j': if (modifier == 'E') bad = true; else field.Number(3, t.yearDay + 1); break;
        case 'M': if (modifier == 'E') bad = true; else field.Number(2, t.minute); break;
        case 'm': if (modifier == 'E') bad = true; else field.Number(2, t.month + 1); break;
        case 'n': field.Text("\n"); break;
        case 't': field.Text("\t"); break;
        case 'P':
        case 'p':
            if (c == 'P') field.lower = true;
            if (changeCase) field.upper = false, field.lower = true;
            field.Text(t.hour > 11 ? "PM" : "AM");
            break;
        case 'R': subformat = "%H:%M"; break;
        case 'r': subformat = "%I:%M:%S %p"; break;
        case 'S': if (modifier == 'E') bad = true; else field.Number(2, t.second); break;
        case 's': {
            int64_t s = t.seconds;
            uint64_t u = s < 0 ? 0 - uint64_t(s) : uint64_t(s);
            std::string digits;
            do digits.insert(digits.begin(), char('0' + u % 10));
            while ((u /= 10) != 0);
            field.Signed(1, s < 0, digits);
            break;
        }
        case 'X': if (modifier == 'O') bad = true; else subformat = "%H:%M:%S"; break;
        case 'T': subformat = "%H:%M:%S"; break;
        case 'u': field.Number(1, (t.weekday + 6) % 7 + 1); break;
        case 'U': if (modifier == 'E') bad = true; else field.Number(2, (t.yearDay - t.weekday + 7) / 7); break;
        case 'V':
        case 'g':
        case 'G': {
            if (modifier == 'E') { bad = true; break; }
            int64_t year = t.year;
            int days = IsoWeekDays(t.yearDay, t.weekday);
            if (days < 0) {
                --year;  // the week belongs to the year before
                days = IsoWeekDays(t.yearDay + 365 + IsLeap(year), t.weekday);
            } else {
                int next = IsoWeekDays(t.yearDay - (365 + IsLeap(year)), t.weekday);
                if (next >= 0) ++year, days = next;  // to the year after
            }
            if (c == 'g') field.Number(2, (year % 100 + 100) % 100);
            else if (c == 'G') field.Number(1, year);
            else field.Number(2, days / 7 + 1);
            break;
        }
        case 'W':
            if (modifier == 'E') bad = true;
            else field.Number(2, (t.yearDay - (t.weekday + 6) % 7 + 7) / 7);
            break;
        case 'w': if (modifier == 'E') bad = true; else field.Number(1, t.weekday); break;
        case 'Y': if (modifier == 'O') bad = true; else field.Number(1, t.year); break;
        case 'y': field.Number(2, (t.year % 100 + 100) % 100); break;
        case 'Z':
            if (changeCase) field.upper = false, field.lower = true;
            field.Text(t.zone);
            break;
        case 'z': {
            int32_t diff = t.offset;
            field.Text(diff < 0 ? "-" : "+");
            if (diff < 0) diff = -diff;
            diff /= 60;
            field.Number(4, (diff / 60) * 100 + diff % 60);
            break;
        }
        case '\0':  // a '%' (with flags) at the end
            --f;
            bad = true;
            break;
        default: bad = true; break;
        }
        if (subformat != nullptr) {
            std::string sub;
            Format(sub, subformat, t);
            field.Text(sub);
        } else if (bad) {
            field.Text(format.substr(percent, f + 1 - percent));
        }
    }
}

}  // namespace

LocalTime BreakDownTime(int64_t seconds, int32_t offset) {
    LocalTime t;
    t.seconds = seconds;
    t.offset = offset;
    int64_t local = seconds + offset;
    int64_t days = local / 86400, rest = local % 86400;
    if (rest < 0) rest += 86400, --days;
    t.hour = int(rest / 3600);
    t.minute = int(rest / 60 % 60);
    t.second = int(rest % 60);
    t.weekday = int(((days + 4) % 7 + 7) % 7);  // 1970-01-01 was a Thursday
    // Days to a civil date, by 400-year eras counted from 0000-03-01.
    int64_t z = days + 719468;
    int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    int64_t dayOfEra = z - era * 146097;
    int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);  // from March 1st
    int64_t mp = (5 * dayOfYear + 2) / 153;
    t.day = int(dayOfYear - (153 * mp + 2) / 5 + 1);
    t.month = int(mp < 10 ? mp + 2 : mp - 10);
    t.year = yearOfEra + era * 400 + (t.month < 2);
    static const int kDaysBefore[] = {0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334};
    t.yearDay = kDaysBefore[t.month] + t.day - 1 + (t.month > 1 && IsLeap(t.year));
    return t;
}

namespace {

bool IsSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

// strptime's reading, over `text` from `at`: the end of what `format` takes, or nullptr.
const char* Read(const char* at, std::string_view format);

// A number of at most `digits` digits (fewer where one more would pass `most`), blanks before it
// skipped, within [least, most].
const char* ReadNumber(const char* at, int least, int most, int digits) {
    while (IsSpace(*at)) ++at;
    if (*at < '0' || *at > '9') return nullptr;
    int64_t value = 0;
    do value = value * 10 + (*at++ - '0');
    while (--digits > 0 && value * 10 <= most && *at >= '0' && *at <= '9');
    return value < least || value > most ? nullptr : at;
}

// The longest of `names` (full, or their first three letters) at `at`, in any case.
const char* ReadName(const char* at, const char* const* names, int count) {
    const char* longest = nullptr;
    for (int k = 0; k < count; ++k) {
        for (size_t length : {std::strlen(names[k]), size_t(3)}) {
            bool same = true;
            for (size_t i = 0; i < length && same; ++i) same = (at[i] | 0x20) == (names[k][i] | 0x20) && at[i] != 0;
            if (same && (longest == nullptr || at + length > longest)) longest = at + length;
        }
    }
    return longest;
}

// The conversion `c` (after any E or O modifier, `modifier`) at `at`.
const char* ReadConversion(const char* at, char c, char modifier) {
    // %Ey needs an era, which the C locale has none of.
    if (modifier == 'E' && std::strchr("cCYxX", c) == nullptr) return nullptr;
    if (modifier == 'O' && std::strchr("deHImMSUVWwy", c) == nullptr) return nullptr;
    switch (c) {
    case '%': return *at == '%' ? at + 1 : nullptr;
    case 'a': case 'A': return ReadName(at, kWeekdays, 7);
    case 'b': case 'B': case 'h': return ReadName(at, kMonths, 12);
    case 'c': return Read(at, "%a %b %e %H:%M:%S %Y");
    case 'C': case 'y': case 'g': return ReadNumber(at, 0, 99, 2);
    case 'd': case 'e': return ReadNumber(at, 1, 31, 2);
    case 'F': return Read(at, "%Y-%m-%d");
    case 'x': case 'D': return Read(at, "%m/%d/%y");
    case 'k': case 'H': return ReadNumber(at, 0, 23, 2);
    case 'l': case 'I': return ReadNumber(at, 1, 12, 2);
    case 'j': return ReadNumber(at, 1, 366, 3);
    case 'm': return ReadNumber(at, 1, 12, 2);
    case 'M': return ReadNumber(at, 0, 59, 2);
    case 'n': case 't':
        while (IsSpace(*at)) ++at;
        return at;
    case 'p':
        for (const char* word : {"AM", "PM"})
            if ((at[0] | 0x20) == (word[0] | 0x20) && (at[1] | 0x20) == (word[1] | 0x20)) return at + 2;
        return nullptr;
    case 'r': return Read(at, "%I:%M:%S %p");
    case 'R': return Read(at, "%H:%M");
    case 's':
        // Seconds since 1970, a sign allowed (a date before 1970).
        while (*at == ' ' || *at == '\t') ++at;
        at += *at == '-' || *at == '+';
        if (*at < '0' || *at > '9') return nullptr;
        while (*at >= '0' && *at <= '9') ++at;
        return at;
    case 'S': return ReadNumber(at, 0, 61, 2);
    case 'X': case 'T': return Read(at, "%H:%M:%S");
    case 'u': return ReadNumber(at, 1, 7, 1);
    case 'G':
        if (*at < '0' || *at > '9') return nullptr;
        while (*at >= '0' && *at <= '9') ++at;
        return at;
    case 'U': case 'W': case 'V': return ReadNumber(at, 0, 53, 2);
    case 'w': return ReadNumber(at, 0, 6, 1);
    case 'Y': return ReadNumber(at, 0, 9999, 4);
    case 'Z':
        while (IsSpace(*at)) ++at;
        while (*at != '\0' && !IsSpace(*at)) ++at;
        return at;
    case 'z': {
        while (IsSpace(*at)) ++at;
        if (*at == 'Z') return at + 1;
        if (*at != '+' && *at != '-') return nullptr;
        ++at;
        int n = 0, value = 0;
        while (n < 4 && *at >= '0' && *at <= '9') {
            value = value * 10 + (*at++ - '0');
            ++n;
            if (*at == ':' && n == 2 && at[1] >= '0' && at[1] <= '9') ++at;  // "+02:00"
        }
        if (n == 2) return at;
        return n != 4 || value % 100 >= 60 ? nullptr : at;
    }
    default: return nullptr;
    }
}

const char* Read(const char* at, std::string_view format) {
    size_t f = 0;
    while (f < format.size()) {
        char c = format[f];
        if (IsSpace(c)) {
            while (IsSpace(*at)) ++at;  // a blank takes every blank there, or none
            ++f;
            continue;
        }
        if (c != '%') {
            if (*at != c) return nullptr;
            ++at, ++f;
            continue;
        }
        ++f;
        while (f < format.size() && std::strchr("-_0^#", format[f]) != nullptr) ++f;  // strftime's flags
        while (f < format.size() && format[f] >= '0' && format[f] <= '9') ++f;        // and widths
        char modifier = 0;
        if (f < format.size() && (format[f] == 'E' || format[f] == 'O')) modifier = format[f++];
        if (f >= format.size()) return nullptr;
        at = ReadConversion(at, format[f++], modifier);
        if (at == nullptr) return nullptr;
    }
    return at;
}

}  // namespace

size_t ReadFormattedTime(const char* text, std::string_view format) {
    const char* end = Read(text, format);
    return end == nullptr ? 0 : size_t(end - text);
}
