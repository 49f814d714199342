// The folder scan: walks the chosen folder through the seam and records folders in pre-order and files in
// discovery order. Each folder is read whole before the walk goes on, so no handle is held per level, and
// the walk keeps its own stack, so a deep tree needs no deep recursion.
#include <cstring>
#include <limits>

#include "listing/listing.h"

namespace {

// Rows refer to names by 32-bit offsets, which bounds the pool.
constexpr size_t kPoolMax = std::numeric_limits<uint32_t>::max() - 1;

struct Level {
    size_t begin, end;   // this folder's entries in the shared list
    size_t bytesBegin;   // where their bytes start
    size_t next;         // the next entry to look at
    int32_t ownerId;     // the row (and id) files found here are recorded for
    size_t pathLen;      // length of this folder's path in `path`
    size_t shownLen;     // its length as shown, which the path limit counts
};

struct Scan {
    ListingTables& tables;
    const FolderSource& source;
    const ListOptions& options;
    std::string path;
    EntryList list;
    std::vector<Level> levels;
};

bool IsDotName(std::string_view name) { return name == "." || name == ".."; }

bool FolderTableFull(const ListingTables& t, int32_t folderLast) {
    return (t.limits.folderRows > 0 && folderLast >= t.limits.folderRows - 1) ||
           folderLast == std::numeric_limits<int32_t>::max();
}

bool FileTableFull(const ListingTables& t) {
    return (t.limits.fileRows > 0 && t.files.size() >= size_t(t.limits.fileRows)) ||
           t.files.size() >= size_t(std::numeric_limits<int32_t>::max());
}

bool PoolFull(const ListingTables& t, size_t bytes) { return t.pool.size() + bytes >= kPoolMax; }

// Opens the folder whose path stands in scan.path (shown as `shownLen` bytes) and pushes its level.
// Returns 0, or the error that kept it from being read (already reported).
int EnterFolder(Scan& scan, size_t shownLen, int32_t ownerId) {
    const ListLimits& limits = scan.tables.limits;
    size_t begin = scan.list.entries.size();
    size_t bytesBegin = scan.list.bytes.size();
    // The search pattern is the path, a separator where one is due, and "*".
    size_t patternLen = shownLen + scan.source.separatorsAfter(scan.path) + 1;
    int error = (limits.pathLimit > 0 && patternLen > size_t(limits.pathLimit))
                    ? kErrorPathTooLong
                    : scan.source.readFolder(scan.source.context, scan.path, scan.list);
    if (error != 0) {
        scan.list.entries.resize(begin);
        scan.list.bytes.resize(bytesBegin);
        scan.source.reportUnreadable(scan.source.context, scan.path, error);
        return error;
    }
    scan.levels.push_back(Level{begin, scan.list.entries.size(), bytesBegin, begin, ownerId, scan.path.size(), shownLen});
    return 0;
}

void LeaveFolder(Scan& scan) {
    Level& level = scan.levels.back();
    scan.list.entries.resize(level.begin);
    scan.list.bytes.resize(level.bytesBegin);
    scan.levels.pop_back();
    if (!scan.levels.empty()) scan.path.resize(scan.levels.back().pathLen);
}

// Records entry `e` as folder row folderLast + 1. False when the table (or the name pool) is full.
bool RecordFolder(Scan& scan, const EntryList::Entry& e, int32_t& folderLast, int32_t depth) {
    ListingTables& t = scan.tables;
    if (FolderTableFull(t, folderLast) || PoolFull(t, e.nameLen + e.keyLen + 2)) return false;
    ++folderLast;
    FolderEntry row{};
    row.id = folderLast;
    row.name = t.Store(scan.list.Name(e));
    row.nameLen = e.nameLen;
    row.key = t.Store(scan.list.Key(e));
    row.keyLen = e.keyLen;
    row.depth = depth;
    row.meta = e.meta;
    t.folders.push_back(row);
    return true;
}

bool RecordFile(Scan& scan, const EntryList::Entry& e, int32_t ownerId) {
    ListingTables& t = scan.tables;
    if (FileTableFull(t) || PoolFull(t, e.nameLen + e.keyLen + 2)) return false;
    FileEntry row{};
    row.folderId = ownerId;
    row.name = t.Store(scan.list.Name(e));
    row.nameLen = e.nameLen;
    row.key = t.Store(scan.list.Key(e));
    row.keyLen = e.keyLen;
    row.meta = e.meta;
    t.files.push_back(row);
    ++t.folders[ownerId].fileCount;
    return true;
}

}  // namespace

ScanResult ScanFolder(ListingTables& tables, const FolderSource& source, const std::string& path,
                      int32_t& folderLast, int32_t& depth, const ListOptions& options) {
    Scan scan{tables, source, options, path, {}, {}};
    size_t shownLen = folderLast < int32_t(tables.folders.size()) ? tables.folders[folderLast].nameLen : path.size();
    if (EnterFolder(scan, shownLen, folderLast) != 0) {
        --depth;
        return kScanCannotOpen;
    }
    bool abort = false;
    while (!scan.levels.empty()) {
        Level& level = scan.levels.back();
        if (abort || level.next == level.end) {
            LeaveFolder(scan);
            if (!abort) --depth;
            continue;
        }
        const EntryList::Entry e = scan.list.entries[level.next++];
        if (e.kind == kEntryFolder || e.kind == kEntryFolderLink) {
            if (IsDotName(scan.list.Raw(e))) continue;
            if (options.folderNames && !RecordFolder(scan, e, folderLast, depth)) {
                abort = true;
                continue;
            }
            if (!options.subfolders || options.maxDepth <= depth || e.kind != kEntryFolder) continue;
            // Compose the child path: the separator only where the parent does not already end in one.
            size_t shown = level.shownLen;
            int32_t ownerId = folderLast;
            if (source.separatorsAfter(scan.path)) {
                scan.path += source.separator;
                ++shown;
            }
            scan.path.append(scan.list.Raw(e));
            shown += e.nameLen;
            ++depth;
            if (EnterFolder(scan, shown, ownerId) != 0) {
                --depth;
                scan.path.resize(scan.levels.back().pathLen);
            }
        } else if (options.fileNames && !RecordFile(scan, e, level.ownerId)) {
            abort = true;
        }
    }
    return abort ? kScanAbort : kScanDone;
}
