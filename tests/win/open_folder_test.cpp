// Folders opened without the picker, under Wine: the command line read as the program reads it (quotes,
// spaces, relative paths, trailing backslashes, Shift_JIS names, the 260-byte limit), the listing it
// starts or the box it shows, and folders dropped on the window (DROPFILES blocks made here).
#include <cstring>
#include <vector>

#include "app_fixture.h"

namespace {

constexpr char kPrevious[] = "previous text";
constexpr char kNotFound[] = "フォルダが見つかりません。\n";
constexpr char kNotice[] =
    "ファイルを抽出します。\nご使用のパソコンによっては数分かかる場合がありますが、\nしばらくそのままお待ちください。";

// A folder whose path is `total` bytes long, under `base`, made through the \\?\ form (the ANSI calls
// refuse paths of 260 bytes or more). Empty when it could not be made.
std::string MakeFolderOfLength(const std::string& base, size_t total) {
    std::string path = base;
    while (path.size() + 1 < total) {
        const size_t room = total - path.size() - 1;
        // Components of at most 200 bytes, none shorter than 2 (so a last one always fits).
        const size_t part = room > 200 ? (room - 200 < 2 ? 190 : 200) : room;
        path += "\\" + std::string(part, 'L');
        const std::wstring wide = L"\\\\?\\" + std::wstring(path.begin(), path.end());
        if (!CreateDirectoryW(wide.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) return {};
    }
    return path.size() == total ? path : std::string();
}

// Removes what MakeFolderOfLength made under `base`, deepest first.
void RemoveFolderChain(std::string path, const std::string& base) {
    while (path.size() > base.size()) {
        const std::wstring wide = L"\\\\?\\" + std::wstring(path.begin(), path.end());
        RemoveDirectoryW(wide.c_str());
        path.resize(path.rfind('\\'));
    }
}

class OpenFolder : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        ASSERT_TRUE(tree_.Make("b/\n  inner.txt\na.txt\n"));
    }
    std::string Listing(const std::string& root) const {
        return Crlf("[ " + root + " ]\n ├[ b ]\n │ └inner.txt\n └a.txt\n");
    }
    // The message WinMain posts, for `commandLine`.
    void StartWith(const std::string& commandLine) {
        commandLine_ = commandLine;
        g_pendingCommandLine = commandLine_.c_str();
        SendMessageA(main_, kOpenArgumentMessage, 0, 0);
    }
    TempDir tree_;
    std::string commandLine_;
};

struct ArgumentCase {
    std::string commandLine;
    ArgumentKind kind;
    std::string path;
};

TEST_F(OpenFolder, CommandLineIsReadAsOneFolderArgument) {
    ASSERT_TRUE(tree_.Make("with space/\n予定表/\nsub/\nfile.txt\n"));
    ASSERT_TRUE(SetCurrentDirectoryA(tree_.path().c_str()));
    const std::string t = tree_.path();
    const std::string parent = t.substr(0, t.rfind('\\'));
    const std::string p259 = MakeFolderOfLength(t, 259), p260 = MakeFolderOfLength(t, 260);
    ASSERT_EQ(p259.size(), 259u);
    ASSERT_EQ(p260.size(), 260u);
    ASSERT_NE(GetFileAttributesA(p259.c_str()), INVALID_FILE_ATTRIBUTES);

    const ArgumentCase cases[] = {
        // No argument: blanks after the program's name, quoted or not, with spaces in it or not.
        {"ZK-Arbolin.exe", kNoArgument, ""},
        {"ZK-Arbolin.exe  \t ", kNoArgument, ""},
        {"\"C:\\Program Files\\ZK Arbolin\\ZK-Arbolin.exe\"", kNoArgument, ""},
        {"\"C:\\Program Files\\ZK Arbolin\\ZK-Arbolin.exe\"   ", kNoArgument, ""},
        // Absolute, quoted or not; unquoted with spaces taken whole; quoted after a quoted program name.
        {"ZK-Arbolin.exe " + t, kArgumentFolder, t},
        {"ZK-Arbolin.exe \"" + t + "\\with space\"", kArgumentFolder, t + "\\with space"},
        {"ZK-Arbolin.exe " + t + "\\with space", kArgumentFolder, t + "\\with space"},
        {"\"C:\\Program Files\\x\\ZK-Arbolin.exe\"\t\"" + t + "\\sub\"", kArgumentFolder, t + "\\sub"},
        // Relative to the current directory, "." and "..".
        {"ZK-Arbolin.exe sub", kArgumentFolder, t + "\\sub"},
        {"ZK-Arbolin.exe with space  ", kArgumentFolder, t + "\\with space"},
        {"ZK-Arbolin.exe .", kArgumentFolder, t},
        {"ZK-Arbolin.exe ..", kArgumentFolder, parent},
        {"ZK-Arbolin.exe .\\sub\\..\\b", kArgumentFolder, t + "\\b"},
        // Trailing backslashes go, a quote after one ends the argument; a drive root keeps its own.
        {"ZK-Arbolin.exe sub\\", kArgumentFolder, t + "\\sub"},
        {"ZK-Arbolin.exe \"sub\\\"", kArgumentFolder, t + "\\sub"},
        {"ZK-Arbolin.exe " + t + "\\\\", kArgumentFolder, t},
        {"ZK-Arbolin.exe C:\\", kArgumentFolder, "C:\\"},
        {"ZK-Arbolin.exe \"C:\\\"", kArgumentFolder, "C:\\"},
        {"ZK-Arbolin.exe Q:\\", kArgumentFolder, "Q:\\"},
        // "表" ends in the byte 0x5C: it is no backslash and stays; a real one after it goes.
        {"ZK-Arbolin.exe 予定表", kArgumentFolder, t + "\\予定表"},
        {"ZK-Arbolin.exe 予定表\\", kArgumentFolder, t + "\\予定表"},
        // More than one item: the first (quoted, or the first word when the whole names nothing).
        {"ZK-Arbolin.exe \"sub\" \"b\"", kArgumentFolder, t + "\\sub"},
        {"ZK-Arbolin.exe sub b", kArgumentFolder, t + "\\sub"},
        // Nothing to list: missing, a file, a path of 260 bytes; the box then names the whole text.
        {"ZK-Arbolin.exe missing", kArgumentNotFound, t + "\\missing"},
        {"ZK-Arbolin.exe missing sub", kArgumentNotFound, t + "\\missing sub"},
        {"ZK-Arbolin.exe file.txt", kArgumentNotFound, t + "\\file.txt"},
        {"ZK-Arbolin.exe \"file.txt\" sub", kArgumentNotFound, t + "\\file.txt"},
        {"ZK-Arbolin.exe " + p259, kArgumentFolder, p259},
        {"ZK-Arbolin.exe " + p260, kArgumentNotFound, p260},
        {"ZK-Arbolin.exe " + p259 + "\\", kArgumentFolder, p259},
    };
    for (const ArgumentCase& c : cases) {
        SCOPED_TRACE(c.commandLine);
        const FolderArgument got = ParseFolderArgument(c.commandLine.c_str());
        EXPECT_EQ(got.kind, c.kind);
        EXPECT_EQ(got.path, c.path);
        EXPECT_EQ(HasFolderArgument(c.commandLine.c_str()), c.kind != kNoArgument);
    }
    EXPECT_EQ(ParseFolderArgument(nullptr).kind, kNoArgument);
    RemoveFolderChain(p259, t);
    RemoveFolderChain(p260, t);
}

TEST_F(OpenFolder, ArgumentListsAsTheSelectFolderCommandDoes) {
    OpenMain();
    StartWith("ZK-Arbolin.exe \"" + tree_.path() + "\\\"");
    EXPECT_EQ(log_->browseCalls, 0);
    ASSERT_EQ(log_->boxes.size(), 1u);
    EXPECT_EQ(log_->boxes[0].owner, nullptr);
    EXPECT_EQ(log_->boxes[0].text, kNotice);
    EXPECT_EQ(log_->boxes[0].caption, "ZK-Ramelkin");
    const std::string listed = EditText();
    EXPECT_EQ(listed, Listing(tree_.path()));
    // The message again finds no command line left; the picker gives the same text for the same folder.
    StartWith("");
    EXPECT_EQ(log_->boxes.size(), 1u);
    SendMessageA(main_, kOpenArgumentMessage, 0, 0);
    EXPECT_EQ(log_->boxes.size(), 1u);
    SetEditText(kPrevious);
    log_->pickedPath = tree_.path();
    BuildList(main_);
    EXPECT_EQ(EditText(), listed);
}

TEST_F(OpenFolder, NothingToListShowsOneBoxOwnedByTheWindow) {
    ASSERT_TRUE(tree_.Make("file.txt\n"));
    const std::string p260 = MakeFolderOfLength(tree_.path(), 260);
    ASSERT_EQ(p260.size(), 260u);
    for (const std::string& path : {tree_ / "missing", tree_ / "file.txt", p260}) {
        SCOPED_TRACE(path);
        OpenMain();
        log_->boxes.clear();
        StartWith("ZK-Arbolin.exe \"" + path + "\"");
        ASSERT_EQ(log_->boxes.size(), 1u);
        EXPECT_EQ(log_->boxes[0].owner, main_);
        EXPECT_EQ(log_->boxes[0].text, kNotFound + path);
        EXPECT_EQ(log_->boxes[0].caption, "ZK-Arbolin");
        EXPECT_EQ(log_->boxes[0].type, 0u);
        EXPECT_EQ(log_->browseCalls, 0);
        EXPECT_EQ(log_->textsSet, 0);
        EXPECT_EQ(EditText(), "");
        DestroyWindow(main_);
        DrainMessages();
    }
    RemoveFolderChain(p260, tree_.path());
}

// ---- Drops

// A drop as the shell hands it over: a DROPFILES header, then each path and a final empty one, in the
// ANSI code page or (as the Explorer sends them) in UTF-16.
HGLOBAL MakeDrop(const std::vector<std::string>& items, bool wide) {
    std::vector<char> names;
    for (const std::string& item : items) {
        if (wide) {
            std::vector<wchar_t> w(item.size() + 1);
            const int n = MultiByteToWideChar(CP_ACP, 0, item.c_str(), -1, w.data(), static_cast<int>(w.size()));
            const char* bytes = reinterpret_cast<const char*>(w.data());
            names.insert(names.end(), bytes, bytes + n * sizeof(wchar_t));
        } else {
            names.insert(names.end(), item.c_str(), item.c_str() + item.size() + 1);
        }
    }
    names.insert(names.end(), wide ? sizeof(wchar_t) : 1, '\0');
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DROPFILES) + names.size());
    auto* header = static_cast<DROPFILES*>(GlobalLock(block));
    header->pFiles = sizeof(DROPFILES);
    header->fWide = wide;
    std::memcpy(reinterpret_cast<char*>(header) + sizeof(DROPFILES), names.data(), names.size());
    GlobalUnlock(block);
    return block;
}

void Drop(HWND window, const std::vector<std::string>& items, bool wide = false) {
    SendMessageA(window, WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop(items, wide)), 0);
}

// The window under test, for the stand-ins that act while a box is open.
HWND g_main = nullptr;

class DropFolder : public OpenFolder {
protected:
    void SetUp() override {
        OpenFolder::SetUp();
        OpenMain();
        SetEditText(kPrevious);
        ASSERT_TRUE(names_.Make("日本語/\n  x.txt\n"));
    }
    TempDir names_;
};

TEST_F(DropFolder, MainWindowTakesDropsAndTheEditControlLeavesThemToIt) {
    EXPECT_TRUE(GetWindowLongPtrA(main_, GWL_EXSTYLE) & WS_EX_ACCEPTFILES);
    EXPECT_FALSE(GetWindowLongPtrA(g_editControl, GWL_EXSTYLE) & WS_EX_ACCEPTFILES);
}

struct DropCase {
    const char* what;
    std::vector<std::string> items;
    bool wide;
    std::string listed;  // the folder listed, empty: nothing happens
};

TEST_F(DropFolder, FirstDroppedFolderIsListed) {
    const std::string t = tree_.path();
    const DropCase cases[] = {
        {"a folder", {t}, false, t},
        {"a folder, UTF-16 as the Explorer sends it", {t}, true, t},
        {"a Japanese name in UTF-16", {names_ / "日本語"}, true, names_ / "日本語"},
        {"a file", {t + "\\a.txt"}, false, ""},
        {"a file, then folders", {t + "\\a.txt", t + "\\b", t}, false, t + "\\b"},
        {"missing and a file", {t + "\\missing", t + "\\b\\inner.txt"}, true, ""},
        {"nothing", {}, false, ""},
        {"the drive root Q:", {"Q:\\"}, false, "Q:\\"},
    };
    for (const DropCase& c : cases) {
        SCOPED_TRACE(c.what);
        SetEditText(kPrevious);
        log_->boxes.clear();
        log_->textsSet = 0;
        Drop(main_, c.items, c.wide);
        EXPECT_EQ(log_->browseCalls, 0);
        if (c.listed.empty()) {
            EXPECT_TRUE(log_->boxes.empty());
            EXPECT_EQ(log_->textsSet, 0);
            EXPECT_EQ(EditText(), kPrevious);
            continue;
        }
        ASSERT_EQ(log_->boxes.size(), 1u);
        EXPECT_EQ(log_->boxes[0].text, kNotice);
        const std::string text = EditText();
        EXPECT_EQ(text.substr(0, text.find('\r')), "[ " + c.listed + " ]");
    }
    // The listing of a dropped folder is the picker's for the same folder.
    Drop(main_, {t});
    const std::string dropped = EditText();
    EXPECT_EQ(dropped, Listing(t));
    log_->pickedPath = t;
    SetEditText(kPrevious);
    BuildList(main_);
    EXPECT_EQ(EditText(), dropped);
}

TEST_F(DropFolder, DropWhileAListingRunsIsIgnored) {
    TempDir other;
    ASSERT_TRUE(other.Make("other.txt\n"));
    g_main = main_;
    static std::string otherPath;
    otherPath = other.path();
    static HGLOBAL ignored;
    ignored = nullptr;
    log_->duringBox = [](const ShellLog::Box&) {
        ignored = MakeDrop({otherPath}, false);
        SendMessageA(g_main, WM_DROPFILES, reinterpret_cast<WPARAM>(ignored), 0);
    };
    Drop(main_, {tree_.path()});
    EXPECT_EQ(log_->boxes.size(), 1u);
    EXPECT_EQ(EditText(), Listing(tree_.path()));
    // The ignored drop's memory went back to the system all the same.
    ASSERT_NE(ignored, nullptr);
    EXPECT_EQ(GlobalFlags(ignored), UINT(GMEM_INVALID_HANDLE));
    // Once the listing is over, a drop is taken again; one while a picker's command runs is ignored too.
    log_->duringBox = nullptr;
    Drop(main_, {other.path()});
    EXPECT_EQ(log_->boxes.size(), 2u);
    EXPECT_EQ(EditText(), Crlf("[ " + other.path() + " ]\n └other.txt\n"));
    log_->pickedPath = tree_.path();
    log_->duringBox = [](const ShellLog::Box&) { Drop(g_main, {otherPath}); };
    BuildList(main_);
    EXPECT_EQ(log_->boxes.size(), 3u);
    EXPECT_EQ(EditText(), Listing(tree_.path()));
}

}  // namespace
