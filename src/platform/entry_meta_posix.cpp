// Entry metadata, POSIX side: statx relative to an open folder, turned into our EntryStat, readlinkat, and
// the names of users and groups (getpwuid_r, getgrgid_r).
#include "platform/entry_meta.h"

#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <vector>

namespace {

// POSIX fixes the permission bits' values; the type bits' values are the system's own.
static_assert(S_ISUID == kModeSetuid && S_ISGID == kModeSetgid && S_ISVTX == kModeSticky && S_IWOTH == kModeOtherWrite,
              "permission bits in the traditional layout");
static_assert((S_IRWXU | S_IRWXG | S_IRWXO | S_ISUID | S_ISGID | S_ISVTX) == kModePermissions, "permission bits");

unsigned StatxMask(uint32_t wants) {
    static const struct {
        uint32_t want;
        unsigned mask;
    } kMasks[] = {{kStatType, STATX_TYPE},   {kStatMode, STATX_MODE},   {kStatSize, STATX_SIZE},
                  {kStatMtime, STATX_MTIME}, {kStatCtime, STATX_CTIME}, {kStatIno, STATX_INO},
                  {kStatNlink, STATX_NLINK}, {kStatOwner, STATX_UID | STATX_GID}};
    unsigned mask = 0;
    for (const auto& m : kMasks)
        if (wants & m.want) mask |= m.mask;
    return mask;
}

uint32_t PortableMode(uint32_t mode) {
    static const struct {
        uint32_t system;
        EntryType type;
    } kTypes[] = {{S_IFREG, kTypeFile},  {S_IFDIR, kTypeFolder}, {S_IFLNK, kTypeLink}, {S_IFIFO, kTypeFifo},
                  {S_IFSOCK, kTypeSocket}, {S_IFBLK, kTypeBlock}, {S_IFCHR, kTypeChar}};
    uint32_t out = mode & kModePermissions;
    for (const auto& t : kTypes)
        if ((mode & S_IFMT) == t.system) out |= t.type;
    return out;
}

int Descriptor(FolderHandle folder) { return int(folder.value); }

}  // namespace

FolderHandle WorkingFolder() { return FolderHandle(AT_FDCWD); }

int StatAt(FolderHandle folder, const char* name, StatLinks links, uint32_t wants, EntryStat& out) {
    // The folder itself by its descriptor; a name without triggering an automount, the link itself
    // unless its target is asked for.
    int flags = AT_EMPTY_PATH;
    if (name[0] != '\0') flags = AT_NO_AUTOMOUNT | (links == kStatLink ? AT_SYMLINK_NOFOLLOW : 0);
    struct statx sx {};
    if (statx(Descriptor(folder), name, flags, StatxMask(wants), &sx) != 0) return errno;
    out.size = sx.stx_size;
    out.mtime = sx.stx_mtime.tv_sec;
    out.mtimeNsec = sx.stx_mtime.tv_nsec;
    out.ctime = sx.stx_ctime.tv_sec;
    out.ctimeNsec = sx.stx_ctime.tv_nsec;
    out.mode = PortableMode(sx.stx_mode);
    out.nlink = sx.stx_nlink;
    out.dev = (uint64_t(sx.stx_dev_major) << 32) | sx.stx_dev_minor;
    out.ino = sx.stx_ino;
    out.uid = sx.stx_uid;
    out.gid = sx.stx_gid;
    return 0;
}

int ReadLinkAt(FolderHandle folder, const char* name, std::string& target) {
    // Linux keeps a link's target under PATH_MAX bytes.
    char buffer[PATH_MAX];
    ssize_t n = readlinkat(Descriptor(folder), name, buffer, sizeof buffer);
    if (n < 0) return errno;
    target.assign(buffer, size_t(n));
    return 0;
}

namespace {

// getpwuid_r and getgrgid_r with a buffer that grows while the entry does not fit (ERANGE).
template <typename Entry, typename Lookup>
std::string NameOf(uint32_t id, Lookup lookup, char* Entry::*field) {
    Entry entry{};
    Entry* found = nullptr;
    std::vector<char> buffer(1024);
    int err;
    while ((err = lookup(id, &entry, buffer.data(), buffer.size(), &found)) == ERANGE && buffer.size() < (1u << 20))
        buffer.resize(buffer.size() * 2);
    if (err != 0 || found == nullptr) return std::to_string(id);
    return found->*field;
}

}  // namespace

std::string UserName(uint32_t uid) {
    return NameOf<passwd>(uid, [](uint32_t id, passwd* e, char* b, size_t n, passwd** r) {
        return getpwuid_r(id, e, b, n, r);
    }, &passwd::pw_name);
}

std::string GroupName(uint32_t gid) {
    return NameOf<group>(gid, [](uint32_t id, group* e, char* b, size_t n, group** r) {
        return getgrgid_r(id, e, b, n, r);
    }, &group::gr_name);
}

uint64_t DeviceNumber(uint64_t dev) { return makedev(unsigned(dev >> 32), unsigned(dev & 0xffffffff)); }
