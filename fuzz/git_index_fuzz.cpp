// Fuzz target: the reader of git's index file on arbitrary bytes (with a split index's shared index
// after "\nSHARED\n"). It reads only inside the bytes it is given; what it accepts holds as many paths as the header says, none empty, in git's order, each found
// again by the lookups, which find nothing between two neighbours (in a sparse index, what a folder entry
// holds).
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "git/git_index.h"

namespace {

[[noreturn]] void Fail(const char* what, size_t entry) {
    std::fprintf(stderr, "git_index_fuzz: %s (entry %zu)\n", what, entry);
    std::abort();
}

constexpr std::string_view kShared = "\nSHARED\n";

uint32_t Big32(const uint8_t* p) { return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3]; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The index, then, after kShared, the shared index of a split index: each copied to exactly its own
    // bytes, so that AddressSanitizer sees any read past them.
    std::string_view input(reinterpret_cast<const char*>(data), size);
    size_t cut = input.find(kShared);
    std::string_view first = input.substr(0, cut);
    std::string_view second = cut == std::string_view::npos ? std::string_view() : input.substr(cut + kShared.size());
    auto* bytes = static_cast<char*>(std::malloc(first.size() + 1));
    auto* shared = static_cast<char*>(std::malloc(second.size() + 1));
    if (!first.empty()) std::memcpy(bytes, first.data(), first.size());
    if (!second.empty()) std::memcpy(shared, second.data(), second.size());
    TrackedPaths paths;
    IndexReadResult result = ParseTrackedPaths(std::string_view(bytes, first.size()), paths,
                                               std::string_view(shared, second.size()));
    if (result == kIndexMissing) Fail("bytes read as a missing file", 0);
    if (result == kIndexRead) {
        // A split index's count is the merged one's.
        if (paths.sharedIndex.empty() && paths.Count() != Big32(data + 8))
            Fail("not as many paths as the header says", 0);
        TrackedRange all = AllTracked(paths);
        for (size_t i = 0; i < paths.Count(); ++i) {
            std::string path(paths.Path(i));
            if (path.empty()) Fail("an empty path", i);
            if (i > 0 && path < paths.Path(i - 1)) Fail("paths out of order", i);
            if (!IsTracked(paths, all, path)) Fail("a path not found again", i);
            TrackedRange under = TrackedUnder(paths, all, path);
            if (under.first > i || under.last <= i) Fail("a path outside its own range", i);
            // A sparse index's folder entry stands for all it holds.
            if (paths.sparseFolders) {
                if (path.back() == '/' && !IsTracked(paths, all, path + "x")) Fail("a sparse folder's file not found", i);
                continue;
            }
            // Between this path and the next there is nothing: a name just after it is not tracked
            // unless it is the next path itself.
            std::string after = path + '\x01';
            size_t j = i + 1;
            while (j < paths.Count() && paths.Path(j) == path) ++j;  // the other stages of a conflict
            bool next = j < paths.Count() && paths.Path(j) == after;
            if (!next && IsTracked(paths, all, after)) Fail("a path found that is not there", i);
        }
    }
    std::free(bytes);
    std::free(shared);
    return 0;
}
