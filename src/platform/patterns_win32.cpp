// Shell patterns, Windows side: the portable matcher (shell_match.h), with Windows' lower case and
// character types for the characters past ASCII.
#include "platform/patterns.h"

#include <windows.h>

#include "platform/shell_match.h"

namespace {

// `c` as UTF-16 into `units`; how many units.
int ToUtf16(int32_t c, wchar_t units[2]) {
    if (c < 0x10000) {
        units[0] = wchar_t(c);
        return 1;
    }
    units[0] = wchar_t(0xD800 + ((c - 0x10000) >> 10));
    units[1] = wchar_t(0xDC00 + ((c - 0x10000) & 0x3FF));
    return 2;
}

int32_t Lower(int32_t c) {
    if (c < 0x80) return c >= 'A' && c <= 'Z' ? c + 32 : c;
    wchar_t units[2];
    int n = ToUtf16(c, units);
    wchar_t lower[4];
    int got = LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_LOWERCASE, units, n, lower, 4, nullptr, nullptr, 0);
    if (got == 1) return lower[0];
    if (got == 2 && lower[0] >= 0xD800 && lower[0] <= 0xDBFF)
        return 0x10000 + ((int32_t(lower[0]) - 0xD800) << 10) + (int32_t(lower[1]) - 0xDC00);
    return c;
}

bool InClass(ShellCharClass type, int32_t c) {
    wchar_t units[2];
    int n = ToUtf16(c, units);
    WORD kinds[2] = {};
    if (!GetStringTypeW(CT_CTYPE1, units, n, kinds)) return false;
    WORD k = kinds[0];
    bool alpha = k & C1_ALPHA, digit = k & C1_DIGIT, punct = k & C1_PUNCT;
    switch (type) {
    case kClassAlnum: return alpha || digit;
    case kClassAlpha: return alpha;
    case kClassBlank: return k & C1_BLANK;
    case kClassCntrl: return k & C1_CNTRL;
    case kClassDigit: return c >= '0' && c <= '9';  // as glibc: only the ASCII digits
    case kClassGraph: return alpha || digit || punct;
    case kClassLower: return k & C1_LOWER;
    case kClassPrint: return alpha || digit || punct || c == ' ';
    case kClassPunct: return punct;
    case kClassSpace: return k & C1_SPACE;
    case kClassUpper: return k & C1_UPPER;
    case kClassXdigit: return c < 0x80 && (k & C1_XDIGIT);
    default: return false;
    }
}

constexpr ShellCharacters kWindows{Lower, InClass};

}  // namespace

bool MatchShellPattern(const std::string& pattern, const std::string& name, bool ignoreCase) {
    return MatchShellText(pattern, name, ignoreCase, kWindows);
}
