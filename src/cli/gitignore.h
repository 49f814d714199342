// --gitignore (POSIX side): what git would ignore, left out of each folder's entries as they are read,
// decided by libgit2 (nested .gitignore files, .git/info/exclude, the user's excludes file, negation,
// directory-only and anchored patterns), and the .git folder itself. What git tracks is never ignored.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "cli/git_index.h"
#include "listing/listing.h"

// The ignore files of one folder, held as two sets of rules that libgit2 matches in memory, without the
// file system: their lines without the negations, and their negations as plain patterns.
struct GitIgnoreRules {
    std::string lineText, negationText;  // "" when there are none
    void* lines = nullptr;      // git_repository* in memory holding lineText while the scan is below the folder
    void* negations = nullptr;  // the same for negationText, made when first needed
    bool opaque = false;        // a line libgit2 may read otherwise than these sets do: always ask the repository
};

struct GitIgnore {
    void* repository = nullptr;  // git_repository*; null outside a repository (no effect then)
    // What git tracks (it is never ignored), read at the start; where the index is of a form left to
    // libgit2, or the repository ignores case, libgit2's git_index* instead.
    IndexReadResult trackedRead = kIndexOther;
    TrackedPaths tracked;
    void* index = nullptr;
    std::string warning;         // why neither could read the index, when it is there
    std::string root;            // FOLDER as the scan composes paths from it
    std::string workdir;         // the work tree, ending in '/'
    std::string prefix;          // FOLDER's path inside the work tree, "" or ending in '/'
    // Each entry is first matched in memory against every ignore file that applies to it; only where
    // that cannot decide is the repository asked. Off (every entry asked) when FOLDER lies in an ignored
    // folder or the repository ignores case.
    bool inMemory = false;
    std::unordered_map<std::string, GitIgnoreRules> files;  // folder inside the work tree ("" or '/' ended)
    std::string globalLines, globalNegations;  // info/exclude and core.excludesFile, held with the root's
    bool globalOpaque = false;
    std::vector<GitIgnoreRules*> live;  // those holding repositories in memory
    std::vector<void*> spare;           // repositories in memory to hold other rules
    std::string scratch;
    int64_t leftOut = 0;
};

// True when this build can honour --gitignore (it was built for libgit2, loaded when the option is used).
bool GitIgnoreAvailable();
// Loads libgit2, finds the repository FOLDER lies in and reads the ignore files above FOLDER and git's
// index. False, with the reason in `error`, when libgit2 cannot be loaded or fails otherwise than by
// finding no repository; an index that cannot be read only sets `warning`.
bool OpenGitIgnore(GitIgnore& ignore, const std::string& folder, std::string& error);
void CloseGitIgnore(GitIgnore& ignore);
// Drops the entries of list.entries[first ...] (read from the folder at `path`) that git ignores. Call it
// before anything else drops entries: the folder's own .gitignore is looked for among them.
void FilterIgnored(GitIgnore& ignore, const std::string& path, EntryList& list, size_t first);
