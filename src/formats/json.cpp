// The JSON document over the ordered tables, and the JSON tree writer it shares with --parse: names
// escaped for JSON (invalid bytes also kept as hex), one entry a line, a path kept per open folder only to
// tell symbolic links from files.
#include <vector>

#include "formats/formats.h"
#include "platform/chars.h"
#include "render/name_escape.h"
#include "render/render.h"

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
    auto length = int32_t(name.size());
    bool invalid = false;
    for (int32_t i = 0; i < length;) {
        int32_t start = i;
        int32_t c = NextUtf8(s, i, length);
        if (c < 0) {
            out += "\xEF\xBF\xBD";  // U+FFFD for each stretch that forms no character
            invalid = true;
        } else if (c == '"' || c == '\\') {
            out += '\\';
            out += char(c);
        } else if (IsUnsafeCharacter(c)) {
            // Valid JSON either way, but never written raw.
            AppendUnicodeEscape(out, uint32_t(c));
        } else {
            out.append(name.data() + start, size_t(i - start));
        }
    }
    out += '"';
    if (!invalid) return;
    for (char b : name) AppendHexByte(bytesHex, uint8_t(b));
}

void AppendJsonEntry(std::string& out, std::string_view name, std::string_view type, int32_t level, bool first,
                     bool bytes) {
    if (level > 0) out += first ? "\n" : ",\n";
    out.append(size_t(level) * 2, ' ');
    out += "{\"name\": ";
    std::string hex;
    AppendJsonName(out, name, hex);
    if (bytes && !hex.empty()) out += ", \"bytes\": \"" + hex + "\"";
    out += ", \"type\": \"";
    out += type;
    out += '"';
}

void AppendJsonFolderEnd(std::string& out, int32_t level, bool any, std::string_view summary) {
    if (any) {
        out += '\n';
        out.append(size_t(level) * 2, ' ');
    }
    out += ']';
    if (!summary.empty()) {
        std::string hex;
        out += ", \"summary\": ";
        AppendJsonName(out, summary, hex);
    }
    out += level == 0 ? "}\n" : "}";
}

std::string_view FileTypeWord(const MetaTable* table, uint32_t meta, bool listedAsLink) {
    const EntryMeta* m = table != nullptr ? UsableMeta(*table, meta) : nullptr;
    if (m == nullptr) return listedAsLink ? "link" : "file";
    if (m->flags & kMetaLink) return "link";
    static const struct {
        EntryType type;
        std::string_view word;
    } kWords[] = {{kTypeFifo, "fifo"}, {kTypeSocket, "socket"}, {kTypeBlock, "block"}, {kTypeChar, "char"}};
    for (const auto& w : kWords)
        if (TypeOf(m->mode) == w.type) return w.word;
    return "file";
}

namespace {

void Put(TextBuffer& buffer, std::string_view text) { AppendBounded(buffer, text, text.size()); }

// A name from the system (a user's, a group's) as a JSON string field.
void AppendJsonField(std::string& out, std::string_view key, std::string_view value) {
    std::string hex;
    out += ", \"";
    out += key;
    out += "\": ";
    AppendJsonName(out, value, hex);
}

// "inode", "dev", "user", "group", "size", "mtime" (-c: "ctime"), "mode" and "target" where the options
// ask for them and the entry could be read.
void JsonMeta(TextBuffer& buffer, const MetaTable* table, uint32_t meta) {
    const EntryMeta* m = table != nullptr ? UsableMeta(*table, meta) : nullptr;
    if (m == nullptr) return;
    const MetaWants& w = table->wants;
    std::string out;
    if (w.inode) out += ", \"inode\": " + std::to_string(m->ino);
    if (w.device) out += ", \"dev\": " + std::to_string(DeviceNumber(m->dev));
    if (w.owner) AppendJsonField(out, "user", UserName(m->uid));
    if (w.group) AppendJsonField(out, "group", GroupName(m->gid));
    if (w.size) out += ", \"size\": " + std::to_string(m->size);
    if (w.date) {
        // The exact seconds beside the date, which the calendar may not reach (the date is then null).
        const char* field = w.changeTime ? "ctime" : "mtime";
        int64_t seconds = ShownTime(w, *m);
        std::string iso = IsoTime(seconds);
        out += iso.empty() ? ", \"" + std::string(field) + "\": null"
                           : ", \"" + std::string(field) + "\": \"" + iso + "\"";
        out += ", \"" + std::string(field) + "Seconds\": " + std::to_string(seconds);
    }
    if (w.perms) out += ", \"mode\": \"" + ShownMode(*m) + "\"";
    if (w.classify && (m->flags & kMetaLink) && m->targetLen > 0) {
        std::string hex;
        out += ", \"target\": ";
        AppendJsonName(out, std::string_view(table->targets).substr(m->target, m->targetLen), hex);
        if (!hex.empty()) out += ", \"targetBytes\": \"" + hex + "\"";
    }
    Put(buffer, out);
}

}  // namespace

void RenderJson(TextBuffer& buffer, const ListingTables& tables, const ListOptions& options,
                const FormatExtras& extras) {
    ListingWalk walk;
    StartWalk(walk, tables, options.fileNames, extras.filesFirst, extras.overLimit);
    std::vector<std::string> paths;  // folder paths as the scan composed them, one per open level
    std::string scratch;
    WalkRow r;
    while (NextRow(walk, r)) {
        scratch.clear();
        if (r.kind == WalkRow::kFile) {
            const FileEntry& file = tables.FileRow(r.row);
            std::string_view name = tables.Name(file);
            bool link = extras.links != nullptr && !extras.links->empty() &&
                        extras.links->count(LinkKey(paths.back(), name)) != 0;
            AppendJsonEntry(scratch, name, FileTypeWord(extras.meta, file.meta, link), r.level, r.first);
            Put(buffer, scratch);
            JsonMeta(buffer, extras.meta, file.meta);
            Put(buffer, "}");
        } else if (r.kind == WalkRow::kFolder) {
            const FolderEntry& f = tables.folders[r.row];
            AppendJsonEntry(scratch, tables.Name(f), "folder", r.level, r.first);
            Put(buffer, scratch);
            JsonMeta(buffer, extras.meta, f.meta);
            if (NotFollowed(extras.meta, f.meta)) Put(buffer, ", \"recursive\": true");
            if (r.overLimit >= 0) Put(buffer, ", \"entries\": " + std::to_string(r.overLimit));
            Put(buffer, kJsonChildren);
            paths.push_back(r.level == 0 ? extras.rootPath : JoinedPath(paths.back(), tables.Name(f)));
        } else {
            AppendJsonFolderEnd(scratch, r.level, !r.first, r.level == 0 ? extras.summary : std::string());
            Put(buffer, scratch);
            paths.pop_back();
        }
    }
}
