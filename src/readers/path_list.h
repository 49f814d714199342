// --fromfile (POSIX side): a list of paths read whole and turned into an in-memory folder tree that the
// engine scans through the seam like any folder. Nothing on disk is read but the list.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/source_posix.h"
#include "readers/source_memory.h"

struct PathList {
    std::string bytes;          // the list as read; each path is rewritten in place to its plain form
    MemorySource tree;
    int64_t repeated = 0;       // lines that named an entry an earlier line named
};

// Reads all of `file` ("-": standard input) into `bytes`; false, with `error`, when it cannot.
bool ReadListInput(const std::string& file, std::string& bytes, std::string& error);

// The plain form of one listed path: components separated by one '/', empty and "." components
// dropped, ".." kept as a name; an absolute path keeps its leading '/' ("/" alone: the top folder of
// absolute paths). `folder` tells whether the path ended in '/' (or "/."). The form is a part of
// `path`, rewritten in place where needed (it is never longer); empty: nothing to list (an empty line,
// ".", "./").
std::string_view PlainPath(char* path, size_t length, bool& folder);
// The rewriting itself, from the start of `path`; returns the plain form's length.
size_t RewritePath(char* path, size_t length, bool& folder);

// Reads the list at `file` ("-": standard input), paths one a line (LF or CRLF) or NUL-separated, and
// builds the tree; entries show their names through `names` (CP932 in the sjis modes, collation keys).
// Each line naming an entry again is reported on stderr with its number. False, with `error`, when the
// list cannot be read. `links` (tree's --fflinks): a line "path -> target" names the link "path"; its
// target, from the first " -> " on, is left out.
bool LoadPathList(const std::string& file, bool nulSeparated, PosixSource& names, PathList& list,
                  std::string& error, bool links = false);
// Gives back the list's memory once the scan has copied the names (the count of repeats stays).
void FreePathList(PathList& list);
