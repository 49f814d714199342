// C-style escapes shared by the command line's name writers, so that a name can never forge a line
// nor show reordered. The digits come from platform/chars.h's one hex table, lower case.
#pragma once

#include <cstdint>
#include <string>

#include "platform/chars.h"

// Appends byte `c` escaped: \a \b \t \n \v \f \r and \\ by letter, anything else as \xNN.
inline void AppendEscapedByte(std::string& out, unsigned char c) {
    static const char kLetters[] = "abtnvfr";
    out += '\\';
    if (c == '\\') {
        out += '\\';
    } else if (c >= 7 && c <= 13) {
        out += kLetters[c - 7];
    } else {
        out += 'x';
        AppendHexByte(out, c);
    }
}

// Appends code point `c` (at most U+FFFF) as \uXXXX, lower-case hex: the form JSON reads, and the one the
// text view gives U+2028 and U+2029.
inline void AppendUnicodeEscape(std::string& out, uint32_t c) {
    out += "\\u";
    AppendHexByte(out, uint8_t(c >> 8));
    AppendHexByte(out, uint8_t(c));
}
