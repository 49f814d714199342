// Text rendering: the bounded text buffer, the pieces each encoding draws with, the name writers (the
// only code that looks inside a name) and the tree and indented renderers over an ordered listing.
// This part owns every byte of the text views: pieces, line ends, escaping and the text limit. It may use
// `listing` (it renders the ordered tables) and platform's character data (platform/chars.h: UTF-8
// decoding, display columns, character classes, the hex digits), nothing else of ours and no OS or ICU
// header; the UTF-8 name writer, whose character data ICU answers, only the POSIX build has.
// listing_index.h and name_escape.h are its helpers; the command line's structured formats use them too.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "listing/listing.h"

// The listing text. Under fixed limits it never holds more than `capacity` - 1 bytes: an append that does
// not fit whole is dropped and the buffer is marked full, so nothing after it is appended either. With
// `flush` set, a growing buffer hands its text on in large blocks and keeps little in memory.
struct TextBuffer {
    std::string text;
    int32_t capacity = 0;  // bytes, terminator included; 0: grows
    int32_t limit = 0;     // longest text a folder block may end at; 0: none
    bool full = false;
    uint64_t flushed = 0;  // bytes already handed to `flush`
    void* context = nullptr;
    void (*flush)(void* context, std::string_view bytes) = nullptr;
    void (*reportTooMuchText)(void* context) = nullptr;  // shown once, when the text passes `limit`

    uint64_t Length() const { return flushed + text.size(); }
};

// Sets up an empty buffer with the capacity and text limit of `limits`.
void InitTextBuffer(TextBuffer& buffer, const ListLimits& limits);
// Hands what is left to `flush` (a no-op without one).
void FlushText(TextBuffer& buffer);

// A growing buffer with `flush` set hands its text on once it holds this much.
inline constexpr size_t kTextFlushBlock = size_t(1) << 16;

// Appends at most n bytes of src, stopping early at a NUL in src.
void AppendBounded(TextBuffer& buffer, std::string_view src, size_t n);
// Appends all of `bytes`, a NUL included (colour sequences as the user wrote them), under the same capacity.
void AppendBytes(TextBuffer& buffer, std::string_view bytes);
// AppendBounded(buffer, bytes, bytes.size()) for bytes known to hold no NUL (the pieces, names already
// checked): a growing buffer's common case inline, the rest through AppendBounded.
inline void AppendPiece(TextBuffer& buffer, std::string_view bytes) {
    if (buffer.capacity == 0 && !buffer.full && buffer.text.size() + bytes.size() < kTextFlushBlock) {
        buffer.text.append(bytes);
        return;
    }
    AppendBounded(buffer, bytes, bytes.size());
}
// False, after showing the too-much-text message, when the text is longer than the limit (or an append
// did not fit).
bool CheckTextLimit(TextBuffer& buffer);

// The fixed pieces of one output encoding. `blank` is a tree column whose branch has ended, `indent` one
// step of the indented view.
struct Pieces {
    std::string_view branch, blank, tee, last, open, close, ellipsis, eol, indent;
};

// Shift_JIS, the Windows program's bytes: " │" " ├" " └" " …" are a space and one two-byte character.
inline constexpr Pieces kSjisPieces{"\x20\x84\xA0", "   ", "\x20\x84\xA5", "\x20\x84\xA4", "[ ", " ]",
                                    "\x20\x81\x63", "\r\n", "   "};
// UTF-8 for terminals: box drawing is one column wide there, so the blank column is two spaces.
inline constexpr Pieces kUtf8Pieces{" \xE2\x94\x82", "  ", " \xE2\x94\x9C", " \xE2\x94\x94", "[ ", " ]",
                                    " \xE2\x80\xA6", "\n", "   "};

// Plain ASCII for any editor, code page or font, the same widths as the UTF-8 pieces (" `" closes a
// column, ".." stands for the cut part of a shortened name). `eol` is LF; the Shift_JIS text swaps in CRLF.
inline constexpr Pieces kAsciiPieces{" |", "  ", " +", " `", "[ ", " ]", "..", "\n", "   "};

// Writes one name; with `shorten`, a long name is cut and followed by the ellipsis piece.
using NameWriter = void (*)(TextBuffer& buffer, std::string_view name, bool shorten);

// Shift_JIS as the Windows program writes it: names longer than 17 bytes are cut to 14 bytes plus " …",
// or to 13 where the 14th byte would be the first half of a two-byte character. Nothing is escaped.
void AppendName(TextBuffer& buffer, std::string_view name, bool nameLimit);
// The command line's Shift_JIS: as AppendName, with control bytes, lone bytes and the backslash escaped;
// the limit counts the bytes written (a name written in over 17 is cut to at most 14, never inside an
// escape or a two-byte character). A name with nothing to escape comes out as AppendName writes it.
void AppendNameSjisEscaped(TextBuffer& buffer, std::string_view name, bool nameLimit);
// The command line's UTF-8: control characters, invalid bytes and the backslash escaped C-style, U+2028/
// U+2029 and the bidirectional controls as \u2028, \u202e;
// the limit counts display columns (over 17 shortened to at most 14; a wide character is never cut).
void AppendNameUtf8(TextBuffer& buffer, std::string_view name, bool nameLimit);
// As AppendNameUtf8, with the ASCII ellipsis piece after a shortened name.
void AppendNameUtf8Ascii(TextBuffer& buffer, std::string_view name, bool nameLimit);

// Other forms of the UTF-8 name, asked for by tree's options (bits): kNameQuestionMarks writes '?' for each
// character AppendNameUtf8 would escape (an invalid byte each), a backslash as it is; kNameQuoted puts the
// name in double quotes, a '"' inside it as \" (a backslash stays escaped then). The quotes stand outside
// a shortened name and its ellipsis.
enum NameForm : uint8_t { kNameEscaped = 0, kNameQuestionMarks = 1, kNameQuoted = 2 };
// The UTF-8 writer of `forms`, with the ASCII ellipsis or the box-drawing one.
NameWriter Utf8NameWriter(uint8_t forms, bool asciiEllipsis);

// The command line's additions to a line (metadata fields, colour, type marks); the Windows program has
// none. Each hook gets the row's `meta` (FolderEntry::meta, FileEntry::meta), kNoMeta where there is none.
struct LineDecor {
    void* context = nullptr;
    // What stands between the piece and the entry: the fields, before a folder's opening bracket.
    void (*lead)(void* context, TextBuffer& buffer, uint32_t meta) = nullptr;
    // What stands right before and right after the name itself (inside a folder's brackets).
    void (*before)(void* context, TextBuffer& buffer, uint32_t meta, std::string_view name, bool folder) = nullptr;
    void (*after)(void* context, TextBuffer& buffer, uint32_t meta, bool folder) = nullptr;
    // What starts the line, before the pieces (the fields, when they come first).
    void (*lineStart)(void* context, TextBuffer& buffer, uint32_t meta) = nullptr;
};

// Calls the decoration's lineStart, where there is one.
inline void DecorLineStart(const LineDecor* d, TextBuffer& buffer, uint32_t meta) {
    if (d != nullptr && d->lineStart != nullptr) d->lineStart(d->context, buffer, meta);
}

struct TextStyle {
    const Pieces* pieces;
    NameWriter writeName;
    bool filesFirst = false;  // a folder's files before its subfolders (the Windows program: after)
    // Optional: appends a note after a folder's closing piece, e.g. " (50000 entries)" (none for the
    // Windows program).
    void (*folderNote)(void* context, TextBuffer& buffer, const FolderEntry& folder) = nullptr;
    void* noteContext = nullptr;
    const LineDecor* decor = nullptr;  // optional
    bool fullPaths = false;  // each entry's path from the root instead of its name (tree -f)
};

// `parent` + '/' + `name` into `out`, without a separator where `parent` already ends in one (a root given
// as "src/"; on Windows "C:\\" or "C:", EndsInSeparator): the command line's scan composes its paths so,
// and the writers that name entries by path follow it.
void JoinPath(std::string& out, std::string_view parent, std::string_view name);
inline std::string JoinedPath(std::string_view parent, std::string_view name) {
    std::string path;
    JoinPath(path, parent, name);
    return path;
}

// The paths the views write for TextStyle::fullPaths: a folder's path is its parent's, '/', its name (the
// root's is its name), kept for each depth of the folders being written.
struct EntryPaths {
    std::vector<std::string> atDepth;
    std::string file;
};
// The path of a folder at `depth` (0: the root) named `name`; it stays the path of that depth until the
// next folder there.
std::string_view FolderPath(EntryPaths& paths, int32_t depth, std::string_view name);
// The path of a file named `name` in the folder at `depth`.
std::string_view FilePath(EntryPaths& paths, int32_t depth, std::string_view name);

// A name with the decoration of `style` around it: lead, the opening piece for a folder, before, the
// name, after, the closing piece.
void AppendEntry(TextBuffer& buffer, const TextStyle& style, std::string_view name, uint32_t meta, bool folder,
                 bool shorten);

inline constexpr TextStyle kWindowsStyle{&kSjisPieces, AppendName};

// Appends the block of folder row `row` (its line, its subfolders' blocks, its files) and returns 1, or 0
// when the text passed the limit (the message is then shown once and the text so far stays).
int RenderTree(TextBuffer& buffer, ListingTables& tables, int32_t row, const ListOptions& options,
               const TextStyle& style);
int RenderIndented(TextBuffer& buffer, const ListingTables& tables, int32_t row, const TextStyle& style);
