// What the renderers look up while they write: the row of every folder id and every folder's file rows
// in table order, built once per rendering instead of searching the tables for each line.
#pragma once

#include <cstdint>
#include <vector>

#include "listing/listing.h"

struct ListingIndex {
    std::vector<int32_t> rowOfId;    // folder id -> row
    std::vector<int32_t> fileStart;  // folder id -> first entry in fileRows; fileStart[id + 1] ends it
    std::vector<int32_t> fileRows;   // file rows 0 ... fileTotal - 1, grouped by folder, in table order
};

void BuildListingIndex(const ListingTables& tables, ListingIndex& index);
