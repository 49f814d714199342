// Fuzz target: --parse's reader on arbitrary listings, in each encoding. Every entry it returns must be
// placed (its level at most one below the folders open above it) on a line that exists; and a name
// written by the command line's name writers must read back, escapes undone, as the same bytes.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "readers/listing_reader.h"
#include "render/render.h"

namespace {

[[noreturn]] void Fail(const char* what, std::string_view input) {
    std::fprintf(stderr, "parse_fuzz: %s (input of %zu bytes)\n", what, input.size());
    std::abort();
}

void CheckPlacement(std::string_view input, ListingEncoding encoding) {
    ParsedListing listing;
    ParseListing(input, encoding, listing, "%Y-%m-%d %H:%M");
    size_t lines = 1;
    for (char c : input) lines += c == '\n';
    int32_t open = 0;  // folders open above the next entry
    int32_t lastLine = 0;
    for (const ParsedEntry& e : listing.entries) {
        if (e.level < 1 || e.level > open + 1) Fail("an entry placed below no folder", input);
        if (e.line < 1 || size_t(e.line) > lines || e.line <= lastLine) Fail("an entry's line is wrong", input);
        lastLine = e.line;
        open = e.folder ? e.level : e.level - 1;
    }
}

void CheckEscapes(std::string_view name) {
    TextBuffer buffer;
    AppendNameUtf8(buffer, name, false);
    if (Unescape(buffer.text, false) != name) Fail("a UTF-8 name does not read back", name);
    buffer.text.clear();
    AppendNameSjisEscaped(buffer, name, false);
    if (Unescape(buffer.text, true) != name) Fail("a Shift_JIS name does not read back", name);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view input(reinterpret_cast<const char*>(data), size);
    CheckPlacement(input, ListingEncoding::kGuess);
    CheckPlacement(input, ListingEncoding::kSjis);
    if (size <= 255) CheckEscapes(input);
    return 0;
}
