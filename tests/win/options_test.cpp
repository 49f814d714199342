// Options on real INI files under Wine: loading with the defaults of missing keys, "yes" compared with
// case, saving into the start directory (other sections and keys left alone), and no file at all when
// the start directory is gone.
#include "app_fixture.h"
#include "resource.h"

namespace {

using Options = AppTest;

struct LoadCase {
    const char* name;
    const char* ini;  // nullptr: no file
    const char* marks;
};

const LoadCase kLoadCases[] = {
    {"no file", nullptr, "11110"},
    {"only the name limit, on", "[OPTION]\r\n文字数制限=yes\r\n", "11111"},
    {"subfolders off", "[OPTION]\r\nサブフォルダ=no\r\n", "01110"},
    {"all five off", "[OPTION]\r\nサブフォルダ=no\r\nフォルダ名=no\r\nファイル名=no\r\nツリー表示=no\r\n文字数制限=no\r\n",
     "00000"},
    {"yes in capitals is off", "[OPTION]\r\nツリー表示=YES\r\nフォルダ名=Yes\r\n文字数制限=yES\r\n", "10100"},
    {"a longer word is off", "[OPTION]\r\nファイル名=yesyesyesyesyesyesyes\r\n", "11010"},
    {"empty value is off", "[OPTION]\r\nサブフォルダ=\r\n", "01110"},
    {"keys of another section", "[OTHER]\r\nサブフォルダ=no\r\n文字数制限=yes\r\n", "11110"},
};

TEST_F(Options, LoadCheckTheItemsThatAreYes) {
    for (const LoadCase& c : kLoadCases) {
        SCOPED_TRACE(c.name);
        DeleteFileA((start_ / "zk_ar.ini").c_str());
        if (c.ini) {
            ASSERT_TRUE(WriteFileBytes(start_ / "zk_ar.ini", c.ini));
        }
        OpenMain();
        EXPECT_EQ(Marks(main_), c.marks);
        DestroyWindow(main_);
        DrainMessages();
    }
}

TEST_F(Options, FirstRunWritesAllFiveKeysAtExit) {
    OpenMain();
    EXPECT_EQ(Command(IDM_EXIT), 0);
    EXPECT_FALSE(IsWindow(main_));
    EXPECT_EQ(ReadFileBytes(start_ / "zk_ar.ini"),
              "[OPTION]\r\nサブフォルダ=yes\r\nフォルダ名=yes\r\nファイル名=yes\r\nツリー表示=yes\r\n文字数制限=no\r\n");
}

TEST_F(Options, SaveChangesOnlyTheFiveKeys) {
    ASSERT_TRUE(WriteFileBytes(start_ / "zk_ar.ini",
                               "[Mine]\r\nkeep=1\r\n[OPTION]\r\nextra=zz\r\nサブフォルダ=no\r\n[Last]\r\nx=y\r\n"));
    OpenMain();
    ToggleCheck(main_, IDM_NAME_LIMIT);
    ToggleCheck(main_, IDM_FILE_NAMES);
    SendMessageA(main_, WM_CLOSE, 0, 0);  // the close button saves as Exit does
    const std::string ini = start_ / "zk_ar.ini";
    EXPECT_EQ(IniValue(ini, "Mine", "keep"), "1");
    EXPECT_EQ(IniValue(ini, "Last", "x"), "y");
    EXPECT_EQ(IniValue(ini, "OPTION", "extra"), "zz");
    EXPECT_EQ(IniValue(ini, "OPTION", "サブフォルダ"), "no");
    EXPECT_EQ(IniValue(ini, "OPTION", "ファイル名"), "no");
    EXPECT_EQ(IniValue(ini, "OPTION", "文字数制限"), "yes");
    // The next run reads the same marks back.
    OpenMain();
    EXPECT_EQ(Marks(main_), "01011");
}

TEST_F(Options, SaveGoesToTheStartDirectoryAfterTheCurrentOneChanged) {
    OpenMain();
    TempDir elsewhere;
    ASSERT_TRUE(SetCurrentDirectoryA(elsewhere.path().c_str()));
    DestroyWindow(main_);
    EXPECT_TRUE(Exists(start_ / "zk_ar.ini"));
    EXPECT_FALSE(Exists(elsewhere / "zk_ar.ini"));
}

TEST_F(Options, NothingIsWrittenWhenTheStartDirectoryIsGone) {
    const std::string gone = start_ / "gone";
    ASSERT_TRUE(CreateDirectoryA(gone.c_str(), nullptr));
    ASSERT_TRUE(SetCurrentDirectoryA(gone.c_str()));
    OpenMain();
    ASSERT_TRUE(SetCurrentDirectoryA(start_.path().c_str()));
    ASSERT_TRUE(RemoveDirectoryA(gone.c_str()));
    DestroyWindow(main_);
    EXPECT_FALSE(Exists(start_ / "zk_ar.ini"));
    EXPECT_FALSE(Exists(gone));
}

}  // namespace
