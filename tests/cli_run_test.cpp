// The built `arbolin` run over temporary folders these tests make: exact listings in both encodings and
// --compat, escaping, exit statuses, messages, and -o written whole or not at all.
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "cli/exit_status.h"
#include "support/arbolin_run.h"
#include "support/memory_tree.h"

namespace fs = std::filesystem;

namespace {

// ---- The merge of exit statuses: each cause's status, the worst of several whatever their order.

TEST(CliExit, CausesMergeToTheWorst) {
    constexpr ExitCause kListedWithProblems[] = {ExitCause::kUnreadableSubfolder, ExitCause::kGitWarning,
                                                 ExitCause::kMetadataFailure, ExitCause::kRepeatedListLine,
                                                 ExitCause::kUnplacedParseLine};
    for (ExitCause cause : kListedWithProblems) {
        int status = kExitComplete;
        MergeExit(status, cause);
        EXPECT_EQ(status, kExitListedWithProblems) << int(cause);
        MergeExit(status, ExitCause::kNoListing);
        EXPECT_EQ(status, kExitNoListing) << int(cause);
        MergeExit(status, cause);  // a lesser cause after a worse one changes nothing
        EXPECT_EQ(status, kExitNoListing) << int(cause);
    }
    int status = kExitComplete;
    MergeExit(status, ExitCause::kNoListing);
    EXPECT_EQ(status, kExitNoListing);
}

class CliRun : public ArbolinFolderTest {
protected:
    // The worked example: Docs (a.txt, b.txt), readme.txt, Src (empty Lib, main.c).
    void Work() {
        File("Work/Docs/a.txt");
        File("Work/Docs/b.txt");
        File("Work/readme.txt");
        Folder("Work/Src/Lib");
        File("Work/Src/main.c");
    }
    // No temporary file of -o left behind in `rel`.
    void ExpectNoTemp(const std::string& rel) {
        for (const auto& e : fs::directory_iterator(At(rel)))
            EXPECT_EQ(e.path().filename().string().rfind(".arbolin-", 0), std::string::npos) << e.path();
    }
};

// ---- Exact listings: every toggle, both views, both encodings, --compat.

struct ListingCase {
    const char* what;
    std::vector<std::string> args;
    std::string expected;  // UTF-8 pieces and "\n"; Sjis() for the sjis modes
    bool sjis;
};

TEST_F(CliRun, ListingsOfTheWorkedExample) {
    Work();
    const ListingCase cases[] = {
        {"tree", {"Work"},
         "[ Work ]\n ├[ Docs ]\n │ ├a.txt\n │ └b.txt\n ├[ Src ]\n │ ├[ Lib ]\n │ └main.c\n └readme.txt\n", false},
        {"indented", {"--indented", "Work"},
         "[ Work ]\n   [ Docs ]\n      a.txt\n      b.txt\n   [ Src ]\n      [ Lib ]\n      main.c\n   readme.txt\n",
         false},
        {"no file names", {"--no-file-names", "Work"}, "[ Work ]\n ├[ Docs ]\n └[ Src ]\n   └[ Lib ]\n", false},
        {"no folder names: one list, fully sorted", {"--no-folder-names", "Work"},
         "[ Work ]\n ├a.txt\n ├b.txt\n ├main.c\n └readme.txt\n", false},
        {"no subfolders", {"--no-subfolders", "Work"}, "[ Work ]\n ├[ Docs ]\n ├[ Src ]\n └readme.txt\n", false},
        {"depth 1", {"-L", "1", "Work"}, "[ Work ]\n ├[ Docs ]\n ├[ Src ]\n └readme.txt\n", false},
        {"sjis tree", {"--encoding", "sjis", "Work"},
         Sjis("[ Work ]\n ├[ Docs ]\n │ ├a.txt\n │ └b.txt\n ├[ Src ]\n │ ├[ Lib ]\n │ └main.c\n └readme.txt\n"),
         true},
        {"sjis indented", {"--encoding=sjis", "--indented", "Work"},
         Sjis("[ Work ]\n   [ Docs ]\n      a.txt\n      b.txt\n   [ Src ]\n      [ Lib ]\n      main.c\n"
              "   readme.txt\n"),
         true},
        {"compat", {"--compat", "Work"},
         Sjis("[ Work ]\n ├[ Docs ]\n │ ├a.txt\n │ └b.txt\n ├[ Src ]\n │ ├[ Lib ]\n │ └main.c\n └readme.txt\n"),
         true},
        // The empty last line comes from the file loop, which the tree view runs only with file names on.
        {"compat without file names", {"--compat", "--no-file-names", "Work"},
         Sjis("[ Work ]\n ├[ Docs ]\n └[ Src ]\n    └[ Lib ]\n"), true},
    };
    for (const ListingCase& c : cases) {
        RunResult r = Arbolin(c.args);
        EXPECT_EQ(r.status, 0) << c.what << "\n" << r.err;
        EXPECT_EQ(r.out, c.expected) << c.what;
        EXPECT_EQ(r.err, "") << c.what;
    }
}

TEST_F(CliRun, DepthLimitsAndBlankColumns) {
    File("z/l1/l2/l3/f3.txt");
    File("z/l1/l2/f2.txt");
    File("z/l1/f1.txt");
    const ListingCase cases[] = {
        // A blank tree column is two spaces in UTF-8, as wide as " │".
        {"no limit", {"z"}, "[ z ]\n └[ l1 ]\n   ├[ l2 ]\n   │ ├[ l3 ]\n   │ │ └f3.txt\n   │ └f2.txt\n   └f1.txt\n", false},
        {"-L 2", {"-L", "2", "z"}, "[ z ]\n └[ l1 ]\n   ├[ l2 ]\n   └f1.txt\n", false},
        {"sjis -L 2: three-space blank column", {"--encoding", "sjis", "-L", "2", "z"},
         Sjis("[ z ]\n └[ l1 ]\n    ├[ l2 ]\n    └f1.txt\n"), true},
    };
    for (const ListingCase& c : cases) {
        RunResult r = Arbolin(c.args);
        EXPECT_EQ(r.status, 0) << c.what << "\n" << r.err;
        EXPECT_EQ(r.out, c.expected) << c.what;
    }
}

// The Windows program's file count is one when no file was recorded, which adds an empty last line (three
// spaces in the indented view); only --compat keeps it.
TEST_F(CliRun, EmptyLastLineWithoutFilesOnlyInCompat) {
    Folder("x/b");
    Folder("x/a");
    const ListingCase cases[] = {
        {"compat", {"--compat", "x"}, Sjis("[ x ]\n ├[ a ]\n └[ b ]\n\n"), true},
        {"compat indented", {"--compat", "--indented", "x"}, Sjis("[ x ]\n   [ a ]\n   [ b ]\n   \n"), true},
        {"utf8", {"x"}, "[ x ]\n ├[ a ]\n └[ b ]\n", false},
        {"utf8 indented", {"--indented", "x"}, "[ x ]\n   [ a ]\n   [ b ]\n", false},
        {"sjis", {"--encoding", "sjis", "x"}, Sjis("[ x ]\n ├[ a ]\n └[ b ]\n"), true},
    };
    for (const ListingCase& c : cases) {
        RunResult r = Arbolin(c.args);
        EXPECT_EQ(r.status, 0) << c.what;
        EXPECT_EQ(r.out, c.expected) << c.what;
    }
}

TEST_F(CliRun, RootLineShowsFolderAsGiven) {
    File("w/f");
    Invocation inv;
    inv.cwd = At("w");
    EXPECT_EQ(Arbolin(inv).out, "[ . ]\n └f\n");
    EXPECT_EQ(Arbolin({"w/"}).out, "[ w/ ]\n └f\n");
    EXPECT_EQ(Arbolin({"--", "w"}).out, "[ w ]\n └f\n");
    inv.args = {"--compat", "../w"};
    EXPECT_EQ(Arbolin(inv).out, Sjis("[ ../w ]\n └f\n"));
}

// Windows delivers a folder's entries by upper-cased UTF-16 ("Z" < "^SUB" < "_X"), so in --compat the
// root's files form two runs around the subfolder and keep that order; without --compat every folder's
// files are fully in name order.
TEST_F(CliRun, CompatKeepsWindowsDeliveryOrderBetweenDescents) {
    File("r/_x");
    File("r/Z");
    File("r/^sub/s");
    EXPECT_EQ(Arbolin({"--compat", "r"}).out, Sjis("[ r ]\n ├[ ^sub ]\n │ └s\n ├Z\n └_x\n"));
    EXPECT_EQ(Arbolin({"r"}).out, "[ r ]\n ├[ ^sub ]\n │ └s\n ├_x\n └Z\n");
    EXPECT_EQ(Arbolin({"--encoding", "sjis", "r"}).out, Sjis("[ r ]\n ├[ ^sub ]\n │ └s\n ├_x\n └Z\n"));
}

// A link is listed as a file and never followed; --compat lists a link to a folder as Windows lists a
// reparse point: a folder, not entered.
TEST_F(CliRun, LinkToFolder) {
    File("k/d/inner");
    fs::create_directory_symlink("d", At("k/link"));
    EXPECT_EQ(Arbolin({"k"}).out, "[ k ]\n ├[ d ]\n │ └inner\n └link\n");
    EXPECT_EQ(Arbolin({"--compat", "k"}).out, Sjis("[ k ]\n ├[ d ]\n │ └inner\n └[ link ]\n"));
}

TEST_F(CliRun, NameLimitCountsColumnsInUtf8AndBytesInSjis) {
    File("n/abcdefghijklmnopq");                        // 17: whole
    File("n/bcdefghijklmnopqrs");                       // 18: 14 + " …"
    File("n/\xE3\x81\x82\xE3\x81\x84\xE3\x81\x86\xE3\x81\x88\xE3\x81\x8A.txt");  // あいうえお.txt
    EXPECT_EQ(Arbolin({"--name-limit", "n"}).out,
              "[ n ]\n ├abcdefghijklmnopq\n ├bcdefghijklmno …\n └\xE3\x81\x82\xE3\x81\x84\xE3\x81\x86"
              "\xE3\x81\x88\xE3\x81\x8A.txt\n");  // 14 columns: not shortened
    // Shift_JIS counts bytes: あいうえお.txt is 14.
    EXPECT_EQ(Arbolin({"--encoding", "sjis", "--name-limit", "n"}).out,
              Sjis("[ n ]\n ├abcdefghijklmnopq\n ├bcdefghijklmno …\n └") + "\x82\xA0\x82\xA2\x82\xA4\x82\xA6\x82\xA8.txt\r\n");
}

TEST_F(CliRun, SjisConvertsNamesToCodePage932) {
    File("j/\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E/x.txt");  // 日本語/x.txt
    File("j/\xF0\x9F\x98\x80.txt");                        // an emoji, outside code page 932
    // Windows converts UTF-16 units: the emoji's two surrogates become "??", as the Windows program shows
    // it; the Linux side converts characters.
    std::string expected = Sjis("[ j ]\n ├[ ") + "\x93\xFA\x96\x7B\x8C\xEA" +
                           Sjis(UnderWine() ? " ]\n │ └x.txt\n └??.txt\n" : " ]\n │ └x.txt\n └?.txt\n");
    EXPECT_EQ(Arbolin({"--encoding", "sjis", "j"}).out, expected);
    EXPECT_EQ(Arbolin({"--compat", "j"}).out, expected);
    // The root line is converted too.
    fs::rename(At("j"), At("\xE6\x97\xA5"));
    EXPECT_EQ(Arbolin({"--compat", "--no-subfolders", "--no-file-names", "\xE6\x97\xA5"}).out,
              Sjis("[ ") + "\x93\xFA" + Sjis(" ]\n └[ ") + "\x93\xFA\x96\x7B\x8C\xEA" + Sjis(" ]\n"));
}

// ---- Names that could forge a line are escaped, in both encodings.

TEST_F(CliRun, ControlCharactersBackslashAndInvalidBytesAreEscaped) {
    const struct {
        const char* raw;
        const char* utf8;
        const char* sjis;
    } cases[] = {
        {"new\nline", "new\\nline", "new\\nline"},
        {"tab\tx", "tab\\tx", "tab\\tx"},
        {"cr\rx", "cr\\rx", "cr\\rx"},
        {"esc\x1b[2J", "esc\\x1b[2J", "esc\\x1b[2J"},
        {"del\x7f", "del\\x7f", "del\\x7f"},
        {"back\\slash", "back\\\\slash", "back\\\\slash"},
        {"bad\xff", "bad\\xff", "bad?"},
        {"c1\xC2\x85", "c1\\xc2\\x85", "c1?"},  // code page 932 has no C1 controls
        {"ls\xE2\x80\xA8", "ls\\u2028", "ls?"},
    };
    constexpr const char* kNotAName = "Windows allows no such name, or it is not UTF-8";
    for (const auto& c : cases) {
        if (UnderWine() && !WindowsAllowsName(c.raw)) {
            NotUnderWine(c.utf8, kNotAName);
            continue;
        }
        std::string file = std::string("e/") + c.raw;
        File(file);
        RunResult utf8 = Arbolin({"e"});
        EXPECT_EQ(utf8.out, std::string("[ e ]\n └") + c.utf8 + "\n") << c.utf8;
        RunResult sjis = Arbolin({"--encoding", "sjis", "e"});
        EXPECT_EQ(sjis.out, std::string("[ e ]\r\n \x84\xA4") + c.sjis + "\r\n") << c.sjis;
        EXPECT_EQ(utf8.status + sjis.status, 0);
        fs::remove(At(file));
    }
    // Folder names and the root line go through the same writer.
    if (UnderWine()) {
        NotUnderWine("folder 'a\\nb' and root 'x\\ty'", kNotAName);
        return;
    }
    Folder("e/a\nb");
    EXPECT_EQ(Arbolin({"e"}).out, "[ e ]\n └[ a\\nb ]\n");
    fs::rename(At("e"), At("x\ty"));
    EXPECT_EQ(Arbolin({"x\ty"}).out, "[ x\\ty ]\n └[ a\\nb ]\n");
}

// ---- Capacities: none by default, the Windows program's in --compat.

TEST_F(CliRun, CompatRefusesMoreThan2048FilesWhileTheDefaultListsThemAll) {
    Folder("many");
    for (int i = 0; i < 2049; ++i) File("many/f" + std::to_string(10000 + i));
    RunResult compat = Arbolin({"--compat", "many"});
    EXPECT_EQ(compat.status, 2);
    EXPECT_EQ(compat.out, "");
    ExpectMessages(compat.err, 1);

    RunResult all = Arbolin({"many"});
    EXPECT_EQ(all.status, 0);
    std::string expected = "[ many ]\n";
    for (int i = 0; i < 2049; ++i) expected += (i == 2048 ? " └f" : " ├f") + std::to_string(10000 + i) + "\n";
    EXPECT_EQ(all.out, expected);

    fs::remove(At("many/f10000"));
    EXPECT_EQ(Arbolin({"--compat", "many"}).status, 0);  // exactly 2,048 pass
}

TEST_F(CliRun, CompatTextLimitPrintsTheTextSoFarAndFails) {
    for (int i = 0; i < 330; ++i) File("big/" + std::to_string(100 + i) + std::string(197, 'n'));
    RunResult r = Arbolin({"--compat", "big"});
    EXPECT_EQ(r.status, 2);
    ExpectMessages(r.err, 1);
    ASSERT_GT(r.out.size(), 60000u);
    EXPECT_LE(r.out.size(), 65535u);
    EXPECT_EQ(r.out.rfind("[ big ]\r\n \x84\xA5" "100", 0), 0u);
    EXPECT_EQ(r.out.find('\0'), std::string::npos);

    // -o writes the text as far as it goes, and fails likewise.
    RunResult o = Arbolin({"--compat", "-o", "out.txt", "big"});
    EXPECT_EQ(o.status, 2);
    EXPECT_EQ(ReadAll(At("out.txt")), r.out);

    RunResult unlimited = Arbolin({"--encoding", "sjis", "big"});
    EXPECT_EQ(unlimited.status, 0);
    EXPECT_EQ(unlimited.out.size(), 9u + 330 * (3 + 200 + 2));
}

TEST_F(CliRun, DepthIsUnlimitedByDefault) {
    std::string path = "deep";
    for (int i = 0; i < 300; ++i) path += "/d";
    Folder(path);
    File(path + "/end");
    RunResult r = Arbolin({"--indented", "deep"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("\n" + std::string(301 * 3, ' ') + "end\n"), std::string::npos);
}

// ---- Folders that cannot be read.

TEST_F(CliRun, MissingOrUnreadableFolder) {
    File("plain");
    for (const char* folder : {"missing", "plain"}) {
        RunResult r = Arbolin({folder});
        EXPECT_EQ(r.status, 2) << folder;
        EXPECT_EQ(r.out, "") << folder;
        ExpectMessages(r.err, 1);
        EXPECT_NE(r.err.find(folder), std::string::npos);
        // The Windows program still shows the root line and the empty line of a listing without files.
        RunResult compat = Arbolin({"--compat", folder});
        EXPECT_EQ(compat.status, 2);
        EXPECT_EQ(compat.out, "[ " + std::string(folder) + " ]\r\n\r\n");
        RunResult indented = Arbolin({"--compat", "--indented", folder});
        EXPECT_EQ(indented.out, "[ " + std::string(folder) + " ]\r\n   \r\n");
    }

    Folder("locked");
    chmod(At("locked").c_str(), 0);
    Invocation inv;
    inv.args = {"locked"};
    inv.withoutOverride = true;
    RunResult r = Arbolin(inv);
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.out, "");
    ExpectMessages(r.err, 1);
    EXPECT_NE(r.err.find("Permission denied"), std::string::npos) << r.err;
}

TEST_F(CliRun, UnreadableSubfolderIsListedAndReported) {
    File("u/a/hidden");
    Folder("u/b/c");
    Folder("u/d");
    chmod(At("u/a").c_str(), 0);
    Invocation inv;
    inv.args = {"u"};
    inv.withoutOverride = true;
    RunResult r = Arbolin(inv);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "[ u ]\n ├[ a ]\n ├[ b ]\n │ └[ c ]\n └[ d ]\n");
    ExpectMessages(r.err, 1);
    EXPECT_NE(r.err.find("u/a"), std::string::npos) << r.err;

    inv.args = {"--compat", "u"};
    r = Arbolin(inv);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, Sjis("[ u ]\n ├[ a ]\n ├[ b ]\n │ └[ c ]\n └[ d ]\n\n"));
}

// ---- Usage.

TEST_F(CliRun, UsageErrorsAreOneLineAndExit64) {
    const std::vector<std::vector<std::string>> cases = {
        {"--bogus"}, {"-y"}, {"-L", "0"}, {"--depth=two"}, {"-L"}, {"--encoding", "latin1"},
        {"--compat", "--encoding", "utf8"}, {"--compat", "-L", "7"}, {"a", "b"}, {"--indented=yes"},
    };
    for (const auto& args : cases) {
        RunResult r = Arbolin(args);
        EXPECT_EQ(r.status, 64) << args[0];
        EXPECT_EQ(r.out, "");
        ExpectMessages(r.err, 1);
        EXPECT_NE(r.err.find("--help"), std::string::npos) << r.err;
    }
}

TEST_F(CliRun, HelpAndVersion) {
    RunResult v = Arbolin({"--version"});
    EXPECT_EQ(v.status, 0);
    EXPECT_EQ(v.out, "arbolin 2.10\n");
    for (const char* help : {"--help", "--hel"}) {
        RunResult h = Arbolin({"--bogus", help});
        EXPECT_EQ(h.status, 64);
        h = Arbolin({help, "--bogus"});
        EXPECT_EQ(h.status, 0);
        EXPECT_EQ(h.out.rfind("Usage: arbolin [options] [FOLDER]\n", 0), 0u);
        // The order's note: ICU's treatment of hyphens on Linux, Windows' collation on Windows.
        for (const char* documented : {"--no-subfolders", "--no-folder-names", "--no-file-names", "--indented",
                                       "--name-limit", "--depth", "--encoding", "--compat", "--output",
                                       "--version", UnderWine() ? "Windows' collation" : "hyphens",
                                       "code page 932", "symbolic link", "64"})
            EXPECT_NE(h.out.find(documented), std::string::npos) << documented;
    }
}

// ---- Where the listing goes.

TEST_F(CliRun, OutputFileIsReplacedWhole) {
    Work();
    std::string listing = Arbolin({"Work"}).out;
    File("out.txt", "old");
    chmod(At("out.txt").c_str(), 0640);
    RunResult r = Arbolin({"-o", "out.txt", "Work"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(ReadAll(At("out.txt")), listing);
    struct stat st {};
    stat(At("out.txt").c_str(), &st);
    if (UnderWine()) {
        NotUnderWine("the replaced file's permissions kept", "Windows has no Unix permissions");
    } else {
        EXPECT_EQ(st.st_mode & 0777, 0640u);
    }

    // Every spelling of the option, and a new file.
    for (std::vector<std::string> args : {std::vector<std::string>{"-onew1.txt", "Work"},
                                          {"--output=new2.txt", "Work"}, {"Work", "--output", "new3.txt"}}) {
        EXPECT_EQ(Arbolin(args).status, 0);
    }
    EXPECT_EQ(ReadAll(At("new1.txt")), listing);
    EXPECT_EQ(ReadAll(At("new2.txt")), listing);
    EXPECT_EQ(ReadAll(At("new3.txt")), listing);

    // The temporary file never shows in the listing of its own folder.
    Invocation inside;
    inside.cwd = At("Work");
    std::string before = Arbolin(inside).out;
    inside.args = {"-o", "list.txt"};
    EXPECT_EQ(Arbolin(inside).status, 0);
    EXPECT_EQ(ReadAll(At("Work/list.txt")), before);

    // A link keeps pointing at the listing.
    if (UnderWine()) {
        NotUnderWine("-o through a symbolic link to a file", "Wine shows such a link as the file itself");
        ExpectNoTemp("");
        return;
    }
    File("real.txt", "old");
    fs::create_symlink("real.txt", At("link.txt"));
    EXPECT_EQ(Arbolin({"-o", "link.txt", "--compat", "Work"}).status, 0);
    EXPECT_TRUE(fs::is_symlink(At("link.txt")));
    EXPECT_EQ(ReadAll(At("real.txt")), Arbolin({"--compat", "Work"}).out);
    ExpectNoTemp("");
}

TEST_F(CliRun, OutputFailuresLeaveFileUntouched) {
    Work();
    Folder("ro");
    File("ro/out.txt", "old");
    chmod(At("ro").c_str(), 0555);
    File("rofile.txt", "old");
    chmod(At("rofile.txt").c_str(), 0444);
    File("kept.txt", "old");
    Folder("adir");

    const struct {
        const char* what;
        std::vector<std::string> args;
        const char* reason;
        const char* notUnderWine = nullptr;
    } cases[] = {
        {"folder missing", {"-o", "nowhere/out.txt", "Work"}, "No such file or directory"},
        // FILE itself is writable: the message names the folder the temporary file cannot go in.
        {"read-only folder", {"-o", "ro/out.txt", "Work"},
         "arbolin: cannot write 'ro/out.txt': cannot create a temporary file in 'ro': Permission denied\n"},
        {"new file, read-only folder", {"-o", "ro/new.txt", "Work"},
         "arbolin: cannot write 'ro/new.txt': cannot create a temporary file in 'ro': Permission denied\n"},
        {"read-only file", {"-o", "rofile.txt", "Work"}, "Permission denied"},
        {"a folder", {"-o", "adir", "Work"}, "Is a directory"},
        {"device full", {"-o", "/dev/full", "Work"}, "No space left on device", "Windows has no /dev/full"},
        {"no listing: FILE stays", {"-o", "kept.txt", "missing"}, "missing"},
    };
    for (const auto& c : cases) {
        if (UnderWine() && c.notUnderWine != nullptr) {
            NotUnderWine(c.what, c.notUnderWine);
            continue;
        }
        Invocation inv;
        inv.args = c.args;
        inv.withoutOverride = true;
        RunResult r = Arbolin(inv);
        EXPECT_EQ(r.status, 2) << c.what;
        EXPECT_EQ(r.out, "") << c.what;
        ExpectMessages(r.err, 1);
        EXPECT_NE(r.err.find(c.reason), std::string::npos) << c.what << ": " << r.err;
    }
    EXPECT_EQ(ReadAll(At("ro/out.txt")), "old");
    EXPECT_FALSE(fs::exists(At("ro/new.txt")));
    EXPECT_EQ(ReadAll(At("rofile.txt")), "old");
    EXPECT_EQ(ReadAll(At("kept.txt")), "old");
    EXPECT_FALSE(fs::exists(At("nowhere")));
    ExpectNoTemp("");
    ExpectNoTemp("ro");
}

// -o naming one of arbolin's own descriptors writes to that descriptor as it was inherited: reopening
// or replacing the path would truncate or unlink the caller's file under the shell's redirection.
TEST_F(CliRun, OutputToOwnDescriptorKeepsTheCallersFile) {
    if (UnderWine()) GTEST_SKIP() << "/dev/stdout, /dev/fd, /proc and FIFOs are Linux's; Windows has no such names";
    Work();
    std::string listing = Arbolin({"Work"}).out;
    fs::create_symlink("/dev/stdout", At("out1"));
    fs::create_symlink("out1", At("out2"));  // a chain of links ending at one
    WriteFile(At("kept.txt"), "kept\n");
    // Run by sh in the test's folder; `{}` stands for arbolin. Its exit status.
    auto shell = [&](std::string command) {
        command.replace(command.find("{}"), 2, std::string("'") + ARBOLIN_EXE + "'");
        int status = std::system(("cd '" + base_ + "' && export LC_ALL=en_US.UTF-8 && " + command).c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    };
    const struct {
        const char* command;
        const char* file;
        std::string expected;
    } cases[] = {
        {"{ echo before; {} -o /dev/stdout Work; echo after; } > f", "f", "before\n" + listing + "after\n"},
        {"echo old > f; {} -o /dev/stdout Work >> f", "f", "old\n" + listing},
        {"{ echo before; {} -o /dev/fd/1 Work; } > f", "f", "before\n" + listing},
        {"{ echo before; {} -o /proc/self/fd/1 Work; } > f", "f", "before\n" + listing},
        {"{ echo before; sh -c 'exec \"$0\" -o /proc/$$/fd/1 Work' {}; } > f", "f", "before\n" + listing},
        {"{ echo before; {} -o out2 Work; } > f", "f", "before\n" + listing},
        {"echo old > f; {} -o /dev/stderr Work 2>> f", "f", "old\n" + listing},
        {"echo old > f; {} -o /dev/fd/5 Work 5>> f", "f", "old\n" + listing},
        {"mkfifo p; cat p > f & {} -o p Work; wait", "f", listing},  // a FIFO is still written into
        {"{} -o /dev/fd/5 Work 5>&- 2> f", "f", "arbolin: cannot write '/dev/fd/5': file descriptor 5 is not open\n"},
        {"{} -o /dev/fd/5 Work 5< kept.txt 2> f", "f",
         "arbolin: cannot write '/dev/fd/5': file descriptor 5 is not open for writing\n"},
    };
    for (const auto& c : cases) {
        bool fails = std::string_view(c.command).find("5>&-") != std::string_view::npos ||
                     std::string_view(c.command).find("5<") != std::string_view::npos;
        EXPECT_EQ(shell(c.command), fails ? 2 : 0) << c.command;
        EXPECT_EQ(ReadAll(At(c.file)), c.expected) << c.command;
    }
    EXPECT_TRUE(fs::is_symlink(At("out1")) && fs::is_symlink(At("out2")));
    EXPECT_EQ(ReadAll(At("kept.txt")), "kept\n");
    ExpectNoTemp("");
}

TEST_F(CliRun, StandardOutputWriteErrorsFail) {
    Work();
    const struct {
        StdoutTo to;
        const char* reason;
    } cases[] = {{kStdoutDevFull, "No space left on device"}, {kStdoutBrokenPipe, "Broken pipe"}};
    for (const auto& c : cases) {
        for (const char* mode : {"--compat", "--indented"}) {  // written whole, and streamed
            Invocation inv;
            inv.args = {mode, "Work"};
            inv.stdoutTo = c.to;
            RunResult r = Arbolin(inv);
            EXPECT_EQ(r.status, 2) << c.reason << " " << mode;
            ExpectMessages(r.err, 1);
            EXPECT_NE(r.err.find(c.reason), std::string::npos) << r.err;
        }
    }
}

}  // namespace
