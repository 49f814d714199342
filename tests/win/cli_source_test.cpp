// arbolin.exe's folder source and entry metadata (disk_source.h, entry_meta.h, Windows side) over folders
// made on disk under Wine: names come back exactly, long paths are read, keys order as CompareStringEx
// does (and as lstrcmp(i)A does under --compat), metadata matches what the system reports.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cerrno>
#include <string>
#include <vector>

#include "platform/disk_source.h"
#include "platform/names_win32.h"
#include "platform/source_win32.h"
#include "platform/wide_text.h"

// The source prints its notices through the io part's messages; this program links the source alone,
// so these stand-ins keep what it prints.
static std::vector<std::string> printed;
void PrintMessage(std::string_view text) { printed.emplace_back(text); }
std::string UnreadableMessage(std::string_view path, int error) {
    return "cannot read '" + std::string(path) + "': " + std::to_string(error);
}

namespace {

std::string Utf8Of(const std::wstring& wide) {
    return WideToWtf8(std::u16string_view(reinterpret_cast<const char16_t*>(wide.data()), wide.size()));
}

struct Listed {
    std::string raw, name, key;
    EntryKind kind;
    bool operator<(const Listed& o) const { return raw < o.raw; }
};

std::vector<Listed> Collect(const EntryList& list) {
    std::vector<Listed> out;
    for (const EntryList::Entry& e : list.entries)
        out.push_back({std::string(list.Raw(e)), std::string(list.Name(e)), std::string(list.Key(e)), e.kind});
    return out;
}

// The entries readFolder hands over for `path`, in its order; `err` its result.
std::vector<Listed> Read(DiskSource& source, const std::string& path, int& err) {
    FolderSource seam = DiskFolderSource(source);
    EntryList list;
    err = seam.readFolder(seam.context, path, list);
    return Collect(list);
}

std::vector<std::string> RawNames(std::vector<Listed> listed) {
    std::vector<std::string> names;
    for (const Listed& l : listed) names.push_back(l.raw);
    std::sort(names.begin(), names.end());
    return names;
}

const Listed* Find(const std::vector<Listed>& listed, std::string_view raw) {
    for (const Listed& l : listed)
        if (l.raw == raw) return &l;
    return nullptr;
}

bool MakeFile(const std::wstring& path, size_t size = 0) {
    HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    std::string bytes(size, 'x');
    DWORD written = 0;
    bool ok = size == 0 || (WriteFile(h, bytes.data(), DWORD(size), &written, nullptr) && written == size);
    CloseHandle(h);
    return ok;
}

// A folder of its own under Z:\tmp (Wine's drive for /), so that Linux programs reach it too; removed
// with everything in it, links included, by the Linux shell.
class CliSource : public ::testing::Test {
protected:
    void SetUp() override {
        std::string leaf = "arbolin-cli-source-" + std::to_string(GetCurrentProcessId());
        unixRoot = "/tmp/" + leaf;
        root = "Z:\\tmp\\" + leaf;
        wroot = L"\\\\?\\" + WideOf(root);
        if (GetFileAttributesW(L"Z:\\tmp") == INVALID_FILE_ATTRIBUTES) GTEST_SKIP() << "no drive Z: for /";
        Unix("rm -rf '" + unixRoot + "' && mkdir '" + unixRoot + "'");
        ASSERT_NE(GetFileAttributesW(wroot.c_str()), INVALID_FILE_ATTRIBUTES);
        std::string error;
        ASSERT_TRUE(InitDiskSource(source, error)) << error;
        printed.clear();
    }
    void TearDown() override {
        CloseDiskSource(source);
        SetCurrentDirectoryW(L"Z:\\tmp");
        if (!unixRoot.empty()) Unix("rm -rf '" + unixRoot + "'");
    }

    // Runs `script` with the Linux shell and waits for it: Wine starts a Linux program given by its path,
    // but does not wait for its end, so the script's last act is to make a file this waits for.
    void Unix(const std::string& script) {
        std::string done = unixRoot + ".done";
        std::wstring wdone = L"Z:" + WideOf(done);
        std::wstring wscript = L"Z:" + WideOf(unixRoot + ".sh");
        for (wchar_t& c : wdone) c = c == L'/' ? L'\\' : c;
        for (wchar_t& c : wscript) c = c == L'/' ? L'\\' : c;
        DeleteFileW(wdone.c_str());
        std::string text = script + "\ntouch '" + done + "'\n";
        HANDLE h = CreateFileW(wscript.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        ASSERT_NE(h, INVALID_HANDLE_VALUE);
        DWORD written = 0;
        WriteFile(h, text.data(), DWORD(text.size()), &written, nullptr);
        CloseHandle(h);
        std::wstring command = L"sh " + WideOf(unixRoot) + L".sh";
        STARTUPINFOW si{};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi{};
        ASSERT_TRUE(CreateProcessW(L"Z:\\bin\\sh", command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                                   &pi));
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
        for (int i = 0; i < 600 && GetFileAttributesW(wdone.c_str()) == INVALID_FILE_ATTRIBUTES; ++i) Sleep(50);
        ASSERT_NE(GetFileAttributesW(wdone.c_str()), INVALID_FILE_ATTRIBUTES) << "the Linux shell did not finish";
        DeleteFileW(wdone.c_str());
        DeleteFileW(wscript.c_str());
    }

    std::wstring W(const std::string& relative) {
        std::wstring path = wroot + L"\\" + WideOf(relative);
        for (wchar_t& c : path) c = c == L'/' ? L'\\' : c;
        return path;
    }

    DiskSource source;
    std::string unixRoot, root;
    std::wstring wroot;
};

// ---- Names

TEST_F(CliSource, NamesComeBackExactly) {
    const struct {
        const char* name;
        bool folder;
    } kNames[] = {
        {"日本語のファイル.txt", false}, {"한국어 파일", false},     {"caf\xC3\xA9", false},   // é composed
        {"cafe\xCC\x81", false},         {"ﾊﾝｶｸ ｶﾅ", false},         {"😀 smile", false},
        {"フォルダ", true},              {"plain", true},              {"trailing space ", false},
    };
    std::vector<std::string> expected;
    for (const auto& n : kNames) {
        std::wstring path = W(n.name);
        ASSERT_TRUE(n.folder ? CreateDirectoryW(path.c_str(), nullptr) != 0 : MakeFile(path)) << n.name;
        expected.push_back(n.name);
    }
    std::sort(expected.begin(), expected.end());
    int err = -1;
    std::vector<Listed> listed = Read(source, root, err);
    ASSERT_EQ(err, 0);
    EXPECT_EQ(RawNames(listed), expected);
    for (const auto& n : kNames) {
        const Listed* l = Find(listed, n.name);
        ASSERT_NE(l, nullptr) << n.name;
        EXPECT_EQ(l->kind, n.folder ? kEntryFolder : kEntryFile) << n.name;
        EXPECT_EQ(l->name, n.name) << "shown as read outside the sjis modes";
    }
}

TEST_F(CliSource, NamesWindowsCannotSpellAreListedNotDropped) {
    // A name holding an unpaired surrogate. Wine cannot store one (its Unix names are UTF-8): CreateFileW
    // fails there, and Windows' NTFS keeps it.
    std::wstring lone = L"x";
    lone += wchar_t(0xD800);
    lone += L"y";
    HANDLE h = CreateFileW((wroot + L"\\" + lone).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    bool stored = h != INVALID_HANDLE_VALUE;
    if (stored) CloseHandle(h);
    // Wine shows a Linux name that is not UTF-8 with U+FFFD for the bytes it cannot read.
    Unix("cd '" + unixRoot + "' && touch \"$(printf '\\377x')\"");
    int err = -1;
    std::vector<Listed> listed = Read(source, root, err);
    ASSERT_EQ(err, 0);
    EXPECT_NE(Find(listed, "\xEF\xBF\xBDx"), nullptr);
    if (stored) {
        EXPECT_NE(Find(listed, "x\xED\xA0\x80y"), nullptr) << "the lone surrogate as WTF-8";
    }
    EXPECT_EQ(listed.size(), stored ? 2u : 1u);

    // The same name given (from a list of paths): kept as WTF-8, shown as '?' in CP932, keyed apart from
    // the name with U+FFFD in its place.
    source.toSjis = true;
    EntryList list;
    AddNamedEntry(source, "x\xED\xA0\x80y", kEntryFile, list);
    ASSERT_EQ(list.entries.size(), 1u);
    EXPECT_EQ(list.Raw(list.entries[0]), "x\xED\xA0\x80y");
    EXPECT_EQ(list.Name(list.entries[0]), "x?y");
    source.toSjis = false;
    EXPECT_NE(FileKey(source, "x\xED\xA0\x80y"), FileKey(source, "x\xEF\xBF\xBDy"));
    EXPECT_EQ(DiskNamesError(source), "");
}

// ---- Paths

TEST_F(CliSource, FoldersPastMaxPathAreRead) {
    std::string path = root;
    std::wstring wide = wroot;
    const std::string level(60, 'd');
    std::vector<std::string> levels;
    for (int i = 0; i < 6; ++i) {  // 6 x 61 characters below the root: past 260 whichever way it is counted
        std::string name = level + char('0' + i);
        wide += L"\\" + WideOf(name);
        ASSERT_TRUE(CreateDirectoryW(wide.c_str(), nullptr)) << i;
        levels.push_back(name);
    }
    ASSERT_TRUE(MakeFile(wide + L"\\deep.txt"));
    ASSERT_GT(wide.size(), size_t(MAX_PATH + 4));
    int err = -1;
    for (const std::string& name : levels) {  // as the scan goes: the root, then '/' + name per level
        std::vector<Listed> listed = Read(source, path, err);
        ASSERT_EQ(err, 0) << path;
        EXPECT_EQ(RawNames(listed), std::vector<std::string>{name});
        path += "/" + name;
    }
    EXPECT_EQ(RawNames(Read(source, path, err)), std::vector<std::string>{"deep.txt"});
    EXPECT_EQ(err, 0);
    std::string given = path;  // the same folder given whole, as a new listing's root
    std::replace(given.begin(), given.end(), '\\', '/');
    EXPECT_EQ(RawNames(Read(source, given, err)), std::vector<std::string>{"deep.txt"});
    EXPECT_EQ(err, 0);
}

TEST_F(CliSource, RootsInEveryFormTheUserGives) {
    ASSERT_TRUE(CreateDirectoryW(W("forms").c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW(W("forms/sub").c_str(), nullptr));
    ASSERT_TRUE(MakeFile(W("forms/sub/inside.txt")));
    ASSERT_TRUE(SetCurrentDirectoryW(WideOf(root).c_str()));
    std::string slashed = root;
    std::replace(slashed.begin(), slashed.end(), '\\', '/');
    const std::string kForms[] = {
        root + "\\forms\\sub", slashed + "/forms/sub", slashed + "/forms/sub/", "forms/sub", "forms\\sub",
        "Z:forms/sub",  // relative to the working folder of drive Z:
        "forms/../forms/./sub",
    };
    for (const std::string& given : kForms) {
        int err = -1;
        EXPECT_EQ(RawNames(Read(source, given, err)), std::vector<std::string>{"inside.txt"}) << given;
        EXPECT_EQ(err, 0) << given;
    }
}

TEST_F(CliSource, DriveRootsAndTheirChildren) {
    // The scan puts '/' after a root unless it ends in '/': "Z:\/tmp" is tmp on drive Z:.
    const struct {
        const char* root;
        const char* child;
    } kRoots[] = {{"Z:\\", "Z:\\/tmp"}, {"Z:/", "Z:/tmp"}, {"Z:\\", "Z:\\/tmp/"}};
    std::string leaf = root.substr(root.rfind('\\') + 1);
    for (const auto& r : kRoots) {
        int err = -1;
        EXPECT_NE(Find(Read(source, r.root, err), "tmp"), nullptr) << r.root;
        EXPECT_EQ(err, 0) << r.root;
        EXPECT_NE(Find(Read(source, r.child, err), leaf), nullptr) << r.child;
        EXPECT_EQ(err, 0) << r.child;
    }
}

TEST_F(CliSource, NamesEndingInDotsOrSpacesAreEntered) {
    // GetFullPathNameW would strip these: the source appends names below the root itself.
    const std::string kNames[] = {"dots.", "space ", "both. ."};
    for (const std::string& name : kNames) {
        ASSERT_TRUE(CreateDirectoryW(W(name).c_str(), nullptr)) << name;
        ASSERT_TRUE(MakeFile(W(name + "/in.txt"))) << name;
    }
    int err = -1;
    std::vector<Listed> top = Read(source, root, err);
    ASSERT_EQ(err, 0);
    for (const std::string& name : kNames) {
        ASSERT_NE(Find(top, name), nullptr) << name;
        EXPECT_EQ(RawNames(Read(source, root + "/" + name, err)), std::vector<std::string>{"in.txt"}) << name;
        EXPECT_EQ(err, 0) << name;
    }
}

TEST(CliSourcePaths, LongFormsOfFullPaths) {
    const struct {
        const wchar_t* full;
        const wchar_t* expected;
    } kCases[] = {
        {L"C:\\x\\y", L"\\\\?\\C:\\x\\y"},
        {L"C:\\", L"\\\\?\\C:\\"},
        {L"\\\\server\\share\\x", L"\\\\?\\UNC\\server\\share\\x"},
        {L"\\\\?\\C:\\x", L"\\\\?\\C:\\x"},
        {L"\\\\?\\UNC\\server\\share", L"\\\\?\\UNC\\server\\share"},
        {L"\\\\.\\pipe\\p", L"\\\\.\\pipe\\p"},
    };
    for (const auto& c : kCases) EXPECT_EQ(LongPathOf(c.full), c.expected) << Utf8Of(c.full);
}

// ---- Failures

TEST_F(CliSource, UnreadableRootsGiveErrnoValues) {
    ASSERT_TRUE(MakeFile(W("file.txt")));
    const struct {
        std::string path;
        int error;
    } kCases[] = {
        {root + "/missing", ENOENT},
        {root + "/missing/deeper", ENOENT},
        {root + "/file.txt", ENOTDIR},
        {"", ENOENT},
    };
    for (const auto& c : kCases) {
        int err = -1;
        EXPECT_TRUE(Read(source, c.path, err).empty()) << c.path;
        EXPECT_EQ(err, c.error) << c.path;
        EXPECT_EQ(source.lastFolder.value, -1) << c.path;
    }
    FolderSource seam = DiskFolderSource(source);
    seam.reportUnreadable(seam.context, root + "/missing", ENOENT);
    ASSERT_EQ(printed.size(), 1u);
    EXPECT_EQ(printed[0], UnreadableMessage(root + "/missing", ENOENT));
}

TEST_F(CliSource, EmptyFolderReadsEmpty) {
    ASSERT_TRUE(CreateDirectoryW(W("empty").c_str(), nullptr));
    int err = -1;
    EXPECT_TRUE(Read(source, root + "/empty", err).empty());
    EXPECT_EQ(err, 0);
    EXPECT_NE(source.lastFolder.value, -1);
}

// ---- Order

// Sorts `names` by the keys `key` makes (bytes), and by CompareStringEx with `flags` (ties by bytes,
// as the keys' tie-break does): the two orders must agree.
void ExpectKeysOrderAsCompareStringEx(DiskSource& source, std::vector<std::string> names, bool folder, DWORD flags) {
    std::vector<std::string> byKeys = names, byReference = names;
    auto key = [&](const std::string& n) { return folder ? FolderKey(source, n) : FileKey(source, n); };
    std::sort(byKeys.begin(), byKeys.end(), [&](const std::string& a, const std::string& b) { return key(a) < key(b); });
    std::sort(byReference.begin(), byReference.end(), [&](const std::string& a, const std::string& b) {
        std::wstring wa = WideOf(a), wb = WideOf(b);
        int c = CompareStringEx(LOCALE_NAME_USER_DEFAULT, flags, wa.c_str(), int(wa.size()), wb.c_str(), int(wb.size()),
                                nullptr, nullptr, 0);
        return c != CSTR_EQUAL ? c == CSTR_LESS_THAN : a < b;
    });
    EXPECT_EQ(byKeys, byReference) << (folder ? "folders" : "files");
}

const std::vector<std::string> kMixedNames = {
    "apple",  "Apple",   "APPLE",   "banana",  "_under",  "-dash",   "co-op",  "coop",   "it's",  "its",
    "Zeta",   "zeta",    "10",      "9",       "a10",     "a9",      "straße", "strasse", "résumé", "resume",
    "Résumé", "ﾊﾝｶｸ",    "ハンカク", "はんかく", "漢字",     "😀",       "~tilde", "#hash",  "a b",   "ab",
    "éclair", "e\xCC\x81" "clair",   "Ωmega",   "omega",   ".hidden", "x.txt",  "X.txt",
};

TEST_F(CliSource, KeysOrderAsWindowsCollation) {
    ExpectKeysOrderAsCompareStringEx(source, kMixedNames, false, 0);
    ExpectKeysOrderAsCompareStringEx(source, kMixedNames, true, LINGUISTIC_IGNORECASE);
    // Files: lower case first; folders: case ignored, the bytes deciding only between equals.
    EXPECT_LT(FileKey(source, "a"), FileKey(source, "A"));
    std::string lower = FolderKey(source, "a"), upper = FolderKey(source, "A");
    EXPECT_EQ(lower.substr(0, lower.find('\0')), upper.substr(0, upper.find('\0')));
    EXPECT_GT(lower, upper) << "equal collation: 'A' (0x41) before 'a' (0x61)";
    EXPECT_TRUE(DiskNameOrder().bytewise);
    EXPECT_FALSE(DiskCollationLocale(source).empty());
}

TEST_F(CliSource, NaturalOrderComparesNumbers) {
    ASSERT_TRUE(SetNaturalOrder(source));
    std::vector<std::string> names = {"file10", "File3", "file2", "file02", "file1"};
    ExpectKeysOrderAsCompareStringEx(source, names, false, SORT_DIGITSASNUMBERS);
    std::sort(names.begin(), names.end(),
              [&](const std::string& a, const std::string& b) { return FileKey(source, a) < FileKey(source, b); });
    EXPECT_EQ(names, (std::vector<std::string>{"file1", "file02", "file2", "File3", "file10"}));
}

TEST_F(CliSource, OrderWithoutKeysAndInWindowsOrder) {
    source.noKeys = true;
    EntryList list;
    AddNamedEntry(source, "Name", kEntryFile, list);
    EXPECT_EQ(list.Key(list.entries[0]), "Name");
    source.noKeys = false;
    source.windowsOrder = true;  // Windows' delivery order: equal names keep equal keys
    EXPECT_EQ(FolderKey(source, "a"), FolderKey(source, "A"));
    EXPECT_EQ(FolderKey(source, "a").find('\0'), std::string::npos);
}

// ---- --compat

// Sign of a comparison.
int Sign(int c) { return (c > 0) - (c < 0); }

TEST_F(CliSource, CompatKeysCompareAsTheWindowsProgram) {
    source.windowsOrder = source.toSjis = true;
    // The shown name and the key are the CP932 bytes; what CP932 lacks is '?'.
    const struct {
        const char* raw;
        const char* cp932;
    } kNames[] = {
        {"abc", "abc"},        {"表", "\x95\x5C"},           {"ソフト", "\x83\x5C\x83\x74\x83\x67"},
        {"한국", "??"},         {"😀", "??"},                 {"ﾊﾝｶｸ", "\xCA\xDD\xB6\xB8"},
        {"Abc", "Abc"},        {"_x", "_x"},                  {"日本", "\x93\xFA\x96\x7B"},
    };
    for (const auto& n : kNames) {
        EXPECT_EQ(ShownName(source, n.raw), n.cp932) << n.raw;
        EXPECT_EQ(FolderKey(source, n.raw), n.cp932) << n.raw;
        EXPECT_EQ(FileKey(source, n.raw), n.cp932) << n.raw;
    }
    NameOrder order = DiskNameOrder();
    EXPECT_FALSE(order.bytewise);
    for (const auto& a : kNames) {
        for (const auto& b : kNames) {
            EXPECT_EQ(Sign(order.folders(FolderKey(source, a.raw), FolderKey(source, b.raw))), Sign(lstrcmpiA(a.cp932, b.cp932)))
                << a.raw << " " << b.raw;
            EXPECT_EQ(Sign(order.files(FileKey(source, a.raw), FileKey(source, b.raw))), Sign(lstrcmpA(a.cp932, b.cp932)))
                << a.raw << " " << b.raw;
        }
    }
    // A source of the usual kind brings the usual order back.
    DiskSource plain;
    std::string error;
    ASSERT_TRUE(InitDiskSource(plain, error));
    EXPECT_TRUE(DiskNameOrder().bytewise);
    CloseDiskSource(plain);
}

TEST_F(CliSource, CompatKeepsTheDeliveryOrder) {
    const char* kNames[] = {"b.txt", "A.txt", "表.txt", "_x", "Z", "한국"};
    for (const char* name : kNames) ASSERT_TRUE(MakeFile(W(name))) << name;
    std::vector<std::string> delivered;  // what FindFirstFileW gives, in its order
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((wroot + L"\\*").c_str(), &data);
    ASSERT_NE(find, INVALID_HANDLE_VALUE);
    do {
        std::wstring name = data.cFileName;
        if (name != L"." && name != L"..") delivered.push_back(Utf8Of(name));
    } while (FindNextFileW(find, &data));
    FindClose(find);
    source.windowsOrder = source.toSjis = true;
    int err = -1;
    std::vector<Listed> listed = Read(source, root, err);
    ASSERT_EQ(err, 0);
    std::vector<std::string> read;
    for (const Listed& l : listed) read.push_back(l.raw);
    EXPECT_EQ(read, delivered);
    const Listed* korean = Find(listed, "한국");
    ASSERT_NE(korean, nullptr);
    EXPECT_EQ(korean->name, "??");
    EXPECT_EQ(korean->key, "??");
}

// ---- Metadata

// A UTC calendar time as Windows counts file times.
FILETIME FileTimeOf(WORD year, WORD month, WORD day, WORD hour, WORD minute, WORD second, WORD ms) {
    SYSTEMTIME st{year, month, 0, day, hour, minute, second, ms};
    FILETIME ft{};
    SystemTimeToFileTime(&st, &ft);
    return ft;
}

TEST_F(CliSource, StatAtAnswersFromTheFolderRead) {
    const struct {
        const char* name;
        size_t size;
        FILETIME written;
        int64_t seconds;
        uint32_t nsec;
        uint32_t mode;
    } kFiles[] = {
        {"empty.txt", 0, FileTimeOf(2001, 2, 3, 4, 5, 6, 700), 981173106, 700000000, kTypeFile | 0644},
        {"one", 1, FileTimeOf(2038, 1, 19, 3, 14, 8, 0), 2147483648, 0, kTypeFile | 0644},
        {"prog.EXE", 4097, FileTimeOf(2001, 2, 3, 4, 5, 6, 0), 981173106, 0, kTypeFile | 0755},
        {"run.cmd", 10, FileTimeOf(2001, 2, 3, 4, 5, 6, 0), 981173106, 0, kTypeFile | 0755},
        {"exe", 10, FileTimeOf(2001, 2, 3, 4, 5, 6, 0), 981173106, 0, kTypeFile | 0644},
        {"before 1970", 2, FileTimeOf(1969, 12, 31, 23, 59, 59, 500), -1, 500000000, kTypeFile | 0644},
    };
    for (const auto& f : kFiles) {
        ASSERT_TRUE(MakeFile(W(f.name), f.size)) << f.name;
        HANDLE h = CreateFileW(W(f.name).c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(h, INVALID_HANDLE_VALUE);
        ASSERT_TRUE(SetFileTime(h, nullptr, nullptr, &f.written));
        CloseHandle(h);
    }
    ASSERT_TRUE(CreateDirectoryW(W("folder").c_str(), nullptr));
    int err = -1;
    Read(source, root, err);
    ASSERT_EQ(err, 0);
    for (const auto& f : kFiles) {
        WIN32_FILE_ATTRIBUTE_DATA system;
        ASSERT_TRUE(GetFileAttributesExW(W(f.name).c_str(), GetFileExInfoStandard, &system));
        EntryStat st;
        ASSERT_EQ(StatAt(source.lastFolder, f.name, kStatLink, kStatMode | kStatSize | kStatMtime, st), 0) << f.name;
        EXPECT_EQ(st.size, (uint64_t(system.nFileSizeHigh) << 32 | system.nFileSizeLow)) << f.name;
        EXPECT_EQ(st.size, f.size) << f.name;
        EXPECT_EQ(st.mtime, f.seconds) << f.name;
        EXPECT_EQ(st.mtimeNsec, f.nsec) << f.name;
        EXPECT_EQ(st.mode, f.mode) << f.name;
        EXPECT_EQ(st.attributes, system.dwFileAttributes) << f.name;
        EXPECT_EQ(st.nlink, 1u) << f.name;
    }
    EntryStat st;
    ASSERT_EQ(StatAt(source.lastFolder, "folder", kStatLink, kStatMode, st), 0);
    EXPECT_EQ(st.mode, kTypeFolder | 0755);
    EXPECT_EQ(StatAt(source.lastFolder, "absent", kStatLink, kStatMode, st), ENOENT);
    EXPECT_EQ(StatAt(FolderHandle(-1), "one", kStatLink, kStatMode, st), EBADF);
}

TEST_F(CliSource, StatAtFolderItselfAndIdentity) {
    ASSERT_TRUE(MakeFile(W("ro.txt"), 3));
    ASSERT_TRUE(SetFileAttributesW(W("ro.txt").c_str(), FILE_ATTRIBUTE_READONLY));
    ASSERT_TRUE(CreateDirectoryW(W("sub").c_str(), nullptr));
    int err = -1;
    Read(source, root, err);
    ASSERT_EQ(err, 0);
    FolderHandle folder = source.lastFolder;
    EntryStat st, itself, given, ro;
    ASSERT_EQ(StatAt(folder, "ro.txt", kStatLink, kStatMode, ro), 0);
    EXPECT_EQ(ro.mode, kTypeFile | 0444);
    EXPECT_TRUE(ro.attributes & kAttributeReadOnly);
    ASSERT_EQ(StatAt(folder, "", kStatTarget, kStatMode | kStatIno, itself), 0);
    EXPECT_EQ(TypeOf(itself.mode), kTypeFolder);
    ASSERT_EQ(StatAt(WorkingFolder(), root.c_str(), kStatTarget, kStatMode | kStatIno, given), 0);
    EXPECT_EQ(TypeOf(given.mode), kTypeFolder);
    EXPECT_EQ(given.ino, itself.ino);
    EXPECT_EQ(given.dev, itself.dev);
    ASSERT_EQ(StatAt(folder, "sub", kStatLink, kStatIno, st), 0);
    EXPECT_NE(st.ino, itself.ino);
    EXPECT_EQ(StatAt(WorkingFolder(), (root + "/none").c_str(), kStatTarget, kStatMode, st), ENOENT);
    SetFileAttributesW(W("ro.txt").c_str(), FILE_ATTRIBUTE_NORMAL);
}

// ---- Links

// What Wine makes of Linux symbolic links: one to a folder is a folder with FILE_ATTRIBUTE_REPARSE_POINT
// and a reparse tag of 0, without reparse data; one to a file is a plain file; a dangling one is not
// listed at all. (Wine's CreateSymbolicLinkW makes nothing, so no Windows link can be made here.)
TEST_F(CliSource, LinuxLinksAsWineShowsThem) {
    ASSERT_TRUE(CreateDirectoryW(W("target").c_str(), nullptr));
    ASSERT_TRUE(MakeFile(W("target/in.txt")));
    ASSERT_TRUE(MakeFile(W("file.txt"), 5));
    Unix("cd '" + unixRoot + "' && ln -s target linkdir && ln -s file.txt linkfile && ln -s /nonexistent broken");
    int err = -1;
    std::vector<Listed> listed = Read(source, root, err);
    ASSERT_EQ(err, 0);
    EXPECT_EQ(RawNames(listed), (std::vector<std::string>{"file.txt", "linkdir", "linkfile", "target"}));
    const Listed* link = Find(listed, "linkdir");
    ASSERT_NE(link, nullptr);
    EXPECT_EQ(link->kind, kEntryLink) << "listed as a file, never entered";
    EXPECT_EQ(Find(listed, "linkfile")->kind, kEntryFile);

    EntryStat asLink, reached, target;
    ASSERT_EQ(StatAt(source.lastFolder, "linkdir", kStatLink, kStatMode, asLink), 0);
    EXPECT_EQ(TypeOf(asLink.mode), kTypeLink);
    EXPECT_TRUE(asLink.attributes & kAttributeReparsePoint);
    ASSERT_EQ(StatAt(source.lastFolder, "linkdir", kStatTarget, kStatMode | kStatIno, reached), 0);
    EXPECT_EQ(TypeOf(reached.mode), kTypeFolder);
    ASSERT_EQ(StatAt(source.lastFolder, "target", kStatLink, kStatMode | kStatIno, target), 0);
    EXPECT_EQ(reached.ino, target.ino) << "-l knows the folder it entered";
    std::string where;
    EXPECT_EQ(ReadLinkAt(source.lastFolder, "linkdir", where), EINVAL) << "Wine keeps no reparse data";
    // The link given as a path: itself, or the folder it leads to.
    std::string given = root + "/linkdir";
    ASSERT_EQ(StatAt(WorkingFolder(), given.c_str(), kStatLink, kStatMode, asLink), 0);
    EXPECT_EQ(TypeOf(asLink.mode), kTypeLink);
    ASSERT_EQ(StatAt(WorkingFolder(), given.c_str(), kStatTarget, kStatMode | kStatIno, reached), 0);
    EXPECT_EQ(TypeOf(reached.mode), kTypeFolder);
    EXPECT_EQ(reached.ino, target.ino);

    source.windowsOrder = true;  // the Windows program's view: a folder not entered
    listed = Read(source, root, err);
    ASSERT_EQ(err, 0);
    EXPECT_EQ(Find(listed, "linkdir")->kind, kEntryFolderLink);
    EXPECT_EQ(Find(listed, "target")->kind, kEntryFolder);
}

}  // namespace
