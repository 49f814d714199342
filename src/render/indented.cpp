// The indented view: the same lines as the tree view, indented with spaces, without connectors; names
// are written whole, and the file lines are written whatever the file-name option says.
#include <vector>

#include "render/listing_index.h"
#include "render/render.h"

namespace {

struct IndentWriter {
    TextBuffer& buffer;
    const ListingTables& tables;
    const Pieces& pieces;
    NameWriter writeName;
    const TextStyle& style;
    ListingIndex index;
    EntryPaths paths;  // style.fullPaths: the path of each open folder

    void Put(std::string_view piece) { AppendPiece(buffer, piece); }
    void Indent(int32_t steps) {
        for (int32_t i = 0; i < steps; ++i) Put(pieces.indent);
    }

    bool FolderLine(const FolderEntry& f) {
        if (f.nameLen == 0) return false;
        DecorLineStart(style.decor, buffer, f.meta);
        Indent(f.depth);
        std::string_view name = tables.Name(f);
        if (style.fullPaths) name = FolderPath(paths, f.depth, name);
        AppendEntry(buffer, style, name, f.meta, true, false);
        if (style.folderNote != nullptr) style.folderNote(style.noteContext, buffer, f);
        Put(pieces.eol);
        return true;
    }

    void FileLines(const FolderEntry& f) {
        for (int32_t k = index.fileStart[f.id]; k < index.fileStart[f.id + 1]; ++k) {
            const FileEntry& file = tables.FileRow(index.fileRows[k]);
            DecorLineStart(style.decor, buffer, file.meta);
            Indent(f.depth + 1);
            std::string_view name = tables.Name(file);
            if (style.fullPaths) name = FilePath(paths, f.depth, name);
            AppendEntry(buffer, style, name, file.meta, false, false);
            Put(pieces.eol);
        }
    }
};

}  // namespace

int RenderIndented(TextBuffer& buffer, const ListingTables& tables, int32_t row, const TextStyle& style) {
    IndentWriter w{buffer, tables, *style.pieces, style.writeName, style, {}, {}};
    BuildListingIndex(tables, w.index);
    if (!w.FolderLine(tables.folders[row])) return 0;
    if (style.filesFirst) w.FileLines(tables.folders[row]);
    std::vector<std::pair<int32_t, int32_t>> stack{{row, row + 1}};  // folder row, next child row
    while (!stack.empty()) {
        auto& [current, next] = stack.back();
        const FolderEntry& f = tables.folders[current];
        if (next < current + f.subtreeSize) {
            int32_t child = next;
            next += tables.folders[child].subtreeSize;
            if (tables.folders[child].depth != f.depth + 1) continue;
            if (!w.FolderLine(tables.folders[child])) return 0;
            if (style.filesFirst) w.FileLines(tables.folders[child]);
            stack.push_back({child, child + 1});
            continue;
        }
        if (!style.filesFirst) w.FileLines(f);
        if (!CheckTextLimit(buffer)) return 0;
        stack.pop_back();
    }
    return 1;
}
