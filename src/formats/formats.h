// The command line's structured outputs (POSIX side): one JSON document and a nested Markdown list, both
// streamed through the text buffer from the ordered tables, as the text views are.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

#include "metadata/metadata.h"
#include "listing/listing.h"
#include "render/render.h"

// What the tables do not hold but these formats show.
struct FormatExtras {
    std::string rootPath;                                  // FOLDER as the scan opened it
    const std::unordered_set<std::string>* links = nullptr;  // LinkKey of every symbolic link read
    const std::unordered_map<uint32_t, int64_t>* overLimit = nullptr;  // folder name offset -> entries
    bool filesFirst = false;
    std::string summary;                                   // empty: no summary
    const MetaTable* meta = nullptr;                       // the metadata options' fields, where asked
};

// The key under which a link named `name` in the folder at `folderPath` (as the scan composes paths) is
// remembered.
std::string LinkKey(std::string_view folderPath, std::string_view name);

// {"name": ..., "type": "folder", "children": [...]} nested, one entry a line. Names that are valid UTF-8
// are JSON strings as they are, but for controls (C0, DEL, C1), U+2028/U+2029 and the bidirectional
// controls, written as \uXXXX;
// a name with invalid bytes has them as U+FFFD in "name" and its exact
// bytes in "bytes" (hex), so nothing is lost and the document stays valid. A folder over --filelimit has
// "entries" and no children; a summary is a last "summary" string of the root.
void RenderJson(TextBuffer& buffer, const ListingTables& tables, const ListOptions& options,
                const FormatExtras& extras);
// A nested list, two spaces a level, folders ending in '/', Markdown's special characters escaped (and
// control characters and invalid bytes escaped C-style as in the text view).
void RenderMarkdown(TextBuffer& buffer, const ListingTables& tables, const ListOptions& options,
                    const FormatExtras& extras);

// A name as a JSON string value (quotes included), as RenderJson writes it; `bytesHex` gets the hex of
// the name when it is not valid UTF-8, else stays empty.
void AppendJsonName(std::string& out, std::string_view name, std::string& bytesHex);
