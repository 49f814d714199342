// --parse (POSIX side): a pasted listing read back into the paths it shows. Reads the views `arbolin`
// prints (tree and indented, utf8 and sjis, both piece sets) and what `tree` prints; no folder is read.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "cli/options.h"

struct ParsedEntry {
    std::string name;   // UTF-8 (Shift_JIS input converted), escapes turned back into bytes
    int32_t level = 0;  // 1: an entry of the root
    bool folder = false;
    int32_t line = 0;
};

struct ParsedListing {
    std::string root;                  // the root line's name; empty when the listing has none
    std::vector<ParsedEntry> entries;  // in the listing's order
    std::vector<std::string> problems; // "line N: ...", one per line that could not be placed or read whole
    std::string dialect;               // which printer's form was recognised, for messages
};

// Reads `text` (the listing's bytes). `encoding` says whether it is Shift_JIS; kInputGuess decides by its
// bytes (Shift_JIS when it is not valid UTF-8). Dates among the metadata fields are read in
// `timeFormat` (strftime's form, as --timefmt writes them).
void ParseListing(std::string_view text, CliOptions::InputEncoding encoding, ParsedListing& out,
                  const std::string& timeFormat = MetaWants().timeFormat);

// Turns C-style escapes (\\ \a \b \t \n \v \f \r \xNN \uXXXX) back into bytes; `sjis`: the trail byte of
// a two-byte character is never the start of an escape.
std::string Unescape(std::string_view text, bool sjis);

// The listing's entries as one JSON tree, in the listing's order.
void WriteParsedJson(const ParsedListing& listing, std::string& out);
