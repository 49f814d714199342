// git's view of a folder for the command line's --gitignore (POSIX side). This part owns git's formats:
// the reader of the index file (git_index.h) and the matching of ignore files through libgit2, which it
// loads with dlopen only when the option is used. It may use `listing` (an EntryList to filter) and
// nothing else of ours; `cli` calls it through this header alone.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "listing/listing.h"

struct GitIgnore;  // the repository, its index and the ignore rules read so far (gitignore_state.h)

// True when this build can honour --gitignore (it was built for libgit2, loaded when the option is used).
bool GitIgnoreAvailable();
// Loads libgit2, finds the repository FOLDER lies in and reads the ignore files above FOLDER and git's
// index. Null, with the reason in `error`, when libgit2 cannot be loaded or fails otherwise than by
// finding no repository (outside a repository the result filters nothing); an index that cannot be read
// only sets GitIgnoreWarning.
GitIgnore* OpenGitIgnore(const std::string& folder, std::string& error);
// --gitfile: the rules of `files` (gitignore's form, read in this order) matched as if they were one
// .gitignore in FOLDER, in memory: no repository is needed or read (libgit2's own rule leaves out .git).
// Null, with the reason in `error`, when a file cannot be read or libgit2 cannot be loaded.
GitIgnore* OpenGitFiles(const std::string& folder, const std::vector<std::string>& files, std::string& error);
void CloseGitIgnore(GitIgnore* ignore);
// Drops the entries of list.entries[first ...] (read from the folder at `path`) that git ignores. Call it
// before anything else drops entries: the folder's own .gitignore is looked for among them.
void FilterIgnored(GitIgnore* ignore, const std::string& path, EntryList& list, size_t first);
// Why git's index could not be read ("" when it was, or there is none): the listing is then partial.
const std::string& GitIgnoreWarning(const GitIgnore* ignore);
// How many entries FilterIgnored has left out so far.
int64_t GitIgnoreLeftOut(const GitIgnore* ignore);
