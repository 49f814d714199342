// The renderers and name writers: byte-exact listings of the Windows program for the documented examples
// and edge cases, the text limit, and the command line's escaping and column counting.
#include <gtest/gtest.h>
#include <unicode/uchar.h>

#include "render/name_escape.h"
#include "render/render.h"
#include "support/memory_tree.h"

namespace {

struct Rendered {
    std::string text;
    int result;
    int messages;
};

void CountMessage(void* context) { ++*static_cast<int*>(context); }

Rendered Render(MemoryTree tree, const ListOptions& options, const ListLimits& limits = kDefinedLimits,
                const TextStyle& style = kWindowsStyle) {
    ListingTables tables;
    InitListing(tables, limits);
    EXPECT_LT(BuildListing(tables, tree, options), kScanAbort);
    Rendered r{{}, 0, 0};
    TextBuffer buffer;
    InitTextBuffer(buffer, limits);
    buffer.context = &r.messages;
    buffer.reportTooMuchText = CountMessage;
    r.result = options.treeView ? RenderTree(buffer, tables, 0, options, style)
                                : RenderIndented(buffer, tables, 0, style);
    r.text = buffer.text;
    return r;
}

const char* kWork =
    "Docs/\n"
    "  b.txt\n"
    "  a.txt\n"
    "readme.txt\n"
    "Src/\n"
    "  main.c\n"
    "  Lib/\n";

struct ListingCase {
    const char* name;
    const char* root;
    const char* outline;
    ListOptions options;
    const char* expected;  // readable: UTF-8 pieces and "\n", turned into the Windows program's bytes
};

ListOptions With(void (*change)(ListOptions&)) {
    ListOptions o;
    change(o);
    return o;
}

TEST(Listings, WindowsProgramBytes) {
    const ListOptions defaults;
    const ListingCase cases[] = {
        {"worked example", "C:\\Work", kWork, defaults,
         "[ C:\\Work ]\n"
         " ├[ Docs ]\n"
         " │ ├a.txt\n"
         " │ └b.txt\n"
         " ├[ Src ]\n"
         " │ ├[ Lib ]\n"
         " │ └main.c\n"
         " └readme.txt\n"},
        {"worked example, indented", "C:\\Work", kWork, With([](ListOptions& o) { o.treeView = false; }),
         "[ C:\\Work ]\n"
         "   [ Docs ]\n"
         "      a.txt\n"
         "      b.txt\n"
         "   [ Src ]\n"
         "      [ Lib ]\n"
         "      main.c\n"
         "   readme.txt\n"},
        {"depth 2", "C:\\z", "l1/\n  l2/\n    l3/\n      f3.txt\n    f2.txt\n  f1.txt\n",
         With([](ListOptions& o) { o.maxDepth = 2; }),
         "[ C:\\z ]\n"
         " └[ l1 ]\n"
         "    ├[ l2 ]\n"
         "    └f1.txt\n"},
        {"no file anywhere: one empty last line", "C:\\x", "b/\na/\n", defaults,
         "[ C:\\x ]\n"
         " ├[ a ]\n"
         " └[ b ]\n"
         "\n"},
        {"unreadable folder", "C:\\y", "a/!\nb/\n  c/\nd/\n", defaults,
         "[ C:\\y ]\n"
         " ├[ a ]\n"
         " ├[ b ]\n"
         " │ └[ c ]\n"
         " └[ d ]\n"
         "\n"},
        {"a folder's files in two runs", "C:\\r", "b.txt\nsub/\n  s.txt\na.txt\n", defaults,
         "[ C:\\r ]\n"
         " ├[ sub ]\n"
         " │ └s.txt\n"
         " ├b.txt\n"
         " └a.txt\n"},
        {"root alone, no file names", "C:\\e", "", With([](ListOptions& o) { o.fileNames = false; }),
         "[ C:\\e ]\n"},
        {"no folder names: one flat list", "C:\\f", "b/\n  y\nx\na/\n  z\n",
         With([](ListOptions& o) { o.folderNames = false; }),
         "[ C:\\f ]\n"
         " ├x\n"
         " ├y\n"
         " └z\n"},
        {"no file names: a pure folder tree", "C:\\t", "a/\n  a1/\n    deep/\n  a2/\nb/\n  b1/\n  f\n",
         With([](ListOptions& o) { o.fileNames = false; }),
         "[ C:\\t ]\n"
         " ├[ a ]\n"
         " │ ├[ a1 ]\n"
         " │ │ └[ deep ]\n"
         " │ └[ a2 ]\n"
         " └[ b ]\n"
         "    └[ b1 ]\n"},
        {"a deep last branch keeps its columns blank", "C:\\d", "a/\n  b/\n    c/\n      f\n    g\n",
         defaults,
         "[ C:\\d ]\n"
         " └[ a ]\n"
         "    └[ b ]\n"
         "       ├[ c ]\n"
         "       │ └f\n"
         "       └g\n"},
        {"indented without file names ends in three spaces", "C:\\i", "a/\n  x\n",
         With([](ListOptions& o) { o.treeView = false, o.fileNames = false; }),
         "[ C:\\i ]\n"
         "   [ a ]\n"
         "   \n"},
        {"indented without folder names", "C:\\j", "a/\n  y\nx\n",
         With([](ListOptions& o) { o.treeView = false, o.folderNames = false; }),
         "[ C:\\j ]\n"
         "   x\n"
         "   y\n"},
        {"name limit: 17 bytes whole, 18 cut to 14, the root too", "C:\\a-root-longer-than-17",
         "exactly17bytes.ab\nexactly18bytes.abc\n", With([](ListOptions& o) { o.nameLimit = true; }),
         "[ C:\\a-root-long … ]\n"
         " ├exactly17bytes.ab\n"
         " └exactly18bytes …\n"},
        {"name limit does not apply to the indented view", "C:\\k", "a-name-longer-than-17.txt\n",
         With([](ListOptions& o) { o.nameLimit = true, o.treeView = false; }),
         "[ C:\\k ]\n"
         "   a-name-longer-than-17.txt\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Rendered r = Render(MemoryTree::Parse(c.root, c.outline), c.options);
        EXPECT_EQ(r.text, Sjis(c.expected));
        EXPECT_EQ(r.result, 1);
        EXPECT_EQ(r.messages, 0);
    }
}

TEST(Listings, NameLimitNeverLeavesHalfACharacter) {
    // "A" and eleven two-byte characters (23 bytes): byte 14 would be the first half of the seventh
    // character, so the name is cut after 13 bytes.
    std::string name = "A";
    for (int i = 0; i < 11; ++i) name += "\x83\x41";  // katakana A
    ListOptions o;
    o.nameLimit = true;
    Rendered r = Render(MemoryTree::Parse("C:\\n", name + "/\n"), o);
    EXPECT_EQ(r.text, Sjis("[ C:\\n ]\n └[ ") + name.substr(0, 13) + Sjis(" … ]\n\n"));
    // Where byte 14 ends a character the cut stays after 14 bytes.
    std::string even = "AB" + name.substr(1);
    r = Render(MemoryTree::Parse("C:\\n", even + "\n"), o);
    EXPECT_EQ(r.text, Sjis("[ C:\\n ]\n └") + even.substr(0, 14) + Sjis(" …\n"));
}

// The limit is checked at the end of every folder block: exactly 65,280 bytes pass, one more fails with one
// message, and the text written so far stays.
TEST(Listings, TextLimitBoundary) {
    auto make = [](int extra) {
        // Root line "[ C:\T ]\r\n" (10 bytes); each file line " ├" + 96 bytes + CRLF = 101 bytes.
        std::string outline;
        for (int i = 0; i < 646; ++i) outline += std::string(95, 'f') + char('0' + i % 10) + "\n";
        // 10 + 646 * 101 = 65,256; a last file line of 24 + extra bytes.
        outline += std::string(19 + extra, 'z') + "\n";
        return MemoryTree::Parse("C:\\T", outline);
    };
    ListOptions o;
    Rendered exact = Render(make(0), o);
    EXPECT_EQ(exact.text.size(), 65280u);
    EXPECT_EQ(exact.result, 1);
    EXPECT_EQ(exact.messages, 0);
    Rendered over = Render(make(1), o);
    EXPECT_EQ(over.text.size(), 65281u);
    EXPECT_EQ(over.result, 0);
    EXPECT_EQ(over.messages, 1);
}

TEST(Listings, TextPastTheBufferStopsAtAWholePieceWithOneMessage) {
    // One folder with far more text than the buffer holds: the check comes only at its end.
    std::string outline;
    for (int i = 0; i < 2000; ++i) outline += std::string(200, 'a' + i % 26) + std::to_string(i) + "\n";
    for (bool tree : {true, false}) {
        ListOptions o;
        o.treeView = tree;
        Rendered r = Render(MemoryTree::Parse("C:\\B", outline), o);
        EXPECT_EQ(r.result, 0);
        EXPECT_EQ(r.messages, 1);
        EXPECT_LE(r.text.size(), 65535u);
        EXPECT_GT(r.text.size(), 65280u - 260u);
        EXPECT_TRUE(r.text.ends_with("\r\n") || r.text.back() != '\r');
    }
}

TEST(Listings, UnlimitedTextHasNoStrayLineAndSortsEveryFolderFully) {
    const TextStyle utf8{&kUtf8Pieces, AppendNameUtf8};
    Rendered r = Render(MemoryTree::Parse("src", "z\nsub/\n  m\na\nempty/\n"), {}, kNoLimits, utf8);
    EXPECT_EQ(r.text,
              "[ src ]\n"
              " ├[ empty ]\n"
              " ├[ sub ]\n"
              " │ └m\n"
              " ├a\n"
              " └z\n");
    r = Render(MemoryTree::Parse("src", "b/\n  c/\n"), {}, kNoLimits, utf8);
    EXPECT_EQ(r.text,
              "[ src ]\n"
              " └[ b ]\n"
              "   └[ c ]\n");
}

TEST(AppendBounded, AppendsAtMostNBytesAndStopsAtTheTerminator) {
    struct Case {
        std::string_view src;
        size_t n;
        const char* expected;
    } cases[] = {{"abc", 2, "xab"}, {"abc", 10, "xabc"}, {"abc", 0, "x"}, {std::string_view("a\0b", 3), 3, "xa"}};
    for (const auto& c : cases) {
        TextBuffer b;
        InitTextBuffer(b, kDefinedLimits);
        AppendBounded(b, "x", 1);
        AppendBounded(b, c.src, c.n);
        EXPECT_EQ(b.text, c.expected);
    }
}

// What a name writer writes for one name.
std::string Written(NameWriter writer, std::string_view name, bool limit) {
    TextBuffer b;
    InitTextBuffer(b, kNoLimits);
    writer(b, name, limit);
    return b.text;
}

TEST(NameWriters, EscapeWhatCouldForgeALine) {
    struct Case {
        NameWriter writer;
        std::string name;
        bool limit;
        std::string expected;
    } cases[] = {
        {AppendNameUtf8, "plain.txt", false, "plain.txt"},
        {AppendNameUtf8, "a\nb\tc\rd", false, "a\\nb\\tc\\rd"},
        {AppendNameUtf8, "esc\x1b[31m", false, "esc\\x1b[31m"},
        {AppendNameUtf8, "back\\slash", false, "back\\\\slash"},
        {AppendNameUtf8, "bad\xff\xfe", false, "bad\\xff\\xfe"},
        {AppendNameUtf8, "del\x7f", false, "del\\x7f"},
        {AppendNameUtf8, "c1\xc2\x85", false, "c1\\xc2\\x85"},
        {AppendNameUtf8, "ls\xe2\x80\xa8ps\xe2\x80\xa9", false, "ls\\u2028ps\\u2029"},
        {AppendNameUtf8, "日本語.txt", false, "日本語.txt"},
        // Bidirectional controls, which would show a name reordered ("exe.txt" for "txt.exe"): escaped
        // as U+2028 is, and counted by their escape's bytes under the limit.
        {AppendNameUtf8, "a\u202etxt.exe", false, "a\\u202etxt.exe"},
        {AppendNameUtf8, "\u200e\u200f\u202a\u202b\u202c\u202d", false, "\\u200e\\u200f\\u202a\\u202b\\u202c\\u202d"},
        {AppendNameUtf8, "\u2066\u2067\u2068\u2069\u200d\u2065", false,
         "\\u2066\\u2067\\u2068\\u2069\u200d\u2065"},  // the joiner and an unassigned neighbour stay
        {AppendNameUtf8, "ab\u202ecdefghijklmn", true, "ab\\u202ecdefgh …"},
        // The limit counts columns: 17 stay whole, 18 shorten to 14; wide characters count two.
        {AppendNameUtf8, "abcdefghijklmnopq", true, "abcdefghijklmnopq"},
        {AppendNameUtf8, "abcdefghijklmnopqr", true, "abcdefghijklmn …"},
        {AppendNameUtf8, "日本語のファイル名です", true, "日本語のファイ …"},
        {AppendNameUtf8, "a日本語のファイル名です", true, "a日本語のファ …"},
        {AppendNameUtf8, "abcdefghijklmnopqrstuvwxyz", false, "abcdefghijklmnopqrstuvwxyz"},
        // Shift_JIS: a 0x5C trail byte belongs to its character; a lone backslash is escaped.
        {AppendNameSjisEscaped, "\x95\x5c.txt", false, "\x95\x5c.txt"},
        {AppendNameSjisEscaped, "a\\b\nc", false, "a\\\\b\\nc"},
        {AppendNameSjisEscaped, "lone\x83", false, "lone\\x83"},
        {AppendNameSjisEscaped, "exactly18bytes.abc", true, "exactly18bytes\x20\x81\x63"},
        // The limit counts the bytes written, escapes included, and never cuts inside an escape.
        {AppendNameSjisEscaped, "a\x1b\x1b\x1b\x1b\x1b\x1b\x1b", true, "a\\x1b\\x1b\\x1b\x20\x81\x63"},
        {AppendNameSjisEscaped, "\x1b\x1b\x1b\x1b\x1b" "abcdef", true, "\\x1b\\x1b\\x1b\x20\x81\x63"},
        {AppendNameSjisEscaped, "\x1b" "abcdefghijklm", true, "\\x1b" "abcdefghijklm"},  // 17 written
        {AppendNameSjisEscaped, "\x1b" "abcdefghijklmn", true, "\\x1b" "abcdefghij\x20\x81\x63"},
        {AppendNameSjisEscaped, "\\abcdefghijk\x93\xfa" "xyz", true, "\\\\abcdefghijk\x20\x81\x63"},
        {AppendNameSjisEscaped, "abcdefghijk\n\x93\xfa" "xyz", true, "abcdefghijk\\n\x20\x81\x63"},
        {AppendName, "a\\b\nc", false, "a\\b\nc"},
    };
    for (const auto& c : cases) EXPECT_EQ(Written(c.writer, c.name, c.limit), c.expected) << c.name;
}

// tree's -q and -Q forms: what the writer would escape becomes '?' (each invalid byte one), a '"' inside
// quotes is escaped, and the limit still counts what is written (the quotes stand outside it).
TEST(NameWriters, TreeForms) {
    const NameWriter questions = Utf8NameWriter(kNameQuestionMarks, false);
    const NameWriter quoted = Utf8NameWriter(kNameQuoted, false);
    const NameWriter both = Utf8NameWriter(kNameQuestionMarks | kNameQuoted, true);
    EXPECT_EQ(Utf8NameWriter(kNameEscaped, false), AppendNameUtf8);
    EXPECT_EQ(Utf8NameWriter(kNameEscaped, true), AppendNameUtf8Ascii);
    const struct {
        NameWriter writer;
        std::string name;
        bool limit;
        std::string expected;
    } cases[] = {
        {questions, "plain.txt", false, "plain.txt"},
        {questions, "a\nb\x1b[31m\x7f", false, "a?b?[31m?"},
        {questions, "bad\xff\xfe.c", false, "bad??.c"},
        {questions, "c1\xc2\x85", false, "c1?"},
        {questions, "a\u202etxt.exe\u2028", false, "a?txt.exe?"},
        {questions, "back\\slash", false, "back\\slash"},  // written as it is: nothing is escaped
        {questions, "\x01\x02\x03\x04\x05\x06\x07\x08\x0e\x0f\x10\x11\x12\x13\x14\x15\x16\x17", true,
         "?????????????? \xE2\x80\xA6"},
        {questions, "日本語?", false, "日本語?"},
        {quoted, "plain", false, "\"plain\""},
        {quoted, "q\"uote", false, "\"q\\\"uote\""},
        {quoted, "tab\there\\", false, "\"tab\\there\\\\\""},
        {quoted, "abcdefghijklmnopqr", true, "\"abcdefghijklmn \xE2\x80\xA6\""},
        {quoted, "abcdefghijklmnop\"", true, "\"abcdefghijklmn \xE2\x80\xA6\""},  // \" counts two
        {both, "q\"\x1b\\", false, "\"q\\\"?\\\\\""},  // quoted, a backslash stays escaped
        {both, "abcdefghijklmnopqr", true, "\"abcdefghijklmn..\""},
    };
    for (const auto& c : cases) EXPECT_EQ(Written(c.writer, c.name, c.limit), c.expected) << c.name;
}

// tree -f and -i: each entry's path from the root in both views (a root ending in '/' adds no second
// one), and no pieces at all.
TEST(Listings, FullPathsAndNoPieces) {
    Pieces none = kUtf8Pieces;
    none.branch = none.blank = none.tee = none.last = none.indent = "";
    TextStyle paths{&kUtf8Pieces, AppendNameUtf8};
    paths.fullPaths = true;
    TextStyle flat = paths;
    flat.pieces = &none;
    TextStyle filesFirst = paths;
    filesFirst.filesFirst = true;
    ListOptions indented;
    indented.treeView = false;
    const struct {
        const char* root;
        ListOptions options;
        const TextStyle* style;
        const char* expected;
    } cases[] = {
        {"w", {}, &paths, "[ w ]\n ├[ w/Docs ]\n │ ├w/Docs/a.txt\n │ └w/Docs/b.txt\n ├[ w/Src ]\n │ ├[ w/Src/Lib ]\n"
                          " │ └w/Src/main.c\n └w/readme.txt\n"},
        {"w/", {}, &flat, "[ w/ ]\n[ w/Docs ]\nw/Docs/a.txt\nw/Docs/b.txt\n[ w/Src ]\n[ w/Src/Lib ]\nw/Src/main.c\n"
                          "w/readme.txt\n"},
        {"w", {}, &filesFirst, "[ w ]\n ├w/readme.txt\n ├[ w/Docs ]\n │ ├w/Docs/a.txt\n │ └w/Docs/b.txt\n"
                               " └[ w/Src ]\n   ├w/Src/main.c\n   └[ w/Src/Lib ]\n"},
        {"w", indented, &paths, "[ w ]\n   [ w/Docs ]\n      w/Docs/a.txt\n      w/Docs/b.txt\n   [ w/Src ]\n"
                                "      [ w/Src/Lib ]\n      w/Src/main.c\n   w/readme.txt\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.expected);
        MemoryTree tree = MemoryTree::Parse(c.root, kWork);
        EXPECT_EQ(Render(tree, c.options, kNoLimits, *c.style).text, c.expected);
    }
}

// Every byte value at every place of a long plain name (where the UTF-8 writer tests eight bytes at a
// time) comes out as that byte alone would: the name around it untouched.
TEST(NameWriters, EveryByteAtEveryPlaceOfALongName) {
    auto written = [](std::string_view name) {
        TextBuffer b;
        InitTextBuffer(b, kNoLimits);
        AppendNameUtf8(b, name, false);
        return b.text;
    };
    const std::string plain = "abcdefghijklmnopqrstuvwx";  // three words of eight bytes
    for (int value = 1; value < 256; ++value) {
        std::string alone = written(std::string(1, char(value)));
        for (size_t at = 0; at < plain.size(); ++at) {
            std::string name = plain;
            name[at] = char(value);
            ASSERT_EQ(written(name), written(plain.substr(0, at)) + alone + written(plain.substr(at + 1)))
                << "byte " << value << " at " << at;
        }
    }
}

}  // namespace

// The written-out set of bidirectional controls is ICU's Bidi_Control property, code point for code point.
TEST(NameWriters, BidiControlsAreIcusSet) {
    for (int32_t c = 0; c <= 0x10FFFF; ++c)
        ASSERT_EQ(IsBidiControl(c), u_hasBinaryProperty(c, UCHAR_BIDI_CONTROL) != 0) << std::hex << c;
}
