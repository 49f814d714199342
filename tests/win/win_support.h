// Helpers of the Win32 tests: paths on drive Z:, temporary folder trees made with the Win32 calls, a
// recording stand-in for the program's shell seam, and CRLF listings written readably.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

#include "app/shell_calls.h"

// A Linux path as Wine's drive Z: shows it.
std::string ZPath(std::string_view unixPath);
// "\n" to "\r\n": expected listings are written with "\n" (the literals are CP932 already).
std::string Crlf(std::string_view text);
// The whole content of a file, or "<missing>".
std::string ReadFileBytes(const std::string& path);
bool WriteFileBytes(const std::string& path, std::string_view bytes);
bool Exists(const std::string& path);

// A fresh folder under the Windows temporary folder, removed with everything in it at the end.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& path() const { return path_; }
    std::string operator/(std::string_view name) const { return path_ + "\\" + std::string(name); }
    // Makes entries from an outline, two spaces a level, in creation order: "name/" a folder (which may
    // exist already), else a file (empty). Returns false when a call failed.
    bool Make(std::string_view outline) const;

private:
    std::string path_;
};

void RemoveTree(const std::string& path);

// What the program asked of the seam, and how the stand-ins answer.
struct ShellLog {
    struct Box {
        HWND owner;
        std::string text, caption;
        UINT type;
    };
    std::vector<Box> boxes;
    // Called inside a message box, to do what a user could do while it is open (nullptr: nothing).
    void (*duringBox)(const Box& box) = nullptr;

    // Folder picker: the info it was shown with; the answer.
    int browseCalls = 0;
    BROWSEINFOA browseInfo{};
    std::string browseTitle;
    bool pickerCancels = false;
    bool pickedHasPath = true;
    std::string pickedPath;   // copied into the MAX_PATH buffer (cut to it, unterminated when it fills it)
    int freedItems = 0;

    // Save dialog: what it was shown with; the answer.
    int saveDialogs = 0;
    OPENFILENAMEA saveInfo{};
    std::string saveTitle, saveFilter, saveDefExt;
    std::string savePath;     // empty: the dialog is cancelled
    DWORD saveError = 0;      // CommDlgExtendedError after a cancel

    // Shell, About box.
    std::vector<std::pair<HWND, std::string>> executed;
    INT_PTR executeResult = 42;
    int aboutShown = 0;
    std::string aboutTemplate;

    // File writes: make one step fail.
    bool failCreate = false, failWrite = false, failClose = false, failMove = false;
    std::vector<std::string> created;

    // The edit control: refuse WM_SETTEXT.
    bool refuseText = false;
    int textsSet = 0;
};

// Stand-ins for a listing source's message box and FindFirstFileA: they record the boxes (with their
// owners) in g_boxes and the search patterns in g_patterns, and open the patterns for real.
extern std::vector<ShellLog::Box> g_boxes;
extern std::vector<std::string> g_patterns;
int WINAPI RecordBox(HWND owner, LPCSTR text, LPCSTR caption, UINT type);
HANDLE WINAPI RecordFindFirst(LPCSTR pattern, LPWIN32_FIND_DATAA data);

// Installs the recording stand-ins into g_shell (all of them) and clears the log.
ShellLog& FakeShell();
// Puts the real calls back.
void RealShell();
