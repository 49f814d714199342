// The command line's metadata (POSIX side): statx relative to the folder just read, the side table, the
// fields before a name, --du's sums and the sort keys made from sizes and dates.
#include "metadata/metadata.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <climits>
#include <ctime>
#include <functional>

#include "platform/messages.h"

namespace {

// The statx fields the options use; the kernel may fill more, never fewer on local file systems.
unsigned Mask(const MetaWants& w) {
    unsigned mask = STATX_TYPE | STATX_MODE;
    if (w.size || w.du || w.sortSize) mask |= STATX_SIZE;
    if (w.du) mask |= STATX_INO | STATX_NLINK;
    if (w.date || w.sortMtime) mask |= STATX_MTIME;
    if (w.follow) mask |= STATX_INO;
    return mask;
}

int SystemStat(int dirfd, const char* name, int flags, unsigned mask, struct statx* out) {
    return statx(dirfd, name, flags, mask, out) == 0 ? 0 : errno;
}

uint64_t Dev(const struct statx& sx) { return (uint64_t(sx.stx_dev_major) << 32) | sx.stx_dev_minor; }

void Fill(EntryMeta& m, const struct statx& sx) {
    m.size = sx.stx_size;
    m.mtime = sx.stx_mtime.tv_sec;
    m.mtimeNsec = sx.stx_mtime.tv_nsec;
    m.mode = sx.stx_mode;
    m.nlink = sx.stx_nlink;
    m.dev = Dev(sx);
    m.ino = sx.stx_ino;
}

std::string Join(const std::string& folder, std::string_view name) {
    std::string path = folder;
    if (path.empty() || path.back() != '/') path += '/';
    path.append(name);
    return path;
}

bool IsAncestor(const std::string& folder, const std::string& path) {
    if (path.size() <= folder.size() || path.compare(0, folder.size(), folder) != 0) return false;
    return folder.back() == '/' || path[folder.size()] == '/';
}

// Keeps the folders on the path to `path` (itself included, as `dirfd`) for -l's loop check.
void TrackPath(MetaTable& t, const std::string& path, int dirfd) {
    while (!t.openPath.empty() && !IsAncestor(t.openPath.back().path, path)) t.openPath.pop_back();
    StatFunction look = t.statAt != nullptr ? t.statAt : SystemStat;
    struct statx sx {};
    if (look(dirfd, "", AT_EMPTY_PATH, STATX_INO, &sx) == 0) t.openPath.push_back({path, Dev(sx), sx.stx_ino});
}

bool OnPath(const MetaTable& t, uint64_t dev, uint64_t ino) {
    for (const MetaTable::Open& o : t.openPath)
        if (o.dev == dev && o.ino == ino) return true;
    return false;
}

void PutBigEndian(std::string& key, uint64_t v, int bytes) {
    for (int shift = (bytes - 1) * 8; shift >= 0; shift -= 8) key += char(uint8_t(v >> shift));
}

void PadLeft(std::string& out, std::string_view text, size_t width) {
    if (text.size() < width) out.append(width - text.size(), ' ');
    out.append(text);
    out += ' ';
}

}  // namespace

const EntryMeta* UsableMeta(const MetaTable& table, uint32_t meta) {
    if (meta == kNoMeta || meta >= table.entries.size()) return nullptr;
    const EntryMeta& m = table.entries[meta];
    return (m.flags & kMetaMissing) ? nullptr : &m;
}

int StatRoot(MetaTable& table, const std::string& path, uint32_t& meta) {
    StatFunction look = table.statAt != nullptr ? table.statAt : SystemStat;
    struct statx sx {};
    // FOLDER is listed as what it names, a link to a folder included (the scan opens it following links).
    int err = look(AT_FDCWD, path.c_str(), AT_NO_AUTOMOUNT, Mask(table.wants), &sx);
    if (err != 0) return err;
    EntryMeta m;
    Fill(m, sx);
    table.rootDev = m.dev;
    meta = uint32_t(table.entries.size());
    table.entries.push_back(m);
    return 0;
}

void StatEntries(MetaTable& t, const std::string& path, int dirfd, EntryList& out, size_t before) {
    const MetaWants& w = t.wants;
    StatFunction look = t.statAt != nullptr ? t.statAt : SystemStat;
    unsigned mask = Mask(w);
    bool all = w.StatAll();
    if (w.follow) TrackPath(t, path, dirfd);
    std::string name;
    for (size_t i = before; i < out.entries.size(); ++i) {
        EntryList::Entry& e = out.entries[i];
        bool link = e.kind == kEntryLink, folder = e.kind == kEntryFolder;
        bool wanted = all && (t.filesListed || e.kind == kEntryFolder || e.kind == kEntryFolderLink);
        if (!wanted && !(w.follow && link) && !(w.oneFileSystem && folder)) continue;
        name.assign(out.Raw(e));
        EntryMeta m;
        struct statx sx {};
        e.meta = uint32_t(t.entries.size());
        if (int err = look(dirfd, name.c_str(), AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT, mask, &sx); err != 0) {
            m.flags = kMetaMissing;
            t.entries.push_back(m);
            ++t.failures;
            if (t.beforeMessage != nullptr) t.beforeMessage(t.messageContext);
            PrintMessage("cannot read the metadata of " + Quoted(Join(path, name)) + ": " + Reason(err));
            continue;
        }
        Fill(m, sx);
        if (S_ISLNK(sx.stx_mode)) {
            m.flags |= kMetaLink;
            struct statx target {};
            if ((w.follow || w.colour) && look(dirfd, name.c_str(), AT_NO_AUTOMOUNT, mask, &target) == 0) {
                m.targetMode = target.stx_mode;
                m.flags |= kMetaTargetKnown;
                if (w.follow) {
                    Fill(m, target);  // a followed link shows its target's metadata
                    if (S_ISDIR(target.stx_mode)) {
                        bool loop = OnPath(t, m.dev, m.ino);
                        e.kind = loop ? kEntryFolderLink : kEntryFolder;
                        if (loop) m.flags |= kMetaRecursive;
                    }
                }
            } else if (w.follow || w.colour) {
                m.flags |= kMetaBroken;  // dangling, a loop of links, or not allowed: listed as the link
            }
            if (w.classify) {
                char buffer[PATH_MAX];
                ssize_t n = readlinkat(dirfd, name.c_str(), buffer, sizeof buffer);
                if (n >= 0) {
                    std::string_view raw(buffer, size_t(n));
                    m.target = uint32_t(t.targets.size());
                    t.targets += t.shownTarget != nullptr ? t.shownTarget(t.messageContext, raw) : std::string(raw);
                    m.targetLen = uint32_t(t.targets.size() - m.target);
                }
            }
        }
        if (w.oneFileSystem && e.kind == kEntryFolder && m.dev != t.rootDev) e.kind = kEntryFolderLink;
        t.entries.push_back(m);
    }
}

uint64_t SumFolderSizes(ListingTables& tables, int32_t folderLast, MetaTable& table) {
    struct Node {
        uint64_t dev, ino;
        bool operator==(const Node& o) const { return dev == o.dev && ino == o.ino; }
    };
    struct NodeHash {
        size_t operator()(const Node& n) const { return std::hash<uint64_t>()(n.ino * 31 + n.dev); }
    };
    std::unordered_set<Node, NodeHash> seen;  // files with more than one link, counted once
    std::vector<uint64_t> total(size_t(folderLast) + 1, 0);
    for (const FileEntry& f : tables.files) {
        const EntryMeta* m = UsableMeta(table, f.meta);
        if (m == nullptr || f.folderId < 0 || f.folderId > folderLast) continue;
        if (m->nlink > 1 && !seen.insert({m->dev, m->ino}).second) continue;
        total[size_t(f.folderId)] += m->size;
    }
    // Parents from the pre-ordered rows (a stack of the rows still open), then sums from the deepest up.
    std::vector<int32_t> parent(size_t(folderLast) + 1, 0), open;
    for (int32_t r = 0; r <= folderLast; ++r) {
        while (!open.empty() && tables.folders[open.back()].depth >= tables.folders[r].depth) open.pop_back();
        if (!open.empty()) parent[r] = open.back();
        open.push_back(r);
    }
    for (int32_t r = folderLast; r >= 1; --r) total[parent[r]] += total[r];
    for (int32_t r = 0; r <= folderLast; ++r) {
        uint32_t meta = tables.folders[r].meta;
        if (meta != kNoMeta && meta < table.entries.size()) table.entries[meta].size = total[r];
    }
    return total[0];
}

void PrefixSortKeys(ListingTables& tables, int32_t folderLast, const MetaTable& table) {
    const MetaWants& w = table.wants;
    std::string key;
    // Largest first and newest first: the complement, big-endian, so plain byte order puts them first.
    // An entry without metadata counts as empty and oldest, and comes last.
    auto prefix = [&](uint32_t meta, uint32_t nameKey, uint32_t nameKeyLen, uint32_t& outKey, uint32_t& outLen) {
        const EntryMeta* m = UsableMeta(table, meta);
        key.clear();
        if (w.sortSize) {
            PutBigEndian(key, ~(m ? m->size : 0), 8);
        } else {
            uint64_t seconds = m ? uint64_t(m->mtime) ^ (uint64_t(1) << 63) : 0;  // order kept, unsigned
            PutBigEndian(key, ~seconds, 8);
            PutBigEndian(key, ~(m ? m->mtimeNsec : 0u), 4);
        }
        key.append(tables.pool.data() + nameKey, nameKeyLen);
        outKey = tables.Store(key);
        outLen = uint32_t(key.size());
    };
    if (!w.sortSize && !w.sortMtime) return;
    for (FileEntry& f : tables.files) prefix(f.meta, f.key, f.keyLen, f.key, f.keyLen);
    // Folders keep name order under --sort size unless --du gave them sizes; the root is never compared.
    if (w.sortMtime || w.du)
        for (int32_t r = 1; r <= folderLast; ++r) {
            FolderEntry& f = tables.folders[r];
            prefix(f.meta, f.key, f.keyLen, f.key, f.keyLen);
        }
}

void MeasureFields(const ListingTables& tables, int32_t folderLast, MetaTable& table) {
    const MetaWants& w = table.wants;
    if (!w.size && !w.date) return;
    int64_t lastTime = 0;
    uint32_t lastDate = 0, lastLen = 0;
    bool haveLast = false;
    uint64_t largest = 0;
    std::string text;
    auto measure = [&](uint32_t meta) {
        if (meta == kNoMeta || meta >= table.entries.size()) return;
        EntryMeta& m = table.entries[meta];
        if (m.flags & kMetaMissing) return;
        if (w.size && (w.human || w.si))
            table.sizeWidth = std::max(table.sizeWidth, FormatSize(m.size, w.human, w.si).size());
        largest = std::max(largest, m.size);  // plain bytes: the widest is the largest
        if (!w.date) return;
        // Neighbours often share a time: the text made for the last one serves again.
        if (!haveLast || m.mtime != lastTime) {
            FormatTime(text, w.timeFormat, m.mtime);
            lastDate = uint32_t(table.dates.size());
            lastLen = uint32_t(text.size());
            table.dates += text;
            lastTime = m.mtime;
            haveLast = true;
        }
        m.date = lastDate;
        m.dateLen = lastLen;
        table.dateWidth = std::max<size_t>(table.dateWidth, lastLen);
    };
    for (int32_t r = 0; r <= folderLast; ++r) measure(tables.folders[r].meta);
    for (const FileEntry& f : tables.files) measure(f.meta);
    if (w.size && !w.human && !w.si) table.sizeWidth = std::to_string(largest).size();
    if (w.size) table.sizeWidth = std::max<size_t>(table.sizeWidth, 1);
    if (w.date) table.dateWidth = std::max<size_t>(table.dateWidth, 1);
}

void AppendFields(std::string& out, const MetaTable& table, uint32_t meta) {
    const MetaWants& w = table.wants;
    const EntryMeta* m = UsableMeta(table, meta);
    if (w.perms) PadLeft(out, m ? FormatMode(m->mode) : "?", 10);
    if (w.size) {
        if (m != nullptr && !w.human && !w.si) {
            char digits[24];
            auto end = std::to_chars(digits, digits + sizeof digits, m->size).ptr;
            PadLeft(out, std::string_view(digits, size_t(end - digits)), table.sizeWidth);
        } else {
            PadLeft(out, m ? FormatSize(m->size, w.human, w.si) : "?", table.sizeWidth);
        }
    }
    if (w.date)
        PadLeft(out, m ? std::string_view(table.dates).substr(m->date, m->dateLen) : "?", table.dateWidth);
}

std::string FormatSize(uint64_t bytes, bool human, bool si) {
    if (!human && !si) return std::to_string(bytes);
    const unsigned base = si ? 1000 : 1024;
    static const char kUnits1024[] = "KMGTPE";
    static const char kUnits1000[] = "kMGTPE";
    const char* units = si ? kUnits1000 : kUnits1024;
    if (bytes < base) return std::to_string(bytes);
    // The largest power of the base not above the size; the value shown is bytes / power, rounded up
    // as ls rounds: one decimal below 10, whole numbers from 10 on, 1024K becoming 1.0M.
    unsigned __int128 power = base;
    int exponent = 0;
    while (exponent < 5 && bytes / power >= base) {
        power *= base;
        ++exponent;
    }
    unsigned __int128 n = bytes;
    if (n / power < 10) {
        auto tenths = uint64_t((n * 10 + power - 1) / power);
        if (tenths < 100)
            return std::to_string(tenths / 10) + "." + std::to_string(tenths % 10) + units[exponent];
        return std::string("10") + units[exponent];
    }
    auto whole = uint64_t((n + power - 1) / power);
    if (whole >= base && exponent < 5) return std::string("1.0") + units[exponent + 1];
    return std::to_string(whole) + units[exponent];
}

std::string FormatMode(uint32_t mode) {
    std::string s(10, '-');
    s[0] = S_ISDIR(mode) ? 'd' : S_ISLNK(mode) ? 'l' : S_ISFIFO(mode) ? 'p' : S_ISSOCK(mode) ? 's'
         : S_ISBLK(mode) ? 'b' : S_ISCHR(mode) ? 'c' : '-';
    static const char kRwx[] = "rwxrwxrwx";
    for (int i = 0; i < 9; ++i)
        if (mode & (1u << (8 - i))) s[size_t(i) + 1] = kRwx[i];
    auto special = [&](size_t at, uint32_t bit, char set) {
        if (mode & bit) s[at] = s[at] == 'x' ? set : char(set - 'a' + 'A');
    };
    special(3, S_ISUID, 's');
    special(6, S_ISGID, 's');
    special(9, S_ISVTX, 't');
    return s;
}

std::string_view ClassifyMark(const EntryMeta& m) {
    if (m.flags & kMetaMissing) return {};
    if (m.flags & kMetaLink) return "@";
    if (S_ISFIFO(m.mode)) return "|";
    if (S_ISSOCK(m.mode)) return "=";
    if (S_ISREG(m.mode) && (m.mode & 0111)) return "*";
    return {};
}

void FormatTime(std::string& out, const std::string& format, int64_t seconds) {
    struct tm local {};
    auto t = time_t(seconds);
    if (localtime_r(&t, &local) == nullptr) {
        out = "?";  // a year past what struct tm holds
        return;
    }
    // strftime gives 0 both for an empty result and for one that did not fit: grow, up to a bound.
    size_t room = 64;
    const size_t most = format.size() * 64 + 4096;
    for (;;) {
        out.resize(room);
        size_t n = strftime(out.data(), room, format.c_str(), &local);
        if (n > 0 || room >= most) {
            out.resize(n);
            return;
        }
        room *= 4;
    }
}

std::string IsoTime(int64_t seconds) {
    std::string text;
    FormatTime(text, "%Y-%m-%dT%H:%M:%S%z", seconds);
    if (text.size() > 5 && (text[text.size() - 5] == '+' || text[text.size() - 5] == '-'))
        text.insert(text.size() - 2, ":");
    return text;
}

bool TimeFormatDangling(std::string_view format) {
    size_t percents = 0;
    size_t end = format.size();
    // "%E" and "%O" are modifiers waiting for a conversion.
    if (end >= 2 && (format[end - 1] == 'E' || format[end - 1] == 'O')) {
        size_t run = 0;
        while (run < end - 1 && format[end - 2 - run] == '%') ++run;
        if (run % 2 == 1) return true;
    }
    while (percents < end && format[end - 1 - percents] == '%') ++percents;
    return percents % 2 == 1;
}
