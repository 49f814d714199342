// What the Windows side of the streams, files and arguments shares (Win32 side; see io_win32.h).
#include "platform/io_win32.h"

#include <algorithm>
#include <cerrno>

#include "listing/listing.h"
#include "platform/chars.h"
#include "platform/wide_text.h"

namespace {

struct ErrorMapping {
    DWORD win32;
    int errnoValue;
};

// The Win32 errors a folder read, a file, pipe or console call gives, as the errno values msvcrt's
// strerror words (a path too long as the seam's kErrorPathTooLong, which Reason words).
constexpr ErrorMapping kErrorMappings[] = {
    {ERROR_FILE_NOT_FOUND, ENOENT},         {ERROR_PATH_NOT_FOUND, ENOENT},
    {ERROR_INVALID_DRIVE, ENOENT},          {ERROR_BAD_NETPATH, ENOENT},
    {ERROR_BAD_NET_NAME, ENOENT},           {ERROR_BAD_PATHNAME, ENOENT},
    {ERROR_TOO_MANY_OPEN_FILES, EMFILE},    {ERROR_ACCESS_DENIED, EACCES},
    {ERROR_SHARING_VIOLATION, EACCES},      {ERROR_LOCK_VIOLATION, EACCES},
    {ERROR_NETWORK_ACCESS_DENIED, EACCES},  {ERROR_CANNOT_MAKE, EACCES},
    {ERROR_INVALID_HANDLE, EBADF},          {ERROR_NOT_ENOUGH_MEMORY, ENOMEM},
    {ERROR_OUTOFMEMORY, ENOMEM},            {ERROR_NOT_SAME_DEVICE, EXDEV},
    {ERROR_WRITE_PROTECT, EROFS},           {ERROR_HANDLE_DISK_FULL, ENOSPC},
    {ERROR_DISK_FULL, ENOSPC},              {ERROR_NOT_SUPPORTED, ENOSYS},
    {ERROR_FILE_EXISTS, EEXIST},            {ERROR_ALREADY_EXISTS, EEXIST},
    {ERROR_INVALID_PARAMETER, EINVAL},      {ERROR_INVALID_NAME, ENOENT},
    {ERROR_BROKEN_PIPE, EPIPE},             {ERROR_NO_DATA, EPIPE},
    {ERROR_PIPE_NOT_CONNECTED, EPIPE},  // Wine's word for a pipe whose reader has gone
    {ERROR_DIR_NOT_EMPTY, ENOTEMPTY},       {ERROR_BUSY, EBUSY},
    {ERROR_FILENAME_EXCED_RANGE, kErrorPathTooLong}, {ERROR_BUFFER_OVERFLOW, kErrorPathTooLong},
    {ERROR_DIRECTORY, ENOTDIR},             {ERROR_NOT_A_REPARSE_POINT, EINVAL},
    {ERROR_CANT_RESOLVE_FILENAME, ELOOP},
};

bool StartsWith(std::wstring_view text, std::wstring_view prefix) { return text.substr(0, prefix.size()) == prefix; }

bool IsHighSurrogate(wchar_t u) { return u >= 0xD800 && u <= 0xDBFF; }

// How many bytes of `text` end on a whole character; the rest is a character the next write completes.
size_t WholeLength(std::string_view text, bool sjis) {
    const auto* b = reinterpret_cast<const unsigned char*>(text.data());
    size_t n = text.size();
    if (sjis) {  // a lead byte's trail may itself look like a lead byte: walk from the start
        size_t i = 0;
        while (i < n) {
            if (!IsSjisLead(b[i])) {
                ++i;
            } else if (i + 1 == n) {
                return i;
            } else {
                i += 2;
            }
        }
        return n;
    }
    for (size_t k = 1; k <= 3 && k <= n; ++k) {
        unsigned char c = b[n - k];
        if ((c & 0xC0) == 0x80) continue;
        size_t need = c >= 0xF0 && c <= 0xF4 ? 4 : c >= 0xE0 && c < 0xF0 ? 3 : c >= 0xC2 && c < 0xE0 ? 2 : 1;
        return k < need ? n - k : n;
    }
    return n;
}


}  // namespace

int ErrnoFromWin32(DWORD error) {
    for (const ErrorMapping& m : kErrorMappings) {
        if (m.win32 == error) return m.errnoValue;
    }
    return EIO;
}

int LastErrno() { return ErrnoFromWin32(GetLastError()); }

std::wstring FromCodePage932(std::string_view bytes) {
    if (bytes.empty()) return {};
    int size = MultiByteToWideChar(932, 0, bytes.data(), int(bytes.size()), nullptr, 0);
    std::wstring wide(size_t(std::max(size, 0)), L'\0');
    if (size > 0) MultiByteToWideChar(932, 0, bytes.data(), int(bytes.size()), wide.data(), size);
    return wide;
}

std::wstring WideOf(std::string_view wtf8) {
    std::u16string units = Wtf8ToWide(wtf8);
    return std::wstring(units.begin(), units.end());
}

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows' wchar_t holds UTF-16 code units");

std::string Wtf8Of(std::wstring_view wide) {
    return WideToWtf8(std::u16string_view(reinterpret_cast<const char16_t*>(wide.data()), wide.size()));
}

std::wstring LongPathOf(std::wstring_view full) {
    if (StartsWith(full, L"\\\\?\\") || StartsWith(full, L"\\\\.\\")) return std::wstring(full);
    if (StartsWith(full, L"\\\\")) return L"\\\\?\\UNC\\" + std::wstring(full.substr(2));
    return L"\\\\?\\" + std::wstring(full);
}

std::wstring WidePath(std::string_view path, bool absolute) {
    std::wstring wide = WideOf(path);
    if (wide.empty() || StartsWith(wide, L"\\\\?\\") || StartsWith(wide, L"\\\\.\\")) return wide;
    std::wstring full = FullPath(wide);
    if (full.empty() || StartsWith(full, L"\\\\.\\")) return wide;
    // Short enough for every call as given (a relative path counts with the folder it is relative to).
    if (full.size() < MAX_PATH - 12) return absolute ? full : wide;
    return LongPathOf(full);
}

std::wstring FullPath(const std::wstring& path) {
    DWORD size = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    std::wstring full(size, L'\0');
    DWORD used = size == 0 ? 0 : GetFullPathNameW(path.c_str(), size, full.data(), nullptr);
    full.resize(used > 0 && used < size ? used : 0);
    return full;
}

HANDLE StandardHandle(int fd) {
    switch (fd) {
        case 0: return GetStdHandle(STD_INPUT_HANDLE);
        case 1: return GetStdHandle(STD_OUTPUT_HANDLE);
        case 2: return GetStdHandle(STD_ERROR_HANDLE);
        default: return INVALID_HANDLE_VALUE;
    }
}

bool IsConsoleHandle(HANDLE handle) {
    DWORD mode = 0;
    return handle != nullptr && handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode) != 0;
}

DWORD WriteConsoleText(HANDLE handle, std::string_view bytes, bool sjis, std::string& carry, bool last) {
    std::string text = std::move(carry);
    carry.clear();
    text.append(bytes);
    size_t whole = last ? text.size() : WholeLength(text, sjis);
    carry.assign(text, whole, std::string::npos);
    text.resize(whole);
    std::wstring wide;
    if (sjis) {
        wide = FromCodePage932(text);
    } else {
        std::u16string units = Wtf8ToWide(text);
        wide.assign(units.begin(), units.end());
    }
    // In pieces: older consoles refuse very long writes. A pair of surrogates is never split.
    constexpr size_t kPiece = 8192;
    for (size_t at = 0; at < wide.size();) {
        size_t n = std::min(kPiece, wide.size() - at);
        if (n < wide.size() - at && n > 1 && IsHighSurrogate(wide[at + n - 1])) --n;
        DWORD written = 0;
        if (!WriteConsoleW(handle, wide.data() + at, DWORD(n), &written, nullptr)) return GetLastError();
        if (written == 0) return ERROR_WRITE_FAULT;
        at += written;
    }
    return 0;
}

DWORD WriteAllBytes(HANDLE handle, std::string_view bytes) {
    while (!bytes.empty()) {
        DWORD n = DWORD(std::min<size_t>(bytes.size(), size_t(1) << 30));
        DWORD written = 0;
        if (!WriteFile(handle, bytes.data(), n, &written, nullptr)) return GetLastError();
        if (written == 0) return ERROR_WRITE_FAULT;
        bytes.remove_prefix(written);
    }
    return 0;
}
