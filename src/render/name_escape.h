// C-style escapes shared by the command line's name writers, so that a name can never forge a line
// nor show reordered.
#pragma once


#include <cstdint>
#include <string>

// Appends byte `c` escaped: \a \b \t \n \v \f \r and \\ by letter, anything else as \xNN.
inline void AppendEscapedByte(std::string& out, unsigned char c) {
    static const char kLetters[] = "abtnvfr";
    static const char kHex[] = "0123456789abcdef";
    out += '\\';
    if (c == '\\') {
        out += '\\';
    } else if (c >= 7 && c <= 13) {
        out += kLetters[c - 7];
    } else {
        out += 'x';
        out += kHex[c >> 4];
        out += kHex[c & 15];
    }
}

// Appends code point `c` (at most U+FFFF) as \uXXXX, lower-case hex: the form JSON reads, and the one the
// text view gives U+2028 and U+2029.
inline void AppendUnicodeEscape(std::string& out, uint32_t c) {
    static const char kHex[] = "0123456789abcdef";
    out += "\\u";
    for (int shift = 12; shift >= 0; shift -= 4) out += kHex[(c >> shift) & 15];
}

// The bidirectional controls (U+061C, U+200E/U+200F, U+202A-U+202E, U+2066-U+2069: ICU's Bidi_Control),
// which reorder what a terminal or a page shows around them, so that "txt.exe" could pass for "exe.txt".
// Written out rather than asked of ICU: the Windows build has no ICU, and Unicode keeps this set stable.
inline bool IsBidiControl(int32_t c) {
    return c == 0x061C || c == 0x200E || c == 0x200F || (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069);
}
