// arbolin.exe's streams, files and arguments under Wine (platform_win32_io): -o FILE replaced whole or
// left untouched, devices and pipes written as they are, inputs in UTF-16 read as UTF-8, wmain's arguments
// as WTF-8, and a console's screen buffer holding exactly the characters written. Where the test process
// has no console, the console cases run again in a child given a console of its own.
#include <gtest/gtest.h>
#include <windows.h>

#include <cerrno>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/arguments.h"
#include "platform/input_file.h"
#include "platform/output_file.h"
#include "platform/terminal.h"
#include "platform/terminal_color.h"
#include "platform/wide_text.h"

namespace {

std::wstring Wide(const std::string& utf8) {
    std::u16string units = Wtf8ToWide(utf8);
    return std::wstring(units.begin(), units.end());
}

std::string Utf8(const std::wstring& wide) {
    return WideToWtf8(std::u16string(wide.begin(), wide.end()));
}

// Long paths reach the file calls with the \\?\ prefix (the code under test adds it itself).
std::wstring Long(const std::string& path) { return L"\\\\?\\" + Wide(path); }

bool WriteBytes(const std::string& path, const std::string& bytes) {
    HANDLE h = CreateFileW(Long(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    bool ok = WriteFile(h, bytes.data(), DWORD(bytes.size()), &written, nullptr) && written == bytes.size();
    CloseHandle(h);
    return ok;
}

// What `handle` gives until its end (a file's end, or a pipe whose writers are all closed).
std::string ReadAll(HANDLE handle) {
    std::string bytes;
    char buffer[4096];
    DWORD n = 0;
    while (ReadFile(handle, buffer, sizeof buffer, &n, nullptr) && n > 0) bytes.append(buffer, n);
    return bytes;
}

// The bytes of `path`, or "<missing>".
std::string ReadBytes(const std::string& path) {
    HANDLE h = CreateFileW(Long(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return "<missing>";
    std::string bytes = ReadAll(h);
    CloseHandle(h);
    return bytes;
}

std::vector<std::string> Names(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((Long(folder) + L"\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return names;
    do {
        std::wstring name = data.cFileName;
        if (name != L"." && name != L"..") names.push_back(Utf8(name));
    } while (FindNextFileW(find, &data));
    FindClose(find);
    return names;
}

void RemoveTree(const std::string& path) {
    DWORD attributes = GetFileAttributesW(Long(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return;
    SetFileAttributesW(Long(path).c_str(), FILE_ATTRIBUTE_NORMAL);
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        DeleteFileW(Long(path).c_str());
        return;
    }
    for (const std::string& name : Names(path)) RemoveTree(path + "\\" + name);
    RemoveDirectoryW(Long(path).c_str());
}

// A fresh folder of its own for each test, removed after it.
class IoFolder : public ::testing::Test {
protected:
    void SetUp() override {
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        static int count = 0;
        folder = Utf8(temp) + "arbolin-io-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++count);
        ASSERT_TRUE(CreateDirectoryW(Long(folder).c_str(), nullptr));
    }
    void TearDown() override { RemoveTree(folder); }
    std::string Path(const std::string& name) const { return folder + "\\" + name; }
    // The names in the folder that a temporary output file would have.
    std::vector<std::string> Leftovers(const std::string& where) const {
        std::vector<std::string> found;
        for (const std::string& name : Names(where))
            if (name.rfind(".arbolin-", 0) == 0) found.push_back(name);
        return found;
    }
    std::string folder;
};

// A path as messages quote it on Windows: in single quotes, its backslashes as they stand.
std::string QuotedPath(const std::string& path) { return "'" + path + "'"; }

// Writes `pieces` to -o `path` as the listing does; true when FinishOutput kept them.
bool WriteListing(const std::string& path, const std::vector<std::string>& pieces, std::string& message) {
    if (!CheckOutput(path, message)) return false;
    Output output;
    if (!OpenOutput(output, path, message)) return false;
    for (const std::string& piece : pieces) WriteOutput(output, piece);
    return FinishOutput(output, true, message);
}

// Folders nested until the path passes 260 characters.
std::string LongFolder(const std::string& base) {
    std::string path = base;
    EXPECT_TRUE(CreateDirectoryW(Long(path).c_str(), nullptr));
    for (int i = 0; i < 3; ++i) {
        path += "\\" + std::string(90, char('a' + i));
        EXPECT_TRUE(CreateDirectoryW(Long(path).c_str(), nullptr));
    }
    return path;
}

struct ReplaceCase {
    const char* name;
    bool longPath;
    const char* file;
    const char* before;  // nullptr: FILE does not exist yet
    std::vector<std::string> pieces;
};

const ReplaceCase kReplaceCases[] = {
    {"a longer file cut to the new text", false, "list.txt", "old listing, longer than the new one\n", {"a\n", "b\n"}},
    {"a shorter file grown", false, "list.txt", "x", {"├── 日本語\n", "└── 한국어 😀\n"}},
    {"a new file", false, "new.txt", nullptr, {"one\n"}},
    {"an empty listing", false, "list.txt", "old\n", {}},
    {"a name in Japanese with an emoji", false, "一覧 📁.txt", "old\n", {"new\n"}},
    {"a path past 260 characters", true, "list.txt", "old\n", {"deep\n"}},
    {"CP932 and CRLF bytes unchanged", false, "sjis.txt", nullptr, {"\x93\xfa\x96\x7b\r\n", "\x95\x5c\xb6\r\n"}},
};

TEST_F(IoFolder, OutputFileReplacedWhole) {
    for (const ReplaceCase& c : kReplaceCases) {
        SCOPED_TRACE(c.name);
        std::string where = c.longPath ? LongFolder(Path("long")) : folder;
        std::string file = where + "\\" + c.file;
        if (c.before != nullptr) {
            ASSERT_TRUE(WriteBytes(file, c.before));
        }
        std::string message;
        EXPECT_TRUE(WriteListing(file, c.pieces, message)) << message;
        std::string expected;
        for (const std::string& piece : c.pieces) expected += piece;
        EXPECT_EQ(ReadBytes(file), expected);
        EXPECT_EQ(Leftovers(where), std::vector<std::string>{});
    }
}

// A relative FILE and one with forward slashes land where the shell would put them.
TEST_F(IoFolder, OutputFileRelativeAndSlashed) {
    ASSERT_TRUE(CreateDirectoryW(Long(Path("sub")).c_str(), nullptr));
    wchar_t before[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, before);
    ASSERT_TRUE(SetCurrentDirectoryW(Wide(folder).c_str()));
    std::string message;
    EXPECT_TRUE(WriteListing("rel.txt", {"r\n"}, message)) << message;
    EXPECT_TRUE(WriteListing("sub/slashed.txt", {"s\n"}, message)) << message;
    SetCurrentDirectoryW(before);
    EXPECT_EQ(ReadBytes(Path("rel.txt")), "r\n");
    EXPECT_EQ(ReadBytes(Path("sub\\slashed.txt")), "s\n");
    EXPECT_EQ(Leftovers(folder), std::vector<std::string>{});
}

// A link at FILE keeps pointing at the listing: the file it names is replaced. The link is made on the
// Linux side (Wine starts Linux programs too), as Wine shows such links as the files they name.
TEST_F(IoFolder, LinkKeepsPointingAtTheListing) {
    using UnixName = char*(CDECL*)(const wchar_t*);
    auto unixName = reinterpret_cast<UnixName>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32"), "wine_get_unix_file_name")));
    if (unixName == nullptr) GTEST_SKIP() << "links are made through Wine";
    ASSERT_TRUE(WriteBytes(Path("real.txt"), "old listing\n"));
    char* unixFolder = unixName(Wide(folder).c_str());
    ASSERT_NE(unixFolder, nullptr);
    std::wstring command = L"/bin/ln -s real.txt \"" + Wide(unixFolder) + L"/link.txt\"";
    HeapFree(GetProcessHeap(), 0, unixFolder);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    ASSERT_TRUE(CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                               &process));
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    // Wine does not wait for a Linux program: look until the link shows (bounded, as the Linux side can fail).
    for (int look = 0; look < 500 && ReadBytes(Path("link.txt")) == "<missing>"; ++look) Sleep(10);
    ASSERT_EQ(ReadBytes(Path("link.txt")), "old listing\n");
    std::string message;
    EXPECT_TRUE(WriteListing(Path("link.txt"), {"new\n"}, message)) << message;
    EXPECT_EQ(ReadBytes(Path("real.txt")), "new\n");
    EXPECT_EQ(ReadBytes(Path("link.txt")), "new\n");
    EXPECT_EQ(Leftovers(folder), std::vector<std::string>{});
}

struct RefusalCase {
    const char* name;
    const char* file;        // relative to the test's folder
    void (*setUp)(const std::string& file);
    bool tempFolder;         // the message names the folder where no temporary file could be made
    const char* reason;      // the end of the message
};

const RefusalCase kRefusalCases[] = {
    {"a read-only file", "ro.txt",
     [](const std::string& f) { SetFileAttributesW(Long(f).c_str(), FILE_ATTRIBUTE_READONLY); }, false,
     ": Permission denied"},
    {"a folder", "dir", [](const std::string& f) { CreateDirectoryW(Long(f).c_str(), nullptr); }, false,
     ": Is a directory"},
    {"a missing folder", "missing\\list.txt", nullptr, true, ": No such file or directory"},
};

TEST_F(IoFolder, UnwritableOutputRefusedAndLeftUntouched) {
    for (const RefusalCase& c : kRefusalCases) {
        SCOPED_TRACE(c.name);
        std::string file = Path(c.file);
        bool plainFile = std::string(c.name) == "a read-only file";
        if (plainFile) {
            ASSERT_TRUE(WriteBytes(file, "kept\n"));
        }
        if (c.setUp != nullptr) c.setUp(file);
        std::string message;
        EXPECT_FALSE(CheckOutput(file, message));
        std::string where = c.tempFolder ? ": cannot create a temporary file in " + QuotedPath(Path("missing")) : "";
        EXPECT_EQ(message, "cannot write " + QuotedPath(file) + where + c.reason);
        Output output;
        message.clear();
        EXPECT_FALSE(OpenOutput(output, file, message));
        EXPECT_NE(message.find(c.reason), std::string::npos) << message;
        if (plainFile) {
            EXPECT_EQ(ReadBytes(file), "kept\n");
        }
        EXPECT_EQ(Leftovers(folder), std::vector<std::string>{});
    }
}

// Failures after the temporary file was made: FILE keeps its bytes and the temporary file is gone.
struct LateFailureCase {
    const char* name;
    bool keep;
    int writeError;       // an errno a write met (0: none)
    bool readOnlyBefore;  // FILE made read-only after it was opened, so that putting it in place fails
    bool kept;            // FinishOutput's answer
    const char* reason;   // in the message ("": no message)
};

const LateFailureCase kLateFailureCases[] = {
    {"a write failed", true, ENOSPC, false, false, ": No space left on device"},
    {"the listing given up", false, 0, false, true, ""},
    {"FILE turned read-only meanwhile", true, 0, true, false, ": Permission denied"},
};

TEST_F(IoFolder, LateFailureLeavesFileUntouched) {
    for (const LateFailureCase& c : kLateFailureCases) {
        SCOPED_TRACE(c.name);
        std::string file = Path("list.txt");
        SetFileAttributesW(Long(file).c_str(), FILE_ATTRIBUTE_NORMAL);
        ASSERT_TRUE(WriteBytes(file, "previous listing\n"));
        std::string message;
        Output output;
        ASSERT_TRUE(OpenOutput(output, file, message)) << message;
        EXPECT_EQ(Leftovers(folder).size(), 1u);  // the temporary file, beside FILE
        WriteOutput(output, "new text\n");
        if (c.writeError != 0) output.error = c.writeError;
        if (c.readOnlyBefore) SetFileAttributesW(Long(file).c_str(), FILE_ATTRIBUTE_READONLY);
        EXPECT_EQ(FinishOutput(output, c.keep, message), c.kept);
        if (*c.reason == '\0') {
            EXPECT_EQ(message, "");
        } else {
            EXPECT_EQ(message, "cannot write " + QuotedPath(file) + c.reason);
        }
        EXPECT_EQ(ReadBytes(file), "previous listing\n");
        EXPECT_EQ(Leftovers(folder), std::vector<std::string>{});
    }
}

// A device is written in place: nothing is made beside it, and NUL stays NUL.
TEST_F(IoFolder, DeviceWrittenInPlace) {
    wchar_t before[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, before);
    ASSERT_TRUE(SetCurrentDirectoryW(Wide(folder).c_str()));
    for (const char* device : {"NUL", "nul", "\\\\.\\NUL"}) {
        SCOPED_TRACE(device);
        std::string message;
        EXPECT_TRUE(WriteListing(device, {"into the void\n"}, message)) << message;
    }
    SetCurrentDirectoryW(before);
    EXPECT_EQ(Names(folder), std::vector<std::string>{});
}

// Standard output set to a pipe for the length of a test.
class PipedStdout {
public:
    PipedStdout() {
        CreatePipe(&read, &write, nullptr, 1 << 20);
        saved = GetStdHandle(STD_OUTPUT_HANDLE);
        SetStdHandle(STD_OUTPUT_HANDLE, write);
    }
    ~PipedStdout() {
        SetStdHandle(STD_OUTPUT_HANDLE, saved);
        if (read != nullptr) CloseHandle(read);
        if (write != nullptr) CloseHandle(write);
    }
    // What was written, once the writing end is closed.
    std::string Drain() {
        CloseHandle(write);
        write = nullptr;
        return ReadAll(read);
    }
    void CloseReader() {
        CloseHandle(read);
        read = nullptr;
    }

private:
    HANDLE read = nullptr, write = nullptr, saved = nullptr;
};

struct PipeCase {
    const char* name;
    bool sjis;
    std::vector<std::string> pieces;
};

const PipeCase kPipeCases[] = {
    {"UTF-8 with a character cut between writes", false, {"a \xE6\x97", "\xA5 \xF0\x9F", "\x98\x80\n"}},
    {"CP932 with CRLF", true, {"\x93\xfa\x96", "\x7b\r\n\xb6\xc0\r\n"}},
    {"a lone surrogate's WTF-8 and stray bytes", false, {"\xED\xA0\x80 \xFF\n"}},
};

TEST(StandardOutput, PipeGetsTheBytesUnchanged) {
    for (const PipeCase& c : kPipeCases) {
        SCOPED_TRACE(c.name);
        PipedStdout pipe;
        Output output;
        std::string message;
        ASSERT_TRUE(OpenOutput(output, "", message));
        output.sjis = c.sjis;
        EXPECT_FALSE(output.console);
        EXPECT_FALSE(IsTerminal(kStandardOutputFd));
        EXPECT_FALSE(TerminalTakesColor(kStandardOutputFd));
        std::string expected;
        for (const std::string& piece : c.pieces) {
            WriteOutput(output, piece);
            expected += piece;
        }
        EXPECT_TRUE(FinishOutput(output, true, message)) << message;
        EXPECT_EQ(pipe.Drain(), expected);
        EXPECT_EQ(output.written, expected.size());
    }
}

TEST(StandardOutput, ClosedPipeIsAnErrorAndNothingFollows) {
    PipedStdout pipe;
    pipe.CloseReader();
    Output output;
    std::string message;
    ASSERT_TRUE(OpenOutput(output, "", message));
    WriteOutput(output, "lost\n");
    WriteOutput(output, "never tried\n");
    EXPECT_EQ(output.written, 0u);
    EXPECT_FALSE(FinishOutput(output, true, message));
    EXPECT_EQ(message, "cannot write standard output: Broken pipe");
}

struct InputCase {
    const char* name;
    std::string bytes;
    std::string expected;
};

const InputCase kInputCases[] = {
    {"UTF-16 LE", std::string("\xFF\xFE\xE5\x65\x2C\x67\x0A\x00", 8), "日本\n"},
    {"UTF-16 BE", std::string("\xFE\xFF\x65\xE5\x67\x2C\x00\x0A", 8), "日本\n"},
    {"UTF-16 LE, an emoji as a pair", std::string("\xFF\xFE\x3D\xD8\x00\xDE", 6), "😀"},
    {"UTF-16 LE, a lone surrogate kept", std::string("\xFF\xFE" "a\x00\x00\xD8" "b\x00", 8), "a\xED\xA0\x80" "b"},
    {"UTF-16 BE, a lone low surrogate kept", std::string("\xFE\xFF\xDC\x00", 4), "\xED\xB0\x80"},
    {"UTF-16 LE, an odd last byte", std::string("\xFF\xFE" "a\x00" "b", 5), "a\xEF\xBF\xBD"},
    {"only the mark", std::string("\xFF\xFE", 2), ""},
    {"UTF-8 with its mark, unchanged", "\xEF\xBB\xBF" "a\n", "\xEF\xBB\xBF" "a\n"},
    {"CP932, unchanged", "\x93\xfa\x96\x7b\r\n", "\x93\xfa\x96\x7b\r\n"},
    {"empty", "", ""},
};

TEST_F(IoFolder, InputReadWholeUtf16AsUtf8) {
    for (const InputCase& c : kInputCases) {
        SCOPED_TRACE(c.name);
        std::string file = Path("input 入力.txt");
        ASSERT_TRUE(WriteBytes(file, c.bytes));
        std::string bytes = "stale";
        EXPECT_EQ(ReadWholeInput(file, bytes), 0);
        EXPECT_EQ(bytes, c.expected);
    }
    std::string bytes;
    EXPECT_EQ(ReadWholeInput(Path("missing.txt"), bytes), ENOENT);
    EXPECT_EQ(ReadWholeInput(Path("no folder\\x.txt"), bytes), ENOENT);
    EXPECT_EQ(ReadWholeInput(folder, bytes), EISDIR);
}

TEST(StandardInput, PipeReadToItsEnd) {
    HANDLE read = nullptr, write = nullptr;
    ASSERT_TRUE(CreatePipe(&read, &write, nullptr, 1 << 16));
    const std::string utf16("\xFF\xFE\x5C\xD5\x6D\xAD\x0A\x00", 8);  // 한국 and a line end
    DWORD n = 0;
    WriteFile(write, utf16.data(), DWORD(utf16.size()), &n, nullptr);
    CloseHandle(write);
    HANDLE saved = GetStdHandle(STD_INPUT_HANDLE);
    SetStdHandle(STD_INPUT_HANDLE, read);
    std::string bytes;
    EXPECT_EQ(ReadWholeInput("-", bytes), 0);
    SetStdHandle(STD_INPUT_HANDLE, saved);
    CloseHandle(read);
    EXPECT_EQ(bytes, "한국\n");
}

struct ArgumentCase {
    const wchar_t* wide;
    const char* utf8;
};

const ArgumentCase kArgumentCases[] = {
    {L"arbolin", "arbolin"},
    {L"-o", "-o"},
    {L"C:\\一覧\\リスト.txt", "C:\\一覧\\リスト.txt"},
    {L"한국어", "한국어"},
    {L"\xFF76\xFF80\xFF76\xFF85", "ｶﾀｶﾅ"},
    {L"\xD83D\xDE00 emoji", "😀 emoji"},
    {L"a\xD800" L"b", "a\xED\xA0\x80" "b"},  // a lone high surrogate
    {L"\xDC00", "\xED\xB0\x80"},             // a lone low surrogate
    {L"\xDE00\xD83D", "\xED\xB8\x80\xED\xA0\xBD"},  // a pair the wrong way round stays two halves
    {L"", ""},
};

TEST(Arguments, Utf16AsWtf8) {
    std::vector<std::wstring> storage;
    for (const ArgumentCase& c : kArgumentCases) storage.emplace_back(c.wide);
    std::vector<wchar_t*> argv;
    for (std::wstring& s : storage) argv.push_back(s.data());
    argv.push_back(nullptr);
    std::vector<std::string> arguments = ArgumentsAsUtf8(int(storage.size()), argv.data());
    ASSERT_EQ(arguments.size(), std::size(kArgumentCases));
    for (size_t i = 0; i < arguments.size(); ++i) EXPECT_EQ(arguments[i], kArgumentCases[i].utf8) << i;
}

// ---- The console

constexpr int kNoConsoleHere = 77;
constexpr char kChildVariable[] = "ARBOLIN_IO_CONSOLE_CHILD";

HANDLE NewScreenBuffer() {
    return CreateConsoleScreenBuffer(GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                     CONSOLE_TEXTMODE_BUFFER, nullptr);
}

// What the buffer's first row holds, trailing blanks dropped. (Wine gives each UTF-16 unit one cell.)
std::wstring FirstRow(HANDLE buffer) {
    wchar_t cells[200];
    DWORD read = 0;
    ReadConsoleOutputCharacterW(buffer, cells, DWORD(std::size(cells)), COORD{0, 0}, &read);
    std::wstring row(cells, read);
    row.erase(row.find_last_not_of(L' ') + 1);
    return row;
}

// Runs the test named `name` in a child with a console of its own when this process has none: Wine
// gives a console to a process on a terminal, or with a display; under ctest's pipes it has none.
enum ConsoleRun { kRunHere, kRanInChild, kNoConsole };

ConsoleRun RunInOwnConsole(const char* name) {
    // Without a console Wine may still hand out a buffer's handle, one no console call accepts.
    HANDLE probe = NewScreenBuffer();
    DWORD mode = 0;
    bool works = probe != INVALID_HANDLE_VALUE && GetConsoleMode(probe, &mode);
    if (probe != INVALID_HANDLE_VALUE) CloseHandle(probe);
    if (works) return kRunHere;
    if (std::getenv(kChildVariable) != nullptr) std::exit(kNoConsoleHere);
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring command = L"\"" + std::wstring(self) + L"\" --gtest_filter=" + Wide(name);
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE read = nullptr, write = nullptr;
    CreatePipe(&read, &write, &inherit, 0);
    SetHandleInformation(read, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = startup.hStdError = write;
    PROCESS_INFORMATION process{};
    SetEnvironmentVariableW(L"ARBOLIN_IO_CONSOLE_CHILD", L"1");
    BOOL started = CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, CREATE_NEW_CONSOLE, nullptr,
                                  nullptr, &startup, &process);
    SetEnvironmentVariableW(L"ARBOLIN_IO_CONSOLE_CHILD", nullptr);
    CloseHandle(write);
    EXPECT_TRUE(started);
    std::string said = ReadAll(read);
    CloseHandle(read);
    if (!started) return kRanInChild;
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 1;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    if (code == kNoConsoleHere) return kNoConsole;
    EXPECT_EQ(code, 0u) << said;
    return kRanInChild;
}

// One standard handle pointed at a fresh screen buffer while the object lives.
class ConsoleOn {
public:
    explicit ConsoleOn(DWORD which) : which(which), saved(GetStdHandle(which)), buffer(NewScreenBuffer()) {
        SetStdHandle(which, buffer);
    }
    ~ConsoleOn() {
        SetStdHandle(which, saved);
        CloseHandle(buffer);
    }
    DWORD which;
    HANDLE saved, buffer;
};

struct ConsoleCase {
    const char* name;
    bool sjis;
    std::string text;
    const wchar_t* expected;
};

const ConsoleCase kConsoleCases[] = {
    {"Japanese", false, "日本語のファイル", L"日本語のファイル"},
    {"Korean", false, "한국어 파일", L"한국어 파일"},
    {"half-width kana", false, "ｶﾀｶﾅ ﾃﾞｰﾀ", L"\xFF76\xFF80\xFF76\xFF85 \xFF83\xFF9E\xFF70\xFF80"},
    {"emoji", false, "📁 😀", L"\xD83D\xDCC1 \xD83D\xDE00"},
    {"accents, composed and not", false, "é e\xCC\x81", L"\x00E9 e\x0301"},
    {"CP932: Japanese, a 0x5C trail byte", true, "\x93\xfa\x96\x7b\x8c\xea\x95\x5c", L"日本語表"},
    {"CP932: half-width kana", true, "\xb6\xc0\xb6\xc5", L"\xFF76\xFF80\xFF76\xFF85"},
};

void CheckConsoleOutput() {
    for (const ConsoleCase& c : kConsoleCases) {
        SCOPED_TRACE(c.name);
        // Whole, then a byte at a time: every character is cut between two writes at least once.
        for (size_t piece : {c.text.size(), size_t(1)}) {
            ConsoleOn console(STD_OUTPUT_HANDLE);
            Output output;
            std::string message;
            ASSERT_TRUE(OpenOutput(output, "", message));
            output.sjis = c.sjis;
            EXPECT_TRUE(output.console);
            for (size_t at = 0; at < c.text.size(); at += piece) WriteOutput(output, c.text.substr(at, piece));
            EXPECT_TRUE(FinishOutput(output, true, message)) << message;
            EXPECT_EQ(FirstRow(console.buffer), std::wstring(c.expected)) << "pieces of " << piece;
        }
    }
}

TEST(Console, ScreenBufferHoldsExactlyTheCharactersWritten) {
    switch (RunInOwnConsole("Console.ScreenBufferHoldsExactlyTheCharactersWritten")) {
        case kRunHere: CheckConsoleOutput(); break;
        case kRanInChild: break;
        case kNoConsole: GTEST_SKIP() << "Wine gives no console here (no terminal, no display)";
    }
}

void CheckTerminal() {
    ConsoleOn console(STD_ERROR_HANDLE);
    EXPECT_TRUE(IsTerminal(kStandardErrorFd));
    WriteToTerminal(kStandardErrorFd, "arbolin: cannot read '日本 😀': Permission denied");
    EXPECT_EQ(FirstRow(console.buffer), L"arbolin: cannot read '日本 \xD83D\xDE00': Permission denied");

    struct ColourCase {
        const char* noColor;  // nullptr: unset
        const char* term;
        bool colour;
    };
    const ColourCase cases[] = {
        {nullptr, nullptr, true}, {"", "xterm", true}, {"1", nullptr, false}, {nullptr, "dumb", false},
    };
    for (const ColourCase& c : cases) {
        _putenv_s("NO_COLOR", c.noColor != nullptr ? c.noColor : "");
        _putenv_s("TERM", c.term != nullptr ? c.term : "");
        EXPECT_EQ(TerminalTakesColor(kStandardErrorFd), c.colour)
            << (c.noColor ? c.noColor : "(unset)") << " " << (c.term ? c.term : "(unset)");
    }
    DWORD mode = 0;
    GetConsoleMode(console.buffer, &mode);
    EXPECT_NE(mode & ENABLE_VIRTUAL_TERMINAL_PROCESSING, 0u);
}

TEST(Console, MessagesAndColour) {
    switch (RunInOwnConsole("Console.MessagesAndColour")) {
        case kRunHere: CheckTerminal(); break;
        case kRanInChild: break;
        case kNoConsole: GTEST_SKIP() << "Wine gives no console here (no terminal, no display)";
    }
}

}  // namespace
