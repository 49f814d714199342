// Helpers of the Win32 tests (see win_support.h).
#include "win_support.h"

#include <cstring>

namespace {

ShellLog g_log;

int WINAPI FakeMessageBox(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
    g_log.boxes.push_back({owner, text ? text : "", caption ? caption : "", type});
    if (g_log.duringBox) g_log.duringBox(g_log.boxes.back());
    return IDOK;
}

// A stand-in item list: any non-null pointer the picker "returns".
ITEMIDLIST g_item{};

PIDLIST_ABSOLUTE WINAPI FakeBrowse(LPBROWSEINFOA info) {
    ++g_log.browseCalls;
    g_log.browseInfo = *info;
    g_log.browseTitle = info->lpszTitle ? info->lpszTitle : "";
    return g_log.pickerCancels ? nullptr : reinterpret_cast<PIDLIST_ABSOLUTE>(&g_item);
}

BOOL WINAPI FakePathFromIdList(PCIDLIST_ABSOLUTE, LPSTR path) {
    if (!g_log.pickedHasPath) return FALSE;
    const size_t n = std::min<size_t>(g_log.pickedPath.size(), MAX_PATH);
    std::memcpy(path, g_log.pickedPath.data(), n);
    if (n < MAX_PATH) path[n] = '\0';
    return TRUE;
}

void FakeFree(PIDLIST_ABSOLUTE) { ++g_log.freedItems; }

BOOL WINAPI FakeSaveDialog(LPOPENFILENAMEA info) {
    ++g_log.saveDialogs;
    g_log.saveInfo = *info;
    g_log.saveTitle = info->lpstrTitle ? info->lpstrTitle : "";
    g_log.saveDefExt = info->lpstrDefExt ? info->lpstrDefExt : "";
    g_log.saveFilter.clear();
    for (const char* p = info->lpstrFilter; p && *p; p += std::strlen(p) + 1) g_log.saveFilter += std::string(p) + "|";
    if (g_log.savePath.empty() || g_log.savePath.size() >= info->nMaxFile) return FALSE;
    std::memcpy(info->lpstrFile, g_log.savePath.c_str(), g_log.savePath.size() + 1);
    return TRUE;
}

DWORD WINAPI FakeDialogError() { return g_log.saveError; }

INT_PTR WINAPI FakeDialogBox(HINSTANCE, LPCSTR name, HWND, DLGPROC, LPARAM) {
    ++g_log.aboutShown;
    g_log.aboutTemplate = IS_INTRESOURCE(name) ? std::to_string(reinterpret_cast<UINT_PTR>(name)) : name;
    return 1;
}

HINSTANCE WINAPI FakeExecute(HWND owner, LPCSTR, LPCSTR file, LPCSTR, LPCSTR, INT) {
    g_log.executed.push_back({owner, file ? file : ""});
    return reinterpret_cast<HINSTANCE>(g_log.executeResult);
}

HANDLE WINAPI FakeCreate(LPCSTR name, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security, DWORD disposition,
                         DWORD flags, HANDLE templateFile) {
    g_log.created.push_back(name);
    if (g_log.failCreate) {
        SetLastError(ERROR_ACCESS_DENIED);
        return INVALID_HANDLE_VALUE;
    }
    return CreateFileA(name, access, share, security, disposition, flags, templateFile);
}

BOOL WINAPI FakeWrite(HANDLE file, LPCVOID data, DWORD size, LPDWORD written, LPOVERLAPPED overlapped) {
    if (g_log.failWrite) {
        // A disk that fills up: half of it written, then failure.
        WriteFile(file, data, size / 2, written, overlapped);
        return FALSE;
    }
    return WriteFile(file, data, size, written, overlapped);
}

BOOL WINAPI FakeClose(HANDLE handle) {
    BOOL closed = CloseHandle(handle);
    return g_log.failClose ? FALSE : closed;
}

BOOL WINAPI FakeMove(LPCSTR from, LPCSTR to, DWORD flags) {
    if (g_log.failMove) return FALSE;
    return MoveFileExA(from, to, flags);
}

LRESULT FakeSetText(HWND edit, const char* text) {
    ++g_log.textsSet;
    if (g_log.refuseText) return 0;
    return SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
}

}  // namespace

ShellLog& FakeShell() {
    g_log = ShellLog{};
    g_shell = ShellCalls{FakeMessageBox, FakeBrowse,   FakePathFromIdList, FakeFree,  FakeSaveDialog,
                         FakeDialogError, FakeDialogBox, FakeExecute,       FakeCreate, FakeWrite,
                         FakeClose,       FakeMove,      FakeSetText};
    return g_log;
}

void RealShell() { g_shell = RealShellCalls(); }

std::string ZPath(std::string_view unixPath) {
    std::string path = "Z:";
    for (char c : unixPath) path += (c == '/') ? '\\' : c;
    return path;
}

std::string Crlf(std::string_view text) {
    std::string out;
    for (char c : text) {
        if (c == '\n') out += '\r';
        out += c;
    }
    return out;
}

std::string ReadFileBytes(const std::string& path) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return "<missing>";
    std::string bytes;
    char chunk[65536];
    DWORD got = 0;
    while (ReadFile(file, chunk, sizeof chunk, &got, nullptr) && got > 0) bytes.append(chunk, got);
    CloseHandle(file);
    return bytes;
}

bool WriteFileBytes(const std::string& path, std::string_view bytes) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const BOOL ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    return CloseHandle(file) && ok && written == bytes.size();
}

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

TempDir::TempDir() {
    char base[MAX_PATH];
    GetTempPathA(sizeof base, base);
    static int counter = 0;
    path_ = std::string(base) + "arbolin-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++counter);
    RemoveTree(path_);
    CreateDirectoryA(path_.c_str(), nullptr);
}

TempDir::~TempDir() { RemoveTree(path_); }

bool TempDir::Make(std::string_view outline) const {
    std::vector<std::string> stack{path_};
    size_t pos = 0;
    while (pos < outline.size()) {
        size_t end = outline.find('\n', pos);
        if (end == std::string_view::npos) end = outline.size();
        std::string_view line = outline.substr(pos, end - pos);
        pos = end + 1;
        const size_t indent = line.find_first_not_of(' ');
        if (indent == std::string_view::npos) continue;
        stack.resize(indent / 2 + 1);
        line.remove_prefix(indent);
        if (line.ends_with('/')) {
            std::string folder = stack.back() + "\\" + std::string(line.substr(0, line.size() - 1));
            if (!CreateDirectoryA(folder.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) return false;
            stack.push_back(folder);
        } else if (!WriteFileBytes(stack.back() + "\\" + std::string(line), "")) {
            return false;
        }
    }
    return true;
}

void RemoveTree(const std::string& path) {
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((path + "\\*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = data.cFileName;
            if (name == "." || name == "..") continue;
            const std::string child = path + "\\" + name;
            if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && !(data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
                RemoveTree(child);
            } else if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveDirectoryA(child.c_str());
            } else {
                SetFileAttributesA(child.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileA(child.c_str());
            }
        } while (FindNextFileA(find, &data));
        FindClose(find);
    }
    RemoveDirectoryA(path.c_str());
}

std::vector<ShellLog::Box> g_boxes;
int WINAPI RecordBox(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
    g_boxes.push_back({owner, text, caption, type});
    return IDOK;
}

std::vector<std::string> g_patterns;
HANDLE WINAPI RecordFindFirst(LPCSTR pattern, LPWIN32_FIND_DATAA data) {
    g_patterns.push_back(pattern);
    return FindFirstFileA(pattern, data);
}
