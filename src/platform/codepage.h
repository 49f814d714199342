// Code pages: text converted between encodings named as the system names them ("CP932", "UTF-8", a
// locale's codeset). Free of OS headers; iconv answers behind codepage_posix.cpp (POSIX side), the Win32
// API behind codepage_win32.cpp (Windows side, where what the code page maps by best fit counts as
// converted, as the system's own conversion has it).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// One open conversion; each text converted starts from its initial state.
struct CodePageConversion;

// Opens the conversion from `from` to `to`; nullptr (errno says why) when the system has none.
CodePageConversion* OpenCodePageConversion(const char* to, const char* from);
void CloseCodePageConversion(CodePageConversion* conversion);  // nullptr: nothing to close

// What stands for bytes that cannot be converted: appends it to `out` and returns how many bytes at the
// start of `rest` (at least one) it stands for.
using Unconvertible = size_t (*)(void* context, std::string_view rest, std::string& out);

// Appends `text` converted. Where bytes cannot be (a character the target lacks, bytes that form no
// character of the source, a character cut short at the end) `unconvertible` says what stands for them,
// and the conversion goes on after them.
void AppendConverted(CodePageConversion& conversion, std::string_view text, std::string& out,
                     Unconvertible unconvertible, void* context);

// Code page 932 to UTF-8, each byte that forms no character there kept as it is; `text` unchanged where
// the system cannot convert from CP932.
std::string Cp932ToUtf8(std::string_view text);
