// C-style escapes shared by the command line's name writers, so that a name can never forge a line.
#pragma once

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
