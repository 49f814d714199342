// --fromfile (POSIX side): a list of paths read whole and turned into an in-memory folder tree that the
// engine scans through the seam like any folder. Nothing on disk is read but the list.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/disk_source.h"
#include "readers/source_memory.h"

struct PathList {
    std::string bytes;          // the list as read; each path is rewritten in place to its plain form
    MemorySource tree;
    int64_t repeated = 0;       // lines that named an entry an earlier line named
};

// Reads all of `file` ("-": standard input) into `bytes`; false, with `error`, when it cannot.
bool ReadListInput(const std::string& file, std::string& bytes, std::string& error);

// The plain form of one listed path: components separated by one '/' (on Windows, where no name holds
// one, a '\\' in the list separates them too), empty and "." components
// dropped, ".." kept as a name; an absolute path keeps its leading '/' ("/" alone: the top folder of
// absolute paths). `folder` tells whether the path ended in '/' (or "/."). The form is a part of
// `path`, rewritten in place where needed (it is never longer); empty: nothing to list (an empty line,
// ".", "./").
std::string_view PlainPath(char* path, size_t length, bool& folder);
// The rewriting itself, from the start of `path`; returns the plain form's length.
size_t RewritePath(char* path, size_t length, bool& folder);

// git's quoted form of a path (core.quotePath, as `git ls-files` prints names with bytes past ASCII or
// control characters): a line that starts and ends with '"' and holds, between them, at least one
// backslash escape, only git's escapes (\a \b \t \n \v \f \r \" \\ and three octal digits) and no
// bare '"', is rewritten in place to the bytes git means. Returns the length of what the line now holds
// (`length` unchanged where it is not in that form: "x" in quotes stays a name with quotes).
size_t UnquoteGitPath(char* path, size_t length);

// Reads the list at `file` ("-": standard input), paths one a line (LF or CRLF) or NUL-separated, and
// builds the tree; entries show their names through `names` (CP932 in the sjis modes, collation keys).
// Lines in git's quoted form are read as the paths git means (never in a NUL-separated list). Each
// line naming an entry again is reported on stderr with its number (the first ones, then a count).
// False, with `error`, when the list cannot be read. `links` (tree's --fflinks): a line "path -> target"
// names the link "path"; its target, from the first " -> " on, is left out.
bool LoadPathList(const std::string& file, bool nulSeparated, DiskSource& names, PathList& list,
                  std::string& error, bool links = false);
// Gives back the list's memory once the scan has copied the names (the count of repeats stays).
void FreePathList(PathList& list);
