// The parts of --parse's reader shared between its files (POSIX side; no OS or ICU call): the lines a
// paste is cut into once prompts, fences and the like are off, and the two readings made of them.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "readers/listing_reader.h"

// The lines of a paste that may belong to the listing, in order, with their numbers in the paste.
struct ListingLines {
    std::vector<std::string_view> lines;
    std::vector<size_t> numbers;
    bool treeSummary = false;  // `tree`'s "N directories, M files" line closed the listing
    bool ours = false;         // a root line "[ name ]": arbolin's own listing
};

// Cuts `text` into lines (LF or CRLF) and leaves out what is not part of the listing: a byte-order
// mark, blank lines and lines of vertical pieces alone, Markdown fences and headings, <pre> tags, shell
// prompts and command lines before the listing, Windows `tree`'s header lines before its drive root,
// `tree`'s summary line, a quoting prefix ("> ") shared by every line, backticks around a whole line.
void CleanLines(std::string_view text, ListingLines& out);

// Reads listings drawn by hand or by other programs: each line is placed by the column of its piece
// (any piece style, any indent width, tabs) or, in outlines without pieces, of its name; comments,
// marks and link targets come off the names. `text` is UTF-8.
void ReadDrawnListing(const ListingLines& lines, ParsedListing& out);

// Comments, marks and link targets off a name in a listing written by hand. `shared`: the comment
// markers that start comments on two lines or more of the listing (a marker used once after a single
// blank is a guess). Returns false when the cut is a guess; `what` then tells the part taken off.
struct CommentUse {
    int count[16] = {};
};
void CountComment(std::string_view name, CommentUse& use);
bool CleanName(std::string_view name, const CommentUse& shared, bool marks, ParsedEntry& e, std::string& what);

// `tree`'s bracketed fields before a name ("[4.0K]  ", "[drwxr-xr-x root root]  ") taken off `body`;
// a mode among them marks folders, links, FIFOs and sockets in `e`. False when `body` has none.
bool TakeTreeFields(std::string_view& body, ParsedEntry& e);

// True for the blanks of pasted listings: space, tab, no-break space, ideographic space.
bool IsBlankCode(int32_t code);
// Takes blanks off the end of `text`.
std::string_view TrimEnd(std::string_view text);
