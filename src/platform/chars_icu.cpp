// Character data for names (POSIX side): ICU's character properties from the shared library loaded on
// first need (icu_loader.h), behind chars.h; UTF-8 itself is decoded in chars.cpp.
#include "platform/chars.h"

#include <cstring>

#include "platform/chars_columns.h"
#include "platform/icu_loader.h"

namespace {

bool tried = false;            // Characters has been called
const IcuApi* loaded = nullptr;

// ICU's character properties, loaded at the first call; nullptr when they cannot be had.
const IcuApi* Characters() {
    if (!tried) {
        tried = true;
        loaded = LoadIcu(IcuPart::kCharacters);
    }
    return loaded;
}

}  // namespace

int DisplayColumns(int32_t c) {
    if (c < 0x80) return 1;  // no ASCII character is a mark, a format character or wide
    const IcuApi* icu = Characters();
    if (icu == nullptr) return 1;
    return ColumnsFromProperties(c, icu->charType(c), icu->intProperty(c, UCHAR_EAST_ASIAN_WIDTH));
}

bool ReadyCharacterData(std::string_view text) {
    if (tried) return loaded != nullptr;
    // Eight bytes at a time (the last eight overlapping the ones before): every name of a listing passes
    // here until one holds a byte past ASCII.
    const char* p = text.data();
    size_t n = text.size(), i = 0;
    uint64_t any = 0, v;
    for (; i + 8 <= n; i += 8) {
        std::memcpy(&v, p + i, 8);
        any |= v;
    }
    if (i < n && n >= 8) {
        std::memcpy(&v, p + n - 8, 8);
        any |= v;
    }
    for (; i < n && n < 8; ++i) any |= uint8_t(p[i]);
    return (any & 0x8080808080808080u) == 0 || Characters() != nullptr;
}

std::string CharacterDataError() { return tried && loaded == nullptr ? IcuLoadError() : std::string(); }
