// Folders opened without the picker: one named on the command line (also how "Send to" starts the
// program) and one dropped on the window. Both are listed with the select-folder command's own steps.
#include "app/app.h"
#include "app/shell_calls.h"

const char* g_pendingCommandLine = nullptr;

namespace {

constexpr char kNotFound[] = "フォルダが見つかりません。";
constexpr char kNotFoundCaption[] = "ZK-Arbolin";

// The longest path GetFullPathNameA is asked for: a command line holds at most 32,767 characters.
constexpr DWORD kFullPathSize = 32768;

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// True when the last character of `path` is a backslash, not the trail byte 0x5C of a double-byte
// character such as "表" (0x95 0x5C), which only a walk from the start can tell apart.
bool EndsWithBackslash(const std::string& path) {
    size_t last = std::string::npos;
    for (size_t i = 0; i < path.size(); i += IsDBCSLeadByte(static_cast<BYTE>(path[i])) ? 2 : 1) last = i;
    return last != std::string::npos && last == path.size() - 1 && path[last] == '\\';
}

bool IsDriveRoot(const std::string& path) { return path.size() == 3 && path[1] == ':' && path[2] == '\\'; }

// `text` made absolute against the current directory, without trailing backslashes except the one of
// a drive root ("D:\"). The text as it is when the system cannot make it absolute (the ANSI call takes
// no path of 260 bytes or more).
std::string AbsolutePath(const std::string& text) {
    std::string full(kFullPathSize, '\0');
    const DWORD length = GetFullPathNameA(text.c_str(), kFullPathSize, full.data(), nullptr);
    if (length == 0 || length >= kFullPathSize) {
        full = text;
    } else {
        full.resize(length);
    }
    while (full.size() > 1 && !IsDriveRoot(full) && EndsWithBackslash(full)) full.pop_back();
    return full;
}

// A folder the listing can take: it exists, and its path fits the program's MAX_PATH buffers.
bool IsListableFolder(const std::string& path) {
    if (path.empty() || path.size() >= MAX_PATH) return false;
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The command line after the program's name and the blanks that follow it, without trailing blanks.
std::string ArgumentText(const char* commandLine) {
    if (!commandLine) return {};
    const char* p = commandLine;
    if (*p == '"') {
        ++p;
        while (*p && *p != '"') ++p;
        if (*p) ++p;
    } else {
        while (*p && !IsBlank(*p)) ++p;
    }
    while (IsBlank(*p)) ++p;
    std::string rest = p;
    while (!rest.empty() && IsBlank(rest.back())) rest.pop_back();
    return rest;
}

}  // namespace

bool HasFolderArgument(const char* commandLine) { return !ArgumentText(commandLine).empty(); }

// Quotes cannot occur in a Windows path, so a quoted argument simply ends at the next quote: `"D:\"`
// names drive D:'s root (the C runtime's rules would read `\"` as a quote inside the argument). What
// follows it (more items sent to the program) is not read.
FolderArgument ParseFolderArgument(const char* commandLine) {
    const std::string rest = ArgumentText(commandLine);
    if (rest.empty()) return {kNoArgument, {}};
    if (rest[0] == '"') {
        const size_t close = rest.find('"', 1);
        const std::string path = AbsolutePath(rest.substr(1, close == std::string::npos ? close : close - 1));
        return {IsListableFolder(path) ? kArgumentFolder : kArgumentNotFound, path};
    }
    // Unquoted: the whole text when it names a folder (a path with spaces typed without quotes), else
    // its first word when that does; a box then names the whole text.
    const std::string whole = AbsolutePath(rest);
    if (IsListableFolder(whole)) return {kArgumentFolder, whole};
    size_t end = 0;
    while (end < rest.size() && !IsBlank(rest[end])) ++end;
    if (end < rest.size()) {
        const std::string first = AbsolutePath(rest.substr(0, end));
        if (IsListableFolder(first)) return {kArgumentFolder, first};
    }
    return {kArgumentNotFound, whole};
}

void OpenFolderArgument(HWND mainWindow, const char* commandLine) {
    const FolderArgument argument = ParseFolderArgument(commandLine);
    if (argument.kind == kArgumentFolder) {
        ListFolder(mainWindow, argument.path.c_str());
    } else if (argument.kind == kArgumentNotFound) {
        const std::string text = std::string(kNotFound) + "\n" + argument.path;
        g_shell.messageBox(mainWindow, text.c_str(), kNotFoundCaption, 0);
    }
}

// The first dropped item that is a folder the listing can take; files, missing items and paths of 260
// bytes or more are passed over. The drop's memory goes back to the system in any case.
void OpenDroppedFolder(HWND mainWindow, HDROP drop) {
    std::string folder;
    const UINT count = DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count && folder.empty(); ++i) {
        const UINT length = DragQueryFileA(drop, i, nullptr, 0);
        if (length == 0 || length >= kFullPathSize) continue;
        std::string item(length + 1, '\0');
        item.resize(DragQueryFileA(drop, i, item.data(), length + 1));
        const std::string path = AbsolutePath(item);
        if (IsListableFolder(path)) folder = path;
    }
    DragFinish(drop);
    if (!folder.empty()) ListFolder(mainWindow, folder.c_str());
}
