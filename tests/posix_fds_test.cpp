// The POSIX source's file descriptors over real folders: folders done with are closed in batches (one
// close_range per run of consecutive numbers), which must never close an fd the source does not own,
// leak one, or fail a folder under a low limit on open files.
#include <dirent.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <clocale>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "listing/listing.h"
#include "platform/disk_source.h"
#include "support/counting_seam.h"

namespace {

std::set<int> OpenFds() {
    std::set<int> fds;
    DIR* dir = opendir("/proc/self/fd");
    if (!dir) return fds;
    int own = dirfd(dir);
    while (dirent* d = readdir(dir)) {
        if (d->d_name[0] == '.') continue;
        int fd = std::atoi(d->d_name);
        if (fd != own) fds.insert(fd);
    }
    closedir(dir);
    return fds;
}

// A tree of `wide` folders, each with `wide` subfolders holding one file, and a chain `deep` folders
// long beside them: folders with and without subfolders, read one after another.
struct Tree {
    std::string root;
    Tree(int wide, int deep) {
        char pattern[] = "/tmp/arbolin-fds-XXXXXX";
        root = mkdtemp(pattern);
        std::string command = "cd " + root + " && for i in $(seq " + std::to_string(wide) + "); do for j in $(seq " +
                              std::to_string(wide) + "); do mkdir -p d$i/e$j && touch d$i/e$j/f; done; done";
        std::string chain = "chain";
        for (int i = 1; i < deep; ++i) chain += "/c";
        command += " && mkdir -p " + chain;
        EXPECT_EQ(std::system(command.c_str()), 0);
    }
    ~Tree() { std::system(("rm -rf " + root).c_str()); }
};

// A seam between the engine and the source that opens an fd of its own after every third folder read,
// so others' fds sit right after runs of the source's.
struct Interleaving {
    FolderSource inner;
    int64_t reads = 0;
    std::vector<int> others;
};

int InterleavingRead(void* context, const std::string& path, EntryList& out) {
    auto& seam = *static_cast<Interleaving*>(context);
    int error = seam.inner.readFolder(seam.inner.context, path, out);
    if (++seam.reads % 3 == 0) {
        int fd = open("/dev/null", O_RDONLY | O_CLOEXEC);
        if (fd >= 0) seam.others.push_back(fd);
    }
    return error;
}

struct Scanned {
    ScanResult result;
    std::vector<std::string> rows;  // folder rows: depth spaces and the name
    int64_t foldersRead, unreadable;
};

// Scans `root` without limits over a fresh source, through `seam` when it is given.
Scanned Scan(const std::string& root, Interleaving* seam = nullptr) {
    DiskSource source;
    std::string error;
    EXPECT_TRUE(InitDiskSource(source, error)) << error;
    CountingSeam counts;
    FolderSource through = counts.Over(DiskFolderSource(source));
    if (seam) {
        seam->inner = through;
        through.context = seam;
        through.readFolder = InterleavingRead;
    }
    ListingTables t;
    InitListing(t, kNoLimits);
    ResetListing(t, root);
    int32_t folderLast = 0, depth = 1;
    ListOptions options;
    options.maxDepth = INT32_MAX;
    Scanned s{};
    s.result = ScanFolder(t, through, root, folderLast, depth, options);
    BuildFolderStructure(t, folderLast, DiskNameOrder());
    for (int32_t i = 0; i <= folderLast; ++i)
        s.rows.push_back(std::string(t.folders[i].depth, ' ') + std::string(t.Name(t.folders[i])));
    s.foldersRead = counts.foldersRead;
    s.unreadable = counts.unreadable;
    CloseDiskSource(source);
    return s;
}

class PosixFds : public ::testing::Test {
protected:
    void SetUp() override { std::setlocale(LC_ALL, "C.UTF-8"); }
    void TearDown() override { std::setlocale(LC_ALL, "C"); }
};

TEST_F(PosixFds, OnlyItsOwnFoldersAreClosedAndNoneIsLeft) {
    Tree tree(12, 40);
    std::set<int> before = OpenFds();
    Interleaving seam;
    Scanned s = Scan(tree.root, &seam);
    EXPECT_EQ(s.result, kScanDone);
    EXPECT_EQ(s.foldersRead, 1 + 12 + 12 * 12 + 40);
    EXPECT_EQ(s.unreadable, 0);
    ASSERT_EQ(seam.others.size(), size_t(s.foldersRead / 3));
    // Every fd the seam opened between two reads is still open: no batch of closes took it along.
    std::set<int> expected = before;
    for (int fd : seam.others) {
        EXPECT_NE(fcntl(fd, F_GETFD), -1) << "fd " << fd << " was closed by the source";
        expected.insert(fd);
    }
    // And once the source is closed, none of its folders is still open.
    EXPECT_EQ(OpenFds(), expected);
    for (int fd : seam.others) close(fd);
}

TEST_F(PosixFds, LowLimitOnOpenFilesListsTheSame) {
    Tree tree(12, 40);
    Scanned normal = Scan(tree.root);
    ASSERT_EQ(normal.result, kScanDone);
    ASSERT_EQ(normal.unreadable, 0);
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &saved), 0);
    // A few fds free above those open now: far fewer than the folders held open and waiting to be closed.
    int highest = *OpenFds().rbegin();
    for (int spare : {4, 12, 40}) {
        SCOPED_TRACE(spare);
        rlimit low = saved;
        low.rlim_cur = rlim_t(highest + 1 + spare);
        ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &low), 0);
        Scanned limited = Scan(tree.root);
        setrlimit(RLIMIT_NOFILE, &saved);
        EXPECT_EQ(limited.result, kScanDone);
        EXPECT_EQ(limited.rows, normal.rows);
        EXPECT_EQ(limited.foldersRead, normal.foldersRead);
        EXPECT_EQ(limited.unreadable, 0);
    }
}

}  // namespace
