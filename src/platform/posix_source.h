// The POSIX side of the seam: folders read whole with opendir/readdir (links listed, never followed),
// names converted to code page 932 for the sjis modes, ICU collation keys, notices on stderr.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "listing/listing.h"

struct PosixSourceImpl;

struct PosixSource {
    bool toSjis = false;          // names converted from the locale's encoding to CP932 as they are read
    bool windowsOrder = false;    // entries handed over as Windows delivers them: sorted by UTF-16 code
                                  // units after upper-casing; a link to a folder is a folder not entered
    // Counts, for the command line's summary, progress line and exit status.
    int64_t foldersRead = 0;
    int64_t entriesRead = 0;
    int64_t unreadable = 0;       // folders below the root that could not be read
    void* progressContext = nullptr;
    void (*progress)(void* context, int64_t foldersRead, int64_t entriesRead) = nullptr;  // per folder
    PosixSourceImpl* impl = nullptr;
};

// Sets up the collators for the locale in LC_COLLATE/LANG (call setlocale(LC_ALL, "") first) and the
// CP932 converter. False, with a reason in `error`, when that fails.
bool InitPosixSource(PosixSource& source, std::string& error);
void ClosePosixSource(PosixSource& source);

// The seam over `source`; valid while `source` lives.
FolderSource PosixFolderSource(PosixSource& source);
// Compares the keys PosixFolderSource made (plain byte order over ICU sort keys).
NameOrder PosixNameOrder();

// A name or path as the listing shows it: CP932 when `toSjis`, else unchanged.
std::string ShownName(PosixSource& source, std::string_view raw);
// Collation keys, as the source makes them for a folder (letter case ignored) and a file.
std::string FolderKey(PosixSource& source, std::string_view raw);
std::string FileKey(PosixSource& source, std::string_view raw);
