// Folders on disk through the listing seam, for the command line: the entries of a folder read whole
// (links listed, never followed), their shown names (code page 932 for the sjis modes) and collation keys,
// notices on stderr. One header, two sides: source_posix.cpp (getdents64, ICU's collation keys; bytes in
// the C locales) and source_win32_cli.cpp (FindFirstFileExW, Windows' own collation keys); each build
// compiles its own. Names are bytes on both: UTF-8 on Windows (WTF-8 where a name holds an unpaired
// surrogate, see wide_text.h).
// `platform` owns every call into the operating system and ICU: this seam, the Windows program's seam
// (source_win32.h), and for the command line the messages (messages.h), the output file (output_file.h),
// the terminal (terminal.h) and shell patterns (patterns.h), each a header of ours over a *_posix.cpp and
// a *_win32.cpp. It may use `listing` (it fills its seam) and nothing else of ours; ICU, iconv and POSIX on
// one side, the Win32 API on the other.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "listing/listing.h"
#include "platform/entry_meta.h"

struct DiskSourceImpl;

// One per listing run; not copyable in practice (the copy would share `impl`). The flags may change
// between listings; InitDiskSource need not be called again for that.
struct DiskSource {
    bool toSjis = false;          // shown names converted from the locale's encoding to CP932 as they are read
    bool windowsOrder = false;    // entries handed over as Windows delivers them: sorted by UTF-16 code
                                  // units after upper-casing; a link to a folder is a folder not entered;
                                  // keys without the raw-bytes tie-break (see FolderKey)
    bool followLinks = false;     // a subfolder is opened even where a symbolic link now stands for it
                                  // (the caller turned links to folders into folders: -l)
    bool noKeys = false;          // no collation keys: each entry's key is its raw name (--sort none,
                                  // where nothing is ordered)
    FolderHandle lastFolder{-1};  // the folder readFolder read last, still open until the next readFolder
                                  // call or CloseDiskSource, so its entries can be looked at relative to
                                  // it; -1 after a failed read
    bool filesTogether = false;   // files of different folders are ordered together (no folder rows): every
                                  // file gets an ICU key, never the per-folder ASCII ones
    DiskSourceImpl* impl = nullptr;
};

// Sets up names for the locale in LC_COLLATE and LC_CTYPE's encoding (call setlocale(LC_ALL, "") first).
// False, with a reason in `error`, when that fails. Must succeed before anything below is used. The
// collators and the CP932 converter are opened when first needed (see DiskNamesError).
bool InitDiskSource(DiskSource& source, std::string& error);
void CloseDiskSource(DiskSource& source);
// Natural order for the keys made from now on: digits inside names compare by their numeric value
// ("file2" before "file10"), through ICU's numeric collation (in the C locales: runs of ASCII digits by
// value, the rest by bytes). False when ICU refuses the attribute (or, when the collators are not open
// yet, DiskNamesError tells later). On Windows: SORT_DIGITSASNUMBERS, false where the locale lacks it.
bool SetNaturalOrder(DiskSource& source);

// The seam over `source`; valid while `source` lives.
//  - separatorsAfter: 0 when the parent ends in '/', else 1 (so "abc" never lists "abc*").
//  - readFolder: the folder's entries appended in one go ("." and ".." left out); on failure the errno and
//    nothing appended. Paths longer than PATH_MAX are opened in pieces. A folder with subfolders may stay
//    open while they are read, and folders done with are closed in batches (runs of consecutive fds with
//    one close_range each); all are closed by CloseDiskSource, and given back early should the limit
//    on open files be reached.
//    Folders are kEntryFolder, symbolic links kEntryLink (listed as files, never followed), except that
//    with windowsOrder a link whose target is a folder is kEntryFolderLink; everything else kEntryFile.
//  - reportUnreadable: prints UnreadableMessage(path, error) (PrintMessage, messages.h).
FolderSource DiskFolderSource(DiskSource& source);
// Appends an entry named `raw` as readFolder does: its shown name (CP932 when `toSjis`) and its key.
// For sources that are not folders on disk (a list of paths).
void AddNamedEntry(DiskSource& source, std::string_view raw, EntryKind kind, EntryList& out);
// Compares the keys DiskFolderSource made (plain byte order over ICU sort keys, then length). On
// Windows, byte order over LCMapStringEx's sort keys; after a source with windowsOrder and toSjis
// (--compat), whose keys are the CP932 names, the Windows program's order (Win32NameOrder).
NameOrder DiskNameOrder();

// A name or path as the listing shows it: CP932 when `toSjis` (unmappable characters and invalid bytes
// as '?'), else unchanged. For the root row.
std::string ShownName(DiskSource& source, std::string_view raw);
// ICU's collation keys, as readFolder makes them, for a folder (letter case ignored) and a file (lower
// case first). (Where every name of a kind in a folder is printable ASCII, readFolder gives them keys made
// without ICU that order them the same: ascii_order.h.) Without windowsOrder the raw bytes follow the ICU sort key as a last tie-break, so names that
// collate equal (case pairs for folders, invalid bytes) still come out in one order whatever order the
// folder delivers them in; with windowsOrder equal names keep equal keys and stay in delivery order.
// When the collation locale (LC_ALL, else LC_COLLATE, else LANG) is C, POSIX or C.UTF-8, as `ls` and
// `tree` do there, and not in windowsOrder: folders compare as strcasecmp does (ASCII letters folded),
// ties by bytes; files by bytes (upper case first).
std::string FolderKey(DiskSource& source, std::string_view raw);
std::string FileKey(DiskSource& source, std::string_view raw);
// The ICU locale of the collators: "root" in the C, POSIX and C.UTF-8 locales (where only windowsOrder
// uses it) and for unknown names. On Windows the user's locale name ("ja-JP").
std::string DiskCollationLocale(const DiskSource& source);
// Why ICU (loaded for the first name past printable ASCII or the first collation key it must make), the
// collation or the CP932 conversion could not be set up when first needed (empty when all went well):
// keys, shown names and widths are then meaningless, and the listing must be refused.
std::string DiskNamesError(const DiskSource& source);

// "cannot read 'PATH': REASON", the message reportUnreadable prints: the English description of `error`
// (kErrorPathTooLong reads "File name too long"), PATH quoted and escaped (Quoted, messages.h).
std::string UnreadableMessage(std::string_view path, int error);
// Bytes made safe for a one-line message: backslash, control characters (C0, DEL, C1), U+2028/U+2029 and
// bytes that are not valid UTF-8 written C-style (\\, \n, \t, \r, \xNN); everything else unchanged.
std::string EscapeForNotice(std::string_view bytes);
