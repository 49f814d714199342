// A Windows helper of the tests (cross-built, run under Wine): starts a program in a console of its own and
// writes what the console's screen buffer then holds, read with ReadConsoleOutputCharacterW, to a file.
// Usage: console_capture.exe OUT PROGRAM [ARGS...]
//   OUT gets the buffer's rows as UTF-16LE, each row's trailing blanks cut and a U+000A after it, up to the
//   last row that is not blank. "\uXXXX" in an argument stands for the UTF-16 code unit XXXX, so that a test
//   can pass what a Linux command line cannot carry (an unpaired surrogate). Exit status: the program's,
//   or 125 when the helper itself failed (said on standard error).
// The console is a window under Wine: run it with a display (xvfb-run).
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr int kHelperFailed = 125;
constexpr SHORT kColumns = 400;  // wider than any line the tests write, so that none wraps
constexpr SHORT kRows = 300;

int Fail(const char* what) {
    std::fprintf(stderr, "console_capture: %s failed (error %lu)\n", what, GetLastError());
    return kHelperFailed;
}

int HexDigit(wchar_t c) {
    if (c >= L'0' && c <= L'9') return c - L'0';
    if (c >= L'a' && c <= L'f') return c - L'a' + 10;
    if (c >= L'A' && c <= L'F') return c - L'A' + 10;
    return -1;
}

// "\uXXXX" (four hexadecimal digits) to the code unit it names; everything else as it is.
std::wstring Expand(const wchar_t* arg) {
    std::wstring out;
    for (const wchar_t* p = arg; *p != 0;) {
        if (p[0] == L'\\' && p[1] == L'u') {
            int value = 0;
            bool hex = true;
            for (int i = 2; i < 6 && hex; ++i) {
                int digit = p[i] == 0 ? -1 : HexDigit(p[i]);
                hex = digit >= 0;
                value = value * 16 + digit;
            }
            if (hex) {
                out.push_back(wchar_t(value));
                p += 6;
                continue;
            }
        }
        out.push_back(*p++);
    }
    return out;
}

// One argument quoted as the C runtime's parser (and CommandLineToArgvW) reads it back: backslashes are
// literal except before a quote, where they and the quote are escaped.
void AppendQuoted(std::wstring& line, const std::wstring& arg) {
    if (!line.empty()) line.push_back(L' ');
    if (!arg.empty() && arg.find_first_of(L" \t\"") == std::wstring::npos) {
        line += arg;
        return;
    }
    line.push_back(L'"');
    size_t backslashes = 0;
    for (wchar_t c : arg) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        if (c == L'"') backslashes = backslashes * 2 + 1;
        line.append(backslashes, L'\\');
        backslashes = 0;
        line.push_back(c);
    }
    line.append(backslashes * 2, L'\\');
    line.push_back(L'"');
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: console_capture.exe OUT PROGRAM [ARGS...]\n");
        return kHelperFailed;
    }
    std::wstring commandLine;
    for (int i = 2; i < argc; ++i) AppendQuoted(commandLine, Expand(argv[i]));

    // A console of our own, which the program inherits: its standard handles are then the console's.
    FreeConsole();
    if (!AllocConsole()) return Fail("AllocConsole");
    HANDLE screen = CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, 0, nullptr);
    if (screen == INVALID_HANDLE_VALUE) return Fail("opening CONOUT$");
    if (!SetConsoleScreenBufferSize(screen, COORD{kColumns, kRows})) return Fail("SetConsoleScreenBufferSize");

    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process))
        return Fail("CreateProcessW");
    if (WaitForSingleObject(process.hProcess, 60000) != WAIT_OBJECT_0) {
        TerminateProcess(process.hProcess, kHelperFailed);
        return Fail("waiting for the program");
    }
    DWORD status = 0;
    GetExitCodeProcess(process.hProcess, &status);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);

    std::vector<wchar_t> row(kColumns);
    std::wstring text, pendingBlankRows;
    for (SHORT y = 0; y < kRows; ++y) {
        DWORD read = 0;
        if (!ReadConsoleOutputCharacterW(screen, row.data(), kColumns, COORD{0, y}, &read))
            return Fail("ReadConsoleOutputCharacterW");
        while (read > 0 && row[read - 1] == L' ') --read;
        if (read == 0) {
            pendingBlankRows.push_back(L'\n');
            continue;
        }
        text += pendingBlankRows;
        pendingBlankRows.clear();
        text.append(row.data(), read);
        text.push_back(L'\n');
    }
    HANDLE out = CreateFileW(argv[1], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (out == INVALID_HANDLE_VALUE) return Fail("creating OUT");
    DWORD written = 0;
    DWORD bytes = DWORD(text.size() * sizeof(wchar_t));
    bool ok = WriteFile(out, text.data(), bytes, &written, nullptr) && written == bytes;
    CloseHandle(out);
    if (!ok) return Fail("writing OUT");
    return int(status);
}
