// Reading the paths out of git's index file. libgit2 reads the whole index (every entry allocated, the
// file hashed twice), which costs more than a listing of the work tree; here the file is mapped and only
// where each path lies is noted, with every length checked. Anything unusual is left to libgit2.
#include "cli/git_index.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <limits>

namespace {

constexpr size_t kHeaderSize = 12;     // "DIRC", version, number of entries
constexpr size_t kHashSize = 20;       // SHA-1: the object names in entries and the file's checksum
constexpr size_t kEntryFixed = 40 + kHashSize + 2;  // stat data, object name, flags
constexpr uint16_t kFlagExtended = 0x4000;           // two more bytes of flags follow (version 3 and up)
constexpr uint16_t kNameLengthMask = 0x0FFF;         // the name's length, or 0xFFF: that long or longer

uint32_t Big32(const unsigned char* p) { return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3]; }
uint16_t Big16(const unsigned char* p) { return uint16_t(p[0] << 8 | p[1]); }

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

}  // namespace

TrackedPaths::~TrackedPaths() {
    if (mapping != nullptr) munmap(mapping, mappingSize);
}

IndexReadResult ParseTrackedPaths(std::string_view bytes, TrackedPaths& paths) {
    paths.spans.clear();
    paths.rebuilt.clear();
    paths.sparseFolders = false;
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
        if (length == 0 || ((flags & kNameLengthMask) != kNameLengthMask && (flags & kNameLengthMask) != length) ||
            start + length > std::numeric_limits<uint32_t>::max())
            return kIndexOther;
        paths.spans.push_back({uint32_t(start), uint32_t(length)});
        if (version == 4) paths.base = paths.rebuilt.data();
        // git keeps the paths sorted (conflicting stages of one path follow each other).
        if (i > 0 && paths.Path(i) < paths.Path(i - 1)) return kIndexOther;
    }
    // Extensions: a 4-byte name and a 4-byte size each. One whose name does not start with a capital is
    // one git requires its readers to understand: "sdir" (a sparse index, whose folder entries are taken
    // here) or another, such as a split index's "link": left to libgit2.
    while (at < end) {
        if (end - at < 8) return kIndexOther;
        if (std::memcmp(at, "sdir", 4) == 0) paths.sparseFolders = true;
        else if (at[0] < 'A' || at[0] > 'Z') return kIndexOther;
        uint32_t size = Big32(at + 4);
        at += 8;
        if (size_t(end - at) < size) return kIndexOther;
        at += size;
    }
    return kIndexRead;
}

IndexReadResult ReadTrackedPaths(const std::string& file, TrackedPaths& paths) {
    int fd = open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return errno == ENOENT ? kIndexMissing : kIndexOther;
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size <= 0) {
        close(fd);
        return kIndexOther;
    }
    // Mapped: git and libgit2 replace the index by renaming a new file over it, so these bytes stay as
    // they were read while the listing runs.
    void* mapping = mmap(nullptr, size_t(st.st_size), PROT_READ, MAP_PRIVATE | MAP_POPULATE, fd, 0);
    close(fd);
    if (mapping == MAP_FAILED) return kIndexOther;
    if (paths.mapping != nullptr) munmap(paths.mapping, paths.mappingSize);
    paths.mapping = mapping;
    paths.mappingSize = size_t(st.st_size);
    return ParseTrackedPaths(std::string_view(static_cast<const char*>(mapping), paths.mappingSize), paths);
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
