// One walk over the ordered tables for the document writers: folders and files in the order they are
// listed, each with its level, whether it is the first or last entry of its folder, and the entries of a
// folder --filelimit left unopened; the notes a folder line may carry are written here too.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "listing/listing.h"
#include "render/listing_index.h"

// Folder name offset -> the entries of a folder --filelimit did not open.
using OverLimitMap = std::unordered_map<uint32_t, int64_t>;

// The note after a folder --filelimit did not open: "(50000 entries)" (a space before it in the text,
// a span around it in HTML).
std::string EntriesNote(int64_t entries);
inline constexpr std::string_view kEntriesNoteEnd = " entries)";
// The note after a link to a folder that holds it (-L): the link is not followed.
inline constexpr std::string_view kNotFollowedNote = " [recursive, not followed]";

struct WalkRow {
    enum Kind : uint8_t {
        kFolder,  // a folder opens: its entries follow, then its kFolderEnd
        kFile,
        kFolderEnd,  // the folder `row` has had all its entries
    } kind;
    int32_t row;     // folder row (kFolder, kFolderEnd) or file row (kFile)
    int32_t level;   // 0: the root; the entries of a folder at level n are at n + 1
    bool first;      // the first entry of its folder (the root: true); kFolderEnd: the folder had none
    bool last;       // the last entry of its folder as walked (the root: true)
    int64_t overLimit;  // kFolder: the entries of a folder --filelimit left unopened, else -1
};

struct ListingWalk {
    const ListingTables* tables = nullptr;
    const OverLimitMap* overLimit = nullptr;
    bool fileNames = true;    // file rows walked at all
    bool filesFirst = false;  // a folder's files before its subfolders
    ListingIndex index;
    struct Frame {
        int32_t row;
        int32_t nextChild;  // the next direct child's row, or the end of the subtree
        int32_t nextFile;   // into index.fileRows
        bool filesDone, any;
    };
    std::vector<Frame> stack;
    bool started = false;
};

// Starts a walk of the whole listing, root first.
void StartWalk(ListingWalk& walk, const ListingTables& tables, bool fileNames, bool filesFirst,
               const OverLimitMap* overLimit);
// The next row; false once the root's kFolderEnd has been given.
bool NextRow(ListingWalk& walk, WalkRow& row);
