// The POSIX seam and the scan where permissions hold: an unreadable folder, a folder that may be passed
// through but not read. Run as root without CAP_DAC_OVERRIDE/CAP_DAC_READ_SEARCH (see posix.cmake).
#include <dirent.h>

#include <clocale>
#include <cstdlib>
#include <string>

#include <gtest/gtest.h>

#include "listing/listing.h"
#include "platform/disk_source.h"
#include "support/counting_seam.h"

namespace {

// A temporary folder filled by a shell command run inside it; permissions restored and removed at the end.
struct PosixUnreadable : testing::Test {
    std::string root;
    DiskSource source;
    CountingSeam counts;
    FolderSource seam{};

    void SetUp() override {
        char pattern[] = "/tmp/arbolin-unreadable-XXXXXX";
        root = mkdtemp(pattern);
        std::setlocale(LC_ALL, "C.UTF-8");
        std::string error;
        ASSERT_TRUE(InitDiskSource(source, error)) << error;
        seam = counts.Over(DiskFolderSource(source));
        // Every test needs permissions to hold: "probe" is one more unreadable folder the tests expect.
        Shell("mkdir probe && chmod 000 probe");
        DIR* probe = opendir((root + "/probe").c_str());
        ASSERT_EQ(probe, nullptr) << "permissions are overridden: run under setpriv "
                                     "--inh-caps=-dac_override,-dac_read_search "
                                     "--bounding-set=-dac_override,-dac_read_search";
    }
    void TearDown() override {
        CloseDiskSource(source);
        std::setlocale(LC_ALL, "C");
        std::system(("chmod -R u+rwx " + root + " && rm -rf " + root).c_str());
    }
    void Shell(const std::string& command) { ASSERT_EQ(std::system(("cd " + root + " && " + command).c_str()), 0); }
};

TEST_F(PosixUnreadable, UnreadableAndSearchOnlyFolders) {
    // "passage" and every folder below it may be passed through (search permission) but not read, so
    // the pieces of a path past PATH_MAX end in such folders; only "leaf" at the bottom can be read.
    std::string deep = root + "/passage";
    for (int i = 0; i < 25; ++i) deep += "/" + std::string(200, 'p');
    Shell("mkdir locked && touch locked/secret && chmod 000 locked && mkdir -p " + deep +
          "/leaf && find passage -depth -type d ! -name leaf -execdir chmod 111 {} +");

    const struct { std::string path; int error; size_t entries; } cases[] = {
        {root + "/locked", EACCES, 0}, {root + "/passage", EACCES, 0}, {deep, EACCES, 0}, {deep + "/leaf", 0, 0}};
    for (const auto& c : cases) {
        EntryList list;
        EXPECT_EQ(seam.readFolder(seam.context, c.path, list), c.error) << c.path.size();
        EXPECT_EQ(list.entries.size(), c.entries);
    }
    testing::internal::CaptureStderr();
    seam.reportUnreadable(seam.context, root + "/locked", EACCES);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "arbolin: cannot read '" + root + "/locked': Permission denied\n");
}

TEST_F(PosixUnreadable, ScanGoesOnPastUnreadableFolders) {
    Shell("mkdir a locked z && touch f a/x locked/secret z/y && chmod 000 locked");
    ListingTables t;
    InitListing(t, kNoLimits);
    ResetListing(t, root);
    int32_t folderLast = 0, depth = 1;
    testing::internal::CaptureStderr();
    ASSERT_EQ(ScanFolder(t, seam, root, folderLast, depth, ListOptions{}), kScanDone);
    // One line each, in the order the folders came (the file system's).
    std::string notices = testing::internal::GetCapturedStderr();
    std::string locked = "arbolin: cannot read '" + root + "/locked': Permission denied\n";
    std::string probe = "arbolin: cannot read '" + root + "/probe': Permission denied\n";
    EXPECT_TRUE(notices == locked + probe || notices == probe + locked) << notices;
    BuildFolderStructure(t, folderLast, DiskNameOrder());
    ASSERT_TRUE(OrderFiles(t, DiskNameOrder()));
    // The unreadable folders keep their rows, with no children; the folders after them keep their depth.
    ASSERT_EQ(folderLast, 4);
    const char* names[] = {"a", "locked", "probe", "z"};
    for (int32_t row = 1; row <= 4; ++row) {
        EXPECT_EQ(t.Name(t.folders[row]), names[row - 1]);
        EXPECT_EQ(t.folders[row].depth, 1);
        EXPECT_EQ(t.folders[row].subtreeSize, 1);
        EXPECT_EQ(t.folders[row].fileCount, row == 1 || row == 4 ? 1 : 0);
    }
    EXPECT_EQ(t.folders[0].fileCount, 1);
    EXPECT_EQ(counts.unreadable, 2);
    EXPECT_EQ(counts.foldersRead, 3);

    // The root itself unreadable: the scan says so, and the report counts it too.
    ResetListing(t, root + "/locked");
    folderLast = 0, depth = 1;
    testing::internal::CaptureStderr();
    EXPECT_EQ(ScanFolder(t, seam, root + "/locked", folderLast, depth, ListOptions{}), kScanCannotOpen);
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(depth, 0);
    EXPECT_EQ(counts.unreadable, 3);
}

}  // namespace
