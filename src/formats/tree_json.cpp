// tree's own JSON (-J) and the walk it shares with tree's XML (tree_xml.cpp): an array of the root
// directory, entries nested under "contents", and a report object; each entry {"type", "name", then the
// fields tree writes for the options, under tree's names}. The entries and their order are arbolin's.
#include "formats/formats.h"

namespace {

void Put(TextBuffer& buffer, std::string_view text) { AppendBounded(buffer, text, text.size()); }

void Indent(std::string& out, int32_t level) { out.append(size_t(level + 1) * 2, ' '); }

// A JSON string, and "<name>Bytes" with the exact bytes where they are not valid UTF-8.
void JsonValue(std::string& out, std::string_view key, std::string_view value) {
    std::string hex;
    out += '"';
    out += key;
    out += "\":";
    AppendJsonName(out, value, hex);
    if (hex.empty()) return;
    out += key == "name" ? ",\"bytes" : ",\"" + std::string(key) + "Bytes";
    out += "\":\"" + hex + "\"";
}

void JsonBegin(std::string& out) { out += '['; }

void JsonEntry(std::string& out, const TreeEntry& e) {
    out += e.first ? "\n" : ",\n";
    Indent(out, e.level);
    out += "{\"type\":\"";
    out += e.type;
    out += "\",";
    JsonValue(out, "name", e.name);
    for (const TreeField& f : *e.fields) {
        out += ',';
        if (f.number) {
            out += '"';
            out += f.name;
            out += "\":";
            out += f.value;
        } else {
            JsonValue(out, f.name, f.value);
        }
    }
    if (!e.folder) out += '}';
}

void JsonContents(std::string& out, int32_t) { out += ",\"contents\":["; }

void JsonClose(std::string& out, std::string_view, int32_t level, bool hadEntries) {
    if (hadEntries) {
        out += '\n';
        Indent(out, level);
        out += ']';
    }
    out += '}';
}

void JsonEnd(std::string& out, int64_t folders, int64_t files) {
    out += "\n,\n  {\"type\":\"report\",\"directories\":" + std::to_string(folders) +
           ",\"files\":" + std::to_string(files) + "}\n]\n";
}

}  // namespace

void TreeFields(std::vector<TreeField>& out, const MetaTable* table, uint32_t meta) {
    out.clear();
    const EntryMeta* m = table != nullptr ? UsableMeta(*table, meta) : nullptr;
    if (m == nullptr) return;
    const MetaWants& w = table->wants;
    if ((m->flags & kMetaLink) && m->targetLen > 0)
        out.push_back({"target", std::string(std::string_view(table->targets).substr(m->target, m->targetLen)), false});
    if (w.inode) out.push_back({"inode", std::to_string(m->ino), true});
    if (w.device) out.push_back({"dev", std::to_string(DeviceNumber(m->dev)), true});
    if (w.perms) {
        out.push_back({"mode", OctalMode(m->mode), false});
        out.push_back({"prot", ShownMode(*m), false});
    }
    if (w.owner) out.push_back({"user", UserName(m->uid), false});
    if (w.group) out.push_back({"group", GroupName(m->gid), false});
    if (w.size) out.push_back({"size", FormatSize(m->size, w.human, w.si), !w.human && !w.si});
    if (w.date) out.push_back({"time", std::string(std::string_view(table->dates).substr(m->date, m->dateLen)), false});
}

void RenderTreeDocument(TextBuffer& buffer, const ListingTables& tables, const ListOptions& options,
                        const FormatExtras& extras, const TreeSyntax& syntax) {
    ListingWalk walk;
    StartWalk(walk, tables, options.fileNames, extras.filesFirst, nullptr);
    std::vector<TreeField> fields;
    std::vector<std::string_view> openTypes;  // the element each open folder closes with
    std::string out;
    int64_t folders = 0, files = 0;
    bool contentsDue = false;  // a folder's line is open, its "contents" not yet
    syntax.begin(out);
    WalkRow r;
    while (NextRow(walk, r)) {
        // A folder's contents open with its first entry; one without entries closes without any.
        if (contentsDue && r.kind != WalkRow::kFolderEnd) syntax.contents(out, r.level - 1);
        contentsDue = false;
        if (r.kind == WalkRow::kFolderEnd) {
            syntax.close(out, openTypes.back(), r.level, !r.first);
            openTypes.pop_back();
        } else {
            bool folder = r.kind == WalkRow::kFolder;
            uint32_t meta = folder ? tables.folders[r.row].meta : tables.FileRow(r.row).meta;
            std::string_view name = folder ? tables.Name(tables.folders[r.row]) : tables.Name(tables.FileRow(r.row));
            TreeFields(fields, extras.meta, meta);
            TreeEntry e{folder ? std::string_view("directory") : FileTypeWord(extras.meta, meta, false), name,
                        &fields, r.level, r.first, folder};
            syntax.entry(out, e);
            if (folder) {
                openTypes.push_back(e.type);
                contentsDue = true;
                folders += r.level > 0;
            } else {
                ++files;
            }
        }
        Put(buffer, out);
        out.clear();
    }
    // tree counts the root among the directories, once it holds anything.
    syntax.end(out, folders + (folders + files > 0 ? 1 : 0), files);
    Put(buffer, out);
}

void RenderTreeJson(TextBuffer& buffer, const ListingTables& tables, const ListOptions& options,
                    const FormatExtras& extras) {
    static constexpr TreeSyntax kJson{JsonBegin, JsonEntry, JsonContents, JsonClose, JsonEnd};
    RenderTreeDocument(buffer, tables, options, extras, kJson);
}
