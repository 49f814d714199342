// An in-memory folder tree for tests: the seam's enumeration over folders whose entries are delivered in
// exactly the order the test writes them, with Windows-style paths and the drive-root rule.
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "listing/listing.h"

struct MemoryTree {
    struct Entry {
        std::string name;
        EntryKind kind;
    };
    struct Folder {
        std::vector<Entry> entries;
        bool unreadable = false;
    };
    std::string root;                       // the root path, e.g. "C:\\Work"
    std::map<std::string, Folder> folders;  // by full path
    std::vector<std::string> reported;      // paths reported unreadable, in order
    std::vector<int> reportedErrors;
    int reads = 0;

    // Builds a tree from an outline, two spaces a level, one entry a line, in delivery order:
    // "name/" a folder, "name/!" a folder that cannot be read, "name/@" a link to a folder,
    // anything else a file.
    static MemoryTree Parse(std::string root, std::string_view outline);

    // Adds an entry to the folder at `path` (created when missing); returns the child's path.
    std::string Add(const std::string& path, std::string_view name, EntryKind kind);
    std::string Join(const std::string& parent, std::string_view name) const;
};

// The seam over `tree`, keys equal to names.
FolderSource MemoryFolderSource(MemoryTree& tree);
// Test collation, a stand-in for the locale's: folders compare ASCII letters ignoring case (so "a" and "A"
// are equal); files compare ignoring case first, then lower case before upper case, then by bytes.
NameOrder TestNameOrder();
int TestCompareFolders(std::string_view a, std::string_view b);
int TestCompareFiles(std::string_view a, std::string_view b);

// Runs reset, scan, structure pass and file ordering over `tree` as the select-folder command does.
// Returns the scan result, or 3 when the file ordering refused the listing.
int BuildListing(ListingTables& tables, MemoryTree& tree, const ListOptions& options);

// Turns the UTF-8 pieces "│", "├", "└", "…" of an expected listing into their Shift_JIS bytes and "\n"
// into "\r\n", so expected Windows listings can be written readably.
std::string Sjis(std::string_view readable);
