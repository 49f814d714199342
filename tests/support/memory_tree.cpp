// The in-memory folder tree of the tests and its seam functions.
#include "support/memory_tree.h"

#include <cctype>
#include <stdexcept>

namespace {

int SeparatorsAfter(std::string_view parent) { return parent.size() == 3 ? 0 : 1; }

int ReadFolder(void* context, const std::string& path, EntryList& out) {
    auto& tree = *static_cast<MemoryTree*>(context);
    ++tree.reads;
    auto it = tree.folders.find(path);
    if (it == tree.folders.end()) return 2;  // ENOENT
    if (it->second.unreadable) return 13;    // EACCES
    out.Add(".", {}, {}, kEntryFolder);
    out.Add("..", {}, {}, kEntryFolder);
    for (const auto& e : it->second.entries) out.Add(e.name, {}, {}, e.kind);
    return 0;
}

void ReportUnreadable(void* context, const std::string& path, int error) {
    auto& tree = *static_cast<MemoryTree*>(context);
    tree.reported.push_back(path);
    tree.reportedErrors.push_back(error);
}

int Lower(unsigned char c) { return std::tolower(c); }

}  // namespace

std::string MemoryTree::Join(const std::string& parent, std::string_view name) const {
    std::string child = parent;
    if (SeparatorsAfter(parent)) child += '\\';
    child += name;
    return child;
}

std::string MemoryTree::Add(const std::string& path, std::string_view name, EntryKind kind) {
    folders[path].entries.push_back({std::string(name), kind});
    std::string child = Join(path, name);
    if (kind == kEntryFolder) folders[child];
    return child;
}

MemoryTree MemoryTree::Parse(std::string root, std::string_view outline) {
    MemoryTree tree;
    tree.root = root;
    tree.folders[root];
    std::vector<std::string> stack{root};  // stack[level] = path of the folder that level's entries go in
    size_t pos = 0;
    while (pos < outline.size()) {
        size_t end = outline.find('\n', pos);
        if (end == std::string_view::npos) end = outline.size();
        std::string_view line = outline.substr(pos, end - pos);
        pos = end + 1;
        if (line.find_first_not_of(' ') == std::string_view::npos) continue;
        size_t indent = line.find_first_not_of(' ');
        if (indent % 2 != 0 || indent / 2 >= stack.size()) throw std::invalid_argument("bad outline indent");
        stack.resize(indent / 2 + 1);
        line.remove_prefix(indent);
        EntryKind kind = kEntryFile;
        bool unreadable = false;
        if (line.ends_with("/!")) {
            kind = kEntryFolder, unreadable = true, line.remove_suffix(2);
        } else if (line.ends_with("/@")) {
            kind = kEntryFolderLink, line.remove_suffix(2);
        } else if (line.ends_with('/')) {
            kind = kEntryFolder, line.remove_suffix(1);
        }
        std::string child = tree.Add(stack.back(), line, kind);
        if (unreadable) tree.folders[child].unreadable = true;
        if (kind == kEntryFolder) stack.push_back(child);
    }
    return tree;
}

FolderSource MemoryFolderSource(MemoryTree& tree) {
    return FolderSource{&tree, '\\', SeparatorsAfter, ReadFolder, ReportUnreadable};
}

int TestCompareFolders(std::string_view a, std::string_view b) {
    size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        int d = Lower(a[i]) - Lower(b[i]);
        if (d != 0) return d;
    }
    return a.size() < b.size() ? -1 : a.size() > b.size() ? 1 : 0;
}

int TestCompareFiles(std::string_view a, std::string_view b) {
    if (int d = TestCompareFolders(a, b)) return d;
    for (size_t i = 0; i < a.size(); ++i) {
        unsigned char x = a[i], y = b[i];
        if (x == y) continue;
        if (std::islower(x) && std::isupper(y)) return -1;
        if (std::isupper(x) && std::islower(y)) return 1;
        return x < y ? -1 : 1;
    }
    return 0;
}

NameOrder TestNameOrder() { return NameOrder{TestCompareFolders, TestCompareFiles, false}; }

int BuildListing(ListingTables& tables, MemoryTree& tree, const ListOptions& options) {
    ResetListing(tables, tree.root);
    int32_t folderLast = 0, depth = 1;
    FolderSource source = MemoryFolderSource(tree);
    ScanResult result = ScanFolder(tables, source, tree.root, folderLast, depth, options);
    if (result == kScanAbort) return result;
    BuildFolderStructure(tables, folderLast, TestNameOrder());
    if (!OrderFiles(tables, TestNameOrder())) return 3;
    return result;
}

std::string Sjis(std::string_view readable) {
    static const struct { std::string_view from, to; } kMap[] = {
        {"\xE2\x94\x82", "\x84\xA0"}, {"\xE2\x94\x9C", "\x84\xA5"}, {"\xE2\x94\x94", "\x84\xA4"},
        {"\xE2\x80\xA6", "\x81\x63"}, {"\n", "\r\n"}};
    std::string out;
    for (size_t i = 0; i < readable.size();) {
        bool mapped = false;
        for (const auto& m : kMap) {
            if (readable.substr(i).starts_with(m.from)) {
                out += m.to, i += m.from.size(), mapped = true;
                break;
            }
        }
        if (!mapped) out += readable[i++];
    }
    return out;
}
