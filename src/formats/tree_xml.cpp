// tree's own XML (-X): <tree>, the root <directory name=...> with its entries nested as elements named
// by their type (file, link, fifo, ...), the fields as tree's attributes, and a <report>. Names that XML
// cannot hold as they are (invalid UTF-8, control characters) have U+FFFD there and their exact bytes in
// a "bytes" attribute, as in JSON.
#include "formats/formats.h"
#include "formats/html.h"
#include "platform/chars.h"

namespace {

void Indent(std::string& out, int32_t level) { out.append(size_t(level + 1) * 2, ' '); }

// ` key="value"`, escaped for an attribute; `bytesKey` gets the hex of a value XML could not hold whole.
void XmlAttribute(std::string& out, std::string_view key, std::string_view value, std::string_view bytesKey) {
    out += ' ';
    out += key;
    out += "=\"";
    const auto* s = reinterpret_cast<const uint8_t*>(value.data());
    auto length = int32_t(value.size());
    bool lost = false;
    for (int32_t i = 0; i < length;) {
        int32_t start = i;
        int32_t c = NextUtf8(s, i, length);
        if (c < 0 || (c < 0x20 && c != '\t' && c != '\n' && c != '\r')) {
            out += "\xEF\xBF\xBD";  // XML 1.0 has no way to write these, not even as references
            lost = true;
        } else if (IsUnsafeCharacter(c)) {
            out += "&#x";
            AppendHexByte(out, uint8_t(c >> 8), true);
            AppendHexByte(out, uint8_t(c), true);
            out += ';';
        } else {
            AppendHtmlEscaped(out, value.substr(size_t(start), size_t(i - start)));
        }
    }
    out += '"';
    if (!lost) return;
    out += ' ';
    out += bytesKey;
    out += "=\"";
    for (char b : value) AppendHexByte(out, uint8_t(b));
    out += '"';
}

void XmlBegin(std::string& out) { out += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<tree>"; }

void XmlEntry(std::string& out, const TreeEntry& e) {
    out += '\n';
    Indent(out, e.level);
    out += '<';
    out += e.type;
    XmlAttribute(out, "name", e.name, "bytes");
    for (const TreeField& f : *e.fields) XmlAttribute(out, f.name, f.value, std::string(f.name) + "Bytes");
    out += '>';
    if (e.folder) return;
    out += "</";
    out += e.type;
    out += '>';
}

void XmlContents(std::string&, int32_t) {}

void XmlClose(std::string& out, std::string_view type, int32_t level, bool hadEntries) {
    if (hadEntries) {
        out += '\n';
        Indent(out, level);
    }
    out += "</";
    out += type;
    out += '>';
}

void XmlEnd(std::string& out, int64_t folders, int64_t files) {
    out += "\n  <report>\n    <directories>" + std::to_string(folders) + "</directories>\n    <files>" +
           std::to_string(files) + "</files>\n  </report>\n</tree>\n";
}

}  // namespace

void RenderTreeXml(TextBuffer& buffer, const ListingTables& tables, const ListOptions& options,
                   const FormatExtras& extras) {
    static constexpr TreeSyntax kXml{XmlBegin, XmlEntry, XmlContents, XmlClose, XmlEnd};
    RenderTreeDocument(buffer, tables, options, extras, kXml);
}
