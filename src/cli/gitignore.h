// --gitignore (POSIX side): what git would ignore, left out of each folder's entries as they are read,
// decided by libgit2 (nested .gitignore files, .git/info/exclude, the user's excludes file, negation,
// directory-only and anchored patterns), and the .git folder itself.
#pragma once

#include <cstdint>
#include <string>

#include "listing/listing.h"

struct GitIgnore {
    void* repository = nullptr;  // git_repository*; null outside a repository (no effect then)
    std::string root;            // FOLDER as the scan composes paths from it
    std::string prefix;          // FOLDER's path inside the work tree, "" or ending in '/'
    std::string scratch;
    int64_t leftOut = 0;
};

// True when this build can honour --gitignore (it was built with libgit2).
bool GitIgnoreAvailable();
// Finds the repository FOLDER lies in. False, with the reason in `error`, when libgit2 fails otherwise
// than by finding no repository.
bool OpenGitIgnore(GitIgnore& ignore, const std::string& folder, std::string& error);
void CloseGitIgnore(GitIgnore& ignore);
// Drops the entries of list.entries[first ...] (read from the folder at `path`) that git ignores.
void FilterIgnored(GitIgnore& ignore, const std::string& path, EntryList& list, size_t first);
