// The POSIX side of the seam over real temporary folders: entry kinds, errors, paths past PATH_MAX, ICU
// collation keys per locale, CP932 names, Windows delivery order, and the engine's scan over real trees.
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <clocale>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "listing/listing.h"
#include "platform/disk_source.h"
#include "support/counting_seam.h"

namespace {

// A temporary folder, removed with everything in it (rm copes with any depth) when the test ends.
struct TempFolder {
    std::string path;
    TempFolder() {
        char pattern[] = "/tmp/arbolin-posix-XXXXXX";
        path = mkdtemp(pattern);
    }
    ~TempFolder() { std::system(("rm -rf " + path).c_str()); }
    // Runs a shell command inside the folder to fill it.
    void Fill(const std::string& command) const {
        ASSERT_EQ(std::system(("cd " + path + " && " + command).c_str()), 0) << command;
    }
};

// A source for `locale` (set for the whole process while it lives), closed and back to "C" at the end.
struct Source {
    DiskSource source;
    CountingSeam counts;
    FolderSource seam{};
    explicit Source(const char* locale, bool sjis = false, bool windowsOrder = false) {
        EXPECT_NE(std::setlocale(LC_ALL, locale), nullptr) << locale << " is not generated";
        source.toSjis = sjis;
        source.windowsOrder = windowsOrder;
        std::string error;
        EXPECT_TRUE(InitDiskSource(source, error)) << error;
        seam = counts.Over(DiskFolderSource(source));
    }
    ~Source() {
        CloseDiskSource(source);
        std::setlocale(LC_ALL, "C");
    }
    int Read(const std::string& path, EntryList& list) { return seam.readFolder(seam.context, path, list); }
};

std::vector<std::string> Raws(const EntryList& list) {
    std::vector<std::string> raws;
    for (const auto& e : list.entries) raws.emplace_back(list.Raw(e));
    return raws;
}

// `names` in the order their keys give, equal keys keeping their order.
std::vector<std::string> SortedByKey(Source& s, std::vector<std::string> names, bool folders) {
    std::stable_sort(names.begin(), names.end(), [&](const std::string& a, const std::string& b) {
        auto key = folders ? FolderKey : FileKey;
        return DiskNameOrder().files(key(s.source, a), key(s.source, b)) < 0;
    });
    return names;
}

TEST(PosixSeam, SeparatorsAfterParent) {
    Source s("C.UTF-8");
    EXPECT_EQ(s.seam.separator, '/');
    for (auto [parent, expected] : {std::pair{"/", 0}, {"/tmp", 1}, {"a/", 0}, {"abc", 1}}) {
        EXPECT_EQ(s.seam.separatorsAfter(parent), expected) << parent;
    }
}

TEST(PosixSeam, KindsInBothModes) {
    TempFolder tmp;
    tmp.Fill("touch file && mkdir folder && ln -s file to-file && ln -s folder to-folder && "
             "ln -s nowhere dangling && ln -s . to-itself && mkfifo fifo");
    struct Case { const char* name; EntryKind plain, windows; };
    const Case cases[] = {
        {"file", kEntryFile, kEntryFile},           {"folder", kEntryFolder, kEntryFolder},
        {"to-file", kEntryLink, kEntryLink},        {"to-folder", kEntryLink, kEntryFolderLink},
        {"dangling", kEntryLink, kEntryLink},       {"to-itself", kEntryLink, kEntryFolderLink},
        {"fifo", kEntryFile, kEntryFile},
    };
    for (bool windows : {false, true}) {
        Source s("C.UTF-8", false, windows);
        EntryList list;
        ASSERT_EQ(s.Read(tmp.path, list), 0);
        ASSERT_EQ(list.entries.size(), std::size(cases)) << "\".\" and \"..\" are left out";
        for (const Case& c : cases) {
            auto it = std::find_if(list.entries.begin(), list.entries.end(),
                                   [&](const auto& e) { return list.Raw(e) == c.name; });
            ASSERT_NE(it, list.entries.end()) << c.name;
            EXPECT_EQ(it->kind, windows ? c.windows : c.plain) << c.name << (windows ? " (windows order)" : "");
            EXPECT_EQ(list.Name(*it), c.name);
        }
        EXPECT_EQ(s.counts.foldersRead, 1);
        EXPECT_EQ(s.counts.entriesRead, 7);
    }
}

TEST(PosixSeam, FailedReadsAppendNothing) {
    TempFolder tmp;
    tmp.Fill("touch file");
    const struct { std::string path; int error; } cases[] = {
        {tmp.path + "/missing", ENOENT},
        {tmp.path + "/file", ENOTDIR},
        {tmp.path + "/" + std::string(NAME_MAX + 1, 'n'), ENAMETOOLONG},
        {tmp.path + "/" + std::string(PATH_MAX, 'n'), ENAMETOOLONG},  // long path, one name too long
    };
    Source s("C.UTF-8");
    for (const auto& c : cases) {
        EntryList list;
        list.Add("earlier", {}, {}, kEntryFile);
        EXPECT_EQ(s.Read(c.path, list), c.error) << c.path.substr(tmp.path.size());
        EXPECT_EQ(Raws(list), std::vector<std::string>{"earlier"});
        EXPECT_EQ(list.bytes.size(), 7u);
    }
    EXPECT_EQ(s.counts.foldersRead, 0);
}

TEST(PosixSeam, PathsLongerThanPathMax) {
    TempFolder tmp;
    std::string deep = tmp.path;
    while (deep.size() <= 2 * PATH_MAX) deep += "/" + std::string(200, 'd');
    tmp.Fill("mkdir -p " + deep + "/leaf");
    Source s("C.UTF-8");
    for (const std::string& path : {deep, deep + "/", deep + "//"}) {
        EntryList list;
        EXPECT_EQ(s.Read(path, list), 0);
        EXPECT_EQ(Raws(list), std::vector<std::string>{"leaf"});
    }
    EntryList list;
    EXPECT_EQ(s.Read(deep + "/missing", list), ENOENT);
}

TEST(PosixSeam, NoticesStayOnOneLine) {
    const struct { std::string path; int error; const char* line; } cases[] = {
        {"/x/y", ENOENT, "arbolin: cannot read '/x/y': No such file or directory\n"},
        {"a\nb\\c\x1b\t\r\x7f", EACCES, "arbolin: cannot read 'a\\nb\\\\c\\x1b\\t\\r\\x7f': Permission denied\n"},
        {"\xff-\xe6\x97\xa5-\xc2\x85-\xe2\x80\xa8", kErrorPathTooLong,
         "arbolin: cannot read '\\xff-\xe6\x97\xa5-\\xc2\\x85-\\xe2\\x80\\xa8': File name too long\n"},
    };
    Source s("ja_JP.UTF-8");  // the reason stays English whatever LC_MESSAGES says
    for (const auto& c : cases) {
        testing::internal::CaptureStderr();
        s.seam.reportUnreadable(s.seam.context, c.path, c.error);
        EXPECT_EQ(testing::internal::GetCapturedStderr(), c.line);
    }
    EXPECT_EQ(s.counts.unreadable, 3);
}

TEST(PosixCollation, OrderPerLocale) {
    const struct {
        const char* locale;
        bool folders, windowsOrder;
        std::vector<std::string> names, expected;
        const char* icuLocale;
    } cases[] = {
        // ICU's collation (English has root's): punctuation, digits, letters; case after letter.
        {"en_US.UTF-8", false, false, {"b", "B", "10", "A", "_x", "a", "9"}, {"_x", "10", "9", "a", "A", "b", "B"},
         "en_US"},
        {"en_US.UTF-8", false, false, {"b", "B", "A", "a"}, {"a", "A", "b", "B"}, "en_US"},
        // Folders ignore case; the raw bytes settle a case pair whatever the delivery order.
        {"en_US.UTF-8", true, false, {"b", "a", "B", "A"}, {"A", "a", "B", "b"}, "en_US"},
        {"en_US.UTF-8", true, false, {"B", "A", "b", "a"}, {"A", "a", "B", "b"}, "en_US"},
        // The C locales order as `ls` does there: files by bytes, folders as strcasecmp does ("_" before
        // the letters, as 0x5F sorts before 'a'), ties by bytes.
        {"C", false, false, {"b", "B", "10", "A", "_x", "a", "9"}, {"10", "9", "A", "B", "_x", "a", "b"}, "root"},
        {"POSIX", true, false, {"b", "B", "10", "A", "_x", "a", "9"}, {"10", "9", "_x", "A", "a", "B", "b"}, "root"},
        {"C.UTF-8", true, false, {"b", "a", "B", "A", "\xc3\xa9", "\xc3\x89"},
         {"A", "a", "B", "b", "\xc3\x89", "\xc3\xa9"}, "root"},  // É and é: bytes, not folded
        // Windows order, ICU's in the C locales too: equal folder keys, so a case pair stays in delivery order.
        {"C.UTF-8", true, true, {"b", "a", "B", "A"}, {"a", "A", "b", "B"}, "root"},
        {"C.UTF-8", true, true, {"B", "A", "b", "a"}, {"A", "a", "B", "b"}, "root"},
        // Kanji: code point order in root, JIS order (亜 first) in Japanese.
        {"en_US.UTF-8", false, false, {"亜", "一", "あ", "a"}, {"a", "あ", "一", "亜"}, "en_US"},
        {"ja_JP.UTF-8", false, false, {"一", "亜", "あ", "A", "a"}, {"a", "A", "あ", "亜", "一"}, "ja"},
    };
    for (const auto& c : cases) {
        Source s(c.locale, false, c.windowsOrder);
        EXPECT_EQ(DiskCollationLocale(s.source), c.icuLocale) << c.locale;
        EXPECT_EQ(SortedByKey(s, c.names, c.folders), c.expected)
            << c.locale << (c.folders ? " folders" : " files") << (c.windowsOrder ? " windows order" : "");
    }
}

TEST(PosixCollation, InvalidBytesSortDeterministically) {
    TempFolder tmp;
    tmp.Fill("touch \"$(printf '\\377')\" \"$(printf '\\376')\" \"$(printf 'a\\377')\" \"$(printf 'a\\200')\"");
    for (bool windows : {false, true}) {
        Source s("en_US.UTF-8", false, windows);
        EntryList list;
        ASSERT_EQ(s.Read(tmp.path, list), 0);
        std::vector<std::string> raws = Raws(list);
        std::sort(raws.begin(), raws.end());
        ASSERT_EQ(raws, (std::vector<std::string>{"a\x80", "a\xff", "\xfe", "\xff"}));
        for (const auto& e : list.entries) EXPECT_EQ(list.Key(e), FileKey(s.source, list.Raw(e)));
        // Decoded as U+FFFD, which collates after letters and kanji.
        EXPECT_LT(FileKey(s.source, "\xe6\x97\xa5"), FileKey(s.source, "\xfe"));
        EXPECT_EQ(FileKey(s.source, "\xff") == FileKey(s.source, "\xfe"), windows);
        EXPECT_EQ(FolderKey(s.source, "a\x80") == FolderKey(s.source, "a\xff"), windows);
    }
    Source s("en_US.UTF-8");
    EXPECT_EQ(SortedByKey(s, {"a\xff", "\xff", "a\x80", "\xfe"}, false),
              (std::vector<std::string>{"a\x80", "a\xff", "\xfe", "\xff"}));
}

TEST(PosixSjis, NamesInCp932) {
    const struct { std::string raw, shown; } cases[] = {
        {"abc.txt", "abc.txt"},
        {"日本語.txt", "\x93\xfa\x96\x7b\x8c\xea.txt"},
        {"ｱ①～", "\xb1\x87\x40\x81\x60"},      // half-width kana, NEC special, full-width tilde
        {"é-😀", "?-?"},                         // not in CP932: one '?' a character
        {"a\xff" "b\xe6\x97", "a?b??"},          // invalid bytes, a character cut short: one '?' a byte
    };
    for (const char* locale : {"C", "C.UTF-8", "ja_JP.UTF-8"}) {  // the C locale reads names as UTF-8
        Source s(locale, true);
        for (const auto& c : cases) EXPECT_EQ(ShownName(s.source, c.raw), c.shown) << locale << ": " << c.raw;
    }
    TempFolder tmp;
    tmp.Fill("touch 日本語.txt");
    Source s("C.UTF-8", true);
    EntryList list;
    ASSERT_EQ(s.Read(tmp.path, list), 0);
    ASSERT_EQ(list.entries.size(), 1u);
    EXPECT_EQ(list.Raw(list.entries[0]), "日本語.txt");
    EXPECT_EQ(list.Name(list.entries[0]), "\x93\xfa\x96\x7b\x8c\xea.txt");
    EXPECT_EQ(list.Key(list.entries[0]), FileKey(s.source, "日本語.txt")) << "keys come from the original name";
    EXPECT_EQ(ShownName(s.source, tmp.path + "/日本"), tmp.path + "/\x93\xfa\x96\x7b");
}

TEST(PosixWindowsOrder, DeliveredSortedByUpperCasedUnits) {
    TempFolder tmp;
    tmp.Fill("touch b _x Z a A [ é 日 😀 ～ 10 9 && mkdir Dir && ln -s Dir ld");
    Source s("C.UTF-8", false, true);
    EntryList list;
    ASSERT_EQ(s.Read(tmp.path, list), 0);
    // "_" (0x5F) after "Z"; "a" and "A" tie on "A", then raw bytes; 😀's surrogates (D83D) before ～ (FF5E).
    EXPECT_EQ(Raws(list), (std::vector<std::string>{"10", "9", "A", "a", "b", "Dir", "ld", "Z", "[", "_x", "é", "日",
                                                    "😀", "～"}));
}

std::vector<std::string> FolderRows(const ListingTables& t, int32_t folderLast) {
    std::vector<std::string> rows;
    for (int32_t i = 0; i <= folderLast; ++i) {
        rows.push_back(std::string(t.folders[i].depth, ' ') + std::string(t.Name(t.folders[i])));
    }
    return rows;
}

// Reset, scan, structure pass and file ordering over `root` without limits, as the command line does.
ScanResult ScanAll(Source& s, ListingTables& t, const std::string& root, int32_t& folderLast) {
    InitListing(t, kNoLimits);
    ResetListing(t, ShownName(s.source, root));
    int32_t depth = 1;
    folderLast = 0;
    ListOptions options;
    options.maxDepth = INT32_MAX;  // the command line's "no limit"
    ScanResult result = ScanFolder(t, s.seam, root, folderLast, depth, options);
    BuildFolderStructure(t, folderLast, DiskNameOrder());
    EXPECT_TRUE(OrderFiles(t, DiskNameOrder()));
    return result;
}

TEST(PosixScan, RealTreeInNameOrder) {
    TempFolder tmp;
    tmp.Fill("mkdir -p Sub sub empty a/deeper && touch b.txt B.txt A.txt a.txt Sub/z Sub/Y sub/y a/deeper/x && "
             "ln -s .. Sub/loop");
    // Each folder's files in name order: lower case first under ICU, by bytes in the C locale; the loop is
    // a file and is never followed.
    const struct {
        const char* locale;
        std::vector<std::string> top, sub;
    } cases[] = {
        {"en_US.UTF-8", {"a.txt", "A.txt", "b.txt", "B.txt"}, {"loop", "Y", "z"}},
        {"C.UTF-8", {"A.txt", "B.txt", "a.txt", "b.txt"}, {"Y", "loop", "z"}},
    };
    for (const auto& c : cases) {
        Source s(c.locale);
        ListingTables t;
        int32_t folderLast = 0;
        ASSERT_EQ(ScanAll(s, t, tmp.path, folderLast), kScanDone);
        EXPECT_EQ(FolderRows(t, folderLast),
                  (std::vector<std::string>{tmp.path, " a", "  deeper", " empty", " Sub", " sub"}));
        std::map<int32_t, std::vector<std::string>> files;
        for (int32_t j = 0; j < t.fileTotal; ++j) files[t.FileRow(j).folderId].emplace_back(t.Name(t.FileRow(j)));
        std::map<int32_t, std::vector<std::string>> expected{
            {0, c.top}, {t.folders[2].id, {"x"}}, {t.folders[4].id, c.sub}, {t.folders[5].id, {"y"}}};
        EXPECT_EQ(files, expected) << c.locale;
        EXPECT_EQ(s.counts.foldersRead, 6);
        EXPECT_EQ(s.counts.unreadable, 0);
    }
}

TEST(PosixScan, DeeperThanPathMaxAndTheOpenFileLimit) {
    TempFolder tmp;
    const int levels = 400;  // 400 * 13 bytes: past PATH_MAX, and far past 64 open files
    std::string deep = tmp.path;
    for (int i = 0; i < levels; ++i) deep += "/level-folder";
    tmp.Fill("mkdir -p " + deep);
    rlimit saved{};
    getrlimit(RLIMIT_NOFILE, &saved);
    rlimit low = saved;
    low.rlim_cur = 64;
    ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &low), 0);
    Source s("C.UTF-8");
    ListingTables t;
    int32_t folderLast = 0;
    ScanResult result = ScanAll(s, t, tmp.path, folderLast);
    setrlimit(RLIMIT_NOFILE, &saved);
    EXPECT_EQ(result, kScanDone);
    EXPECT_EQ(folderLast, levels);
    EXPECT_EQ(t.folders[folderLast].depth, levels);
    EXPECT_EQ(s.counts.foldersRead, levels + 1);
    EXPECT_EQ(s.counts.unreadable, 0);
}

}  // namespace
