// The Windows build's display columns (tables generated from ICU at build time) against the POSIX side's
// (ICU asked directly): the same answer for every code point.
#include <gtest/gtest.h>

#include "platform/chars.h"
#include "platform/chars_table.h"

namespace {

TEST(CharsTable, EveryCodePointAsIcuCountsIt) {
    ASSERT_TRUE(ReadyCharacterData("\xc3\xa9")) << CharacterDataError();
    int counts[3] = {};
    for (int32_t c = -1; c <= 0x110000; ++c) {
        int columns = TableDisplayColumns(c);
        ASSERT_EQ(columns, DisplayColumns(c)) << "U+" << std::hex << c;
        ++counts[columns];
    }
    // Each table has to be used, or both sides could agree on nothing but 1.
    EXPECT_GT(counts[0], 1000);
    EXPECT_GT(counts[2], 100000);
}

TEST(CharsTable, KnownCharacters) {
    const std::pair<int32_t, int> cases[] = {
        {'a', 1},    {0x7F, 1},   {0xE9, 1},    {0x301, 0},  {0x200B, 0}, {0x200D, 0}, {0x20DD, 0},
        {0x1160, 0}, {0x11FF, 0}, {0x1100, 2},  {0x3042, 2}, {0x65E5, 2}, {0xFF21, 2}, {0xFF8A, 1},
        {0xAC00, 2}, {0xD7A3, 2}, {0x1F600, 2}, {0xFEFF, 0}, {0x10FFFF, 1},
    };
    for (auto [c, columns] : cases) EXPECT_EQ(TableDisplayColumns(c), columns) << "U+" << std::hex << c;
}

}  // namespace
