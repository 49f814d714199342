// The output file, Windows side: standard output (a console gets the text as UTF-16, a file or pipe the
// bytes), or -o FILE through a temporary file beside it, flushed and put in FILE's place with ReplaceFileW
// (MoveFileExW for a new FILE), so FILE is written whole or not at all; a device (NUL, CON) is written as
// it is; Ctrl+C or closing the console removes the temporary file.
#include "platform/output_file.h"

#include <cerrno>

#include "platform/io_win32.h"
#include "platform/terminal_color.h"

namespace {

// The temporary file Ctrl+C must not leave behind, set while it exists. The console's handler runs on a
// thread of its own while the main thread may still be writing: it closes the handle (the file is opened
// without sharing, so it could not be removed otherwise) and removes the file, then the process ends.
std::wstring gTempWide;
HANDLE volatile gTempHandle = INVALID_HANDLE_VALUE;
const wchar_t* volatile gTempForSignal = nullptr;

BOOL WINAPI RemoveTempAndEnd(DWORD) {
    const wchar_t* temp = gTempForSignal;
    if (temp != nullptr) {
        HANDLE handle = gTempHandle;
        if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
        DeleteFileW(temp);
    }
    return FALSE;  // the default handler ends the process
}

void GuardTemp(const std::wstring& temp, HANDLE handle) {
    gTempWide = temp;
    gTempHandle = handle;
    gTempForSignal = gTempWide.c_str();
    SetConsoleCtrlHandler(RemoveTempAndEnd, TRUE);
}

// The handle is about to be closed by the main thread: the handler must not close it again.
void ReleaseTempHandle() { gTempHandle = INVALID_HANDLE_VALUE; }

void UnguardTemp() {
    if (gTempForSignal == nullptr) return;
    gTempForSignal = nullptr;
    gTempHandle = INVALID_HANDLE_VALUE;
    SetConsoleCtrlHandler(RemoveTempAndEnd, FALSE);
}

HANDLE HandleOf(const Output& output) { return static_cast<HANDLE>(output.handle); }
bool Valid(HANDLE handle) { return handle != nullptr && handle != INVALID_HANDLE_VALUE; }

// The folder FILE is in, as it is named in FILE: "." for a bare name, "C:" for a name relative to a
// drive's current folder, "/" or "C:\" for one in a root.
std::string FolderOf(const std::string& path) {
    size_t slash = path.find_last_of("/\\");
    bool drive = path.size() >= 2 && path[1] == ':';
    if (slash == std::string::npos) return drive ? path.substr(0, 2) : ".";
    if (slash == 0 || (drive && slash == 2)) return path.substr(0, slash + 1);
    return path.substr(0, slash);
}

std::string InFolder(const std::string& folder, const std::string& name) {
    char last = folder.back();
    return last == '/' || last == '\\' || last == ':' ? folder + name : folder + "\\" + name;
}

// True for a device (NUL, CON, COM1, \\.\pipe\...): GetFullPathNameW names each in the device space.
bool IsDevice(const std::string& path) {
    std::wstring wide = WidePath(path);
    if (wide.compare(0, 4, L"\\\\.\\") == 0) return true;
    if (wide.compare(0, 4, L"\\\\?\\") == 0) return false;
    return FullPath(wide).compare(0, 4, L"\\\\.\\") == 0;
}

// Creates a new file `.arbolin-XXXXXX` in `folder` (a name no other file has), opened for writing and
// shared with no one; 0 or the Win32 error. `flags` are added to CreateFileW's.
DWORD CreateTemp(const std::string& folder, DWORD flags, HANDLE& handle, std::string& tempPath) {
    static const char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";  // names ignore case here
    static uint64_t state = GetTickCount64() ^ (uint64_t(GetCurrentProcessId()) << 32) ^ 0x9E3779B97F4A7C15u;
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string name = ".arbolin-";
        for (int k = 0; k < 6; ++k) {
            state ^= state << 13;
            state ^= state >> 7;
            state ^= state << 17;
            name += kLetters[state % (sizeof(kLetters) - 1)];
        }
        tempPath = InFolder(folder, name);
        handle = CreateFileW(WidePath(tempPath).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                             FILE_ATTRIBUTE_NORMAL | flags, nullptr);
        if (handle != INVALID_HANDLE_VALUE) return 0;
        DWORD error = GetLastError();
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) return error;
    }
    return ERROR_FILE_EXISTS;
}

void RemoveTemp(Output& output) {
    if (output.tempPath.empty()) return;
    UnguardTemp();
    DeleteFileW(WidePath(output.tempPath).c_str());
    output.tempPath.clear();
}

// The file FILE names once links are followed (a symbolic link, or under Wine a link on the Linux side),
// when that is another path than FILE's own; else FILE as given.
std::string LinkTarget(const std::string& path) {
    std::wstring wide = WidePath(path);
    HANDLE handle = CreateFileW(wide.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return path;  // a dangling link is replaced itself, as on POSIX
    std::wstring final(MAX_PATH, L'\0');
    DWORD n = GetFinalPathNameByHandleW(handle, final.data(), DWORD(final.size()), VOLUME_NAME_DOS);
    if (n >= final.size()) {
        final.resize(n);
        n = GetFinalPathNameByHandleW(handle, final.data(), DWORD(final.size()), VOLUME_NAME_DOS);
    }
    CloseHandle(handle);
    if (n == 0 || n >= final.size()) return path;
    final.resize(n);
    // The answer carries the \\?\ prefix, which WidePath adds again where a path needs it.
    if (final.compare(0, 8, L"\\\\?\\UNC\\") == 0) {
        final = L"\\\\" + final.substr(8);
    } else if (final.compare(0, 4, L"\\\\?\\") == 0) {
        final = final.substr(4);
    }
    std::wstring full = FullPath(wide);
    if (CompareStringOrdinal(final.c_str(), int(final.size()), full.c_str(), int(full.size()), TRUE) == CSTR_EQUAL)
        return path;
    return Wtf8Of(final);
}

// Works out where FILE leads: written in place (a device) or replaced (an existing or new regular file).
bool Resolve(Output& output, const std::string& path, std::string& message) {
    output = Output{};
    output.path = path;
    output.target = path;
    if (IsDevice(path)) return true;  // written into; NUL must never be replaced
    output.replace = true;
    DWORD attributes = GetFileAttributesW(WidePath(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        DWORD code = GetLastError();
        // A new FILE; where its folder is missing too, making the temporary file says so, as on POSIX.
        if (code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND) return true;
        message = OutputFailure(output, ErrnoFromWin32(code));
        return false;
    }
    // A link keeps pointing at the listing: the file it names is the one checked and replaced.
    output.target = LinkTarget(path);
    if (output.target != path) {
        DWORD named = GetFileAttributesW(WidePath(output.target).c_str());
        if (named != INVALID_FILE_ATTRIBUTES) attributes = named;
    }
    int error = (attributes & FILE_ATTRIBUTE_DIRECTORY) ? EISDIR
                // A read-only FILE stays protected although a rename would pass over it.
                : (attributes & FILE_ATTRIBUTE_READONLY) ? EACCES
                                                         : 0;
    if (error != 0) message = OutputFailure(output, error);
    return error == 0;
}

// Puts the temporary file in FILE's place; 0 or the Win32 error. ReplaceFileW keeps an existing FILE's
// attributes, security and creation time, as the POSIX side keeps its mode and owner.
DWORD PutInPlace(const std::string& temp, const std::string& target) {
    std::wstring from = WidePath(temp, true), to = WidePath(target, true);
    if (GetFileAttributesW(to.c_str()) != INVALID_FILE_ATTRIBUTES) {
        if (ReplaceFileW(to.c_str(), from.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr))
            return 0;
        DWORD error = GetLastError();
        // Without a backup name, a failure after ReplaceFileW moved FILE away leaves FILE gone and the
        // text under its temporary name: moved into place below. Otherwise FILE is as it was.
        if (GetFileAttributesW(to.c_str()) != INVALID_FILE_ATTRIBUTES) return error;
    }
    if (MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return 0;
    return GetLastError();
}

}  // namespace

bool CheckOutput(const std::string& path, std::string& message) {
    if (path.empty()) return true;
    Output output;
    if (!Resolve(output, path, message)) return false;
    if (!output.replace) return true;
    // The folder must take a new file: one is made there and removed at once.
    HANDLE probe = INVALID_HANDLE_VALUE;
    std::string probePath;
    DWORD error = CreateTemp(FolderOf(path), FILE_FLAG_DELETE_ON_CLOSE, probe, probePath);
    if (error != 0) {
        message = TempFileFailure(output, FolderOf(output.target), ErrnoFromWin32(error));
        return false;
    }
    CloseHandle(probe);
    return true;
}

bool OpenOutput(Output& output, const std::string& path, std::string& message) {
    if (path.empty()) {
        output = Output{};
        output.fd = kStandardOutputFd;
        output.handle = StandardHandle(kStandardOutputFd);
        output.console = IsConsoleHandle(HandleOf(output));
        return true;
    }
    if (!Resolve(output, path, message)) return false;
    HANDLE handle = INVALID_HANDLE_VALUE;
    if (!output.replace) {
        handle = CreateFileW(WidePath(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                             OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle == INVALID_HANDLE_VALUE) {
            message = OutputFailure(output, LastErrno());
            return false;
        }
    } else {
        DWORD error = CreateTemp(FolderOf(output.target), 0, handle, output.tempPath);
        if (error != 0) {
            message = TempFileFailure(output, FolderOf(output.target), ErrnoFromWin32(error));
            return false;
        }
        GuardTemp(WidePath(output.tempPath), handle);
    }
    output.handle = handle;
    output.console = IsConsoleHandle(handle);
    return true;
}

void WriteOutput(Output& output, std::string_view bytes) {
    if (output.error != 0 || bytes.empty()) return;
    HANDLE handle = HandleOf(output);
    if (!Valid(handle)) {
        output.error = EBADF;
        return;
    }
    DWORD error = output.console ? WriteConsoleText(handle, bytes, output.sjis, output.carry, false)
                                 : WriteAllBytes(handle, bytes);
    if (error != 0) {
        output.error = ErrnoFromWin32(error);
        return;
    }
    output.written += bytes.size();
}

bool FinishOutput(Output& output, bool keep, std::string& message) {
    HANDLE handle = HandleOf(output);
    if (output.console && output.error == 0 && !output.carry.empty()) {
        DWORD error = WriteConsoleText(handle, {}, output.sjis, output.carry, true);  // a cut last character
        if (error != 0) output.error = ErrnoFromWin32(error);
    }
    int error = output.error;
    if (output.path.empty()) {  // standard output stays open
        if (keep && error != 0) message = OutputFailure(output, error);
        return !keep || error == 0;
    }
    if (output.replace && keep && error == 0 && Valid(handle) && !FlushFileBuffers(handle)) error = LastErrno();
    if (Valid(handle)) {
        ReleaseTempHandle();
        if (!CloseHandle(handle) && error == 0 && keep) error = LastErrno();
    }
    output.handle = nullptr;
    if (!output.replace) {
        if (keep && error != 0) message = OutputFailure(output, error);
        return !keep || error == 0;
    }
    if (!keep || error != 0) {
        RemoveTemp(output);
        if (keep) message = OutputFailure(output, error);
        return !keep;
    }
    DWORD code = PutInPlace(output.tempPath, output.target);
    if (code != 0) {
        RemoveTemp(output);
        message = OutputFailure(output, ErrnoFromWin32(code));
        return false;
    }
    UnguardTemp();
    output.tempPath.clear();
    return true;
}
