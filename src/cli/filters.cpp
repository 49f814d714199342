// Name patterns over each folder's entries and the pruning of folders left without files.
#include "cli/filters.h"

#include "platform/patterns.h"

bool MatchesPattern(std::string_view pattern, std::string_view name, bool ignoreCase) {
    std::string subject(name);
    std::string alternative;
    size_t start = 0;
    while (start <= pattern.size()) {
        size_t bar = pattern.find('|', start);
        if (bar == std::string_view::npos) bar = pattern.size();
        alternative.assign(pattern.substr(start, bar - start));
        if (!alternative.empty() && MatchShellPattern(alternative, subject, ignoreCase)) return true;
        start = bar + 1;
    }
    return false;
}

bool MatchesAny(const std::vector<std::string>& patterns, std::string_view name, bool ignoreCase) {
    for (const std::string& p : patterns)
        if (MatchesPattern(p, name, ignoreCase)) return true;
    return false;
}

namespace {

// --matchdirs: true when a folder on the way from the filter's root to `path` (itself included, the root
// not) has a name -P matches.
bool InMatchedFolder(const EntryFilter& filter, const std::string& path) {
    if (!filter.matchDirs || !path.starts_with(filter.root)) return false;
    std::string_view rest = std::string_view(path).substr(filter.root.size());
    while (!rest.empty()) {
        size_t slash = rest.find('/');
        std::string_view part = rest.substr(0, slash);
        if (!part.empty() && MatchesAny(filter.include, part, filter.ignoreCase)) return true;
        rest = slash == std::string_view::npos ? std::string_view() : rest.substr(slash + 1);
    }
    return false;
}

}  // namespace

void FilterEntries(EntryFilter& filter, const std::string& path, EntryList& list, size_t first) {
    if (filter.exclude.empty() && filter.include.empty()) return;
    bool includeAll = filter.include.empty() || InMatchedFolder(filter, path);
    size_t kept = first;
    for (size_t i = first; i < list.entries.size(); ++i) {
        const EntryList::Entry& e = list.entries[i];
        std::string_view raw = list.Raw(e);
        bool folder = e.kind == kEntryFolder || e.kind == kEntryFolderLink;
        bool drop = false;
        if (raw != "." && raw != "..") {
            drop = MatchesAny(filter.exclude, raw, filter.ignoreCase) ||
                   (!folder && !includeAll && !MatchesAny(filter.include, raw, filter.ignoreCase));
        }
        if (drop) {
            ++filter.leftOut;
            continue;
        }
        list.entries[kept++] = e;
    }
    list.entries.resize(kept);
}

int64_t PruneEmptyFolders(ListingTables& tables, int32_t& folderLast,
                          bool (*keepAnyway)(void* context, const FolderEntry& folder), void* context) {
    auto& folders = tables.folders;
    int32_t rows = folderLast + 1;
    // Backwards through the pre-order rows: a folder is kept when it has files or a kept folder below
    // it. childKept[d] gathers the rows at depth d met since the last row above that depth.
    std::vector<char> keep(rows, 1);
    std::vector<char> childKept;
    for (int32_t r = rows - 1; r >= 1; --r) {
        size_t d = size_t(folders[r].depth);
        if (childKept.size() < d + 2) childKept.resize(d + 2, 0);
        keep[r] = folders[r].fileCount > 0 || childKept[d + 1] ||
                  (keepAnyway != nullptr && keepAnyway(context, folders[r]));
        childKept[d + 1] = 0;
        childKept[d] = childKept[d] || keep[r];
    }
    std::vector<int32_t> newId(rows, 0);
    int32_t next = 0;
    for (int32_t r = 0; r < rows; ++r) {
        if (!keep[r]) continue;
        newId[r] = next;
        folders[next] = folders[r];
        folders[next].id = next;
        ++next;
    }
    folders.resize(next);
    for (FileEntry& f : tables.files) f.folderId = newId[f.folderId];
    int64_t removed = rows - next;
    folderLast = next - 1;
    return removed;
}

namespace {

std::string Count(int64_t n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

}  // namespace

std::string SummaryLine(const ListingCounts& counts) {
    std::string line = Count(counts.folders, "folder", "folders") + ", " + Count(counts.files, "file", "files");
    std::string out;
    auto add = [&out](const std::string& part) { out += (out.empty() ? "; left out: " : ", ") + part; };
    if (counts.byPatterns > 0) add(std::to_string(counts.byPatterns) + " by patterns");
    if (counts.pruned > 0) add(Count(counts.pruned, "empty folder", "empty folders"));
    if (counts.overLimit > 0)
        add(Count(counts.overLimitEntries, "entry", "entries") + " in " +
            Count(counts.overLimit, "folder", "folders") + " over --filelimit");
    return line + out;
}
