// The command line's argument parser, its option table and progress line, called directly: every spelling of
// every option, the combinations --compat, --fromfile and --parse refuse, the table's rows against their
// help, and the progress line's quiet first second and its erasing.
#include <unistd.h>

#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "cli/option_table.h"
#include "cli/options.h"
#include "cli/progress.h"

namespace {

CommandAction Parse(std::vector<std::string> args, CliOptions& options, std::string& error) {
    std::vector<const char*> argv{"arbolin"};
    for (const std::string& a : args) argv.push_back(a.c_str());
    return ParseArguments(int(argv.size()), argv.data(), options, error);
}

struct Parsed {
    std::vector<std::string> args;
    bool subfolders = true, folderNames = true, fileNames = true, treeView = true, nameLimit = false;
    int32_t maxDepth = INT32_MAX;
    bool sjis = false, compat = false;
    std::string folder = ".", output = "";
};

TEST(CliOptions, AcceptedCommandLines) {
    const Parsed cases[] = {
        {{}},
        {{"dir"}, true, true, true, true, false, INT32_MAX, false, false, "dir"},
        {{"--no-subfolders", "--no-folder-names", "--no-file-names", "--indented", "--name-limit"},
         false, false, false, false, true},
        {{"dir", "--indented"}, true, true, true, false, false, INT32_MAX, false, false, "dir"},
        {{"--", "--indented"}, true, true, true, true, false, INT32_MAX, false, false, "--indented"},
        {{"-"}, true, true, true, true, false, INT32_MAX, false, false, "-"},
        {{"-L", "3"}, true, true, true, true, false, 3},
        {{"-L3"}, true, true, true, true, false, 3},
        {{"--depth", "1"}, true, true, true, true, false, 1},
        {{"--depth=12"}, true, true, true, true, false, 12},
        {{"-L", "99999999999999999999"}, true, true, true, true, false, INT32_MAX},
        {{"--encoding", "sjis"}, true, true, true, true, false, INT32_MAX, true},
        {{"--encoding=utf8"}, true, true, true, true, false, INT32_MAX, false},
        {{"--encoding", "sjis", "--encoding", "utf8"}, true, true, true, true, false, INT32_MAX, false},
        {{"--compat"}, true, true, true, true, false, kUnlimitedDepth, true, true},
        {{"--compat", "--encoding", "sjis", "-L", "2"}, true, true, true, true, false, 2, true, true},
        {{"-L6", "--compat"}, true, true, true, true, false, 6, true, true},
        {{"-o", "f"}, true, true, true, true, false, INT32_MAX, false, false, ".", "f"},
        {{"-of"}, true, true, true, true, false, INT32_MAX, false, false, ".", "f"},
        {{"--output=f", "d"}, true, true, true, true, false, INT32_MAX, false, false, "d", "f"},
        {{"--output", "-"}, true, true, true, true, false, INT32_MAX, false, false, ".", ""},  // standard output
        {{"-o-"}, true, true, true, true, false, INT32_MAX, false, false, ".", ""},
        {{"-o", "./-"}, true, true, true, true, false, INT32_MAX, false, false, ".", "./-"},
        {{"-diL2"}, true, true, false, true, false, 2},                   // bundled, the value attached
        {{"-dL", "2", "x"}, true, true, false, true, false, 2, false, false, "x"},  // ... or the next word
        {{"-do", "f", "-L4", "--dep=5"}, true, true, false, true, false, 5, false, false, ".", "f"},
        {{"--no-sub", "--ind", "--name"}, false, true, true, false, true},  // starts of one name each
    };
    for (const Parsed& c : cases) {
        std::string joined;
        for (const std::string& a : c.args) joined += a + " ";
        CliOptions o;
        std::string error;
        ASSERT_EQ(Parse(c.args, o, error), kActionRun) << joined << error;
        EXPECT_EQ(o.list.subfolders, c.subfolders) << joined;
        EXPECT_EQ(o.list.folderNames, c.folderNames) << joined;
        EXPECT_EQ(o.list.fileNames, c.fileNames) << joined;
        EXPECT_EQ(o.list.treeView, c.treeView) << joined;
        EXPECT_EQ(o.list.nameLimit, c.nameLimit) << joined;
        EXPECT_EQ(o.list.maxDepth, c.maxDepth) << joined;
        EXPECT_EQ(o.sjis, c.sjis) << joined;
        EXPECT_EQ(o.compat, c.compat) << joined;
        EXPECT_EQ(o.folder, c.folder) << joined;
        EXPECT_EQ(o.output, c.output) << joined;
    }
}

TEST(CliOptions, UsageErrors) {
    const struct {
        std::vector<std::string> args;
        const char* message;
    } cases[] = {
        {{"--bogus"}, "unknown option '--bogus'"},
        {{"--bogus=1"}, "unknown option '--bogus'"},
        {{"--no-"}, "option '--no-' is ambiguous; it could be --no-subfolders, --no-folder-names, --no-file-names, --no-pieces"},
        {{"--s=1"}, "option '--s' is ambiguous; it could be --summary, --size, --si, --sort"},
        {{"-y"}, "unknown option '-y'"},
        {{"-dyL2"}, "unknown option '-y' in '-dyL2'"},
        {{"-hL"}, "option '-L' needs a value"},
        {{"-N"}, "-N is not taken: arbolin never writes control characters raw"},
        {{"-dR"}, "-R is not taken: arbolin writes only its output"},
        {{"--info"}, "--info is not taken: .info files are not read"},
        {{"-A"}, "use --charset utf-8 or --charset ascii"},
        {{"-S"}, "code page 437"},
        {{"-L"}, "option '-L' needs a value"},
        {{"--depth"}, "option '--depth' needs a value"},
        {{"-L", "0"}, "invalid depth '0': expected a whole number of at least 1"},
        {{"--depth=-1"}, "invalid depth '-1'"},
        {{"--depth="}, "invalid depth ''"},
        {{"-L", "2x"}, "invalid depth '2x'"},
        {{"--encoding", "latin1"}, "invalid encoding 'latin1': expected utf8 or sjis"},
        {{"--indented=yes"}, "option '--indented' takes no value"},
        {{"--compat", "--encoding", "utf8"}, "--compat writes Shift_JIS and cannot be combined with --encoding utf8"},
        {{"--encoding=utf8", "--compat"}, "--compat writes Shift_JIS"},
        {{"--compat", "-L", "1"}, "--compat accepts the Windows program's depths only, 2 to 6, not 1"},
        {{"--compat", "-L", "7"}, "2 to 6, not 7"},
        {{"a", "b"}, "only one FOLDER may be given, not also 'b'"},
        {{""}, "the FOLDER name is empty"},
        {{"-o", ""}, "the output file name is empty"},
        {{"--bad\nline"}, "unknown option '--bad\\nline'"},
    };
    for (const auto& c : cases) {
        CliOptions o;
        std::string error;
        EXPECT_EQ(Parse(c.args, o, error), kActionUsageError) << c.message;
        EXPECT_NE(error.find(c.message), std::string::npos) << error;
        EXPECT_EQ(error.find('\n'), std::string::npos) << error;
    }
}

TEST(CliOptions, HelpAndVersionStopTheParsing) {
    CliOptions o;
    std::string error;
    EXPECT_EQ(Parse({"--help", "--bogus"}, o, error), kActionHelp);
    EXPECT_EQ(Parse({"--he"}, o, error), kActionHelp);
    EXPECT_EQ(Parse({"-h", "--bogus"}, o, error), kActionUsageError);  // -h is --human
    EXPECT_EQ(Parse({"--indented", "--help"}, o, error), kActionHelp);
    EXPECT_EQ(Parse({"--version", "-L", "0"}, o, error), kActionVersion);
    EXPECT_EQ(Parse({"--compat", "-L", "9", "--version"}, o, error), kActionVersion);
    EXPECT_EQ(Parse({"-L", "0", "--help"}, o, error), kActionUsageError);
}

// Where an option applies, with the messages that name the refused option: the first one given, one that
// looks at the entries before one only --fromfile refuses, and per value where the value decides.
TEST(CliOptions, RefusedByMode) {
    const struct {
        std::vector<std::string> args;
        const char* message;  // nullptr: accepted
    } cases[] = {
        {{"--compat", "-I", "x"}, "--compat prints the Windows program's text and cannot be combined with '--exclude'"},
        {{"-v", "--compat", "-s"}, "--compat prints the Windows program's text and cannot be combined with '-v'"},
        {{"--compat", "--format=text"}, "cannot be combined with '--format'"},
        {{"--compat", "--title", "T"}, "'--title' applies to --format html only"},
        {{"--compat", "-o", "f"}, nullptr},
        {{"--fromfile", "--sort", "size"}, "--fromfile reads no file system and cannot be combined with '--sort'"},
        {{"--fromfile", "--sort", "mtime", "--sort", "name"}, "cannot be combined with '--sort'"},
        {{"--fromfile", "--sort", "version", "-r", "-v"}, nullptr},
        {{"--parse", "-t"}, "--parse reads no file system and cannot be combined with '-t'"},
        {{"--fromfile", "--color=never"}, nullptr},  // colours nothing there, as documented
        {{"--compat", "--color=always", "-C", "-n", "-a", "--noreport", "--dirsfirst"}, nullptr},
        {{"--parse", "--color=force"}, nullptr},
        {{"--compat", "-U"}, "--compat prints the Windows program's text and cannot be combined with '-U'"},
        {{"--compat", "-f"}, "cannot be combined with '--full-path'"},
        {{"--compat", "--filesfirst"}, "cannot be combined with '--filesfirst'"},
        {{"--compat", "--charset", "ascii"}, "cannot be combined with '--charset'"},
        {{"-f", "--format", "json"}, "'--full-path' applies to the text views only"},
        {{"-Q", "--format=html"}, "'--quote-name' applies to the text views only"},
        {{"-q", "--encoding", "sjis"}, "-q writes UTF-8 names and cannot be combined with --encoding sjis"},
        {{"--nolinks"}, "'--nolinks' applies to --format html only"},
        {{"-H", "x", "--format", "json"}, "'-H' applies to --format html only"},
        {{"--hintro", "i", "-H", "."}, nullptr},
        {{"--fflinks"}, "--fflinks applies to --fromfile only"},
        {{"--fromfile", "a", "b", "--format", "json"}, "--fromfile with several files writes the text views only"},
        {{"--parse", "a", "b"}, "--parse reads one listing, not also 'b'"},
        {{"--fromfile", "--gitfile", "g"}, "--fromfile lists no folder and cannot be combined with '--gitfile'"},
        {{"--charset", "latin1"}, "invalid character set 'latin1': expected utf-8, utf8, ascii or us-ascii"},
        {{"--fromfile", "--timefmt", "%Y"}, "--fromfile reads no file system and cannot be combined with '--timefmt'"},
        {{"--fromfile", "--timefmt", "%Y", "-p"}, "cannot be combined with '--perms'"},
        {{"--parse", "--timefmt", "%Y"}, nullptr},
        {{"--parse", "--timefmt", "%Y", "-D"}, "--parse reads no file system and cannot be combined with '--date'"},
        {{"--fromfile", "--gitignore"}, "--fromfile lists no folder and cannot be combined with '--gitignore'"},
        {{"--compat", "--parse"}, "--parse lists no folder and cannot be combined with '--compat'"},
        {{"--parse", "--format", "markdown"}, "--parse prints paths or, with --format json, the JSON tree"},
        {{"--parse", "--format", "html", "--format", "json"}, nullptr},
        {{"--color"}, nullptr},
        {{"--color="}, "invalid colour choice '': expected always, yes, force, never, no, none, auto, tty or if-tty"},
        {{"--sort", "big"}, "invalid sort order 'big': expected name, version, size, mtime, ctime or none"},
        {{"--format", "yaml"}, "invalid format 'yaml': expected text, json, markdown or html"},
        {{"--pieces=x"}, "invalid pieces 'x': expected utf8 or ascii"},
        {{"--filelimit", "0"}, "invalid file limit '0': expected a whole number of at least 1"},
        {{"--=x"}, "unknown option '--'"},  // no option has an empty long name
        {{"--fromfile=x"}, "option '--fromfile' takes no value"},
        {{"-sy"}, "unknown option '-y' in '-sy'"},
    };
    for (const auto& c : cases) {
        CliOptions o;
        std::string error;
        CommandAction action = Parse(c.args, o, error);
        if (c.message == nullptr) {
            EXPECT_EQ(action, kActionRun) << c.args[0] << " " << c.args[1] << ": " << error;
        } else {
            EXPECT_EQ(action, kActionUsageError) << c.message;
            EXPECT_NE(error.find(c.message), std::string::npos) << error;
        }
    }
}

// How a row's help paragraph starts: its names, then its value as the help writes it.
std::string HelpHead(const OptionRow& row) {
    std::string head = "  ";
    if (row.shortName != 0) head += std::string{'-', row.shortName} + (row.longName.empty() ? "" : ", ");
    if (!row.longName.empty()) head += "--" + std::string(row.longName);
    std::string words;
    for (const ValueWord& w : row.words) words += (words.empty() ? "" : "|") + std::string(w.word);
    std::string value = row.valueName.empty() ? words : std::string(row.valueName);
    if (row.argument == kArgRequired) head += " " + value;
    if (row.argument == kArgAttached) head += "[=" + value + "]";
    if (row.argument == kArgNone && !value.empty()) head += " [" + value + "]";
    return head;
}

TEST(OptionTable, RowsAgreeWithTheirHelp) {
    std::set<std::string> names;
    std::set<int> ids;
    // Rows that share their id: a second name of one option, and the options of tree's that are refused.
    const std::set<std::string_view> secondNames{"filesfirst", "charset"};
    std::string paragraphs;
    for (const OptionRow& row : OptionTable()) {
        std::string head = HelpHead(row);
        bool own = ids.insert(row.id).second;
        if (row.id != kOptRefused && !secondNames.count(row.longName)) {
            EXPECT_TRUE(own) << head;
        }
        EXPECT_EQ(row.id == kOptRefused, !row.refusal.empty()) << head;
        if (row.shortName != 0) {
            EXPECT_TRUE(names.insert(std::string{'-', row.shortName}).second) << head;
        }
        if (!row.longName.empty()) {
            EXPECT_TRUE(names.insert(std::string(row.longName)).second) << head;
        }
        std::string candidates;
        EXPECT_EQ(FindLongOption(row.longName, candidates), row.longName.empty() ? nullptr : &row) << head;
        // The head, then two spaces or the end of its line; each further line continues the description
        // (22 columns in) or starts again with the option's name ("--format html").
        std::string_view help = row.help;
        ASSERT_GT(help.size(), head.size()) << head;
        EXPECT_EQ(help.substr(0, head.size()), head);
        EXPECT_TRUE(help.substr(head.size(), 2) == "  " || help[head.size()] == '\n') << head;
        EXPECT_EQ(help.back(), '\n') << head;
        for (size_t at = help.find('\n'); at + 1 < help.size(); at = help.find('\n', at + 1)) {
            std::string_view line = help.substr(at + 1);
            EXPECT_TRUE(line.substr(0, 22) == std::string(22, ' ') || line.substr(0, head.size()) == head ||
                        line.substr(0, 4 + row.longName.size()) == "  --" + std::string(row.longName))
                << line.substr(0, line.find('\n'));
        }
        // The completions' line: one line, short enough for a menu.
        EXPECT_FALSE(row.summary.empty()) << head;
        EXPECT_LE(row.summary.size(), 70u) << head;
        EXPECT_EQ(row.summary.find_first_of("\t\n"), std::string_view::npos) << head;
        // Words: each once; a value's first word names it (--color's yes and force are always); a
        // message can say what the value is.
        std::set<std::string_view> words;
        std::set<int> values;
        for (const ValueWord& w : row.words) {
            EXPECT_TRUE(words.insert(w.word).second) << head << " " << w.word;
            EXPECT_EQ(FindWord(row, w.word), &w);
            if (values.insert(w.value).second) {
                EXPECT_EQ(FindWordOf(row, w.value), &w);
            }
        }
        if (!row.words.empty() || row.valueName == "N") {
            EXPECT_FALSE(row.valueWhat.empty()) << head;
        }
        EXPECT_EQ(row.argument == kArgAttached, !row.bareValue.empty()) << head;
        if (!row.bareValue.empty()) {
            EXPECT_NE(FindWord(row, row.bareValue), nullptr) << head;
        }
        paragraphs += row.help;
    }
    EXPECT_EQ(ids.size(), size_t(kOptRefused) + 1);  // every OptionId has its row
    // --help: its opening, the paragraphs in the table's order, the rest.
    const std::string& text = HelpText();
    ASSERT_EQ(text.rfind("Usage: arbolin [options] [FOLDER]\n", 0), 0u);
    EXPECT_NE(text.find("\n\n" + paragraphs + "\nIn each folder,"), std::string::npos);
}

// The line goes to a pipe here, standing in for the terminal.
std::string Drain(int fd) {
    std::string got;
    char chunk[256];
    ssize_t n;
    while ((n = read(fd, chunk, sizeof chunk)) > 0) got.append(chunk, size_t(n));
    return got;
}

TEST(CliProgress, QuietFirstSecondThenRewrittenAndErased) {
    int ends[2];
    ASSERT_EQ(pipe(ends), 0);
    ProgressLine p;
    StartProgress(p, ends[1], 5'000'000'000);
    EXPECT_EQ(p.fd, -1);  // a pipe is no terminal: never shown
    p.fd = ends[1];

    UpdateProgress(p, 5'000'000'000 + kProgressDelayNs, 10, 20);   // still within the first second
    EraseProgress(p);                                              // nothing shown, nothing to erase
    UpdateProgress(p, 6'500'000'000, 1234, 1);
    UpdateProgress(p, 6'500'000'001, 1300, 5);                     // too soon to rewrite
    UpdateProgress(p, 6'700'000'000, 12345, 1234567);
    EraseProgress(p);
    UpdateProgress(p, 6'700'000'001, 12346, 1234567);              // after erasing: shown again at once
    close(ends[1]);
    std::string first = "\rarbolin: 1,234 folders, 1 file";
    std::string second = "\rarbolin: 12,345 folders, 1,234,567 files";
    std::string erase = "\r" + std::string(second.size() - 1, ' ') + "\r";
    EXPECT_EQ(Drain(ends[0]), first + second + erase + "\rarbolin: 12,346 folders, 1,234,567 files");
    close(ends[0]);
}

}  // namespace
