// Character data for names, free of OS and ICU headers: UTF-8 decoding, display columns, the character
// classes the escapers test, and the hex digits they write. UTF-8 is decoded in chars.cpp on both sides;
// display columns come from ICU behind chars_icu.cpp (POSIX side) or from tables generated from ICU when
// the program is built, behind chars_win32.cpp (Windows side).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Hex digits, lower case then upper case: every escaper writes from this table, each in its own case.
inline constexpr char kHexDigits[] = "0123456789abcdef0123456789ABCDEF";

// Appends byte `b` as two hex digits ("1b"; "1B" with `upper`).
inline void AppendHexByte(std::string& out, uint8_t b, bool upper = false) {
    const char* digits = kHexDigits + (upper ? 16 : 0);
    out += digits[b >> 4];
    out += digits[b & 15];
}

// The bidirectional controls (U+061C, U+200E/U+200F, U+202A-U+202E, U+2066-U+2069: ICU's Bidi_Control),
// which reorder what a terminal or a page shows around them, so that "txt.exe" could pass for "exe.txt".
// Written out rather than asked of ICU: the Windows build has no ICU, and Unicode keeps this set stable.
inline bool IsBidiControl(int32_t c) {
    return c == 0x061C || c == 0x200E || c == 0x200F || (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069);
}

// The characters no name escaper writes raw: controls (C0, DEL, C1), U+2028/U+2029, which a terminal or an
// editor could take for a line end, and the bidirectional controls.
inline bool IsUnsafeCharacter(int32_t c) {
    return c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0x2028 || c == 0x2029 || IsBidiControl(c);
}

// The backslash the name writers and messages escape ("\\\\") where a name may hold one. On Windows none
// can: there it only separates folders, and FOLDER as given (the root row, a message) shows as it stands.
#ifdef _WIN32
inline constexpr int32_t kBackslash = -2;  // no byte or character is escaped as a backslash
#else
inline constexpr int32_t kBackslash = '\\';
#endif

// Shift_JIS (code page 932): the first byte of a two-byte character.
inline bool IsSjisLead(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

// The character at s[i] (of `length` bytes) at or past U+0080, i moved past it; -1 where the bytes there
// form none, i then past the bytes that start a character but do not complete one (at least one byte).
int32_t NextUtf8Multibyte(const uint8_t* s, int32_t& i, int32_t length);
// The character at s[i], i moved past it; -1 as NextUtf8Multibyte. ASCII is decoded here, inline.
inline int32_t NextUtf8(const uint8_t* s, int32_t& i, int32_t length) {
    if (s[i] < 0x80) return s[i++];
    return NextUtf8Multibyte(s, i, length);
}

// True when every byte of `text` belongs to a well-formed UTF-8 character.
bool IsValidUtf8(std::string_view text);
// Appends code point `c` (a scalar value) in UTF-8.
void AppendUtf8(std::string& out, uint32_t c);

// The display columns of one character as the name writers count them: 0 for marks, format characters
// and Hangul's joining vowels and finals, 2 for wide ones, else 1 (ASCII always). Past ASCII they come
// from ICU, loaded the first time they are asked for (on Windows from the tables, always there); where it
// cannot be, 1 (CharacterDataError says why).
int DisplayColumns(int32_t c);

// Loads the character data past ASCII when `text` holds a byte past ASCII, so that a run
// finds it missing before it writes anything. False when it cannot be had (CharacterDataError says why).
bool ReadyCharacterData(std::string_view text);
// Why the character data past ASCII could not be had; empty while nothing failed.
std::string CharacterDataError();
