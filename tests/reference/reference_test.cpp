// Holds the literal reference itself to the defined listings (worked examples, name shortening, table and
// text boundaries), so that a differential test agreeing with it means something.
#include <gtest/gtest.h>

#include <string>

#include "reference/reference_engine.h"
#include "reference/reference_render.h"
#include "support/memory_tree.h"

namespace {

constexpr ListLimits kSmall{64, 64, 32, 65280, 65536, 259, true};

// Reset, scan, structure pass and file ordering as the select-folder command runs them; the scan result,
// or 3 when the file ordering refused the listing.
int Build(reference::ListingTables& tables, MemoryTree& tree, const ListOptions& options) {
    reference::ResetListing(tables, tree.root);
    int32_t folderLast = 0, depth = 1;
    ScanResult result =
        reference::ScanFolder(tables, MemoryFolderSource(tree), tree.root, folderLast, depth, options);
    if (result == kScanAbort) return result;
    reference::BuildFolderStructure(tables, folderLast, TestNameOrder());
    if (!reference::OrderFiles(tables, TestNameOrder())) return 3;
    return result;
}

std::string Render(reference::ListingTables& tables, const ListOptions& options, int32_t capacity = 65536,
                   int32_t limit = 65280, int* result = nullptr, int* shown = nullptr) {
    reference::TextBuffer buffer;
    reference::InitTextBuffer(buffer, capacity, limit);
    int r = options.treeView ? reference::RenderTree(buffer, tables, 0, options)
                             : reference::RenderIndented(buffer, tables, 0);
    if (result) *result = r;
    if (shown) *shown = buffer.tooMuchTextShown;
    return std::string(buffer.Text());
}

ListOptions Options(bool subfolders, bool folderNames, bool fileNames, bool treeView, bool nameLimit,
                    int32_t maxDepth = kUnlimitedDepth) {
    return ListOptions{subfolders, folderNames, fileNames, treeView, nameLimit, maxDepth};
}

struct ListingCase {
    const char* label;
    const char* root;
    const char* outline;
    ListOptions options;
    const char* expected;  // readable: "│├└…" and "\n", turned into Shift_JIS and CRLF
};

const ListingCase kListings[] = {
    {"worked example", "C:\\Work", "Docs/\n  a.txt\n  b.txt\nreadme.txt\nSrc/\n  Lib/\n  main.c\n",
     Options(true, true, true, true, false),
     "[ C:\\Work ]\n ├[ Docs ]\n │ ├a.txt\n │ └b.txt\n ├[ Src ]\n │ ├[ Lib ]\n │ └main.c\n └readme.txt\n"},
    {"worked example indented", "C:\\Work", "Docs/\n  a.txt\n  b.txt\nreadme.txt\nSrc/\n  Lib/\n  main.c\n",
     Options(true, true, true, false, false),
     "[ C:\\Work ]\n   [ Docs ]\n      a.txt\n      b.txt\n"
     "   [ Src ]\n      [ Lib ]\n      main.c\n   readme.txt\n"},
    {"depth limit 2", "C:\\z", "l1/\n  l2/\n    l3/\n      f3.txt\n    f2.txt\n  f1.txt\n",
     Options(true, true, true, true, false, 2), "[ C:\\z ]\n └[ l1 ]\n    ├[ l2 ]\n    └f1.txt\n"},
    {"no file at all", "C:\\x", "b/\na/\n", Options(true, true, true, true, false),
     "[ C:\\x ]\n ├[ a ]\n └[ b ]\n\n"},
    {"unreadable folder", "C:\\y", "a/!\nb/\n  c/\nd/\n", Options(true, true, true, true, false),
     "[ C:\\y ]\n ├[ a ]\n ├[ b ]\n │ └[ c ]\n └[ d ]\n\n"},
    {"runs apart", "C:\\r", "b.txt\nsub/\n  s.txt\na.txt\n", Options(true, true, true, true, false),
     "[ C:\\r ]\n ├[ sub ]\n │ └s.txt\n ├b.txt\n └a.txt\n"},
    {"siblings ignore case, ties keep order", "C:\\s", "b/\nA/\nc/\na/\n",
     Options(true, true, false, true, false), "[ C:\\s ]\n ├[ A ]\n ├[ a ]\n ├[ b ]\n └[ c ]\n"},
    {"folder names off", "C:\\w", "b/\n  y\n  x\nz\n", Options(true, false, true, true, false),
     "[ C:\\w ]\n ├x\n ├y\n └z\n"},
    {"file names off indented", "C:\\w", "b/\n  y\nz\n", Options(true, true, false, false, false),
     "[ C:\\w ]\n   [ b ]\n   \n"},
    {"subfolders off", "D:\\", "b/\n  y\nz\n", Options(false, true, true, true, false),
     "[ D:\\ ]\n ├[ b ]\n └z\n"},
    {"root alone, file names off", "C:\\e", "", Options(true, true, false, true, false), "[ C:\\e ]\n"},
    {"deep last branch", "C:\\d", "a/\n  b/\n    c/\n      f\n", Options(true, true, true, true, false),
     "[ C:\\d ]\n └[ a ]\n    └[ b ]\n       └[ c ]\n          └f\n"},
    {"name limit", "C:\\a folder with a long name",
     "seventeen-bytes-x\neighteen-bytes-xyz\n"
     "A\x82\xA0\x82\xA0\x82\xA0\x82\xA0\x82\xA0\x82\xA0\x82\xA0\x82\xA0\x82\xA0\x82\xA0\x82\xA0/\n"
     "\x82\xA0\x82\xA0\x82\xA0\x82\xA0\x82\xA0\x82\xA0\x82\xA0\x82\xA0\x82\xA0\n",
     Options(true, true, true, true, true),
     "[ C:\\a folder wi … ]\n"
     " ├[ A\x82\xA0\x82\xA0\x82\xA0\x82\xA0\x82\xA0\x82\xA0 … ]\n"
     " ├eighteen-bytes …\n"
     " ├seventeen-bytes-x\n"
     " └\x82\xA0\x82\xA0\x82\xA0\x82\xA0\x82\xA0\x82\xA0\x82\xA0 …\n"},
    {"name limit does not apply indented", "C:\\n", "eighteen-bytes-xyz\n",
     Options(true, true, true, false, true), "[ C:\\n ]\n   eighteen-bytes-xyz\n"},
};

class ReferenceListing : public testing::TestWithParam<ListingCase> {};

TEST_P(ReferenceListing, MatchesTheDefinedText) {
    const ListingCase& c = GetParam();
    MemoryTree tree = MemoryTree::Parse(c.root, c.outline);
    reference::ListingTables tables;
    reference::InitListing(tables, kSmall);
    ASSERT_NE(Build(tables, tree, c.options), kScanAbort);
    int result = 0;
    EXPECT_EQ(Render(tables, c.options, 65536, 65280, &result), Sjis(c.expected));
    EXPECT_EQ(result, 1);
}

INSTANTIATE_TEST_SUITE_P(Examples, ReferenceListing, testing::ValuesIn(kListings),
                         [](const testing::TestParamInfo<ListingCase>& info) {
                             std::string name;
                             for (const char* p = info.param.label; *p; ++p)
                                 name += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
                             return name;
                         });

TEST(ReferenceScan, UnreadableFolderIsReportedOnceAndSiblingsKeepTheirDepth) {
    MemoryTree tree = MemoryTree::Parse("C:\\y", "a/!\nb/\n  c/\nd/\n");
    reference::ListingTables tables;
    reference::InitListing(tables, kSmall);
    ASSERT_EQ(Build(tables, tree, ListOptions{}), kScanDone);
    EXPECT_EQ(tree.reported, (std::vector<std::string>{"C:\\y\\a"}));
    EXPECT_EQ(tables.folders[4].depth, 1);  // d
}

TEST(ReferenceScan, PathLimitCountsPatternAndChildPath) {
    // "C:\ab" is 5 bytes: its pattern "C:\ab\*" is 7. Child "C:\ab\cd" is 8, its pattern 10.
    struct {
        int32_t pathLimit;
        std::vector<std::string> reported;
        int32_t folderLast;
    } cases[] = {{10, {}, 1}, {9, {"C:\\ab\\cd"}, 1}, {7, {"C:\\ab\\cd"}, 1}, {6, {"C:\\ab"}, 0}};
    for (const auto& c : cases) {
        MemoryTree tree = MemoryTree::Parse("C:\\ab", "cd/\n  f\n");
        ListLimits limits = kSmall;
        limits.pathLimit = c.pathLimit;
        reference::ListingTables tables;
        reference::InitListing(tables, limits);
        reference::ResetListing(tables, tree.root);
        int32_t folderLast = 0, depth = 1;
        ScanResult result = reference::ScanFolder(tables, MemoryFolderSource(tree), tree.root, folderLast,
                                                  depth, ListOptions{});
        EXPECT_EQ(result, c.folderLast == 0 ? kScanCannotOpen : kScanDone) << c.pathLimit;
        EXPECT_EQ(tree.reported, c.reported) << c.pathLimit;
        EXPECT_EQ(folderLast, c.folderLast) << c.pathLimit;
        EXPECT_EQ(depth, 0) << c.pathLimit;
    }
}

TEST(ReferenceScan, TablesFullAbortAtTheirLastRow) {
    // Three folders need four folder rows; four files need four file rows.
    struct {
        int32_t folderRows, fileRows;
        int expected;
        int32_t folders;
    } cases[] = {{4, 8, kScanDone, 3}, {3, 8, kScanAbort, 2}, {8, 4, kScanDone, 3}, {8, 3, kScanAbort, 3}};
    for (const auto& c : cases) {
        MemoryTree tree = MemoryTree::Parse("C:\\t", "a/\n  f1\n  f2\nb/\n  f3\nc/\nf4\n");
        reference::ListingTables tables;
        reference::InitListing(tables, ListLimits{c.folderRows, c.fileRows, 2, 65280, 65536, 259, true});
        reference::ResetListing(tables, tree.root);
        int32_t folderLast = 0, depth = 1;
        EXPECT_EQ(reference::ScanFolder(tables, MemoryFolderSource(tree), tree.root, folderLast, depth,
                                        ListOptions{}),
                  c.expected);
        EXPECT_EQ(folderLast, c.folders);
    }
}

TEST(ReferenceOrder, FilesAcceptedIsInclusiveAndAFullTableIsRefused) {
    struct {
        int32_t fileRows, filesAccepted;
        const char* outline;
        bool ordered;
        int32_t fileTotal;
    } cases[] = {{8, 4, "", true, 1},
                 {8, 4, "d\nc\nb\na\n", true, 4},
                 {8, 4, "e\nd\nc\nb\na\n", false, 5},
                 {5, 4, "d\nc\nb\na\n", true, 4},
                 {4, 4, "d\nc\nb\na\n", false, 4}};
    for (const auto& c : cases) {
        MemoryTree tree = MemoryTree::Parse("C:\\o", c.outline);
        reference::ListingTables tables;
        reference::InitListing(tables, ListLimits{8, c.fileRows, c.filesAccepted, 65280, 65536, 259, true});
        EXPECT_EQ(Build(tables, tree, ListOptions{}), c.ordered ? kScanDone : 3) << c.outline;
        EXPECT_EQ(tables.fileTotal, c.fileTotal) << c.outline;
        if (c.ordered && c.fileTotal > 1) {
            EXPECT_STREQ(tables.files[0].name, "a");
        }
    }
}

TEST(ReferenceText, LimitPassesAtTheBoundaryAndFailsOneBytePast) {
    MemoryTree tree = MemoryTree::Parse("C:\\t", "a/\n  f\nb/\n");
    reference::ListingTables tables;
    reference::InitListing(tables, kSmall);
    ASSERT_EQ(Build(tables, tree, ListOptions{}), kScanDone);
    const std::string whole = Render(tables, ListOptions{});
    const int32_t length = static_cast<int32_t>(whole.size());

    struct {
        int32_t capacity, limit;
        int result, shown;
        size_t kept;
    } cases[] = {
        {65536, length, 1, 0, whole.size()},
        {65536, length - 1, 0, 1, whole.size()},
        {length + 1, length, 1, 0, whole.size()},  // the text and its terminator fill the buffer
        {length, 65280, 0, 1, whole.size() - 2},   // the last "\r\n" does not fit and is dropped
    };
    for (const auto& c : cases) {
        ASSERT_EQ(Build(tables, tree, ListOptions{}), kScanDone);
        int result = -1, shown = -1;
        std::string text = Render(tables, ListOptions{}, c.capacity, c.limit, &result, &shown);
        EXPECT_EQ(result, c.result) << c.capacity << " " << c.limit;
        EXPECT_EQ(shown, c.shown) << c.capacity << " " << c.limit;
        EXPECT_EQ(text, whole.substr(0, c.kept)) << c.capacity << " " << c.limit;
    }
}

TEST(ReferenceText, AnAppendThatDoesNotFitStopsAllLaterAppends) {
    reference::TextBuffer buffer;
    reference::InitTextBuffer(buffer, 6, 100);
    reference::AppendBounded(buffer, "abc", 3);
    reference::AppendBounded(buffer, "defg", 4);  // 7 bytes would not fit in 5
    reference::AppendBounded(buffer, "h", 1);     // would fit, but the buffer is full
    reference::AppendBounded(buffer, "xyz", 0);
    EXPECT_EQ(buffer.Text(), "abc");
    EXPECT_TRUE(buffer.full);
    EXPECT_FALSE(reference::CheckTextLimit(buffer));
    EXPECT_EQ(buffer.tooMuchTextShown, 1);
}

TEST(ReferenceText, ShortNameCutNeverSplitsACharacter) {
    struct {
        const char* name;
        const char* expected;
    } cases[] = {
        {"abcdefghijklmnopq", "abcdefghijklmnopq"},                        // 17 bytes: whole
        {"abcdefghijklmnopqr", "abcdefghijklmn\x20\x81\x63"},              // 18: 14 and " …"
        {"abcdefghijklm\x82\xA0xyz", "abcdefghijklm\x20\x81\x63"},         // byte 14 a lead byte: 13
        {"abcdefghijkl\x82\xA0xyzw", "abcdefghijkl\x82\xA0\x20\x81\x63"},  // character ends at 14
        {"\x81\x81\x81\x81\x81\x81\x81\x81\x81\x81\x81\x81\x81\x81\x81\x81\x81\x81",  // trail bytes in the
         "\x81\x81\x81\x81\x81\x81\x81\x81\x81\x81\x81\x81\x81\x81\x20\x81\x63"},     // lead range, walked
        {"a\x81\x81\x81\x81\x81\x81\x81\x81\x81\x81\x81\x81\x81\x81\x81\x81\x81",
         "a\x81\x81\x81\x81\x81\x81\x81\x81\x81\x81\x81\x81\x20\x81\x63"},
        {"abcdefghijklm\xB1\xB2\xB3\xB4\xB5", "abcdefghijklm\xB1\x20\x81\x63"},  // half-width kana: one byte
    };
    for (const auto& c : cases) {
        reference::TextBuffer buffer;
        reference::InitTextBuffer(buffer, 100, 100);
        reference::AppendName(buffer, c.name, true);
        EXPECT_EQ(buffer.Text(), c.expected) << c.name;
    }
}

}  // namespace
