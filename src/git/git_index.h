// The paths git tracks, read from a repository's index file (versions 2, 3 and 4, sparse and split
// indexes): only the paths, in git's order, for --gitignore to keep what git tracks. Other forms are
// left to libgit2.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct TrackedPaths {
    struct Span {
        uint32_t start, length;
    };
    std::vector<Span> spans;   // each path, in git's order (bytes compared unsigned)
    const char* base = nullptr;  // where spans start: the mapped file, or `rebuilt`
    std::string rebuilt;       // version 4's paths, which the file holds as changes to the one before,
                               // and a split index's, merged from two files
    bool sparseFolders = false;  // a sparse index: a path ending in '/' stands for a folder outside the
                                 // checkout's cone, and for everything in it
    void* mapping = nullptr;   // the index file, mapped read-only by ReadTrackedPaths
    size_t mappingSize = 0;
    std::string sharedIndex;   // a split index: the name of the file holding the rest, "sharedindex.<hash>"

    TrackedPaths() = default;
    TrackedPaths(const TrackedPaths&) = delete;
    TrackedPaths& operator=(const TrackedPaths&) = delete;
    ~TrackedPaths();
    std::string_view Path(size_t i) const { return std::string_view(base + spans[i].start, spans[i].length); }
    size_t Count() const { return spans.size(); }
};

// The paths of one folder: [first, last) in TrackedPaths, all starting with the folder's path.
struct TrackedRange {
    size_t first = 0, last = 0;
};

enum IndexReadResult {
    kIndexRead,     // `paths` holds every path of the index
    kIndexMissing,  // there is no index file: nothing is tracked
    kIndexOther,    // a form this reader does not take (another hash, an extension git requires and
                    // this reader does not know, damage), or a split index without its shared index:
                    // ask libgit2
};

IndexReadResult ReadTrackedPaths(const std::string& file, TrackedPaths& paths);
// Reads the index in `bytes`, which must outlive `paths` (their spans point into it). A split index
// (paths.sharedIndex set) is read with `shared`, the bytes of that shared index; without them it is
// kIndexOther.
IndexReadResult ParseTrackedPaths(std::string_view bytes, TrackedPaths& paths, std::string_view shared = {});

TrackedRange AllTracked(const TrackedPaths& paths);
// The paths in `within` that start with `prefix` ("" or a folder's path ending in '/').
TrackedRange TrackedUnder(const TrackedPaths& paths, TrackedRange within, std::string_view prefix);
// True when `path` is tracked; a path ending in '/' (a folder) when anything inside it is; anything in a
// sparse index's folder entry. `within` must hold every path that starts like `path` (TrackedUnder of a
// folder above it, or all).
bool IsTracked(const TrackedPaths& paths, TrackedRange within, std::string_view path);
