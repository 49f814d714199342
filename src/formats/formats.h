// Documents written from the ordered tables: one JSON document, a nested Markdown list and an HTML page
// (html.h), each streamed through the text buffer by one walk (walk.h), as the text views are; and the
// JSON tree writer --parse's output shares.
// This folder may use `listing` (the tables), `render` (the text buffer, the text view's name escaping,
// the listing index), `metadata` (the fields of the metadata options) and platform's character data
// (platform/chars.h); it reads no disk and knows no option of the command line's.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "formats/walk.h"
#include "listing/listing.h"
#include "metadata/metadata.h"
#include "render/render.h"

// What the tables do not hold but these formats show.
struct FormatExtras {
    std::string rootPath;                                  // FOLDER as the scan opened it
    const std::unordered_set<std::string>* links = nullptr;  // LinkKey of every symbolic link read
    const OverLimitMap* overLimit = nullptr;               // folders --filelimit left unopened
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

// ---- The JSON tree writer, which RenderJson and --parse's JSON share.

// A name as a JSON string value (quotes included), as RenderJson writes it; `bytesHex` gets the hex of
// the name when it is not valid UTF-8, else stays empty.
void AppendJsonName(std::string& out, std::string_view name, std::string& bytesHex);
// Opens one entry of the tree: the separator (none before the root, a line break before a folder's
// first entry, a comma and one before the others), two spaces a level, then {"name": ..., "bytes": ...
// (with `bytes`, where the name is not valid UTF-8), "type": "TYPE". The caller adds what else the
// entry holds and closes it: "}" for a file, kJsonChildren and AppendJsonFolderEnd for a folder.
void AppendJsonEntry(std::string& out, std::string_view name, std::string_view type, int32_t level, bool first,
                     bool bytes = true);
inline constexpr std::string_view kJsonChildren = ", \"children\": [";
// Closes the children of a folder at `level`: a line break and the folder's indent where it had
// children (`any`), "]", the root's "summary" where one is given, "}", and a line break after the root.
void AppendJsonFolderEnd(std::string& out, int32_t level, bool any, std::string_view summary);

// JSON's word for the kind of a file row (folders are "folder" in --format json, "directory" in -J):
// "file", "link", "fifo", "socket", "block" or "char", tree -J's words, from the row's metadata where
// it was read, else "link" or "file" as `listedAsLink` says.
std::string_view FileTypeWord(const MetaTable* table, uint32_t meta, bool listedAsLink);

// ---- tree's own documents, -J and -X: the same entries, fields and report in two syntaxes.

// One field as tree writes it: its name, its value as text, and whether JSON writes it as a number.
struct TreeField {
    std::string_view name;
    std::string value;
    bool number;
};
// The fields of row metadata `meta` that the options ask for, in tree's order: a link's "target",
// "inode", "dev", "mode" (octal) and "prot" (-p), "user", "group", "size", "time" (-D's text).
void TreeFields(std::vector<TreeField>& out, const MetaTable* table, uint32_t meta);

struct TreeEntry {
    std::string_view type;  // "directory", or FileTypeWord's
    std::string_view name;
    const std::vector<TreeField>* fields;
    int32_t level;          // 0: the root
    bool first;             // the first entry of its folder
    bool folder;
};
// How one syntax writes the document's parts; each appends to `out`.
struct TreeSyntax {
    void (*begin)(std::string& out);
    void (*entry)(std::string& out, const TreeEntry& e);  // a folder stays open
    void (*contents)(std::string& out, int32_t level);     // before the first entry of a folder at `level`
    void (*close)(std::string& out, std::string_view type, int32_t level, bool hadEntries);
    void (*end)(std::string& out, int64_t folders, int64_t files);  // the report's counts
};
void RenderTreeDocument(TextBuffer& buffer, const ListingTables& tables, const ListOptions& options,
                        const FormatExtras& extras, const TreeSyntax& syntax);
// [{"type":"directory","name":...,"contents":[...]}, {"type":"report","directories":N,"files":M}], one
// entry a line, as tree -J writes it.
void RenderTreeJson(TextBuffer& buffer, const ListingTables& tables, const ListOptions& options,
                    const FormatExtras& extras);
// <tree><directory name=...>...</directory><report>...</report></tree>, as tree -X writes it.
void RenderTreeXml(TextBuffer& buffer, const ListingTables& tables, const ListOptions& options,
                   const FormatExtras& extras);
