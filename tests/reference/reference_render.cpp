// Test-only literal renderers: text buffer, name appending and both views exactly as defined (recursion,
// the parent search from row 0, the file loop over all fileTotal rows, the level flags).
#include "reference/reference_render.h"

#include <cstring>

namespace reference {

namespace {

// The Windows program's pieces, Shift_JIS.
constexpr const char* kBranch = "\x20\x84\xA0";  // " │"
constexpr const char* kBlank = "   ";
constexpr const char* kTee = "\x20\x84\xA5";   // " ├"
constexpr const char* kLast = "\x20\x84\xA4";  // " └"
constexpr const char* kOpen = "[ ";
constexpr const char* kClose = " ]";
constexpr const char* kEllipsis = "\x20\x81\x63";  // " …"
constexpr const char* kEol = "\r\n";

void Piece(TextBuffer& buffer, const char* piece) { AppendBounded(buffer, piece, std::strlen(piece)); }

bool IsLeadByte(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

// Where a long name is cut: after byte 14, or after byte 13 when byte 14 starts a two-byte character.
size_t CutLength(const char* name) {
    size_t i = 0;
    while (i < 13) i += IsLeadByte(static_cast<unsigned char>(name[i])) ? 2 : 1;
    return i == 13 && IsLeadByte(static_cast<unsigned char>(name[13])) ? 13 : 14;
}

}  // namespace

void InitTextBuffer(TextBuffer& buffer, int32_t capacity, int32_t limit) {
    buffer.bytes.assign(static_cast<size_t>(capacity), '\0');
    buffer.length = 0;
    buffer.capacity = capacity;
    buffer.limit = limit;
    buffer.full = false;
    buffer.tooMuchTextShown = 0;
    buffer.checkedLengths.clear();
}

void AppendBounded(TextBuffer& buffer, const char* src, size_t n) {
    if (buffer.full) return;
    size_t k = 0;
    while (k < n && src[k] != '\0') ++k;
    if (buffer.length + k > static_cast<size_t>(buffer.capacity - 1)) {
        buffer.full = true;
        return;
    }
    std::memcpy(buffer.bytes.data() + buffer.length, src, k);
    buffer.length += static_cast<int32_t>(k);
    buffer.bytes[buffer.length] = '\0';
}

void AppendName(TextBuffer& buffer, const char* name, bool nameLimit) {
    const size_t length = std::strlen(name);
    if (nameLimit && length > 17) {
        AppendBounded(buffer, name, CutLength(name));
        Piece(buffer, kEllipsis);
    } else {
        AppendBounded(buffer, name, length);
    }
}

bool CheckTextLimit(TextBuffer& buffer) {
    buffer.checkedLengths.push_back(buffer.length);
    if (buffer.full || buffer.length > buffer.limit) {
        ++buffer.tooMuchTextShown;
        return false;
    }
    return true;
}

int RenderTree(TextBuffer& buffer, ListingTables& tables, int32_t row, const ListOptions& options) {
    const FolderEntry& f = tables.folders[row];
    const int d = f.depth;
    int32_t* levelFlags = tables.levelFlags;

    if (f.name[0] == '\0') return 0;
    for (int c = d + 1; c <= 255; ++c) levelFlags[c] = 0;
    for (int c = 0; c <= d - 2; ++c) Piece(buffer, levelFlags[c] == 1 ? kBranch : kBlank);
    if (row != 0) {
        int32_t parent = 0;
        while (tables.folders[parent].id != f.parentId) ++parent;
        if (f.isLastSibling == 1 && tables.folders[parent].fileCount == 0) {
            levelFlags[d - 1] = 0;
            Piece(buffer, kLast);
        } else {
            Piece(buffer, kTee);
        }
    }
    Piece(buffer, kOpen);
    AppendName(buffer, f.name, options.nameLimit);
    Piece(buffer, kClose);
    Piece(buffer, kEol);

    for (int32_t i = 1; i <= f.subtreeSize - 1; ++i) {
        const int32_t child = row + i;
        if (tables.folders[child].depth == d + 1) {
            levelFlags[d + 1] = 1;
            if (RenderTree(buffer, tables, child, options) == 0) return 0;
        }
    }

    if (options.fileNames) {
        int32_t printed = 0;
        for (int32_t j = 0; j < tables.fileTotal; ++j) {
            const FileEntry& file = tables.files[j];
            if (file.folderId != f.id) continue;
            for (int c = 0; c <= d - 1; ++c) Piece(buffer, levelFlags[c] == 1 ? kBranch : kBlank);
            ++printed;
            if (printed == f.fileCount) {
                levelFlags[d] = 0;
                Piece(buffer, kLast);
            } else if (file.name[0] != '\0') {
                Piece(buffer, kTee);
            }
            AppendName(buffer, file.name, options.nameLimit);
            Piece(buffer, kEol);
        }
    }

    return CheckTextLimit(buffer) ? 1 : 0;
}

int RenderIndented(TextBuffer& buffer, const ListingTables& tables, int32_t row) {
    const FolderEntry& f = tables.folders[row];
    const int d = f.depth;

    if (f.name[0] == '\0') return 0;
    for (int step = 0; step < d; ++step) Piece(buffer, kBlank);
    Piece(buffer, kOpen);
    AppendBounded(buffer, f.name, std::strlen(f.name));
    Piece(buffer, kClose);
    Piece(buffer, kEol);

    for (int32_t i = 1; i <= f.subtreeSize - 1; ++i) {
        if (tables.folders[row + i].depth == d + 1) {
            if (RenderIndented(buffer, tables, row + i) == 0) return 0;
        }
    }

    for (int32_t j = 0; j < tables.fileTotal; ++j) {
        const FileEntry& file = tables.files[j];
        if (file.folderId != f.id) continue;
        for (int step = 0; step < d + 1; ++step) Piece(buffer, kBlank);
        AppendBounded(buffer, file.name, std::strlen(file.name));
        Piece(buffer, kEol);
    }

    return CheckTextLimit(buffer) ? 1 : 0;
}

}  // namespace reference
