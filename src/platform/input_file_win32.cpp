// An input read whole, Windows side: CreateFileW and ReadFile ("-": standard input; a console is read as
// UTF-16 up to a Ctrl+Z at a line's start); text in UTF-16 with a byte-order mark comes back as UTF-8.
#include "platform/input_file.h"

#include <algorithm>
#include <cerrno>
#include <iterator>
#include <string_view>

#include "platform/io_win32.h"
#include "platform/wide_text.h"

namespace {

constexpr wchar_t kConsoleEnd = 0x1A;  // Ctrl+Z, a console's end of input

// UTF-16 after a byte-order mark (FF FE: little-endian, FE FF: big-endian) as WTF-8, the mark dropped and
// a lone surrogate kept; an odd last byte becomes U+FFFD. Other bytes are left as they are.
void Utf16ToUtf8(std::string& bytes) {
    if (bytes.size() < 2) return;
    auto b0 = static_cast<unsigned char>(bytes[0]), b1 = static_cast<unsigned char>(bytes[1]);
    bool little = b0 == 0xFF && b1 == 0xFE;
    if (!little && !(b0 == 0xFE && b1 == 0xFF)) return;
    std::u16string units;
    units.reserve(bytes.size() / 2);
    for (size_t i = 2; i + 1 < bytes.size(); i += 2) {
        auto lo = static_cast<unsigned char>(bytes[little ? i : i + 1]);
        auto hi = static_cast<unsigned char>(bytes[little ? i + 1 : i]);
        units += char16_t(lo | (hi << 8));
    }
    if (bytes.size() % 2 != 0) units += u'\uFFFD';
    bytes = WideToWtf8(units);
}

int ReadConsoleWhole(HANDLE handle, std::string& bytes) {
    std::u16string text;
    wchar_t buffer[4096];
    for (;;) {
        DWORD n = 0;
        if (!ReadConsoleW(handle, buffer, DWORD(std::size(buffer)), &n, nullptr)) return LastErrno();
        if (n == 0) break;
        size_t lineStart = text.empty() || text.back() == u'\n' ? text.size() : std::u16string::npos;
        text.append(reinterpret_cast<const char16_t*>(buffer), n);
        if (lineStart != std::u16string::npos && text[lineStart] == kConsoleEnd) {
            text.resize(lineStart);
            break;
        }
    }
    bytes = WideToWtf8(text);
    return 0;
}

}  // namespace

int ReadWholeInput(const std::string& path, std::string& bytes) {
    bytes.clear();
    bool standard = path == "-";
    HANDLE handle = standard ? StandardHandle(0)
                             : CreateFileW(WidePath(path).c_str(), GENERIC_READ,
                                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE) {
        if (standard) return EBADF;
        int error = LastErrno();
        // Windows refuses to open a folder as a file ("access denied"); said as POSIX says it.
        DWORD attributes = GetFileAttributesW(WidePath(path).c_str());
        bool folder = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
        return folder ? EISDIR : error;
    }
    if (standard && IsConsoleHandle(handle)) return ReadConsoleWhole(handle, bytes);
    LARGE_INTEGER size{};
    bool regular = GetFileType(handle) == FILE_TYPE_DISK && GetFileSizeEx(handle, &size);
    bytes.resize(regular ? size_t(size.QuadPart) + 1 : size_t(1) << 20);  // + 1: the read that finds the end
    size_t used = 0;
    int error = 0;
    for (;;) {
        if (used == bytes.size()) bytes.resize(bytes.size() * 2);
        DWORD n = 0;
        DWORD want = DWORD(std::min<size_t>(bytes.size() - used, size_t(1) << 30));
        if (!ReadFile(handle, bytes.data() + used, want, &n, nullptr)) {
            DWORD code = GetLastError();
            if (code != ERROR_BROKEN_PIPE) error = ErrnoFromWin32(code);  // a closed pipe is its end
            break;
        }
        if (n == 0) break;
        used += n;
    }
    if (!standard) CloseHandle(handle);
    bytes.resize(error != 0 ? 0 : used);
    if (error != 0) return error;
    Utf16ToUtf8(bytes);
    return 0;
}
