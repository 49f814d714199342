// Reading the paths out of git's index file. libgit2 reads the whole index (every entry allocated, the
// file hashed twice), which costs more than a listing of the work tree; here the file is mapped and only
// where each path lies is noted, with every length checked. Anything unusual is left to libgit2.
#include "git/git_index.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <iterator>
#include <limits>

namespace {

constexpr size_t kHeaderSize = 12;     // "DIRC", version, number of entries
constexpr size_t kHashSize = 20;       // SHA-1: the object names in entries and the file's checksum
constexpr size_t kEntryFixed = 40 + kHashSize + 2;  // stat data, object name, flags
constexpr uint16_t kFlagExtended = 0x4000;           // two more bytes of flags follow (version 3 and up)
constexpr uint16_t kNameLengthMask = 0x0FFF;         // the name's length, or 0xFFF: that long or longer

uint32_t Big32(const unsigned char* p) { return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3]; }
uint16_t Big16(const unsigned char* p) { return uint16_t(p[0] << 8 | p[1]); }
uint64_t Big64(const unsigned char* p) { return uint64_t(Big32(p)) << 32 | Big32(p + 4); }

// Version 4's "how much of the previous path to drop": git's variable-length number, where each byte but
// the last adds one before the next seven bits. False when it runs past `end` or overflows.
bool ReadVarint(const unsigned char*& at, const unsigned char* end, size_t& value) {
    if (at >= end) return false;
    unsigned char c = *at++;
    value = c & 0x7F;
    while (c & 0x80) {
        if (at >= end || value > (std::numeric_limits<size_t>::max() >> 7) - 1) return false;
        c = *at++;
        value = ((value + 1) << 7) | (c & 0x7F);
    }
    return true;
}

// A split index's bitmap of entries of the shared index, in git's compressed form (EWAH): its size in
// bits, the count of 64-bit words, the words, the position of the last marker word. A marker word holds
// a bit (bit 0), how many words of that bit follow (bits 1-32) and how many words as they are follow it
// (bits 33-63). Moves `at` past the bitmap; false when the bytes run out.
bool SkipBitmap(const unsigned char*& at, const unsigned char* end, std::string_view& bitmap) {
    if (end - at < 8) return false;
    uint32_t words = Big32(at + 4);
    if (size_t(end - at - 8) / 8 < words || size_t(end - at - 8) - size_t(words) * 8 < 4) return false;
    bitmap = std::string_view(reinterpret_cast<const char*>(at), 8 + size_t(words) * 8);
    at += bitmap.size() + 4;
    return true;
}

// The positions of the bits set in `bitmap`, in order. False when a marker promises more words than
// there are, or a bit lies at `limit` or after it.
bool BitsOf(std::string_view bitmap, uint64_t limit, std::vector<uint32_t>& bits) {
    bits.clear();
    auto* at = reinterpret_cast<const unsigned char*>(bitmap.data()) + 8;
    const unsigned char* end = at + (bitmap.size() - 8);
    uint64_t position = 0;
    while (at < end) {
        uint64_t marker = Big64(at);
        at += 8;
        uint64_t run = ((marker >> 1) & 0xFFFFFFFF) * 64, literals = marker >> 33;
        if ((marker & 1) && run > 0) {
            if (position + run > limit) return false;
            for (uint64_t k = 0; k < run; ++k) bits.push_back(uint32_t(position + k));
        }
        position = std::min(position + run, limit);  // past the limit no bit may be set
        if (uint64_t(end - at) / 8 < literals) return false;
        for (uint64_t k = 0; k < literals; ++k, at += 8, position += 64) {
            uint64_t word = Big64(at);
            for (int bit = 0; bit < 64; ++bit) {
                if (!((word >> bit) & 1)) continue;
                if (position + bit >= limit) return false;
                bits.push_back(uint32_t(position + bit));
            }
        }
    }
    return true;
}

// A split index: its own entries are `paths` ([0, replaced) with empty names, standing in for entries
// of the shared index, the rest added), the shared index is in `shared`. Leaves in `paths` the merged
// paths: the shared index's but those deleted, with the added ones, in git's order.
IndexReadResult MergeShared(TrackedPaths& paths, std::string_view deleteMap, std::string_view replaceMap,
                            std::string_view shared) {
    TrackedPaths base;
    if (ParseTrackedPaths(shared, base) != kIndexRead || !base.sharedIndex.empty()) return kIndexOther;
    std::vector<uint32_t> deleted, replaced;
    if (!BitsOf(deleteMap, base.Count(), deleted) || !BitsOf(replaceMap, base.Count(), replaced) ||
        replaced.size() > paths.Count())
        return kIndexOther;
    for (size_t i = 0; i < paths.Count(); ++i)
        if ((i < replaced.size()) != paths.Path(i).empty()) return kIndexOther;
    std::vector<uint32_t> both;
    std::set_intersection(deleted.begin(), deleted.end(), replaced.begin(), replaced.end(), std::back_inserter(both));
    if (!both.empty()) return kIndexOther;  // an entry both deleted and replaced
    std::vector<std::string_view> kept, merged;
    kept.reserve(base.Count());
    for (size_t i = 0, d = 0; i < base.Count(); ++i) {
        if (d < deleted.size() && deleted[d] == i) {
            ++d;
            continue;
        }
        kept.push_back(base.Path(i));
    }
    merged.reserve(kept.size() + paths.Count() - replaced.size());
    std::vector<std::string_view> added;
    for (size_t i = replaced.size(); i < paths.Count(); ++i) added.push_back(paths.Path(i));
    std::merge(kept.begin(), kept.end(), added.begin(), added.end(), std::back_inserter(merged));
    std::string names;
    std::vector<TrackedPaths::Span> spans;
    spans.reserve(merged.size());
    for (std::string_view path : merged) {
        if (names.size() + path.size() > std::numeric_limits<uint32_t>::max()) return kIndexOther;
        spans.push_back({uint32_t(names.size()), uint32_t(path.size())});
        names.append(path);
    }
    paths.rebuilt = std::move(names);
    paths.spans = std::move(spans);
    paths.base = paths.rebuilt.data();
    paths.sparseFolders = paths.sparseFolders || base.sparseFolders;
    return kIndexRead;
}

}  // namespace

TrackedPaths::~TrackedPaths() {
    if (mapping != nullptr) munmap(mapping, mappingSize);
}

IndexReadResult ParseTrackedPaths(std::string_view bytes, TrackedPaths& paths, std::string_view shared) {
    paths.spans.clear();
    paths.rebuilt.clear();
    paths.sparseFolders = false;
    paths.sharedIndex.clear();
    paths.base = bytes.data();
    auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
    if (bytes.size() < kHeaderSize + kHashSize || std::memcmp(data, "DIRC", 4) != 0) return kIndexOther;
    uint32_t version = Big32(data + 4);
    uint32_t count = Big32(data + 8);
    const unsigned char* end = data + bytes.size() - kHashSize;  // the checksum closes the file
    if (version < 2 || version > 4 || count > size_t(end - data) / (kEntryFixed + 1)) return kIndexOther;
    paths.spans.reserve(count);
    const unsigned char* at = data + kHeaderSize;
    for (uint32_t i = 0; i < count; ++i) {
        const unsigned char* entry = at;
        if (size_t(end - at) < kEntryFixed) return kIndexOther;
        uint16_t flags = Big16(at + kEntryFixed - 2);
        at += kEntryFixed;
        if (flags & kFlagExtended) {
            if (version < 3 || end - at < 2) return kIndexOther;
            at += 2;
        }
        size_t drop = 0;
        if (version == 4 && !ReadVarint(at, end, drop)) return kIndexOther;
        auto* nul = static_cast<const unsigned char*>(std::memchr(at, '\0', size_t(end - at)));
        if (nul == nullptr) return kIndexOther;
        size_t start = size_t(at - data), length = size_t(nul - at);
        if (version == 4) {
            // The path is the previous one without its last `drop` bytes, then the bytes up to the NUL.
            size_t kept = i == 0 ? 0 : paths.spans.back().length;
            if (drop > kept) return kIndexOther;
            kept -= drop;
            start = paths.rebuilt.size();
            if (i > 0) paths.rebuilt.append(paths.rebuilt, paths.spans.back().start, kept);
            paths.rebuilt.append(reinterpret_cast<const char*>(at), length);
            length += kept;
            at = nul + 1;
        } else {
            // The entry is padded with 1 to 8 NULs to a multiple of 8 bytes.
            size_t size = (size_t(at - entry) + length + 8) & ~size_t(7);
            if (size_t(end - entry) < size) return kIndexOther;
            at = entry + size;
        }
        if (((flags & kNameLengthMask) != kNameLengthMask && (flags & kNameLengthMask) != length) ||
            start + length > std::numeric_limits<uint32_t>::max())
            return kIndexOther;
        paths.spans.push_back({uint32_t(start), uint32_t(length)});
        if (version == 4) paths.base = paths.rebuilt.data();
        // git keeps the paths sorted (conflicting stages of one path follow each other; in a split index
        // the entries standing in for the shared index's, with empty names, come first).
        if (i > 0 && paths.Path(i) < paths.Path(i - 1)) return kIndexOther;
    }
    // Extensions: a 4-byte name and a 4-byte size each. One whose name does not start with a capital is
    // one git requires its readers to understand: "sdir" (a sparse index, whose folder entries are taken
    // here), "link" (a split index) or another, left to libgit2.
    bool split = false;
    std::string_view deleteMap, replaceMap;
    while (at < end) {
        if (end - at < 8) return kIndexOther;
        uint32_t size = Big32(at + 4);
        if (size_t(end - at - 8) < size) return kIndexOther;
        const unsigned char* data = at + 8;
        if (std::memcmp(at, "sdir", 4) == 0) {
            paths.sparseFolders = true;
        } else if (std::memcmp(at, "link", 4) == 0) {
            // The shared index's hash (all zero: there is none), then, when there is one, the bitmaps of
            // its entries that are deleted and of those this file replaces.
            const unsigned char* linkEnd = data + size;
            if (size < kHashSize) return kIndexOther;
            static const unsigned char kNone[kHashSize] = {};
            split = std::memcmp(data, kNone, kHashSize) != 0;
            static const char kHex[] = "0123456789abcdef";
            paths.sharedIndex = "sharedindex.";
            for (size_t b = 0; b < kHashSize; ++b) {
                paths.sharedIndex += kHex[data[b] >> 4];
                paths.sharedIndex += kHex[data[b] & 15];
            }
            const unsigned char* maps = data + kHashSize;
            if (maps != linkEnd && (!SkipBitmap(maps, linkEnd, deleteMap) || !SkipBitmap(maps, linkEnd, replaceMap) ||
                                    maps != linkEnd))
                return kIndexOther;
            if (!split) paths.sharedIndex.clear();
        } else if (at[0] < 'A' || at[0] > 'Z') {
            return kIndexOther;
        }
        at = data + size;
    }
    if (!split) {
        for (const TrackedPaths::Span& span : paths.spans)
            if (span.length == 0) return kIndexOther;
        return kIndexRead;
    }
    if (shared.empty()) return kIndexOther;
    if (deleteMap.empty()) deleteMap = replaceMap = std::string_view("\0\0\0\0\0\0\0\0", 8);  // no bits
    return MergeShared(paths, deleteMap, replaceMap, shared);
}

IndexReadResult ReadTrackedPaths(const std::string& file, TrackedPaths& paths) {
    auto map = [](const std::string& path, void*& mapping, size_t& size) {
        int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) return errno == ENOENT ? kIndexMissing : kIndexOther;
        struct stat st;
        if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size <= 0) {
            close(fd);
            return kIndexOther;
        }
        // Mapped: git and libgit2 replace an index by renaming a new file over it, so these bytes stay as
        // they were read while the listing runs.
        mapping = mmap(nullptr, size_t(st.st_size), PROT_READ, MAP_PRIVATE | MAP_POPULATE, fd, 0);
        close(fd);
        if (mapping == MAP_FAILED) return kIndexOther;
        size = size_t(st.st_size);
        return kIndexRead;
    };
    if (paths.mapping != nullptr) munmap(paths.mapping, paths.mappingSize);
    paths.mapping = nullptr;
    IndexReadResult read = map(file, paths.mapping, paths.mappingSize);
    if (read != kIndexRead) {
        paths.mapping = nullptr;
        return read;
    }
    std::string_view bytes(static_cast<const char*>(paths.mapping), paths.mappingSize);
    read = ParseTrackedPaths(bytes, paths);
    if (read != kIndexOther || paths.sharedIndex.empty()) return read;
    // A split index: the rest is in the shared index beside it, merged into paths.rebuilt.
    void* shared = nullptr;
    size_t sharedSize = 0;
    if (map(file.substr(0, file.rfind('/') + 1) + paths.sharedIndex, shared, sharedSize) != kIndexRead)
        return kIndexOther;
    read = ParseTrackedPaths(bytes, paths, std::string_view(static_cast<const char*>(shared), sharedSize));
    munmap(shared, sharedSize);
    return read;
}

TrackedRange AllTracked(const TrackedPaths& paths) { return {0, paths.Count()}; }

TrackedRange TrackedUnder(const TrackedPaths& paths, TrackedRange within, std::string_view prefix) {
    // The first path not before `prefix`, then the first after it that does not start with `prefix`.
    size_t low = within.first, high = within.last;
    while (low < high) {
        size_t middle = low + (high - low) / 2;
        if (paths.Path(middle) < prefix) low = middle + 1;
        else high = middle;
    }
    size_t first = low;
    high = within.last;
    while (low < high) {
        size_t middle = low + (high - low) / 2;
        if (paths.Path(middle).starts_with(prefix)) low = middle + 1;
        else high = middle;
    }
    return {first, low};
}

bool IsTracked(const TrackedPaths& paths, TrackedRange within, std::string_view path) {
    TrackedRange under = TrackedUnder(paths, within, path);
    if (under.first != under.last && (path.ends_with('/') || paths.Path(under.first) == path)) return true;
    if (!paths.sparseFolders) return false;
    // A folder above `path` that the sparse index holds as one entry (those lie outside `within`).
    for (size_t slash = path.find('/'); slash != std::string_view::npos && slash + 1 < path.size();
         slash = path.find('/', slash + 1)) {
        std::string_view folder = path.substr(0, slash + 1);
        TrackedRange at = TrackedUnder(paths, AllTracked(paths), folder);
        if (at.first != at.last && paths.Path(at.first) == folder) return true;
    }
    return false;
}
