// ICU's functions as the POSIX side calls them, from Debian's shared libraries opened with dlopen the
// first time a listing needs them (private to platform's *_posix.cpp and chars_icu.cpp).
#pragma once

#include <unicode/ucnv.h>
#include <unicode/ucol.h>
#include <unicode/uchar.h>
#include <unicode/ustring.h>

#include <string>

// What a caller needs of ICU: character data and converters (libicuuc), or collation as well (libicui18n).
enum class IcuPart { kCharacters, kCollation };

// The functions, found by their versioned names (ucol_open is ucol_open_72 in ICU 72's headers). Each
// part's pointers are set once LoadIcu has loaded that part, and stay null before.
struct IcuApi {
    decltype(&u_errorName) errorName = nullptr;
    decltype(&u_charType) charType = nullptr;
    decltype(&u_getIntPropertyValue) intProperty = nullptr;
    decltype(&u_toupper) toUpper = nullptr;
    decltype(&u_strFromUTF8WithSub) fromUtf8 = nullptr;
    decltype(&ucnv_open) openConverter = nullptr;
    decltype(&ucnv_toUChars) toUChars = nullptr;
    decltype(&ucnv_close) closeConverter = nullptr;
    decltype(&ucol_open) openCollator = nullptr;
    decltype(&ucol_setAttribute) setAttribute = nullptr;
    decltype(&ucol_getSortKey) sortKey = nullptr;
    decltype(&ucol_getLocaleByType) localeByType = nullptr;
    decltype(&ucol_close) closeCollator = nullptr;
};

// Loads `part` of ICU the first time it is asked for (and libicuuc before libicui18n); the libraries stay
// loaded until the program ends. nullptr when they cannot be loaded or lack a function: IcuLoadError
// says why, and every later call answers the same without trying again.
const IcuApi* LoadIcu(IcuPart part);
// Why ICU could not be loaded; empty while no load has failed.
const std::string& IcuLoadError();
