// The Windows side of the folder seam, private to it (source_win32_cli.cpp, entry_meta_win32.cpp and
// names_win32.cpp): what reading a folder leaves for StatAt, \\?\ paths, error numbers, the kinds of
// reparse points, Windows' collation keys and code page 932 names.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/io_win32.h"  // errors as errno values, WTF-8 as UTF-16, full and \\?\ paths

// A 64-bit value the Win32 API hands over in two halves (sizes, file indexes, FILETIMEs).
inline uint64_t Joined64(DWORD high, DWORD low) { return (uint64_t(high) << 32) | low; }

// One entry of the folder read last, as FindFirstFileExW delivered it.
struct FoundEntry {
    uint32_t name, nameLen;  // its WTF-8 name in FoundFolder::names
    DWORD attributes;
    DWORD reparseTag;        // meaningful only with FILE_ATTRIBUTE_REPARSE_POINT
    FILETIME written, created;
    uint64_t size;
};

// The folder read last: its \\?\ path and what reading it found. DiskSource::lastFolder points here, so
// StatAt answers for its entries without asking the system again.
struct FoundFolder {
    std::wstring path;               // \\?\C:\x\y, \\?\UNC\server\share\y; a trailing '\' only on a root
    std::string names;
    std::vector<FoundEntry> entries;
    size_t cursor = 0;               // where the next look by name starts: looks come in reading order
};

struct DiskSourceImpl {
    bool natural = false;            // SORT_DIGITSASNUMBERS in the keys
    std::string namesError;          // why a key or a CP932 name could not be made
    std::string scanRoot;            // the listing's root as given; paths inside it are built from rootPath
    std::wstring rootPath;           // its \\?\ form, made once with GetFullPathNameW
    FoundFolder found;
    // Scratch reused for every name.
    std::wstring wide;
    std::wstring pattern;
    std::string raw, key, shown;
};

// `path` (WTF-8, as the user gave it: relative, '/' or '\' separated, C:foo, C:\x, UNC) as a \\?\ path
// through GetFullPathNameW. Returns 0 or the errno.
int LongPath(std::string_view path, std::wstring& out);
// `parent` + '\' + `name` (WTF-8), the separator left out where `parent` ends in one.
std::wstring ChildPath(const std::wstring& parent, std::string_view name);

// A reparse point that stands for another name (symbolic link, junction, mount point) is a link. Wine
// shows a Unix symbolic link to a folder as a folder with FILE_ATTRIBUTE_REPARSE_POINT and a tag of 0
// (which no Windows reparse point has): that is a link too.
bool IsLinkAttributes(DWORD attributes, DWORD reparseTag);

// The collation key of `name`: LCMapStringEx's sort key in the user's locale (a folder's ignoring case,
// a file's lower case first), with natural order where `impl.natural`; with `tieBreak`, then 0x00 and
// `raw` (a sort key holds no 0x00), so names that collate equal still order by their bytes. The view
// stays valid until the next call. A key Windows refuses sets impl.namesError.
std::string_view CollationKey(DiskSourceImpl& impl, std::wstring_view name, std::string_view raw, bool folder,
                              bool tieBreak);
// `name` in code page 932 as WideCharToMultiByte(932, 0) makes it ('?' and best fit for what it lacks),
// as the Windows program gets names where that is the ANSI code page. Valid until the next call.
std::string_view ToCp932(DiskSourceImpl& impl, std::wstring_view name);
// True when the user's locale makes keys with the flags natural order needs.
bool NaturalKeysWork();
