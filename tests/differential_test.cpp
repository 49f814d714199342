// Randomized differential tests: the production engine and renderers against the literal reference over
// in-memory trees of random shape and delivery order, every option combination, small capacities.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <type_traits>
#include <vector>

#include "reference/reference_engine.h"
#include "reference/reference_render.h"
#include "render/render.h"
#include "support/memory_tree.h"

namespace {

// ---- Drawing trees. Every case has its own seed; std::mt19937 gives the same stream everywhere.

struct Rng {
    std::mt19937 gen;
    explicit Rng(uint32_t seed) : gen(seed) {}
    uint32_t Below(uint32_t n) { return gen() % n; }
    bool Chance(uint32_t percent) { return Below(100) < percent; }
    int32_t Between(int32_t lo, int32_t hi) { return lo + static_cast<int32_t>(Below(hi - lo + 1)); }
};

// Few names, so that ties, case pairs and equal names in different folders come up all the time.
const char* const kFolderNames[] = {"a", "A", "b", "B", "c", "ab", "aB", "Ab", "x", "_x", "Z", "sub", "Sub"};
const char* const kFileNames[] = {"a",      "A",  "b",  "B",  "a.txt", "A.txt", "A.TXT", "b.txt", "B.txt",
                                  "readme", "ab", "aB", "Ab", "z",     "_z",    "1",     "10",    "2"};

// A name around the 17-byte limit: ASCII, half-width kana (one byte) and two-byte Shift_JIS characters
// (trail bytes in the lead range included), so the cut falls before, inside and after a character.
// Folder names avoid the trail byte 0x5C, which would read as a separator in a path.
std::string LongName(Rng& rng, bool folder) {
    static const unsigned char kLeads[] = {0x81, 0x82, 0x83, 0x88, 0x95, 0x9F, 0xE0, 0xEA, 0xFC};
    static const unsigned char kTrails[] = {0x40, 0x5C, 0x7E, 0x80, 0x81, 0x9F, 0xA0, 0xE0, 0xFC};
    const size_t target = static_cast<size_t>(rng.Between(15, 22));
    const uint32_t sjisShare = rng.Below(3) * 40;  // all ASCII, some, or mostly two-byte
    std::string name;
    while (name.size() < target) {
        uint32_t r = rng.Below(100);
        if (r < sjisShare) {
            unsigned char trail = kTrails[rng.Below(std::size(kTrails))];
            if (folder && trail == 0x5C) trail = 0xA0;
            name += static_cast<char>(kLeads[rng.Below(std::size(kLeads))]);
            name += static_cast<char>(trail);
        } else if (r < sjisShare + 10) {
            name += static_cast<char>(0xA6 + rng.Below(0xDF - 0xA6 + 1));  // half-width kana
        } else {
            name += static_cast<char>("abcdefghijklmnopqrstuvwxyzABCZ_.-"[rng.Below(33)]);
        }
    }
    return name;
}

std::string DrawName(Rng& rng, bool folder) {
    if (rng.Chance(20)) return LongName(rng, folder);
    if (folder) return kFolderNames[rng.Below(std::size(kFolderNames))];
    return kFileNames[rng.Below(std::size(kFileNames))];
}

struct Shape {
    int maxLevel;  // deepest level of folders drawn below the root
    int entries;   // entries left to draw in the whole tree
};

// Fills the folder at `path` with entries in random delivery order: files and subfolders interleaved,
// links, links to folders and unreadable folders among them. Folder names are unique within a folder
// (case pairs such as "a" and "A" are not); file names may repeat.
void Fill(MemoryTree& tree, Rng& rng, const std::string& path, int level, Shape& shape) {
    const int count = static_cast<int>(rng.Below(level == 0 ? 8 : 6));
    std::set<std::string> folderNames;
    for (int k = 0; k < count && shape.entries > 0; ++k, --shape.entries) {
        const uint32_t r = rng.Below(100);
        if (r < 55) {
            tree.Add(path, DrawName(rng, false), rng.Chance(5) ? kEntryLink : kEntryFile);
            continue;
        }
        std::string name = DrawName(rng, true);
        if (!folderNames.insert(name).second) continue;
        if (r < 92) {
            std::string child = tree.Add(path, name, kEntryFolder);
            if (rng.Chance(6)) {
                tree.folders[child].unreadable = true;
            } else if (level < shape.maxLevel) {
                Fill(tree, rng, child, level + 1, shape);
            }
        } else {
            tree.Add(path, name, kEntryFolderLink);
        }
    }
}

const char* const kRoots[] = {"C:\\R", "D:\\", "C:\\Documents and Settings\\x", "C:\\\x95\x5C\x8E\xA6",
                              "E:\\\x82\xA0\x82\xA2\x82\xA4\x82\xA6\x82\xA8\x82\xA9\x82\xAB\x82\xAD"};

MemoryTree DrawTree(Rng& rng) {
    MemoryTree tree;
    tree.root = kRoots[rng.Below(std::size(kRoots))];
    tree.folders[tree.root];
    Shape shape{rng.Between(1, 8), rng.Between(0, 60)};
    Fill(tree, rng, tree.root, 0, shape);
    return tree;
}

// A seam that shows other names than it opens and orders by keys other than either, as the command
// line's sjis modes do (CP932 names, ICU keys): shown "~" and the name, key the name's bytes reversed.
int ReadRenamed(void* context, const std::string& path, EntryList& out) {
    MemoryTree& tree = *static_cast<MemoryTree*>(context);
    EntryList read;
    if (int error = MemoryFolderSource(tree).readFolder(context, path, read)) return error;
    for (const EntryList::Entry& e : read.entries) {
        const std::string_view raw = read.Raw(e);
        if (raw == "." || raw == "..") {
            out.Add(raw, {}, {}, e.kind);
            continue;
        }
        out.Add(raw, "~" + std::string(raw), std::string(raw.rbegin(), raw.rend()), e.kind);
    }
    return 0;
}

// ---- Showing a case: the tree as an outline MemoryTree::Parse reads, in C string syntax.

std::string Escaped(std::string_view bytes) {
    std::string out;
    for (unsigned char c : bytes) {
        if (c == '\\' || c == '"') {
            out += '\\', out += static_cast<char>(c);
        } else if (c < 0x20 || c >= 0x7F) {
            char octal[8];
            std::snprintf(octal, sizeof octal, "\\%03o", c);
            out += octal;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

void Outline(const MemoryTree& tree, const std::string& path, int level, std::ostringstream& out) {
    auto it = tree.folders.find(path);
    if (it == tree.folders.end()) return;
    for (const MemoryTree::Entry& e : it->second.entries) {
        out << "    \"" << std::string(2 * level, ' ') << Escaped(e.name);
        std::string child = tree.Join(path, e.name);
        auto sub = tree.folders.find(child);
        if (e.kind == kEntryFolder) out << (sub != tree.folders.end() && sub->second.unreadable ? "/!" : "/");
        if (e.kind == kEntryFolderLink) out << "/@";
        out << "\\n\"" << (e.kind == kEntryLink ? "  // a link, listed as a file" : "") << "\n";
        if (e.kind == kEntryFolder) Outline(tree, child, level + 1, out);
    }
}

struct Case {
    int number;
    uint32_t seed;
    MemoryTree tree;
    ListOptions options;
    ListLimits limits;
    int32_t roomy = 1 << 16;  // a text buffer large enough for the whole text
    bool renamed = false;     // read through ReadRenamed
};

FolderSource SourceFor(const Case& c, MemoryTree& tree) {
    FolderSource source = MemoryFolderSource(tree);
    if (c.renamed) source.readFolder = ReadRenamed;
    return source;
}

std::string Describe(const Case& c) {
    const char* test = testing::UnitTest::GetInstance()->current_test_info()->name();
    std::ostringstream out;
    const ListOptions& o = c.options;
    const ListLimits& l = c.limits;
    out << "case " << c.number << " (seed " << c.seed
        << "; rerun alone with ARBOLIN_DIFFERENTIAL_CASE=" << c.number << " --gtest_filter=Differential."
        << test << ")\n  options: subfolders " << o.subfolders << ", folderNames " << o.folderNames
        << ", fileNames " << o.fileNames << ", treeView " << o.treeView << ", nameLimit " << o.nameLimit
        << ", maxDepth " << o.maxDepth << "\n  limits: folderRows " << l.folderRows << ", fileRows "
        << l.fileRows << ", filesAccepted " << l.filesAccepted << ", pathLimit " << l.pathLimit
        << (c.renamed ? "\n  names shown as \"~\" and the name, keys the names reversed" : "")
        << "\n  tree: root \"" << Escaped(c.tree.root) << "\"\n";
    std::ostringstream outline;
    Outline(c.tree, c.tree.root, 0, outline);
    out << outline.str();
    return out.str();
}

// ---- Comparing: every difference becomes one line "what: reference X, production Y".

struct Differences {
    std::ostringstream out;
    int count = 0;

    template <class A, class B>
    void Check(const std::string& what, const A& expected, const B& got) {
        if (expected == got) return;
        if (++count <= 24)
            out << "    " << what << ": reference " << Show(expected) << ", production " << Show(got) << "\n";
    }
    template <class T>
    static std::string Show(const T& value) {
        if constexpr (std::is_convertible_v<T, std::string_view>) {
            return "\"" + Escaped(std::string_view(value)) + "\"";
        } else if constexpr (std::is_same_v<T, std::vector<std::string>> ||
                             std::is_same_v<T, std::vector<int>>) {
            std::string s = "{";
            for (const auto& v : value) s += (s.size() > 1 ? ", " : "") + Show(v);
            return s + "}";
        } else {
            return std::to_string(value);
        }
    }
};

// Lines of a listing as they read: the pieces " │", " ├", " └", " …" as glyphs, CR LF as the line end,
// other bytes past ASCII (Shift_JIS names) in octal.
std::string Readable(std::string_view line) {
    static const struct {
        std::string_view bytes, glyph;
    } kPieces[] = {{" \x84\xA0", " \u2502"},
                   {" \x84\xA5", " \u251C"},
                   {" \x84\xA4", " \u2514"},
                   {" \x81\x63", " \u2026"}};
    std::string out;
    for (size_t i = 0; i < line.size();) {
        bool piece = false;
        for (const auto& p : kPieces) {
            if (line.substr(i).starts_with(p.bytes)) {
                out += p.glyph, i += p.bytes.size(), piece = true;
                break;
            }
        }
        if (!piece) out += Escaped(line.substr(i++, 1));
    }
    return out;
}

// Where the line holding byte `at` starts (lines end in CR LF).
size_t LineStart(std::string_view text, size_t at) {
    if (at == 0) return 0;
    const size_t lf = text.rfind('\n', at - 1);
    return lf == std::string_view::npos ? 0 : lf + 1;
}

// Both texts from two lines before the first line that differs, six lines each.
std::string TextAround(std::string_view expected, std::string_view got) {
    size_t at = 0;
    while (at < expected.size() && at < got.size() && expected[at] == got[at]) ++at;
    size_t start = LineStart(expected, at);
    for (int back = 0; back < 2 && start > 0; ++back) start = LineStart(expected, start - 1);
    std::string out;
    for (const auto& [label, text] : {std::pair{"reference ", expected}, std::pair{"production", got}}) {
        size_t pos = start;
        for (int n = 0; n < 6 && pos < text.size(); ++n) {
            size_t end = text.find("\r\n", pos);
            const bool ended = end != std::string_view::npos;
            if (!ended) end = text.size();
            out += std::string("      ") + label + " |" + Readable(text.substr(pos, end - pos)) +
                   (ended ? "\n" : "   (no line end)\n");
            pos = ended ? end + 2 : end;
        }
        if (pos >= text.size()) out += std::string("      ") + label + " (end of text)\n";
    }
    return out;
}

std::string At(const char* what, int32_t row) { return std::string(what) + " [" + std::to_string(row) + "]"; }

void CompareFolderRows(Differences& d, const reference::ListingTables& ref, const ListingTables& prod,
                       int32_t folderLast, bool structure) {
    if (static_cast<int32_t>(prod.folders.size()) <= folderLast) {
        d.Check("folder rows held", folderLast + 1, static_cast<int32_t>(prod.folders.size()));
        return;
    }
    for (int32_t r = 0; r <= folderLast; ++r) {
        const reference::FolderEntry& e = ref.folders[r];
        const FolderEntry& p = prod.folders[r];
        d.Check(At("folder id", r), e.id, p.id);
        d.Check(At("folder name", r), std::string_view(e.name), prod.Name(p));
        if (r != 0) d.Check(At("folder key", r), std::string_view(e.key), prod.Key(p));
        d.Check(At("folder depth", r), static_cast<int32_t>(e.depth), p.depth);
        d.Check(At("folder fileCount", r), e.fileCount, p.fileCount);
        if (!structure) continue;
        d.Check(At("folder subtreeSize", r), e.subtreeSize, p.subtreeSize);
        if (r != 0) {  // the root's parent and last-sibling flag carry no meaning
            d.Check(At("folder parentId", r), e.parentId, p.parentId);
            d.Check(At("folder isLastSibling", r), e.isLastSibling, p.isLastSibling);
        }
    }
}

void CompareFileRows(Differences& d, const reference::ListingTables& ref, const ListingTables& prod) {
    for (int32_t j = 0; j < ref.limits.fileRows; ++j) {
        const reference::FileEntry& e = ref.files[j];
        const FileEntry& p = prod.FileRow(j);
        d.Check(At("file folderId", j), e.folderId, p.folderId);
        d.Check(At("file name", j), std::string_view(e.name), prod.Name(p));
        d.Check(At("file key", j), std::string_view(e.key), prod.Key(p));
    }
}

void CountTooMuchText(void* context) { ++*static_cast<int*>(context); }

// Renders both listings afresh (level flags as the reset leaves them) into buffers of `capacity` bytes
// with text limit `limit`, compares everything, and returns the reference's checked text lengths.
std::vector<int32_t> CompareRendering(Differences& d, reference::ListingTables& ref, ListingTables& prod,
                                      const ListOptions& options, int32_t capacity, int32_t limit) {
    std::fill(std::begin(ref.levelFlags), std::end(ref.levelFlags), 0);
    ref.levelFlags[0] = 1;
    std::fill(prod.levelFlags.begin(), prod.levelFlags.end(), 0);
    if (!prod.levelFlags.empty()) prod.levelFlags[0] = 1;

    reference::TextBuffer expected;
    reference::InitTextBuffer(expected, capacity, limit);
    const int expectedResult = options.treeView ? reference::RenderTree(expected, ref, 0, options)
                                                : reference::RenderIndented(expected, ref, 0);

    ListLimits limits = prod.limits;
    limits.textCapacity = capacity;
    limits.textLimit = limit;
    TextBuffer got;
    InitTextBuffer(got, limits);
    int shown = 0;
    got.context = &shown;
    got.reportTooMuchText = CountTooMuchText;
    const int gotResult = options.treeView ? RenderTree(got, prod, 0, options, kWindowsStyle)
                                           : RenderIndented(got, prod, 0, kWindowsStyle);

    const std::string when =
        " (capacity " + std::to_string(capacity) + ", limit " + std::to_string(limit) + ")";
    d.Check("render result" + when, expectedResult, gotResult);
    d.Check("too-much-data messages" + when, expected.tooMuchTextShown, shown);
    d.Check("buffer full" + when, static_cast<int>(expected.full), static_cast<int>(got.full));
    d.Check("text length" + when, static_cast<uint64_t>(expected.length), got.Length());
    if (expected.Text() != got.text && ++d.count <= 24) {
        d.out << "    text" << when << ", from the first line that differs:\n"
              << TextAround(expected.Text(), got.text);
    }
    if (prod.levelFlags.size() < static_cast<size_t>(kLevelFlagCount)) {
        d.Check("levelFlags held", kLevelFlagCount, static_cast<int>(prod.levelFlags.size()));
    } else {
        for (int c = 0; c < kLevelFlagCount; ++c)
            d.Check(At("levelFlags", c) + when, ref.levelFlags[c], prod.levelFlags[c]);
    }
    return expected.checkedLengths;
}

// Runs one case through both sides stage by stage, as the select-folder command does (no structure pass
// after an abort, no rendering after a refusal), and returns the differences of the first stage that
// disagrees, or "" when all agree. `rng` draws the text limits to render with.
std::string CompareCase(const Case& c, Rng& rng) {
    const NameOrder order = TestNameOrder();
    MemoryTree refTree = c.tree, prodTree = c.tree;
    Differences d;

    reference::ListingTables ref;
    reference::InitListing(ref, c.limits);
    reference::ResetListing(ref, c.tree.root);
    ListingTables prod;
    InitListing(prod, c.limits);
    ResetListing(prod, c.tree.root);

    int32_t refLast = 0, refDepth = 1, prodLast = 0, prodDepth = 1;
    const ScanResult refScan =
        reference::ScanFolder(ref, SourceFor(c, refTree), refTree.root, refLast, refDepth, c.options);
    const ScanResult prodScan =
        ScanFolder(prod, SourceFor(c, prodTree), prodTree.root, prodLast, prodDepth, c.options);
    d.Check("scan result", static_cast<int>(refScan), static_cast<int>(prodScan));
    d.Check("folderLast after scan", refLast, prodLast);
    if (refScan != kScanAbort) d.Check("depth after scan", refDepth, prodDepth);
    d.Check("folders read", refTree.reads, prodTree.reads);
    d.Check("paths reported unreadable", refTree.reported, prodTree.reported);
    d.Check("errors reported", refTree.reportedErrors, prodTree.reportedErrors);
    if (d.count) return "  after the scan:\n" + d.out.str();
    CompareFolderRows(d, ref, prod, refLast, false);
    CompareFileRows(d, ref, prod);
    if (d.count) return "  after the scan:\n" + d.out.str();
    if (refScan == kScanAbort) return "";

    reference::BuildFolderStructure(ref, refLast, order);
    BuildFolderStructure(prod, prodLast, order);
    CompareFolderRows(d, ref, prod, refLast, true);
    if (d.count) return "  after the structure pass:\n" + d.out.str();

    const bool refOrdered = reference::OrderFiles(ref, order);
    const bool prodOrdered = OrderFiles(prod, order);
    d.Check("OrderFiles result", static_cast<int>(refOrdered), static_cast<int>(prodOrdered));
    if (refOrdered) d.Check("fileTotal", ref.fileTotal, prod.fileTotal);
    CompareFileRows(d, ref, prod);
    if (d.count) return "  after the file ordering:\n" + d.out.str();
    if (!refOrdered) return "";

    // The whole text first, then limits at one block end drawn from it: the text may end exactly there,
    // one byte less is too much, and buffers only just large enough (or too small) for it.
    std::vector<int32_t> checked = CompareRendering(d, ref, prod, c.options, c.roomy, c.roomy - 256);
    if (!checked.empty()) {
        const int32_t at = checked[rng.Below(static_cast<uint32_t>(checked.size()))];
        CompareRendering(d, ref, prod, c.options, c.roomy, at);
        CompareRendering(d, ref, prod, c.options, c.roomy, at - 1);
        CompareRendering(d, ref, prod, c.options, at + 1 + rng.Between(0, 8), at + rng.Between(0, 300));
        CompareRendering(d, ref, prod, c.options, std::max(2, at + 1 - rng.Between(1, 6)), at);
    }
    if (d.count) return "  rendering:\n" + d.out.str();
    return "";
}

// ---- The case families.

constexpr int32_t kDepths[] = {2, 3, 4, 5, 6, kUnlimitedDepth};
constexpr int kCombinations = 32 * 6;  // the five toggles times the depth settings

ListOptions OptionsFor(int number) {
    const int toggles = number % 32;
    return ListOptions{(toggles & 1) != 0, (toggles & 2) != 0,  (toggles & 4) != 0,
                       (toggles & 8) != 0, (toggles & 16) != 0, kDepths[(number / 32) % 6]};
}

// Folders and files the reference records for `c` (its scan alone), to put the capacities around them.
struct Recorded {
    int32_t folders, files;
};

Recorded RecordedBy(const Case& c) {
    MemoryTree tree = c.tree;
    reference::ListingTables tables;
    reference::InitListing(tables, c.limits);
    reference::ResetListing(tables, tree.root);
    int32_t folderLast = 0, depth = 1;
    reference::ScanFolder(tables, SourceFor(c, tree), tree.root, folderLast, depth, c.options);
    int32_t n = 0;
    while (n < c.limits.fileRows && tables.files[n].name[0] != '\0') ++n;
    return Recorded{folderLast, n};
}

// Runs cases [0, count) of a family, or only the one named in ARBOLIN_DIFFERENTIAL_CASE. Each failing
// case is shown with its seed, options, limits and tree (the first few in full).
template <class Make>
void RunCases(int count, uint32_t baseSeed, Make make) {
    int first = 0, last = count;
    if (const char* only = std::getenv("ARBOLIN_DIFFERENTIAL_CASE"))
        first = std::atoi(only), last = first + 1;
    int failures = 0;
    for (int number = first; number < last; ++number) {
        Rng rng(baseSeed + static_cast<uint32_t>(number));
        Case c = make(number, rng);
        c.number = number;
        c.seed = baseSeed + static_cast<uint32_t>(number);
        std::string differences = CompareCase(c, rng);
        if (differences.empty()) continue;
        if (++failures <= 5) ADD_FAILURE() << Describe(c) << differences;
    }
    EXPECT_EQ(failures, 0) << "of " << (last - first) << " cases";
}

constexpr ListLimits kSmallLimits{
    40, 40, 39, kDefinedLimits.textLimit, kDefinedLimits.textCapacity, kDefinedLimits.pathLimit, true};

TEST(Differential, RandomTreesAtSmallCapacities) {
    RunCases(16 * kCombinations, 0x5EED0000u, [](int number, Rng& rng) {
        Case c{number, 0, DrawTree(rng), OptionsFor(number), kSmallLimits};
        c.limits.folderRows = rng.Between(8, 40);
        c.limits.fileRows = rng.Between(8, 40);
        c.limits.pathLimit = rng.Chance(70) ? 259 : rng.Between(8, 40);
        c.limits.filesAccepted =
            std::clamp(RecordedBy(c).files + rng.Between(-1, 1), 1, c.limits.fileRows - 1);
        return c;
    });
}

// Random trees through a seam whose shown names, opened names and keys all differ: rows must show the
// shown names, sort by the keys, and the path limit must count the shown bytes.
TEST(Differential, ShownNamesAndKeysApartFromOpenedNames) {
    RunCases(4 * kCombinations, 0x4E4D0000u, [](int number, Rng& rng) {
        Case c{number, 0, DrawTree(rng), OptionsFor(number), kSmallLimits};
        c.renamed = true;
        c.limits.pathLimit = rng.Chance(50) ? 259 : rng.Between(8, 40);
        c.limits.filesAccepted =
            std::clamp(RecordedBy(c).files + rng.Between(-1, 1), 1, c.limits.fileRows - 1);
        return c;
    });
}

// Tables filled to their last row, and one row short: the folder table holds exactly the folders found
// or one too few; the file table exactly the files found (no free row left) or one more.
TEST(Differential, TablesFilledExactlyOrOneRowShort) {
    RunCases(4 * kCombinations, 0xF0110000u, [](int number, Rng& rng) {
        Case c{number, 0, DrawTree(rng), OptionsFor(number), kSmallLimits};
        c.limits.folderRows = 100;  // room for any drawn tree
        c.limits.fileRows = 100;
        const auto [folders, files] = RecordedBy(c);
        c.limits.folderRows = std::max(2, folders + 1 - static_cast<int32_t>(rng.Below(2)));
        c.limits.fileRows = std::max(2, files + static_cast<int32_t>(rng.Below(2)));
        // Mostly fewer accepted than rows, as defined; sometimes as many, so that only the full table
        // (no free row for the count to stop at) refuses the listing.
        c.limits.filesAccepted =
            rng.Chance(25) ? c.limits.fileRows
                           : std::clamp(files - static_cast<int32_t>(rng.Below(2)), 1, c.limits.fileRows - 1);
        return c;
    });
}

// Chains deeper than the 255 levels the depth field and the tree's columns hold, with files and
// siblings along the way; without a path limit, and with one that stops the descent early.
TEST(Differential, ChainsPastTheDeepestLevel) {
    RunCases(24, 0xDEE90000u, [](int number, Rng& rng) {
        MemoryTree tree;
        tree.root = number % 2 ? "D:\\" : "C:\\R";
        tree.folders[tree.root];
        std::string path = tree.root;
        const int length = rng.Between(250, 300);
        for (int level = 0; level < length; ++level) {
            if (rng.Chance(10)) tree.Add(path, DrawName(rng, false), kEntryFile);
            if (rng.Chance(5)) tree.Add(path, "Z", kEntryFolder);
            std::string next = tree.Add(path, rng.Chance(50) ? "a" : "B", kEntryFolder);
            if (rng.Chance(10)) tree.Add(path, DrawName(rng, false), kEntryFile);
            path = next;
        }
        tree.Add(path, "end", kEntryFile);
        ListOptions options = OptionsFor(number * 7);
        options.subfolders = true;
        options.maxDepth = number % 3 ? kUnlimitedDepth : 6;
        ListLimits limits = kSmallLimits;
        limits.folderRows = 400;
        limits.fileRows = 120;
        limits.filesAccepted = 119;
        limits.pathLimit = number % 4 == 3 ? kDefinedLimits.pathLimit : 0;
        return Case{number, 0, std::move(tree), options, limits, 1 << 20};
    });
}

}  // namespace
