// Code pages, portable part (both sides of the seam): what is built on the open conversions of
// codepage_posix.cpp (iconv) or codepage_win32.cpp (the Win32 API).
#include "platform/codepage.h"

namespace {

size_t KeepByte(void*, std::string_view rest, std::string& out) {
    out += rest[0];
    return 1;
}

}  // namespace

std::string Cp932ToUtf8(std::string_view text) {
    static CodePageConversion* conversion = OpenCodePageConversion("UTF-8", "CP932");
    if (conversion == nullptr) return std::string(text);
    std::string out;
    out.reserve(text.size() * 3 + 4);
    AppendConverted(*conversion, text, out, KeepByte, nullptr);
    return out;
}
