// Fuzz target: the name writers and conversions on arbitrary bytes. Escaped output can never forge a line
// nor hold a bidirectional control, and reads back to the name; shortened names keep within the limit and never end inside a character;
// bounded buffers never pass their capacity; the CP932 conversion gives one character per character.
#include <unicode/uchar.h>
#include <unicode/utf8.h>

#include <algorithm>
#include <clocale>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/disk_source.h"
#include "render/render.h"

namespace {

DiskSource gSource;  // CP932 conversion from UTF-8 (C.UTF-8), set up once

[[noreturn]] void Fail(const char* what, std::string_view name, std::string_view output) {
    auto show = [](std::string_view bytes) {
        for (unsigned char c : bytes) std::fprintf(stderr, c >= 0x20 && c < 0x7F && c != '\\' ? "%c" : "\\x%02x", c);
    };
    std::fprintf(stderr, "names_fuzz: %s\n  name:   ", what);
    show(name);
    std::fputs("\n  output: ", stderr);
    show(output);
    std::fputs("\n", stderr);
    std::abort();
}

void Expect(bool ok, const char* what, std::string_view name, std::string_view output) {
    if (!ok) Fail(what, name, output);
}

// ---- Reading bytes back.

// Length of the well-formed UTF-8 sequence at s[i] (shortest form, no surrogates, at most U+10FFFF), or 0.
size_t Utf8At(std::string_view s, size_t i) {
    auto b = [&](size_t k) { return i + k < s.size() ? static_cast<unsigned char>(s[i + k]) : 0x100u; };
    unsigned c = b(0);
    if (c < 0x80) return 1;
    auto cont = [&](size_t k, unsigned lo, unsigned hi) { return b(k) >= lo && b(k) <= hi; };
    if (c >= 0xC2 && c <= 0xDF) return cont(1, 0x80, 0xBF) ? 2 : 0;
    if (c >= 0xE0 && c <= 0xEF) {
        unsigned lo = c == 0xE0 ? 0xA0 : 0x80, hi = c == 0xED ? 0x9F : 0xBF;
        return cont(1, lo, hi) && cont(2, 0x80, 0xBF) ? 3 : 0;
    }
    if (c >= 0xF0 && c <= 0xF4) {
        unsigned lo = c == 0xF0 ? 0x90 : 0x80, hi = c == 0xF4 ? 0x8F : 0xBF;
        return cont(1, lo, hi) && cont(2, 0x80, 0xBF) && cont(3, 0x80, 0xBF) ? 4 : 0;
    }
    return 0;
}

// Valid UTF-8 without C0, DEL, C1 or U+2028/U+2029: it stays on its line of a terminal.
bool OneLine(std::string_view text) {
    for (size_t i = 0; i < text.size();) {
        size_t n = Utf8At(text, i);
        if (n == 0) return false;
        unsigned char c = text[i];
        if (c < 0x20 || c == 0x7F) return false;
        if (n == 2 && c == 0xC2 && static_cast<unsigned char>(text[i + 1]) < 0xA0) return false;
        if (n == 3 && text.substr(i, 2) == "\xE2\x80" && (text[i + 2] == '\xA8' || text[i + 2] == '\xA9')) return false;
        i += n;
    }
    return true;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// Reads the escape at text[i] ('\\' there) into `out`; returns its length, or 0 when it is none of
// \\ \a \b \t \n \v \f \r \xNN (and, with `unicode`, \u2028 \u2029 and \uXXXX for a bidirectional
// control). `letters` limits the letter escapes.
size_t Unescape(std::string_view text, size_t i, std::string& out, std::string_view letters, bool unicode) {
    if (i + 1 >= text.size()) return 0;
    char e = text[i + 1];
    if (e == '\\') {
        out += '\\';
        return 2;
    }
    static const std::string_view kLetters = "abtnvfr";
    if (letters.find(e) != std::string_view::npos) {
        out += char(7 + kLetters.find(e));
        return 2;
    }
    if (e == 'x' && i + 3 < text.size() && HexDigit(text[i + 2]) >= 0 && HexDigit(text[i + 3]) >= 0) {
        out += char(HexDigit(text[i + 2]) * 16 + HexDigit(text[i + 3]));
        return 4;
    }
    if (unicode && e == 'u' && i + 5 < text.size()) {
        UChar32 c = 0;
        for (size_t k = 2; k < 6; ++k) {
            if (HexDigit(text[i + k]) < 0) return 0;
            c = c * 16 + HexDigit(text[i + k]);
        }
        if (c != 0x2028 && c != 0x2029 && !u_hasBinaryProperty(c, UCHAR_BIDI_CONTROL)) return 0;
        char utf8[4];
        int32_t n = 0;
        U8_APPEND_UNSAFE(utf8, n, c);
        out.append(utf8, size_t(n));
        return 6;
    }
    return 0;
}

bool IsSjisLead(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }
bool IsSjisTrail(unsigned char c) { return c >= 0x40 && c <= 0xFC && c != 0x7F; }

// Bytes of `name` up to its first NUL: what AppendBounded copies of it.
std::string_view UpToNul(std::string_view name) { return name.substr(0, name.find('\0')); }

// ---- The writers, unbounded and into a small fixed buffer.

std::string Written(NameWriter write, std::string_view name, bool nameLimit) {
    TextBuffer buffer;
    InitTextBuffer(buffer, kNoLimits);
    write(buffer, name, nameLimit);
    return buffer.text;
}

// Into a buffer of `capacity` bytes that already holds `before` (which fits): never more than capacity - 1 bytes, only
// whole pieces of what an unbounded buffer gets, and "full" exactly when something was left out.
void CheckBounded(NameWriter write, std::string_view name, bool nameLimit, const std::string& whole,
                  int32_t capacity, std::string_view before) {
    ListLimits limits = kNoLimits;
    limits.textCapacity = capacity;
    TextBuffer buffer;
    InitTextBuffer(buffer, limits);
    AppendBounded(buffer, before, before.size());
    std::string start = buffer.text;
    write(buffer, name, nameLimit);
    const std::string expected = start + whole;
    Expect(buffer.text.size() <= size_t(capacity - 1), "a bounded buffer passed its capacity", name, buffer.text);
    Expect(expected.compare(0, buffer.text.size(), buffer.text) == 0, "a bounded buffer holds other bytes", name,
           buffer.text);
    Expect(buffer.full == (buffer.text != expected), "a bounded buffer is full exactly when bytes were left out",
           name, buffer.text);
}

// Display columns of the UTF-8 writer's units: an escape counts its bytes; a character 2 when wide,
// 0 when it joins the one before (marks, format characters, Hangul vowels and finals), else 1.
int Columns(std::string_view text, size_t& i) {
    if (text[i] == '\\') {
        std::string ignored;
        size_t n = Unescape(text, i, ignored, "abtnvfr", true);
        i += n;
        return int(n);
    }
    int32_t at = int32_t(i);
    UChar32 c;
    U8_NEXT(reinterpret_cast<const uint8_t*>(text.data()), at, int32_t(text.size()), c);
    i = size_t(at);
    int8_t type = u_charType(c);
    if (type == U_NON_SPACING_MARK || type == U_ENCLOSING_MARK || type == U_FORMAT_CHAR) return 0;
    if (c >= 0x1160 && c <= 0x11FF) return 0;
    int width = u_getIntPropertyValue(c, UCHAR_EAST_ASIAN_WIDTH);
    return (width == U_EA_WIDE || width == U_EA_FULLWIDTH) ? 2 : 1;
}

int ColumnsOf(std::string_view text) {
    int total = 0;
    for (size_t i = 0; i < text.size();) total += Columns(text, i);
    return total;
}

// True when `text` (valid UTF-8) holds a bidirectional control, which would reorder what is shown.
bool HoldsBidiControl(std::string_view text) {
    const auto* s = reinterpret_cast<const uint8_t*>(text.data());
    for (int32_t i = 0; i < int32_t(text.size());) {
        UChar32 c;
        U8_NEXT(s, i, int32_t(text.size()), c);
        if (c >= 0 && u_hasBinaryProperty(c, UCHAR_BIDI_CONTROL)) return true;
    }
    return false;
}

void CheckUtf8(std::string_view name, int32_t capacity, std::string_view before) {
    const std::string whole = Written(AppendNameUtf8, name, false);
    Expect(OneLine(whole), "UTF-8 output breaks its line", name, whole);
    Expect(!HoldsBidiControl(whole), "UTF-8 output holds a bidirectional control", name, whole);
    std::string back;
    for (size_t i = 0; i < whole.size();) {
        if (whole[i] != '\\') {
            back += whole[i++];
            continue;
        }
        size_t n = Unescape(whole, i, back, "abtnvfr", true);
        Expect(n > 0, "UTF-8 output holds a backslash that starts no escape", name, whole);
        i += n;
    }
    Expect(back == name, "UTF-8 output does not read back to the name", name, whole);

    const std::string limited = Written(AppendNameUtf8, name, true);
    const int columns = ColumnsOf(whole);
    if (columns <= 17) {
        Expect(limited == whole, "a name of at most 17 columns was shortened", name, limited);
    } else {
        const std::string_view ellipsis = kUtf8Pieces.ellipsis;
        Expect(limited.size() >= ellipsis.size() && limited.ends_with(ellipsis), "a long name without the ellipsis",
               name, limited);
        std::string_view kept = std::string_view(limited).substr(0, limited.size() - ellipsis.size());
        Expect(whole.starts_with(kept), "a shortened name is not the start of the name", name, limited);
        // The cut falls between whole units: the kept bytes read on by themselves.
        size_t i = 0;
        int keptColumns = 0;
        while (i < kept.size()) keptColumns += Columns(kept, i);
        Expect(i == kept.size() && OneLine(kept), "a shortened name ends inside a character or escape", name, limited);
        Expect(keptColumns <= 14, "a shortened name is wider than 14 columns", name, limited);
    }
    CheckBounded(AppendNameUtf8, name, false, whole, capacity, before);
    CheckBounded(AppendNameUtf8, name, true, limited, capacity, before);
}

// Where a Shift_JIS name longer than 17 bytes may be cut: after 14 bytes, or 13 when the 14th would be
// the first half of a two-byte character; walking characters from the start must land exactly there.
bool GoodSjisCut(std::string_view name, size_t cut) {
    if (cut != 13 && cut != 14) return false;
    size_t i = 0;
    while (i < cut) i += IsSjisLead(name[i]) ? 2 : 1;
    return i == cut && (cut == 14 || IsSjisLead(name[13]));
}

void CheckSjisEscaped(std::string_view name, int32_t capacity, std::string_view before) {
    const std::string whole = Written(AppendNameSjisEscaped, name, false);
    std::string back;
    for (size_t i = 0; i < whole.size();) {
        unsigned char c = whole[i];
        if (IsSjisLead(c)) {
            Expect(i + 1 < whole.size() && IsSjisTrail(whole[i + 1]), "Shift_JIS output holds a lone first byte", name,
                   whole);
            back += whole.substr(i, 2);
            i += 2;
        } else if (c == '\\') {
            size_t n = Unescape(whole, i, back, "abtnvfr", false);
            Expect(n > 0, "Shift_JIS output holds a backslash that starts no escape", name, whole);
            i += n;
        } else {
            Expect((c >= 0x20 && c < 0x7F) || (c >= 0xA1 && c <= 0xDF), "Shift_JIS output holds a raw control byte",
                   name, whole);
            back += char(c);
            ++i;
        }
    }
    Expect(back == name, "Shift_JIS output does not read back to the name", name, whole);

    // The limit counts the bytes written: a name written in more than 17 is cut to the longest start of
    // its written text that is whole characters and escapes and at most 14 bytes.
    const std::string limited = Written(AppendNameSjisEscaped, name, true);
    if (whole.size() <= 17) {
        Expect(limited == whole, "a name written in at most 17 bytes was shortened", name, limited);
    } else {
        const std::string_view ellipsis = kSjisPieces.ellipsis;
        Expect(limited.ends_with(ellipsis), "a long name without the ellipsis", name, limited);
        std::string_view kept = std::string_view(limited).substr(0, limited.size() - ellipsis.size());
        Expect(whole.starts_with(kept), "a shortened name is not the start of the written name", name, limited);
        // The longest start of the name whose written text starts the whole one (a start ending inside a
        // character is written otherwise) in at most 14 bytes.
        std::string best;
        for (size_t cut = 1; cut <= name.size(); ++cut) {
            std::string start = Written(AppendNameSjisEscaped, name.substr(0, cut), false);
            if (start.size() > 14) continue;  // (a lone first byte is written longer than its character)
            if (whole.starts_with(start)) best = start;
        }
        Expect(best == kept, "a Shift_JIS name cut inside a character or escape, or shorter than needed", name,
               limited);
    }
    if (whole == name) Expect(limited == Written(AppendName, name, true), "a name with nothing escaped is not "
                              "shortened as the Windows program does", name, limited);
    CheckBounded(AppendNameSjisEscaped, name, false, whole, capacity, before);
    CheckBounded(AppendNameSjisEscaped, name, true, limited, capacity, before);
}

// The Windows program's writer: the bytes as they are (up to a NUL, as a C string ends), or 13 or 14 of
// them and the ellipsis.
void CheckWindows(std::string_view name, int32_t capacity, std::string_view before) {
    const std::string whole = Written(AppendName, name, false);
    Expect(whole == UpToNul(name), "the Windows writer changed a name", name, whole);
    const std::string limited = Written(AppendName, name, true);
    if (name.size() <= 17) {
        Expect(limited == whole, "a name of at most 17 bytes was shortened", name, limited);
    } else {
        // (A NUL ends the name early, as it ends a C string.)
        bool found = false;
        for (size_t cut : {13, 14})
            found = found || (UpToNul(name.substr(0, cut)).size() + kSjisPieces.ellipsis.size() == limited.size() &&
                              limited.starts_with(UpToNul(name.substr(0, cut))) &&
                              limited.ends_with(kSjisPieces.ellipsis) && GoodSjisCut(name, cut));
        Expect(found, "a long name not cut to 13 or 14 whole-character bytes and the ellipsis", name, limited);
    }
    CheckBounded(AppendName, name, false, whole, capacity, before);
    CheckBounded(AppendName, name, true, limited, capacity, before);
}

// One CP932 character for every character of the name and '?' for every byte that is not part of one.
void CheckCp932(std::string_view name) {
    const std::string shown = ShownName(gSource, name);
    size_t characters = 0;
    for (size_t i = 0; i < name.size(); ++characters) {
        size_t n = Utf8At(name, i);
        i += n == 0 ? 1 : n;
    }
    size_t shownCharacters = 0;
    for (size_t i = 0; i < shown.size(); ++shownCharacters) {
        unsigned char c = shown[i];
        if (IsSjisLead(c)) {
            Expect(i + 1 < shown.size() && IsSjisTrail(shown[i + 1]), "CP932 output holds a lone first byte", name, shown);
            i += 2;
        } else {
            Expect(c < 0x80 || (c >= 0xA1 && c <= 0xDF), "CP932 output holds a byte that is no character", name, shown);
            ++i;
        }
    }
    Expect(shownCharacters == characters, "CP932 output has another number of characters", name, shown);
    bool ascii = true;
    for (unsigned char c : name) ascii = ascii && c < 0x80;
    if (ascii) Expect(shown == name, "CP932 output changed an ASCII name", name, shown);
}

void CheckNotice(std::string_view name) {
    const std::string escaped = EscapeForNotice(name);
    Expect(OneLine(escaped), "a notice breaks its line", name, escaped);
    std::string back;
    for (size_t i = 0; i < escaped.size();) {
        if (escaped[i] != '\\') {
            back += escaped[i++];
            continue;
        }
        size_t n = Unescape(escaped, i, back, "tnr", false);
        Expect(n > 0, "a notice holds a backslash that starts no escape", name, escaped);
        i += n;
    }
    Expect(back == name, "a notice does not read back to the path", name, escaped);
    const std::string line = UnreadableMessage(name, 13);
    Expect(OneLine(line), "an unreadable-folder notice is not one line", name, line);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    std::setlocale(LC_ALL, "C.UTF-8");
    gSource.toSjis = true;
    std::string error;
    if (!InitDiskSource(gSource, error)) {
        std::fprintf(stderr, "names_fuzz: %s\n", error.c_str());
        std::abort();
    }
    return 0;
}

// Input: two bytes of buffer capacity, one byte of text already in the buffer, then the name.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 3) return 0;
    const int32_t capacity = 2 + (data[0] | (data[1] & 0x01) << 8);  // 2 ... 513 bytes
    const std::string before(std::min<size_t>(data[2] % 64, capacity - 1), '-');
    const std::string_view name(reinterpret_cast<const char*>(data) + 3, size - 3);
    CheckUtf8(name, capacity, before);
    CheckSjisEscaped(name, capacity, before);
    CheckWindows(name, capacity, before);
    CheckCp932(name);
    CheckNotice(name);
    return 0;
}
