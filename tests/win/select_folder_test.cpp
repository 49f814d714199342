// The select-folder command under Wine with the picker and the boxes stood in for: the picker as asked
// for, the notice, the listing in the edit control, every stop with its box, and what happens when the
// user works the menu while one of the command's boxes is open.
#include "app_fixture.h"
#include "resource.h"

namespace {

constexpr char kNotice[] =
    "ファイルを抽出します。\nご使用のパソコンによっては数分かかる場合がありますが、\nしばらくそのままお待ちください。";
constexpr char kTooMuch[] = "データ量が多すぎます。\n作業を中断します。";
constexpr char kPrevious[] = "previous text";

class SelectFolder : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        OpenMain();
        SetEditText(kPrevious);
        ASSERT_TRUE(tree_.Make("b/\n  inner.txt\na.txt\n"));
        log_->pickedPath = tree_.path();
    }
    std::string Listing() const {
        return Crlf("[ " + tree_.path() + " ]\n ├[ b ]\n │ └inner.txt\n └a.txt\n");
    }
    TempDir tree_;
};

// The window under test, for the stand-ins that act while a box is open.
HWND g_main = nullptr;

TEST_F(SelectFolder, PickerIsShownAsDefined) {
    log_->pickerCancels = true;
    BuildList(main_);
    EXPECT_EQ(log_->browseCalls, 1);
    EXPECT_EQ(log_->browseInfo.hwndOwner, main_);
    EXPECT_EQ(log_->browseInfo.pidlRoot, nullptr);
    EXPECT_EQ(log_->browseInfo.pszDisplayName, nullptr);
    EXPECT_EQ(log_->browseTitle, "フォルダを選択してください");
    EXPECT_EQ(log_->browseInfo.ulFlags, 0u);
    EXPECT_NE(log_->browseInfo.lpfn, nullptr);
    EXPECT_EQ(log_->browseInfo.lParam, 0);  // no folder preselected
}

TEST_F(SelectFolder, CancelChangesNothingAndSaysNothing) {
    log_->pickerCancels = true;
    BuildList(main_);
    EXPECT_EQ(EditText(), kPrevious);
    EXPECT_TRUE(log_->boxes.empty());
}

TEST_F(SelectFolder, ListingReplacesTheTextAfterTheNotice) {
    BuildList(main_);
    ASSERT_EQ(log_->boxes.size(), 1u);
    EXPECT_EQ(log_->boxes[0].owner, nullptr);
    EXPECT_EQ(log_->boxes[0].text, kNotice);
    EXPECT_EQ(log_->boxes[0].caption, "ZK-Ramelkin");
    EXPECT_EQ(log_->boxes[0].type, 0u);
    EXPECT_EQ(EditText(), Listing());
    EXPECT_EQ(log_->freedItems, 1);
    // The same folder again gives the same text.
    SetEditText(kPrevious);
    BuildList(main_);
    EXPECT_EQ(EditText(), Listing());
}

TEST_F(SelectFolder, OptionsAreReadWhenTheNoticeCloses) {
    g_main = main_;
    log_->duringBox = [](const ShellLog::Box&) { SendMessageA(g_main, WM_COMMAND, IDM_TREE_VIEW, 0); };
    BuildList(main_);
    EXPECT_EQ(EditText(), Crlf("[ " + tree_.path() + " ]\n   [ b ]\n      inner.txt\n   a.txt\n"));
    // Toggled between two commands: only the second listing changes.
    log_->duringBox = nullptr;
    Command(IDM_FILE_NAMES);
    BuildList(main_);
    EXPECT_EQ(EditText(), Crlf("[ " + tree_.path() + " ]\n   [ b ]\n   \n"));  // no file: a last line of 3 spaces
}

TEST_F(SelectFolder, DepthChosenWhileTheNoticeIsOpenApplies) {
    ASSERT_TRUE(tree_.Make("b/\n  c/\n    d/\n      deep.txt\n"));
    g_main = main_;
    log_->duringBox = [](const ShellLog::Box&) { SendMessageA(g_main, WM_COMMAND, IDM_DEPTH_2, 0); };
    BuildList(main_);
    EXPECT_EQ(EditText(), Crlf("[ " + tree_.path() + " ]\n ├[ b ]\n │ ├[ c ]\n │ └inner.txt\n └a.txt\n"));
}

TEST_F(SelectFolder, SecondSelectFolderWhileTheNoticeIsOpenIsIgnored) {
    g_main = main_;
    log_->duringBox = [](const ShellLog::Box&) { SendMessageA(g_main, WM_COMMAND, IDM_SELECT_FOLDER, 0); };
    BuildList(main_);
    EXPECT_EQ(log_->browseCalls, 1);
    EXPECT_EQ(log_->boxes.size(), 1u);
    EXPECT_EQ(EditText(), Listing());
}

TEST_F(SelectFolder, ExitWhileTheNoticeIsOpenAbandonsTheCommandBeforeItsScan) {
    g_main = main_;
    log_->pickedPath = tree_ / "missing";  // a scan would show "失敗かな？"
    log_->duringBox = [](const ShellLog::Box&) { SendMessageA(g_main, WM_COMMAND, IDM_EXIT, 0); };
    BuildList(main_);
    EXPECT_FALSE(IsWindow(main_));
    EXPECT_EQ(log_->boxes.size(), 1u);
    EXPECT_EQ(log_->textsSet, 0);
    EXPECT_TRUE(Exists(start_ / "zk_ar.ini"));  // options saved as usual
}

TEST_F(SelectFolder, CloseWhileTheRenderersBoxIsOpenLeavesTheWindowAlone) {
    TempDir wide;
    std::string outline;
    for (int i = 0; i < 400; ++i) outline += std::string(180, 'n') + std::to_string(1000 + i) + "\n";
    ASSERT_TRUE(wide.Make(outline));
    log_->pickedPath = wide.path();
    g_main = main_;
    log_->duringBox = [](const ShellLog::Box& box) {
        if (box.caption == "Ramelkin") SendMessageA(g_main, WM_CLOSE, 0, 0);
    };
    BuildList(main_);
    EXPECT_FALSE(IsWindow(main_));
    ASSERT_EQ(log_->boxes.size(), 2u);
    EXPECT_EQ(log_->boxes[1].caption, "Ramelkin");
    EXPECT_EQ(log_->textsSet, 0);
}

TEST_F(SelectFolder, ItemWithoutAFileSystemPathChangesNothing) {
    log_->pickedHasPath = false;
    BuildList(main_);
    EXPECT_EQ(log_->freedItems, 1);
    EXPECT_TRUE(log_->boxes.empty());
    EXPECT_EQ(EditText(), kPrevious);
}

TEST_F(SelectFolder, PathFillingThePickersBufferChangesNothing) {
    log_->pickedPath = "C:\\" + std::string(MAX_PATH, 'x');  // fills all 260 bytes, no terminator
    BuildList(main_);
    EXPECT_TRUE(log_->boxes.empty());
    EXPECT_EQ(EditText(), kPrevious);
    // 259 bytes still fit: the command runs (and reports the missing folder).
    log_->pickedPath = "C:\\" + std::string(MAX_PATH - 4, 'x');
    BuildList(main_);
    ASSERT_EQ(log_->boxes.size(), 2u);
    EXPECT_EQ(log_->boxes[1].caption, "findfile");
}

TEST_F(SelectFolder, MissingFolderIsReportedToTheMainWindowAndListsItsRootLine) {
    log_->pickedPath = tree_ / "missing";
    BuildList(main_);
    ASSERT_EQ(log_->boxes.size(), 2u);
    EXPECT_EQ(log_->boxes[1].owner, main_);
    EXPECT_EQ(log_->boxes[1].text, "失敗かな？");
    EXPECT_EQ(log_->boxes[1].caption, "findfile");
    EXPECT_EQ(EditText(), Crlf("[ " + (tree_ / "missing") + " ]\n\n"));
}

TEST_F(SelectFolder, MoreThan2048FilesKeepThePreviousText) {
    TempDir many;
    std::string outline;
    for (int i = 0; i < 2049; ++i) outline += "f" + std::to_string(i) + "\n";
    ASSERT_TRUE(many.Make(outline));
    log_->pickedPath = many.path();
    BuildList(main_);
    ASSERT_EQ(log_->boxes.size(), 2u);
    EXPECT_EQ(log_->boxes[1].owner, nullptr);
    EXPECT_EQ(log_->boxes[1].text, kTooMuch);
    EXPECT_EQ(log_->boxes[1].caption, "ZK-Ramelkin");
    EXPECT_EQ(EditText(), kPrevious);
    // One file fewer is accepted.
    DeleteFileA((many / "f0").c_str());
    BuildList(main_);
    EXPECT_EQ(log_->boxes.size(), 3u);
    EXPECT_NE(EditText(), kPrevious);
}

TEST_F(SelectFolder, TextOverTheLimitShowsThePartOnceWithTheRenderersCaption) {
    TempDir wide;
    std::string outline;
    for (int i = 0; i < 400; ++i) outline += std::string(180, 'n') + std::to_string(1000 + i) + "\n";
    ASSERT_TRUE(wide.Make(outline));
    log_->pickedPath = wide.path();
    BuildList(main_);
    ASSERT_EQ(log_->boxes.size(), 2u);
    EXPECT_EQ(log_->boxes[1].text, kTooMuch);
    EXPECT_EQ(log_->boxes[1].caption, "Ramelkin");
    const std::string text = EditText();
    EXPECT_GT(text.size(), 60000u);
    EXPECT_LT(text.size(), 65536u);
    EXPECT_EQ(text.rfind("[ " + wide.path() + " ]\r\n", 0), 0u);
}

TEST_F(SelectFolder, RefusedTextIsReported) {
    log_->refuseText = true;
    BuildList(main_);
    ASSERT_EQ(log_->boxes.size(), 2u);
    EXPECT_EQ(log_->boxes[1].owner, nullptr);
    EXPECT_EQ(log_->boxes[1].text, kTooMuch);
    EXPECT_EQ(log_->boxes[1].caption, "ZK-Ramelkin");
}

}  // namespace
