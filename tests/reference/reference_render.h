// Test-only literal renderers: the bounded text buffer, name shortening and the tree and indented
// renderers in the Windows program's Shift_JIS pieces, step by step over the reference tables.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "reference/reference_engine.h"

namespace reference {

// A fixed buffer of `capacity` bytes holding one NUL-terminated string. An append that does not fit whole
// (terminator included) is dropped and marks the buffer full; nothing is appended after that.
struct TextBuffer {
    std::vector<char> bytes;
    int32_t length = 0;
    int32_t capacity = 0;
    int32_t limit = 0;
    bool full = false;
    int tooMuchTextShown = 0;             // times the too-much-data message was shown
    std::vector<int32_t> checkedLengths;  // the text length at every CheckTextLimit, in order

    std::string_view Text() const { return {bytes.data(), static_cast<size_t>(length)}; }
};

void InitTextBuffer(TextBuffer& buffer, int32_t capacity, int32_t limit);

// Appends at most n bytes of src, stopping early at its terminator.
void AppendBounded(TextBuffer& buffer, const char* src, size_t n);
// With nameLimit on, a name longer than 17 bytes becomes its first 14 bytes (13 where the 14th would be
// the lead byte of a two-byte character) followed by " …"; otherwise the whole name.
void AppendName(TextBuffer& buffer, const char* name, bool nameLimit);
// False, after showing the message, when the buffer is full or its text is longer than the limit.
bool CheckTextLimit(TextBuffer& buffer);

int RenderTree(TextBuffer& buffer, ListingTables& tables, int32_t row, const ListOptions& options);
int RenderIndented(TextBuffer& buffer, const ListingTables& tables, int32_t row);

}  // namespace reference
