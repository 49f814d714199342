// Saving the list: the edit control's text and one 0x00 byte, written to a temporary file beside the
// chosen one, which replaces it only after a complete write and close. A failed save keeps the old file
// and says so.
#include <cstdio>
#include <string>

#include "app/app.h"
#include "app/shell_calls.h"

namespace {

constexpr char kSaveTitle[] = "名前を付けて保存する";
// Filter pairs; the literal's own terminator ends the list with the second NUL.
constexpr char kFilter[] = "text(*.txt)\0*.txt\0All files(*.*)\0*.*\0";
constexpr char kSaveFailed[] = "ファイルを保存できませんでした。";
constexpr char kCaption[] = "ZK-Arbolin";
constexpr int kFileNameSize = 256;
constexpr int kFileTitleSize = 64;
constexpr size_t kPathLimit = MAX_PATH - 1;

// The edit control's whole text, however long the user made it.
std::string EditText(HWND edit) {
    const int length = GetWindowTextLengthA(edit);
    std::string text(static_cast<size_t>(length > 0 ? length : 0) + 1, '\0');
    const int copied = GetWindowTextA(edit, text.data(), static_cast<int>(text.size()));
    text.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
    return text;
}

// Bytes up to and including the last backslash of `path`, stepping over two-byte characters (whose
// second byte may be 0x5C).
size_t FolderPrefixLength(const std::string& path) {
    size_t prefix = 0;
    for (const char* p = path.c_str(); *p; p = CharNextA(p)) {
        if (*p == '\\' || *p == '/') prefix = static_cast<size_t>(p - path.c_str()) + 1;
    }
    return prefix;
}

void ReportFailure(HWND mainWindow, const std::string& path) {
    std::string text = kSaveFailed;
    if (!path.empty()) text += "\n" + path;
    g_shell.messageBox(mainWindow, text.c_str(), kCaption, 0);
}

// Creates a new file named ~zkNNN.tmp beside `target`; INVALID_HANDLE_VALUE when none can be made.
HANDLE CreateTemporary(const std::string& target, std::string& temporary) {
    const std::string folder = target.substr(0, FolderPrefixLength(target));
    for (unsigned n = 0; n < 0x1000; ++n) {
        char name[16];
        std::snprintf(name, sizeof name, "~zk%X.tmp", n);
        temporary = folder + name;
        if (temporary.size() > kPathLimit) break;
        HANDLE file = g_shell.createFile(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                         FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) return file;
        if (GetLastError() != ERROR_FILE_EXISTS && GetLastError() != ERROR_ALREADY_EXISTS) break;
    }
    temporary.clear();
    return INVALID_HANDLE_VALUE;
}

// Writes `bytes` to a temporary file and moves it over `target`. On failure nothing of `target` changed
// and the temporary file is gone.
bool ReplaceFile(HWND mainWindow, const std::string& target, const std::string& bytes) {
    std::string temporary;
    HANDLE file = CreateTemporary(target, temporary);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const bool wrote = g_shell.writeFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                       written == bytes.size();
    if (!g_shell.closeHandle(file)) {
        g_shell.messageBox(mainWindow, "Error CloseHandle", "Error", 0);
        DeleteFileA(temporary.c_str());
        return false;
    }
    if (!wrote || !g_shell.moveFileEx(temporary.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        DeleteFileA(temporary.c_str());
        return false;
    }
    return true;
}

}  // namespace

bool SaveList(HWND mainWindow, HWND editControl) {
    // The file holds the text and its terminating 0x00 byte.
    std::string bytes = EditText(editControl);
    bytes.push_back('\0');

    char fileName[kFileNameSize] = {};  // emptied every time: the dialog never proposes the last name
    char fileTitle[kFileTitleSize] = {};
    OPENFILENAMEA dialog{};
    dialog.lStructSize = OPENFILENAME_SIZE_VERSION_400A;
    dialog.hwndOwner = mainWindow;
    dialog.lpstrFilter = kFilter;
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = fileName;
    dialog.nMaxFile = kFileNameSize;
    dialog.lpstrFileTitle = fileTitle;
    dialog.nMaxFileTitle = kFileTitleSize;
    dialog.lpstrTitle = kSaveTitle;
    dialog.Flags = OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY;
    dialog.lpstrDefExt = "txt";
    if (!g_shell.getSaveFileName(&dialog)) {
        // A chosen path longer than the buffer is a failure the user must hear of; a cancel is not.
        if (g_shell.commDlgExtendedError() == FNERR_BUFFERTOOSMALL) ReportFailure(mainWindow, "");
        return false;
    }
    const std::string target(fileName, strnlen(fileName, sizeof fileName));
    if (target.empty() || !ReplaceFile(mainWindow, target, bytes)) {
        ReportFailure(mainWindow, target);
        return false;  // the modified flag stays set
    }
    SendMessageA(editControl, EM_SETMODIFY, FALSE, 0);
    return true;
}
