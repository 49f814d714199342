// File ordering: the file total, the limit on files, and names in order. Under the defined limits only
// neighbouring files of one folder are ordered (the runs a folder's files form between descents stay
// apart); otherwise every folder's files are put fully in name order. Both are one stable sort.
#include <algorithm>

#include "listing/listing.h"

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
