// The document writers' walk over in-memory trees, against the indented view (the Windows program's
// order), with files first or last, --filelimit's notes and the first/last flags; and the escapers'
// hex digits against printf's.
#include <gtest/gtest.h>

#include <cstdio>

#include "formats/formats.h"
#include "formats/html.h"
#include "platform/chars.h"
#include "platform/disk_source.h"
#include "render/name_escape.h"
#include "support/memory_tree.h"

namespace {

struct Walked {
    std::string lines;  // as the indented view writes them, the over-limit note after a folder
    std::string flags;  // per row: F (folder), f (file) or E (end), its level, then 'first' and 'last'
};

Walked Walk(const ListingTables& tables, bool filesFirst, const OverLimitMap* overLimit) {
    ListingWalk walk;
    StartWalk(walk, tables, true, filesFirst, overLimit);
    Walked out;
    WalkRow r;
    while (NextRow(walk, r)) {
        out.flags += r.kind == WalkRow::kFolder ? 'F' : r.kind == WalkRow::kFile ? 'f' : 'E';
        out.flags += std::to_string(r.level);
        if (r.kind != WalkRow::kFolderEnd) out.flags += std::string(r.first ? "<" : "") + (r.last ? ">" : "");
        out.flags += ' ';
        if (r.kind == WalkRow::kFolderEnd) continue;
        out.lines.append(size_t(r.level) * 3, ' ');
        if (r.kind == WalkRow::kFolder) {
            out.lines += "[ " + std::string(tables.Name(tables.folders[r.row])) + " ]";
            if (r.overLimit >= 0) out.lines += " " + EntriesNote(r.overLimit);
        } else {
            out.lines += tables.Name(tables.FileRow(r.row));
        }
        out.lines += '\n';
    }
    return out;
}

struct Note {
    const OverLimitMap* map;
    const ListingTables* tables;
};

void NoteOverLimit(void* context, TextBuffer& buffer, const FolderEntry& folder) {
    auto* note = static_cast<Note*>(context);
    if (note->map == nullptr) return;
    auto found = note->map->find(folder.name);
    if (found == note->map->end()) return;
    std::string text = " " + EntriesNote(found->second);
    AppendBounded(buffer, text, text.size());
}

std::string Indented(const ListingTables& tables, bool filesFirst, const OverLimitMap* overLimit) {
    TextBuffer buffer;
    InitTextBuffer(buffer, kNoLimits);
    Note note{overLimit, &tables};
    TextStyle style{&kUtf8Pieces, AppendNameUtf8, filesFirst, NoteOverLimit, &note};
    EXPECT_EQ(RenderIndented(buffer, tables, 0, style), 1);
    return buffer.text;
}

TEST(ListingWalk, RowsAndFlagsAsTheIndentedViewOrdersThem) {
    struct Case {
        const char* outline;
        bool filesFirst;
        const char* overLimit;  // a folder whose entries --filelimit left out (noted with 7), or ""
        const char* flags;
    };
    const Case cases[] = {
        {"", false, "", "F0<> E0 "},
        {"b.txt\na/\n  x\nc/\n", false, "", "F0<> F1< f2<> E1 F1 E1 f1> E0 "},
        {"b.txt\na/\n  x\nc/\n", true, "", "F0<> f1< F1 f2<> E1 F1> E1 E0 "},
        {"a/\n  b/\n    c/\n  d\n", false, "b", "F0<> F1<> F2< F3<> E3 E2 f2> E1 E0 "},
        {"a/\n  b/\n    c/\n  d\n", true, "", "F0<> F1<> f2< F2> F3<> E3 E2 E1 E0 "},
        {"only\n", true, "", "F0<> f1<> E0 "},
    };
    for (const Case& c : cases) {
        MemoryTree tree = MemoryTree::Parse("top", c.outline);
        ListingTables tables;
        InitListing(tables, kNoLimits);
        ListOptions options;
        ASSERT_LT(BuildListing(tables, tree, options), kScanAbort);
        OverLimitMap overLimit;
        for (const FolderEntry& f : tables.folders)
            if (*c.overLimit != '\0' && tables.Name(f) == c.overLimit) overLimit[f.name] = 7;
        Walked w = Walk(tables, c.filesFirst, &overLimit);
        EXPECT_EQ(w.lines, Indented(tables, c.filesFirst, &overLimit)) << c.outline;
        EXPECT_EQ(w.flags, c.flags) << c.outline << (c.filesFirst ? " files first" : "");
        if (*c.overLimit != '\0') { EXPECT_NE(w.lines.find("[ b ] (7 entries)\n"), std::string::npos); }
    }
}

TEST(ListingWalk, PassesOverRowsDeeperThanOneBelowTheirFolderAsTheTextViewsDo) {
    MemoryTree tree = MemoryTree::Parse("top", "a/\n  b/\n    x\nc/\n  y\n");
    ListingTables tables;
    InitListing(tables, kNoLimits);
    ListOptions options;
    ASSERT_LT(BuildListing(tables, tree, options), kScanAbort);
    // "a" and its subtree one level deeper than their place: no longer a child of the root.
    ASSERT_EQ(tables.Name(tables.folders[1]), "a");
    tables.folders[1].depth += 1;
    tables.folders[2].depth += 1;
    Walked w = Walk(tables, false, nullptr);
    EXPECT_EQ(w.lines, Indented(tables, false, nullptr));
    EXPECT_EQ(w.lines, "[ top ]\n   [ c ]\n      y\n");
}

TEST(HexDigits, EveryEscaperWritesPrintfsDigitsInItsOwnCase) {
    for (int b = 0; b < 256; ++b) {
        char lower[3], upper[3];
        std::snprintf(lower, sizeof lower, "%02x", b);
        std::snprintf(upper, sizeof upper, "%02X", b);
        std::string text;
        AppendEscapedByte(text, uint8_t(b));
        if (b != '\\' && (b < 7 || b > 13)) { EXPECT_EQ(text, "\\x" + std::string(lower)); }
        std::string url;
        AppendPercentEncoded(url, std::string(1, char(b)));
        if (url.size() == 3) { EXPECT_EQ(url, "%" + std::string(upper)); }
        if (b >= 0x80 || b < 0x20 || b == 0x7F) {
            std::string notice = EscapeForNotice(std::string(1, char(b)));
            if (notice.size() == 4) { EXPECT_EQ(notice, "\\x" + std::string(lower)); }
        }
        std::string name, hex;
        AppendJsonName(name, std::string("\xFF") + char(b), hex);
        EXPECT_EQ(hex, "ff" + std::string(lower));
    }
    std::string u;
    AppendUnicodeEscape(u, 0x202E);
    EXPECT_EQ(u, "\\u202e");
}

}  // namespace
