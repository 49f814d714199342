// arbolin.exe's character data, code pages, shell patterns and dates on Windows (under Wine): the
// generated tables answer as ICU does natively, CP932 round trips with '?' for what it lacks, patterns
// match over UTF-8 with Windows' case, and dates come out in the zone the test runs in (TZ=Asia/Tokyo,
// which Wine takes as the system's zone: +09:00 all year).
#include <cerrno>
#include <string>

#include <gtest/gtest.h>

#include "platform/chars.h"
#include "platform/codepage.h"
#include "platform/dates.h"
#include "platform/patterns.h"

namespace {

TEST(CliText, DisplayColumnsFromTheTables) {
    const std::pair<int32_t, int> cases[] = {
        {'a', 1}, {0xE9, 1}, {0x301, 0}, {0x200B, 0}, {0x1160, 0}, {0x3042, 2}, {0x65E5, 2},
        {0xFF21, 2}, {0xFF8A, 1}, {0xAC00, 2}, {0x1F600, 2}, {0x10FFFF, 1},
    };
    for (auto [c, columns] : cases) EXPECT_EQ(DisplayColumns(c), columns) << std::hex << c;
    EXPECT_TRUE(ReadyCharacterData("\xe6\x97\xa5"));
    EXPECT_EQ(CharacterDataError(), "");
}

TEST(CliText, Utf8Decoding) {
    const struct {
        const char* bytes;
        int32_t c;
        int32_t end;
    } cases[] = {{"\xc3\xa9", 0xE9, 2}, {"\xf0\x9f\x98\x80", 0x1F600, 4}, {"\xed\xa0\x80", -1, 1}, {"\xe6\x97", -1, 2}};
    for (const auto& c : cases) {
        int32_t i = 0;
        auto length = int32_t(std::char_traits<char>::length(c.bytes));
        EXPECT_EQ(NextUtf8(reinterpret_cast<const uint8_t*>(c.bytes), i, length), c.c);
        EXPECT_EQ(i, c.end);
    }
}

size_t Question(void*, std::string_view rest, std::string& out) {
    out += '?';
    int32_t i = 0;
    NextUtf8(reinterpret_cast<const uint8_t*>(rest.data()), i, int32_t(rest.size()));
    return size_t(i);
}

TEST(CliText, Cp932BothWays) {
    CodePageConversion* toCp932 = OpenCodePageConversion("CP932", "UTF-8");
    ASSERT_NE(toCp932, nullptr);
    const std::pair<std::string, std::string> cases[] = {
        {"a.txt", "a.txt"},
        {"\xe6\x97\xa5\xe6\x9c\xac", "\x93\xfa\x96\x7b"},                // 日本
        {"\xef\xbd\xb1", "\xb1"},                                        // half-width ｱ
        {"\xe8\xa1\xa8", "\x95\x5c"},                                    // 表, a 0x5C trail byte
        {"a\xf0\x9f\x98\x80" "b", "a?b"},                                // emoji: none in 932
        {"\xea\xb0\x80", "?"},                                           // Hangul: none in 932
        {"x\xff" "y", "x?y"},                                            // not UTF-8
    };
    for (const auto& [utf8, cp932] : cases) {
        std::string out;
        AppendConverted(*toCp932, utf8, out, Question, nullptr);
        EXPECT_EQ(out, cp932) << utf8;
        if (cp932.find('?') == std::string::npos) {
            EXPECT_EQ(Cp932ToUtf8(cp932), utf8);
        }
    }
    CloseCodePageConversion(toCp932);
    EXPECT_EQ(Cp932ToUtf8("ok\x82"), "ok\x82");  // a lead byte at the end stays as it is
    errno = 0;
    EXPECT_EQ(OpenCodePageConversion("NO-SUCH-CODESET", "UTF-8"), nullptr);
    EXPECT_EQ(errno, EINVAL);
}

TEST(CliText, Patterns) {
    const struct {
        const char* pattern;
        const char* name;
        bool ignoreCase, matches;
    } cases[] = {
        {"*.txt", "a.txt", false, true},      {"*.TXT", "a.txt", false, false},
        {"*.TXT", "a.txt", true, true},       {"?", "\xe6\x97\xa5", false, true},
        {"\xc3\x89*", "\xc3\xa9" "cole", true, true},  {"[\xc3\xa4-\xc3\xb6]", "\xc3\xbc", false, false},
        {"[!a-c]x", "dx", false, true},       {"\\*", "*", false, true},
        {"[[:alpha:]]", "\xc3\xa9", false, true},       {"node_modules", "Node_Modules", true, true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(MatchShellPattern(c.pattern, c.name, c.ignoreCase), c.matches) << c.pattern << " " << c.name;
}

TEST(CliText, DatesInTheSystemZone) {
    std::string out;
    EXPECT_TRUE(FormatTime(out, "%Y-%m-%d %H:%M %z %Z", 0));
    EXPECT_EQ(out, "1970-01-01 09:00 +0900 +09");
    EXPECT_TRUE(FormatTime(out, "%F %T %e %s %k %-d", 1777777777));
    EXPECT_EQ(out, "2026-05-03 12:09:37  3 1777777777 12 3");
    EXPECT_EQ(IsoTime(1777777777), "2026-05-03T12:09:37+09:00");
    EXPECT_FALSE(FormatTime(out, "%Y", -12000000000));  // 1589: before what SYSTEMTIME holds
    EXPECT_EQ(out, "?");
    EXPECT_EQ(IsoTime(-12000000000), "");
    EXPECT_EQ(ReadTime("2026-05-03 12:09 name", "%Y-%m-%d %H:%M"), 16u);
    EXPECT_EQ(ReadTime("2026-13-03 12:09", "%Y-%m-%d %H:%M"), 0u);
}

}  // namespace
