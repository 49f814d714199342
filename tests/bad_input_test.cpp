// Bad input over real folders: link loops, hostile and maximal names, the Windows program's capacities at
// their edges, trees deeper than its 255 levels, folders that vanish while they are listed, and -o to a
// full or read-only disk. Runs the built `arbolin`, or the engine over the POSIX seam.
#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <clocale>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "listing/listing.h"
#include "platform/disk_source.h"
#include "render/render.h"
#include "support/arbolin_run.h"
#include "support/memory_tree.h"

namespace fs = std::filesystem;

namespace {

size_t Lines(const std::string& text) { return size_t(std::count(text.begin(), text.end(), '\n')); }

// A temporary folder the tests fill, and `arbolin` run inside it with stdout and stderr caught in files.
class BadInput : public ArbolinFolderTest {
protected:
    void TearDown() override {
        for (const std::string& m : mounts_) umount2(m.c_str(), MNT_DETACH);  // a tmpfs goes with its files
        ArbolinFolderTest::TearDown();
    }

    void Link(const std::string& target, const std::string& rel) { fs::create_symlink(target, At(rel)); }

    // A tmpfs of `options` at `rel`, in a mount namespace of this test's own (so nothing outlives it).
    void Mount(const std::string& rel, const std::string& options) {
        static bool privateNamespace = false;
        if (!privateNamespace) {
            ASSERT_EQ(unshare(CLONE_NEWNS), 0) << "a test of full disks needs root: " << std::strerror(errno);
            ASSERT_EQ(mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr), 0) << std::strerror(errno);
            privateNamespace = true;
        }
        Folder(rel);
        ASSERT_EQ(mount("tmpfs", At(rel).c_str(), "tmpfs", 0, options.c_str()), 0) << std::strerror(errno);
        mounts_.push_back(At(rel));
    }

    // Files left in `rel` whose names start like -o's temporary file.
    std::vector<std::string> Temporaries(const std::string& rel) {
        std::vector<std::string> found;
        for (const auto& e : fs::directory_iterator(At(rel)))
            if (e.path().filename().string().starts_with(".arbolin-")) found.push_back(e.path().filename());
        return found;
    }

    std::vector<std::string> mounts_;
};

// ---- Links: listed, never followed; a loop or a dangling link is just a name.

TEST_F(BadInput, LinkLoopsAndDanglingLinksAreListedNotFollowed) {
    Folder("l/d");
    Link("self", "l/self");      // a loop of one
    Link("b", "l/a");            // a loop of two
    Link("a", "l/b");
    Link("..", "l/up");          // links to folders above and at the listed one
    Link(".", "l/here");
    Link("../..", "l/d/back");
    Link("nowhere", "l/dangling");

    RunResult plain = Arbolin({"l"});
    EXPECT_EQ(plain.status, 0) << plain.err;
    EXPECT_EQ(plain.out, "[ l ]\n ├[ d ]\n │ └back\n ├a\n ├b\n ├dangling\n ├here\n ├self\n └up\n");
    EXPECT_EQ(plain.err, "");

    // As the Windows program lists reparse points: a link to a folder is a folder, never entered.
    RunResult compat = Arbolin({"--compat", "l"});
    EXPECT_EQ(compat.status, 0) << compat.err;
    EXPECT_EQ(compat.out, Sjis("[ l ]\n ├[ d ]\n │ └[ back ]\n ├[ here ]\n ├[ up ]\n ├a\n ├b\n ├dangling\n └self\n"));

    // FOLDER itself is followed once, as the user named it; the links inside it still are not.
    RunResult through = Arbolin({"l/here"});
    EXPECT_EQ(through.status, 0);
    EXPECT_EQ(through.out, "[ l/here ]\n ├[ d ]\n │ └back\n ├a\n ├b\n ├dangling\n ├here\n ├self\n └up\n");

    const struct { const char* folder; const char* reason; } broken[] = {
        {"l/self", "Too many levels of symbolic links"},
        {"l/a", "Too many levels of symbolic links"},
        {"l/dangling", "No such file or directory"},
    };
    for (const auto& b : broken) {
        RunResult r = Arbolin({b.folder});
        EXPECT_EQ(r.status, 2) << b.folder;
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(r.err, "arbolin: cannot read '" + std::string(b.folder) + "': " + b.reason + "\n");
    }
}

// ---- Names that would forge a line, break a format string or are not UTF-8: as a folder and as a file
// in it, in every encoding, and in the notice about an unreadable folder.

TEST_F(BadInput, HostileNamesNeverForgeALine) {
    const struct {
        std::string raw;
        const char* utf8;    // as the UTF-8 writer escapes it
        const char* sjis;    // converted to CP932 (invalid bytes become '?'), then escaped
        const char* notice;  // as a message on standard error quotes it
    } cases[] = {
        {"%s%n%x%p", "%s%n%x%p", "%s%n%x%p", "%s%n%x%p"},
        {"cr\rx", "cr\\rx", "cr\\rx", "cr\\rx"},
        {"lf\nx", "lf\\nx", "lf\\nx", "lf\\nx"},
        {"tab\tx", "tab\\tx", "tab\\tx", "tab\\tx"},
        {"esc\x1b]0;t\x07", "esc\\x1b]0;t\\a", "esc\\x1b]0;t\\a", "esc\\x1b]0;t\\x07"},
        {"ff\xff\xfe", "ff\\xff\\xfe", "ff??", "ff\\xff\\xfe"},
        {"overlong\xc0\xaf", "overlong\\xc0\\xaf", "overlong??", "overlong\\xc0\\xaf"},
        {"surrogate\xed\xa0\x80", "surrogate\\xed\\xa0\\x80", "surrogate???", "surrogate\\xed\\xa0\\x80"},
        {"cut\xe6\x97", "cut\\xe6\\x97", "cut??", "cut\\xe6\\x97"},
    };
    // Case i is the folder h/c<i>/NAME holding the file NAME: one run per mode lists them all.
    const size_t count = std::size(cases);
    for (size_t i = 0; i < count; ++i) File("h/c" + std::to_string(i) + "/" + cases[i].raw + "/" + cases[i].raw);
    auto expected = [&](const Pieces& p, bool sjis, bool withFiles) {
        std::string text = std::string("[ h ]") + std::string(p.eol);
        for (size_t i = 0; i < count; ++i) {
            const bool last = i + 1 == count;
            const std::string name = sjis ? cases[i].sjis : cases[i].utf8;
            const std::string column = std::string(last ? p.blank : p.branch);
            text += std::string(last ? p.last : p.tee) + "[ c" + std::to_string(i) + " ]" + std::string(p.eol);
            text += column + std::string(p.last) + "[ " + name + " ]" + std::string(p.eol);
            if (withFiles) text += column + std::string(p.blank) + std::string(p.last) + name + std::string(p.eol);
        }
        return text;
    };
    RunResult utf8 = Arbolin({"h"});
    EXPECT_EQ(utf8.status, 0) << utf8.err;
    EXPECT_EQ(utf8.out, expected(kUtf8Pieces, false, true));
    for (const char* mode : {"--encoding=sjis", "--compat"}) {
        RunResult r = Arbolin({mode, "h"});
        EXPECT_EQ(r.status, 0) << mode << "\n" << r.err;
        EXPECT_EQ(r.out, expected(kSjisPieces, true, true)) << mode;
    }

    // Unreadable: each one is named on a line of its own (in the order the file system delivered them).
    std::vector<std::string> notices;
    for (size_t i = 0; i < count; ++i) {
        chmod(At("h/c" + std::to_string(i) + "/" + cases[i].raw).c_str(), 0);
        notices.push_back("arbolin: cannot read 'h/c" + std::to_string(i) + "/" + cases[i].notice + "': Permission denied");
    }
    RunResult locked = Arbolin({"h"}, true);
    EXPECT_EQ(locked.status, 1);
    EXPECT_EQ(locked.out, expected(kUtf8Pieces, false, false));
    std::vector<std::string> lines;
    std::istringstream in(locked.err);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    std::sort(lines.begin(), lines.end());
    std::sort(notices.begin(), notices.end());
    EXPECT_EQ(lines, notices);

    // The name of an output file that cannot be written is quoted the same way.
    RunResult output = Arbolin({"-o", "h/c2/" + cases[2].raw + "/" + cases[4].raw, "h"}, true);
    EXPECT_EQ(output.status, 2);
    EXPECT_EQ(output.err, std::string("arbolin: cannot write 'h/c2/") + cases[2].notice + "/" + cases[4].notice +
                              "': Permission denied\n");
}

// The Unicode tag characters (U+E0000 to U+E007F) are not in code page 932, so in the sjis modes each one
// must show as '?' like any other such character, although glibc's iconv drops them without a word (a
// FOLDER named with tags alone would otherwise get an empty root line and no listing).
TEST_F(BadInput, TagCharactersShowAsQuestionMarksInSjis) {
    const std::string tagA = "\xF3\xA0\x81\x81", tag1 = "\xF3\xA0\x80\x81";  // U+E0041, U+E0001
    File("t/" + tagA + "/in");
    File("t/a" + tag1 + "b");
    RunResult r = Arbolin({"--encoding=sjis", "t"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, Sjis("[ t ]\n ├[ ? ]\n │ └in\n └a?b\n"));
    File(tagA + "/in");
    RunResult root = Arbolin({"--compat", tagA});
    EXPECT_EQ(root.status, 0) << root.err;
    EXPECT_EQ(root.out, Sjis("[ ? ]\n └in\n"));
}

// ---- The longest names a folder can hold, and paths at the Windows program's 259 bytes.

TEST_F(BadInput, NamesOf255Bytes) {
    const std::string d255(255, 'd'), n255(255, 'n');
    std::string kanji;  // 日 eighty-five times: 255 bytes of UTF-8, 170 columns, 170 bytes of CP932
    for (int i = 0; i < 85; ++i) kanji += "\xE6\x97\xA5";
    auto sjisKanji = [](int count) {
        std::string s;
        for (int i = 0; i < count; ++i) s += "\x93\xFA";
        return s;
    };
    File("r/" + d255 + "/in");
    File("r/" + n255);
    File("r/" + kanji);

    const struct {
        std::vector<std::string> args;
        std::string expected;
    } cases[] = {
        {{"r"}, "[ r ]\n ├[ " + d255 + " ]\n │ └in\n ├" + n255 + "\n └" + kanji + "\n"},
        // Shortened to 14 columns: fourteen letters, or seven wide characters.
        {{"--name-limit", "r"},
         "[ r ]\n ├[ " + d255.substr(0, 14) + " … ]\n │ └in\n ├" + n255.substr(0, 14) + " …\n └" +
             kanji.substr(0, 21) + " …\n"},
        {{"--encoding=sjis", "r"},
         Sjis("[ r ]\n ├[ " + d255 + " ]\n │ └in\n ├" + n255 + "\n └") + sjisKanji(85) + "\r\n"},
        {{"--encoding=sjis", "--name-limit", "r"},
         Sjis("[ r ]\n ├[ " + d255.substr(0, 14) + " … ]\n │ └in\n ├" + n255.substr(0, 14) + " …\n └") +
             sjisKanji(7) + Sjis(" …\n")},
    };
    for (const auto& c : cases) {
        RunResult r = Arbolin(c.args);
        EXPECT_EQ(r.status, 0) << c.args[0] << "\n" << r.err;
        EXPECT_EQ(r.out, c.expected) << c.args[0];
    }

    // --compat keeps the Windows program's paths: a folder is read while its search pattern ("r/" + 255
    // bytes + "/*") has at most 259 bytes. Under "rr" the pattern has 260, and the folder is reported.
    Folder("rr/" + d255);
    File("rr/" + d255 + "/in");
    RunResult fits = Arbolin({"--compat", "--no-file-names", "--indented", "r"});
    EXPECT_EQ(fits.status, 0) << fits.err;
    RunResult tooLong = Arbolin({"--compat", "--indented", "rr"});
    EXPECT_EQ(tooLong.status, 1);
    EXPECT_EQ(tooLong.out, Sjis("[ rr ]\n   [ " + d255 + " ]\n   \n"));
    EXPECT_EQ(tooLong.err, "arbolin: cannot read 'rr/" + d255 + "': File name too long\n");
    // Only the shown (CP932) bytes count: the 255-byte kanji name is 170 bytes there, and is entered.
    Folder("rr/" + kanji);
    File("rr/" + kanji + "/in");
    fs::remove_all(At("rr/" + d255));
    RunResult shown = Arbolin({"--compat", "--indented", "rr"});
    EXPECT_EQ(shown.status, 0) << shown.err;
    EXPECT_EQ(shown.out, Sjis("[ rr ]\n   [ ") + sjisKanji(85) + Sjis(" ]\n      in\n"));
    // Without --compat there is no path limit.
    EXPECT_EQ(Arbolin({"rr"}).status, 0);
}

// ---- The Windows program's capacities at their edges.

// The folder table holds the root and 65,535 folders. 65,535 are scanned and ordered, and then pass the
// text limit (each takes a line); one more aborts the scan, and nothing is listed. (On a tmpfs: making
// 65,536 folders on a disk takes minutes.)
TEST_F(BadInput, CompatHolds65535FoldersNot65536) {
    Mount("f", "size=256m");
    char name[8];
    for (int i = 0; i < 65535; ++i) {
        std::snprintf(name, sizeof name, "%05d", i);
        ASSERT_EQ(mkdir(At("f/" + std::string(name)).c_str(), 0755), 0);
    }
    RunResult held = Arbolin({"--compat", "--indented", "f"});
    EXPECT_EQ(held.status, 2);
    EXPECT_EQ(held.err, "arbolin: too much data: the listing passes 65,280 bytes of text; it stops there\n");
    EXPECT_TRUE(held.out.starts_with("[ f ]\r\n   [ 00000 ]\r\n   [ 00001 ]\r\n")) << held.out.substr(0, 40);
    EXPECT_LE(held.out.size(), 65535u);

    ASSERT_EQ(mkdir(At("f/65535").c_str(), 0755), 0);
    RunResult refused = Arbolin({"--compat", "--indented", "f"});
    EXPECT_EQ(refused.status, 2);
    EXPECT_EQ(refused.out, "");
    EXPECT_EQ(refused.err, "arbolin: too much data: more than 65,535 folders or 65,536 files; nothing listed\n");

    RunResult all = Arbolin({"--indented", "f"});
    EXPECT_EQ(all.status, 0);
    EXPECT_EQ(Lines(all.out), 65537u);
    EXPECT_TRUE(all.out.ends_with("   [ 65535 ]\n"));
}

// A listing of exactly 65,280 bytes is shown; one byte more is too much, shown as far as it goes (the
// whole text here, as the limit is checked at the end of the folder) with the message. 256 files:
// "[ t ]" and 256 lines of 3 + name + 2 bytes, in both views.
TEST_F(BadInput, CompatTextOf65280BytesPasses65281Fails) {
    for (int extra = 0; extra <= 1; ++extra) {
        fs::remove_all(At("t"));
        Folder("t");
        for (int i = 0; i < 256; ++i) {
            std::string name = std::to_string(100 + i);
            name.resize(i == 255 ? 243 + extra : 250, 'x');
            File("t/" + name);
        }
        for (bool indented : {false, true}) {
            const char* view = indented ? "indented" : "tree";
            RunResult r = indented ? Arbolin({"--compat", "--indented", "t"}) : Arbolin({"--compat", "t"});
            EXPECT_EQ(r.out.size(), 65280u + extra) << view;
            EXPECT_TRUE(r.out.ends_with("355" + std::string(240 + extra, 'x') + "\r\n")) << view;
            if (extra == 0) {
                EXPECT_EQ(r.status, 0) << view << ": " << r.err;
                EXPECT_EQ(r.err, "");
            } else {
                EXPECT_EQ(r.status, 2) << view;
                EXPECT_EQ(r.err, "arbolin: too much data: the listing passes 65,280 bytes of text; it stops there\n");
            }
        }
        EXPECT_EQ(Arbolin({"--encoding=sjis", "t"}).status, 0);  // no limit without --compat
    }
}

// ---- Deeper than the 255 levels the tree view's columns and the Windows program hold.

TEST_F(BadInput, TreeDeeperThan255Levels) {
    const int levels = 300;
    std::string path = "deep";
    for (int i = 0; i <= levels; ++i) {
        File(path + "/f");
        if (i < levels) path += "/d";
    }
    // Every folder holds the next one and a file, so every column goes on down to the last line.
    auto branches = [](int n) {
        std::string s;
        for (int i = 0; i < n; ++i) s += " │";
        return s;
    };
    std::string expected = "[ deep ]\n";
    for (int depth = 1; depth <= levels; ++depth) expected += branches(depth - 1) + " ├[ d ]\n";
    for (int depth = levels; depth >= 0; --depth) expected += branches(depth) + " └f\n";
    RunResult tree = Arbolin({"deep"});
    EXPECT_EQ(tree.status, 0) << tree.err;
    EXPECT_EQ(tree.out, expected);

    // --compat stops where the path passes 259 bytes: "deep" + 127 times "/d" makes a search pattern of
    // 260, so the folder at depth 127 is listed, reported and not entered.
    RunResult compat = Arbolin({"--compat", "--indented", "deep"});
    EXPECT_EQ(compat.status, 1);
    EXPECT_EQ(Lines(compat.out), 1u + 127 + 127);
    EXPECT_NE(compat.out.find(std::string(127 * 3, ' ') + "[ d ]\r\n"), std::string::npos);
    EXPECT_EQ(compat.out.find(std::string(128 * 3, ' ') + "f"), std::string::npos);
    ExpectMessages(compat.err, 1);
    EXPECT_TRUE(compat.err.ends_with("': File name too long\n")) << compat.err;
}

// ---- Folders that change while they are listed: the engine over the POSIX seam, with a seam in between
// that changes the tree after a chosen folder was read.

struct Racing {
    FolderSource inner;
    std::string trigger;                 // after this folder is read ...
    std::function<void()> change;        // ... this happens, once
    std::vector<std::string> reported;   // folders reported unreadable, with the reason
};

int RacingRead(void* context, const std::string& path, EntryList& out) {
    auto& racing = *static_cast<Racing*>(context);
    int error = racing.inner.readFolder(racing.inner.context, path, out);
    if (path == racing.trigger && racing.change) {
        racing.change();
        racing.change = nullptr;
    }
    return error;
}

void RacingReport(void* context, const std::string& path, int error) {
    static_cast<Racing*>(context)->reported.push_back(path + ": " + std::strerror(error));
}

class ChangingTree : public BadInput {
protected:
    void SetUp() override {
        BadInput::SetUp();
        std::setlocale(LC_ALL, "C.UTF-8");
        std::string error;
        ASSERT_TRUE(InitDiskSource(source_, error)) << error;
        // a (x), b (c (y), z), e (w); a folder "outside" that a link could lead to.
        File("t/a/x");
        File("t/b/c/y");
        File("t/b/z");
        File("t/e/w");
        File("outside/secret");
    }
    void TearDown() override {
        CloseDiskSource(source_);
        std::setlocale(LC_ALL, "C");
        BadInput::TearDown();
    }

    // Scans t through the racing seam (no limits) and returns the folder rows with their files, one
    // line each: depth spaces, the name, and ": " with the file names when there are any.
    std::vector<std::string> List(Racing& racing, ScanResult& result) {
        racing.inner = DiskFolderSource(source_);
        FolderSource seam = racing.inner;
        seam.context = &racing;
        seam.readFolder = RacingRead;
        seam.reportUnreadable = RacingReport;
        ListingTables t;
        InitListing(t, kNoLimits);
        ResetListing(t, "t");
        int32_t folderLast = 0, depth = 1;
        ListOptions options;
        options.maxDepth = INT32_MAX;
        result = ScanFolder(t, seam, At("t"), folderLast, depth, options);
        std::vector<std::string> rows;
        if (result == kScanAbort) return rows;
        BuildFolderStructure(t, folderLast, DiskNameOrder());
        EXPECT_TRUE(OrderFiles(t, DiskNameOrder()));
        for (int32_t r = 0; r <= folderLast; ++r) {
            std::string row = std::string(t.folders[r].depth, ' ') + std::string(t.Name(t.folders[r]));
            std::string files;
            for (const FileEntry& f : t.files)
                if (f.folderId == t.folders[r].id) files += (files.empty() ? ": " : " ") + std::string(t.Name(f));
            rows.push_back(row + files);
        }
        return rows;
    }

    DiskSource source_;
};

TEST_F(ChangingTree, FolderRemovedOrReplacedAfterItsParentWasRead) {
    const struct {
        const char* what;
        std::function<void()> change;
        const char* reason;
    } cases[] = {
        {"removed", [this] { fs::remove_all(At("t/b")); }, "No such file or directory"},
        {"replaced by a file",
         [this] {
             fs::remove_all(At("t/b"));
             File("t/b", "now a file");
         },
         "Not a directory"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        File("t/b/c/y");
        File("t/b/z");
        Racing racing;
        racing.trigger = At("t");
        racing.change = c.change;
        ScanResult result;
        std::vector<std::string> rows = List(racing, result);
        EXPECT_EQ(result, kScanDone);
        // b keeps its row (it was there when t was read) and nothing below it; a and e are whole.
        EXPECT_EQ(rows, (std::vector<std::string>{"t", " a: x", " b", " e: w"}));
        EXPECT_EQ(racing.reported, std::vector<std::string>{At("t/b") + ": " + c.reason});
        fs::remove_all(At("t/b"));
    }
}

TEST_F(ChangingTree, FolderRemovedAfterItWasRead) {
    // b was read whole (c and z) before it went: its rows stand, c is reported when the walk gets there.
    Racing racing;
    racing.trigger = At("t/b");
    racing.change = [&] { fs::remove_all(At("t/b")); };
    ScanResult result;
    EXPECT_EQ(List(racing, result), (std::vector<std::string>{"t", " a: x", " b: z", "  c", " e: w"}));
    EXPECT_EQ(result, kScanDone);
    EXPECT_EQ(racing.reported, std::vector<std::string>{At("t/b/c") + ": No such file or directory"});

    // The listed folder itself gone before the walk begins: nothing but the report.
    Racing gone;
    gone.trigger = "(never)";
    fs::remove_all(At("t"));
    EXPECT_EQ(List(gone, result), std::vector<std::string>{"t"});
    EXPECT_EQ(result, kScanCannotOpen);
    EXPECT_EQ(gone.reported, std::vector<std::string>{At("t") + ": No such file or directory"});
}

// A folder swapped for a link after its parent was read must not lead the walk through the link: links
// are never followed, and the listing must not show what lies behind one (here a folder outside the
// listed tree). The link is reported as not a folder; FOLDER itself may be a link (see above).
TEST_F(ChangingTree, FolderSwappedForALinkIsNotFollowed) {
    Racing racing;
    racing.trigger = At("t");
    racing.change = [&] {
        fs::remove_all(At("t/b"));
        fs::create_directory_symlink(At("outside"), At("t/b"));
    };
    ScanResult result;
    std::vector<std::string> rows = List(racing, result);
    EXPECT_EQ(result, kScanDone);
    EXPECT_EQ(rows, (std::vector<std::string>{"t", " a: x", " b", " e: w"}));
    EXPECT_EQ(racing.reported, std::vector<std::string>{At("t/b") + ": Not a directory"});
}

// ---- -o to a disk that is full or read-only: a clear message, exit status 2, and an existing FILE left
// exactly as it was (the listing goes to a temporary file that only replaces FILE when all of it was
// written). Each disk is a small tmpfs in the test's own mount namespace.

TEST_F(BadInput, OutputToAFullDiskLeavesTheOldFile) {
    // About 200 KB of listing, streamed in blocks; and 62 KB of --compat listing, written at once.
    for (int i = 0; i < 800; ++i) File("big/" + std::to_string(1000 + i) + std::string(240, 'n'));
    for (int i = 0; i < 250; ++i) File("mid/" + std::to_string(1000 + i) + std::string(240, 'n'));
    ASSERT_EQ(Arbolin({"--compat", "mid"}).status, 0);
    Mount("full", "size=64k");  // 60 KB free once the old file holds its page
    WriteFile(At("full/list.txt"), "the old listing\n");
    const struct {
        const char* what;
        std::vector<std::string> args;
    } cases[] = {
        {"streamed", {"-o", "full/list.txt", "big"}},
        {"written at once", {"--compat", "-o", "full/list.txt", "mid"}},
    };
    for (const auto& c : cases) {
        RunResult r = Arbolin(c.args);
        EXPECT_EQ(r.status, 2) << c.what;
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(r.err, "arbolin: cannot write 'full/list.txt': No space left on device\n") << c.what;
        EXPECT_EQ(ReadAll(At("full/list.txt")), "the old listing\n") << c.what;
        EXPECT_EQ(Temporaries("full"), std::vector<std::string>{}) << c.what;
    }

    // A listing that fits still replaces the file, on the same disk.
    File("small/a");
    RunResult fits = Arbolin({"-o", "full/list.txt", "small"});
    EXPECT_EQ(fits.status, 0) << fits.err;
    EXPECT_EQ(ReadAll(At("full/list.txt")), "[ small ]\n └a\n");

    // No room even for the temporary file's entry: a disk without free inodes.
    Mount("noinodes", "size=64k,nr_inodes=2");
    WriteFile(At("noinodes/list.txt"), "the old listing\n");
    RunResult r = Arbolin({"-o", "noinodes/list.txt", "small"});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err, "arbolin: cannot write 'noinodes/list.txt': cannot create a temporary file in 'noinodes': "
                     "No space left on device\n");
    EXPECT_EQ(ReadAll(At("noinodes/list.txt")), "the old listing\n");
}

TEST_F(BadInput, OutputToAReadOnlyDisk) {
    File("small/a");
    Mount("ro", "size=64k");
    WriteFile(At("ro/list.txt"), "the old listing\n");
    ASSERT_EQ(mount(nullptr, At("ro").c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr), 0) << std::strerror(errno);
    // The existing file cannot be written; a new one cannot be made beside it.
    const struct {
        const char* file;
        const char* message;
    } cases[] = {
        {"ro/list.txt", "arbolin: cannot write 'ro/list.txt': Read-only file system\n"},
        {"ro/new.txt", "arbolin: cannot write 'ro/new.txt': cannot create a temporary file in 'ro': "
                       "Read-only file system\n"},
    };
    for (const auto& c : cases) {
        RunResult r = Arbolin({"-o", c.file, "small"});
        EXPECT_EQ(r.status, 2) << c.file;
        EXPECT_EQ(r.err, c.message);
    }
    EXPECT_EQ(ReadAll(At("ro/list.txt")), "the old listing\n");
    EXPECT_FALSE(fs::exists(At("ro/new.txt")));
}

}  // namespace
