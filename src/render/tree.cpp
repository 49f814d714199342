// The tree view: one line per folder and per file, drawn with the branch pieces, a folder's subfolders
// before its files. Walks the folders with its own stack and looks parents and files up in an index.
#include <algorithm>
#include <string>
#include <vector>

#include "render/listing_index.h"
#include "render/render.h"

namespace {

struct TreeWriter {
    TextBuffer& buffer;
    ListingTables& tables;
    const ListOptions& options;
    const Pieces& pieces;
    NameWriter writeName;
    const TextStyle& style;
    ListingIndex index;
    bool filesFirst;  // files before subfolders, when there are file lines at all
    size_t highFlag;  // no level flag above this column is set
    std::string filePrefix;  // the columns before a folder's file lines, made once per folder
    EntryPaths paths;        // style.fullPaths: the path of each open folder

    void Put(std::string_view piece) { AppendPiece(buffer, piece); }

    void SetFlag(size_t column, int32_t value) {
        auto& flags = tables.levelFlags;
        if (column >= flags.size()) {
            if (value == 0) return;
            flags.resize(column + 1, 0);
        }
        flags[column] = value;
        if (value != 0) highFlag = std::max(highFlag, column);
    }

    // Columns 0 ... count - 1: a branch where the column's branch goes on, else blank.
    void Prefix(int32_t count) {
        for (int32_t c = 0; c < count; ++c) Put(tables.levelFlags[c] ? pieces.branch : pieces.blank);
    }

    // A folder's own line. False when the row has no name: the rendering is then abandoned.
    bool FolderLine(int32_t row) {
        const FolderEntry& f = tables.folders[row];
        int32_t d = f.depth;
        if (f.nameLen == 0) return false;
        auto& flags = tables.levelFlags;
        for (size_t c = d + 1; c <= highFlag && c < flags.size(); ++c) flags[c] = 0;
        highFlag = std::min<size_t>(highFlag, d);
        DecorLineStart(style.decor, buffer, f.meta);
        Prefix(d - 1);
        if (row != 0) {
            // A last subfolder closes its column only when no file of the parent follows it.
            const FolderEntry& parent = tables.folders[index.rowOfId[f.parentId]];
            if (f.isLastSibling == 1 && (filesFirst || parent.fileCount == 0)) {
                SetFlag(d - 1, 0);
                Put(pieces.last);
            } else {
                Put(pieces.tee);
            }
        }
        std::string_view name = tables.Name(f);
        if (style.fullPaths) name = FolderPath(paths, d, name);
        AppendEntry(buffer, style, name, f.meta, true, options.nameLimit);
        if (style.folderNote != nullptr) style.folderNote(style.noteContext, buffer, f);
        Put(pieces.eol);
        return true;
    }

    // With files first, a subfolder's line may still follow them: then the last file is no last entry.
    bool HasSubfolders(int32_t row) const {
        const FolderEntry& f = tables.folders[row];
        return f.subtreeSize > 1 && tables.folders[row + 1].depth == f.depth + 1;
    }

    void FileLines(const FolderEntry& f, bool foldersFollow) {
        // A folder's file lines share their columns (the flags they read do not change on the way). A
        // growing buffer takes them whole; a bounded one piece by piece, so that it fills up where it did.
        int32_t first = index.fileStart[f.id], end = index.fileStart[f.id + 1];
        bool whole = buffer.capacity == 0 && first < end;
        if (whole) {
            filePrefix.clear();
            for (int32_t c = 0; c < f.depth; ++c) filePrefix += tables.levelFlags[c] ? pieces.branch : pieces.blank;
        }
        int32_t printed = 0;
        for (int32_t k = first; k < end; ++k) {
            const FileEntry& file = tables.FileRow(index.fileRows[k]);
            DecorLineStart(style.decor, buffer, file.meta);
            if (whole) {
                Put(filePrefix);
            } else {
                Prefix(f.depth);
            }
            if (++printed == f.fileCount && !foldersFollow) {
                SetFlag(f.depth, 0);
                Put(pieces.last);
            } else if (file.nameLen != 0) {
                Put(pieces.tee);
            }
            if (file.nameLen != 0) {
                std::string_view name = tables.Name(file);
                if (style.fullPaths) name = FilePath(paths, f.depth, name);
                AppendEntry(buffer, style, name, file.meta, false, options.nameLimit);
            }
            Put(pieces.eol);
        }
    }
};

struct Frame {
    int32_t row;
    int32_t nextChild;
};

}  // namespace

int RenderTree(TextBuffer& buffer, ListingTables& tables, int32_t row, const ListOptions& options,
               const TextStyle& style) {
    TreeWriter w{buffer, tables, options, *style.pieces, style.writeName, style, {},
                 style.filesFirst && options.fileNames, tables.levelFlags.size(), {}, {}};
    BuildListingIndex(tables, w.index);
    const bool filesFirst = w.filesFirst;
    if (!w.FolderLine(row)) return 0;
    if (filesFirst) w.FileLines(tables.folders[row], w.HasSubfolders(row));
    std::vector<Frame> stack{{row, row + 1}};
    while (!stack.empty()) {
        Frame& top = stack.back();
        const FolderEntry& f = tables.folders[top.row];
        if (top.nextChild < top.row + f.subtreeSize) {
            int32_t child = top.nextChild;
            top.nextChild += tables.folders[child].subtreeSize;
            if (tables.folders[child].depth != f.depth + 1) continue;
            w.SetFlag(f.depth + 1, 1);
            if (!w.FolderLine(child)) return 0;
            if (filesFirst) w.FileLines(tables.folders[child], w.HasSubfolders(child));
            stack.push_back({child, child + 1});
            continue;
        }
        if (options.fileNames && !filesFirst) w.FileLines(f, false);
        if (!CheckTextLimit(buffer)) return 0;
        stack.pop_back();
    }
    return 1;
}
