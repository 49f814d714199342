// What is known about an entry besides its name, and how it is drawn around the name. This folder owns
// the metadata side table the rows point into (FolderEntry::meta, FileEntry::meta), filled as each folder
// is read; the fields written from it before a name (sizes, dates, modes) and -F's marks after it; --du's
// sums; the keys of --sort size and --sort mtime; the colour classes of LS_COLORS (colors.h); and the
// hooks that draw them around a name in the text views (line_decor.h). It uses the engine's tables
// (listing), the renderers' text and hooks (render) and the system only through platform (entry_meta.h,
// dates.h, terminal_color.h, messages.h); it knows nothing of the options' syntax.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "listing/listing.h"
#include "platform/dates.h"
#include "platform/entry_meta.h"

enum MetaFlags : uint8_t {
    kMetaMissing = 1,    // the entry could not be looked at (gone since its folder was read): no fields
    kMetaLink = 2,       // the entry is a symbolic link (with -l its fields are still its target's)
    kMetaBroken = 4,     // a link whose target cannot be reached
    kMetaRecursive = 8,  // -l: a link to a folder already on the path, not entered
    kMetaTargetKnown = 16,  // targetMode holds the link target's type and mode
};

struct EntryMeta {
    uint64_t size = 0;       // a file's size in bytes; a folder's, with --du, the sum of the files under it
    int64_t mtime = 0;       // seconds since 1970, negative before
    uint32_t mtimeNsec = 0;
    int64_t ctime = 0;       // the last change of the entry's status (-c, --sort ctime)
    uint32_t ctimeNsec = 0;
    uint32_t uid = 0, gid = 0;
    uint32_t mode = 0;       // type and permission bits (kMode..., kType... in platform/entry_meta.h)
    uint32_t attributes = 0; // Windows' file attributes (kAttribute... in platform/entry_meta.h); 0 on POSIX
    uint32_t targetMode = 0; // a link's target's, where kMetaTargetKnown
    uint32_t nlink = 0;
    uint64_t dev = 0, ino = 0;
    uint32_t target = 0, targetLen = 0;  // -F: the link's target in MetaTable::targets
    uint32_t date = 0, dateLen = 0;      // -D: the formatted date in MetaTable::dates (FormatDates)
    uint8_t flags = 0;
};

// A file or folder on the system: its device and inode.
struct FileId {
    uint64_t dev, ino;
    bool operator==(const FileId& o) const { return dev == o.dev && ino == o.ino; }
};
struct FileIdHash {
    size_t operator()(const FileId& f) const { return std::hash<uint64_t>()(f.ino * 31 + f.dev); }
};

// What the options ask of each entry.
struct MetaWants {
    bool size = false, human = false, si = false, du = false;
    bool date = false, perms = false, classify = false, colour = false;
    bool owner = false, group = false, inode = false, device = false;  // -u, -g, --inodes, --device
    bool changeTime = false;  // -c: the date shown is the last status change, not the modification
    bool sortSize = false, sortMtime = false, sortCtime = false;
    bool follow = false, oneFileSystem = false;
    bool metaFirst = false;   // the fields start the line, before the pieces
    bool kinds = false;       // each file's type (JSON's "type"), and a link's target (-J, -X)
    std::string timeFormat = "%Y-%m-%d %H:%M";

    bool Fields() const { return size || date || perms || owner || group || inode || device; }
    // Every entry looked at (else only links with -l and folders with -x).
    bool StatAll() const { return Looked() || kinds; }
    // Asked for by an option the user gave (else only for the kinds, which fall back without a word).
    bool Looked() const { return Fields() || du || classify || colour || sortSize || sortMtime || sortCtime; }
};

struct MetaTable {
    MetaWants wants;
    std::vector<EntryMeta> entries;
    std::string targets;  // link targets, -F
    std::string dates;    // formatted dates, FormatDates
    StatFunction statAt = nullptr;  // nullptr: the system's (StatAt); tests swap in their own
    uint64_t rootDev = 0;           // -x: FOLDER's file system
    bool filesListed = true;        // false (--no-file-names): files are not looked at, links only for -l
    int64_t failures = 0;           // entries that could not be looked at, or whose date cannot be shown
                                    // (each reported)
    void (*beforeMessage)(void* context) = nullptr;  // called before such a report (the progress line)
    // Link targets as the listing shows names (code page 932 in the sjis modes); nullptr: as they are.
    std::string (*shownTarget)(void* context, std::string_view raw) = nullptr;
    void* messageContext = nullptr;
    // -l: the folders this listing has entered, and the links to folders read but not yet entered (by
    // the path the scan will open, to their metadata rows).
    std::unordered_set<FileId, FileIdHash> entered;
    std::unordered_map<std::string, uint32_t> linkedFolders;
    // Field widths over the whole listing, set by MeasureFields, and the names of owners and groups.
    size_t sizeWidth = 0, dateWidth = 0, inodeWidth = 0, deviceWidth = 0, ownerWidth = 0, groupWidth = 0;
    std::unordered_map<uint32_t, std::string> owners, groups;
};

// Looks at FOLDER itself, following a link (the root row's metadata, and the file system -x stays on).
// Returns 0 or the errno.
int StatRoot(MetaTable& table, const std::string& path, uint32_t& meta);
// Looks at the entries of `out` from `before` on, read from the folder `path` that is open as `folder`,
// and files a metadata row for each (Entry::meta). With -l the folder is noted as entered and a link to
// a folder becomes a folder (FollowInto decides whether it is entered); with -x a folder on another file
// system becomes one not entered. An entry that cannot be looked at is listed without metadata: one
// line on standard error each, counted in `failures`.
void StatEntries(MetaTable& table, const std::string& path, FolderHandle folder, EntryList& out, size_t before);
// -l: whether the folder at `path`, about to be read, is entered. Real folders always are; a folder
// reached through a link only when this listing has entered none with its device and inode before (else
// its row is marked kMetaRecursive). The scan asks in the listing's own order (OrderFolderEntries), so
// the same folders are entered whatever order the disk gives.
bool FollowInto(MetaTable& table, const std::string& path);
// -l: the folders among the entries of `out` from `before` on put in the order the listing shows them
// (`order`; newest first under --sort mtime; by name under --sort size, as the totals are not known
// yet), each in a place a folder held; files stay where they are.
void OrderFolderEntries(const MetaTable& table, EntryList& out, size_t before, const NameOrder& order);

// --du: a folder's total counts its whole subtree, whatever the listing shows, so the scan reads it all:
// the options it scans with, from those of the listing shown.
ListOptions OptionsForSums(const ListOptions& shown);

// --du: each folder's size becomes the sum of the sizes of the files recorded under it; a file with
// several hard links counts once, in the first folder that holds it in the listing's pre-order with
// siblings in `nameOrder`. Call before BuildFolderStructure (rows in pre-order, id = row). Returns
// FOLDER's total.
uint64_t SumFolderSizes(ListingTables& tables, int32_t folderLast, MetaTable& table,
                        const NameOrder& nameOrder);
// --du, after the sums: drops the rows that the listing's options `shown` leave out of a scan made with
// OptionsForSums(shown) (folders past the depth, files of folders not entered, names not listed).
void DropUnshownRows(ListingTables& tables, int32_t& folderLast, const ListOptions& shown);
// --sort size / mtime / ctime: every file row's key (and folder row's, for mtime and for size with --du) gets the
// order's bytes in front of its name key, so the engine's stable sorts order by them, ties by name.
void PrefixSortKeys(ListingTables& tables, int32_t folderLast, const MetaTable& table);

// Formats every row's date once (the width is known before the text is written), looks up the names
// of owners and groups once each, and measures the fields' widths. A date the local calendar cannot reach shows as "?", reported and counted in
// `failures`.
void MeasureFields(const ListingTables& tables, int32_t folderLast, MetaTable& table);
// The entry `meta` names, or nullptr where there is none (kNoMeta) or it could not be looked at.
const EntryMeta* UsableMeta(const MetaTable& table, uint32_t meta);
// The fields of row metadata `meta` as they stand before a name, in tree's order: inode, device, perms,
// owner, group, size, date; numbers right-aligned, names left-aligned, a space after each ("?" in place
// of fields that could not be read). Nothing when no field is asked for.
void AppendFields(std::string& out, const MetaTable& table, uint32_t meta);
// A size as -s writes it: bytes, or with --human / --si as `ls -lh` / `ls -l --si` round it.
std::string FormatSize(uint64_t bytes, bool human, bool si);
// `mode` as ls -l writes it: "drwxr-xr-x".
std::string FormatMode(uint32_t mode);
// Windows' file attributes as PowerShell's Mode column writes them, "darhsl": folder, archive, read-only,
// hidden, system, reparse point, each letter or '-'.
inline constexpr std::string_view kAttributeLetters = "darhsl";
std::string FormatAttributes(uint32_t attributes);
// What -p shows for an entry: its attributes where the system has them instead of Unix permissions
// (kAttributesForModes: Windows), else its mode.
std::string ShownMode(const EntryMeta& m);
// The permission bits in octal, four digits, as tree -J writes them: "0755".
std::string OctalMode(uint32_t mode);
// The date -D shows for `m`: its modification time, or with -c its status change.
inline int64_t ShownTime(const MetaWants& w, const EntryMeta& m) { return w.changeTime ? m.ctime : m.mtime; }
// The -F mark for a file: "*", "|", "=", "@" or nothing.
std::string_view ClassifyMark(const EntryMeta& m);
// -F: the target of a link as read (shown as names are), or nothing.
std::string_view LinkTarget(const MetaTable& table, const EntryMeta& m);
// -l: the folder row with metadata `meta` is a link to a folder this listing entered before, not entered.
bool NotFollowed(const MetaTable* table, uint32_t meta);
// True when `format` ends in a lone '%' (strftime's result is then undefined).
bool TimeFormatDangling(std::string_view format);
