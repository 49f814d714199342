// Test-only literal listing engine: the defined algorithms step by step over fixed rows with inline
// 260-byte names and an 8-bit depth, at capacities passed in. The differential tests hold production to it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "listing/listing.h"

namespace reference {

inline constexpr int kNameBytes = 260;  // MAX_PATH: 259 bytes and the terminator

// Beside each name the row holds the collation key the seam delivered with it: on Windows the name itself
// (the comparison functions read names), on POSIX a key made from the original name. The passes compare
// keys and show names, as production does.
struct FolderEntry {
    int32_t id;
    char name[kNameBytes];
    uint8_t depth;
    int32_t fileCount;
    int32_t subtreeSize;
    int32_t parentId;
    int32_t isLastSibling;
    char key[kNameBytes];
};

struct FileEntry {
    int32_t folderId;
    char name[kNameBytes];  // an empty name marks a free row
    char key[kNameBytes];
};

// One listing at fixed capacities: `limits.folderRows` and `limits.fileRows` rows, allocated once by
// InitListing. Only fixed limits with the defined file order (`definedFiles`) are modelled.
struct ListingTables {
    ListLimits limits{};
    std::vector<FolderEntry> folders;
    std::vector<FileEntry> files;
    int32_t fileTotal = 0;
    int32_t levelFlags[kLevelFlagCount] = {};
};

// Allocates the rows; every capacity in `limits` must be fixed (non-zero) except `pathLimit` (0: none).
void InitListing(ListingTables& tables, const ListLimits& limits);
// Clears every row of both tables (all but isLastSibling), sets the level flags and the root row.
void ResetListing(ListingTables& tables, std::string_view rootPath);

// Walks `path` literally: one enumeration per level, a folder row written before its descent, each file
// placed in the first free row found by walking the file table from row 0, and an abort when the folder
// table (folderLast already the last row) or the file table (no free row) is full. A search pattern or
// child path longer than `limits.pathLimit` bytes is reported like a folder that cannot be opened.
ScanResult ScanFolder(ListingTables& tables, const FolderSource& source, const std::string& path,
                      int32_t& folderLast, int32_t& depth, const ListOptions& options);

// Phase 1 subtree sizes and parents; phase 2 a bubble sort over subtrees, folderLast + 1 passes;
// phase 3 a walk per level 0 ... 255 marking last siblings.
void BuildFolderStructure(ListingTables& tables, int32_t folderLast, const NameOrder& order);
// Counts from row 1 to the first free row, refuses more than `filesAccepted` files (or a table without a
// free row), then bubble-sorts same-folder neighbours with early exit.
bool OrderFiles(ListingTables& tables, const NameOrder& order);

void SwapFolderRows(ListingTables& tables, int32_t a, int32_t b);
void SwapFileRows(ListingTables& tables, int32_t a, int32_t b);

}  // namespace reference
