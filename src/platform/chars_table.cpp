// Display columns looked up in the generated tables (portable; the Windows build's character data).
#include "platform/chars_table.h"

#include <algorithm>
#include <iterator>

namespace {

struct CharRange {
    int32_t first, last;
};

#include "chars_table.inc"

bool InRanges(const CharRange* begin, const CharRange* end, int32_t c) {
    const CharRange* at = std::upper_bound(begin, end, c, [](int32_t v, const CharRange& r) { return v < r.first; });
    return at != begin && c <= (at - 1)->last;
}

}  // namespace

int TableDisplayColumns(int32_t c) {
    if (c < 0x80) return 1;
    if (InRanges(std::begin(kZeroColumns), std::end(kZeroColumns), c)) return 0;
    return InRanges(std::begin(kTwoColumns), std::end(kTwoColumns), c) ? 2 : 1;
}
