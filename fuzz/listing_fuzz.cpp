// Fuzz target: the listing engine and renderers over in-memory trees, options and limits read from the
// input. Under small fixed limits production must match the literal reference on every field and byte;
// without limits the tables and text must keep their invariants. ASan watches every buffer.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "reference/reference_engine.h"
#include "reference/reference_render.h"
#include "render/render.h"
#include "support/memory_tree.h"

namespace {

// ---- Reading a case from the input.

constexpr int kMaxEntries = 64;   // entries in the whole tree
constexpr int kMaxLevels = 8;     // levels of the random part
constexpr int kMaxChain = 270;    // an extra chain of folders, deeper than the 255 levels of the tree view

// A name as a folder could deliver it: never empty and without NUL bytes (a file system has neither);
// folder names also without the separator, so a child's path never names another folder. Mostly short,
// sometimes around the 17-byte limit or as long as a name can be.
std::string ReadName(FuzzedDataProvider& in, bool folder) {
    size_t length = in.ConsumeIntegralInRange<size_t>(1, 24);
    if (length == 24) length = in.ConsumeIntegralInRange<size_t>(15, 255);
    std::string name = in.ConsumeBytesAsString(length);
    for (char& c : name) {
        if (c == '\0') c = 'n';
        if (folder && c == '\\') c = '/';
    }
    if (name.empty()) name = folder ? "d" : "f";
    return name;
}

// Adds folder `name` to the folder at `path` unless it already holds an entry of that name: a folder of
// the in-memory tree listed twice would be read twice, and trees would grow exponentially with depth
// (no file system can hold two entries of one name). Returns the child's path, or "" when refused.
std::string AddFolder(MemoryTree& tree, const std::string& path, const std::string& name, EntryKind kind) {
    for (const MemoryTree::Entry& e : tree.folders[path].entries)
        if (e.name == name) return "";
    return tree.Add(path, name, kind);
}

void Fill(FuzzedDataProvider& in, MemoryTree& tree, const std::string& path, int level, int& budget) {
    int count = in.ConsumeIntegralInRange(0, level == 0 ? 8 : 5);
    for (int k = 0; k < count && budget > 0 && in.remaining_bytes() > 0; ++k, --budget) {
        uint8_t kind = in.ConsumeIntegral<uint8_t>();
        switch (kind % 8) {
            case 4: tree.Add(path, ReadName(in, false), kEntryLink); break;
            case 5: AddFolder(tree, path, ReadName(in, true), kEntryFolderLink); break;
            case 6:
            case 7: {
                std::string child = AddFolder(tree, path, ReadName(in, true), kEntryFolder);
                if (child.empty()) break;
                if (kind & 0x80) {
                    tree.folders[child].unreadable = true;
                } else if (level < kMaxLevels) {
                    Fill(in, tree, child, level + 1, budget);
                }
                break;
            }
            default: tree.Add(path, ReadName(in, false), kEntryFile); break;
        }
    }
}

struct Case {
    MemoryTree tree;
    bool renamed;             // read through ReadRenamed
    ListOptions options;
    ListLimits limits;
    bool fixed;               // small fixed limits, held to the reference; else no limits at all
    int32_t textCapacity;     // a small text buffer to render into as well
    int32_t textLimit;
    uint8_t boundaryPick;     // which block end to put a text limit at
};

Case ReadCase(FuzzedDataProvider& in) {
    Case c;
    uint8_t flags = in.ConsumeIntegral<uint8_t>();
    c.fixed = (flags & 0x80) == 0;
    c.options.subfolders = flags & 1;
    c.options.folderNames = flags & 2;
    c.options.fileNames = flags & 4;
    c.options.treeView = flags & 8;
    c.options.nameLimit = flags & 16;
    static const int32_t kDepths[] = {2, 3, 4, 5, 6, kUnlimitedDepth, 1, INT32_MAX};
    c.options.maxDepth = kDepths[in.ConsumeIntegralInRange(0, c.fixed ? 5 : 7)];
    const bool chain = (flags & 0x60) == 0x60;  // one input in four: deep text is slow to render

    static const char* const kRoots[] = {"C:\\R", "D:\\", "C:\\Documents and Settings\\x", "\x95\x5C"};
    uint8_t root = in.ConsumeIntegral<uint8_t>();
    c.tree.root = root < 200 ? kRoots[root % 4] : ReadName(in, true);
    c.tree.folders[c.tree.root];

    c.limits = kDefinedLimits;
    c.limits.folderRows = in.ConsumeIntegralInRange(2, chain ? 320 : 40);
    c.limits.fileRows = in.ConsumeIntegralInRange(2, 40);
    // Mostly fewer files accepted than the table holds, as defined; sometimes as many, so that only the
    // full table refuses.
    c.limits.filesAccepted = in.ConsumeIntegralInRange(1, c.limits.fileRows);
    c.renamed = in.ConsumeBool();
    c.limits.pathLimit = in.ConsumeBool() ? kDefinedLimits.pathLimit : in.ConsumeIntegralInRange(0, 300);
    c.textCapacity = in.ConsumeIntegralInRange(2, 8192);
    c.textLimit = in.ConsumeIntegralInRange(1, c.textCapacity + 64);
    c.boundaryPick = in.ConsumeIntegral<uint8_t>();

    int budget = kMaxEntries;
    Fill(in, c.tree, c.tree.root, 0, budget);
    if (chain) {
        std::string path = c.tree.root;
        int length = in.ConsumeIntegralInRange(0, kMaxChain);
        for (int level = 0; level < length; ++level) {
            if (in.ConsumeBool()) c.tree.Add(path, "f", kEntryFile);
            std::string next = AddFolder(c.tree, path, level % 2 ? "b" : "A", kEntryFolder);
            if (next.empty()) break;
            path = next;
        }
        c.tree.Add(path, "end", kEntryFile);
    }
    return c;
}

// A seam that shows other names than it opens and orders by keys other than either, as the command line's
// sjis modes do (CP932 names, ICU keys): shown "~" and the name, key the name's bytes reversed.
int ReadRenamed(void* context, const std::string& path, EntryList& out) {
    EntryList read;
    if (int error = MemoryFolderSource(*static_cast<MemoryTree*>(context)).readFolder(context, path, read)) return error;
    for (const EntryList::Entry& e : read.entries) {
        const std::string_view raw = read.Raw(e);
        if (raw == "." || raw == "..") {
            out.Add(raw, {}, {}, e.kind);
        } else {
            out.Add(raw, "~" + std::string(raw), std::string(raw.rbegin(), raw.rend()), e.kind);
        }
    }
    return 0;
}

FolderSource SourceFor(const Case& c, MemoryTree& tree) {
    FolderSource source = MemoryFolderSource(tree);
    if (c.renamed) source.readFolder = ReadRenamed;
    return source;
}

// ---- Failing: the case and what differs, then abort so that libFuzzer keeps the input.

[[noreturn]] void Fail(const Case& c, const std::string& what) {
    std::fprintf(stderr,
                 "listing_fuzz: %s\n  %s limits: folderRows %d fileRows %d filesAccepted %d pathLimit %d%s\n"
                 "  options: subfolders %d folderNames %d fileNames %d treeView %d nameLimit %d maxDepth %d\n",
                 what.c_str(), c.fixed ? "fixed" : "no", c.limits.folderRows, c.limits.fileRows,
                 c.limits.filesAccepted, c.limits.pathLimit, c.renamed ? " (names shown as ~name)" : "", c.options.subfolders, c.options.folderNames,
                 c.options.fileNames, c.options.treeView, c.options.nameLimit, c.options.maxDepth);
    std::abort();
}

// The message is put together only on failure: checks run by the thousand per input.
void Expect(const Case& c, bool ok, const char* what, int32_t row = -1, const char* when = "") {
    if (ok) return;
    Fail(c, std::string(what) + (row >= 0 ? " [" + std::to_string(row) + "]" : "") + when);
}

// ---- Fixed limits: production against the reference.

void CompareFolders(const Case& c, const reference::ListingTables& ref, const ListingTables& prod, int32_t folderLast,
                    bool structure) {
    Expect(c, int32_t(prod.folders.size()) > folderLast, "folder rows held");
    for (int32_t r = 0; r <= folderLast; ++r) {
        const reference::FolderEntry& e = ref.folders[r];
        const FolderEntry& p = prod.folders[r];
        Expect(c, e.id == p.id, "folder id", r);
        Expect(c, std::string_view(e.name) == prod.Name(p), "folder name", r);
        if (r != 0) Expect(c, std::string_view(e.key) == prod.Key(p), "folder key", r);
        Expect(c, int32_t(e.depth) == p.depth, "folder depth", r);
        Expect(c, e.fileCount == p.fileCount, "folder fileCount", r);
        if (!structure) continue;
        Expect(c, e.subtreeSize == p.subtreeSize, "folder subtreeSize", r);
        if (r == 0) continue;  // the root's parent and last-sibling flag carry no meaning
        Expect(c, e.parentId == p.parentId, "folder parentId", r);
        Expect(c, e.isLastSibling == p.isLastSibling, "folder isLastSibling", r);
    }
}

void CompareFiles(const Case& c, const reference::ListingTables& ref, const ListingTables& prod) {
    for (int32_t j = 0; j < ref.limits.fileRows; ++j) {
        const FileEntry& p = prod.FileRow(j);
        Expect(c, ref.files[j].folderId == p.folderId, "file folderId", j);
        Expect(c, std::string_view(ref.files[j].name) == prod.Name(p), "file name", j);
        Expect(c, std::string_view(ref.files[j].key) == prod.Key(p), "file key", j);
    }
}

void CountMessage(void* context) { ++*static_cast<int*>(context); }

// Renders both sides into buffers of `capacity` bytes with text limit `limit` and compares everything;
// returns the text lengths at which the reference checked the limit.
std::vector<int32_t> CompareRendering(const Case& c, reference::ListingTables& ref, ListingTables& prod,
                                      int32_t capacity, int32_t limit) {
    std::fill(std::begin(ref.levelFlags), std::end(ref.levelFlags), 0);
    ref.levelFlags[0] = 1;
    std::fill(prod.levelFlags.begin(), prod.levelFlags.end(), 0);
    prod.levelFlags[0] = 1;

    reference::TextBuffer expected;
    reference::InitTextBuffer(expected, capacity, limit);
    int expectedResult = c.options.treeView ? reference::RenderTree(expected, ref, 0, c.options)
                                            : reference::RenderIndented(expected, ref, 0);
    ListLimits limits = prod.limits;
    limits.textCapacity = capacity;
    limits.textLimit = limit;
    TextBuffer got;
    InitTextBuffer(got, limits);
    int shown = 0;
    got.context = &shown;
    got.reportTooMuchText = CountMessage;
    int gotResult = c.options.treeView ? RenderTree(got, prod, 0, c.options, kWindowsStyle)
                                       : RenderIndented(got, prod, 0, kWindowsStyle);

    char when[64];
    std::snprintf(when, sizeof when, " (capacity %d, limit %d)", capacity, limit);
    Expect(c, expectedResult == gotResult, "render result", -1, when);
    Expect(c, expected.tooMuchTextShown == shown, "too-much-data messages", -1, when);
    Expect(c, expected.full == got.full, "buffer full", -1, when);
    Expect(c, expected.Text() == got.text, "text", -1, when);
    Expect(c, got.text.size() <= size_t(capacity - 1), "text within capacity", -1, when);
    for (int col = 0; col < kLevelFlagCount; ++col)
        Expect(c, ref.levelFlags[col] == prod.levelFlags[col], "levelFlags", col, when);
    return expected.checkedLengths;
}

void RunFixed(const Case& c) {
    const NameOrder order = TestNameOrder();
    MemoryTree refTree = c.tree, prodTree = c.tree;
    reference::ListingTables ref;
    reference::InitListing(ref, c.limits);
    reference::ResetListing(ref, c.tree.root);
    ListingTables prod;
    InitListing(prod, c.limits);
    ResetListing(prod, c.tree.root);

    int32_t refLast = 0, refDepth = 1, prodLast = 0, prodDepth = 1;
    ScanResult refScan = reference::ScanFolder(ref, SourceFor(c, refTree), refTree.root, refLast, refDepth, c.options);
    ScanResult prodScan = ScanFolder(prod, SourceFor(c, prodTree), prodTree.root, prodLast, prodDepth, c.options);
    Expect(c, refScan == prodScan, "scan result");
    Expect(c, refLast == prodLast, "folderLast after the scan");
    if (refScan != kScanAbort) Expect(c, refDepth == prodDepth, "depth after the scan");
    Expect(c, refTree.reads == prodTree.reads, "folders read");
    Expect(c, refTree.reported == prodTree.reported && refTree.reportedErrors == prodTree.reportedErrors,
           "folders reported unreadable");
    CompareFolders(c, ref, prod, refLast, false);
    CompareFiles(c, ref, prod);
    if (refScan == kScanAbort) return;

    reference::BuildFolderStructure(ref, refLast, order);
    BuildFolderStructure(prod, prodLast, order);
    CompareFolders(c, ref, prod, refLast, true);

    bool refOrdered = reference::OrderFiles(ref, order);
    bool prodOrdered = OrderFiles(prod, order);
    Expect(c, refOrdered == prodOrdered, "OrderFiles result");
    CompareFiles(c, ref, prod);
    if (!refOrdered) return;
    Expect(c, ref.fileTotal == prod.fileTotal, "fileTotal");

    // A buffer just large enough for the whole text (its length taken from an unbounded rendering, so no
    // 64 KB buffer is filled per input), a small one drawn from the input, and a limit exactly at a block
    // end and one byte before it.
    TextBuffer unbounded;
    InitTextBuffer(unbounded, kNoLimits);
    c.options.treeView ? RenderTree(unbounded, prod, 0, c.options, kWindowsStyle)
                       : RenderIndented(unbounded, prod, 0, kWindowsStyle);
    const int32_t length = int32_t(std::min<size_t>(unbounded.text.size(), kDefinedLimits.textLimit));
    std::vector<int32_t> checked = CompareRendering(c, ref, prod, length + 1 + c.boundaryPick % 3, std::max(length, 1));
    CompareRendering(c, ref, prod, c.textCapacity, c.textLimit);
    if (!checked.empty()) {
        int32_t at = checked[c.boundaryPick % checked.size()];
        if (at >= 1) CompareRendering(c, ref, prod, at + 1 + c.boundaryPick % 4, at);
        if (at >= 2) CompareRendering(c, ref, prod, length + 1, at - 1);
    }
}

// ---- No limits: what must hold of any listing.

void CheckStructure(const Case& c, const ListingTables& t, int32_t folderLast, const NameOrder& order) {
    std::vector<int32_t> fileCounts(folderLast + 1, 0), rowOfId(folderLast + 1, -1), end(folderLast + 1, folderLast + 1);
    // Pre-order with a stack of the rows still open: a row's subtree ends at the first later row that is
    // not deeper, and its parent is the open row one level up.
    std::vector<int32_t> open;
    for (int32_t r = 0; r <= folderLast; ++r) {
        const FolderEntry& f = t.folders[r];
        Expect(c, f.id >= 0 && f.id <= folderLast && rowOfId[f.id] == -1, "ids are a permutation", r);
        rowOfId[f.id] = r;
        while (!open.empty() && t.folders[open.back()].depth >= f.depth) {
            end[open.back()] = r;
            open.pop_back();
        }
        if (r > 0) {
            Expect(c, !open.empty() && f.depth == t.folders[open.back()].depth + 1, "one level below the parent", r);
            Expect(c, f.parentId == t.folders[open.back()].id, "parentId", r);
        }
        open.push_back(r);
    }
    for (int32_t r = 0; r <= folderLast; ++r) {
        const FolderEntry& f = t.folders[r];
        Expect(c, f.subtreeSize == end[r] - r, "subtreeSize", r);
        if (r == 0) continue;
        int32_t next = end[r];
        bool sibling = next <= folderLast && t.folders[next].depth == f.depth;
        Expect(c, f.isLastSibling == (sibling ? 0 : 1), "isLastSibling", r);
        if (sibling) Expect(c, order.folders(t.Key(f), t.Key(t.folders[next])) <= 0, "siblings in name order", r);
    }
    Expect(c, t.fileTotal == int32_t(t.files.size()), "fileTotal counts the files");
    for (size_t j = 0; j < t.files.size(); ++j) {
        const FileEntry& f = t.files[j];
        Expect(c, f.folderId >= 0 && f.folderId <= folderLast, "file folderId", int32_t(j));
        ++fileCounts[f.folderId];
        if (j == 0) continue;
        const FileEntry& before = t.files[j - 1];
        Expect(c, before.folderId <= f.folderId, "files grouped by folder", int32_t(j));
        if (before.folderId == f.folderId)
            Expect(c, order.files(t.Key(before), t.Key(f)) <= 0, "files in name order", int32_t(j));
    }
    for (int32_t r = 0; r <= folderLast; ++r)
        Expect(c, t.folders[r].fileCount == fileCounts[t.folders[r].id], "fileCount", r);
}

void Collect(void* context, std::string_view bytes) { static_cast<std::string*>(context)->append(bytes); }

// Renders with an escaping writer (and, with `streamed`, also handing the text on in blocks): the same
// text both ways, one line per folder and file (a name can never add a line), never abandoned.
void CheckRendering(const Case& c, ListingTables& t, int32_t folderLast, const TextStyle& style, bool streamed) {
    std::string texts[2];
    for (int pass = 0; pass < (streamed ? 2 : 1); ++pass) {
        std::fill(t.levelFlags.begin(), t.levelFlags.end(), 0);
        t.levelFlags[0] = 1;
        TextBuffer buffer;
        InitTextBuffer(buffer, kNoLimits);
        if (pass == 1) {
            buffer.context = &texts[1];
            buffer.flush = Collect;
        }
        int result = c.options.treeView ? RenderTree(buffer, t, 0, c.options, style)
                                        : RenderIndented(buffer, t, 0, style);
        Expect(c, result == 1, "rendering without limits is never abandoned");
        Expect(c, !buffer.full, "a growing buffer is never full");
        if (pass == 1) {
            FlushText(buffer);
            Expect(c, texts[0] == texts[1], "streamed text equals the whole text");
        } else {
            texts[0] = buffer.text;
        }
    }
    const char eol = style.pieces->eol.back();
    size_t lines = std::count(texts[0].begin(), texts[0].end(), eol);
    Expect(c, lines == size_t(1 + folderLast) + t.files.size(), "one line per folder and per file");
    Expect(c, !texts[0].empty() && texts[0].back() == eol, "the text ends with a line end");
}

void RunUnlimited(const Case& c) {
    const NameOrder order = TestNameOrder();
    MemoryTree tree = c.tree;
    ListingTables t;
    InitListing(t, kNoLimits);
    ResetListing(t, tree.root);
    int32_t folderLast = 0, depth = 1;
    ScanResult scan = ScanFolder(t, SourceFor(c, tree), tree.root, folderLast, depth, c.options);
    Expect(c, scan != kScanAbort, "no abort without limits");
    Expect(c, depth == 0, "every level entered was left again");
    Expect(c, int32_t(t.folders.size()) == folderLast + 1, "one row per folder");
    BuildFolderStructure(t, folderLast, order);
    Expect(c, OrderFiles(t, order), "any number of files is accepted");
    CheckStructure(c, t, folderLast, order);
    CheckRendering(c, t, folderLast, TextStyle{&kUtf8Pieces, AppendNameUtf8}, true);
    CheckRendering(c, t, folderLast, TextStyle{&kSjisPieces, AppendNameSjisEscaped}, false);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    Case c = ReadCase(in);
    if (c.fixed) {
        RunFixed(c);
    } else {
        RunUnlimited(c);
    }
    return 0;
}
