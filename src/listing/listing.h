// The listing engine: the one listing (folder and file tables), the options and limits that shape it,
// and the four stages that fill and order it. Byte strings throughout; the engine never decodes a name.
// This part owns the listing's data and its order, the same for the Windows program and the command line.
// It uses nothing else of ours and no platform call: it reads folders only through the seam below, which
// a side in `platform` (or a test's memory tree) fills in. Every other part may use it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// ---- Limits: capacities are data, so one engine serves the Windows program and the unlimited command line.

struct ListLimits {
    int32_t folderRows;     // folder-table rows, the root's included (65,536); 0: the table grows
    int32_t fileRows;       // file-table rows (65,536); 0: the table grows
    int32_t filesAccepted;  // most files a listing may hold (2,048); 0: any number
    int32_t textLimit;      // longest text that may stand at the end of a folder block (65,280); 0: none
    int32_t textCapacity;   // text buffer bytes, terminator included (65,536); 0: the buffer grows
    int32_t pathLimit;      // longest path or search pattern in bytes (259); 0: none
    bool definedFiles;      // true: files are sorted only where neighbours of one folder meet, and an empty
                            // file table counts one (empty) row; false: every folder's files fully sorted
};

// The Windows program's capacities; `arbolin --compat` uses them too.
inline constexpr ListLimits kDefinedLimits{65536, 65536, 2048, 65280, 65536, 259, true};
// The command line's default: no capacity at all.
inline constexpr ListLimits kNoLimits{0, 0, 0, 0, 0, 0, false};

inline constexpr int32_t kUnlimitedDepth = 255;        // the Windows program's "unlimited" depth setting
inline constexpr int32_t kLevelFlagCount = 256;        // columns the defined tree view can draw

// ---- The values that shape one listing, read just before the scan.

struct ListOptions {
    bool subfolders = true;    // descend into subfolders
    bool folderNames = true;   // create a row for each folder found
    bool fileNames = true;     // record files
    bool treeView = true;      // tree (box drawing) rather than indented outline
    bool nameLimit = false;    // shorten long names in the tree view
    int32_t maxDepth = kUnlimitedDepth;  // deepest depth at which entries are recorded
};

// ---- The tables. Names and collation keys live in one pool; rows refer to them by offset, so rows are
// cheap to exchange whole and the storage is allocated once for the defined capacities.

struct FolderEntry {
    int32_t id;             // 0 for the root, then 1, 2, 3 ... in discovery order; moves with the row
    uint32_t name;          // offset of the NUL-terminated name in the pool (root: the chosen path)
    uint32_t nameLen;
    uint32_t key;           // offset of the collation key in the pool (may equal `name`)
    uint32_t keyLen;
    int32_t depth;          // 0 root, 1 its folders ...; never past 255 under the defined limits
    int32_t fileCount;      // files recorded for this folder
    int32_t subtreeSize;    // 1 + rows of its subtree that follow it
    int32_t parentId;       // id of the parent folder (meaningless for the root)
    int32_t isLastSibling;  // 1 when no later sibling follows under the same parent
    uint32_t meta;          // the entry's metadata in the front end's side table, or kNoMeta; moves with the row
};

struct FileEntry {
    int32_t folderId;       // id of the folder the file was recorded for
    uint32_t name;
    uint32_t nameLen;
    uint32_t key;
    uint32_t keyLen;
    uint32_t meta;          // as FolderEntry::meta
};

// A row or entry without metadata: the engine never reads any, and the Windows program keeps none.
inline constexpr uint32_t kNoMeta = 0xFFFFFFFF;

struct ListingTables {
    ListLimits limits = kNoLimits;
    std::vector<FolderEntry> folders;   // rows 0 ... folderLast in use, in pre-order; row 0 is the root
    std::vector<FileEntry> files;       // rows in use, discovery order until OrderFiles
    int32_t fileTotal = 0;              // set by OrderFiles: rows the renderers visit
    std::vector<int32_t> levelFlags;    // tree view: 1 where a column's branch goes on
    std::vector<char> pool;             // names and keys

    std::string_view Name(const FolderEntry& f) const { return {pool.data() + f.name, f.nameLen}; }
    std::string_view Name(const FileEntry& f) const { return {pool.data() + f.name, f.nameLen}; }
    std::string_view Key(const FolderEntry& f) const { return {pool.data() + f.key, f.keyLen}; }
    std::string_view Key(const FileEntry& f) const { return {pool.data() + f.key, f.keyLen}; }
    // File row j as the renderers see it: rows past those in use are free (empty name, folder 0).
    const FileEntry& FileRow(int32_t j) const;
    // Stores bytes in the pool and returns their offset; a NUL follows them.
    uint32_t Store(std::string_view bytes);
};

// Gives the tables their capacities; under fixed limits the storage is reserved here, once.
void InitListing(ListingTables& tables, const ListLimits& limits);
// Empties the tables for a new listing and makes `rootPath` (as shown) the root row; levelFlags[0] = 1.
// The root never takes part in a comparison, so it has no collation key of its own.
void ResetListing(ListingTables& tables, std::string_view rootPath);

// ---- Where the engine meets the platform (the seam). One small struct of functions: the Win32 side,
// the POSIX side and the in-memory tree of the tests each fill one.

enum EntryKind : uint8_t {
    kEntryFile = 0,        // recorded as a file
    kEntryFolder = 1,      // recorded as a folder and entered
    kEntryFolderLink = 2,  // recorded as a folder, never entered (a link or reparse point to a folder)
    kEntryLink = 3,        // a symbolic link listed as a file
};

// One folder's entries, read whole before the scan goes on. Entries of several levels stack up in one
// list (each level appends, and the scan cuts the list back when the level is done), so nothing is
// allocated per entry once the list has grown.
struct EntryList {
    struct Entry {
        uint32_t raw, rawLen;    // the name as the platform opens it
        uint32_t name, nameLen;  // the name as the listing shows it (code page 932 in sjis modes)
        uint32_t key, keyLen;    // its collation key (folder or file key by kind)
        EntryKind kind;
        uint32_t meta;           // kNoMeta, unless the source's caller files metadata for the entry;
                                 // the scan copies it into the entry's row
    };
    std::vector<Entry> entries;
    std::vector<char> bytes;

    // Appends one entry; `name` or `key` empty means "the same bytes as raw".
    void Add(std::string_view raw, std::string_view name, std::string_view key, EntryKind kind);
    std::string_view Raw(const Entry& e) const { return {bytes.data() + e.raw, e.rawLen}; }
    std::string_view Name(const Entry& e) const { return {bytes.data() + e.name, e.nameLen}; }
    std::string_view Key(const Entry& e) const { return {bytes.data() + e.key, e.keyLen}; }
};

// True when a name may follow `path` without a separator: the path ends in '/' (a root given as "src/"),
// or, on Windows, in '\\' or is a drive with its colon ("C:\\", "C:", where "C:x" means x in drive C's
// current folder). The command line's scan and every writer that names entries by path join so.
inline bool EndsInSeparator(std::string_view path) {
    if (path.empty()) return false;
    char last = path.back();
#ifdef _WIN32
    if (last == '\\' || (last == ':' && path.size() == 2)) return true;
#endif
    return last == '/';
}

struct FolderSource {
    void* context;
    char separator;  // '\\' on Windows, '/' elsewhere
    // Separators to put between `parent` and a child name: 0 where the parent already ends in one
    // (on Windows: a path of exactly 3 bytes, a drive root such as C:\), else 1.
    int (*separatorsAfter)(std::string_view parent);
    // Reads the folder at `path` whole and appends its entries in delivery order ("." and ".." may be
    // among them). Returns 0, or a platform error number when the folder cannot be opened.
    int (*readFolder)(void* context, const std::string& path, EntryList& out);
    // Tells the user that `path` could not be read (error as returned by readFolder).
    void (*reportUnreadable)(void* context, const std::string& path, int error);
};

// Error number the scan reports for a path or search pattern longer than `pathLimit`.
inline constexpr int kErrorPathTooLong = 36;  // ENAMETOOLONG's value on Linux

// How names compare: less than, equal to or greater than 0, like strcmp, on two collation keys. The engine
// acts only on "greater than 0". Folders ignore letter case, files do not.
struct NameOrder {
    int (*folders)(std::string_view a, std::string_view b);
    int (*files)(std::string_view a, std::string_view b);
    bool bytewise;  // both compare keys as plain bytes (a shorter key first where one begins the other),
                    // so a key's first bytes may stand for it until two keys agree there
};

// ---- The stages.

enum ScanResult { kScanDone = 0, kScanCannotOpen = 1, kScanAbort = 2 };

// Walks `path` (the root row's folder; `shownLen` its length as shown, which the path limit counts) and
// records what it finds, in pre-order for folders and discovery order for files. `folderLast` is the
// index of the last folder row in use (in/out, starts at 0); `depth` is the depth that the entries found
// directly in `path` get (the top-level call passes 1). A folder that cannot be opened is reported through
// the source and the walk goes on; a full table aborts the whole walk with kScanAbort.
ScanResult ScanFolder(ListingTables& tables, const FolderSource& source, const std::string& path,
                      int32_t& folderLast, int32_t& depth, const ListOptions& options);

// Subtree sizes and parents, sibling folders in name order (whole subtrees moving), last siblings marked.
void BuildFolderStructure(ListingTables& tables, int32_t folderLast, const NameOrder& order);
// Sets fileTotal; false when the listing holds more files than the limits accept; orders file names.
bool OrderFiles(ListingTables& tables, const NameOrder& order);

void SwapFolderRows(ListingTables& tables, int32_t a, int32_t b);
void SwapFileRows(ListingTables& tables, int32_t a, int32_t b);
