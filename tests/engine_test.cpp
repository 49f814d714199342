// The listing engine over in-memory trees: reset, scan, structure pass and file ordering, with the
// full-size table boundaries of the Windows program.
#include <gtest/gtest.h>

#include "support/memory_tree.h"

namespace {

struct Listing {
    ListingTables tables;
    explicit Listing(const ListLimits& limits = kDefinedLimits) { InitListing(tables, limits); }

    // Folder rows as "depth:name" in table order.
    std::vector<std::string> Folders() const {
        std::vector<std::string> out;
        for (const auto& f : tables.folders) out.push_back(std::to_string(f.depth) + ":" + std::string(tables.Name(f)));
        return out;
    }
    // File rows as "folder name/file name" in table order.
    std::vector<std::string> Files() const {
        std::vector<std::string> out;
        for (const auto& file : tables.files) {
            for (const auto& f : tables.folders)
                if (f.id == file.folderId) out.push_back(std::string(tables.Name(f)) + "/" + std::string(tables.Name(file)));
        }
        return out;
    }
};

using Strings = std::vector<std::string>;

TEST(ResetListing, LeavesOnlyTheRootWhateverThePreviousListingHeld) {
    Listing l;
    MemoryTree tree = MemoryTree::Parse("C:\\old", "a/\n  x.txt\nb/\ny.txt\n");
    ASSERT_EQ(BuildListing(l.tables, tree, {}), kScanDone);
    ResetListing(l.tables, "D:\\");
    ASSERT_EQ(l.tables.folders.size(), 1u);
    EXPECT_EQ(l.tables.Name(l.tables.folders[0]), "D:\\");
    EXPECT_EQ(l.tables.folders[0].id, 0);
    EXPECT_EQ(l.tables.folders[0].fileCount, 0);
    EXPECT_TRUE(l.tables.files.empty());
    EXPECT_EQ(l.tables.FileRow(0).nameLen, 0u);
    EXPECT_EQ(l.tables.FileRow(0).folderId, 0);
    EXPECT_EQ(l.tables.levelFlags[0], 1);
    for (int c = 1; c < kLevelFlagCount; ++c) ASSERT_EQ(l.tables.levelFlags[c], 0);
}

// What the scan records for one tree under different options, before any ordering.
struct ScanCase {
    const char* name;
    ListOptions options;
    Strings folders, files;
};

TEST(ScanFolder, RecordsWhatTheOptionsAskFor) {
    // Delivery order: file, folder (with a subfolder two levels deep), file.
    const char* outline =
        "z.txt\n"
        "sub/\n"
        "  m.txt\n"
        "  deep/\n"
        "    d.txt\n"
        "    deeper/\n"
        "      e.txt\n"
        "a.txt\n";
    ListOptions all;
    ListOptions noFolderNames;
    noFolderNames.folderNames = false;
    ListOptions noFileNames;
    noFileNames.fileNames = false;
    ListOptions noSubfolders;
    noSubfolders.subfolders = false;
    ListOptions depth2;
    depth2.maxDepth = 2;
    ListOptions flatDepth2 = noFolderNames;
    flatDepth2.maxDepth = 2;
    const ScanCase cases[] = {
        {"all", all, {"0:R", "1:sub", "2:deep", "3:deeper"}, {"R/z.txt", "sub/m.txt", "deep/d.txt", "deeper/e.txt", "R/a.txt"}},
        {"no folder names: every file belongs to the root", noFolderNames, {"0:R"},
         {"R/z.txt", "R/m.txt", "R/d.txt", "R/e.txt", "R/a.txt"}},
        {"no file names", noFileNames, {"0:R", "1:sub", "2:deep", "3:deeper"}, {}},
        {"no subfolders: the folder row stays, not entered", noSubfolders, {"0:R", "1:sub"}, {"R/z.txt", "R/a.txt"}},
        {"depth 2: depth-2 folders recorded, not entered", depth2, {"0:R", "1:sub", "2:deep"},
         {"R/z.txt", "sub/m.txt", "R/a.txt"}},
        {"depth 2 without folder names", flatDepth2, {"0:R"}, {"R/z.txt", "R/m.txt", "R/a.txt"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Listing l;
        MemoryTree tree = MemoryTree::Parse("R", outline);
        ResetListing(l.tables, tree.root);
        int32_t folderLast = 0, depth = 1;
        EXPECT_EQ(ScanFolder(l.tables, MemoryFolderSource(tree), tree.root, folderLast, depth, c.options), kScanDone);
        EXPECT_EQ(folderLast, int32_t(c.folders.size()) - 1);
        EXPECT_EQ(l.Folders(), c.folders);
        EXPECT_EQ(l.Files(), c.files);
        for (size_t r = 0; r < l.tables.folders.size(); ++r) EXPECT_EQ(l.tables.folders[r].id, int32_t(r));
    }
}

TEST(ScanFolder, EmptyFolderRecordsNothing) {
    Listing l;
    MemoryTree tree = MemoryTree::Parse("C:\\e", "");
    EXPECT_EQ(BuildListing(l.tables, tree, {}), kScanDone);
    EXPECT_EQ(l.Folders(), Strings{"0:C:\\e"});
    EXPECT_TRUE(l.tables.files.empty());
}

TEST(ScanFolder, UnreadableSubfolderIsReportedOnceAndSiblingsKeepTheirDepth) {
    Listing l;
    MemoryTree tree = MemoryTree::Parse("C:\\y", "a/!\nb/\n  c/\nd/\n");
    EXPECT_EQ(BuildListing(l.tables, tree, {}), kScanDone);
    EXPECT_EQ(l.Folders(), (Strings{"0:C:\\y", "1:a", "1:b", "2:c", "1:d"}));
    EXPECT_EQ(tree.reported, Strings{"C:\\y\\a"});
}

TEST(ScanFolder, UnreadableRootGivesCannotOpen) {
    Listing l;
    MemoryTree tree = MemoryTree::Parse("C:\\gone", "");
    tree.folders.clear();
    ResetListing(l.tables, tree.root);
    int32_t folderLast = 0, depth = 1;
    EXPECT_EQ(ScanFolder(l.tables, MemoryFolderSource(tree), tree.root, folderLast, depth, {}), kScanCannotOpen);
    EXPECT_EQ(depth, 0);
    EXPECT_EQ(tree.reported, Strings{"C:\\gone"});
}

TEST(ScanFolder, DriveRootPathsHaveNoDoubledSeparator) {
    Listing l;
    MemoryTree tree = MemoryTree::Parse("D:\\", "a/\n  b/\n    f.txt\n");
    EXPECT_EQ(BuildListing(l.tables, tree, {}), kScanDone);
    EXPECT_EQ(l.Files(), Strings{"b/f.txt"});  // found through D:\a and D:\a\b
    EXPECT_TRUE(tree.reported.empty());
}

TEST(ScanFolder, LinkedFolderIsListedButNotEntered) {
    Listing l;
    MemoryTree tree = MemoryTree::Parse("C:\\l", "loop/@\n");
    EXPECT_EQ(BuildListing(l.tables, tree, {}), kScanDone);
    EXPECT_EQ(l.Folders(), (Strings{"0:C:\\l", "1:loop"}));
    EXPECT_EQ(tree.reads, 1);
}

TEST(ScanFolder, PathsPastTheLimitAreReportedLikeUnreadableFolders) {
    // Root "C:\r" (4 bytes) + "\" + 250 bytes = 255; its pattern adds "\*" (257 bytes, fits); the child
    // path with another "\" + 3 bytes is 259 bytes and its pattern 261 bytes does not.
    std::string longName(250, 'n');
    Listing l;
    MemoryTree tree = MemoryTree::Parse("C:\\r", longName + "/\n  abc/\n    f.txt\n");
    EXPECT_EQ(BuildListing(l.tables, tree, {}), kScanDone);
    EXPECT_EQ(l.Folders(), (Strings{"0:C:\\r", "1:" + longName, "2:abc"}));
    ASSERT_EQ(tree.reported.size(), 1u);
    EXPECT_EQ(tree.reported[0], "C:\\r\\" + longName + "\\abc");
    EXPECT_EQ(tree.reportedErrors[0], kErrorPathTooLong);
    // Without limits the same tree is read to the bottom.
    Listing free(kNoLimits);
    MemoryTree again = MemoryTree::Parse("C:\\r", longName + "/\n  abc/\n    f.txt\n");
    EXPECT_EQ(BuildListing(free.tables, again, {}), kScanDone);
    EXPECT_EQ(free.Files(), Strings{"abc/f.txt"});
}

// The Windows program's table sizes: 65,535 folders below the root fit, one more aborts; 65,536 files fit
// the file table but the ordering accepts 2,048 of them.
TEST(TableLimits, DefinedBoundaries) {
    struct Case {
        int folders, files;
        int expected;  // scan result, or 3 when the file ordering refused
    } cases[] = {{65535, 0, kScanDone}, {65536, 0, kScanAbort}, {0, 2048, kScanDone},
                 {0, 2049, 3},          {0, 65536, 3},          {0, 65537, kScanAbort}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.folders) + " folders, " + std::to_string(c.files) + " files");
        MemoryTree tree;
        tree.root = "C:\\big";
        auto& entries = tree.folders[tree.root].entries;
        for (int i = 0; i < c.folders; ++i) {
            entries.push_back({"d" + std::to_string(i), kEntryFolder});
            tree.folders[tree.Join(tree.root, entries.back().name)];
        }
        for (int i = 0; i < c.files; ++i) entries.push_back({"f" + std::to_string(i), kEntryFile});
        Listing l;
        EXPECT_EQ(BuildListing(l.tables, tree, {}), c.expected);
        if (c.expected == kScanAbort) {
            EXPECT_LE(l.tables.folders.size(), 65536u);
            EXPECT_LE(l.tables.files.size(), 65536u);
        }
    }
}

TEST(BuildFolderStructure, SortsSiblingsIgnoringCaseAndKeepsEqualNamesInDeliveryOrder) {
    struct Case {
        const char* outline;
        Strings folders;
    } cases[] = {
        {"b/\nA/\nc/\n", {"0:R", "1:A", "1:b", "1:c"}},
        {"x/\nX/\n", {"0:R", "1:x", "1:X"}},
        {"X/\nx/\n", {"0:R", "1:X", "1:x"}},
        {"b/\nc/\na/\n", {"0:R", "1:a", "1:b", "1:c"}},  // the last row sorts first
        {"only/\n", {"0:R", "1:only"}},
        // Subtrees move as blocks, at every level in the same passes.
        {"z/\n  y/\n    q/\n    p/\n  x/\na/\n  c/\n  b/\n",
         {"0:R", "1:a", "2:b", "2:c", "1:z", "2:x", "2:y", "3:p", "3:q"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.outline);
        Listing l;
        MemoryTree tree = MemoryTree::Parse("R", c.outline);
        ASSERT_EQ(BuildListing(l.tables, tree, {}), kScanDone);
        EXPECT_EQ(l.Folders(), c.folders);
    }
}

TEST(BuildFolderStructure, SizesParentsAndLastSiblings) {
    Listing l;
    MemoryTree tree = MemoryTree::Parse("R", "b/\n  b2/\n  b1/\na/\n  a1/\n");
    ASSERT_EQ(BuildListing(l.tables, tree, {}), kScanDone);
    // Rows after sorting: R, a, a1, b, b1, b2 (ids: R 0, b 1, b2 2, b1 3, a 4, a1 5).
    struct Row {
        const char* name;
        int32_t id, subtreeSize, parentId, isLast;
    } expected[] = {{"R", 0, 6, 0, 1}, {"a", 4, 2, 0, 0}, {"a1", 5, 1, 4, 1},
                    {"b", 1, 3, 0, 1}, {"b1", 3, 1, 1, 0}, {"b2", 2, 1, 1, 1}};
    ASSERT_EQ(l.tables.folders.size(), std::size(expected));
    for (size_t r = 0; r < std::size(expected); ++r) {
        const auto& f = l.tables.folders[r];
        SCOPED_TRACE(expected[r].name);
        EXPECT_EQ(l.tables.Name(f), expected[r].name);
        EXPECT_EQ(f.id, expected[r].id);
        EXPECT_EQ(f.subtreeSize, expected[r].subtreeSize);
        if (r > 0) {
            EXPECT_EQ(f.parentId, expected[r].parentId);
            EXPECT_EQ(f.isLastSibling, expected[r].isLast);
        }
    }
}

TEST(OrderFiles, SortsOnlyNeighboursOfOneFolderUnderTheDefinedLimits) {
    struct Case {
        const char* outline;
        Strings defined, unlimited;
    } cases[] = {
        {"b.txt\na.txt\n", {"R/a.txt", "R/b.txt"}, {"R/a.txt", "R/b.txt"}},
        // z and a are never neighbours: the defined order keeps them apart.
        {"z\nsub/\n  m\na\n", {"R/z", "sub/m", "R/a"}, {"R/a", "R/z", "sub/m"}},
        // Case is significant for files: lower case first.
        {"B\nb\na\n", {"R/a", "R/b", "R/B"}, {"R/a", "R/b", "R/B"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.outline);
        Listing defined, unlimited(kNoLimits);
        MemoryTree t1 = MemoryTree::Parse("R", c.outline), t2 = t1;
        ASSERT_EQ(BuildListing(defined.tables, t1, {}), kScanDone);
        ASSERT_EQ(BuildListing(unlimited.tables, t2, {}), kScanDone);
        EXPECT_EQ(defined.Files(), c.defined);
        EXPECT_EQ(unlimited.Files(), c.unlimited);
    }
}

// Byte keys sorted through their first eight bytes: the same rows in the same order as the plain sort,
// for keys shorter and longer than eight bytes, with 0x00 bytes, equal keys and long shared beginnings.
TEST(OrderFiles, KeyPrefixesGiveThePlainSortsOrder) {
    auto bytes = [](std::string_view a, std::string_view b) { return a.compare(b); };
    const std::string_view pieces[] = {"", std::string_view("\0", 1), "\x01", "a", "ab", "abcdefgh", "\xff",
                                       std::string_view("abcdefg\0", 8), "abcdefghi", "abcdefgh\x01"};
    uint32_t seed = 16;
    auto next = [&seed] { return seed = seed * 1103515245u + 12345u, seed >> 16; };
    for (int round = 0; round < 50; ++round) {
        ListingTables plain, prefixed;
        InitListing(plain, kNoLimits);
        ResetListing(plain, "R");
        for (int i = 0; i < 200; ++i) {
            std::string key;
            for (int k = 0, n = 1 + int(next() % 3); k < n; ++k) key += pieces[next() % std::size(pieces)];
            FileEntry row{};
            row.folderId = int32_t(next() % 4);
            row.name = plain.Store(std::to_string(i));
            row.nameLen = uint32_t(std::to_string(i).size());
            row.key = plain.Store(key);
            row.keyLen = uint32_t(key.size());
            plain.files.push_back(row);
        }
        prefixed = plain;
        ASSERT_TRUE(OrderFiles(plain, NameOrder{bytes, bytes, false}));
        ASSERT_TRUE(OrderFiles(prefixed, NameOrder{bytes, bytes, true}));
        ASSERT_EQ(plain.files.size(), prefixed.files.size());
        for (size_t i = 0; i < plain.files.size(); ++i) {
            ASSERT_EQ(plain.Name(plain.files[i]), prefixed.Name(prefixed.files[i])) << "round " << round << " row " << i;
        }
    }
}

TEST(OrderFiles, AnEmptyTableCountsOneRowOnlyUnderTheDefinedLimits) {
    Listing defined, unlimited(kNoLimits);
    MemoryTree t1 = MemoryTree::Parse("R", "a/\n"), t2 = t1;
    ASSERT_EQ(BuildListing(defined.tables, t1, {}), kScanDone);
    ASSERT_EQ(BuildListing(unlimited.tables, t2, {}), kScanDone);
    EXPECT_EQ(defined.tables.fileTotal, 1);
    EXPECT_EQ(unlimited.tables.fileTotal, 0);
}

}  // namespace
