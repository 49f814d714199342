// Inside --gitignore (POSIX side): what one listing holds of the repository, its index and the ignore
// files read so far. Only this part's own files and its tests see it; the command line uses git.h.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "git/git.h"
#include "git/git_index.h"
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
    void* fileRules = nullptr;  // --gitfile: git_repository* in memory holding the files' rules, no repository
};
