// The command line's choices beyond the Windows program's: patterns, pruning, file order, pieces,
// summary, file limit and natural order. The built `arbolin` run over folders these tests make.
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "cli/exit_status.h"
#include "cli/options.h"
#include "cli/filters.h"
#include "formats/formats.h"
#include "git/git.h"
#include "support/arbolin_run.h"

namespace fs = std::filesystem;

namespace {

struct ListingCase {
    const char* what;
    std::vector<std::string> args;
    std::string expected;
};

class CliFeatures : public ArbolinFolderTest {
protected:
    // A small project: sources, a build folder, dependencies and a folder with nothing in it.
    void Project() {
        File("P/src/main.c");
        File("P/src/util.h");
        File("P/src/notes.txt");
        File("P/node_modules/left/index.js");
        File("P/.git/HEAD");
        Folder("P/empty/deeper");
        File("P/README.md");
    }

    // Each case run on its own: complete (exit 0), nothing on standard error, exactly the listing.
    void ExpectListings(const std::vector<ListingCase>& cases) {
        for (const ListingCase& c : cases) {
            RunResult r = Arbolin(c.args);
            EXPECT_EQ(r.status, 0) << c.what << "\n" << r.err;
            EXPECT_EQ(r.out, c.expected) << c.what;
            EXPECT_EQ(r.err, "") << c.what;
        }
    }
};

// ---- Patterns and pruning.

TEST(CliPatterns, WildcardsAndAlternatives) {
    const struct {
        const char* pattern;
        const char* name;
        bool matches;
    } cases[] = {
        {"*.c", "main.c", true},         {"*.c", "main.cc", false},
        {"node_modules|.git", ".git", true}, {"node_modules|.git", "node_modules", true},
        {"node_modules|.git", "git", false}, {"a?c", "abc", true},
        {"[0-9]*", "7up", true},         {"[0-9]*", "up7", false},
        {"|", "", false},                {"x||y", "", false},
        {"*", ".hidden", true},          {"*.txt", "dir/a.txt", true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(MatchesPattern(c.pattern, c.name), c.matches) << c.pattern << " " << c.name;
}

TEST_F(CliFeatures, ExcludeIncludeAndPrune) {
    Project();
    ExpectListings({
        {"exclude two folders by alternatives", {"-I", "node_modules|.git", "P"},
         "[ P ]\n"
         " ├[ empty ]\n"
         " │ └[ deeper ]\n"
         " ├[ src ]\n"
         " │ ├main.c\n"
         " │ ├notes.txt\n"
         " │ └util.h\n"
         " └README.md\n"},
        {"repeated exclude, files and folders alike", {"--exclude", "*.txt", "--exclude=.git", "-I", "node_*|empty", "P"},
         "[ P ]\n"
         " ├[ src ]\n"
         " │ ├main.c\n"
         " │ └util.h\n"
         " └README.md\n"},
        {"include keeps every folder", {"-P", "*.c|*.h", "-I", ".git", "P"},
         "[ P ]\n"
         " ├[ empty ]\n"
         " │ └[ deeper ]\n"
         " ├[ node_modules ]\n"
         " │ └[ left ]\n"
         " └[ src ]\n"
         "   ├main.c\n"
         "   └util.h\n"},
        {"prune drops folders left without files", {"-P", "*.c|*.h", "-I", ".git", "--prune", "P"},
         "[ P ]\n"
         " └[ src ]\n"
         "   ├main.c\n"
         "   └util.h\n"},
        {"prune alone keeps folders with files below", {"--prune", "-I", ".git", "--indented", "P"},
         "[ P ]\n"
         "   [ node_modules ]\n"
         "      [ left ]\n"
         "         index.js\n"
         "   [ src ]\n"
         "      main.c\n"
         "      notes.txt\n"
         "      util.h\n"
         "   README.md\n"},
        {"include nothing and prune: the root stays", {"-P", "*.none", "--prune", "P"}, "[ P ]\n"},
        {"--ignore-case: patterns match whatever the case", {"--ignore-case", "-P", "*.C|*.MD", "-I", ".GIT|NODE*", "P"},
         "[ P ]\n"
         " ├[ empty ]\n"
         " │ └[ deeper ]\n"
         " ├[ src ]\n"
         " │ └main.c\n"
         " └README.md\n"},
        {"--matchdirs: a matching folder keeps all its files, at any depth",
         {"--matchdirs", "-P", "node*|*.h", "-I", ".git", "--prune", "P"},
         "[ P ]\n"
         " ├[ node_modules ]\n"
         " │ └[ left ]\n"
         " │   └index.js\n"
         " └[ src ]\n"
         "   └util.h\n"},
        {"--matchdirs does not match FOLDER itself", {"--matchdirs", "-P", "P", "-I", ".git", "--prune", "P"},
         "[ P ]\n"},
    });
}

// --gitfile: gitignore's rules from a file, applied as FOLDER's .gitignore, with or without a repository.
TEST_F(CliFeatures, GitFileRules) {
    if (UnderWine()) GTEST_SKIP() << "--gitfile is refused on Windows (OptionsWindowsCannotMeanRefused)";
    Project();
    WriteFile(At("rules"), "# generated\nnode_modules/\n*.txt\n!notes.txt\n/README.md\nempty/deeper/\n");
    WriteFile(At("more"), "*.h\n");
    ExpectListings({
        {"rules of two files, negation and anchoring", {"--gitfile", At("rules"), "--gitfile=" + At("more"), "P"},
         "[ P ]\n"
         " ├[ empty ]\n"
         " └[ src ]\n"
         "   ├main.c\n"
         "   └notes.txt\n"},
    });
    RunResult missing = Arbolin({"--gitfile", At("none"), "P"});
    EXPECT_EQ(missing.status, 2);
    ExpectMessages(missing.err, 1);
    EXPECT_NE(missing.err.find("cannot read the --gitfile"), std::string::npos) << missing.err;
}

TEST_F(CliFeatures, ExcludedFolderIsNotEntered) {
    // An unreadable folder that is excluded is never opened, so nothing is reported and the run is complete.
    Folder("Q/locked/inner");
    File("Q/a.txt");
    fs::permissions(At("Q/locked"), fs::perms::none);
    RunResult entered = Arbolin({"Q"}, true);
    RunResult r = Arbolin({"-I", "locked", "Q"}, true);
    fs::permissions(At("Q/locked"), fs::perms::owner_all);
    EXPECT_EQ(entered.status, 1) << entered.err;  // the same folder, not excluded, is tried and reported
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "[ Q ]\n └a.txt\n");
}

// ---- Files first: the connectors still close on the last entry, whichever kind it is.

TEST_F(CliFeatures, FilesFirst) {
    File("F/b/x.txt");
    File("F/b/deep/y.txt");
    File("F/a/only.txt");
    File("F/z.txt");
    File("F/m.txt");
    Folder("F/c");
    File("G/one.txt");
    ExpectListings({
        {"tree", {"--files-first", "F"},
         "[ F ]\n"
         " ├m.txt\n"
         " ├z.txt\n"
         " ├[ a ]\n"
         " │ └only.txt\n"
         " ├[ b ]\n"
         " │ ├x.txt\n"
         " │ └[ deep ]\n"
         " │   └y.txt\n"
         " └[ c ]\n"},
        {"indented", {"--files-first", "--indented", "F"},
         "[ F ]\n"
         "   m.txt\n"
         "   z.txt\n"
         "   [ a ]\n"
         "      only.txt\n"
         "   [ b ]\n"
         "      x.txt\n"
         "      [ deep ]\n"
         "         y.txt\n"
         "   [ c ]\n"},
        {"files only under the root", {"--files-first", "G"}, "[ G ]\n └one.txt\n"},
        {"no file names", {"--files-first", "--no-file-names", "F"},
         "[ F ]\n ├[ a ]\n ├[ b ]\n │ └[ deep ]\n └[ c ]\n"},
        {"depth 1 keeps the subfolder lines after the files", {"--files-first", "-L", "1", "F"},
         "[ F ]\n ├m.txt\n ├z.txt\n ├[ a ]\n ├[ b ]\n └[ c ]\n"},
    });
}

// ---- ASCII pieces: the same widths as the UTF-8 ones, in either encoding.

TEST_F(CliFeatures, AsciiPieces) {
    File("A/Docs/a.txt");
    File("A/Docs/b.txt");
    File("A/readme.txt");
    Folder("A/Src/Lib");
    File("A/Src/main.c");
    File("A/Src/a-very-long-file-name.c");
    ExpectListings({
        {"tree", {"--pieces", "ascii", "A"},
         "[ A ]\n"
         " +[ Docs ]\n"
         " | +a.txt\n"
         " | `b.txt\n"
         " +[ Src ]\n"
         " | +[ Lib ]\n"
         " | +a-very-long-file-name.c\n"
         " | `main.c\n"
         " `readme.txt\n"},
        {"shortened names end in two dots", {"--pieces=ascii", "--name-limit", "--no-subfolders", "A/Src"},
         "[ A/Src ]\n"
         " +[ Lib ]\n"
         " +a-very-long-fi..\n"
         " `main.c\n"},
        {"sjis keeps CRLF", {"--pieces", "ascii", "--encoding", "sjis", "-L", "1", "A"},
         "[ A ]\r\n +[ Docs ]\r\n +[ Src ]\r\n `readme.txt\r\n"},
        {"utf8 pieces stay the default", {"--pieces", "utf8", "-L", "1", "A"},
         "[ A ]\n ├[ Docs ]\n ├[ Src ]\n └readme.txt\n"},
    });
}

// ---- The summary line.

TEST(CliSummary, Wording) {
    const struct {
        ListingCounts counts;
        const char* line;
    } cases[] = {
        {{0, 0}, "0 folders, 0 files"},
        {{1, 1}, "1 folder, 1 file"},
        {{2, 3, 4}, "2 folders, 3 files; left out: 4 by patterns"},
        {{2, 3, 0, 1, 1, 1}, "2 folders, 3 files; left out: 1 empty folder, 1 entry in 1 folder over --filelimit"},
        {{5, 0, 1, 2, 3, 60}, "5 folders, 0 files; left out: 1 by patterns, 2 empty folders, "
                              "60 entries in 3 folders over --filelimit"},
    };
    for (const auto& c : cases) EXPECT_EQ(SummaryLine(c.counts), c.line);
}

TEST_F(CliFeatures, SummaryCountsWhatIsListedAndLeftOut) {
    Project();
    ExpectListings({
        {"plain", {"--summary", "-L", "1", "P/src"}, "[ P/src ]\n ├main.c\n ├notes.txt\n └util.h\n0 folders, 3 files\n"},
        {"patterns and pruning", {"--summary", "-I", ".git|node_modules", "-P", "*.c", "--prune", "P"},
         "[ P ]\n └[ src ]\n   └main.c\n1 folder, 1 file; left out: 5 by patterns, 2 empty folders\n"},
        {"whole tree, indented", {"--summary", "--indented", "--no-file-names", "P"},
         "[ P ]\n   [ .git ]\n   [ empty ]\n      [ deeper ]\n   [ node_modules ]\n      [ left ]\n"
         "   [ src ]\n6 folders, 0 files\n"},
    });
}

// ---- The file limit: a subfolder over it is listed with its count and not opened.

TEST_F(CliFeatures, FileLimit) {
    for (int i = 0; i < 5; ++i) File("L/big/f" + std::to_string(i));
    File("L/big/sub/deep.txt");  // never reached: big is not opened
    for (int i = 0; i < 3; ++i) File("L/three/g" + std::to_string(i));
    File("L/top.txt");
    ExpectListings({
        {"over the limit and at it", {"--filelimit", "3", "--summary", "L"},
         "[ L ]\n"
         " ├[ big ] (6 entries)\n"
         " ├[ three ]\n"
         " │ ├g0\n"
         " │ ├g1\n"
         " │ └g2\n"
         " └top.txt\n"
         "2 folders, 4 files; left out: 6 entries in 1 folder over --filelimit\n"},
        {"the root is always opened", {"--filelimit=1", "-L", "1", "L/three"},
         "[ L/three ]\n ├g0\n ├g1\n └g2\n"},
        {"counted after patterns; pruning keeps a folder over the limit",
         {"--filelimit", "3", "-I", "sub", "-P", "f*|g*", "--prune", "--indented", "L"},
         "[ L ]\n   [ big ] (5 entries)\n   [ three ]\n      g0\n      g1\n      g2\n"},
        {"JSON and Markdown show the count too", {"--filelimit", "3", "--format", "markdown", "-I", "three", "L"},
         "- L/\n  - big/ (6 entries)\n  - top\\.txt\n"},
    });
    RunResult json = Arbolin({"--filelimit", "3", "--format", "json", "-I", "three", "L"});
    EXPECT_EQ(json.status, 0) << json.err;
    EXPECT_NE(json.out.find("{\"name\": \"big\", \"type\": \"folder\", \"entries\": 6, \"children\": []}"),
              std::string::npos)
        << json.out;
}

// ---- Natural order: numbers by value, for files and folders; the collation stays otherwise.

TEST_F(CliFeatures, NaturalOrder) {
    for (const char* name : {"file10", "file2", "file1", "File2", "file02b", "a100.txt", "a20.txt"}) File(std::string("N/") + name);
    for (const char* name : {"v10", "v9", "V1"}) Folder(std::string("N/") + name);
    ExpectListings({
        // Windows' SORT_DIGITSASNUMBERS puts file02b before file2, where ICU puts it after File2.
        {"natural", {"--natural", "N"},
         UnderWine() ? "[ N ]\n ├[ V1 ]\n ├[ v9 ]\n ├[ v10 ]\n ├a20.txt\n ├a100.txt\n ├file1\n ├file02b\n ├file2\n ├File2\n └file10\n"
                     : "[ N ]\n ├[ V1 ]\n ├[ v9 ]\n ├[ v10 ]\n ├a20.txt\n ├a100.txt\n ├file1\n ├file2\n ├File2\n ├file02b\n └file10\n"},
        {"default", {"N"},
         "[ N ]\n ├[ V1 ]\n ├[ v10 ]\n ├[ v9 ]\n ├a100.txt\n ├a20.txt\n ├file02b\n ├file1\n ├file10\n ├file2\n └File2\n"},
    });
}

// Standard output of a shell command run in `cwd`.
std::string ShellOutput(const std::string& command, const std::string& cwd) {
    std::string out;
    FILE* pipe = popen(("cd '" + cwd + "' && " + command).c_str(), "r");
    if (pipe == nullptr) return out;
    char block[4096];
    for (size_t n; (n = fread(block, 1, sizeof block, pipe)) > 0;) out.append(block, n);
    pclose(pipe);
    return out;
}

// The names of a one-level indented listing, one a line: without the root line, the indentation and a
// folder's brackets.
std::string Entries(const std::string& indented) {
    std::string names;
    for (size_t at = indented.find('\n') + 1; at < indented.size();) {
        size_t end = indented.find('\n', at);
        std::string line = indented.substr(at + 3, end - at - 3);
        if (line.size() >= 4 && line.starts_with("[ ") && line.ends_with(" ]")) line = line.substr(2, line.size() - 4);
        names += line + "\n";
        at = end + 1;
    }
    return names;
}

// Where the collation locale (LC_ALL, else LC_COLLATE, else LANG; none: C) is C, POSIX or C.UTF-8, names
// are in the order `ls` gives there: files by bytes (GNU ls, the reference), folders as strcasecmp
// compares (ASCII letters folded; Python's bytes.lower() is the reference), ties by bytes.
TEST_F(CliFeatures, CLocalesOrderByBytes) {
    if (UnderWine()) GTEST_SKIP() << "the C locales' byte order is the POSIX side's: Windows orders by its collation";
    const std::vector<std::string> names{"_under_", "!bang", "B", "a", "Z", "~t", "\xc3\xa9.txt", "\xc3\x89", "10",
                                         "9", "a10", "a9", "Ab", "aB", "[x", "^c", "`d", "{e"};
    for (const std::string& n : names) {
        File("F/" + n);
        Folder("D/" + n);
    }
    const std::string files = ShellOutput("LC_ALL=C ls -1 F", base_);
    const std::string folders = ShellOutput(
        "/usr/bin/python3 -c \"import os,sys; sys.stdout.buffer.write(b''.join(n + b'\\\\n' for n in "
        "sorted(os.listdir(b'D'), key=lambda n: (n.lower(), n))))\"",
        base_);
    ASSERT_EQ(std::count(files.begin(), files.end(), '\n'), std::ptrdiff_t(names.size()));
    ASSERT_EQ(std::count(folders.begin(), folders.end(), '\n'), std::ptrdiff_t(names.size()));
    ASSERT_NE(files, folders);  // "_under_" sorts after "Z" but before "a" when folded
    using Environment = std::vector<std::pair<std::string, std::string>>;
    const struct {
        std::string locale;  // LC_ALL; "": unset
        Environment environment;
        bool bytes;
    } cases[] = {
        {"C", {}, true},
        {"POSIX", {}, true},
        {"C.UTF-8", {}, true},
        {"C.utf8", {}, true},
        {"", {{"LC_COLLATE", "C.UTF-8"}, {"LANG", "en_US.UTF-8"}}, true},
        {"", {{"LANG", "C.UTF-8"}}, true},
        {"", {}, true},
        {"en_US.UTF-8", {}, false},
        {"", {{"LC_COLLATE", "en_US.UTF-8"}, {"LANG", "C.UTF-8"}}, false},
        {"", {{"LANG", "ja_JP.UTF-8"}}, false},
    };
    for (const auto& c : cases) {
        std::string what = "LC_ALL=" + c.locale;
        for (const auto& [name, value] : c.environment) what += " " + name + "=" + value;
        Invocation inv;
        inv.locale = c.locale;
        inv.environment = c.environment;
        inv.args = {"--indented", "F"};
        RunResult f = Arbolin(inv);
        inv.args = {"--indented", "D"};
        RunResult d = Arbolin(inv);
        EXPECT_EQ(f.status + d.status, 0) << what << f.err << d.err;
        EXPECT_EQ(Entries(f.out) == files, c.bytes) << what << "\n" << f.out;
        EXPECT_EQ(Entries(d.out) == folders, c.bytes) << what << "\n" << d.out;
    }
    // --compat keeps the Windows program's order in the C locale too.
    Invocation compat;
    compat.locale = "C.UTF-8";
    compat.args = {"--compat", "--indented", "F"};
    EXPECT_EQ(Arbolin(compat).out, [&] {
        compat.locale = "en_US.UTF-8";
        return Arbolin(compat).out;
    }());
}

// --natural in the C locale: runs of digits by value, the rest by bytes (folders folded), ties by bytes.
TEST_F(CliFeatures, NaturalOrderInTheCLocale) {
    if (UnderWine()) GTEST_SKIP() << "the C locales' byte order is the POSIX side's: Windows orders by its collation";
    for (const char* name : {"a10", "a9", "a09x", "A2", "b", "a9b", "a", "a0", "a00", "x99999999999999999999"})
        File(std::string("N/") + name);
    for (const char* name : {"v10", "V9", "v9", "_1"}) Folder(std::string("N/") + name);
    Invocation inv;
    inv.locale = "C";
    inv.args = {"--natural", "--indented", "N"};
    RunResult r = Arbolin(inv);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(Entries(r.out), "_1\nV9\nv9\nv10\nA2\na\na0\na00\na9\na9b\na09x\na10\nb\nx99999999999999999999\n");
}

// ---- JSON: parsed back by python3's json module and compared with the folder it came from.

// Runs Debian's python3 with the script at `path` and the given arguments; its exit status (0: the
// check held). Python() first writes `script` to a file.
int PythonFile(const std::string& path, const std::vector<std::string>& args) {
    std::string command = "/usr/bin/python3 '" + path + "'";  // Debian's, where python3-markdown is
    for (const std::string& a : args) command += " '" + a + "'";
    int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

int Python(const std::string& script, const std::vector<std::string>& args, const std::string& scratch) {
    std::string path = scratch + "/check.py";
    std::ofstream(path) << script;
    return PythonFile(path, args);
}

// Walks the document and the folder together: the same names (bytes restored from "bytes" where
// given), the same types, children in the listing's order (folders first unless told), nothing else.
const char kJsonCheck[] = R"(
import json, os, sys
doc = json.load(open(sys.argv[1], encoding='utf-8'))
files_first = sys.argv[3] == '1'
def raw(entry):
    if 'bytes' in entry:
        return bytes.fromhex(entry['bytes'])
    return entry['name'].encode('utf-8')
def check(entry, path):
    assert entry['type'] == 'folder', entry
    kids = entry['children']
    got = [(raw(k), k['type']) for k in kids]
    want = []
    for name in os.listdir(os.fsencode(path)):
        full = os.path.join(os.fsencode(path), name)
        kind = 'link' if os.path.islink(full) else 'folder' if os.path.isdir(full) else 'file'
        want.append((name, kind))
    assert sorted(got) == sorted(want), (got, want)
    kinds = [k['type'] == 'folder' for k in kids]
    assert kinds == sorted(kinds, reverse=not files_first), kinds
    for k in kids:
        if k['type'] == 'folder':
            check(k, os.path.join(os.fsencode(path), raw(k)))
check(doc, os.fsencode(sys.argv[2]))
)";

TEST_F(CliFeatures, JsonParsesBackToTheSameTree) {
    for (std::string name : {"plain.txt", "quote\"d", "back\\slash", "tab\tand\nnewline", "ctl\x01\x1f",
                             "bad\xff\xfe", "\xc3(", "caf\xc3\xa9", "\xe2\x80\xa8sep", "{\"x\": 1}", "{'x'; 1}"}) {
        if (UnderWine() && !WindowsAllowsName(name)) {
            NotUnderWine(name, "Windows allows no such name, or it is not UTF-8");
            continue;
        }
        File("J/" + name);
    }
    File("J/sub dir/inner/\xe6\x97\xa5\xe6\x9c\xac.txt");
    if (UnderWine()) {
        NotUnderWine("folder \\x80folder", "not UTF-8: Wine shows it with U+FFFD");
        NotUnderWine("link to a file", "Wine shows a symbolic link to a file as the file itself");
    } else {
        Folder("J/\x80" "folder/empty");
        fs::create_symlink("plain.txt", At("J/link"));
    }
    fs::create_symlink("sub dir", At("J/folder-link"));
    for (bool filesFirst : {false, true}) {
        std::vector<std::string> args{"--format", "json", "-o", scratch_ + "/out.json", "J"};
        if (filesFirst) args.push_back("--files-first");
        RunResult r = Arbolin(args);
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(Python(kJsonCheck, {scratch_ + "/out.json", At("J"), filesFirst ? "1" : "0"}, scratch_), 0);
    }
    // The exact text of a small case: entries, limits and the summary in their places. (Windows allows
    // no '"' in a name: there the name holds a backslash-free stand-in for it.)
    File("K/big/a");
    File("K/big/b");
    File(UnderWine() ? "K/x'y" : "K/x\"y");
    RunResult r = Arbolin({"--format=json", "--filelimit", "1", "--summary", "K"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out,
              "{\"name\": \"K\", \"type\": \"folder\", \"children\": [\n"
              "  {\"name\": \"big\", \"type\": \"folder\", \"entries\": 2, \"children\": []},\n"
              "  {\"name\": \"" + std::string(UnderWine() ? "x'y" : "x\\\"y") + "\", \"type\": \"file\"}\n"
              "], \"summary\": \"1 folder, 1 file; left out: 2 entries in 1 folder over --filelimit\"}\n");
}

// What a terminal or an editor could take for a line end or a control, escaped in the JSON string as
// \uXXXX: DEL, the C1 controls, U+2028/U+2029 (JavaScript line ends before ES2019).
TEST(CliJson, ControlsAndLineSeparatorsEscaped) {
    const struct {
        std::string name, json;
    } cases[] = {
        {"del\x7f", "\"del\\u007f\""},
        {"c1\xc2\x80-\xc2\x85-\xc2\x9f", "\"c1\\u0080-\\u0085-\\u009f\""},
        {"\xc2\xa0nbsp", "\"\xc2\xa0nbsp\""},  // U+00A0, the first after C1, stays
        {"ls\xe2\x80\xa8ps\xe2\x80\xa9", "\"ls\\u2028ps\\u2029\""},
        {"\x01\x1f\"\\", "\"\\u0001\\u001f\\\"\\\\\""},
        // Bidirectional controls, which would show a name reordered.
        {"txt\u202eexe.", "\"txt\\u202eexe.\""},
        {"\u200e\u200f\u202a\u202d\u2066\u2069", "\"\\u200e\\u200f\\u202a\\u202d\\u2066\\u2069\""},
    };
    for (const auto& c : cases) {
        std::string out, hex;
        AppendJsonName(out, c.name, hex);
        EXPECT_EQ(out, c.json);
        EXPECT_EQ(hex, "") << "valid UTF-8 needs no \"bytes\"";
    }
}

// ---- Markdown: rendered to HTML by python3-markdown, and the list nesting read back and compared with
// the folder (names as the text view escapes them: only the backslash doubles here).

const char kMarkdownCheck[] = R"(
import markdown, os, sys
from html.parser import HTMLParser
class Tree(HTMLParser):
    def __init__(self):
        super().__init__()
        self.root = {'text': '', 'kids': []}
        self.stack = [self.root]
    def handle_starttag(self, tag, attrs):
        if tag == 'li':
            node = {'text': '', 'kids': []}
            self.stack[-1]['kids'].append(node)
            self.stack.append(node)
        elif tag not in ('ul',):
            raise SystemExit('unexpected tag ' + tag)
    def handle_endtag(self, tag):
        if tag == 'li':
            self.stack.pop()
    def handle_data(self, data):
        self.stack[-1]['text'] += data.strip('\n')
t = Tree()
t.feed(markdown.markdown(open(sys.argv[1], encoding='utf-8').read(), tab_length=2))
def check(node, path):
    assert node['text'].endswith('/'), node['text']
    got = sorted((k['text'].rstrip('/'), k['text'].endswith('/')) for k in node['kids'])
    want = sorted((n.replace('\\', '\\\\'), os.path.isdir(os.path.join(path, n)) and not os.path.islink(os.path.join(path, n)))
                  for n in os.listdir(path))
    assert got == want, (got, want)
    for k in node['kids']:
        if k['text'].endswith('/'):
            check(k, os.path.join(path, k['text'][:-1].replace('\\\\', '\\')))
assert len(t.root['kids']) == 1
check(t.root['kids'][0], sys.argv[2])
)";

TEST_F(CliFeatures, MarkdownRendersAsTheSameNesting) {
    for (std::string name : {"*star*", "_under_", "a#b", "1. item", "[link](x)", "`code`", "<i>it", "x>y",
                             "back\\slash", " lead", "trail ", "+plus", "-dash", "a|b", "~x~", "&amp;", "!bang"}) {
        if (UnderWine() && !WindowsAllowsName(name)) {
            NotUnderWine(name, "Windows allows no such name");
            continue;
        }
        File("M/" + name);
    }
    File("M/sub/1. deeper/# head.md");
    Folder("M/empty_folder_");
    RunResult r = Arbolin({"--format", "markdown", "-o", scratch_ + "/out.md", "M"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(Python(kMarkdownCheck, {scratch_ + "/out.md", At("M")}, scratch_), 0);

    // The star is escaped; Windows allows none in a name, so there a '+', escaped too, stands for it.
    File(UnderWine() ? "N/a+b/c.txt" : "N/a*b/c.txt");
    File("N/z.txt");
    EXPECT_EQ(Arbolin({"--format=markdown", "--files-first", "--summary", "N"}).out,
              "- N/\n  - z\\.txt\n  - " + std::string(UnderWine() ? "a\\+b" : "a\\*b") +
                  "/\n    - c\\.txt\n\n1 folder, 2 files\n");

    // Bidirectional controls take the text view's escape, as U+2028 does; Markdown doubles its backslash.
    File("D/\u2066d/ls\u2028");
    File("D/txt\u202eexe.");
    EXPECT_EQ(Arbolin({"--format=markdown", "D"}).out,
              "- D/\n  - \\\\u2066d/\n    - ls\\\\u2028\n  - txt\\\\u202eexe\\.\n");
}

// ---- --gitignore: what arbolin leaves out is what `git check-ignore` says, on generated repositories
// (checked by gitignore_check.py beside this file, which the benchmark uses too).

TEST_F(CliFeatures, GitignoreAgreesWithGit) {
    if (UnderWine()) GTEST_SKIP() << "--gitignore is refused on Windows (OptionsWindowsCannotMeanRefused)";
    if (!GitIgnoreAvailable()) GTEST_SKIP() << "built without libgit2";
    const struct {
        const char* what;
        std::vector<std::pair<std::string, std::string>> ignoreFiles;  // path in the work tree, content
        std::string excludes = "";  // the content of a core.excludesFile ("": none)
    } cases[] = {
        {"plain names and wildcards", {{".gitignore", "*.o\nlogs\n"}}},
        {"negation", {{".gitignore", "*.o\n!keep.o\nbuild/*\n!build/keep/\n"}}},
        {"directory-only", {{".gitignore", "gen/\nREADME/\n"}}},
        {"anchored", {{".gitignore", "/a.c\n/src/gen\n"}}},
        {"double star", {{".gitignore", "**/deep\nsrc/**/*.c\ndocs/**\n!docs/**/\n"}}},
        {"nested files override", {{".gitignore", "*.c\n"}, {"src/.gitignore", "!*.c\n"},
                                   {"src/gen/.gitignore", "*\n!.gitignore\n"}}},
        // libgit2 (1.5) lets info/exclude win over a .gitignore negation ("*.md" there and "!keep.md" in
        // docs/.gitignore leave keep.md out, where git lists it), so this case does not combine them.
        {"info/exclude", {{".git/info/exclude", "*.md\nbuild\n"}, {".gitignore", "*.o\n!keep.o\n"}}},
        {"excludes file", {{".gitignore", "src/gen/\n"}, {"src/.gitignore", "*.h\n"}}, "*.o\nlogs/\n!keep.o\n"},
        // Lines that arbolin leaves to libgit2 to read: a byte order mark, a leading blank, an escaped '!'.
        {"unusual lines", {{".gitignore", "\xEF\xBB\xBF*.o\n"}, {"src/.gitignore", " b.o\n*.c\n\\!x\n!*.c\n*.c\n"}}},
        {"negation next to a match", {{".gitignore", "*.c\n!src/*.c\n"}, {"src/.gitignore", "gen/*\n!gen/x/\n"}}},
        // A symbolic link is a file to git, whatever it points at: "dir/" patterns pass it over.
        {"links are files", {{".gitignore", "ln/\nlf/\n"}, {"src/.gitignore", "lg/\nlg2\n"}}},
    };
    for (const auto& c : cases) {
        std::string repo = "R/" + std::to_string(&c - cases);
        Folder(repo);
        ASSERT_EQ(std::system(("git init -q '" + At(repo) + "'").c_str()), 0);
        for (const char* f : {"a.c", "a.o", "keep.o", "src/a.c", "src/b.o", "src/gen/g.c", "src/gen/x/deep/d.c",
                              "build/out.o", "build/keep/k.o", "logs/l.txt", "docs/keep.md", "docs/x/y.md",
                              "README/r", "deep/z"})
            File(repo + "/" + f);
        Folder(repo + "/empty");
        // Links to folders and to a file, in every case.
        fs::create_symlink("src", At(repo + "/ln"));
        fs::create_symlink("a.c", At(repo + "/lf"));
        fs::create_symlink("gen", At(repo + "/src/lg"));
        fs::create_symlink("gen", At(repo + "/src/lg2"));
        for (const auto& [path, content] : c.ignoreFiles) File(repo + "/" + path, content);
        if (!c.excludes.empty()) {
            File(repo + "-excludes", c.excludes);
            ASSERT_EQ(std::system(("git -C '" + At(repo) + "' config core.excludesFile '" + At(repo + "-excludes") +
                                   "'").c_str()),
                      0);
        }
        // Tracked files that patterns match stay, with the folders that hold them: git ignores no tracked
        // file. (b.o is tracked in a folder of its own.)
        File(repo + "/logs/tracked/b.o");
        ASSERT_EQ(std::system(("git -C '" + At(repo) + "' add -f a.o logs/tracked/b.o").c_str()), 0);
        // FOLDER itself is the work tree, below it, or inside a folder git ignores in some cases.
        for (const std::string& sub : {std::string(), std::string("/src"), std::string("/src/gen"), std::string("/logs")}) {
            RunResult r = Arbolin({"--gitignore", "--format", "json", "-o", scratch_ + "/g.json", repo + sub});
            ASSERT_EQ(r.status, 0) << c.what << r.err;
            EXPECT_EQ(PythonFile(ARBOLIN_GITIGNORE_CHECK, {scratch_ + "/g.json", At(repo), At(repo + sub)}), 0)
                << c.what << " " << sub;
        }
    }
    // An ignore file counts when -I leaves it out of the listing.
    std::string nested = "R/5";
    std::string all = Arbolin({"--gitignore", "--indented", nested}).out, withoutFiles;
    for (size_t at = 0; at < all.size();) {
        size_t end = all.find('\n', at) + 1;
        std::string line = all.substr(at, end - at);
        if (line.find(".gitignore") == std::string::npos) withoutFiles += line;
        at = end;
    }
    EXPECT_NE(withoutFiles, all);
    EXPECT_EQ(Arbolin({"--gitignore", "-I", ".gitignore", "--indented", nested}).out, withoutFiles);

    // Outside a repository the option changes nothing (the test folder lies in /tmp, in no repository).
    Folder("plain/.git-not");
    File("plain/x.o");
    EXPECT_EQ(Arbolin({"--gitignore", "plain"}).out, Arbolin({"plain"}).out);
}

// Tracked files stay whichever form the index has; an index neither arbolin nor libgit2 reads is said.
TEST_F(CliFeatures, GitignoreIndexForms) {
    if (UnderWine()) GTEST_SKIP() << "--gitignore is refused on Windows (OptionsWindowsCannotMeanRefused)";
    if (!GitIgnoreAvailable()) GTEST_SKIP() << "built without libgit2";
    // Tracked: .gitignore, c.c, lib/x.c and, though patterns match them, a.o and build/t.o.
    const std::string all = "   [ build ]\n      t.o\n   [ lib ]\n      x.c\n   [ src ]\n   .gitignore\n   a.o\n   c.c\n";
    const struct {
        const char* command;  // run in the repository after `git add`
        std::string listing;  // after the root line
        int status;
    } cases[] = {
        {"git update-index --index-version 4", all, 0},
        {"git config core.ignoreCase true", all, 0},  // then libgit2 reads the index
        // lib/ is outside the cone: gone from the work tree, one entry "lib/" in the index.
        {"git -c user.name=t -c user.email=t@t commit -qm one && git sparse-checkout set --cone --sparse-index build",
         "   [ build ]\n      t.o\n   [ src ]\n   .gitignore\n   a.o\n   c.c\n", 0},
        {"git update-index --split-index && git rm -q --cached c.c", all, 0},
        // A split index whose shared index is gone: neither arbolin nor libgit2 can read it.
        {"git update-index --split-index && rm .git/sharedindex.*",
         "   [ lib ]\n      x.c\n   [ src ]\n   .gitignore\n   c.c\n", 1},
    };
    for (const auto& c : cases) {
        std::string repo = "I/" + std::to_string(&c - cases);
        File(repo + "/.gitignore", "*.o\nbuild/\n");
        for (const char* f : {"a.o", "b.o", "c.c", "build/t.o", "build/u.o", "src/d.o", "lib/x.c"}) File(repo + "/" + f);
        std::string git = "cd '" + At(repo) + "' && git init -q && git add -A && git add -f a.o build/t.o && ";
        ASSERT_EQ(std::system((git + c.command + " >/dev/null 2>&1").c_str()), 0) << c.command;
        RunResult r = Arbolin({"--gitignore", "--indented", repo});
        EXPECT_EQ(r.status, c.status) << c.command << r.err;
        EXPECT_EQ(r.out, "[ " + repo + " ]\n" + c.listing) << c.command;
        if (c.status == 0) {
            EXPECT_EQ(r.err, "") << c.command;
        } else {
            ExpectMessages(r.err, 1);
            EXPECT_NE(r.err.find("cannot read git's index"), std::string::npos) << r.err;
        }
    }
}

// ---- Every new choice is refused with --compat, and bad values are usage errors.

TEST(CliNewOptions, UsageErrors) {
    const struct {
        std::vector<std::string> args;
        const char* message;
    } cases[] = {
        {{"--compat", "-I", "x"}, "cannot be combined with '--exclude'"},
        {{"-P", "x", "--compat"}, "cannot be combined with '--include'"},
        {{"--prune", "--compat"}, "cannot be combined with '--prune'"},
        {{"--files-first", "--compat"}, "cannot be combined with '--files-first'"},
        {{"--pieces", "ascii", "--compat"}, "cannot be combined with '--pieces'"},
        {{"--pieces", "box"}, "invalid pieces 'box': expected utf8 or ascii"},
        {{"--pieces", "utf8", "--encoding", "sjis"}, "--pieces utf8 cannot be combined with Shift_JIS"},
        {{"--summary", "--compat"}, "cannot be combined with '--summary'"},
        {{"--filelimit", "9", "--compat"}, "cannot be combined with '--filelimit'"},
        {{"--filelimit", "0"}, "invalid file limit '0'"},
        {{"--filelimit=x"}, "invalid file limit 'x'"},
        {{"--compat", "--natural"}, "cannot be combined with '--natural'"},
        {{"--format", "json", "--compat"}, "cannot be combined with '--format'"},
        {{"--format", "xml"}, "invalid format 'xml': expected text, json, markdown or html"},
        {{"--format", "markdown", "--encoding", "sjis"}, "UTF-8 and cannot be combined with --encoding sjis"},
        {{"--compat", "--gitignore"}, "cannot be combined with '--gitignore'"},
        {{"-I", ""}, "the pattern of '--exclude' is empty"},
        {{"--include="}, "the pattern of '--include' is empty"},
        {{"-P"}, "option '-P' needs a value"},
    };
    for (const auto& c : cases) {
        std::vector<const char*> argv{"arbolin"};
        for (const std::string& a : c.args) argv.push_back(a.c_str());
        CliOptions o;
        std::string error;
        EXPECT_EQ(ParseArguments(int(argv.size()), argv.data(), o, error), kActionUsageError) << c.message;
        EXPECT_NE(error.find(c.message), std::string::npos) << error;
    }
}

TEST_F(CliFeatures, CompatRefusalExitsWithUsage) {
    RunResult r = Arbolin({"--compat", "--prune"});
    EXPECT_EQ(r.status, kExitUsage);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err,
              "arbolin: --compat prints the Windows program's text and cannot be combined with '--prune' "
              "(see 'arbolin --help')\n");
}

// Options that cannot mean anything on Windows (one file system, owners and groups, inode numbers, the
// status change time, and --gitignore and --gitfile without a libgit2 build for them) are refused there
// with one message naming the option and nothing listed; on Linux they list.
TEST_F(CliFeatures, OptionsWindowsCannotMeanRefused) {
    Project();
    const struct {
        std::vector<std::string> args;
        const char* option;  // named in the message
    } cases[] = {
        {{"-x", "P"}, "-x"},
        {{"--one-file-system", "P"}, "one-file-system"},
        {{"-u", "P"}, "-u"},
        {{"-g", "P"}, "-g"},
        {{"--inodes", "P"}, "inodes"},
        {{"--gitignore", "P"}, "gitignore"},
        {{"--gitfile", "rules", "P"}, "gitfile"},
        {{"-c", "P"}, "-c"},
        {{"--sort", "ctime", "P"}, "ctime"},
    };
    WriteFile(At("rules"), "*.o\n");
    for (const auto& c : cases) {
        RunResult r = Arbolin(c.args);
        if (!UnderWine()) {
            if (c.args[0].starts_with("--git") && !GitIgnoreAvailable()) continue;
            EXPECT_EQ(r.status, 0) << c.option << r.err;
            EXPECT_EQ(r.err, "") << c.option;
            EXPECT_NE(r.out.find("main.c"), std::string::npos) << c.option;
            continue;
        }
        EXPECT_EQ(r.status, 2) << c.option;
        EXPECT_EQ(r.out, "") << c.option;
        ExpectMessages(r.err, 1);
        EXPECT_NE(r.err.find(c.option), std::string::npos) << r.err;
    }
}

}  // namespace
