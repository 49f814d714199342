// Reading an entry's metadata as its folder is read (through platform's StatAt), the side table the rows
// point into, --du's sums and the sort keys made from sizes and dates.
#include "metadata/metadata.h"

#include <algorithm>
#include <cerrno>
#include <limits>

#include "platform/messages.h"
#include "render/render.h"

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
    m.attributes = st.attributes;
    m.nlink = st.nlink;
    m.dev = st.dev;
    m.ino = st.ino;
}

// -l: notes the folder open as `folder` as entered.
void NoteEntered(MetaTable& t, FolderHandle folder) {
    EntryStat st;
    if (Look(t)(folder, "", kStatTarget, kStatIno, st) == 0) t.entered.insert({st.dev, st.ino});
}

void PutBigEndian(std::string& key, uint64_t v, int bytes) {
    for (int shift = (bytes - 1) * 8; shift >= 0; shift -= 8) key += char(uint8_t(v >> shift));
}

// --sort mtime's bytes before a name key: newest first (the complement, big-endian, so plain byte
// order puts it first); an entry without metadata counts as oldest.
// The key of --sort mtime, or of --sort ctime where `ctime`: newest first.
void PutTimeKey(std::string& key, const EntryMeta* m, bool ctime) {
    int64_t time = !m ? 0 : ctime ? m->ctime : m->mtime;
    uint32_t nsec = !m ? 0 : ctime ? m->ctimeNsec : m->mtimeNsec;
    uint64_t seconds = m ? uint64_t(time) ^ (uint64_t(1) << 63) : 0;  // order kept, unsigned
    PutBigEndian(key, ~seconds, 8);
    PutBigEndian(key, ~nsec, 4);
}

// Each folder row's place in the listing's pre-order when siblings go in `order` (ties by name bytes,
// then by row, so the place is the same whatever order the disk gave). `parent` from the rows.
std::vector<int32_t> PlacesInNameOrder(const ListingTables& tables, int32_t folderLast,
                                       const std::vector<int32_t>& parent, const NameOrder& order) {
    auto rows = size_t(folderLast) + 1;
    std::vector<std::vector<int32_t>> children(rows);
    for (int32_t r = 1; r <= folderLast; ++r) children[size_t(parent[r])].push_back(r);
    auto before = [&](int32_t a, int32_t b) {
        const FolderEntry& x = tables.folders[a];
        const FolderEntry& y = tables.folders[b];
        if (int c = order.folders(tables.Key(x), tables.Key(y)); c != 0) return c < 0;
        if (int c = tables.Name(x).compare(tables.Name(y)); c != 0) return c < 0;
        return a < b;
    };
    for (std::vector<int32_t>& c : children) std::sort(c.begin(), c.end(), before);
    std::vector<int32_t> place(rows, 0), stack{0};
    int32_t next = 0;
    while (!stack.empty()) {
        int32_t r = stack.back();
        stack.pop_back();
        place[size_t(r)] = next++;
        const std::vector<int32_t>& c = children[size_t(r)];
        stack.insert(stack.end(), c.rbegin(), c.rend());
    }
    return place;
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
    if (w.follow) NoteEntered(t, folder);
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
            PrintMessage("cannot read the metadata of " + Quoted(JoinedPath(path, name)) + ": " + Reason(err));
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
                    if (TypeOf(reached.mode) == kTypeFolder) e.kind = kEntryFolder;
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
        if (w.follow && e.kind == kEntryFolder && (m.flags & kMetaLink))
            t.linkedFolders[JoinedPath(path, name)] = e.meta;  // FollowInto decides when the scan comes to it
        t.entries.push_back(m);
    }
}

bool FollowInto(MetaTable& t, const std::string& path) {
    auto link = t.linkedFolders.find(path);
    if (link == t.linkedFolders.end()) return true;
    EntryMeta& m = t.entries[link->second];
    t.linkedFolders.erase(link);
    if (t.entered.count({m.dev, m.ino}) == 0) return true;
    m.flags |= kMetaRecursive;
    return false;
}

void OrderFolderEntries(const MetaTable& t, EntryList& out, size_t before, const NameOrder& order) {
    struct Folder {
        std::string key;
        EntryList::Entry entry;
    };
    std::vector<Folder> folders;
    std::vector<size_t> places;
    for (size_t i = before; i < out.entries.size(); ++i) {
        const EntryList::Entry& e = out.entries[i];
        if (e.kind != kEntryFolder && e.kind != kEntryFolderLink) continue;
        Folder f{std::string(), e};
        if (t.wants.sortMtime || t.wants.sortCtime) PutTimeKey(f.key, UsableMeta(t, e.meta), t.wants.sortCtime);
        f.key.append(out.Key(e));
        folders.push_back(std::move(f));
        places.push_back(i);
    }
    std::stable_sort(folders.begin(), folders.end(),
                     [&](const Folder& a, const Folder& b) { return order.folders(a.key, b.key) < 0; });
    for (size_t k = 0; k < places.size(); ++k) out.entries[places[k]] = folders[k].entry;
}

ListOptions OptionsForSums(const ListOptions& shown) {
    ListOptions scan = shown;
    scan.subfolders = scan.folderNames = scan.fileNames = true;
    scan.maxDepth = std::numeric_limits<int32_t>::max();
    return scan;
}

void DropUnshownRows(ListingTables& tables, int32_t& folderLast, const ListOptions& shown) {
    // The scan enters a folder at depth d only above the deepest depth, and records its entries at d + 1.
    int32_t deepest = shown.subfolders ? shown.maxDepth : 1;
    auto rows = size_t(folderLast) + 1;
    std::vector<int32_t> newId(rows, 0);
    std::vector<char> filesKept(rows, 0);
    int32_t next = 0;
    for (size_t r = 0; r < rows; ++r) {
        const FolderEntry f = tables.folders[r];
        filesKept[r] = shown.fileNames && f.depth < deepest;
        if (r != 0 && !(shown.folderNames && f.depth <= deepest)) continue;
        newId[r] = next;
        FolderEntry& row = tables.folders[size_t(next)];
        row = f;
        row.id = next++;
        row.fileCount = 0;
    }
    size_t kept = 0;
    for (size_t i = 0; i < tables.files.size(); ++i) {
        FileEntry f = tables.files[i];
        auto r = size_t(f.folderId);
        if (!filesKept[r]) continue;
        f.folderId = newId[r];  // the root's where folder rows are not listed
        ++tables.folders[size_t(f.folderId)].fileCount;
        tables.files[kept++] = f;
    }
    tables.files.resize(kept);
    tables.folders.resize(size_t(next));
    folderLast = next - 1;
}

uint64_t SumFolderSizes(ListingTables& tables, int32_t folderLast, MetaTable& table,
                        const NameOrder& nameOrder) {
    // Parents from the pre-ordered rows (a stack of the rows still open), then sums from the deepest up.
    std::vector<int32_t> parent(size_t(folderLast) + 1, 0), open;
    for (int32_t r = 0; r <= folderLast; ++r) {
        while (!open.empty() && tables.folders[open.back()].depth >= tables.folders[r].depth) open.pop_back();
        if (!open.empty()) parent[r] = open.back();
        open.push_back(r);
    }
    // A file with more than one link: the folder that counts it, the first in the listing's order.
    std::unordered_map<FileId, int32_t, FileIdHash> owner;
    std::vector<int32_t> place;
    for (const FileEntry& f : tables.files) {
        const EntryMeta* m = UsableMeta(table, f.meta);
        if (m == nullptr || m->nlink <= 1 || f.folderId < 0 || f.folderId > folderLast) continue;
        auto [it, fresh] = owner.emplace(FileId{m->dev, m->ino}, f.folderId);
        if (fresh || it->second == f.folderId) continue;
        if (place.empty()) place = PlacesInNameOrder(tables, folderLast, parent, nameOrder);
        if (place[size_t(f.folderId)] < place[size_t(it->second)]) it->second = f.folderId;
    }
    std::unordered_set<FileId, FileIdHash> counted;
    std::vector<uint64_t> total(size_t(folderLast) + 1, 0);
    for (const FileEntry& f : tables.files) {
        const EntryMeta* m = UsableMeta(table, f.meta);
        if (m == nullptr || f.folderId < 0 || f.folderId > folderLast) continue;
        if (m->nlink > 1 && (owner[{m->dev, m->ino}] != f.folderId || !counted.insert({m->dev, m->ino}).second))
            continue;
        total[size_t(f.folderId)] += m->size;
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
            PutTimeKey(key, m, w.sortCtime);
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

