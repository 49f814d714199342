// The folder structure pass: subtree sizes and parents, sibling folders in name order with whole
// subtrees moving together, and last siblings marked. Linear apart from the n log n sibling sorts; the
// result is the same as the defined bubble sort's, which never moves names that compare equal.
#include <algorithm>
#include <vector>

#include "listing/listing.h"

namespace {

// Subtree sizes and parents in one pass over the pre-ordered rows, with a stack of the rows still open.
void MeasureSubtrees(ListingTables& t, int32_t folderLast) {
    std::vector<int32_t> open;
    for (int32_t i = 0; i <= folderLast; ++i) {
        FolderEntry& row = t.folders[i];
        while (!open.empty() && t.folders[open.back()].depth >= row.depth) {
            t.folders[open.back()].subtreeSize = i - open.back();
            open.pop_back();
        }
        if (!open.empty()) row.parentId = t.folders[open.back()].id;
        open.push_back(i);
    }
    for (int32_t r : open) t.folders[r].subtreeSize = folderLast + 1 - r;
}

// Puts every parent's children in name order, each followed by its own subtree.
void SortSiblings(ListingTables& t, int32_t folderLast, const NameOrder& order) {
    // Every folder's children, in table order, then sorted; `first[r]` .. `first[r + 1]` are row r's.
    std::vector<int32_t> first(folderLast + 2, 0), children;
    children.reserve(folderLast);
    for (int32_t r = 0; r <= folderLast; ++r) {
        first[r] = int32_t(children.size());
        int32_t end = r + t.folders[r].subtreeSize;
        for (int32_t c = r + 1; c < end; c += t.folders[c].subtreeSize) children.push_back(c);
    }
    first[folderLast + 1] = int32_t(children.size());
    bool moved = false;
    for (int32_t r = 0; r <= folderLast; ++r) {
        auto from = children.begin() + first[r], to = children.begin() + first[r + 1];
        if (to - from < 2) continue;
        std::stable_sort(from, to, [&](int32_t a, int32_t b) {
            return order.folders(t.Key(t.folders[a]), t.Key(t.folders[b])) < 0;
        });
        moved = moved || !std::is_sorted(from, to);
    }
    if (!moved) return;
    // Lay the rows out again in pre-order of the sorted tree.
    std::vector<int32_t> rowOrder;
    rowOrder.reserve(folderLast + 1);
    std::vector<std::pair<int32_t, int32_t>> stack{{first[0], first[1]}};  // children still to visit
    rowOrder.push_back(0);
    while (!stack.empty()) {
        auto& [next, end] = stack.back();
        if (next == end) {
            stack.pop_back();
            continue;
        }
        int32_t c = children[next++];
        rowOrder.push_back(c);
        stack.push_back({first[c], first[c + 1]});
    }
    std::vector<FolderEntry> sorted(t.folders.begin(), t.folders.begin() + folderLast + 1);
    for (int32_t k = 0; k <= folderLast; ++k) t.folders[k] = sorted[rowOrder[k]];
}

// A row is its parent's last child when the row after its subtree is not a sibling.
void MarkLastSiblings(ListingTables& t, int32_t folderLast) {
    for (int32_t r = 0; r <= folderLast; ++r) {
        int32_t next = r + t.folders[r].subtreeSize;
        t.folders[r].isLastSibling = (next > folderLast || t.folders[next].depth < t.folders[r].depth) ? 1 : 0;
    }
}

}  // namespace

void BuildFolderStructure(ListingTables& tables, int32_t folderLast, const NameOrder& order) {
    MeasureSubtrees(tables, folderLast);
    SortSiblings(tables, folderLast, order);
    MarkLastSiblings(tables, folderLast);
}
