// Shell patterns matched without the C library (portable; the Windows side's MatchShellPattern): * ? [...]
// over UTF-8 characters, with the answers glibc's fnmatch gives without flags or with FNM_CASEFOLD in a
// UTF-8 locale whose ranges go by code point (C.UTF-8).
#pragma once

#include <cstdint>
#include <string_view>

// The character classes a bracket can name ("[[:alpha:]]").
enum ShellCharClass {
    kClassAlnum, kClassAlpha, kClassBlank, kClassCntrl, kClassDigit, kClassGraph,
    kClassLower, kClassPrint, kClassPunct, kClassSpace, kClassUpper, kClassXdigit, kShellCharClasses
};

// What a platform knows of characters past ASCII: their lower case, and their classes.
struct ShellCharacters {
    int32_t (*lower)(int32_t c);
    bool (*inClass)(ShellCharClass type, int32_t c);
};

// True when `name` matches `pattern` whole; each ends at its first NUL. Both are read as UTF-8; where
// either holds bytes that form no character, both are matched byte by byte (each byte a character,
// ASCII's classes and case only). '/' and a leading '.' are ordinary characters; a backslash takes the
// next character literally; `ignoreCase` folds both sides with `characters.lower`.
bool MatchShellText(std::string_view pattern, std::string_view name, bool ignoreCase,
                    const ShellCharacters& characters);
