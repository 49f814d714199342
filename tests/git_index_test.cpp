// The index reader against git itself: the paths it reads from indexes git wrote (each version, conflicts,
// long names) are those `git ls-files --stage` prints; forms it leaves to libgit2 and damaged files are
// refused, never misread; folder ranges and lookups find what lies below a folder and nothing beside it.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "git/git_index.h"
#include "support/arbolin_run.h"

namespace {

class GitIndex : public ArbolinFolderTest {
protected:
    int Git(const std::string& repo, const std::string& args) {
        return std::system(("git -C '" + At(repo) + "' " + args + " >/dev/null 2>&1").c_str());
    }
    // The paths of the index as git lists them, one per entry (a conflict's stages each, a sparse index's
    // folder entries as they are).
    std::vector<std::string> GitPaths(const std::string& repo) {
        std::vector<std::string> paths;
        FILE* pipe = popen(("git -C '" + At(repo) + "' ls-files --stage --sparse -z").c_str(), "r");
        if (pipe == nullptr) return paths;
        std::string out;
        char block[4096];
        for (size_t n; (n = fread(block, 1, sizeof block, pipe)) > 0;) out.append(block, n);
        pclose(pipe);
        for (size_t at = 0; at < out.size();) {
            size_t end = out.find('\0', at);
            size_t tab = out.find('\t', at);
            paths.push_back(out.substr(tab + 1, end - tab - 1));
            at = end + 1;
        }
        return paths;
    }
    std::vector<std::string> Read(const std::string& repo, IndexReadResult expected) {
        TrackedPaths tracked;
        EXPECT_EQ(ReadTrackedPaths(At(repo + "/.git/index"), tracked), expected) << repo;
        std::vector<std::string> paths;
        for (size_t i = 0; i < tracked.Count(); ++i) paths.emplace_back(tracked.Path(i));
        return paths;
    }
    // A repository with files in folders, names that sort around '/', and a path longer than the 4095
    // bytes the entry's length field holds (only in the index: no file system takes it).
    void MakeRepository(const std::string& repo) {
        Folder(repo);
        ASSERT_EQ(Git(repo, "init -q"), 0);
        for (const char* f : {"a.c", "a/x", "a-b", "a/b/c", "a0", "z\xC3\xA9", "b/\x01odd"}) File(repo + "/" + f, f);
        ASSERT_EQ(Git(repo, "add -A"), 0);
        std::string longPath = "long";
        for (int i = 0; i < 17; ++i) longPath += "/" + std::string(250, char('a' + i));
        ASSERT_EQ(Git(repo, "hash-object -w --stdin </dev/null"), 0);  // the empty file's object
        ASSERT_EQ(Git(repo, "update-index --add --cacheinfo 100644,e69de29bb2d1d6434b8b29ae775ad8c2e48c5391," +
                                longPath),
                  0);
    }
};

TEST_F(GitIndex, ReadsWhatGitWrote) {
    const struct {
        const char* what;
        std::string commands;    // run in the repository after the files were added
        std::string extensions;  // names of extensions the index must then hold
    } cases[] = {
        {"version 2", "update-index --index-version 2", ""},
        {"version 3 (an intent-to-add entry)", "update-index --index-version 3 && touch n && git add -N n", ""},
        {"version 4 (paths as changes to the one before)", "update-index --index-version 4", ""},
        {"extensions (cached tree, end of entries, entry offsets)",
         "-c user.name=t -c user.email=t@t commit -qm one && echo 3 >a.c && git -c index.recordEndOfIndexEntries=true "
         "-c index.recordOffsetTable=true -c index.threads=2 add -A",
         "TREE EOIE IEOT"},
        {"untracked cache", "update-index --untracked-cache && git status", "UNTR"},
        // A split index: entries of the shared index deleted (a0), replaced (a.c) and kept, one added.
        {"split index", "update-index --split-index && git rm -q --cached a0 && echo x >a.c && git add a.c && "
         "touch new && git add new", "link"},
        {"split index, version 4", "update-index --index-version 4 && git update-index --split-index && "
         "git rm -q --cached a-b && echo x >a/x && git add a/x", "link"},
    };
    for (const auto& c : cases) {
        std::string repo = "R" + std::to_string(&c - cases);
        MakeRepository(repo);
        ASSERT_EQ(std::system(("cd '" + At(repo) + "' && git " + c.commands + " >/dev/null 2>&1").c_str()), 0) << c.what;
        std::string bytes = ReadAll(At(repo + "/.git/index"));
        for (size_t at = 0; at < c.extensions.size(); at += 5)
            EXPECT_NE(bytes.find(c.extensions.substr(at, 4)), std::string::npos) << c.what;
        std::vector<std::string> expected = GitPaths(repo);
        ASSERT_GE(expected.size(), 7u) << c.what;
        EXPECT_EQ(Read(repo, kIndexRead), expected) << c.what;
    }
}

TEST_F(GitIndex, ConflictsListEachStage) {
    MakeRepository("C");
    std::string commit = "-c user.name=t -c user.email=t@t commit -qam";
    ASSERT_EQ(Git("C", commit + " base"), 0);
    ASSERT_EQ(Git("C", "checkout -qb other"), 0);
    File("C/a.c", "other");
    ASSERT_EQ(Git("C", commit + " other"), 0);
    ASSERT_EQ(Git("C", "checkout -q -"), 0);
    File("C/a.c", "mine");
    ASSERT_EQ(Git("C", commit + " mine"), 0);
    EXPECT_NE(Git("C", "merge -q other"), 0);  // the conflict
    std::vector<std::string> expected = GitPaths("C");
    EXPECT_EQ(std::count(expected.begin(), expected.end(), "a.c"), 3);
    EXPECT_EQ(Read("C", kIndexRead), expected);
}

TEST_F(GitIndex, LeavesOtherFormsToLibgit2) {
    MakeRepository("S");  // a split index whose shared index is gone
    ASSERT_EQ(std::system(("cd '" + At("S") + "' && git update-index --split-index && rm .git/sharedindex.*").c_str()), 0);
    Read("S", kIndexOther);
    Folder("H");  // SHA-256 object names: every entry is longer
    ASSERT_EQ(Git("H", "init -q --object-format=sha256"), 0);
    File("H/a/x");
    File("H/b");
    ASSERT_EQ(Git("H", "add -A"), 0);
    Read("H", kIndexOther);
    EXPECT_TRUE(Read("none", kIndexMissing).empty());
}

// A sparse index holds a folder outside the checkout's cone as one entry, "b/", which stands for
// everything in it.
TEST_F(GitIndex, SparseFolderEntriesHoldWhatIsInThem) {
    MakeRepository("P");
    ASSERT_EQ(Git("P", "-c user.name=t -c user.email=t@t commit -qm one"), 0);
    ASSERT_EQ(Git("P", "sparse-checkout set --cone --sparse-index a"), 0);
    EXPECT_NE(ReadAll(At("P/.git/index")).find("sdir"), std::string::npos);
    std::vector<std::string> expected = GitPaths("P");
    ASSERT_NE(std::find(expected.begin(), expected.end(), "b/"), expected.end());
    EXPECT_EQ(Read("P", kIndexRead), expected);

    TrackedPaths tracked;
    ASSERT_EQ(ReadTrackedPaths(At("P/.git/index"), tracked), kIndexRead);
    TrackedRange all = AllTracked(tracked);
    const struct {
        const char* path;
        bool tracked;
    } cases[] = {
        {"b/", true}, {"b/new", true}, {"b/c/d", true}, {"b/c/", true}, {"b", false}, {"a/x", true},
        {"a/new", false}, {"c/d", false}, {"bb/x", false},
    };
    for (const auto& c : cases) EXPECT_EQ(IsTracked(tracked, all, c.path), c.tracked) << c.path;
}

TEST_F(GitIndex, RefusesDamage) {
    MakeRepository("D");
    std::string bytes = ReadAll(At("D/.git/index"));
    TrackedPaths whole;
    ASSERT_EQ(ParseTrackedPaths(bytes, whole), kIndexRead);
    // Cut anywhere before the checksum: refused, never read past the end.
    for (size_t size = 0; size + 20 < bytes.size(); ++size) {
        std::string cut = bytes.substr(0, size);
        TrackedPaths tracked;
        EXPECT_EQ(ParseTrackedPaths(cut, tracked), kIndexOther) << size;
    }
    auto damaged = [&](size_t at, char value) {
        std::string copy = bytes;
        copy[at] = value;
        TrackedPaths tracked;
        return ParseTrackedPaths(copy, tracked);
    };
    EXPECT_EQ(damaged(0, 'X'), kIndexOther);               // not "DIRC"
    EXPECT_EQ(damaged(7, 5), kIndexOther);                 // version 5
    EXPECT_EQ(damaged(11, char(bytes[11] + 1)), kIndexOther);  // one entry more than there are
    EXPECT_EQ(damaged(12 + 61, 2), kIndexOther);           // the first name's length
    EXPECT_EQ(damaged(12 + 62, 'z'), kIndexOther);         // "a-b" becomes "z-b", out of order
}

TEST_F(GitIndex, FindsWhatLiesInAFolder) {
    MakeRepository("F");
    TrackedPaths tracked;
    ASSERT_EQ(ReadTrackedPaths(At("F/.git/index"), tracked), kIndexRead);
    TrackedRange all = AllTracked(tracked);
    TrackedRange a = TrackedUnder(tracked, all, "a/");
    ASSERT_EQ(a.last - a.first, 2u);
    EXPECT_EQ(tracked.Path(a.first), "a/b/c");
    const struct {
        const char* path;
        bool tracked;
    } cases[] = {
        {"a.c", true}, {"a", false},   {"a/", true},    {"a0", true},   {"a/x", true}, {"a/b/", true},
        {"a/b", false}, {"a/b/c/", false}, {"a/x/", false}, {"b/", true}, {"c/", false}, {"z\xC3\xA9", true},
        {"z", false},  {"", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(IsTracked(tracked, all, c.path), c.tracked) << c.path;
        if (std::string_view(c.path).starts_with("a/")) {
            EXPECT_EQ(IsTracked(tracked, a, c.path), c.tracked) << c.path;
        }
    }
}

}  // namespace
