// Bad input on the Windows side: folders whose search pattern is 259 and 260 bytes (the longer one is
// reported like an unopenable folder and never handed to FindFirstFileA), and options files that are
// empty, binary, huge, without the section or with blanks and quotes around the values.
#include <string>
#include <vector>

#include "app_fixture.h"
#include "resource.h"

namespace {

// ---- Long paths.

TEST(Win32LongPaths, A259BytePatternIsReadAndA260ByteOneIsReportedUnopened) {
    TempDir dir;
    // Two subfolders of the listed folder: "a…a" whose pattern (path + "\*") is 259 bytes, the most
    // that fits the 260-byte buffer with its terminator, and "b…b", one byte longer.
    const size_t fits = 259 - 2 - dir.path().size() - 1;
    ASSERT_LE(fits + 1, 255u) << "the temporary folder's path is too short for this test";
    const std::string nameA(fits, 'a'), nameB(fits + 1, 'b');
    const std::string folderA = dir / nameA, folderB = dir / nameB;
    ASSERT_EQ(folderA.size() + 2, 259u);
    ASSERT_EQ(folderB.size() + 2, 260u);
    ASSERT_TRUE(CreateDirectoryA(folderA.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA(folderB.c_str(), nullptr));
    ASSERT_TRUE(WriteFileBytes(folderA + "\\f", ""));  // a 259-byte path
    // A file inside "b…b" would show if that folder were read; its path is 261 bytes, past MAX_PATH, so
    // it is made through the Unicode call with the \\?\ prefix.
    const std::string longFile = "\\\\?\\" + folderB + "\\g";
    const std::wstring wideFile(longFile.begin(), longFile.end());
    HANDLE file = CreateFileW(wideFile.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    CloseHandle(file);

    for (bool treeView : {true, false}) {
        SCOPED_TRACE(treeView ? "tree" : "indented");
        g_boxes.clear();
        g_patterns.clear();
        Win32Source source;
        source.optionWindow = GetDesktopWindow();
        source.messageBox = RecordBox;
        source.findFirst = RecordFindFirst;
        static ListingTables tables;
        if (tables.limits.folderRows == 0) InitListing(tables, kDefinedLimits);
        ResetListing(tables, dir.path());
        TextBuffer buffer;
        InitTextBuffer(buffer, kDefinedLimits);
        ListOptions options;
        options.treeView = treeView;
        EXPECT_EQ(RunListing(tables, source, dir.path(), options, buffer), kListed);

        // "a…a" is read (its file listed); "b…b" keeps its row, with nothing under it.
        const std::string expected = treeView
            ? "[ " + dir.path() + " ]\n ├[ " + nameA + " ]\n │ └f\n └[ " + nameB + " ]\n"
            : "[ " + dir.path() + " ]\n   [ " + nameA + " ]\n      f\n   [ " + nameB + " ]\n";
        EXPECT_EQ(buffer.text, Crlf(expected));
        EXPECT_EQ(g_patterns, (std::vector<std::string>{dir.path() + "\\*", folderA + "\\*"}));
        ASSERT_EQ(g_boxes.size(), 1u);
        EXPECT_EQ(g_boxes[0].owner, GetDesktopWindow());
        EXPECT_EQ(g_boxes[0].text, "失敗かな？");
        EXPECT_EQ(g_boxes[0].caption, "findfile");
    }
    DeleteFileW(wideFile.c_str());
}

// ---- Options files.

// Bytes from a fixed linear congruential sequence: NULs, CRs, LFs, '[' and '=' among them.
std::string Garbage(size_t size) {
    std::string bytes(size, '\0');
    uint32_t state = 12345;
    for (char& c : bytes) {
        state = state * 1103515245u + 12345u;
        c = static_cast<char>(state >> 24);
    }
    return bytes;
}

// About 10 MB: 300,000 keys in a section of their own, then the options section with one key.
std::string Huge() {
    std::string text = "[Filler]\r\n";
    for (int k = 0; k < 300000; ++k) text += "key" + std::to_string(k) + "=some value of a fair length\r\n";
    return text + "[OPTION]\r\nファイル名=no\r\n";
}

struct IniCase {
    const char* name;
    std::string ini;
    const char* marks;  // after loading: defaults "11110" where the file says nothing usable
};

// A missing key gives its default; a value other than "yes" (after the profile reader's trimming of
// blanks and surrounding quotes) is off; nothing is ever reported.
std::vector<IniCase> IniCases() {
    return {
        {"empty file", "", "11110"},
        {"only blank lines", "\r\n\r\n   \r\n", "11110"},
        {"binary garbage", Garbage(64 * 1024), "11110"},
        {"NUL byte after a value", std::string("[OPTION]\r\nサブフォルダ=no") + '\0' + "\r\nフォルダ名=no\r\n", "00110"},
        {"section without keys", "[OPTION]\r\n", "11110"},
        {"keys without a section", "サブフォルダ=no\r\n文字数制限=yes\r\n", "11110"},
        {"section name in other case", "[option]\r\nサブフォルダ=no\r\n", "01110"},
        {"blank after yes", "[OPTION]\r\n文字数制限=yes \r\n", "11111"},
        {"blanks and tab around yes", "[OPTION]\r\n文字数制限=  yes\t \r\n", "11111"},
        {"yes in quotes", "[OPTION]\r\n文字数制限=\"yes\"\r\n", "11111"},
        {"YES in capitals", "[OPTION]\r\nサブフォルダ=YES\r\n文字数制限=YES\r\n", "01110"},
        {"no line end after the last value", "[OPTION]\r\nツリー表示=no", "11100"},
        {"LF line ends", "[OPTION]\nサブフォルダ=no\nツリー表示=no\n", "01100"},
        {"huge file", Huge(), "11010"},
    };
}

using BadOptionsFile = AppTest;

TEST_F(BadOptionsFile, LoadsTheDefinedMarksSilentlyAndSavesWhatReadsBack) {
    const std::string ini = start_ / "zk_ar.ini";
    for (const IniCase& c : IniCases()) {
        SCOPED_TRACE(c.name);
        DeleteFileA(ini.c_str());
        ASSERT_TRUE(WriteFileBytes(ini, c.ini));
        log_->boxes.clear();
        OpenMain();
        EXPECT_EQ(Marks(main_), c.marks);
        // Toggle one mark so that the save has to change the file, then close as the user would.
        ToggleCheck(main_, IDM_NAME_LIMIT);
        std::string saved = c.marks;
        saved[4] = saved[4] == '1' ? '0' : '1';
        SendMessageA(main_, WM_CLOSE, 0, 0);
        DrainMessages();
        EXPECT_TRUE(log_->boxes.empty());
        OpenMain();
        EXPECT_EQ(Marks(main_), saved);
        DestroyWindow(main_);
        DrainMessages();
        EXPECT_TRUE(log_->boxes.empty());
    }
}

TEST_F(BadOptionsFile, HugeFileKeepsItsOtherSectionThroughASave) {
    const std::string ini = start_ / "zk_ar.ini";
    const std::string huge = Huge();
    ASSERT_TRUE(WriteFileBytes(ini, huge));
    OpenMain();
    ToggleCheck(main_, IDM_SUBFOLDERS);
    SendMessageA(main_, WM_CLOSE, 0, 0);
    DrainMessages();
    EXPECT_EQ(IniValue(ini, "Filler", "key0"), "some value of a fair length");
    EXPECT_EQ(IniValue(ini, "Filler", "key299999"), "some value of a fair length");
    EXPECT_EQ(IniValue(ini, "OPTION", "サブフォルダ"), "no");
    EXPECT_EQ(IniValue(ini, "OPTION", "ファイル名"), "no");
    EXPECT_GE(ReadFileBytes(ini).size(), huge.size());
}

}  // namespace
