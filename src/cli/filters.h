// What the command line leaves out of a listing: name patterns applied to each folder's
// entries as the seam hands them over, and folders left without files taken out of the tables.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "listing/listing.h"

// Shell-style wildcards (MatchShellPattern: * ? [...]), with '|' between alternatives as in "node_modules|.git".
// An empty alternative matches nothing. `ignoreCase`: letters match whatever their case.
bool MatchesPattern(std::string_view pattern, std::string_view name, bool ignoreCase = false);
// True when any pattern in `patterns` matches.
bool MatchesAny(const std::vector<std::string>& patterns, std::string_view name, bool ignoreCase = false);

struct EntryFilter {
    std::vector<std::string> exclude;  // any entry matching one is dropped (a folder is then not entered)
    std::vector<std::string> include;  // when not empty, files (and links) must match one to stay
    bool ignoreCase = false;           // --ignore-case
    // --matchdirs: `include` also matches the folders below `root`; in a folder whose path from `root`
    // has a matching name, every file stays.
    bool matchDirs = false;
    std::string root;
    int64_t leftOut = 0;               // entries dropped so far
};

// Drops the entries of list.entries[first ...] (read from the folder at `path`) the filter leaves out,
// keeping the others in order. The names are matched as the platform opens them (raw). "." and ".."
// always stay.
void FilterEntries(EntryFilter& filter, const std::string& path, EntryList& list, size_t first);

// Takes out the folder rows (never the root) whose subtree holds no file, and renumbers the ids that stay
// so the tables read as if those folders had never been found. Call after ScanFolder and before
// BuildFolderStructure, while rows are still in scan order with id = row. Returns the rows taken out.
// A folder for which `keepAnyway` (when given) returns true stays, with its ancestors.
int64_t PruneEmptyFolders(ListingTables& tables, int32_t& folderLast,
                          bool (*keepAnyway)(void* context, const FolderEntry& folder) = nullptr,
                          void* context = nullptr);

// What --summary counts: the folders and files listed, and what patterns, pruning and the file limit
// left out.
struct ListingCounts {
    int64_t folders = 0, files = 0;
    int64_t byPatterns = 0;      // entries -I and -P dropped
    int64_t pruned = 0;          // folders --prune took out
    int64_t overLimit = 0;       // folders listed but not opened (--filelimit)
    int64_t overLimitEntries = 0;  // ... and the entries they hold
};

// "2 folders, 1 file" and, when anything was left out, "; left out: 3 by patterns, 1 empty folder,
// 60 entries in 1 folder over --filelimit". No line end.
std::string SummaryLine(const ListingCounts& counts);
