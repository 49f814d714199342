// JSON and Markdown over the ordered tables: the same walk as the indented view, with a path kept only
// to tell symbolic links from files.
#include "formats/formats.h"

#include <unicode/utf8.h>

#include <vector>

#include "render/listing_index.h"
#include "render/name_escape.h"

namespace {

const char kHex[] = "0123456789abcdef";

void Put(TextBuffer& buffer, std::string_view text) { AppendBounded(buffer, text, text.size()); }

// What both formats' walks use: the tables' index, the path of each open folder (to tell links from
// files), and the folders over --filelimit.
struct Walker {
    const ListingTables& tables;
    const ListOptions& options;
    const FormatExtras& extras;
    ListingIndex index;
    std::vector<std::string> paths;  // folder paths as the scan composed them, one per open level

    std::string ChildPath(const std::string& parent, std::string_view name) const {
        std::string p = parent;
        if (p.empty() || p.back() != '/') p += '/';
        p.append(name);
        return p;
    }
    bool IsLink(size_t level, std::string_view name) const {
        return extras.links != nullptr && !extras.links->empty() &&
               extras.links->count(LinkKey(paths[level], name)) != 0;
    }
    // The entries of a folder --filelimit left unopened, or -1.
    int64_t EntriesOverLimit(const FolderEntry& f) const {
        if (extras.overLimit == nullptr) return -1;
        auto found = extras.overLimit->find(f.name);
        return found != extras.overLimit->end() ? found->second : -1;
    }
};

}  // namespace

std::string LinkKey(std::string_view folderPath, std::string_view name) {
    std::string key(folderPath);
    key += '\0';
    key.append(name);
    return key;
}

void AppendJsonName(std::string& out, std::string_view name, std::string& bytesHex) {
    bytesHex.clear();
    out += '"';
    const auto* s = reinterpret_cast<const uint8_t*>(name.data());
    int32_t length = int32_t(name.size());
    for (int32_t i = 0; i < length;) {
        int32_t start = i;
        UChar32 c;
        U8_NEXT(s, i, length, c);
        if (c < 0) {
            out += "\xEF\xBF\xBD";  // U+FFFD for each stretch that forms no character
            bytesHex = "?";
        } else if (c == '"' || c == '\\') {
            out += '\\';
            out += char(c);
        } else if (c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0x2028 || c == 0x2029 || IsBidiControl(c)) {
            // Controls (C0, DEL, C1), the line and paragraph separators, which a terminal or an editor
            // could take for a line end, and the bidirectional controls, which reorder what is shown:
            // valid JSON either way, but never written raw.
            AppendUnicodeEscape(out, uint32_t(c));
        } else {
            out.append(name.data() + start, size_t(i - start));
        }
    }
    out += '"';
    if (bytesHex.empty()) return;
    bytesHex.clear();
    for (uint8_t b : name) {
        bytesHex += kHex[b >> 4];
        bytesHex += kHex[b & 15];
    }
}

namespace {

const EntryMeta* MetaOf(const MetaTable* table, uint32_t meta) {
    return table != nullptr ? UsableMeta(*table, meta) : nullptr;
}

// "size", "mtime", "mode" and "target" where the options ask for them and the entry could be read.
void JsonMeta(TextBuffer& buffer, const MetaTable* table, uint32_t meta) {
    const EntryMeta* m = MetaOf(table, meta);
    if (m == nullptr) return;
    const MetaWants& w = table->wants;
    std::string out;
    if (w.size) out += ", \"size\": " + std::to_string(m->size);
    if (w.date) out += ", \"mtime\": \"" + IsoTime(m->mtime) + "\"";
    if (w.perms) out += ", \"mode\": \"" + FormatMode(m->mode) + "\"";
    if (w.classify && (m->flags & kMetaLink) && m->targetLen > 0) {
        std::string hex;
        out += ", \"target\": ";
        AppendJsonName(out, std::string_view(table->targets).substr(m->target, m->targetLen), hex);
        if (!hex.empty()) out += ", \"targetBytes\": \"" + hex + "\"";
    }
    Put(buffer, out);
}

// Markdown's " (1.5K, 2026-05-01 10:00)" after a name, for -s and -D.
void MarkdownMeta(std::string& line, const MetaTable* table, uint32_t meta) {
    const EntryMeta* m = MetaOf(table, meta);
    if (m == nullptr || (!table->wants.size && !table->wants.date)) return;
    line += " (";
    if (table->wants.size) line += FormatSize(m->size, table->wants.human, table->wants.si);
    if (table->wants.size && table->wants.date) line += ", ";
    if (table->wants.date) line.append(table->dates, m->date, m->dateLen);
    line += ')';
}

void JsonEntry(TextBuffer& buffer, std::string_view name, const char* type, size_t indent, bool first,
               std::string& scratch) {
    std::string hex;
    scratch.assign(indent == 0 ? "" : first ? "\n" : ",\n");
    scratch.append(indent * 2, ' ');
    scratch += "{\"name\": ";
    AppendJsonName(scratch, name, hex);
    if (!hex.empty()) scratch += ", \"bytes\": \"" + hex + "\"";
    scratch += ", \"type\": \"";
    scratch += type;
    scratch += '"';
    Put(buffer, scratch);
}

// Markdown's special characters, and spaces at either end (which a list item would drop), escaped.
void AppendMarkdownName(std::string& out, std::string_view escaped) {
    // Backslash escapes where every Markdown takes them; character references for the rest, which
    // some read as plain text and others (tables, strike-through, HTML) as markup.
    static const std::string_view kSpecial = "\\`*_{}[]()#+-.!";
    for (size_t i = 0; i < escaped.size(); ++i) {
        char ch = escaped[i];
        if (ch == ' ' && (i == 0 || i + 1 == escaped.size())) {
            out += "&#32;";
            continue;
        }
        const char* reference = ch == '&' ? "&amp;" : ch == '<' ? "&lt;" : ch == '>' ? "&gt;"
                              : ch == '|' ? "&#124;" : ch == '~' ? "&#126;" : nullptr;
        if (reference != nullptr) {
            out += reference;
            continue;
        }
        if (kSpecial.find(ch) != std::string_view::npos) out += '\\';
        out += ch;
    }
}

}  // namespace

void RenderJson(TextBuffer& buffer, const ListingTables& tables, const ListOptions& options,
                const FormatExtras& extras) {
    Walker w{tables, options, extras, {}, {}};
    BuildListingIndex(tables, w.index);
    std::string scratch;
    struct Frame {
        int32_t row, next;
        bool filesDone, any;
    };
    auto files = [&](Frame& fr, size_t level) {
        const FolderEntry& f = tables.folders[fr.row];
        if (!options.fileNames) return;
        for (int32_t k = w.index.fileStart[f.id]; k < w.index.fileStart[f.id + 1]; ++k) {
            std::string_view name = tables.Name(tables.FileRow(w.index.fileRows[k]));
            JsonEntry(buffer, name, w.IsLink(level, name) ? "link" : "file", level + 1, !fr.any, scratch);
            JsonMeta(buffer, extras.meta, tables.FileRow(w.index.fileRows[k]).meta);
            Put(buffer, "}");
            fr.any = true;
        }
    };
    auto open = [&](int32_t row, size_t level, bool first) {
        const FolderEntry& f = tables.folders[row];
        JsonEntry(buffer, tables.Name(f), "folder", level, first, scratch);
        JsonMeta(buffer, extras.meta, f.meta);
        int64_t entries = w.EntriesOverLimit(f);
        if (entries >= 0) Put(buffer, ", \"entries\": " + std::to_string(entries));
        Put(buffer, ", \"children\": [");
    };
    open(0, 0, true);
    w.paths.push_back(extras.rootPath);
    std::vector<Frame> stack{{0, 1, false, false}};
    while (!stack.empty()) {
        Frame& top = stack.back();
        size_t level = stack.size() - 1;
        const FolderEntry& f = tables.folders[top.row];
        if (extras.filesFirst && !top.filesDone) {
            files(top, level);
            top.filesDone = true;
        }
        if (top.next < top.row + f.subtreeSize) {
            int32_t child = top.next;
            top.next += tables.folders[child].subtreeSize;
            if (tables.folders[child].depth != f.depth + 1) continue;
            open(child, level + 1, !top.any);
            top.any = true;
            w.paths.push_back(w.ChildPath(w.paths.back(), tables.Name(tables.folders[child])));
            stack.push_back({child, child + 1, false, false});
            continue;
        }
        if (!extras.filesFirst) files(top, level);
        scratch.assign(top.any ? "\n" + std::string(level * 2, ' ') : std::string());
        scratch += "]";
        if (level == 0 && !extras.summary.empty()) {
            std::string hex;
            scratch += ", \"summary\": ";
            AppendJsonName(scratch, extras.summary, hex);
        }
        scratch += level == 0 ? "}\n" : "}";
        Put(buffer, scratch);
        stack.pop_back();
        w.paths.pop_back();
    }
}

void RenderMarkdown(TextBuffer& buffer, const ListingTables& tables, const ListOptions& options,
                    const FormatExtras& extras) {
    Walker w{tables, options, extras, {}, {}};
    BuildListingIndex(tables, w.index);
    std::string line;
    TextBuffer escaped;  // the text view's escaping of one name, before Markdown's
    auto item = [&](std::string_view name, uint32_t meta, size_t level, bool folder, int64_t entries) {
        escaped.text.clear();
        AppendNameUtf8(escaped, name, false);
        line.assign(level * 2, ' ');
        line += "- ";
        AppendMarkdownName(line, escaped.text);
        if (folder) line += '/';
        MarkdownMeta(line, extras.meta, meta);
        if (entries >= 0) line += " (" + std::to_string(entries) + " entries)";
        line += '\n';
        Put(buffer, line);
    };
    auto files = [&](int32_t row, size_t level) {
        const FolderEntry& f = tables.folders[row];
        if (!options.fileNames) return;
        for (int32_t k = w.index.fileStart[f.id]; k < w.index.fileStart[f.id + 1]; ++k)
        {
            const FileEntry& file = tables.FileRow(w.index.fileRows[k]);
            item(tables.Name(file), file.meta, level + 1, false, -1);
        }
    };
    auto folder = [&](int32_t row, size_t level) {
        const FolderEntry& f = tables.folders[row];
        item(tables.Name(f), f.meta, level, true, w.EntriesOverLimit(f));
        if (extras.filesFirst) files(row, level);
    };
    folder(0, 0);
    std::vector<std::pair<int32_t, int32_t>> stack{{0, 1}};
    while (!stack.empty()) {
        auto& [row, next] = stack.back();
        size_t level = stack.size() - 1;
        const FolderEntry& f = tables.folders[row];
        if (next < row + f.subtreeSize) {
            int32_t child = next;
            next += tables.folders[child].subtreeSize;
            if (tables.folders[child].depth != f.depth + 1) continue;
            folder(child, level + 1);
            stack.push_back({child, child + 1});
            continue;
        }
        if (!extras.filesFirst) files(row, level);
        stack.pop_back();
    }
    if (!extras.summary.empty()) Put(buffer, "\n" + extras.summary + "\n");
}
