// The command line's UTF-8 name writer: escapes what could break a line, reorder it or hide bytes, and
// counts the name limit in display columns (a wide character counts two and is never cut), with the
// character data of platform/chars.h (ICU behind it).
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "render/name_escape.h"
#include "render/render.h"

namespace {

constexpr int kLongName = 17;   // names wider than this many columns are shortened
constexpr int kShortName = 14;  // ... to at most this many, then " …"

// One piece of the written name: a character, or the escape standing for it, with its width.
struct Unit {
    size_t begin, end;  // in the escaped text
    int columns;
};

// True when the eight bytes at p are all printable ASCII other than the backslash (no byte of 0x80 and
// up, below 0x20, 0x7F or '\\'): the byte tests of "Bit Twiddling Hacks", eight bytes in one word.
bool EightPlainAscii(const uint8_t* p) {
    constexpr uint64_t kOnes = 0x0101010101010101, kHighs = 0x8080808080808080;
    uint64_t v;
    std::memcpy(&v, p, 8);
    auto below = [&](uint64_t x, uint64_t n) { return (x - kOnes * n) & ~x & kHighs; };  // a byte < n
    uint64_t del = v ^ (kOnes * 0x7F);
    uint64_t backslash = kBackslash < 0 ? ~uint64_t(0) : v ^ (kOnes * uint64_t(kBackslash));
    return ((v & kHighs) | below(v, 0x20) | below(del, 1) | below(backslash, 1)) == 0;
}

// True when `name` is written exactly as it is: valid UTF-8 with nothing to escape. Most names are.
bool IsPlain(std::string_view name) {
    const auto* s = reinterpret_cast<const uint8_t*>(name.data());
    int32_t length = int32_t(name.size());
    int32_t start = 0;
    while (start + 8 <= length && EightPlainAscii(s + start)) start += 8;
    for (int32_t i = start; i < length;) {
        uint8_t b = s[i];
        if (b < 0x80) {
            if (b < 0x20 || b == 0x7F || b == kBackslash) return false;
            ++i;
            continue;
        }
        int32_t c = NextUtf8Multibyte(s, i, length);
        if (c < 0 || IsUnsafeCharacter(c)) return false;
    }
    return true;
}

// True when every byte of `name` is printable ASCII other than the backslash: one column each.
bool IsPlainAscii(std::string_view name) {
    for (char ch : name) {
        auto b = uint8_t(ch);
        if (b < 0x20 || b >= 0x7F || b == kBackslash) return false;
    }
    return true;
}

// Writes what stands for one character (or one run of bytes that form none) under `forms`.
void AppendUnit(std::string& text, const uint8_t* s, int32_t start, int32_t end, int32_t c, uint8_t forms) {
    bool question = forms & kNameQuestionMarks;
    if (c == kBackslash && !(forms & kNameQuoted) && question) {
        text += '\\';
    } else if (c == '"' && (forms & kNameQuoted)) {
        text += "\\\"";
    } else if (c < 0 || c < 0x20 || c == 0x7F || c == kBackslash || (c >= 0x80 && c <= 0x9F)) {
        if (question && c != kBackslash) {
            text.append(c < 0 ? size_t(end - start) : 1, '?');
        } else if (c >= 0 && c < 0x80) {
            AppendEscapedByte(text, uint8_t(c));
        } else {  // invalid bytes and the C1 controls: each byte escaped
            for (int32_t k = start; k < end; ++k) AppendEscapedByte(text, s[k]);
        }
    } else if (c == 0x2028 || c == 0x2029 || IsBidiControl(c)) {
        if (question)
            text += '?';
        else
            AppendUnicodeEscape(text, uint32_t(c));
    } else {
        text.append(reinterpret_cast<const char*>(s) + start, end - start);
    }
}

void AppendUtf8(TextBuffer& buffer, std::string_view name, bool nameLimit, std::string_view ellipsis,
                uint8_t forms = kNameEscaped) {
    // The common cases write the name's own bytes without building anything.
    if (forms == kNameEscaped && (!nameLimit ? IsPlain(name) : IsPlainAscii(name))) {
        bool shorten = nameLimit && name.size() > size_t(kLongName);
        AppendPiece(buffer, shorten ? name.substr(0, kShortName) : name);  // a plain name holds no NUL
        if (shorten) AppendPiece(buffer, ellipsis);
        return;
    }
    // Scratch kept from name to name, so writing a listing allocates nothing per name.
    static thread_local std::string text;
    static thread_local std::vector<Unit> units;
    text.clear();
    units.clear();
    int total = 0;
    const auto* s = reinterpret_cast<const uint8_t*>(name.data());
    int32_t length = int32_t(name.size());
    for (int32_t i = 0; i < length;) {
        int32_t start = i;
        int32_t c = NextUtf8(s, i, length);
        size_t begin = text.size();
        AppendUnit(text, s, start, i, c, forms);
        if (!nameLimit) continue;
        // An escape or a '?' is as wide as its bytes.
        bool asWritten = text[begin] == '\\' || (text[begin] == '?' && c != '?');
        int columns = asWritten ? int(text.size() - begin) : DisplayColumns(c);
        units.push_back({begin, text.size(), columns});
        total += columns;
    }
    if (forms & kNameQuoted) AppendPiece(buffer, "\"");
    if (!nameLimit || total <= kLongName) {
        AppendBounded(buffer, text, text.size());
        if (forms & kNameQuoted) AppendPiece(buffer, "\"");
        return;
    }
    size_t keep = 0;
    int width = 0;
    for (const Unit& u : units) {
        if (width + u.columns > kShortName) break;
        width += u.columns;
        keep = u.end;
    }
    AppendBounded(buffer, text, keep);
    AppendBounded(buffer, ellipsis, ellipsis.size());
    if (forms & kNameQuoted) AppendPiece(buffer, "\"");
}

template <uint8_t kForms, bool kAsciiEllipsis>
void AppendUtf8Form(TextBuffer& buffer, std::string_view name, bool nameLimit) {
    AppendUtf8(buffer, name, nameLimit, kAsciiEllipsis ? kAsciiPieces.ellipsis : kUtf8Pieces.ellipsis, kForms);
}

}  // namespace

void AppendNameUtf8(TextBuffer& buffer, std::string_view name, bool nameLimit) {
    AppendUtf8(buffer, name, nameLimit, kUtf8Pieces.ellipsis);
}

void AppendNameUtf8Ascii(TextBuffer& buffer, std::string_view name, bool nameLimit) {
    AppendUtf8(buffer, name, nameLimit, kAsciiPieces.ellipsis);
}

NameWriter Utf8NameWriter(uint8_t forms, bool asciiEllipsis) {
    static constexpr NameWriter kWriters[2][4] = {
        {AppendNameUtf8, AppendUtf8Form<1, false>, AppendUtf8Form<2, false>, AppendUtf8Form<3, false>},
        {AppendNameUtf8Ascii, AppendUtf8Form<1, true>, AppendUtf8Form<2, true>, AppendUtf8Form<3, true>},
    };
    return kWriters[asciiEllipsis ? 1 : 0][forms & 3];
}
