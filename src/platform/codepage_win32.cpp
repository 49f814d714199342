// Code pages (Windows side): MultiByteToWideChar and WideCharToMultiByte behind codepage.h, one
// character at a time where a text does not convert whole, so that what the target lacks and what the
// source does not form is handed to the caller character by character as iconv does on POSIX.
#include "platform/codepage.h"

#include <windows.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "platform/chars.h"

struct CodePageConversion {
    UINT from, to;
};

namespace {

// The code page a name stands for ("CP932", "UTF-8", "SHIFT_JIS", "CP1252", ...); 0 for none known.
UINT CodePageNamed(const char* name) {
    struct Named {
        const char* name;
        UINT codePage;
    };
    static const Named names[] = {
        {"UTF-8", CP_UTF8},      {"UTF8", CP_UTF8},       {"CP932", 932},      {"SHIFT_JIS", 932},
        {"SHIFT-JIS", 932},      {"SJIS", 932},           {"WINDOWS-31J", 932}, {"MS932", 932},
        {"ANSI_X3.4-1968", 20127}, {"ASCII", 20127},      {"US-ASCII", 20127},
    };
    for (const Named& n : names)
        if (lstrcmpiA(name, n.name) == 0) return n.codePage;
    // "CP1252", "WINDOWS-1252": the number names the code page when the system has it.
    for (const char* prefix : {"CP", "WINDOWS-"}) {
        size_t n = std::strlen(prefix);
        if (CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, name, int(n), prefix, int(n)) != CSTR_EQUAL) continue;
        const char* digits = name + n;
        UINT number = 0;
        for (; *digits >= '0' && *digits <= '9' && number < 100000; ++digits) number = number * 10 + UINT(*digits - '0');
        if (*digits == '\0' && digits > name + n && IsValidCodePage(number)) return number;
    }
    return 0;
}

// The length of the character `text` starts with in `codePage`; 0 where the bytes there start none
// (bad UTF-8, or a lead byte the text ends after).
size_t CharacterLength(UINT codePage, std::string_view text) {
    if (codePage == CP_UTF8) {
        int32_t i = 0;
        return NextUtf8(reinterpret_cast<const uint8_t*>(text.data()), i, int32_t(text.size())) < 0 ? 0 : size_t(i);
    }
    if (!IsDBCSLeadByteEx(codePage, BYTE(text[0]))) return 1;
    return text.size() >= 2 ? 2 : 0;
}

// Converts `text` whole from `conversion.from` to `conversion.to`, appending to `out`; false (out as it
// was) where some byte forms no character of the source or some character is missing from the target.
bool ConvertWhole(const CodePageConversion& conversion, std::string_view text, std::string& out) {
    if (text.empty()) return true;
    int wideLength = MultiByteToWideChar(conversion.from, MB_ERR_INVALID_CHARS, text.data(), int(text.size()), nullptr, 0);
    if (wideLength <= 0) return false;
    std::wstring wide(size_t(wideLength), L'\0');
    MultiByteToWideChar(conversion.from, MB_ERR_INVALID_CHARS, text.data(), int(text.size()), wide.data(), wideLength);
    // UTF-8 refuses a lone surrogate when asked to; the stateful code pages take no default character.
    BOOL usedDefault = FALSE;
    bool stateful = conversion.to == CP_UTF7 || conversion.to == CP_UTF8 || conversion.to == 42 ||
                    (conversion.to >= 50220 && conversion.to <= 50229) || conversion.to == 52936 ||
                    conversion.to == 54936 || (conversion.to >= 57002 && conversion.to <= 57011);
    DWORD flags = conversion.to == CP_UTF8 ? WC_ERR_INVALID_CHARS : 0;
    int length = WideCharToMultiByte(conversion.to, flags, wide.data(), wideLength, nullptr, 0, nullptr,
                                     stateful ? nullptr : &usedDefault);
    if (length <= 0 || usedDefault) return false;
    size_t used = out.size();
    out.resize(used + size_t(length));
    WideCharToMultiByte(conversion.to, flags, wide.data(), wideLength, out.data() + used, length, nullptr, nullptr);
    return true;
}

}  // namespace

CodePageConversion* OpenCodePageConversion(const char* to, const char* from) {
    UINT toPage = CodePageNamed(to), fromPage = CodePageNamed(from);
    if (toPage == 0 || fromPage == 0) {
        errno = EINVAL;
        return nullptr;
    }
    return new CodePageConversion{fromPage, toPage};
}

void CloseCodePageConversion(CodePageConversion* conversion) { delete conversion; }

void AppendConverted(CodePageConversion& conversion, std::string_view text, std::string& out,
                     Unconvertible unconvertible, void* context) {
    if (ConvertWhole(conversion, text, out)) return;
    // Character by character: each that does not convert (best-fit characters do, as the system maps
    // them) is handed to `unconvertible` with the rest of the text, which says how much it stands for.
    while (!text.empty()) {
        size_t length = CharacterLength(conversion.from, text);
        if (length > 0 && ConvertWhole(conversion, text.substr(0, length), out)) {
            text.remove_prefix(length);
            continue;
        }
        size_t skip = unconvertible(context, text, out);
        if (skip == 0) skip = 1;
        if (skip > text.size()) skip = text.size();
        text.remove_prefix(skip);
    }
}
