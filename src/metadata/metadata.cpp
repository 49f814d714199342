// Reading an entry's metadata as its folder is read (through platform's StatAt), the side table the rows
// point into, --du's sums and the sort keys made from sizes and dates.
#include "metadata/metadata.h"

#include <cerrno>
#include <functional>
#include <unordered_set>

#include "platform/messages.h"

namespace {

// What the options need of each look; the system may fill more, never less on local file systems.
uint32_t Wants(const MetaWants& w) {
    uint32_t wants = kStatType | kStatMode;
    if (w.size || w.du || w.sortSize) wants |= kStatSize;
    if (w.du) wants |= kStatIno | kStatNlink;
    if (w.date || w.sortMtime) wants |= kStatMtime;
    if ((w.date && w.changeTime) || w.sortCtime) wants |= kStatCtime;
    if (w.follow || w.inode) wants |= kStatIno;
    if (w.owner || w.group) wants |= kStatOwner;
    if (w.colour) wants |= kStatNlink;  // mh: files with several hard links
    return wants;
}

StatFunction Look(const MetaTable& t) { return t.statAt != nullptr ? t.statAt : StatAt; }

void Fill(EntryMeta& m, const EntryStat& st) {
    m.size = st.size;
    m.mtime = st.mtime;
    m.mtimeNsec = st.mtimeNsec;
    m.ctime = st.ctime;
    m.ctimeNsec = st.ctimeNsec;
    m.uid = st.uid;
    m.gid = st.gid;
    m.mode = st.mode;
    m.nlink = st.nlink;
    m.dev = st.dev;
    m.ino = st.ino;
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

// Keeps the folders on the path to `path` (itself included, open as `folder`) for -l's loop check.
void TrackPath(MetaTable& t, const std::string& path, FolderHandle folder) {
    while (!t.openPath.empty() && !IsAncestor(t.openPath.back().path, path)) t.openPath.pop_back();
    EntryStat st;
    if (Look(t)(folder, "", kStatTarget, kStatIno, st) == 0) t.openPath.push_back({path, st.dev, st.ino});
}

bool OnPath(const MetaTable& t, uint64_t dev, uint64_t ino) {
    for (const MetaTable::Open& o : t.openPath)
        if (o.dev == dev && o.ino == ino) return true;
    return false;
}

void PutBigEndian(std::string& key, uint64_t v, int bytes) {
    for (int shift = (bytes - 1) * 8; shift >= 0; shift -= 8) key += char(uint8_t(v >> shift));
}

}  // namespace

const EntryMeta* UsableMeta(const MetaTable& table, uint32_t meta) {
    if (meta == kNoMeta || meta >= table.entries.size()) return nullptr;
    const EntryMeta& m = table.entries[meta];
    return (m.flags & kMetaMissing) ? nullptr : &m;
}

int StatRoot(MetaTable& table, const std::string& path, uint32_t& meta) {
    if (path.empty()) return ENOENT;  // "" would name the working folder itself
    EntryStat st;
    // FOLDER is listed as what it names, a link to a folder included (the scan opens it following links).
    int err = Look(table)(WorkingFolder(), path.c_str(), kStatTarget, Wants(table.wants), st);
    if (err != 0) return err;
    EntryMeta m;
    Fill(m, st);
    table.rootDev = m.dev;
    meta = uint32_t(table.entries.size());
    table.entries.push_back(m);
    return 0;
}

void StatEntries(MetaTable& t, const std::string& path, FolderHandle folder, EntryList& out, size_t before) {
    const MetaWants& w = t.wants;
    StatFunction look = Look(t);
    uint32_t wants = Wants(w);
    bool all = w.StatAll();
    if (w.follow) TrackPath(t, path, folder);
    std::string name, target;
    for (size_t i = before; i < out.entries.size(); ++i) {
        EntryList::Entry& e = out.entries[i];
        bool link = e.kind == kEntryLink, isFolder = e.kind == kEntryFolder;
        bool wanted = all && (t.filesListed || e.kind == kEntryFolder || e.kind == kEntryFolderLink);
        if (!wanted && !(w.follow && link) && !(w.oneFileSystem && isFolder)) continue;
        name.assign(out.Raw(e));
        EntryMeta m;
        EntryStat st;
        e.meta = uint32_t(t.entries.size());
        if (int err = look(folder, name.c_str(), kStatLink, wants, st); err != 0) {
            m.flags = kMetaMissing;
            t.entries.push_back(m);
            if (!w.Looked() && !w.follow && !w.oneFileSystem) continue;  // a kind not known is no failure
            ++t.failures;
            if (t.beforeMessage != nullptr) t.beforeMessage(t.messageContext);
            PrintMessage("cannot read the metadata of " + Quoted(Join(path, name)) + ": " + Reason(err));
            continue;
        }
        Fill(m, st);
        if (TypeOf(st.mode) == kTypeLink) {
            m.flags |= kMetaLink;
            EntryStat reached;
            if ((w.follow || w.colour) && look(folder, name.c_str(), kStatTarget, wants, reached) == 0) {
                m.targetMode = reached.mode;
                m.flags |= kMetaTargetKnown;
                if (w.follow) {
                    Fill(m, reached);  // a followed link shows its target's metadata
                    if (TypeOf(reached.mode) == kTypeFolder) {
                        bool loop = OnPath(t, m.dev, m.ino);
                        e.kind = loop ? kEntryFolderLink : kEntryFolder;
                        if (loop) m.flags |= kMetaRecursive;
                    }
                }
            } else if (w.follow || w.colour) {
                m.flags |= kMetaBroken;  // dangling, a loop of links, or not allowed: listed as the link
            }
            if ((w.classify || w.kinds) && ReadLinkAt(folder, name.c_str(), target) == 0) {
                m.target = uint32_t(t.targets.size());
                t.targets += t.shownTarget != nullptr ? t.shownTarget(t.messageContext, target) : target;
                m.targetLen = uint32_t(t.targets.size() - m.target);
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
            int64_t time = !m ? 0 : w.sortCtime ? m->ctime : m->mtime;
            uint32_t nsec = !m ? 0 : w.sortCtime ? m->ctimeNsec : m->mtimeNsec;
            uint64_t seconds = m ? uint64_t(time) ^ (uint64_t(1) << 63) : 0;  // order kept, unsigned
            PutBigEndian(key, ~seconds, 8);
            PutBigEndian(key, ~nsec, 4);
        }
        key.append(tables.pool.data() + nameKey, nameKeyLen);
        outKey = tables.Store(key);
        outLen = uint32_t(key.size());
    };
    if (!w.sortSize && !w.sortMtime && !w.sortCtime) return;
    for (FileEntry& f : tables.files) prefix(f.meta, f.key, f.keyLen, f.key, f.keyLen);
    // Folders keep name order under --sort size unless --du gave them sizes; the root is never compared.
    if (!w.sortSize || w.du)
        for (int32_t r = 1; r <= folderLast; ++r) {
            FolderEntry& f = tables.folders[r];
            prefix(f.meta, f.key, f.keyLen, f.key, f.keyLen);
        }
}

