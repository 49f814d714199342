// Running the built `arbolin` from tests (see arbolin_run.h).
#include "support/arbolin_run.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "platform/chars.h"

namespace fs = std::filesystem;

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

void WriteFile(const std::string& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary);
    out << bytes;
}

namespace {

std::string Environment(const char* name) {
    const char* value = std::getenv(name);
    return value == nullptr ? std::string() : std::string(value);
}

}  // namespace

bool UnderWine() { return !Environment("ARBOLIN_TEST_WINE_EXE").empty(); }

bool WindowsAllowsName(std::string_view name) {
    if (name.empty() || name.back() == ' ' || name.back() == '.' || !IsValidUtf8(name)) return false;
    for (char c : name)
        if (static_cast<unsigned char>(c) < 0x20 || std::string_view("<>:\"/\\|?*").find(c) != std::string_view::npos)
            return false;
    return true;
}

void NotUnderWine(const std::string& row, const std::string& reason) {
    if (UnderWine()) std::printf("[ not under Wine ] %s: %s\n", row.c_str(), reason.c_str());
}

RunResult RunArbolin(const std::string& exe, const Invocation& inv, const std::string& scratch) {
    std::vector<std::string> argv;
    if (inv.withoutOverride && geteuid() == 0)
        argv = {"setpriv", "--inh-caps=-dac_override,-dac_read_search",
                "--bounding-set=-dac_override,-dac_read_search"};
    const bool wine = UnderWine();
    if (wine) {
        std::string loader = Environment("ARBOLIN_TEST_WINE");
        argv.push_back(loader.empty() ? "/usr/lib/wine/wine64" : loader);
        argv.push_back(Environment("ARBOLIN_TEST_WINE_EXE"));
    } else {
        argv.push_back(exe);
    }
    argv.insert(argv.end(), inv.args.begin(), inv.args.end());
    std::string outPath = scratch + "/stdout", errPath = scratch + "/stderr";
    pid_t pid = fork();
    if (pid == 0) {
        if (!inv.cwd.empty() && chdir(inv.cwd.c_str()) != 0) _exit(120);
        int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        int out = -1;
        if (inv.stdoutTo == kStdoutFile) {
            out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        } else if (inv.stdoutTo == kStdoutDevFull) {
            out = open("/dev/full", O_WRONLY);
        } else {
            int pipeEnds[2];
            if (pipe(pipeEnds) != 0) _exit(121);
            close(pipeEnds[0]);
            out = pipeEnds[1];
            signal(SIGPIPE, SIG_IGN);  // so the write fails with EPIPE instead of killing
        }
        if (out < 0 || err < 0) _exit(122);
        dup2(out, STDOUT_FILENO);
        dup2(err, STDERR_FILENO);
        if (wine) {
            // No console input for the Windows program, and Wine's own notes kept out of its stderr.
            int in = open("/dev/null", O_RDONLY);
            if (in < 0) _exit(123);
            dup2(in, STDIN_FILENO);
            setenv("WINEDEBUG", "-all", 0);
            setenv("WINEDLLOVERRIDES", "mscoree,mshtml=", 0);
        }
        if (inv.locale.empty()) {
            for (const char* name : {"LC_ALL", "LANG", "LANGUAGE", "LC_COLLATE", "LC_CTYPE", "LC_MESSAGES"})
                unsetenv(name);
        } else {
            setenv("LC_ALL", inv.locale.c_str(), 1);
        }
        for (const auto& [name, value] : inv.environment) setenv(name.c_str(), value.c_str(), 1);
        std::vector<char*> cargv;
        for (std::string& a : argv) cargv.push_back(a.data());
        cargv.push_back(nullptr);
        execvp(cargv[0], cargv.data());
        _exit(127);
    }
    RunResult r;
    int status = 0;
    if (pid < 0 || waitpid(pid, &status, 0) != pid) return r;
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    if (inv.stdoutTo == kStdoutFile) r.out = ReadAll(outPath);
    r.err = ReadAll(errPath);
    return r;
}

void ExpectMessages(const std::string& err, size_t lines) {
    std::istringstream in(err);
    std::string line;
    size_t count = 0;
    while (std::getline(in, line)) {
        EXPECT_EQ(line.rfind("arbolin: ", 0), 0u) << line;
        ++count;
    }
    EXPECT_EQ(count, lines) << err;
    if (!err.empty()) {
        EXPECT_EQ(err.back(), '\n');
    }
}

void ArbolinFolderTest::SetUp() {
    char pattern[] = "/tmp/arbolin-test-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    base_ = pattern;
    scratch_ = base_ + "/.scratch";
    fs::create_directory(scratch_);
}

void ArbolinFolderTest::TearDown() {
    // Folders made unreadable or read-only must be opened up again before they can be removed.
    for (const auto& e : fs::recursive_directory_iterator(base_, fs::directory_options::skip_permission_denied))
        if (!e.is_symlink() && e.is_directory()) chmod(e.path().c_str(), 0755);
    fs::remove_all(base_);
}

void ArbolinFolderTest::File(const std::string& rel, std::string_view bytes) {
    fs::create_directories(fs::path(At(rel)).parent_path());
    WriteFile(At(rel), bytes);
}

std::string Shell(const std::string& command) {
    std::string out;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return out;
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
    pclose(pipe);
    return out;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}
