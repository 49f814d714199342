// The in-memory folder tree behind the seam: a node per entry, children in the order first added, and
// one flat hash table from (parent, name) to node that serves both building the tree and the scan's reads.
#include "readers/source_memory.h"

#include <algorithm>
#include <cerrno>
#include <functional>

namespace {

uint32_t HashOf(int32_t parent, std::string_view name) {
    uint64_t h = std::hash<std::string_view>{}(name) ^ (uint64_t(uint32_t(parent)) * 0x9E3779B97F4A7C15ull);
    h ^= h >> 29;
    auto hash = uint32_t(h);
    return hash != 0 ? hash : 1;  // never 0, so a used slot never reads as free
}

void Place(std::vector<uint64_t>& slots, uint32_t hash, int32_t id) {
    size_t mask = slots.size() - 1;
    for (size_t i = hash & mask;; i = (i + 1) & mask) {
        if (slots[i] == 0) {
            slots[i] = (uint64_t(hash) << 32) | uint32_t(id + 1);
            return;
        }
    }
}

// Doubles the table when it is half full.
void Grow(MemorySource& source) {
    if (source.nodes.size() * 2 < source.slots.size()) return;
    std::vector<uint64_t> old;
    old.swap(source.slots);
    source.slots.assign(std::max<size_t>(old.size() * 2, 1024), 0);
    for (uint64_t slot : old)
        if (slot != 0) Place(source.slots, uint32_t(slot >> 32), int32_t(uint32_t(slot)) - 1);
}

int32_t Find(const MemorySource& source, int32_t parent, std::string_view name, uint32_t hash) {
    size_t mask = source.slots.size() - 1;
    for (size_t i = hash & mask;; i = (i + 1) & mask) {
        uint64_t slot = source.slots[i];
        if (slot == 0) return -1;
        if (uint32_t(slot >> 32) != hash) continue;
        int32_t id = int32_t(uint32_t(slot)) - 1;
        const MemoryNode& node = source.nodes[id];
        if (node.parent == parent && node.name == name) return id;
    }
}

int32_t FindOrAdd(MemorySource& source, int32_t parent, std::string_view name) {
    uint32_t hash = HashOf(parent, name);
    int32_t id = Find(source, parent, name, hash);
    if (id >= 0) return id;
    id = int32_t(source.nodes.size());
    MemoryNode node;
    node.name = name;
    node.parent = parent;
    source.nodes.push_back(node);
    Grow(source);
    Place(source.slots, hash, id);
    MemoryNode& p = source.nodes[parent];
    p.folder = true;
    if (p.lastChild < 0)
        p.firstChild = id;
    else
        source.nodes[p.lastChild].next = id;
    p.lastChild = id;
    return id;
}

// Separators between a parent path and a child's name: none after the root ("") and after "/".
int SeparatorsAfter(std::string_view parent) { return parent.empty() || parent.back() == '/' ? 0 : 1; }

int ReadFolder(void* context, const std::string& path, EntryList& out) {
    auto& source = *static_cast<MemorySource*>(context);
    // Components shared with the last path read keep their nodes.
    std::string_view last = source.lastRead;
    size_t common = 0, limit = std::min(path.size(), last.size());
    while (common < limit && path[common] == last[common]) ++common;
    auto& kept = source.readNodes;
    while (!kept.empty() && (kept.back().first > common || (kept.back().first < path.size() &&
                                                            path[kept.back().first] != '/' &&
                                                            path[kept.back().first - 1] != '/')))
        kept.pop_back();
    int32_t id = kept.empty() ? 0 : kept.back().second;
    size_t at = kept.empty() ? 0 : kept.back().first;
    if (at == 0 && path.starts_with('/')) {
        id = Find(source, 0, "/", HashOf(0, "/"));
        at = 1;
        kept.push_back({at, id});
    }
    // "a/../" is the folder ".." in "a" (see below): empty components are skipped.
    while (id >= 0 && at < path.size()) {
        if (path[at] == '/') {
            ++at;
            continue;
        }
        size_t end = std::min(path.find('/', at), path.size());
        std::string_view name = std::string_view(path).substr(at, end - at);
        id = Find(source, id, name, HashOf(id, name));
        at = end;
        kept.push_back({at, id});
    }
    source.lastRead = path;
    if (id < 0) {
        source.lastRead.clear();
        kept.clear();
    }
    if (id < 0) return ENOENT;
    if (!source.nodes[id].folder) return ENOTDIR;
    for (int32_t c = source.nodes[id].firstChild; c >= 0; c = source.nodes[c].next) {
        const MemoryNode& child = source.nodes[c];
        EntryKind kind = child.folder ? kEntryFolder : kEntryFile;
        if (source.addEntry != nullptr)
            source.addEntry(source.context, child.name, kind, out);
        else
            out.Add(child.name, {}, {}, kind);
        // The scan skips folders whose raw name is "." or ".." (a folder's links to itself and its
        // parent). A listed ".." is a name like any other: its raw name, which only composes the paths
        // read below it, becomes "../".
        if (child.folder && child.name == "..") {
            EntryList::Entry& e = out.entries.back();
            e.raw = uint32_t(out.bytes.size());
            e.rawLen = 3;
            out.bytes.insert(out.bytes.end(), {'.', '.', '/'});
        }
    }
    return 0;
}

// Nothing here can be unreadable: a path the source does not hold is a caller's mistake, and the
// scan never asks for one.
void ReportUnreadable(void*, const std::string&, int) {}

}  // namespace

void InitMemorySource(MemorySource& source, size_t expected) {
    source.nodes.clear();
    source.nodes.reserve(expected + 1);
    size_t slots = 1024;
    while (slots < expected * 2) slots *= 2;
    source.slots.assign(slots, 0);
    MemoryNode root;
    root.folder = true;
    source.nodes.push_back(root);
    source.lastPath = {};
    source.lastNodes.clear();
    source.lastRead.clear();
    source.readNodes.clear();
}

int32_t AddMemoryPath(MemorySource& source, std::string_view path, bool folder, int32_t line) {
    // Components shared with the last path added (whole components) keep their nodes.
    size_t common = 0;
    size_t limit = std::min(path.size(), source.lastPath.size());
    while (common < limit && path[common] == source.lastPath[common]) ++common;
    std::vector<int32_t>& nodes = source.lastNodes;
    std::string_view last = source.lastPath;
    int32_t parent = 0;
    size_t start = 0, k = 0;
    auto step = [&](size_t begin, size_t end) {
        bool reuse = k < nodes.size() && end <= common && (end == last.size() || last[end] == '/');
        int32_t id = reuse ? nodes[k] : FindOrAdd(source, parent, path.substr(begin, end - begin));
        if (!reuse) {
            nodes.resize(k);
            nodes.push_back(id);
        }
        ++k;
        parent = id;
    };
    if (!path.empty() && path[0] == '/') {
        step(0, 1);
        start = 1;
    }
    while (start < path.size()) {
        size_t end = path.find('/', start);
        if (end == std::string_view::npos) end = path.size();
        step(start, end);
        start = end + 1;
    }
    nodes.resize(k);
    source.lastPath = path;
    if (parent == 0) return 0;
    MemoryNode& node = source.nodes[parent];
    if (folder) node.folder = true;
    if (node.line != 0) return node.line;
    node.line = line;
    return 0;
}

FolderSource MemorySourceSeam(MemorySource& source) {
    return FolderSource{&source, '/', SeparatorsAfter, ReadFolder, ReportUnreadable};
}
