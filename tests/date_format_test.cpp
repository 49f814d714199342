// Dates as text without the C library (date_format.cpp) against glibc in the C locale: the breakdown
// against localtime_r, every strftime conversion with each flag, widths and modifiers against strftime
// in several zones over many moments, and the reading against strptime (through ReadTime).
#include <time.h>

#include <cstdlib>
#include <random>
#include <string>

#include <gtest/gtest.h>

#include "platform/date_format.h"
#include "platform/dates.h"

namespace {

// Sets TZ for one test and puts back what was there.
class ZoneScope {
public:
    explicit ZoneScope(const char* zone) {
        const char* old = std::getenv("TZ");
        had = old != nullptr;
        if (had) saved = old;
        setenv("TZ", zone, 1);
        tzset();
    }
    ~ZoneScope() {
        if (had) setenv("TZ", saved.c_str(), 1);
        else unsetenv("TZ");
        tzset();
    }

private:
    bool had = false;
    std::string saved;
};

const char* const kZones[] = {"UTC", "Europe/Berlin", "America/St_Johns", "Asia/Kolkata", "Pacific/Chatham",
                              "America/Los_Angeles", "Australia/Lord_Howe", "Asia/Tokyo"};

// Moments that reach every calendar case: leap days, year ends (ISO weeks of the year before and after),
// times around 1970, the years 0 and before, far futures; then random ones.
std::vector<int64_t> Moments() {
    std::vector<int64_t> moments = {0, -1, 1, 86399, 951782400, 951868800, 1704067199, 1704067200, 1735689600,
                                    1609459200, 1230768000, -62135596800, -62167219200, -62198755200,
                                    -99999999999, 253402300799, 253402300800, 32503680000, 4102444800,
                                    1000000000000, -2208988800, 1293753600, 1419984000};
    std::mt19937_64 random(26);
    for (int k = 0; k < 400; ++k) moments.push_back(int64_t(random() % 20000000000ull) - 5000000000);
    for (int k = 0; k < 100; ++k) moments.push_back(int64_t(random() % 400000000000ull) - 200000000000);
    return moments;
}

LocalTime FromTm(const struct tm& tm, int64_t seconds) {
    LocalTime t;
    t.year = int64_t(tm.tm_year) + 1900;
    t.month = tm.tm_mon;
    t.day = tm.tm_mday;
    t.hour = tm.tm_hour;
    t.minute = tm.tm_min;
    t.second = tm.tm_sec;
    t.weekday = tm.tm_wday;
    t.yearDay = tm.tm_yday;
    t.offset = int32_t(tm.tm_gmtoff);
    t.zone = tm.tm_zone;
    t.seconds = seconds;
    return t;
}

// `seconds` broken down by the C library in the zone TZ names.
struct tm Local(int64_t seconds) {
    struct tm tm {};
    auto t = time_t(seconds);
    EXPECT_NE(localtime_r(&t, &tm), nullptr) << seconds;
    return tm;
}

// The calendar fields, written out for comparing.
std::string Fields(const LocalTime& t) {
    return std::to_string(t.year) + "-" + std::to_string(t.month) + "-" + std::to_string(t.day) + " " +
           std::to_string(t.hour) + ":" + std::to_string(t.minute) + ":" + std::to_string(t.second) + " weekday " +
           std::to_string(t.weekday) + " day " + std::to_string(t.yearDay);
}

std::string Strftime(const char* format, const struct tm& tm) {
    char buffer[512];
    size_t n = strftime(buffer, sizeof buffer, format, &tm);
    return std::string(buffer, n);
}

TEST(DateFormat, BreakdownAsLocaltime) {
    for (const char* zone : kZones) {
        ZoneScope scope(zone);
        for (int64_t seconds : Moments()) {
            struct tm tm = Local(seconds);
            ASSERT_EQ(Fields(BreakDownTime(seconds, int32_t(tm.tm_gmtoff))), Fields(FromTm(tm, seconds)))
                << zone << " " << seconds;
        }
    }
}

TEST(DateFormat, EveryConversionAsStrftime) {
    const std::string conversions = "aAbBcCdDeFgGhHIjklmMnpPrRsStTuUVwWxXyYzZ%";
    std::vector<std::string> formats;
    for (char c : conversions) {
        for (const char* flags : {"", "-", "_", "0", "^", "#", "10", "_5", "-4", "03", "^#", "1", "E", "O", "_3E"})
            formats.push_back(std::string("%") + flags + c);
    }
    // Bad conversions, ends, and the defaults the program uses.
    for (const char* f : {"%q", "%5f", "%^q", "%", "%5", "%E", "%O", "%Ed", "%OY", "%Ea", "%E%", "%-", "%^",
                          "[%Y-%m-%d %H:%M]", "%Y-%m-%d %H:%M", "%d.%m.%Y", "%a, %d %b %Y %T %z", "\xc3\xa9%H\xe2\x82\xac",
                          "%%%Y%%", "%c%x%X", "%G-W%V-%u"})
        formats.push_back(f);
    for (const char* zone : kZones) {
        ZoneScope scope(zone);
        for (int64_t seconds : Moments()) {
            struct tm tm = Local(seconds);
            LocalTime when = FromTm(tm, seconds);
            for (const std::string& format : formats) {
                std::string ours;
                AppendFormattedTime(ours, format, when);
                ASSERT_EQ(ours, Strftime(format.c_str(), tm)) << "format " << format << " zone " << zone << " at " << seconds;
            }
        }
    }
}

TEST(DateFormat, ReadingAsStrptime) {
    struct Case {
        const char* text;
        const char* format;
    };
    const Case cases[] = {
        {"2026-05-01 10:00 x", "%Y-%m-%d %H:%M"}, {"2026-5-1 1:0 x", "%Y-%m-%d %H:%M"}, {"26-05-01", "%y-%m-%d"},
        {"2026-13-01", "%Y-%m-%d"}, {"2026-00-01", "%Y-%m-%d"}, {"12345-01-01", "%Y-%m-%d"}, {"  7", "%d"},
        {"01.05.2026 name", "%d.%m.%Y"}, {"Fri May  1 10:00:00 2026", "%c"}, {"fri MAY 1 10:00:00 2026", "%a %b %e %T %Y"},
        {"Friday, 01 May 2026", "%A, %d %B %Y"}, {"Fr 01", "%a %d"}, {"Sept 1", "%b %d"}, {"Sep 1", "%b %d"},
        {"September 1", "%B %d"}, {"10:00 PM", "%I:%M %p"}, {"10:00 pm", "%I:%M %p"}, {"13:00 PM", "%I:%M %p"},
        {"10:00:61", "%T"}, {"10:00:62", "%T"}, {"05/01/26", "%D"}, {"05/01/26", "%x"}, {"10:00:00", "%X"},
        {"10:00:00 AM", "%r"}, {"10:00", "%R"}, {"2026-05-01", "%F"}, {"+0200 a", "%z"}, {"-02:00 a", "%z"},
        {"+02 a", "%z"}, {"Z a", "%z"}, {"+2 a", "%z"}, {"+0260", "%z"}, {"+123456", "%z"}, {"CEST rest", "%Z"},
        {"  CEST rest", "%Z rest"}, {"366", "%j"}, {"367", "%j"}, {"7", "%u"}, {"0", "%u"}, {"53", "%U"},
        {"54", "%W"}, {"6", "%w"}, {"2026", "%G"}, {"99", "%g"}, {"20", "%C"}, {"%", "%%"}, {"a", "%%"},
        {"x\t\n y", "x%ny"}, {"x   y", "x y"}, {"xy", "x y"}, {"1777777777 a", "%s"}, {"-5 a", "%s"},
        {"1777777777 2026", "%s %Y"}, {"x", "%q"}, {"05", "%Od"}, {"05", "%Ed"}, {"2026", "%EY"}, {"26", "%Ey"},
        {"2026", "%-Y"}, {"2026", "%_10Y"}, {"", "%Y"}, {"", ""}, {"abc", ""}, {"1", "%E"}, {"1", "%"},
        {"2026-05-01T10:00:00+02:00", "%Y-%m-%dT%H:%M:%S%z"}, {"12:30", "%k:%M"}, {"12:30", "%l:%M"},
    };
    for (const Case& c : cases) {
        std::string format = c.format;
        EXPECT_EQ(ReadFormattedTime(c.text, format), ReadTime(c.text, format)) << "\"" << c.text << "\" as " << c.format;
    }
}

TEST(DateFormat, ReadingWhatWasWritten) {
    // Every reading conversion over text strftime wrote, cut short at each length too.
    const char* const formats[] = {"%Y-%m-%d %H:%M", "%c", "%a %A %b %B %h", "%d %e %j %m %M %S %H %I %k %l %p",
                                   "%D %F %R %r %T %x %X", "%u %w %U %W %V %g %G %C %y", "%z %Z x", "%s x", "%n%t%%"};
    ZoneScope scope("Europe/Berlin");
    for (int64_t seconds : Moments()) {
        struct tm tm = Local(seconds);
        if (tm.tm_year + 1900 < 1 || tm.tm_year + 1900 > 9999) continue;  // ISO years and %Y in 0-9999
        for (const char* format : formats) {
            std::string text = Strftime(format, tm);
            for (size_t cut = 0; cut <= text.size(); ++cut) {
                std::string part = text.substr(0, cut);
                ASSERT_EQ(ReadFormattedTime(part.c_str(), format), ReadTime(part.c_str(), format))
                    << "\"" << part << "\" as " << format;
            }
            EXPECT_EQ(ReadFormattedTime(text.c_str(), format), text.size()) << text;
        }
    }
}

}  // namespace
