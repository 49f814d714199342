// The in-memory folder tree behind the seam: a node per entry, children in the order first added, and
// one hash table from path to node that serves both building the tree and the scan's reads.
#include "platform/source_memory.h"

#include <algorithm>
#include <cerrno>

namespace {

int32_t FindOrAdd(MemorySource& source, int32_t parent, std::string_view path, uint32_t nameStart) {
    auto [it, added] = source.byPath.try_emplace(path, int32_t(source.nodes.size()));
    if (!added) return it->second;
    MemoryNode node;
    node.path = path;
    node.nameStart = nameStart;
    source.nodes.push_back(node);
    int32_t id = it->second;
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
    int32_t id = 0;
    if (!path.empty()) {
        std::string_view key = path;
        if (key.size() > 1 && key.back() == '/') key.remove_suffix(1);  // "a/../" stands for "a/.."
        auto found = source.byPath.find(key);
        if (found == source.byPath.end()) return ENOENT;
        id = found->second;
    }
    if (!source.nodes[id].folder) return ENOTDIR;
    for (int32_t c = source.nodes[id].firstChild; c >= 0; c = source.nodes[c].next) {
        const MemoryNode& child = source.nodes[c];
        EntryKind kind = child.folder ? kEntryFolder : kEntryFile;
        if (source.addEntry != nullptr)
            source.addEntry(source.context, child.Name(), kind, out);
        else
            out.Add(child.Name(), {}, {}, kind);
        // The scan skips folders whose raw name is "." or ".." (a folder's links to itself and its
        // parent). A listed ".." is a name like any other: its raw name, which only composes the paths
        // read below it, becomes "../", and the read of such a path drops the trailing '/'.
        if (child.folder && child.Name() == "..") {
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
    source.byPath.clear();
    source.nodes.reserve(expected + 1);
    source.byPath.reserve(expected);
    MemoryNode root;
    root.folder = true;
    source.nodes.push_back(root);
    source.lastPath = {};
    source.lastNodes.clear();
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
    auto step = [&](size_t end, uint32_t nameStart) {
        bool reuse = k < nodes.size() && end <= common && (end == last.size() || last[end] == '/');
        int32_t id = reuse ? nodes[k] : FindOrAdd(source, parent, path.substr(0, end), nameStart);
        if (!reuse) {
            nodes.resize(k);
            nodes.push_back(id);
        }
        ++k;
        parent = id;
    };
    if (!path.empty() && path[0] == '/') {
        step(1, 0);
        start = 1;
    }
    while (start < path.size()) {
        size_t end = path.find('/', start);
        if (end == std::string_view::npos) end = path.size();
        step(end, uint32_t(start));
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
