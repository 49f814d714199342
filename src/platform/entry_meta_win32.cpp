// Entry metadata, Windows side: an entry of the folder read last answered from what FindFirstFileExW
// delivered (no call per entry), a handle opened only for a link's target or a file's identity, a
// symbolic link's or junction's target from its reparse data. Owners are numbers (Windows has none here).
#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

#include "platform/entry_meta.h"
#include "platform/names_win32.h"
#include "platform/wide_text.h"

#include <winioctl.h>

namespace {

// FILETIME counts 100-nanosecond ticks since 1601; this many lie before 1970.
constexpr int64_t kTicksBefore1970 = 116444736000000000;
constexpr int64_t kTicksPerSecond = 10000000;

void PutTime(const FILETIME& time, int64_t& seconds, uint32_t& nsec) {
    int64_t ticks = int64_t(Joined64(time.dwHighDateTime, time.dwLowDateTime)) - kTicksBefore1970;
    seconds = ticks / kTicksPerSecond;
    int64_t rest = ticks % kTicksPerSecond;
    if (rest < 0) {  // before 1970: seconds round down, the nanoseconds count up from there
        --seconds;
        rest += kTicksPerSecond;
    }
    nsec = uint32_t(rest * 100);
}

// Windows runs these by their names alone.
bool Runnable(std::string_view name) {
    size_t dot = name.rfind('.');
    if (dot == std::string_view::npos || name.size() - dot != 4) return false;
    char ext[4] = {};
    for (size_t i = 0; i < 3; ++i) ext[i] = char(name[dot + 1 + i] | 0x20);
    for (const char* runnable : {"exe", "com", "bat", "cmd"})
        if (std::memcmp(ext, runnable, 3) == 0) return true;
    return false;
}

// Type bits from the attributes; permission bits made up: folders and programs 0755, other files 0644,
// links 0777 as on POSIX. Read-only takes a file's write bits; on a folder Windows uses the flag to mark a
// customised folder, and it keeps nobody from writing there.
uint32_t ModeOf(DWORD attributes, bool link, std::string_view name) {
    if (link) return kTypeLink | 0777;
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) return kTypeFolder | 0755;
    uint32_t mode = kTypeFile | (Runnable(name) ? 0755 : 0644);
    if (attributes & FILE_ATTRIBUTE_READONLY) mode &= ~uint32_t(0222);
    return mode;
}

// What every look fills. Windows keeps no time of the last status change: ctime is the creation time.
// A link count of 1 unless a handle was opened (FillFromHandle).
void FillCommon(DWORD attributes, bool link, std::string_view name, const FILETIME& written,
                const FILETIME& created, uint64_t size, EntryStat& out) {
    out = EntryStat{};
    out.size = size;
    PutTime(written, out.mtime, out.mtimeNsec);
    PutTime(created, out.ctime, out.ctimeNsec);
    out.attributes = attributes;
    out.mode = ModeOf(attributes, link, name);
    out.nlink = 1;
}

void FillFromFound(const FoundEntry& e, std::string_view name, EntryStat& out) {
    FillCommon(e.attributes, IsLinkAttributes(e.attributes, e.reparseTag), name, e.written, e.created, e.size, out);
}

// Opens `path` for reading its metadata (a folder too), following links unless `noFollow`.
HANDLE OpenForMetadata(const std::wstring& path, bool noFollow) {
    DWORD flags = FILE_FLAG_BACKUP_SEMANTICS | (noFollow ? FILE_FLAG_OPEN_REPARSE_POINT : 0);
    return CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                       nullptr, OPEN_EXISTING, flags, nullptr);
}

bool HandleInformation(const std::wstring& path, bool noFollow, BY_HANDLE_FILE_INFORMATION& info, int& err) {
    HANDLE h = OpenForMetadata(path, noFollow);
    if (h == INVALID_HANDLE_VALUE) {
        err = ErrnoFromWin32(GetLastError());
        return false;
    }
    bool ok = GetFileInformationByHandle(h, &info) != 0;
    err = ok ? 0 : ErrnoFromWin32(GetLastError());
    CloseHandle(h);
    return ok;
}

// The file system's identity: dev is the volume's serial number, ino the file index; and the real link
// count.
void PutIdentity(const BY_HANDLE_FILE_INFORMATION& info, EntryStat& out) {
    out.dev = info.dwVolumeSerialNumber;
    out.ino = Joined64(info.nFileIndexHigh, info.nFileIndexLow);
    out.nlink = info.nNumberOfLinks;
}

// The identity of what `path` names, from a handle on it. Returns 0 or the errno.
int AddIdentity(const std::wstring& path, bool noFollow, EntryStat& out) {
    BY_HANDLE_FILE_INFORMATION info;
    int err = 0;
    if (HandleInformation(path, noFollow, info, err)) PutIdentity(info, out);
    return err;
}

// What a handle on `path` tells, links followed: the target's metadata whole.
int StatTarget(const std::wstring& path, std::string_view name, EntryStat& out) {
    BY_HANDLE_FILE_INFORMATION info;
    int err = 0;
    if (!HandleInformation(path, false, info, err)) return err;
    uint64_t size = Joined64(info.nFileSizeHigh, info.nFileSizeLow);
    FillCommon(info.dwFileAttributes, false, name, info.ftLastWriteTime, info.ftCreationTime, size, out);
    PutIdentity(info, out);
    return 0;
}

// A path looked at whole (the root, or the folder read last itself): its own find data where
// FindFirstFileExW gives them (not for a drive root, nor where '*' or '?' would make the path a pattern),
// else its attributes.
int StatPath(const std::wstring& path, std::string_view name, StatLinks links, uint32_t wants, EntryStat& out) {
    if (links == kStatTarget) return StatTarget(path, name, out);
    WIN32_FIND_DATAW data;
    bool pattern = path.find_first_of(L"*?", 4) != std::wstring::npos;  // past the \\?\ prefix
    HANDLE find = pattern ? INVALID_HANDLE_VALUE
                          : FindFirstFileExW(path.c_str(), FindExInfoBasic, &data, FindExSearchNameMatch, nullptr, 0);
    if (find != INVALID_HANDLE_VALUE) {
        FindClose(find);
        uint64_t size = Joined64(data.nFileSizeHigh, data.nFileSizeLow);
        bool link = IsLinkAttributes(data.dwFileAttributes, data.dwReserved0);
        FillCommon(data.dwFileAttributes, link, name, data.ftLastWriteTime, data.ftCreationTime, size, out);
    } else {
        WIN32_FILE_ATTRIBUTE_DATA a;
        if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &a)) return ErrnoFromWin32(GetLastError());
        uint64_t size = Joined64(a.nFileSizeHigh, a.nFileSizeLow);
        FillCommon(a.dwFileAttributes, false, name, a.ftLastWriteTime, a.ftCreationTime, size, out);
    }
    return (wants & kStatIno) ? AddIdentity(path, TypeOf(out.mode) == kTypeLink, out) : 0;
}

// The entry named `name` in the folder read last; looks come in reading order, so the search starts
// where the last one ended.
const FoundEntry* FindEntry(FoundFolder& found, std::string_view name) {
    size_t count = found.entries.size();
    for (size_t k = 0; k < count; ++k) {
        size_t i = (found.cursor + k) % count;
        const FoundEntry& e = found.entries[i];
        if (std::string_view(found.names).substr(e.name, e.nameLen) == name) {
            found.cursor = i + 1;
            return &e;
        }
    }
    return nullptr;
}

FoundFolder* FoundOf(FolderHandle folder) { return reinterpret_cast<FoundFolder*>(folder.value); }

// The path of `name` in `folder`: as given for the working folder, else inside the folder read last.
int PathIn(FolderHandle folder, std::string_view name, std::wstring& path) {
    if (folder.value == -1) return EBADF;
    if (folder.value == 0) return LongPath(name, path);
    path = name.empty() ? FoundOf(folder)->path : ChildPath(FoundOf(folder)->path, name);
    return 0;
}

// The last part of a path as given, for the made-up execute bits.
std::string_view LastName(std::string_view path) {
    size_t cut = path.find_last_of("/\\");
    return cut == std::string_view::npos ? path : path.substr(cut + 1);
}

// The REPARSE_DATA_BUFFER of symbolic links and junctions (mount points), up to their names.
struct ReparseNames {
    DWORD tag;
    WORD dataLength, reserved;
    WORD substituteOffset, substituteLength, printOffset, printLength;
};

// The target a symbolic link or junction shows: its print name, else its substitute name without the
// NT prefix \??\. Returns 0 or the errno (EINVAL: not such a link).
int TargetOf(const std::vector<BYTE>& data, DWORD size, std::string& target) {
    if (size < sizeof(ReparseNames)) return EINVAL;
    ReparseNames head;
    std::memcpy(&head, data.data(), sizeof head);
    size_t names = sizeof head;
    if (head.tag == IO_REPARSE_TAG_SYMLINK) names += sizeof(DWORD);  // its flags
    else if (head.tag != IO_REPARSE_TAG_MOUNT_POINT) return EINVAL;
    bool print = head.printLength > 0;
    size_t offset = names + (print ? head.printOffset : head.substituteOffset);
    size_t length = print ? head.printLength : head.substituteLength;
    if (offset + length > size) return EINVAL;
    std::u16string units(length / 2, u'\0');
    std::memcpy(units.data(), data.data() + offset, units.size() * 2);
    if (!print && units.compare(0, 4, u"\\??\\") == 0) units.erase(0, 4);
    target = WideToWtf8(units);
    return 0;
}

}  // namespace

FolderHandle WorkingFolder() { return FolderHandle(0); }

int StatAt(FolderHandle folder, const char* name, StatLinks links, uint32_t wants, EntryStat& out) {
    std::wstring path;
    bool inFolder = folder.value != 0 && folder.value != -1 && name[0] != '\0';
    if (!inFolder) {
        if (int err = PathIn(folder, name, path)) return err;
        return StatPath(path, LastName(name), links, wants, out);
    }
    const FoundEntry* e = FindEntry(*FoundOf(folder), name);
    if (e == nullptr) return ENOENT;
    bool link = IsLinkAttributes(e->attributes, e->reparseTag);
    if (link && links == kStatTarget) return StatTarget(ChildPath(FoundOf(folder)->path, name), name, out);
    FillFromFound(*e, name, out);
    return (wants & kStatIno) ? AddIdentity(ChildPath(FoundOf(folder)->path, name), link, out) : 0;
}

int ReadLinkAt(FolderHandle folder, const char* name, std::string& target) {
    std::wstring path;
    if (int err = PathIn(folder, name, path)) return err;
    HANDLE h = OpenForMetadata(path, true);
    if (h == INVALID_HANDLE_VALUE) return ErrnoFromWin32(GetLastError());
    std::vector<BYTE> data(MAXIMUM_REPARSE_DATA_BUFFER_SIZE);
    DWORD size = 0;
    bool ok = DeviceIoControl(h, FSCTL_GET_REPARSE_POINT, nullptr, 0, data.data(), DWORD(data.size()), &size,
                              nullptr) != 0;
    int err = ok ? 0 : ErrnoFromWin32(GetLastError());
    CloseHandle(h);
    return ok ? TargetOf(data, size, target) : err;
}

std::string UserName(uint32_t uid) { return std::to_string(uid); }
std::string GroupName(uint32_t gid) { return std::to_string(gid); }
uint64_t DeviceNumber(uint64_t dev) { return dev; }
