// --parse (POSIX side): a pasted listing read back into the paths it shows. Reads the views `arbolin`
// prints (tree and indented, utf8 and sjis, both piece sets), what `tree` prints (its fields too) and
// listings drawn by hand or by other programs (Windows `tree`, outlines, any piece style).
// The readers folder turns text back into a listing: this reader behind --parse, the path list behind
// --fromfile (path_list.h) and the in-memory source they fill (source_memory.h); no folder is read. It
// may use `listing`, `render` (the pieces and the escapes it reads back), `platform` (character data,
// code pages, the list's bytes, messages) and formats' JSON tree writer and note texts; never the command
// line's options.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct ParsedEntry {
    std::string name;   // UTF-8 (Shift_JIS input converted), escapes turned back into bytes
    int32_t level = 0;  // 1: an entry of the root
    bool folder = false;
    int32_t line = 0;
    std::string_view type = "file";  // JSON's word for what is not a folder: "file", "link", "fifo", "socket"
    std::string target;              // a link's target where the listing shows one
};

struct ParsedListing {
    std::string root;                  // the root line's name; empty when the listing has none
    std::vector<ParsedEntry> entries;  // in the listing's order
    std::vector<std::string> problems; // "line N: ...", one per line that could not be placed or read whole
    int64_t unsaid = 0;                // lines not placed that a problem above already speaks for
    std::string dialect;               // which printer's form was recognised, for messages
};

// What the listing's bytes are: kGuess decides by them (Shift_JIS when they are not valid UTF-8).
enum class ListingEncoding { kGuess, kUtf8, kSjis };

// Reads `text` (the listing's bytes) in `encoding`. Dates among the metadata fields are read in
// `timeFormat` (strftime's form, as --timefmt writes them).
void ParseListing(std::string_view text, ListingEncoding encoding, ParsedListing& out, const std::string& timeFormat);

// Turns C-style escapes (\\ \a \b \t \n \v \f \r \xNN \uXXXX) back into bytes; `sjis`: the trail byte of
// a two-byte character is never the start of an escape.
std::string Unescape(std::string_view text, bool sjis);

// Walks the entries in the listing's order with each one's path below the root: names joined by '/',
// a folder's path ending in '/'.
template <typename Visit>
void ForEachParsedPath(const ParsedListing& listing, Visit visit) {
    std::vector<size_t> folderEnds{0};  // where each open folder's path ends in `path`
    std::string path;
    for (const ParsedEntry& e : listing.entries) {
        folderEnds.resize(size_t(e.level));
        path.resize(folderEnds.back());
        path += e.name;
        if (e.folder) {
            path += '/';
            folderEnds.push_back(path.size());
        }
        visit(e, std::string_view(path));
    }
}

// The listing's entries as one JSON tree, in the listing's order.
void WriteParsedJson(const ParsedListing& listing, std::string& out);
