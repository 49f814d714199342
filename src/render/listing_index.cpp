// Builds the renderers' index with one counting pass over each table.
#include "render/listing_index.h"

#include <algorithm>

void BuildListingIndex(const ListingTables& tables, ListingIndex& index) {
    int32_t ids = 0;
    for (const FolderEntry& f : tables.folders) ids = std::max(ids, f.id + 1);
    index.rowOfId.assign(ids, -1);
    for (int32_t r = 0; r < int32_t(tables.folders.size()); ++r) index.rowOfId[tables.folders[r].id] = r;

    // The renderers visit rows 0 ... fileTotal - 1; a row past those in use is free, with folder 0.
    index.fileStart.assign(ids + 1, 0);
    for (int32_t j = 0; j < tables.fileTotal; ++j) {
        int32_t id = tables.FileRow(j).folderId;
        if (id >= 0 && id < ids) ++index.fileStart[id + 1];
    }
    for (int32_t id = 0; id < ids; ++id) index.fileStart[id + 1] += index.fileStart[id];
    index.fileRows.assign(index.fileStart[ids], 0);
    std::vector<int32_t> next(index.fileStart.begin(), index.fileStart.end() - 1);
    for (int32_t j = 0; j < tables.fileTotal; ++j) {
        int32_t id = tables.FileRow(j).folderId;
        if (id >= 0 && id < ids) index.fileRows[next[id]++] = j;
    }
}
