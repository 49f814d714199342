// The POSIX side of the seam: folders read whole with opendir/readdir (links listed, never followed),
// names converted to code page 932 for the sjis modes, ICU collation keys, notices on stderr.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "listing/listing.h"

struct PosixSourceImpl;

// One per listing run; not copyable in practice (the copy would share `impl`). The flags may change
// between listings; InitPosixSource need not be called again for that.
struct PosixSource {
    bool toSjis = false;          // shown names converted from the locale's encoding to CP932 as they are read
    bool windowsOrder = false;    // entries handed over as Windows delivers them: sorted by UTF-16 code
                                  // units after upper-casing; a link to a folder is a folder not entered;
                                  // keys without the raw-bytes tie-break (see FolderKey)
    bool filesTogether = false;   // files of different folders are ordered together (no folder rows): every
                                  // file gets an ICU key, never the per-folder ASCII ones
    // Counts, for the command line's summary, progress line and exit status.
    int64_t foldersRead = 0;      // folders read whole
    int64_t entriesRead = 0;      // entries handed over, "." and ".." not counted
    int64_t unreadable = 0;       // reportUnreadable calls, the root's included: when ScanFolder returns
                                  // kScanCannotOpen the root was one of them
    void* progressContext = nullptr;
    void (*progress)(void* context, int64_t foldersRead, int64_t entriesRead) = nullptr;  // per folder read
    PosixSourceImpl* impl = nullptr;
};

// Sets up names for the locale in LC_COLLATE and LC_CTYPE's encoding (call setlocale(LC_ALL, "") first).
// False, with a reason in `error`, when that fails. Must succeed before anything below is used. The
// collators and the CP932 converter are opened when first needed (see PosixNamesError).
bool InitPosixSource(PosixSource& source, std::string& error);
void ClosePosixSource(PosixSource& source);
// Natural order for the keys made from now on: digits inside names compare by their numeric value
// ("file2" before "file10"), through ICU's numeric collation. False when ICU refuses the attribute (or,
// when the collators are not open yet, PosixNamesError tells later).
bool SetNaturalOrder(PosixSource& source);

// The seam over `source`; valid while `source` lives.
//  - separatorsAfter: 0 when the parent ends in '/', else 1 (so "abc" never lists "abc*").
//  - readFolder: the folder's entries appended in one go ("." and ".." left out); on failure the errno and
//    nothing appended. Paths longer than PATH_MAX are opened in pieces. A folder with subfolders may stay
//    open while they are read, and folders done with are closed in batches (runs of consecutive fds with
//    one close_range each); all are closed by ClosePosixSource, and given back early should the limit
//    on open files be reached.
//    Folders are kEntryFolder, symbolic links kEntryLink (listed as files, never followed), except that
//    with windowsOrder a link whose target is a folder is kEntryFolderLink; everything else kEntryFile.
//  - reportUnreadable: writes UnreadableNotice(path, error) to stderr and counts `unreadable`.
FolderSource PosixFolderSource(PosixSource& source);
// Compares the keys PosixFolderSource made (plain byte order over ICU sort keys, then length).
NameOrder PosixNameOrder();

// A name or path as the listing shows it: CP932 when `toSjis` (unmappable characters and invalid bytes
// as '?'), else unchanged. For the root row.
std::string ShownName(PosixSource& source, std::string_view raw);
// ICU's collation keys, as readFolder makes them, for a folder (letter case ignored) and a file (lower
// case first). (Where every name of a kind in a folder is printable ASCII, readFolder gives them keys made
// without ICU that order them the same: ascii_order.h.) Without windowsOrder the raw bytes follow the ICU sort key as a last tie-break, so names that
// collate equal (case pairs for folders, invalid bytes) still come out in one order whatever order the
// folder delivers them in; with windowsOrder equal names keep equal keys and stay in delivery order.
std::string FolderKey(PosixSource& source, std::string_view raw);
std::string FileKey(PosixSource& source, std::string_view raw);
// The ICU locale the keys follow: "root" in the C, POSIX and C.UTF-8 locales and for unknown names.
std::string PosixCollationLocale(const PosixSource& source);
// Why the collation or the CP932 conversion could not be set up when first needed (empty when all went
// well): keys and shown names are then meaningless, and the listing must be refused.
std::string PosixNamesError(const PosixSource& source);

// "arbolin: cannot read 'PATH': REASON\n": the English description of `error` (kErrorPathTooLong reads
// "File name too long"), PATH escaped with EscapeForNotice.
std::string UnreadableNotice(std::string_view path, int error);
// Bytes made safe for a one-line message: backslash, control characters (C0, DEL, C1), U+2028/U+2029 and
// bytes that are not valid UTF-8 written C-style (\\, \n, \t, \r, \xNN); everything else unchanged.
std::string EscapeForNotice(std::string_view bytes);
