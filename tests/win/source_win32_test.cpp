// The Win32 side of the seam over real folders under Wine: listings through FindFirstFileA, the drive-root
// pattern rule, an unreadable folder, folders that are reparse points, and the collation calls.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/app.h"
#include "win_support.h"

namespace {

struct Listed {
    ListingStatus status;
    std::string text;
};

Listed ListFolder(Win32Source& source, const std::string& path, const ListOptions& options) {
    static ListingTables tables;
    if (tables.limits.folderRows == 0) InitListing(tables, kDefinedLimits);
    ResetListing(tables, path);
    TextBuffer buffer;
    InitTextBuffer(buffer, kDefinedLimits);
    const ListingStatus status = RunListing(tables, source, path, options, buffer);
    return {status, buffer.text};
}

Win32Source RecordingSource(HWND owner = nullptr) {
    g_boxes.clear();
    g_patterns.clear();
    Win32Source source;
    source.optionWindow = owner;
    source.messageBox = RecordBox;
    source.findFirst = RecordFindFirst;
    return source;
}

ListOptions Options(void (*change)(ListOptions&) = nullptr) {
    ListOptions options;
    if (change) change(options);
    return options;
}

// The worked example, made on disk. Wine delivers a folder's entries sorted by upper-cased name.
constexpr char kWork[] =
    "Docs/\n"
    "  b.txt\n"
    "  a.txt\n"
    "readme.txt\n"
    "Src/\n"
    "  main.c\n"
    "  Lib/\n";

struct ListingCase {
    const char* name;
    void (*options)(ListOptions&);
    const char* expected;  // after the root line
};

const ListingCase kListingCases[] = {
    {"tree", nullptr,
     " ├[ Docs ]\n │ ├a.txt\n │ └b.txt\n ├[ Src ]\n │ ├[ Lib ]\n │ └main.c\n └readme.txt\n"},
    {"indented", [](ListOptions& o) { o.treeView = false; },
     "   [ Docs ]\n      a.txt\n      b.txt\n   [ Src ]\n      [ Lib ]\n      main.c\n   readme.txt\n"},
    {"files only", [](ListOptions& o) { o.folderNames = false; },
     " ├a.txt\n ├b.txt\n ├main.c\n └readme.txt\n"},
    {"folders only", [](ListOptions& o) { o.fileNames = false; },
     " ├[ Docs ]\n └[ Src ]\n    └[ Lib ]\n"},
    {"no subfolders", [](ListOptions& o) { o.subfolders = false; },
     " ├[ Docs ]\n ├[ Src ]\n └readme.txt\n"},
};

class WorkListing : public testing::TestWithParam<ListingCase> {};

TEST_P(WorkListing, MatchesTheDefinedText) {
    TempDir dir;
    ASSERT_TRUE(dir.Make(kWork));
    Win32Source source = RecordingSource();
    const Listed listed = ListFolder(source, dir.path(), Options(GetParam().options));
    EXPECT_EQ(listed.status, kListed);
    EXPECT_EQ(listed.text, Crlf("[ " + dir.path() + " ]\n" + GetParam().expected));
    EXPECT_TRUE(g_boxes.empty());
}

INSTANTIATE_TEST_SUITE_P(Win32Scan, WorkListing, testing::ValuesIn(kListingCases),
                         [](const auto& info) {
                             std::string name = info.param.name;
                             for (char& c : name) if (c == ' ') c = '_';
                             return name;
                         });

// Drive Q: is mapped to a small tree by fixtures.sh.
TEST(Win32Scan, DriveRootIsListedWithoutADoubledBackslash) {
    Win32Source source = RecordingSource();
    const Listed listed = ListFolder(source, "Q:\\", Options());
    EXPECT_EQ(listed.text, Crlf("[ Q:\\ ]\n ├[ sub ]\n │ └inner.txt\n └top.txt\n"));
    EXPECT_EQ(g_patterns, (std::vector<std::string>{"Q:\\*", "Q:\\sub\\*"}));
}

TEST(Win32Scan, UnreadableFolderIsReportedOnceToTheOptionWindowAndTheWalkGoesOn) {
    const std::string fixtures = ARBOLIN_FIXTURES_UNIX;
    if (Exists(ZPath(fixtures + "/unreadable-is-readable")))
        GTEST_SKIP() << "this run may read any folder (root without setpriv): see wine-notes.md";
    const std::string root = ZPath(fixtures + "/unreadable");
    for (HWND owner : {HWND(nullptr), GetDesktopWindow()}) {
        Win32Source source = RecordingSource(owner);
        const Listed listed = ListFolder(source, root, Options());
        EXPECT_EQ(listed.text, Crlf("[ " + root + " ]\n ├[ a ]\n ├[ b ]\n │ └[ c ]\n └[ d ]\n\n"));
        ASSERT_EQ(g_boxes.size(), 1u);
        EXPECT_EQ(g_boxes[0].owner, owner);
        EXPECT_EQ(g_boxes[0].text, "失敗かな？");
        EXPECT_EQ(g_boxes[0].caption, "findfile");
        EXPECT_EQ(g_boxes[0].type, 0u);
    }
}

TEST(Win32Scan, MissingRootIsReportedAndListsAsEmpty) {
    TempDir dir;
    Win32Source source = RecordingSource();
    const Listed listed = ListFolder(source, dir / "gone", Options());
    EXPECT_EQ(listed.status, kListed);
    EXPECT_EQ(listed.text, Crlf("[ " + (dir / "gone") + " ]\n\n"));
    EXPECT_EQ(g_boxes.size(), 1u);
}

// fixtures.sh made loop\x\back, a symbolic link to loop itself.
TEST(Win32Scan, LinkToAFolderIsListedButNotEntered) {
    const std::string root = ZPath(std::string(ARBOLIN_FIXTURES_UNIX) + "/loop");
    Win32Source source = RecordingSource();
    const Listed listed = ListFolder(source, root, Options());
    EXPECT_EQ(listed.text, Crlf("[ " + root + " ]\n └[ x ]\n    ├[ back ]\n    └f.txt\n"));
    EXPECT_EQ(g_patterns.size(), 2u);
    EXPECT_TRUE(g_boxes.empty());
}

// Junctions and mount points cannot be made under Wine: a stand-in delivers their attributes.
struct FakeEntry {
    const char* name;
    DWORD attributes;
};
const FakeEntry kReparseFolder[] = {{".", FILE_ATTRIBUTE_DIRECTORY},
                                    {"..", FILE_ATTRIBUTE_DIRECTORY},
                                    {"junction", FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT},
                                    {"plain", FILE_ATTRIBUTE_DIRECTORY},
                                    {"file-link", FILE_ATTRIBUTE_REPARSE_POINT},
                                    {"z.txt", FILE_ATTRIBUTE_ARCHIVE}};
size_t g_next = 0;
std::vector<std::string> g_opened;

void Deliver(LPWIN32_FIND_DATAA data) {
    *data = WIN32_FIND_DATAA{};
    data->dwFileAttributes = kReparseFolder[g_next].attributes;
    lstrcpyA(data->cFileName, kReparseFolder[g_next].name);
    ++g_next;
}
HANDLE WINAPI FakeFindFirst(LPCSTR pattern, LPWIN32_FIND_DATAA data) {
    g_opened.push_back(pattern);
    if (g_opened.size() > 1) {  // "plain" and anything else below the root: empty but for . and ..
        g_next = 0;
        Deliver(data);
        return reinterpret_cast<HANDLE>(2);
    }
    g_next = 0;
    Deliver(data);
    return reinterpret_cast<HANDLE>(1);
}
BOOL WINAPI FakeFindNext(HANDLE handle, LPWIN32_FIND_DATAA data) {
    const size_t end = handle == reinterpret_cast<HANDLE>(1) ? std::size(kReparseFolder) : 2;
    if (g_next >= end) return FALSE;
    Deliver(data);
    return TRUE;
}
BOOL WINAPI FakeFindClose(HANDLE) { return TRUE; }

TEST(Win32Scan, ReparsePointFolderIsNeverEntered) {
    Win32Source source = RecordingSource();
    source.findFirst = FakeFindFirst;
    source.findNext = FakeFindNext;
    source.findClose = FakeFindClose;
    g_opened.clear();
    const Listed listed = ListFolder(source, "C:\\r", Options());
    EXPECT_EQ(listed.text, Crlf("[ C:\\r ]\n ├[ junction ]\n ├[ plain ]\n ├file-link\n └z.txt\n"));
    EXPECT_EQ(g_opened, (std::vector<std::string>{"C:\\r\\*", "C:\\r\\plain\\*"}));
}

// The collation is the locale's, not byte order: folders ignore case, files put lower case first.
struct Collation {
    std::string_view a, b;
    int folders, files;  // sign of the result
};
const Collation kCollations[] = {
    {"a", "B", -1, -1},  // byte order would put B first
    {"B", "a", 1, 1},
    {"a", "A", 0, -1},
    {"A", "a", 0, 1},
    {"abc", "ABD", -1, -1},
    {"file10", "file9", -1, -1},
    {"表", "表", 0, 0},
    {std::string_view("abcX", 3), "abc", 0, 0},  // a name is its view, not what follows it
    {std::string_view("abcX", 3), std::string_view("abcY", 3), 0, 0},
};

int Sign(int v) { return (v > 0) - (v < 0); }

TEST(Win32Collation, FoldersWithLstrcmpiAFilesWithLstrcmpA) {
    const NameOrder order = Win32NameOrder();
    for (const Collation& c : kCollations) {
        SCOPED_TRACE(std::string(c.a) + " vs " + std::string(c.b));
        EXPECT_EQ(Sign(order.folders(c.a, c.b)), c.folders);
        EXPECT_EQ(Sign(order.files(c.a, c.b)), c.files);
    }
    const std::string longA(300, 'a'), longB = std::string(299, 'a') + "b";
    EXPECT_LT(order.folders(longA, longB), 0);
    EXPECT_LT(order.files(longA, longB), 0);
}

}  // namespace
