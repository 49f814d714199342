// The POSIX side of the seam: each folder read whole with getdents64, folders done with closed a batch at
// a time, symbolic links listed and never followed, paths past PATH_MAX opened in pieces, notices on stderr.
#include "platform/disk_source.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <vector>

#include "platform/ascii_order.h"
#include "platform/chars.h"
#include "platform/messages.h"
#include "platform/names_posix.h"

namespace {

// A path longer than this is opened piece by piece; each piece stays well under PATH_MAX and a piece ends
// at a '/', so one folder name (at most NAME_MAX bytes) never straddles two pieces.
constexpr size_t kPieceBytes = PATH_MAX / 2;
constexpr int kReadFlags = O_RDONLY | O_DIRECTORY | O_CLOEXEC;
// A subfolder was a folder when its parent was read; should it have been swapped for a symbolic link
// since, the link is not followed (the listing would leave the tree).
constexpr int kChildFlags = kReadFlags | O_NOFOLLOW;
// Intermediate folders need only search permission, which O_PATH asks for.
constexpr int kPassFlags = O_PATH | O_DIRECTORY | O_CLOEXEC;
// getdents64 reads this much of a folder listing at a time (glibc's readdir reads 32 KB): a folder of
// 100,000 files takes some 30 reads instead of over a hundred.
constexpr size_t kEntryBufferBytes = 128 * 1024;
// Most folders held open at once for opening their subfolders (a deeper folder's are opened by path),
// far below any limit on open files; should the limit be reached all the same, the held ones are closed.
constexpr size_t kHeldMax = 32;
// Folders done with are closed a batch at a time: fds are handed out lowest first, so the folders read
// one after another mostly hold consecutive numbers, and close_range closes a run of them in one call.
constexpr size_t kClosingMax = 32;
// What the scan's entry list is given room for up front: entries, and their names and keys.
constexpr size_t kEntriesReserved = size_t(1) << 17;
constexpr size_t kEntryBytesReserved = size_t(8) << 20;

int SeparatorsAfter(std::string_view parent) { return !parent.empty() && parent.back() == '/' ? 0 : 1; }

// Opens `path` for reading in pieces with openat, closing each intermediate folder as soon as the next
// one is open. Returns 0 or the errno.
int OpenInPieces(std::string& piece, const std::string& path, int flags, int& fd) {
    int base = AT_FDCWD;
    size_t pos = 0;
    for (;;) {
        bool last = path.size() - pos <= kPieceBytes;
        size_t next = path.size();
        if (last) {
            piece.assign(path, pos, std::string::npos);
            if (piece.empty()) piece = ".";  // the path ended in '/'
        } else {
            size_t cut = path.rfind('/', pos + kPieceBytes);
            if (cut == std::string::npos || cut < pos) {  // one name longer than any folder name can be
                if (base != AT_FDCWD) close(base);
                return ENAMETOOLONG;
            }
            if (cut == pos) {
                piece = "/";  // only where an absolute path starts
            } else {
                piece.assign(path, pos, cut - pos);
            }
            next = cut;
            while (next < path.size() && path[next] == '/') ++next;
        }
        int opened = openat(base, piece.c_str(), last ? flags : kPassFlags);
        int err = errno;
        if (base != AT_FDCWD) close(base);
        if (opened < 0) return err;
        if (last) {
            fd = opened;
            return 0;
        }
        base = opened;
        pos = next;
    }
}

// True when `path` lies inside the folder `folder` (a path the scan composed from it, so a child is
// folder + "/" + name, or folder + name where folder already ends in '/'); `rest` is what follows.
bool Inside(std::string_view folder, std::string_view path, std::string_view& rest) {
    if (path.size() <= folder.size() || path.substr(0, folder.size()) != folder) return false;
    rest = path.substr(folder.size());
    if (folder.back() != '/') {
        if (rest.front() != '/') return false;
        rest.remove_prefix(1);
    }
    return !rest.empty();
}

// Closes the folders waiting in impl.closing: each run of consecutive fds (all of them ours, all done
// with) in one close_range call.
void CloseWaiting(DiskSourceImpl& impl) {
    std::vector<int>& fds = impl.closing;
    std::sort(fds.begin(), fds.end());
    for (size_t i = 0; i < fds.size();) {
        size_t j = i + 1;
        while (j < fds.size() && fds[j] == fds[j - 1] + 1) ++j;
        auto first = static_cast<unsigned>(fds[i]), last = static_cast<unsigned>(fds[j - 1]);
        if (first == last || close_range(first, last, 0) != 0) {
            for (size_t k = i; k < j; ++k) close(fds[k]);  // one fd, or a kernel without close_range
        }
        i = j;
    }
    fds.clear();
}

// The fd handed over last stays open until the next call (see lastFolder).
void CloseLater(DiskSourceImpl& impl, int fd) {
    if (impl.closing.size() >= kClosingMax) CloseWaiting(impl);
    impl.closing.push_back(fd);
}

void ReleaseHeld(DiskSourceImpl& impl, size_t keep) {
    while (impl.held.size() > keep) {
        CloseLater(impl, impl.held.back().fd);
        impl.held.pop_back();
    }
    impl.heldPath.resize(impl.held.empty() ? 0 : impl.held.back().pathLen);
}

// Closes every folder still open: those held and those waiting to be closed.
void CloseAll(DiskSourceImpl& impl) {
    ReleaseHeld(impl, 0);
    CloseWaiting(impl);
}

// Opens `path` whole, or in pieces when it is too long for that. Returns 0 or the errno.
int OpenByPath(DiskSourceImpl& impl, const std::string& path, int flags, int& fd) {
    fd = open(path.c_str(), flags);
    if (fd >= 0) return 0;
    if (errno != ENAMETOOLONG) return errno;
    return OpenInPieces(impl.piece, path, flags, fd);
}

// OpenFolder's work with the open flags for the last name of the path.
int OpenFolderWith(DiskSourceImpl& impl, const std::string& path, int flags, int& fd) {
    // Held folders the scan has moved past are closed: they hold no more folders to read.
    size_t keep = impl.held.size();
    std::string_view rest;
    while (keep > 0 && !Inside(std::string_view(impl.heldPath).substr(0, impl.held[keep - 1].pathLen), path, rest))
        --keep;
    ReleaseHeld(impl, keep);
    if (keep > 0 && rest.find('/') == std::string_view::npos) {
        impl.piece.assign(rest);
        fd = openat(impl.held.back().fd, impl.piece.c_str(), flags);
        if (fd >= 0) return 0;
        if (errno != EMFILE && errno != ENFILE) return errno;
        CloseAll(impl);  // too many open files: give back the held ones and open by path
    }
    int err = OpenByPath(impl, path, flags, fd);
    if ((err == EMFILE || err == ENFILE) && (!impl.held.empty() || !impl.closing.empty())) {
        CloseAll(impl);  // too many open files: give back what waits to be closed, and try again
        err = OpenByPath(impl, path, flags, fd);
    }
    return err;
}

// Opens the folder at `path`. A child of a held folder is opened from it by its name alone, which
// spares the kernel walking the whole path again for every folder. Returns 0 or the errno; a subfolder
// found to be a symbolic link now gives ENOTDIR.
int OpenFolder(DiskSourceImpl& impl, const std::string& path, bool followLinks, int& fd) {
    std::string_view rest;
    bool child = !impl.scanRoot.empty() && Inside(impl.scanRoot, path, rest);
    if (!child) impl.scanRoot = path;
    int flags = child && !followLinks ? kChildFlags : kReadFlags;
    int err = OpenFolderWith(impl, path, flags, fd);
    return child && err == ELOOP ? ENOTDIR : err;  // O_NOFOLLOW's answer for a link
}

// Keeps the folder just read open while the scan reads its subfolders, or closes it when it has none
// (or enough folders are held already).
void HoldOrClose(DiskSourceImpl& impl, const std::string& path, int fd, bool hasSubfolders) {
    if (!hasSubfolders || impl.held.size() >= kHeldMax) {
        CloseLater(impl, fd);
        return;
    }
    impl.heldPath = path;
    impl.held.push_back({path.size(), fd});
}

// The kind of the entry `name` in the open folder: from the type the folder listing delivered, and only
// where it delivered none (DT_UNKNOWN: some file systems never fill it) from fstatat.
EntryKind KindOf(int folderFd, const char* name, unsigned char type, bool windowsOrder) {
    if (type == DT_UNKNOWN) {
        struct stat st;
        // An entry gone since the folder listing delivered it is still listed, as found.
        if (fstatat(folderFd, name, &st, AT_SYMLINK_NOFOLLOW) != 0) return kEntryFile;
        type = S_ISDIR(st.st_mode) ? DT_DIR : S_ISLNK(st.st_mode) ? DT_LNK : DT_REG;
    }
    if (type == DT_DIR) return kEntryFolder;
    if (type != DT_LNK) return kEntryFile;
    if (!windowsOrder) return kEntryLink;
    // Windows lists a link (reparse point) to a folder as a folder and does not enter it.
    struct stat target;
    bool toFolder = fstatat(folderFd, name, &target, 0) == 0 && S_ISDIR(target.st_mode);
    return toFolder ? kEntryFolderLink : kEntryLink;
}

// Which keys the entries of the folder being read get: ASCII keys (ascii_order.h) for a kind while every
// name of that kind read so far has one, ICU keys for all of that kind from the first name that has not.
struct FolderKeys {
    size_t first;  // the folder's first entry in the list
    bool asciiFolders, asciiFiles;
};

// ICU's key of `raw`: composed from its characters' weights where it is printable ASCII, else from ICU.
std::string_view IcuKey(DiskSourceImpl& impl, std::string_view raw, bool folder, bool tieBreak) {
    if (impl.asciiKeys && ComposeIcuKey(impl, raw, folder, tieBreak))
        return impl.key;
    return MakeKey(impl, raw, folder, tieBreak);
}

// The entries of one kind read so far get ICU keys instead of their ASCII ones (appended to the list's
// bytes; the ASCII keys stay there unused until the level is left).
void RekeyWithIcu(DiskSourceImpl& impl, EntryList& out, size_t first, bool folders) {
    for (size_t i = first; i < out.entries.size(); ++i) {
        EntryList::Entry& e = out.entries[i];
        if ((e.kind == kEntryFolder || e.kind == kEntryFolderLink) != folders) continue;
        std::string_view key = IcuKey(impl, out.Raw(e), folders, true);
        e.key = uint32_t(out.bytes.size());
        e.keyLen = uint32_t(key.size());
        out.bytes.insert(out.bytes.end(), key.begin(), key.end());
    }
}

// The key of one name on its own: ICU's (composed where it can be) with the raw bytes as a tie-break, or
// without it in Windows order; bytes in the C locales (MakeKey).
std::string_view NameKey(DiskSource& source, std::string_view raw, bool folder) {
    if (source.windowsOrder) return MakeKey(*source.impl, raw, folder, false);
    return IcuKey(*source.impl, raw, folder, true);
}

std::string_view EntryKey(DiskSource& source, std::string_view raw, bool folder, EntryList& out, FolderKeys& keys) {
    DiskSourceImpl& impl = *source.impl;
    bool& ascii = folder ? keys.asciiFolders : keys.asciiFiles;
    if (ascii) {
        if (MakeAsciiKey(raw, folder, impl.natural, impl.key)) return impl.key;
        ascii = false;
        RekeyWithIcu(impl, out, keys.first, folder);
    }
    return NameKey(source, raw, folder);
}

// The name an entry shows: CP932 in the sjis modes; empty where that is `raw` itself (stored once).
std::string_view ShownCp932(DiskSource& source, std::string_view raw) {
    if (!source.toSjis) return {};
    std::string_view name = ToCp932(*source.impl, raw);
    return name == raw ? std::string_view() : name;
}

// Hands over one entry of the folder open as `fd`: its kind, its shown name and its key (none under
// noKeys).
void AddEntry(DiskSource& source, int fd, const char* cName, unsigned char type, EntryList& out, FolderKeys& keys) {
    std::string_view raw = cName;
    // Outside the C locales a key past printable ASCII opens ICU's collation (libicuuc with it); in them,
    // and without keys, the name's characters ready ICU here.
    if (source.impl->byteOrder || source.noKeys) ReadyNameCharacters(*source.impl, raw);
    EntryKind kind = KindOf(fd, cName, type, source.windowsOrder);
    std::string_view name = ShownCp932(source, raw);
    bool folder = kind == kEntryFolder || kind == kEntryFolderLink;
    std::string_view key = source.noKeys ? std::string_view() : EntryKey(source, raw, folder, out, keys);
    out.Add(raw, name, key, kind);
}

// The folder's entries straight from getdents64 into one large buffer, so a folder costs an open, a
// read per buffer full, the read that finds the end, and a share of a close_range (opendir would add an
// fstat and two fcntl calls, and readdir reads 32 KB at a time). Returns 0 or the errno.
int ReadEntries(DiskSource& source, int fd, EntryList& out) {
    std::unique_ptr<char[]>& buffer = source.impl->entryBuffer;
    if (!buffer) buffer.reset(new char[kEntryBufferBytes]);
    // Windows order keeps ICU's keys: its ties are equal keys, not raw bytes. ASCII keys of one folder
    // never meet those of another, except files listed together.
    bool ascii = source.impl->asciiKeys && !source.windowsOrder;
    FolderKeys keys{out.entries.size(), ascii, ascii && !source.filesTogether};
    for (;;) {
        ssize_t n = getdents64(fd, buffer.get(), kEntryBufferBytes);
        if (n == 0) return 0;
        if (n < 0) return errno;
        for (ssize_t at = 0; at < n;) {
            const auto* d = reinterpret_cast<const dirent64*>(buffer.get() + at);
            at += d->d_reclen;
            const char* name = d->d_name;
            if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'))) continue;
            AddEntry(source, fd, name, d->d_type, out, keys);
        }
    }
}

int ReadFolder(void* context, const std::string& path, EntryList& out) {
    auto& source = *static_cast<DiskSource*>(context);
    DiskSourceImpl& impl = *source.impl;
    // The list grows by doubling as a big folder fills it, copying all it holds each time. Room for a
    // folder of 100,000 entries is reserved once instead: address space, which becomes memory only as
    // entries fill it.
    if (out.entries.capacity() < kEntriesReserved) out.entries.reserve(kEntriesReserved);
    if (out.bytes.capacity() < kEntryBytesReserved) out.bytes.reserve(kEntryBytesReserved);
    int fd = -1;
    source.lastFolder = -1;
    if (int err = OpenFolder(impl, path, source.followLinks, fd)) return err;
    size_t first = out.entries.size();
    size_t firstByte = out.bytes.size();
    int err = ReadEntries(source, fd, out);
    if (err != 0) {  // a folder half read counts as unreadable: nothing of it is handed over
        close(fd);
        out.entries.resize(first);
        out.bytes.resize(firstByte);
        return err;
    }
    bool hasSubfolders = false;
    for (size_t i = first; i < out.entries.size() && !hasSubfolders; ++i)
        hasSubfolders = out.entries[i].kind == kEntryFolder;
    HoldOrClose(impl, path, fd, hasSubfolders);
    source.lastFolder = fd;
    if (source.windowsOrder) SortAsWindows(impl, out, first);
    return 0;
}

void ReportUnreadable(void*, const std::string& path, int error) { PrintMessage(UnreadableMessage(path, error)); }

int CompareKeys(std::string_view a, std::string_view b) { return a.compare(b); }

}  // namespace

bool InitDiskSource(DiskSource& source, std::string& error) {
    CloseDiskSource(source);
    auto* impl = new DiskSourceImpl;
    if (!OpenNames(*impl, error)) {
        CloseNames(*impl);
        delete impl;
        return false;
    }
    source.impl = impl;
    return true;
}

void CloseDiskSource(DiskSource& source) {
    if (!source.impl) return;
    CloseAll(*source.impl);
    CloseNames(*source.impl);
    delete source.impl;
    source.impl = nullptr;
}

FolderSource DiskFolderSource(DiskSource& source) {
    return FolderSource{&source, '/', SeparatorsAfter, ReadFolder, ReportUnreadable};
}

NameOrder DiskNameOrder() { return NameOrder{CompareKeys, CompareKeys, true}; }

std::string ShownName(DiskSource& source, std::string_view raw) {
    ReadyNameCharacters(*source.impl, raw);
    return source.toSjis ? std::string(ToCp932(*source.impl, raw)) : std::string(raw);
}

std::string FolderKey(DiskSource& source, std::string_view raw) {
    ReadyNameCharacters(*source.impl, raw);
    return std::string(MakeKey(*source.impl, raw, true, !source.windowsOrder));
}

std::string FileKey(DiskSource& source, std::string_view raw) {
    ReadyNameCharacters(*source.impl, raw);
    return std::string(MakeKey(*source.impl, raw, false, !source.windowsOrder));
}

std::string DiskCollationLocale(const DiskSource& source) {
    if (!source.impl || !OpenCollators(*source.impl)) return std::string();
    return source.impl->collationLocale;
}

std::string DiskNamesError(const DiskSource& source) { return source.impl ? source.impl->namesError : std::string(); }

void AddNamedEntry(DiskSource& source, std::string_view raw, EntryKind kind, EntryList& out) {
    ReadyNameCharacters(*source.impl, raw);
    std::string_view name = ShownCp932(source, raw);
    bool folder = kind == kEntryFolder || kind == kEntryFolderLink;
    std::string_view key = source.noKeys ? std::string_view() : NameKey(source, raw, folder);
    out.Add(raw, name, key, kind);
}
