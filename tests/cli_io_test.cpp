// Listings in and out: --fromfile's path rules and repeats, --parse over arbolin's own views (round
// trips over generated trees) and over `tree`'s output, and hostile names in --format html. The built
// `arbolin` run over folders and lists these tests make.
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "readers/path_list.h"
#include "formats/html.h"
#include "readers/listing_reader.h"
#include "support/arbolin_run.h"

namespace fs = std::filesystem;

namespace {

// Standard output of a shell command into `out`; its exit status.
int ReadCommand(const std::string& command, std::string& out) {
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return -1;
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
    return pclose(pipe);
}

// ---- The plain form of a listed path.

TEST(PlainPath, Rules) {
    const struct {
        const char* given;
        const char* plain;
        bool folder;
    } cases[] = {
        {"a/b/c", "a/b/c", false},     {"a/b/", "a/b", true},         {"./a", "a", false},
        {"a//b", "a/b", false},        {"a/./b", "a/b", false},       {"a/.", "a", true},
        {".", "", true},               {"./", "", true},              {"", "", true},
        {"/", "/", true},              {"//", "/", true},             {"/usr//lib/", "/usr/lib", true},
        {"/./x", "/x", false},         {"../x", "../x", false},       {"a/../b", "a/../b", false},
        {"..", "..", false},           {"a/..", "a/..", false},       {".a/.b.", ".a/.b.", false},
        {"a b/ c ", "a b/ c ", false}, {"a\\b", "a\\b", false},       {"././", "", true},
        {".//a", "a", false},          {"./..", "..", false},         {"././a/", "a", true},
        {"./.", "", true},             {"./a/./b", "a/b", false},     {"./a//", "a", true},
    };
    for (const auto& c : cases) {
        std::string bytes = c.given;
        bool folder = false;
        std::string_view plain = PlainPath(bytes.data(), bytes.size(), folder);
        EXPECT_EQ(plain, c.plain) << c.given;
        if (!plain.empty()) {
            EXPECT_EQ(folder, c.folder) << c.given;
        }
    }
}

// git's quoted form (core.quotePath): taken as the path git means only when it is all git's escapes;
// anything else stays the name it is.
TEST(GitQuotedPath, UnquotesOnlyGitsOwnForm) {
    const struct {
        std::string given, read;
    } cases[] = {
        {"\"docs/\\346\\227\\245.txt\"", "docs/\xE6\x97\xA5.txt"},
        {"\"a\\tb\\nc\\\\d\\\"e\"", "a\tb\nc\\d\"e"},
        {"\"\\a\\b\\v\\f\\r\\001\\377\"", "\a\b\v\f\r\x01\xFF"},
        {"\"x\"", "\"x\""},                // quotes but no escape: a name with quotes, as find prints it
        {"\"\"", "\"\""},
        {"\"", "\""},
        {"\"\\\"", "\"\\\""},           // a lone backslash before the closing quote
        {"\"a\\qb\"", "\"a\\qb\""},      // not one of git's escapes
        {"\"a\"b\\n\"", "\"a\"b\\n\""},  // a bare quote inside
        {"\"\\400\"", "\"\\400\""},      // past a byte
        {"\"\\12\"", "\"\\12\""},        // git writes three digits
        {"a\\nb", "a\\nb"},                 // no quotes around
        {"\"a\\n", "\"a\\n"},
    };
    for (const auto& c : cases) {
        std::string bytes = c.given;
        size_t length = UnquoteGitPath(bytes.data(), bytes.size());
        EXPECT_EQ(bytes.substr(0, length), c.read) << c.given;
    }
}

TEST(Unescape, EscapesBackToBytes) {
    EXPECT_EQ(Unescape("a\\\\b\\n\\t\\x1b\\xff\\u202e\\q", false),
              std::string("a\\b\n\t\x1b\xff\xE2\x80\xAE\\q"));
    // In Shift_JIS, 0x5C after a lead byte is the character's second half, not an escape.
    EXPECT_EQ(Unescape("\x95\x5Cn\\n", true), "\x95\x5Cn\n");
}

// ---- The built arbolin over lists, listings and pages.

class CliIo : public ArbolinFolderTest {
protected:
    // Runs arbolin with `input` in file "in" and returns the result.
    RunResult WithInput(std::string_view input, std::vector<std::string> args) {
        WriteFile(At("in"), input);
        args.push_back(At("in"));
        return Arbolin(std::move(args));
    }
};

TEST_F(CliIo, FromFileBuildsTheTreeTheRulesSay) {
    const struct {
        const char* what;
        std::string list;
        std::vector<std::string> args;
        std::string expected;  // without the root line
    } cases[] = {
        {"components become folders; a path continuing below makes a folder",
         "a/b/c\na\nb/\nd\n", {}, " ├[ a ]\n │ └[ b ]\n │   └c\n ├[ b ]\n └d\n"},
        {"whole components: a/b is no prefix of a/bc", "a/bc\na/b\n", {}, " └[ a ]\n   ├b\n   └bc\n"},
        {"empty lines, ./, /./, //, a lone . and CRLF", "\n./x\r\n.\n./\ny//z\ny/./w\n\n", {},
         " ├[ y ]\n │ ├w\n │ └z\n └x\n"},
        {"absolute paths under a / folder; .. a plain name", "/usr/bin/sh\n../up\nrel\n", {},
         " ├[ .. ]\n │ └up\n ├[ / ]\n │ └[ usr ]\n │   └[ bin ]\n │     └sh\n └rel\n"},
        {"NUL-separated, newlines inside names", std::string("a\nb\0dir/x\0", 10), {"-0"},
         " ├[ dir ]\n │ └x\n └a\\nb\n"},
        {"filters, depth and files first", "s/m.c\ns/u.h\ns/t/deep.c\nR\n",
         {"-P", "*.c", "--files-first", "-L", "2"}, " └[ s ]\n   ├m.c\n   └[ t ]\n"},
        {"prune and summary", "e/\nf/g\n", {"--prune", "--summary"},
         " └[ f ]\n   └g\n1 folder, 1 file; left out: 1 empty folder\n"},
        {"file limit", "big/1\nbig/2\nbig/3\nsmall/1\n", {"--filelimit", "2"},
         " ├[ big ] (3 entries)\n └[ small ]\n   └1\n"},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args{"--fromfile"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        RunResult r = WithInput(c.list, args);
        EXPECT_EQ(r.status, 0) << c.what << "\n" << r.err;
        EXPECT_EQ(r.out, "[ " + At("in") + " ]\n" + c.expected) << c.what;
        EXPECT_EQ(r.err, "") << c.what;
    }
}

TEST_F(CliIo, FromFileRepeatsAreReportedOnceEachAndAFolderWins) {
    RunResult r = WithInput("a\nb/c\na\n./b/c\nd\nd/\n", {"--fromfile"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "[ " + At("in") + " ]\n ├[ b ]\n │ └c\n ├[ d ]\n └a\n");
    ExpectMessages(r.err, 3);
    EXPECT_NE(r.err.find("line 3: 'a' listed again (first on line 1)"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("line 4: 'b/c' listed again (first on line 2)"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("line 6: 'd' listed again (first on line 5)"), std::string::npos) << r.err;
}

// A million repeats would be a million messages: the first ones, then a count.
TEST_F(CliIo, FromFileRepeatsAreCapped) {
    std::string list;
    for (int i = 0; i < 1000; ++i) list += "a/b\n";
    RunResult r = WithInput(list, {"--fromfile"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "[ " + At("in") + " ]\n \u2514[ a ]\n   \u2514b\n");
    ExpectMessages(r.err, 21);
    EXPECT_NE(r.err.find("arbolin: line 21: 'a/b' listed again (first on line 1)\n"), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find("line 22:"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("arbolin: 979 more messages about paths listed again not shown\n"), std::string::npos)
        << r.err;
}

// `git ls-files` quotes names with bytes past ASCII or controls; `git ls-files -z` never does. Both lists
// give one listing, and a -0 list is never unquoted.
TEST_F(CliIo, FromFileReadsGitsQuotedNames) {
    Folder("repo/docs");
    File("repo/docs/\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E.txt", "x");
    File("repo/tab\there", "x");
    File("repo/\"quoted\"", "x");
    File("repo/back\\slash", "x");
    File("repo/plain", "x");
    std::string repo = At("repo");
    ASSERT_EQ(std::system(("cd '" + repo + "' && git init -q && git add -A").c_str()), 0);
    std::string quoted, zero;
    ASSERT_EQ(ReadCommand("cd '" + repo + "' && git ls-files", quoted), 0);
    ASSERT_EQ(ReadCommand("cd '" + repo + "' && git ls-files -z", zero), 0);
    ASSERT_NE(quoted.find("\"docs/\\346"), std::string::npos) << quoted;
    RunResult fromQuoted = WithInput(quoted, {"--fromfile"});
    RunResult fromZero = WithInput(zero, {"--fromfile", "-0"});
    EXPECT_EQ(fromQuoted.status, 0) << fromQuoted.err;
    EXPECT_EQ(fromZero.status, 0) << fromZero.err;
    EXPECT_EQ(fromQuoted.out, fromZero.out);
    EXPECT_NE(fromQuoted.out.find("\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E.txt"), std::string::npos) << fromQuoted.out;
    EXPECT_NE(fromQuoted.out.find("tab\\there"), std::string::npos) << fromQuoted.out;
    // Lines that only look quoted, and -0 lists, are taken as they are.
    RunResult plain = WithInput("\"x\"\n", {"--fromfile"});
    EXPECT_EQ(plain.out, "[ " + At("in") + " ]\n \u2514\"x\"\n");
    RunResult nul = WithInput(std::string("\"a\\tb\"\0", 7), {"--fromfile", "-0"});
    // On Windows a backslash separates folders in a list, as dir /s /b writes them; elsewhere it is part
    // of the name, and escaped.
    EXPECT_EQ(nul.out, "[ " + At("in") + " ]\n" +
                           (UnderWine() ? " \u2514[ \"a ]\n   \u2514tb\"\n" : " \u2514\"a\\\\tb\"\n"));
}

TEST_F(CliIo, FromFileReadsNothingOnDiskAndRefusesWhatNeedsIt) {
    Folder("real/inside");  // a folder that the list names must not be opened
    RunResult r = WithInput("real\n", {"--fromfile"});
    EXPECT_EQ(r.out, "[ " + At("in") + " ]\n └real\n");
    for (std::vector<std::string> args : {std::vector<std::string>{"--fromfile", "--gitignore"},
                                          {"--fromfile", "--compat"}, {"--fromfile", "a", "b", "--format=json"},
                                          {"--parse", "--fromfile"}, {"-0"}, {"--title", "x"},
                                          {"--format", "html", "--encoding", "sjis"},
                                          {"--parse", "--format", "markdown"}}) {
        RunResult bad = Arbolin(args);
        std::string what;
        for (const std::string& a : args) what += a + " ";
        // Windows refuses --gitignore before it looks at the rest (no listing: 2).
        bool refused = UnderWine() && std::find(args.begin(), args.end(), "--gitignore") != args.end();
        EXPECT_EQ(bad.status, refused ? 2 : 64) << what;
        ExpectMessages(bad.err, 1);
    }
    RunResult missing = Arbolin({"--fromfile", "no-such-list"});
    EXPECT_EQ(missing.status, 2);
}

// --color in every mode, for a shell alias such as alias tree='arbolin --color=always': where a mode
// cannot colour, the bytes are those without the option, whatever its word.
TEST_F(CliIo, ColourIsAcceptedEverywhereAndChangesNothingWhereItCannotColour) {
    File("tree/run.sh", "#!/bin/sh\n");
    std::filesystem::permissions(At("tree/run.sh"), std::filesystem::perms::owner_exec,
                                 std::filesystem::perm_options::add);
    Folder("tree/sub");
    WriteFile(At("list"), "a/b\nc\n");
    WriteFile(At("pasted"), "[ x ]\n \xE2\x94\x94y\n");
    const std::vector<std::vector<std::string>> modes = {
        {"--compat", "tree"},       {"--format=json", "tree"},  {"--format=markdown", "tree"},
        {"--format=html", "tree"},  {"--fromfile", "list"},     {"--parse", "pasted"},
        {"--fromfile", "list", "list"},
    };
    for (const auto& mode : modes) {
        RunResult plain = Arbolin(mode);
        ASSERT_EQ(plain.status, 0) << mode[0] << plain.err;
        for (std::string colour : {"--color", "--color=always", "--color=yes", "--color=force", "-C", "-n",
                                   "--color=none", "--color=if-tty", "--col=tty"}) {
            std::vector<std::string> args = mode;
            args.insert(args.begin(), colour);
            RunResult r = Arbolin(args);
            EXPECT_EQ(r.status, 0) << mode[0] << " " << colour << ": " << r.err;
            EXPECT_EQ(r.out, plain.out) << mode[0] << " " << colour;
        }
    }
    // The text view does colour the executable with it (the sequences are compared with ls elsewhere).
    RunResult coloured = Arbolin({"-C", "tree"});
    EXPECT_NE(coloured.out.find("\x1b["), std::string::npos) << coloured.out;
    EXPECT_EQ(Arbolin({"-Cn", "tree"}).out.find('\x1b'), std::string::npos);
}

// Under Wine, the names of a tree generator without those Windows does not allow (each said).
void KeepWindowsNamesUnderWine(std::vector<std::string>& names) {
    if (!UnderWine()) return;
    std::erase_if(names, [](const std::string& name) {
        if (WindowsAllowsName(name)) return false;
        NotUnderWine(name, "Windows allows no such name, or it is not UTF-8");
        return true;
    });
}

// A tree of awkward names: spaces, escapes, wide characters, names like pieces and marks, deep and
// empty folders; `seed` varies which appear where.
void MakeTree(const std::string& root, unsigned seed, bool cp932Only) {
    std::vector<std::string> names = {"a", "B", " lead", "trail ", "x.txt", "\xE6\x97\xA5\xE6\x9C\xAC",
                                      "\xEF\xBD\xB1", "dash-1", "10", "2", "[x", "y]", "a*",
                                      "..x", "\xE2\x94\x82" "bar", "p|q", "q=", "#h", "\xCE\xB1\xCE\xB2"};
    if (!cp932Only) {
        names.insert(names.end(), {"nl\nname", "tab\tx", "back\\slash", "esc\x1b", "bad\xff", "\xE2\x80\xAE" "rtl"});
    }
    KeepWindowsNamesUnderWine(names);
    std::mt19937 random(seed);
    std::vector<std::string> folders{root};
    for (int i = 0; i < 60; ++i) {
        const std::string& parent = folders[random() % folders.size()];
        std::string path = parent + "/" + names[random() % names.size()];
        if (fs::exists(path)) continue;
        if (random() % 3 == 0) {
            fs::create_directory(path);
            if (folders.size() < 12) folders.push_back(path);
        } else {
            WriteFile(path, "");
        }
    }
}

std::string WithoutFirstLine(const std::string& text, std::string_view eol) {
    size_t end = text.find(eol);
    return end == std::string::npos ? std::string() : text.substr(end + eol.size());
}

TEST_F(CliIo, RoundTripsThroughParseAndFromFile) {
    const std::vector<std::vector<std::string>> forms = {
        {},
        {"--pieces", "ascii"},
        {"--indented"},
        {"--files-first"},
        {"--indented", "--files-first", "--summary"},
        {"--no-file-names"},
        {"--encoding", "sjis"},
        {"--encoding", "sjis", "--pieces", "ascii", "--files-first"},
        {"--encoding", "sjis", "--indented"},
    };
    for (unsigned seed = 1; seed <= 4; ++seed) {
        std::string tree = "T" + std::to_string(seed);
        Folder(tree);
        MakeTree(At(tree), seed, false);
        std::string cp932Tree = "S" + std::to_string(seed);
        Folder(cp932Tree);
        MakeTree(At(cp932Tree), seed, true);
        for (const auto& form : forms) {
            bool sjis = std::find(form.begin(), form.end(), "sjis") != form.end();
            std::string eol = sjis ? "\r\n" : "\n";
            std::string what = tree;
            for (const auto& a : form) what += " " + a;
            std::vector<std::string> first = form;
            first.push_back(sjis ? cp932Tree : tree);
            RunResult listing = Arbolin(first);
            ASSERT_EQ(listing.status, 0) << what << listing.err;
            WriteFile(At("listing"), listing.out);
            RunResult paths = Arbolin({"--parse", "-0", At("listing")});
            EXPECT_EQ(paths.status, 0) << what << "\n" << paths.err;
            WriteFile(At("paths"), paths.out);
            std::vector<std::string> last = form;
            last.insert(last.begin(), {"--fromfile", "-0"});
            last.push_back(At("paths"));
            RunResult again = Arbolin(last);
            EXPECT_EQ(again.status, 0) << what << "\n" << again.err;
            EXPECT_EQ(WithoutFirstLine(again.out, eol), WithoutFirstLine(listing.out, eol)) << what;
        }
    }
}

TEST_F(CliIo, ParseToleratesQuotingAndReportsWhatItCannotPlace) {
    Folder("Q/sub/deeper");
    File("Q/sub/f");
    File("Q/top");
    RunResult listing = Arbolin({"Q"});
    std::string expected = "sub/\nsub/deeper/\nsub/f\ntop\n";
    std::string quoted, indented, tabbed;
    for (size_t at = 0; at < listing.out.size();) {
        size_t end = listing.out.find('\n', at);
        std::string line = listing.out.substr(at, end - at);
        quoted += "> " + line + "\n";
        indented += "    " + line + "\r\n";
        tabbed += "\t" + line + "\n";
        at = end + 1;
    }
    for (const std::string& text : {quoted, "\n\n" + indented + "\n", tabbed,
                                    WithoutFirstLine(listing.out, "\n")}) {
        RunResult r = WithInput(text, {"--parse"});
        EXPECT_EQ(r.status, 0) << text << r.err;
        EXPECT_EQ(r.out, expected) << text;
    }
    // A line that fits nowhere, and a name as wide as a shortened one.
    RunResult r = WithInput("[ R ]\n ├[ a ]\n │ │   └lost\n └abcdefghijklmn \xE2\x80\xA6\n", {"--parse"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "a/\nabcdefghijklmn \xE2\x80\xA6\n");
    ExpectMessages(r.err, 2);
    EXPECT_NE(r.err.find("line 3:"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("line 4:"), std::string::npos) << r.err;
    // Columns counted as the name writer counts them: Hangul's joining vowels take none, so a wide letter,
    // three of them and twelve ASCII letters are 14 columns.
    r = WithInput("[ R ]\n \xE2\x94\x94\xE1\x84\x80\xE1\x85\xA1\xE1\x85\xA1\xE1\x85\xA1" "abcdefghijkl \xE2\x80\xA6\n",
                  {"--parse"});
    EXPECT_EQ(r.status, 1);
    ExpectMessages(r.err, 1);
    // Metadata fields between piece and name (sizes right-aligned, mode, date), -F marks and link
    // targets: none of them part of a name; a name that starts like a field keeps it.
    const struct {
        std::string listing, paths;
    } fielded[] = {
        {"  12K 2026-05-01 10:00 [ . ]\n \xE2\x94\x9C  12K 2026-05-01 10:00 [ Docs ]\n"
         " \xE2\x94\x82 \xE2\x94\x94  512 2026-05-01 10:00 10 x.txt\n \xE2\x94\x94 1.5K 2026-05-01 10:00 r.txt\n",
         "Docs/\nDocs/10 x.txt\nr.txt\n"},
        {"[ . ]\n + -rwxr-xr-x 1.0M run.sh*\n + lrwxrwxrwx    3 ln@ -> run.sh\n ` prw-r--r--    0 fifo|\n",
         "run.sh\nln\nfifo\n"},
        {"[ . ]\n \xE2\x94\x9C 1 a\n \xE2\x94\x94" "b*\n", " 1 a\nb*\n"},
    };
    for (const auto& c : fielded) {
        RunResult parsed = WithInput(c.listing, {"--parse"});
        EXPECT_EQ(parsed.out, c.paths) << c.listing;
        EXPECT_EQ(parsed.status, 0) << c.listing << parsed.err;
    }
    // The JSON tree of the same listing, and the marks that are no part of a name.
    RunResult json = WithInput("[ R ]\n ├[ a ] (7 entries)\n ├[ b ] [recursive, not followed]\n └c\n",
                               {"--parse", "--format", "json"});
    EXPECT_EQ(json.out,
              "{\"name\": \"R\", \"type\": \"folder\", \"children\": [\n"
              "  {\"name\": \"a\", \"type\": \"folder\", \"children\": []},\n"
              "  {\"name\": \"b\", \"type\": \"folder\", \"children\": []},\n"
              "  {\"name\": \"c\", \"type\": \"file\"}\n]}\n");
}

// A pasted listing's problems through the command line: the first 20 messages, then a count; exit 1. Links
// keep their kind and target in JSON.
TEST_F(CliIo, ParseCapsItsMessagesAndKeepsLinks) {
    std::string listing = "```\n.\n";
    for (int i = 0; i < 30; ++i) listing += "\xE2\x94\x9C\xE2\x94\x80\xE2\x94\x80 same\n";
    listing += "```\n";
    RunResult r = WithInput(listing, {"--parse"});
    EXPECT_EQ(r.status, 1);
    ExpectMessages(r.err, 21);
    EXPECT_NE(r.err.find("line 4: 'same' listed again (first on line 3)"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("9 more messages"), std::string::npos) << r.err;
    RunResult json = WithInput("$ tree\nroot\n\xE2\x94\x94\xE2\x94\x80\xE2\x94\x80 ln -> ../t\n", {"--parse", "--format", "json"});
    EXPECT_EQ(json.status, 0) << json.err;
    EXPECT_EQ(json.out, "{\"name\": \"root\", \"type\": \"folder\", \"children\": [\n"
                        "  {\"name\": \"ln\", \"type\": \"link\", \"target\": \"../t\"}\n]}\n");
}

// What `tree` prints, read back: the same entries as the folder holds (an empty folder without -F
// reads as a file: tree gives no sign of it).
TEST_F(CliIo, ParsesTreesOwnOutput) {
    if (system("command -v tree >/dev/null 2>&1") != 0) GTEST_SKIP() << "tree is not installed";
    Folder("W/src/lib");
    Folder("W/empty");
    Folder("W/.hidden");
    File("W/src/lib/a b.c");
    File("W/src/\xE6\x97\xA5\xE6\x9C\xAC.txt");
    File("W/.dot");
    File("W/run.sh");
    fs::permissions(At("W/run.sh"), fs::perms::owner_exec, fs::perm_options::add);
    fs::create_symlink("src", At("W/link"));
    // Names that look like comments, fields or marks in a listing written by hand.
    for (const char* name : {"Track #1.mp3", "Artist -- Title.mp3", "[draft] notes", "a=", "x  # y"})
        File(std::string("W/src/") + name);
    for (std::string flags : {"", "--charset ascii", "-F", "-a", "-a -F --charset ascii", "-s", "-h", "-D", "-p",
                              "-p -F", "-s -h -D -p -u --charset ascii"}) {
        bool all = flags.find("-a") != std::string::npos;
        bool marks = flags.find("-F") != std::string::npos || flags.find("-p") != std::string::npos;
        std::string command = "cd '" + base_ + "' && LC_ALL=C.UTF-8 tree " + flags + " W > tree.out";
        ASSERT_EQ(system(command.c_str()), 0) << command;
        RunResult r = Arbolin({"--parse", At("tree.out")});
        EXPECT_EQ(r.status, 0) << flags << "\n" << r.err;
        std::set<std::string> got, want;
        for (size_t at = 0; at < r.out.size();) {
            size_t end = r.out.find('\n', at);
            got.insert(r.out.substr(at, end - at));
            at = end + 1;
        }
        for (const auto& e : fs::recursive_directory_iterator(At("W"))) {
            std::string rel = e.path().lexically_relative(At("W")).string();
            if (!all && (rel[0] == '.' || rel.find("/.") != std::string::npos)) continue;
            bool folder = e.is_directory() && !e.is_symlink();
            bool shown = folder && (marks || !fs::is_empty(e.path()));
            want.insert(shown ? rel + "/" : rel);
        }
        EXPECT_EQ(got, want) << flags;
    }
}

// A tree for the metadata forms: names that start like a size, a mode, a date or a field that could
// not be read, leading blanks; sizes from none to sparse gigabytes (wide columns, whose blanks run into
// the indented view's indent), dates months apart (month names of different widths), executables, a
// FIFO and a link, so -F shows its marks. No name ends in a mark or is shaped like "[ x ]": with -F or
// as a folder those read back otherwise (--help says so).
void MakeFieldTree(const std::string& root, unsigned seed) {
    std::vector<std::string> names = {"a", "12 x", "1.5K y", "999k", "2026-05-01 10:00 z", "-rw-r--r-- m",
                                      "drwxr-xr-x", "? q", "?", "  two", "   three", "7 Dec 2026",
                                      "01.05.2026 d", "\xE6\x97\xA5\xE6\x9C\xAC", "trail "};
    KeepWindowsNamesUnderWine(names);
    const uintmax_t sizes[] = {0, 7, 1025, 10189, 1048064, 5000000000};
    std::mt19937 random(seed);
    std::vector<std::string> folders{root};
    for (int i = 0; i < 40; ++i) {
        std::string path = folders[random() % folders.size()] + "/" + names[random() % names.size()];
        if (fs::exists(path)) continue;
        if (random() % 3 == 0) {
            fs::create_directory(path);
            if (folders.size() < 8) folders.push_back(path);
            continue;
        }
        WriteFile(path, "");
        fs::resize_file(path, sizes[random() % std::size(sizes)]);
        if (random() % 4 == 0) fs::permissions(path, fs::perms::owner_exec, fs::perm_options::add);
        fs::last_write_time(path, fs::file_time_type::clock::now() - std::chrono::hours(24 * 31 * (random() % 12)));
    }
    if (UnderWine()) {
        NotUnderWine("a FIFO and a link", "a FIFO is Linux's (Wine shows a plain file), and -F shows a link on "
                                          "Windows without its target, so 'lnk@' would read back as a name");
        return;
    }
    ASSERT_EQ(mkfifo((root + "/fifo").c_str(), 0644), 0);
    fs::create_symlink("a", root + "/lnk");
}

std::string Quoting(const std::string& text, std::string_view eol) {
    std::string quoted;
    for (size_t at = 0; at < text.size();) {
        size_t end = text.find(eol, at);
        quoted += "> " + text.substr(at, end - at) + std::string(eol);
        at = end + eol.size();
    }
    return quoted;
}

// arbolin OPTS T | arbolin --parse -0 | arbolin --fromfile -0 prints arbolin T again, with the fields
// of every metadata option in every view; the same paths without the root line and when quoted.
TEST_F(CliIo, RoundTripsWithMetadataFields) {
    const std::vector<std::vector<std::string>> fields = {
        {"-s"}, {"--human"}, {"--si"}, {"-D"}, {"-p"}, {"-F"}, {"-s", "-D", "-p", "-F"}, {"--du"},
        {"--timefmt", "%e %B %Y"}, {"-s", "-p", "--timefmt", "%d.%m.%Y %H:%M"},
    };
    const std::vector<std::vector<std::string>> forms = {
        {}, {"--indented"}, {"--pieces", "ascii"}, {"--files-first"}, {"--encoding", "sjis"},
    };
    for (unsigned seed = 1; seed <= 2; ++seed) {
        std::string tree = "M" + std::to_string(seed);
        Folder(tree);
        MakeFieldTree(At(tree), seed);
        for (const auto& form : forms) {
            std::string eol = form.size() == 2 && form[1] == "sjis" ? "\r\n" : "\n";
            std::vector<std::string> plain = form;
            plain.push_back(tree);
            RunResult reference = Arbolin(plain);
            ASSERT_EQ(reference.status, 0) << reference.err;
            for (const auto& asked : fields) {
                // -F writes no fields, and without them the indented view cannot show "   three"'s blanks.
                if (asked == std::vector<std::string>{"-F"} && form == std::vector<std::string>{"--indented"})
                    continue;
                std::string what = tree;
                for (const auto& a : form) what += " " + a;
                for (const auto& a : asked) what += " " + a;
                std::vector<std::string> first = form;
                first.insert(first.end(), asked.begin(), asked.end());
                first.push_back(tree);
                RunResult listing = Arbolin(first);
                ASSERT_EQ(listing.status, 0) << what << listing.err;
                std::vector<std::string> parse = {"--parse", "-0"};
                if (asked.size() >= 2 && asked.end()[-2] == "--timefmt")
                    parse.insert(parse.end(), asked.end() - 2, asked.end());
                RunResult paths = WithInput(listing.out, parse);
                EXPECT_EQ(paths.status, 0) << what << "\n" << paths.err << listing.out;
                std::vector<std::string> last = form;
                last.insert(last.begin(), {"--fromfile", "-0"});
                last.push_back(At("paths"));
                WriteFile(At("paths"), paths.out);
                RunResult again = Arbolin(last);
                EXPECT_EQ(again.status, 0) << what << "\n" << again.err;
                EXPECT_EQ(WithoutFirstLine(again.out, eol), WithoutFirstLine(reference.out, eol)) << what;
                for (const std::string& variant : {WithoutFirstLine(listing.out, eol), Quoting(listing.out, eol)}) {
                    RunResult same = WithInput(variant, parse);
                    EXPECT_EQ(same.out, paths.out) << what << "\n" << variant;
                    EXPECT_EQ(same.status, 0) << what << "\n" << same.err;
                }
            }
        }
    }
}

// With a list of paths nothing on disk is looked at: the options that would are usage errors; orders by
// name need only the names. --timefmt is the form --parse reads dates in, and nothing to --fromfile.
TEST_F(CliIo, FromFileRefusesTheOptionsThatLookAtEntries) {
    WriteFile(At("list"), "b10\nb9\na/c\n");
    const std::vector<std::vector<std::string>> refused = {
        {"-s"}, {"--human"}, {"--si"}, {"--du"}, {"-D"}, {"--timefmt", "%Y"}, {"-p"}, {"-F"},
        {"-l"}, {"-x"}, {"-t"}, {"--sort", "size"}, {"--sort", "mtime"},
    };
    for (const auto& option : refused) {
        for (bool optionFirst : {false, true}) {
            std::vector<std::string> args = {"--fromfile", At("list")};
            args.insert(optionFirst ? args.begin() : args.end(), option.begin(), option.end());
            RunResult r = Arbolin(args);
            // Windows refuses -x before it looks at the rest (no listing: 2).
            EXPECT_EQ(r.status, UnderWine() && option[0] == "-x" ? 2 : 64) << option[0];
            ExpectMessages(r.err, 1);
            EXPECT_EQ(r.out, "") << option[0];
        }
    }
    const struct {
        std::vector<std::string> option;
        const char* expected;  // without the root line
    } allowed[] = {
        {{"--sort", "name"}, " ├[ a ]\n │ └c\n ├b10\n └b9\n"},
        {{"--sort", "version"}, " ├[ a ]\n │ └c\n ├b9\n └b10\n"},
        {{"-v"}, " ├[ a ]\n │ └c\n ├b9\n └b10\n"},
        {{"-r"}, " ├[ a ]\n │ └c\n ├b9\n └b10\n"},
        {{"--sort", "none"}, " ├[ a ]\n │ └c\n ├b10\n └b9\n"},
    };
    for (const auto& c : allowed) {
        std::vector<std::string> args = {"--fromfile", At("list")};
        args.insert(args.end(), c.option.begin(), c.option.end());
        RunResult r = Arbolin(args);
        EXPECT_EQ(r.status, 0) << c.option[0] << r.err;
        EXPECT_EQ(WithoutFirstLine(r.out, "\n"), c.expected) << c.option.back();
    }
    RunResult parsed = WithInput("[ . ]\n ├ 07.05.2026 [ a ]\n └ 17.12.2025 b\n", {"--parse", "--timefmt", "%d.%m.%Y"});
    EXPECT_EQ(parsed.status, 0) << parsed.err;
    EXPECT_EQ(parsed.out, "a/\nb\n");
    EXPECT_EQ(Arbolin({"--parse", "-D", At("list")}).status, 64);
}

// ---- HTML.

TEST(HtmlEscaping, NamesAndLinks) {
    std::string out;
    AppendHtmlEscaped(out, "<img src=x onerror=alert(1)>\"'&");
    EXPECT_EQ(out, "&lt;img src=x onerror=alert(1)&gt;&quot;&#39;&amp;");
    out.clear();
    AppendPercentEncoded(out, "a b/%\"<\xE6\x97\xA5~._-");
    EXPECT_EQ(out, "a%20b%2F%25%22%3C%E6%97%A5~._-");
}

TEST_F(CliIo, HtmlShowsHostileNamesAsText) {
    if (UnderWine()) GTEST_SKIP() << "the hostile names hold < > and \", which Windows does not allow in a name";
    File("H/<img src=x onerror=alert(1)>");
    File("H/\"><script>alert(1)</script>");
    File("H/it's & <b>");
    Folder("H/<details>");
    RunResult r = Arbolin({"--format", "html", "--title", "</title><script>x</script>", "H"});
    ASSERT_EQ(r.status, 0) << r.err;
    for (const char* raw : {"<img", "<script", "<b>", "\"><", "<details>\n"})
        EXPECT_EQ(r.out.find(raw), std::string::npos) << raw;
    EXPECT_NE(r.out.find("&lt;img src=x onerror=alert(1)&gt;</a>"), std::string::npos);
    EXPECT_NE(r.out.find("href=\"%3Cimg%20src%3Dx%20onerror%3Dalert%281%29%3E\""), std::string::npos);
    EXPECT_NE(r.out.find("<title>&lt;/title&gt;&lt;script&gt;x&lt;/script&gt;</title>"), std::string::npos);
    EXPECT_NE(r.out.find("href=\"%3Cdetails%3E/\""), std::string::npos);
    // Without folder rows the files' folders are unknown: no link rather than a wrong one.
    File("H/<details>/inner");
    RunResult flat = Arbolin({"--format", "html", "--no-folder-names", "H"});
    EXPECT_EQ(flat.out.find("href=\"inner\""), std::string::npos);
    EXPECT_NE(flat.out.find("<li>inner</li>"), std::string::npos);
    RunResult based = Arbolin({"--format", "html", "--base-href", "https://h/x?a=1&b", "H"});
    EXPECT_NE(based.out.find("href=\"https://h/x?a=1&amp;b/%3Cdetails%3E/\""), std::string::npos);
}

}  // namespace
