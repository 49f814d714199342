// An in-memory folder tree behind the seam: entries given by path, nothing on disk read. The command
// line's --fromfile builds one from a list of paths; the entries of a folder come out in the order they
// were first added (the engine sorts them as it sorts any folder's).
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <string_view>
#include <vector>

#include "listing/listing.h"

struct MemoryNode {
    std::string_view name;       // "/" for the top folder of absolute paths; empty for the root
    int32_t parent = -1;
    int32_t firstChild = -1, lastChild = -1, next = -1;
    int32_t line = 0;            // the list line that named it; 0: only implied by a path below it
    bool folder = false;         // named with a trailing '/', or something lies below it
};

// Names are held as views: the bytes they point into must outlive the source.
struct MemorySource {
    std::vector<MemoryNode> nodes;  // nodes[0] is the root
    // Open addressing over (parent, name): each slot the name's 32-bit hash and node index + 1 (0: free).
    // Flat, so that finding a name costs about one cache miss in a list of a million paths.
    std::vector<uint64_t> slots;
    // The nodes of the last path added, one per component, so that a list in folder order (as `find`
    // prints it) looks up only its last component.
    std::string_view lastPath;
    std::vector<int32_t> lastNodes;
    // The same for the scan's reads: the last path read and, for each of its components, where it ends
    // there and its node. The scan reads a folder's subfolders right after it.
    std::string lastRead;
    std::vector<std::pair<size_t, int32_t>> readNodes;
    // Hands one entry to the scan as the listing shows it (shown name and key); null: the name itself
    // serves as both.
    void* context = nullptr;
    void (*addEntry)(void* context, std::string_view raw, EntryKind kind, EntryList& out) = nullptr;
};

// Empties the source and makes its root; `expected` paths are room reserved in advance.
void InitMemorySource(MemorySource& source, size_t expected);

// Adds the entry at `path`: components separated by single '/', none empty or ".", an absolute path
// starting with "/" ("/" alone is the top folder of absolute paths). Folders above it are made as needed;
// `folder` marks the entry itself as one (a folder it stays, whatever a later line says). `line` is the
// list line naming it. Returns 0, or the line that named the same entry before (the entry stays one).
int32_t AddMemoryPath(MemorySource& source, std::string_view path, bool folder, int32_t line);

// The seam over `source`, '/' separated, the root's path empty: a folder's path is its names from the
// root down ("a/b", "/usr/lib"). readFolder returns ENOENT for a path that names no folder of the source.
FolderSource MemorySourceSeam(MemorySource& source);
