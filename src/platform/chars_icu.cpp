// Character data for names (POSIX side): ICU's UTF-8 macros and character properties behind chars.h.
#include "platform/chars.h"

#include <unicode/uchar.h>
#include <unicode/utf8.h>

int32_t NextUtf8Multibyte(const uint8_t* s, int32_t& i, int32_t length) {
    UChar32 c;
    U8_NEXT(s, i, length, c);
    return c;
}

bool IsValidUtf8(std::string_view text) {
    const auto* s = reinterpret_cast<const uint8_t*>(text.data());
    auto length = int32_t(text.size());
    for (int32_t i = 0; i < length;) {
        if (NextUtf8(s, i, length) < 0) return false;
    }
    return true;
}

void AppendUtf8(std::string& out, uint32_t c) {
    uint8_t bytes[4];
    int32_t length = 0;
    U8_APPEND_UNSAFE(bytes, length, c);
    out.append(reinterpret_cast<const char*>(bytes), size_t(length));
}

int DisplayColumns(int32_t c) {
    int8_t type = u_charType(c);
    if (type == U_NON_SPACING_MARK || type == U_ENCLOSING_MARK || type == U_FORMAT_CHAR) return 0;
    if (c >= 0x1160 && c <= 0x11FF) return 0;  // Hangul vowels and finals join the syllable before them
    int width = u_getIntPropertyValue(c, UCHAR_EAST_ASIAN_WIDTH);
    return (width == U_EA_WIDE || width == U_EA_FULLWIDTH) ? 2 : 1;
}
