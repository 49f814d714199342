// The listing tables: set-up, reset, the name pool, and whole-row exchanges.
#include "listing/listing.h"

#include <cstring>
#include <utility>

namespace {

const FileEntry kFreeFileRow{0, 0, 0, 0, 0, kNoMeta};  // what a row past those in use holds: empty name, folder 0

}  // namespace

void InitListing(ListingTables& tables, const ListLimits& limits) {
    tables.limits = limits;
    if (limits.folderRows > 0) tables.folders.reserve(limits.folderRows);
    if (limits.fileRows > 0) {
        tables.files.reserve(limits.fileRows);
        // Every name fits 260 bytes with its terminator; keys are made from the same names.
        tables.pool.reserve(size_t(limits.folderRows + limits.fileRows) * 260);
    }
    tables.levelFlags.assign(kLevelFlagCount, 0);
}

void ResetListing(ListingTables& tables, std::string_view rootPath) {
    tables.folders.clear();
    tables.files.clear();
    tables.pool.clear();
    tables.fileTotal = 0;
    tables.levelFlags.assign(kLevelFlagCount, 0);
    tables.levelFlags[0] = 1;
    FolderEntry root{};
    root.name = tables.Store(rootPath);
    root.nameLen = uint32_t(rootPath.size());
    root.key = root.name;
    root.meta = kNoMeta;
    tables.folders.push_back(root);
}

const FileEntry& ListingTables::FileRow(int32_t j) const {
    if (j >= 0 && size_t(j) < files.size()) return files[j];
    return kFreeFileRow;
}

uint32_t ListingTables::Store(std::string_view bytes) {
    size_t offset = pool.size();
    pool.insert(pool.end(), bytes.begin(), bytes.end());
    pool.push_back('\0');
    return uint32_t(offset);
}

void EntryList::Add(std::string_view raw, std::string_view name, std::string_view key, EntryKind kind) {
    Entry e{};
    e.kind = kind;
    e.meta = kNoMeta;
    e.raw = uint32_t(bytes.size());
    e.rawLen = uint32_t(raw.size());
    bytes.insert(bytes.end(), raw.begin(), raw.end());
    e.name = e.raw, e.nameLen = e.rawLen;
    if (!name.empty()) {
        e.name = uint32_t(bytes.size());
        e.nameLen = uint32_t(name.size());
        bytes.insert(bytes.end(), name.begin(), name.end());
    }
    e.key = e.raw, e.keyLen = e.rawLen;
    if (!key.empty()) {
        e.key = uint32_t(bytes.size());
        e.keyLen = uint32_t(key.size());
        bytes.insert(bytes.end(), key.begin(), key.end());
    }
    entries.push_back(e);
}

void SwapFolderRows(ListingTables& tables, int32_t a, int32_t b) { std::swap(tables.folders[a], tables.folders[b]); }

void SwapFileRows(ListingTables& tables, int32_t a, int32_t b) { std::swap(tables.files[a], tables.files[b]); }
