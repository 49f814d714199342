// How many display columns a character past ASCII takes, from its ICU properties: the one rule behind
// DisplayColumns on the POSIX side (chars_icu.cpp) and the tables the Windows build is given
// (chars_table_gen.cpp). Needs ICU's headers only.
#pragma once

#include <unicode/uchar.h>

#include <cstdint>

// 0 for marks, format characters and Hangul's joining vowels and finals, 2 for wide and full-width
// characters, else 1; `type` is u_charType's answer, `width` UCHAR_EAST_ASIAN_WIDTH's.
inline int ColumnsFromProperties(int32_t c, int type, int width) {
    if (type == U_NON_SPACING_MARK || type == U_ENCLOSING_MARK || type == U_FORMAT_CHAR) return 0;
    if (c >= 0x1160 && c <= 0x11FF) return 0;  // Hangul vowels and finals join the syllable before them
    return (width == U_EA_WIDE || width == U_EA_FULLWIDTH) ? 2 : 1;
}
