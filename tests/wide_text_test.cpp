// UTF-16 to WTF-8 and back: every name Windows can hold survives, lone surrogates included, and what
// comes out for characters is exactly UTF-8 (checked against ICU's converter, an independent one).
#include <unicode/ustring.h>

#include <random>
#include <string>

#include <gtest/gtest.h>

#include "platform/wide_text.h"

namespace {

TEST(WideText, KnownNames) {
    struct Case {
        std::u16string wide;
        std::string bytes;
    };
    const Case cases[] = {
        {u"", ""},
        {u"a.txt", "a.txt"},
        {u"\u65e5\u672c\u8a9e", "\xe6\x97\xa5\xe6\x9c\xac\xe8\xaa\x9e"},
        {u"\uff8a\uff9d\uff76\uff78", "\xef\xbe\x8a\xef\xbe\x9d\xef\xbd\xb6\xef\xbd\xb8"},  // half-width kana
        {u"e\u0301", "e\xcc\x81"},                                    // decomposed accent
        {u"\U0001F600", "\xf0\x9f\x98\x80"},                          // a pair
        {std::u16string(1, char16_t(0xD800)), "\xed\xa0\x80"},        // lone high
        {std::u16string(1, char16_t(0xDFFF)), "\xed\xbf\xbf"},        // lone low
        {std::u16string{char16_t(0xDC00), char16_t(0xD800)}, "\xed\xb0\x80\xed\xa0\x80"},  // reversed pair
        {std::u16string{u'a', char16_t(0xD83D)}, "a\xed\xa0\xbd"},    // high at the end
    };
    for (const Case& c : cases) {
        EXPECT_EQ(WideToWtf8(c.wide), c.bytes);
        EXPECT_EQ(Wtf8ToWide(c.bytes), c.wide);
    }
}

TEST(WideText, BytesThatFormNoCharacterBecomeReplacements) {
    const std::pair<std::string, std::u16string> cases[] = {
        {"\xff", u"\uFFFD"},
        {"a\x80z", u"a\uFFFDz"},
        {"\xc0\xaf", u"\uFFFD\uFFFD"},              // overlong
        {"\xe0\x80\xaf", u"\uFFFD\uFFFD\uFFFD"},     // overlong
        {"\xf4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"},  // past U+10FFFF
        {"\xe6\x97", u"\uFFFD\uFFFD"},               // cut short
        {"\xed\xa0\xbd\xed\xb8\x80", u"\uFFFD\uFFFD"},  // a pair written as halves (CESU-8)
    };
    for (const auto& [bytes, wide] : cases) EXPECT_EQ(Wtf8ToWide(bytes), wide) << bytes;
}

// Random UTF-16, lone surrogates among characters: the round trip is lossless, and where the text is
// well formed the bytes are ICU's UTF-8.
TEST(WideText, RandomRoundTripsAgreeWithIcu) {
    std::mt19937 random(20261208);
    for (int round = 0; round < 20000; ++round) {
        std::u16string wide;
        int length = int(random() % 8);
        for (int k = 0; k < length; ++k) {
            switch (random() % 5) {
                case 0: wide += char16_t(random() % 0x80); break;
                case 1: wide += char16_t(0x80 + random() % 0xD780); break;
                case 2: wide += char16_t(0xE000 + random() % 0x2000); break;
                case 3: {
                    uint32_t c = 0x10000 + random() % 0x100000;
                    wide += char16_t(0xD800 + ((c - 0x10000) >> 10));
                    wide += char16_t(0xDC00 + ((c - 0x10000) & 0x3FF));
                    break;
                }
                default: wide += char16_t(0xD800 + random() % 0x800); break;
            }
        }
        std::string bytes = WideToWtf8(wide);
        ASSERT_EQ(Wtf8ToWide(bytes), wide);
        char utf8[64];
        int32_t n = 0;
        UErrorCode status = U_ZERO_ERROR;
        u_strToUTF8(utf8, sizeof utf8, &n, reinterpret_cast<const UChar*>(wide.data()), int32_t(wide.size()), &status);
        if (U_SUCCESS(status)) {  // well formed: exactly UTF-8
            EXPECT_EQ(bytes, std::string(utf8, size_t(n)));
        }
    }
}

}  // namespace
