// UTF-16 to WTF-8 and back (see wide_text.h). Written here rather than asked of the system: Windows'
// converters replace a lone surrogate, which would lose the name.
#include "platform/wide_text.h"

#include <cstdint>

namespace {

void Append(std::string& out, uint32_t c) {
    if (c < 0x80) {
        out += char(c);
    } else if (c < 0x800) {
        out += char(0xC0 | (c >> 6));
        out += char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += char(0xE0 | (c >> 12));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    } else {
        out += char(0xF0 | (c >> 18));
        out += char(0x80 | ((c >> 12) & 0x3F));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    }
}

bool IsHigh(uint32_t u) { return u >= 0xD800 && u <= 0xDBFF; }
bool IsLow(uint32_t u) { return u >= 0xDC00 && u <= 0xDFFF; }

// The code point at bytes[i] (surrogates allowed, as WTF-8 writes them), i moved past it; -1 where
// the bytes there form none, i moved past one byte.
int32_t Next(std::string_view bytes, size_t& i) {
    auto at = [&](size_t k) { return uint8_t(bytes[k]); };
    uint8_t b = at(i);
    if (b < 0x80) {
        ++i;
        return b;
    }
    size_t n = b >= 0xF0 && b <= 0xF4 ? 4 : b >= 0xE0 ? (b <= 0xEF ? 3 : 0) : b >= 0xC2 ? 2 : 0;
    if (n == 0 || i + n > bytes.size()) return ++i, -1;
    uint32_t c = b & (0x7F >> n);
    for (size_t k = 1; k < n; ++k) {
        if ((at(i + k) & 0xC0) != 0x80) return ++i, -1;
        c = (c << 6) | (at(i + k) & 0x3F);
    }
    bool overlong = (n == 3 && c < 0x800) || (n == 4 && c < 0x10000);
    if (overlong || c > 0x10FFFF) return ++i, -1;
    i += n;
    return int32_t(c);
}

}  // namespace

std::string WideToWtf8(std::u16string_view units) {
    std::string out;
    out.reserve(units.size());
    for (size_t i = 0; i < units.size(); ++i) {
        uint32_t u = units[i];
        if (IsHigh(u) && i + 1 < units.size() && IsLow(units[i + 1])) {
            u = 0x10000 + ((u - 0xD800) << 10) + (units[++i] - 0xDC00);
        }
        Append(out, u);
    }
    return out;
}

std::u16string Wtf8ToWide(std::string_view bytes) {
    std::u16string out;
    out.reserve(bytes.size());
    for (size_t i = 0; i < bytes.size();) {
        int32_t c = Next(bytes, i);
        if (c >= 0 && IsHigh(uint32_t(c)) && i < bytes.size()) {
            // A high surrogate followed by a low one in WTF-8 stands for no name WideToWtf8 made.
            size_t j = i;
            int32_t next = Next(bytes, j);
            if (next >= 0 && IsLow(uint32_t(next))) {
                out += u'\uFFFD';
                out += u'\uFFFD';
                i = j;
                continue;
            }
        }
        if (c < 0) {
            out += u'\uFFFD';
        } else if (c >= 0x10000) {
            out += char16_t(0xD800 + ((c - 0x10000) >> 10));
            out += char16_t(0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            out += char16_t(c);
        }
    }
    return out;
}
