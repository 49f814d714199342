// What the system knows about an entry besides its name, in a struct of ours: the seam the metadata
// reads through (POSIX side in entry_meta_posix.cpp: statx and readlinkat).
#pragma once

#include <cstdint>
#include <string>

// Type and permission bits in the traditional Unix layout: the same numbers on every system, whatever its
// C library calls them. An EntryStat's mode is made of them.
constexpr uint32_t kModeTypeMask = 0170000;
constexpr uint32_t kModeSetuid = 04000;
constexpr uint32_t kModeSetgid = 02000;
constexpr uint32_t kModeSticky = 01000;
constexpr uint32_t kModeOtherWrite = 0002;
constexpr uint32_t kModeAnyExec = 0111;  // user, group or other may run it
constexpr uint32_t kModePermissions = 07777;

// The entry's kind: the type bits of its mode.
enum EntryType : uint32_t {
    kTypeUnknown = 0,
    kTypeFifo = 0010000,
    kTypeChar = 0020000,
    kTypeFolder = 0040000,
    kTypeBlock = 0060000,
    kTypeFile = 0100000,
    kTypeLink = 0120000,
    kTypeSocket = 0140000,
};

inline EntryType TypeOf(uint32_t mode) { return EntryType(mode & kModeTypeMask); }

struct EntryStat {
    uint64_t size = 0;
    int64_t mtime = 0;  // seconds since 1970, negative before
    uint32_t mtimeNsec = 0;
    int64_t ctime = 0;  // the last change of the entry's status
    uint32_t ctimeNsec = 0;
    uint32_t mode = 0;  // type and permission bits, as above
    uint32_t nlink = 0;
    uint64_t dev = 0;   // the file system: its major number in the high 32 bits, its minor in the low
    uint64_t ino = 0;
    uint32_t uid = 0, gid = 0;
    uint32_t attributes = 0;  // Windows' file attributes (the kAttribute bits below); 0 on POSIX
};

// Windows' file attribute bits, as its file systems number them; the ones -p shows there.
constexpr uint32_t kAttributeReadOnly = 0x1;
constexpr uint32_t kAttributeHidden = 0x2;
constexpr uint32_t kAttributeSystem = 0x4;
constexpr uint32_t kAttributeFolder = 0x10;
constexpr uint32_t kAttributeArchive = 0x20;
constexpr uint32_t kAttributeReparsePoint = 0x400;
// True where entries carry attributes rather than Unix permission bits (Windows).
#ifdef _WIN32
inline constexpr bool kAttributesForModes = true;
#else
inline constexpr bool kAttributesForModes = false;
#endif

// What a caller needs of a look (the system may fill more, never less on a local file system; a field
// not asked for may be 0).
enum StatWants : uint32_t {
    kStatType = 1,
    kStatMode = 2,
    kStatSize = 4,
    kStatMtime = 8,
    kStatCtime = 16,
    kStatIno = 32,
    kStatNlink = 64,
    kStatOwner = 128,
};

// An open folder whose names are looked at relative to it: DiskSource::lastFolder, the folder the source
// read last. On POSIX the descriptor it keeps open (which converts to it); on Windows what reading it found
// (sizes, times and attributes come with the names, so nothing is asked again per entry), and 0 for the
// working folder. -1: no folder (a failed read).
struct FolderHandle {
    intptr_t value = -1;
    constexpr FolderHandle(int descriptor) : value(descriptor) {}
};

// The working folder: names relative to it are paths as the user gave them.
FolderHandle WorkingFolder();

// A link itself, or what it leads to.
enum StatLinks : uint8_t { kStatLink, kStatTarget };

// Looks at `name` in `folder` ("" for the folder itself) and fills `out`. Returns 0 or the errno. Never
// mounts what an automount point would bring.
int StatAt(FolderHandle folder, const char* name, StatLinks links, uint32_t wants, EntryStat& out);
// Tests swap in their own look (one that fails for a name, or gives made-up values).
using StatFunction = int (*)(FolderHandle folder, const char* name, StatLinks links, uint32_t wants,
                             EntryStat& out);

// The target of the link `name` in `folder`, as its bytes stand. Returns 0 or the errno.
int ReadLinkAt(FolderHandle folder, const char* name, std::string& target);

// The name of user `uid` and of group `gid` in the system's databases, or the number in decimal where
// there is none.
std::string UserName(uint32_t uid);
std::string GroupName(uint32_t gid);
// An EntryStat's `dev` as the system numbers a device in stat's st_dev (what `stat -c %d` prints).
uint64_t DeviceNumber(uint64_t dev);
