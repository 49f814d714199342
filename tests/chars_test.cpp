// UTF-8 decoding and encoding without ICU (chars.cpp) against ICU's own macros: the same character and
// the same position after it for every short byte sequence, bad ones included, and for random text.
#include <unicode/utf8.h>

#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/chars.h"

namespace {

// Decodes s[0..length) from `i` both ways; a failure message names the bytes.
::testing::AssertionResult SameAsIcu(const uint8_t* s, int32_t i, int32_t length) {
    int32_t ours = i, icus = i;
    int32_t c = NextUtf8(s, ours, length);
    UChar32 expected;
    U8_NEXT(s, icus, length, expected);
    if (c == expected && ours == icus) return ::testing::AssertionSuccess();
    std::string bytes;
    for (int32_t k = 0; k < length; ++k) AppendHexByte(bytes, s[k]), bytes += ' ';
    return ::testing::AssertionFailure() << "bytes " << bytes << "from " << i << ": got " << c << " ending at "
                                         << ours << ", ICU " << expected << " ending at " << icus;
}

TEST(Utf8Decoding, EveryOneToThreeByteSequence) {
    uint8_t s[3];
    for (uint32_t v = 0; v < (1u << 24); ++v) {
        s[0] = uint8_t(v >> 16), s[1] = uint8_t(v >> 8), s[2] = uint8_t(v);
        for (int32_t length = 1; length <= 3; ++length) {
            if (length < 3 && (v & ((1u << (8 * (3 - length))) - 1)) != 0) continue;  // each prefix once
            ASSERT_TRUE(SameAsIcu(s, 0, length));
        }
    }
}

TEST(Utf8Decoding, EveryFourByteSequence) {
    // Only F0-F4 start a four-byte character: every sequence after them; after any other lead the fourth
    // byte from a set holding every boundary a decoder tests.
    const uint8_t edges[] = {0x00, 0x41, 0x7F, 0x80, 0x8F, 0x90, 0x9F, 0xA0, 0xBF, 0xC0, 0xC2, 0xE0, 0xF4, 0xFF};
    uint8_t s[4];
    for (uint32_t v = 0; v < (1u << 24); ++v) {
        s[1] = uint8_t(v >> 16), s[2] = uint8_t(v >> 8), s[3] = uint8_t(v);
        for (uint32_t lead = 0xF0; lead <= 0xF4; ++lead) {
            s[0] = uint8_t(lead);
            ASSERT_TRUE(SameAsIcu(s, 0, 4));
        }
        if ((v & 0xFF) != 0) continue;
        for (uint8_t last : edges) {
            s[3] = last;
            for (uint32_t lead = 0; lead < 0xF0; ++lead) {
                s[0] = uint8_t(lead);
                ASSERT_TRUE(SameAsIcu(s, 0, 4));
            }
            for (uint32_t lead = 0xF5; lead <= 0xFF; ++lead) {
                s[0] = uint8_t(lead);
                ASSERT_TRUE(SameAsIcu(s, 0, 4));
            }
        }
    }
}

TEST(Utf8Decoding, RandomTextStepByStep) {
    // Text mostly well-formed with bad bytes sprinkled in, walked to its end both ways; the NUL-ended
    // form (length -1) too.
    std::mt19937 random(26);
    const uint8_t pieces[][4] = {{'a'}, {0xC3, 0xA9}, {0xE6, 0x97, 0xA5}, {0xF0, 0x9F, 0x98, 0x80}, {0xED, 0xA0, 0x80},
                                 {0x80}, {0xFF}, {0xE0, 0x80}, {0xF4, 0x90}, {0xC2}};
    const int sizes[] = {1, 2, 3, 4, 3, 1, 1, 2, 2, 1};
    for (int round = 0; round < 20000; ++round) {
        std::vector<uint8_t> text;
        int count = int(random() % 12);
        for (int k = 0; k < count; ++k) {
            int p = int(random() % 10);
            text.insert(text.end(), pieces[p], pieces[p] + sizes[p]);
        }
        auto length = int32_t(text.size());
        text.push_back(0);
        for (int32_t limit : {length, int32_t(-1)}) {
            int32_t i = 0;
            while (i < length) {
                ASSERT_TRUE(SameAsIcu(text.data(), i, limit));
                NextUtf8(text.data(), i, limit);
            }
        }
        bool valid = true;
        for (int32_t i = 0; i < length;) {
            UChar32 c;
            U8_NEXT(text.data(), i, length, c);
            valid = valid && c >= 0;
        }
        EXPECT_EQ(IsValidUtf8(std::string_view(reinterpret_cast<const char*>(text.data()), size_t(length))), valid);
    }
}

TEST(Utf8Encoding, EveryScalarValue) {
    std::string ours;
    for (uint32_t c = 0; c <= 0x10FFFF; ++c) {
        if (c >= 0xD800 && c <= 0xDFFF) continue;
        ours.clear();
        AppendUtf8(ours, c);
        uint8_t bytes[4];
        int32_t n = 0;
        U8_APPEND_UNSAFE(bytes, n, c);
        ASSERT_EQ(ours, std::string(reinterpret_cast<const char*>(bytes), size_t(n))) << c;
    }
}

}  // namespace
