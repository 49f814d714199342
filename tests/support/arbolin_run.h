// Tests that run the built `arbolin`: a temporary folder they fill, and arbolin run inside it with its
// standard output and error caught in files; small file helpers and the check of its messages.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

std::string ReadAll(const std::string& path);
// Standard output of a shell command (the reference tools: ls, tree, stat ...), and text split in lines.
std::string Shell(const std::string& command);
std::vector<std::string> Lines(const std::string& text);
void WriteFile(const std::string& path, std::string_view bytes);

struct RunResult {
    int status = -1;  // exit status, or 128 + signal
    std::string out, err;
};

enum StdoutTo { kStdoutFile, kStdoutDevFull, kStdoutBrokenPipe };

struct Invocation {
    std::vector<std::string> args;
    std::string cwd;
    // LC_ALL. The tests' default orders names by ICU's collation (as C.UTF-8 did before the C locales
    // ordered by bytes); "" leaves LC_ALL, LANG and every LC_* unset but for `environment`.
    std::string locale = "en_US.UTF-8";
    std::vector<std::pair<std::string, std::string>> environment;  // further variables to set
    bool withoutOverride = false;  // run without root's power to read and write any folder
    StdoutTo stdoutTo = kStdoutFile;
};

// Runs `exe` with stdout and stderr in files of `scratch`. As root, `withoutOverride` drops the
// capabilities that let root ignore permissions (it stays uid 0, so the build folder stays reachable).
// Under Wine (below) the Windows build runs in `exe`'s place, with the same arguments, folder and streams.
RunResult RunArbolin(const std::string& exe, const Invocation& inv, const std::string& scratch);

// True when ARBOLIN_TEST_WINE_EXE names an arbolin.exe: every run then starts it with wine64
// (ARBOLIN_TEST_WINE, else /usr/lib/wine/wine64) in the session WINEPREFIX names, which tests/win/cli-wine.sh
// has started. Wine maps `/` to drive Z: and starts the program in the Unix folder's Z: path, so relative
// and absolute Linux paths in arguments name the same files.
bool UnderWine();
// A name Windows allows in a folder and Wine shows as it is: no control character below 0x20, none of
// < > : " / \ | ? *, no trailing blank or dot, and UTF-8 (Wine shows other bytes as U+FFFD).
bool WindowsAllowsName(std::string_view name);
// Under Wine, says that a row of a table is not run there and why (on standard output, so that a run
// shows what it left out).
void NotUnderWine(const std::string& row, const std::string& reason);

// Every message is one line starting with "arbolin: ", and there are `lines` of them.
void ExpectMessages(const std::string& err, size_t lines);

// A fresh folder under /tmp for each test, removed at the end (unreadable and read-only folders in it
// opened up first). The test program defines ARBOLIN_EXE, the path of the built arbolin.
class ArbolinFolderTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    std::string At(const std::string& rel) const { return base_ + "/" + rel; }
    void Folder(const std::string& rel) { std::filesystem::create_directories(At(rel)); }
    void File(const std::string& rel, std::string_view bytes = "");

#ifdef ARBOLIN_EXE
    // Runs arbolin in the test's folder with LC_ALL=en_US.UTF-8.
    RunResult Arbolin(std::vector<std::string> args, bool withoutOverride = false) {
        Invocation inv;
        inv.args = std::move(args);
        inv.withoutOverride = withoutOverride;
        return Arbolin(std::move(inv));
    }
    RunResult Arbolin(Invocation inv) {
        if (inv.cwd.empty()) inv.cwd = base_;
        return RunArbolin(ARBOLIN_EXE, inv, scratch_);
    }
#endif

    std::string base_, scratch_;
};
