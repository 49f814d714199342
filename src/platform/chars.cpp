// Character data for names, portable part (both sides of the seam): UTF-8 decoding and encoding with the
// same answers as ICU's U8_NEXT and U8_APPEND_UNSAFE, so that the Windows build, which has no ICU,
// decodes every name byte for byte as the POSIX build does.
#include "platform/chars.h"

int32_t NextUtf8Multibyte(const uint8_t* s, int32_t& i, int32_t length) {
    // The byte after the lead is checked against the lead's own range (no overlong forms, no surrogates,
    // nothing past U+10FFFF), the others against 0x80-0xBF. A sequence cut short or broken leaves i
    // after the bytes that were valid so far, never past a byte that could start the next character.
    // `length` below 0 means the text ends at a NUL, which no trail byte matches.
    uint32_t c = s[i++];
    if (i == length) return -1;
    if (c < 0xE0) {
        if (c < 0xC2) return -1;
        uint32_t t = uint32_t(s[i]) - 0x80;
        if (t > 0x3F) return -1;
        ++i;
        return int32_t(((c & 0x1F) << 6) | t);
    }
    uint32_t t1 = s[i];
    if (c < 0xF0) {
        uint32_t low = c == 0xE0 ? 0xA0 : 0x80, high = c == 0xED ? 0x9F : 0xBF;
        if (t1 < low || t1 > high) return -1;
        c = ((c & 0x0F) << 6) | (t1 & 0x3F);
    } else {
        if (c > 0xF4) return -1;
        uint32_t low = c == 0xF0 ? 0x90 : 0x80, high = c == 0xF4 ? 0x8F : 0xBF;
        if (t1 < low || t1 > high) return -1;
        c = ((c & 0x07) << 6) | (t1 & 0x3F);
        if (++i == length) return -1;
        uint32_t t2 = uint32_t(s[i]) - 0x80;
        if (t2 > 0x3F) return -1;
        c = (c << 6) | t2;
    }
    if (++i == length) return -1;
    uint32_t last = uint32_t(s[i]) - 0x80;
    if (last > 0x3F) return -1;
    ++i;
    return int32_t((c << 6) | last);
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
    char bytes[4];
    size_t n;
    if (c < 0x80) {
        bytes[0] = char(c);
        n = 1;
    } else if (c < 0x800) {
        bytes[0] = char(0xC0 | (c >> 6));
        bytes[1] = char(0x80 | (c & 0x3F));
        n = 2;
    } else if (c < 0x10000) {
        bytes[0] = char(0xE0 | (c >> 12));
        bytes[1] = char(0x80 | ((c >> 6) & 0x3F));
        bytes[2] = char(0x80 | (c & 0x3F));
        n = 3;
    } else {
        bytes[0] = char(0xF0 | (c >> 18));
        bytes[1] = char(0x80 | ((c >> 12) & 0x3F));
        bytes[2] = char(0x80 | ((c >> 6) & 0x3F));
        bytes[3] = char(0x80 | (c & 0x3F));
        n = 4;
    }
    out.append(bytes, n);
}
