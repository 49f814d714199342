// Test-only literal listing engine: reset, scan, structure pass and file ordering exactly as defined,
// quadratic passes included. Runs over the same seam as production (FolderSource, NameOrder).
#include "reference/reference_engine.h"

#include <cstring>
#include <utility>

namespace reference {

namespace {

// Copies a name into an inline row field: at most 259 bytes, then the terminator.
void CopyName(char (&dst)[kNameBytes], std::string_view src) {
    size_t n = src.size() < kNameBytes - 1 ? src.size() : kNameBytes - 1;
    std::memcpy(dst, src.data(), n);
    dst[n] = '\0';
}

bool IsDotEntry(std::string_view name) { return name == "." || name == ".."; }

bool TooLong(const ListLimits& limits, size_t bytes) {
    return limits.pathLimit > 0 && bytes > static_cast<size_t>(limits.pathLimit);
}

// One level of the walk. `shownLen` is the length of `path` as the listing shows it (what the path limit
// counts); `path` itself is what the platform opens.
ScanResult ScanLevel(ListingTables& tables, const FolderSource& source, const std::string& path,
                     size_t shownLen, int32_t& folderLast, int32_t& depth, const ListOptions& options) {
    const ListLimits& limits = tables.limits;
    const int32_t ownerId = folderLast;
    const int separators = source.separatorsAfter(path);

    // The search pattern is the path, the separator unless it already ends in one, and "*".
    EntryList list;
    int error = TooLong(limits, shownLen + separators + 1) ? kErrorPathTooLong
                                                           : source.readFolder(source.context, path, list);
    if (error != 0) {
        source.reportUnreadable(source.context, path, error);
        --depth;  // as on a normal return, so the entries after this folder keep their depth
        return kScanCannotOpen;
    }

    bool abort = false;
    for (const EntryList::Entry& entry : list.entries) {
        const std::string_view name = list.Name(entry);
        if (entry.kind == kEntryFolder || entry.kind == kEntryFolderLink) {
            if (IsDotEntry(list.Raw(entry))) continue;
            if (options.folderNames) {
                if (folderLast == limits.folderRows - 1) {
                    abort = true;  // the folder table is full: no row, no descent
                    break;
                }
                ++folderLast;
                FolderEntry& row = tables.folders[folderLast];
                row.id = folderLast;
                CopyName(row.name, name);
                CopyName(row.key, list.Key(entry));
                row.depth = static_cast<uint8_t>(depth & 0xFF);
            }
            // A child path is always shorter than its own search pattern, so the pattern's check in the
            // child's level covers both.
            std::string childPath = path;
            if (separators) childPath += source.separator;
            childPath += list.Raw(entry);
            const size_t childShownLen = shownLen + separators + name.size();
            if (entry.kind == kEntryFolder && options.subfolders && options.maxDepth > depth) {
                ++depth;
                if (ScanLevel(tables, source, childPath, childShownLen, folderLast, depth, options) ==
                    kScanAbort)
                    abort = true;
            }
        } else if (options.fileNames) {
            int32_t row = 0;  // the first free row, walking from the start of the table every time
            while (row < limits.fileRows && tables.files[row].name[0] != '\0') ++row;
            if (row == limits.fileRows) {
                abort = true;  // the file table is full
            } else {
                tables.files[row].folderId = ownerId;
                CopyName(tables.files[row].name, name);
                CopyName(tables.files[row].key, list.Key(entry));
                ++tables.folders[ownerId].fileCount;
            }
        }
        if (abort) break;
    }
    if (abort) return kScanAbort;
    --depth;
    return kScanDone;
}

}  // namespace

void InitListing(ListingTables& tables, const ListLimits& limits) {
    tables.limits = limits;
    tables.folders.assign(static_cast<size_t>(limits.folderRows), FolderEntry{});
    tables.files.assign(static_cast<size_t>(limits.fileRows), FileEntry{});
    tables.fileTotal = 0;
}

void ResetListing(ListingTables& tables, std::string_view rootPath) {
    for (FolderEntry& row : tables.folders) {
        row.id = 0;
        row.name[0] = '\0';
        row.key[0] = '\0';
        row.depth = 0;
        row.fileCount = 0;
        row.subtreeSize = 0;
        row.parentId = 0;
        // isLastSibling is left as it was: the structure pass assigns it for every row in use.
    }
    for (FileEntry& row : tables.files) {
        row.folderId = 0;
        row.name[0] = '\0';
        row.key[0] = '\0';
    }
    tables.levelFlags[0] = 1;
    for (int c = 1; c < kLevelFlagCount; ++c) tables.levelFlags[c] = 0;
    CopyName(tables.folders[0].name, rootPath);
    CopyName(tables.folders[0].key, rootPath);  // never compared: the root has no siblings
    tables.folders[0].id = 0;
}

ScanResult ScanFolder(ListingTables& tables, const FolderSource& source, const std::string& path,
                      int32_t& folderLast, int32_t& depth, const ListOptions& options) {
    // The path as shown is the name of the row being filled: the root's path as the listing shows it.
    return ScanLevel(tables, source, path, std::strlen(tables.folders[folderLast].name), folderLast, depth,
                     options);
}

void SwapFolderRows(ListingTables& tables, int32_t a, int32_t b) {
    std::swap(tables.folders[a], tables.folders[b]);
}

void SwapFileRows(ListingTables& tables, int32_t a, int32_t b) {
    std::swap(tables.files[a], tables.files[b]);
}

void BuildFolderStructure(ListingTables& tables, int32_t folderLast, const NameOrder& order) {
    std::vector<FolderEntry>& rows = tables.folders;

    // Phase 1: subtree sizes and parents; the nearest enclosing row assigns a parent last.
    for (int32_t i = 0; i <= folderLast; ++i) {
        rows[i].subtreeSize = 1;
        int32_t k = 1;
        while (i + k <= folderLast && rows[i].depth < rows[i + k].depth) {
            ++rows[i].subtreeSize;
            rows[i + k].parentId = rows[i].id;
            ++k;
        }
    }

    // Phase 2: bubble sort over subtrees, folderLast + 1 passes without early exit.
    for (int32_t pass = 0; pass <= folderLast; ++pass) {
        for (int32_t j = 0; j <= folderLast - 1; ++j) {
            const int32_t sizeA = rows[j].subtreeSize;
            const int32_t b = j + sizeA;
            if (b > folderLast) continue;
            if (order.folders(rows[j].key, rows[b].key) > 0 && rows[j].depth == rows[b].depth) {
                const int32_t sizeB = rows[b].subtreeSize;
                for (int32_t m = sizeA - 1; m >= 0; --m)
                    for (int32_t t = 0; t <= sizeB - 1; ++t) SwapFolderRows(tables, j + m + t, j + m + t + 1);
            }
        }
    }

    // Phase 3: one walk per level; a shallower row ends the sibling group before it.
    for (int level = 0; level <= 255; ++level) {
        int32_t prev = -1;
        for (int32_t r = 0; r <= folderLast; ++r) {
            if (rows[r].name[0] == '\0') continue;
            if (rows[r].depth == level) {
                rows[r].isLastSibling = 1;
                if (prev != -1) rows[prev].isLastSibling = 0;
                prev = r;
            } else if (rows[r].depth < level) {
                if (prev != -1) rows[prev].isLastSibling = 1;
                prev = -1;
            }
        }
    }
}

bool OrderFiles(ListingTables& tables, const NameOrder& order) {
    const ListLimits& limits = tables.limits;
    std::vector<FileEntry>& rows = tables.files;

    // Count from row 1 to the first free row. A table without a free row is over any limit.
    tables.fileTotal = 1;
    while (tables.fileTotal < limits.fileRows && rows[tables.fileTotal].name[0] != '\0') ++tables.fileTotal;
    if (tables.fileTotal == limits.fileRows) return false;
    if (tables.fileTotal > limits.filesAccepted) return false;

    // Bubble sort with early exit; only neighbours of one folder are exchanged.
    for (int32_t pass = 0; pass < tables.fileTotal; ++pass) {
        bool swapped = false;
        for (int32_t j = 0; j < tables.fileTotal - 1; ++j) {
            if (rows[j + 1].name[0] == '\0') break;
            if (order.files(rows[j].key, rows[j + 1].key) > 0 && rows[j].folderId == rows[j + 1].folderId) {
                SwapFileRows(tables, j, j + 1);
                swapped = true;
            }
        }
        if (!swapped) break;
    }
    return true;
}

}  // namespace reference
