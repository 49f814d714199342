// Saving the list under Wine with the save dialog stood in for: the dialog as asked for, the file's bytes
// (text and one 0x00), text longer than 65,536 bytes, and every failure keeping the old file.
#include "app_fixture.h"

namespace {

class SaveListTest : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        OpenMain();
        target_ = folder_ / "list.txt";
        log_->savePath = target_;
    }
    // The names in the folder of the saved file, to see that no temporary file stays behind.
    std::vector<std::string> FolderNames() const {
        std::vector<std::string> names;
        WIN32_FIND_DATAA data;
        HANDLE find = FindFirstFileA((folder_.path() + "\\*").c_str(), &data);
        if (find == INVALID_HANDLE_VALUE) return names;
        do {
            if (std::string(data.cFileName) != "." && std::string(data.cFileName) != "..") names.push_back(data.cFileName);
        } while (FindNextFileA(find, &data));
        FindClose(find);
        return names;
    }
    bool Modified() const { return SendMessageA(g_editControl, EM_GETMODIFY, 0, 0) != 0; }

    TempDir folder_;
    std::string target_;
};

TEST_F(SaveListTest, DialogIsShownAsDefined) {
    log_->savePath.clear();  // cancelled
    EXPECT_FALSE(SaveList(main_, g_editControl));
    ASSERT_EQ(log_->saveDialogs, 1);
    const OPENFILENAMEA& d = log_->saveInfo;
    EXPECT_EQ(d.lStructSize, DWORD(OPENFILENAME_SIZE_VERSION_400A));
#ifndef _WIN64
    EXPECT_EQ(d.lStructSize, 76u);
#endif
    EXPECT_EQ(d.hwndOwner, main_);
    EXPECT_EQ(log_->saveFilter, "text(*.txt)|*.txt|All files(*.*)|*.*|");
    EXPECT_EQ(d.nFilterIndex, 1u);
    EXPECT_EQ(d.nMaxFile, 256u);
    EXPECT_EQ(d.nMaxFileTitle, 64u);
    EXPECT_NE(d.lpstrFileTitle, nullptr);
    EXPECT_EQ(d.lpstrInitialDir, nullptr);
    EXPECT_EQ(log_->saveTitle, "名前を付けて保存する");
    EXPECT_EQ(d.Flags, DWORD(OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY));
    EXPECT_EQ(log_->saveDefExt, "txt");
    EXPECT_TRUE(log_->boxes.empty());
    EXPECT_TRUE(FolderNames().empty());
}

TEST_F(SaveListTest, FileHoldsTheTextAndOneZeroByte) {
    const std::string texts[] = {"", "abc\r\n", Crlf("[ C:\\表 ]\n ├a\n └ソ\n"), std::string(100000, 'x') + "\r\nend"};
    for (const std::string& text : texts) {
        SCOPED_TRACE(text.size());
        SetEditText(text);
        SendMessageA(g_editControl, EM_SETMODIFY, TRUE, 0);
        EXPECT_TRUE(SaveList(main_, g_editControl));
        EXPECT_EQ(ReadFileBytes(target_), text + std::string(1, '\0'));
        EXPECT_FALSE(Modified());
        EXPECT_EQ(FolderNames(), std::vector<std::string>{"list.txt"});
    }
    EXPECT_TRUE(log_->boxes.empty());
}

TEST_F(SaveListTest, ReplacesALongerFileWhole) {
    ASSERT_TRUE(WriteFileBytes(target_, std::string(5000, 'o')));
    SetEditText("short");
    EXPECT_TRUE(SaveList(main_, g_editControl));
    EXPECT_EQ(ReadFileBytes(target_), std::string("short") + '\0');
}

struct Failure {
    const char* name;
    void (*arrange)(ShellLog&);
    bool closeBox;  // "Error CloseHandle" comes first
};

const Failure kFailures[] = {
    {"create", [](ShellLog& l) { l.failCreate = true; }, false},
    {"write", [](ShellLog& l) { l.failWrite = true; }, false},
    {"close", [](ShellLog& l) { l.failClose = true; }, true},
    {"replace", [](ShellLog& l) { l.failMove = true; }, false},
};

TEST_F(SaveListTest, EveryFailureKeepsTheOldFileAndSaysSo) {
    for (const Failure& f : kFailures) {
        SCOPED_TRACE(f.name);
        ShellLog& log = FakeShell();
        log.savePath = target_;
        f.arrange(log);
        ASSERT_TRUE(WriteFileBytes(target_, "old content"));
        SetEditText("new text");
        SendMessageA(g_editControl, EM_SETMODIFY, TRUE, 0);
        EXPECT_FALSE(SaveList(main_, g_editControl));
        EXPECT_EQ(ReadFileBytes(target_), "old content");
        EXPECT_EQ(FolderNames(), std::vector<std::string>{"list.txt"});
        EXPECT_TRUE(Modified());
        ASSERT_EQ(log.boxes.size(), f.closeBox ? 2u : 1u);
        if (f.closeBox) {
            EXPECT_EQ(log.boxes[0].owner, main_);
            EXPECT_EQ(log.boxes[0].text, "Error CloseHandle");
            EXPECT_EQ(log.boxes[0].caption, "Error");
        }
        EXPECT_EQ(log.boxes.back().owner, main_);
        EXPECT_EQ(log.boxes.back().text, "ファイルを保存できませんでした。\n" + target_);
        EXPECT_EQ(log.boxes.back().caption, "ZK-Arbolin");
        EXPECT_EQ(log.boxes.back().type, 0u);
    }
}

TEST_F(SaveListTest, FolderThatDoesNotExistIsReported) {
    log_->savePath = folder_ / "missing\\list.txt";
    EXPECT_FALSE(SaveList(main_, g_editControl));
    ASSERT_EQ(log_->boxes.size(), 1u);
    EXPECT_EQ(log_->boxes[0].text, "ファイルを保存できませんでした。\n" + log_->savePath);
}

TEST_F(SaveListTest, PathTooLongForTheBufferIsReportedCancelIsNot) {
    log_->savePath.clear();
    log_->saveError = FNERR_BUFFERTOOSMALL;
    EXPECT_FALSE(SaveList(main_, g_editControl));
    ASSERT_EQ(log_->boxes.size(), 1u);
    EXPECT_EQ(log_->boxes[0].owner, main_);
    EXPECT_EQ(log_->boxes[0].text, "ファイルを保存できませんでした。");
    log_->saveError = 0;
    EXPECT_FALSE(SaveList(main_, g_editControl));
    EXPECT_EQ(log_->boxes.size(), 1u);
}

TEST_F(SaveListTest, TemporaryFileIsMadeBesideTheTarget) {
    SetEditText("x");
    ASSERT_TRUE(WriteFileBytes(folder_ / "~zk0.tmp", "someone else's"));
    EXPECT_TRUE(SaveList(main_, g_editControl));
    ASSERT_EQ(log_->created.size(), 2u);
    EXPECT_EQ(log_->created[0], folder_ / "~zk0.tmp");
    EXPECT_EQ(log_->created[1], folder_ / "~zk1.tmp");
    EXPECT_EQ(ReadFileBytes(folder_ / "~zk0.tmp"), "someone else's");
}

}  // namespace
