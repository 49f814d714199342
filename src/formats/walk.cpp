// The document writers' walk over the ordered tables: a stack of open folders, each stepping from child
// to child by subtree size, its files before or after its subfolders.
#include "formats/walk.h"

std::string EntriesNote(int64_t entries) {
    std::string note = "(" + std::to_string(entries);
    note += kEntriesNoteEnd;
    return note;
}

namespace {

int64_t EntriesOverLimit(const ListingWalk& walk, const FolderEntry& f) {
    if (walk.overLimit == nullptr) return -1;
    auto found = walk.overLimit->find(f.name);
    return found != walk.overLimit->end() ? found->second : -1;
}

// The first direct child of folder `parent` at or after row `from`, or the end of its subtree. The rows of
// a folder's subtree follow it in pre-order, so stepping by subtree size goes from one child to the next.
// A row whose depth is not one below the folder's is no child of it: the defined tree walk draws, among
// a folder's subtree rows, only those exactly one level deeper, so a row left deeper without a folder
// row between (and its own subtree) is passed over here as there.
int32_t DirectChild(const ListingTables& tables, int32_t parent, int32_t from) {
    const FolderEntry& f = tables.folders[parent];
    int32_t end = parent + f.subtreeSize;
    while (from < end && tables.folders[from].depth != f.depth + 1) from += tables.folders[from].subtreeSize;
    return from;
}

void Push(ListingWalk& walk, int32_t row) {
    const ListingTables& tables = *walk.tables;
    int32_t id = tables.folders[row].id;
    walk.stack.push_back({row, DirectChild(tables, row, row + 1), walk.index.fileStart[id], false, false});
}

bool HasChild(const ListingWalk& walk, const ListingWalk::Frame& fr) {
    return fr.nextChild < fr.row + walk.tables->folders[fr.row].subtreeSize;
}

bool HasFile(const ListingWalk& walk, const ListingWalk::Frame& fr) {
    return walk.fileNames && fr.nextFile < walk.index.fileStart[walk.tables->folders[fr.row].id + 1];
}

}  // namespace

void StartWalk(ListingWalk& walk, const ListingTables& tables, bool fileNames, bool filesFirst,
               const OverLimitMap* overLimit) {
    walk.tables = &tables;
    walk.overLimit = overLimit;
    walk.fileNames = fileNames;
    walk.filesFirst = filesFirst;
    BuildListingIndex(tables, walk.index);
    walk.stack.clear();
    walk.started = false;
}

bool NextRow(ListingWalk& walk, WalkRow& out) {
    const ListingTables& tables = *walk.tables;
    if (!walk.started) {
        walk.started = true;
        Push(walk, 0);
        out = {WalkRow::kFolder, 0, 0, true, true, EntriesOverLimit(walk, tables.folders[0])};
        return true;
    }
    if (walk.stack.empty()) return false;
    ListingWalk::Frame& fr = walk.stack.back();
    auto level = int32_t(walk.stack.size());  // of the entries of the folder on top
    bool first = !fr.any;
    // Files go first, or once the subfolders are done.
    bool filesNow = HasFile(walk, fr) && (walk.filesFirst || !HasChild(walk, fr));
    if (filesNow) {
        int32_t row = walk.index.fileRows[fr.nextFile++];
        fr.any = true;
        bool last = !HasFile(walk, fr) && (!walk.filesFirst || !HasChild(walk, fr));
        out = {WalkRow::kFile, row, level, first, last, -1};
        return true;
    }
    if (HasChild(walk, fr)) {
        int32_t child = fr.nextChild;
        fr.nextChild = DirectChild(tables, fr.row, child + tables.folders[child].subtreeSize);
        fr.any = true;
        bool last = !HasChild(walk, fr) && (walk.filesFirst || !HasFile(walk, fr));
        out = {WalkRow::kFolder, child, level, first, last, EntriesOverLimit(walk, tables.folders[child])};
        Push(walk, child);  // `fr` is not used past here: the push may move the stack
        return true;
    }
    out = {WalkRow::kFolderEnd, fr.row, level - 1, first, false, -1};
    walk.stack.pop_back();
    return true;
}
