// Names on the POSIX side of the seam (private to the *_posix.cpp files): decoding from the locale's
// encoding, ICU collation keys, CP932 names for the sjis modes, and the order Windows delivers entries in.
// ICU is loaded when a name first needs it (icu_loader.h): names of printable ASCII never do.
#pragma once

#include "platform/icu_loader.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "listing/listing.h"
#include "platform/codepage.h"

struct DiskSourceImpl {
    UCollator* folderCollator = nullptr;  // secondary strength: letter case ignored
    UCollator* fileCollator = nullptr;    // tertiary strength, lower case first
    std::string icuLocale;                // the ICU locale asked for LC_COLLATE ("root", "ja_JP" ...)
    bool collatorsTried = false;          // OpenCollators has run
    std::string collationLocale;          // the ICU locale both collators were opened for ("root", "ja" ...)
    bool byteOrder = false;               // the collation locale is C, POSIX or C.UTF-8: keys are bytes
                                          // (but for the Windows program's order, which keeps ICU's)
    std::string namesError;               // why ICU, a collator or the CP932 converter could not be had
    // ICU's weights of each printable ASCII character, read from the collators as they open, for keys of
    // ASCII names composed without ICU (ComposeIcuKey): primary bytes, empty where the character does not
    // have the simple weights composing assumes; the tertiary byte, 0 for the common weight.
    struct AsciiWeight {
        uint8_t length;   // primary bytes; 0: composing does not apply
        char primary[7];
        uint8_t tertiary;
    };
    AsciiWeight asciiWeights[128] = {};
    bool utf8 = true;                     // names are read as UTF-8 (also in the C locale)
    UConverter* decoder = nullptr;        // the locale's encoding when it is not UTF-8
    std::string codeset;                  // nl_langinfo(CODESET) at set-up
    bool asciiKeys = false;               // names of printable ASCII may get keys without ICU (ascii_order.h)
    bool natural = false;                 // digit runs compare by value (ICU's numeric collation too)
    CodePageConversion* toCp932 = nullptr;

    // Scratch reused for every name, so reading a folder allocates nothing per entry once these grew.
    std::vector<UChar> text;              // a name decoded to UTF-16
    std::vector<uint8_t> sortKey;
    std::string key;                      // the last key made
    std::string shown;                    // the last CP932 name made
    std::string piece;                    // a piece of a path too long to open whole
    // What getdents64 delivers, one buffer full at a time; left uninitialised, so its pages become memory
    // only as folder listings fill them (a small listing touches one).
    std::unique_ptr<char[]> entryBuffer;
    // Folders kept open while the scan reads their subfolders, outermost first: each one's path is the
    // first pathLen bytes of heldPath (the innermost one's path).
    struct HeldFolder {
        size_t pathLen;
        int fd;
    };
    std::vector<HeldFolder> held;
    std::string heldPath;
    std::vector<int> closing;             // folders read and done with, closed a batch at a time
    // The folder the listing started from: the one folder opened through a symbolic link. A path that
    // does not lie inside it starts a new listing.
    std::string scanRoot;
    std::vector<UChar> upper;             // Windows order: every entry's upper-cased UTF-16, end to end
    std::vector<uint32_t> upperEnd;
    std::vector<uint32_t> order;
    std::vector<EntryList::Entry> moved;
};

// Reads LC_COLLATE and LC_CTYPE and opens the decoder for a locale's encoding other than UTF-8. False,
// with a reason in `error`, when that cannot be set up. The collators and the CP932 converter open later,
// when first needed: OpenCollators and OpenCp932 (false, with the reason in namesError, when they cannot).
bool OpenNames(DiskSourceImpl& impl, std::string& error);
bool OpenCollators(DiskSourceImpl& impl);
bool OpenCp932(DiskSourceImpl& impl);
void CloseNames(DiskSourceImpl& impl);

// Readies ICU's character data when `raw` holds a byte past ASCII, whatever the locale (the name writers
// count such a name's columns with it), so that a missing ICU refuses the listing (namesError) before
// anything is written.
void ReadyNameCharacters(DiskSourceImpl& impl, std::string_view raw);

// The collation key of `raw`, compared with plain byte order. ICU's sort key (folder key: case ignored;
// file key: lower case first) and, with `tieBreak`, the raw bytes after a 0x00 byte (which a sort
// key never holds), so names that collate equal still get distinct keys ordered by their bytes. In the C
// locales (byteOrder) and not in Windows order (no `tieBreak`): a folder's key compares as strcasecmp does, ties by
// bytes, a file's as its bytes; with `natural`, digit runs by value (see ByteOrderKey).
// The view stays valid until the next call.
// `tieBreak` is off only for the Windows program's order.
std::string_view MakeKey(DiskSourceImpl& impl, std::string_view raw, bool folder, bool tieBreak);

// ICU's collation key of `raw`, byte for byte as MakeKey makes it, composed from the weights of its
// characters without running ICU's collation: for names of printable ASCII (no digit under natural
// order) in a locale whose ASCII weights are simple. Opens the collators. False where it cannot (MakeKey
// must then be asked); the key is left in impl.key.
bool ComposeIcuKey(DiskSourceImpl& impl, std::string_view raw, bool folder, bool tieBreak);

// `raw` converted from the locale's encoding to code page 932; each character CP932 lacks and each byte
// that is not valid in the locale's encoding becomes '?'. The view stays valid until the next call.
std::string_view ToCp932(DiskSourceImpl& impl, std::string_view raw);

// Puts list.entries[first ...] in the order Windows on NTFS (and Wine) delivers a folder's entries: UTF-16
// code units compared after upper-casing each unit (surrogates unchanged), ties by raw bytes.
void SortAsWindows(DiskSourceImpl& impl, EntryList& list, size_t first);

// Length of the well-formed UTF-8 character at p (n bytes available), or 0 when the bytes there are not one.
size_t Utf8Length(const unsigned char* p, size_t n);
