// The HTML page: a head with inline CSS, then the same walk as the JSON document, folders as
// <details open><summary> around a list of their entries. Names go through the text view's escaping
// (control characters and invalid bytes C-style), then HTML's; links carry the raw bytes percent-encoded.
#include "formats/html.h"

#include <algorithm>
#include <vector>

#include "formats/walk.h"
#include "platform/chars.h"

namespace {

void Put(TextBuffer& buffer, std::string_view text) { AppendBounded(buffer, text, text.size()); }

const char kHead[] =
    "<!DOCTYPE html>\n<html>\n<head>\n<meta charset=\"utf-8\">\n"
    "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
    "<meta name=\"generator\" content=\"arbolin\">\n<title>";
const char kStyle[] =
    "</title>\n<style>\n"
    "body { font-family: ui-monospace, \"DejaVu Sans Mono\", monospace; font-size: 14px; margin: 1em; }\n"
    "h1 { font-size: 1.2em; }\n"
    "ul { list-style: none; margin: 0; padding-left: 1.4em; border-left: 1px dotted #999; }\n"
    "li { margin: 0.1em 0; }\n"
    "summary { cursor: pointer; font-weight: bold; }\n"
    "a { color: #0645ad; text-decoration: none; white-space: pre; }\n"
    "a:hover { text-decoration: underline; }\n"
    ".note, .summary { color: #666; font-weight: normal; }\n";
// Only a page with fields has them: spaces kept, so that they stand in columns.
const char kFieldsStyle[] = ".fields { color: #666; font-weight: normal; white-space: pre; }\n";
const char kStyleEnd[] = "</style>\n</head>\n<body>\n<h1>";

// Bytes that a name written as it is may hold: printable ASCII other than & < > " ' and the backslash.
struct PlainBytes {
    bool plain[256] = {};
    bool unreserved[256] = {};  // kept as they are in a link
    constexpr PlainBytes() {
        for (int b = 0x20; b < 0x7F; ++b) plain[b] = true;
        for (char special : std::string_view("&<>\"'\\")) plain[uint8_t(special)] = false;
        for (int b = 0; b < 256; ++b)
            unreserved[b] = (b >= 'a' && b <= 'z') || (b >= 'A' && b <= 'Z') || (b >= '0' && b <= '9') ||
                            b == '-' || b == '.' || b == '_' || b == '~';
    }
};
constexpr PlainBytes kBytes;

// The text view's escaping of one name (so a name reads the same as in the tree), then HTML's.
void AppendShownName(std::string& out, std::string_view name, TextBuffer& scratch) {
    if (std::all_of(name.begin(), name.end(), [](char c) { return kBytes.plain[uint8_t(c)]; })) {
        out.append(name);
        return;
    }
    scratch.text.clear();
    AppendNameUtf8(scratch, name, false);
    AppendHtmlEscaped(out, scratch.text);
}

// -p, -s and -D before a name, as the text view aligns them.
void AppendHtmlFields(std::string& out, const MetaTable* table, uint32_t meta) {
    if (table == nullptr || !table->wants.Fields()) return;
    std::string fields;
    AppendFields(fields, *table, meta);
    out += "<span class=\"fields\">";
    AppendHtmlEscaped(out, fields);
    out += "</span>";
}

// -F's mark after a file's name, and a link's " -> target" escaped as names are.
void AppendHtmlMark(std::string& out, const MetaTable* table, uint32_t meta, TextBuffer& scratch) {
    const EntryMeta* m = table != nullptr && table->wants.classify ? UsableMeta(*table, meta) : nullptr;
    if (m == nullptr) return;
    out += ClassifyMark(*m);
    std::string_view target = LinkTarget(*table, *m);
    if (target.empty()) return;
    out += " -&gt; ";
    AppendShownName(out, target, scratch);
}

}  // namespace

void AppendHtmlEscaped(std::string& out, std::string_view text) {
    size_t plain = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        const char* reference = nullptr;
        switch (text[i]) {
            case '&': reference = "&amp;"; break;
            case '<': reference = "&lt;"; break;
            case '>': reference = "&gt;"; break;
            case '"': reference = "&quot;"; break;
            case '\'': reference = "&#39;"; break;
            default: continue;
        }
        out.append(text.data() + plain, i - plain);
        out += reference;
        plain = i + 1;
    }
    out.append(text.data() + plain, text.size() - plain);
}

void AppendPercentEncoded(std::string& out, std::string_view component) {
    for (char ch : component) {
        auto b = uint8_t(ch);
        if (kBytes.unreserved[b]) {
            out += ch;
        } else {
            out += '%';
            AppendHexByte(out, b, true);
        }
    }
}

void RenderHtml(TextBuffer& buffer, const ListingTables& tables, const ListOptions& options,
                const FormatExtras& extras, const HtmlPage& page) {
    TextBuffer scratch;
    std::string line;
    const FolderEntry& root = tables.folders[0];

    if (page.intro != nullptr) Put(buffer, *page.intro);
    line = kHead;
    std::string title;
    if (page.title.empty())
        AppendShownName(title, tables.Name(root), scratch);
    else
        AppendHtmlEscaped(title, page.title);
    line += title;
    line += kStyle;
    if (extras.meta != nullptr && extras.meta->wants.Fields()) line += kFieldsStyle;
    line += kStyleEnd;
    line += title;
    line += "</h1>\n";
    if (page.intro == nullptr) Put(buffer, line);

    // Each open folder's link, ending in '/'. The folder "/" that --fromfile puts absolute paths in
    // stands for the top of the site: its children's links start with "/".
    std::vector<std::string> links;
    std::string rootLink;
    if (!page.baseHref.empty()) {
        AppendHtmlEscaped(rootLink, page.baseHref);
        if (rootLink.back() != '/') rootLink += '/';
    }
    auto childLink = [&](std::string& out, std::string_view name) {
        out = links.back();
        if (name == "/" && links.size() == 1) {
            if (!out.empty() && out.back() == '/') out.pop_back();
            out += '/';
            return;
        }
        AppendPercentEncoded(out, name);
        out += '/';
    };
    ListingWalk walk;
    StartWalk(walk, tables, options.fileNames, extras.filesFirst, extras.overLimit);
    WalkRow r;
    while (NextRow(walk, r)) {
        if (r.kind == WalkRow::kFile) {
            const FileEntry& file = tables.FileRow(r.row);
            std::string_view name = tables.Name(file);
            line.assign("<li>");
            AppendHtmlFields(line, extras.meta, file.meta);
            if (!options.folderNames || page.noLinks) {
                // Without folder rows a file's folder is unknown, and so is its link: none is better
                // than a wrong one.
                AppendShownName(line, name, scratch);
            } else {
                line += "<a href=\"";
                line += links.back();
                AppendPercentEncoded(line, name);
                line += "\">";
                AppendShownName(line, name, scratch);
                line += "</a>";
            }
            AppendHtmlMark(line, extras.meta, file.meta, scratch);
            line += "</li>\n";
            Put(buffer, line);
        } else if (r.kind == WalkRow::kFolder) {
            // A folder's opening: its summary, then its list.
            const FolderEntry& f = tables.folders[r.row];
            std::string link = rootLink;
            if (r.level > 0) childLink(link, tables.Name(f));
            line.assign(r.level == 0 ? "<details open><summary>" : "<li><details open><summary>");
            AppendHtmlFields(line, extras.meta, f.meta);
            if (!page.noLinks) line += "<a href=\"" + (link.empty() ? std::string("./") : link) + "\">";
            AppendShownName(line, tables.Name(f), scratch);
            if (!page.noLinks) line += "</a>";
            if (NotFollowed(extras.meta, f.meta)) {
                line += " <span class=\"note\">";
                line += kNotFollowedNote.substr(1);
                line += "</span>";
            }
            if (r.overLimit >= 0) line += " <span class=\"note\">" + EntriesNote(r.overLimit) + "</span>";
            line += "</summary>\n<ul>\n";
            Put(buffer, line);
            links.push_back(std::move(link));
        } else {
            Put(buffer, r.level == 0 ? "</ul>\n</details>\n" : "</ul>\n</details></li>\n");
            links.pop_back();
        }
    }
    line.clear();
    if (!extras.summary.empty()) {
        line = "<p class=\"summary\">";
        AppendHtmlEscaped(line, extras.summary);
        line += "</p>\n";
    }
    line += page.outro != nullptr ? *page.outro : std::string("</body>\n</html>\n");
    Put(buffer, line);
}
