// File ordering: the file total, the limit on files, and names in order. Under the defined limits only
// neighbouring files of one folder are ordered (the runs a folder's files form between descents stay
// apart); otherwise every folder's files are put fully in name order. Both are one stable sort.
#include <algorithm>
#include <cstdint>
#include <vector>

#include "listing/listing.h"

namespace {

// The first eight bytes of a key as a number that orders as they do, zeros past a shorter key's end: where
// two prefixes differ, so do the keys, the same way.
uint64_t KeyPrefix(std::string_view key) {
    uint64_t prefix = 0;
    for (size_t i = 0; i < 8; ++i) prefix = prefix << 8 | (i < key.size() ? uint8_t(key[i]) : 0);
    return prefix;
}

// Every folder's files fully in name order for keys compared as bytes: the same stable sort over records
// that hold each key's first bytes, so most comparisons never reach the keys spread over the name pool.
void SortByFolderAndPrefix(ListingTables& tables, const NameOrder& order) {
    struct Record {
        uint64_t prefix;
        int32_t folderId;
        uint32_t row;
    };
    auto& files = tables.files;
    std::vector<Record> records(files.size());
    for (size_t i = 0; i < files.size(); ++i)
        records[i] = {KeyPrefix(tables.Key(files[i])), files[i].folderId, uint32_t(i)};
    std::stable_sort(records.begin(), records.end(), [&](const Record& a, const Record& b) {
        if (a.folderId != b.folderId) return a.folderId < b.folderId;
        if (a.prefix != b.prefix) return a.prefix < b.prefix;
        return order.files(tables.Key(files[a.row]), tables.Key(files[b.row])) < 0;
    });
    std::vector<FileEntry> sorted(files.size());
    for (size_t i = 0; i < records.size(); ++i) sorted[i] = files[records[i].row];
    files.swap(sorted);
}

}  // namespace

bool OrderFiles(ListingTables& tables, const NameOrder& order) {
    const ListLimits& limits = tables.limits;
    auto& files = tables.files;
    int32_t n = int32_t(files.size());
    // The defined count starts at row 1, so an empty table still counts one (free) row.
    tables.fileTotal = (limits.definedFiles && n == 0) ? 1 : n;
    // A table without a free row is refused whatever the accepted count: its count never found an end.
    bool tableFull = limits.fileRows > 0 && n >= limits.fileRows;
    if (tableFull || (limits.filesAccepted > 0 && tables.fileTotal > limits.filesAccepted)) return false;

    auto byName = [&](const FileEntry& a, const FileEntry& b) {
        return order.files(tables.Key(a), tables.Key(b)) < 0;
    };
    if (!limits.definedFiles && order.bytewise) {
        SortByFolderAndPrefix(tables, order);
        return true;
    }
    if (!limits.definedFiles) {
        std::stable_sort(files.begin(), files.end(), [&](const FileEntry& a, const FileEntry& b) {
            return a.folderId != b.folderId ? a.folderId < b.folderId : byName(a, b);
        });
        return true;
    }
    for (auto run = files.begin(); run != files.end();) {
        auto end = std::find_if(run, files.end(), [&](const FileEntry& f) { return f.folderId != run->folderId; });
        std::stable_sort(run, end, byName);
        run = end;
    }
    return true;
}
