// The Markdown list over the ordered tables: one item a line, two spaces a level, each name through the
// text view's escaping and then Markdown's.
#include "formats/formats.h"

namespace {

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

// -F's mark after a name, a link's " -> target", then " (-rw-r--r--, 1.5K, 2026-05-01 10:00)" for -p, -s
// and -D, in the text view's order.
void MarkdownMeta(std::string& line, const MetaTable* table, uint32_t meta, bool folder, TextBuffer& scratch) {
    const EntryMeta* m = table != nullptr ? UsableMeta(*table, meta) : nullptr;
    if (m == nullptr) return;
    const MetaWants& w = table->wants;
    if (w.classify && !folder) {
        AppendMarkdownName(line, ClassifyMark(*m));
        if (std::string_view target = LinkTarget(*table, *m); !target.empty()) {
            line += " -&gt; ";
            scratch.text.clear();
            AppendNameUtf8(scratch, target, false);
            AppendMarkdownName(line, scratch.text);
        }
    }
    if (!w.Fields()) return;
    const char* comma = "";
    line += " (";
    if (w.perms) {
        line += ShownMode(*m);
        comma = ", ";
    }
    if (w.size) {
        line += comma;
        line += FormatSize(m->size, w.human, w.si);
        comma = ", ";
    }
    if (w.date) {
        line += comma;
        line.append(table->dates, m->date, m->dateLen);
    }
    line += ')';
}

}  // namespace

void RenderMarkdown(TextBuffer& buffer, const ListingTables& tables, const ListOptions& options,
                    const FormatExtras& extras) {
    ListingWalk walk;
    StartWalk(walk, tables, options.fileNames, extras.filesFirst, extras.overLimit);
    std::string line;
    TextBuffer escaped;  // the text view's escaping of one name, before Markdown's
    WalkRow r;
    while (NextRow(walk, r)) {
        if (r.kind == WalkRow::kFolderEnd) continue;
        bool folder = r.kind == WalkRow::kFolder;
        std::string_view name = folder ? tables.Name(tables.folders[r.row]) : tables.Name(tables.FileRow(r.row));
        escaped.text.clear();
        AppendNameUtf8(escaped, name, false);
        line.assign(size_t(r.level) * 2, ' ');
        line += "- ";
        AppendMarkdownName(line, escaped.text);
        if (folder) line += '/';
        uint32_t meta = folder ? tables.folders[r.row].meta : tables.FileRow(r.row).meta;
        MarkdownMeta(line, extras.meta, meta, folder, escaped);
        if (folder && NotFollowed(extras.meta, meta)) {
            line += ' ';
            AppendMarkdownName(line, kNotFollowedNote.substr(1));
        }
        if (r.overLimit >= 0) {
            line += ' ';
            line += EntriesNote(r.overLimit);
        }
        line += '\n';
        AppendBounded(buffer, line, line.size());
    }
    if (!extras.summary.empty()) {
        std::string summary = "\n" + extras.summary + "\n";
        AppendBounded(buffer, summary, summary.size());
    }
}
