// Host tool of the Windows build: writes the display-column tables chars_table.cpp looks characters up
// in, from Debian's ICU with the rule DisplayColumns follows on the POSIX side (chars_columns.h), so that
// both builds count columns alike. Usage: chars_table_gen OUTPUT.inc
#include <unicode/uchar.h>
#include <unicode/uversion.h>

#include <cstdio>

#include "platform/chars_columns.h"

namespace {

// Writes the ranges of the characters past ASCII that take `columns` columns as an array named `name`.
void WriteRanges(FILE* out, const char* name, int columns) {
    std::fprintf(out, "constexpr CharRange %s[] = {\n", name);
    int32_t first = -1;
    int count = 0;
    for (int32_t c = 0x80; c <= 0x110000; ++c) {
        bool in = c <= 0x10FFFF &&
                  ColumnsFromProperties(c, u_charType(c), u_getIntPropertyValue(c, UCHAR_EAST_ASIAN_WIDTH)) == columns;
        if (in && first < 0) first = c;
        if (!in && first >= 0) {
            std::fprintf(out, "%s{0x%X, 0x%X},", count % 6 == 0 ? "    " : " ", unsigned(first), unsigned(c - 1));
            if (++count % 6 == 0) std::fputc('\n', out);
            first = -1;
        }
    }
    std::fprintf(out, "%s};\n", count % 6 == 0 ? "" : "\n");
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: chars_table_gen OUTPUT.inc\n");
        return 2;
    }
    FILE* out = std::fopen(argv[1], "w");
    if (out == nullptr) {
        std::perror(argv[1]);
        return 1;
    }
    std::fprintf(out, "// Written by chars_table_gen from ICU %s (Unicode %s); not to be edited.\n", U_ICU_VERSION,
                 U_UNICODE_VERSION);
    WriteRanges(out, "kZeroColumns", 0);
    WriteRanges(out, "kTwoColumns", 2);
    return std::fclose(out) == 0 ? 0 : 1;
}
