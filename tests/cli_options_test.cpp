// The command line's argument parser and progress line, called directly: every spelling of every option,
// the combinations --compat refuses, and the progress line's quiet first second and its erasing.
#include <unistd.h>

#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

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
        {{"--output", "-"}, true, true, true, true, false, INT32_MAX, false, false, ".", "-"},
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
        {{"--no-sub"}, "unknown option '--no-sub'"},
        {{"-y"}, "unknown option '-y'"},
        {{"-hL"}, "unknown option '-hL'"},
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
    EXPECT_EQ(Parse({"-h", "--bogus"}, o, error), kActionHelp);
    EXPECT_EQ(Parse({"--indented", "--help"}, o, error), kActionHelp);
    EXPECT_EQ(Parse({"--version", "-L", "0"}, o, error), kActionVersion);
    EXPECT_EQ(Parse({"--compat", "-L", "9", "--version"}, o, error), kActionVersion);
    EXPECT_EQ(Parse({"-L", "0", "--help"}, o, error), kActionUsageError);
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
