// Help and About under Wine: the help path from the start directory, its failure box, and the About box
// run for real (fields, links, which keys close it).
#include <cstring>

#include "app_fixture.h"
#include "resource.h"

namespace {

TEST(HelpPath, IsTheStartDirectoryAndHelpHtml) {
    char out[64];
    struct Case {
        const char* start;
        const char* path;
    } cases[] = {{"C:\\Users\\me\\arbolin", "C:\\Users\\me\\arbolin\\help.html"},
                 {"C:\\", "C:\\\\help.html"},  // a drive root gives two backslashes, as defined
                 {"Z:\\表", "Z:\\表\\help.html"}};
    for (const Case& c : cases) {
        ASSERT_TRUE(ComposeHelpPath(c.start, out, sizeof out));
        EXPECT_STREQ(out, c.path);
    }
    // Exactly fitting (terminator included) and one byte too long.
    const std::string fits(sizeof out - 11, 'a'), over(sizeof out - 10, 'a');
    EXPECT_TRUE(ComposeHelpPath(fits.c_str(), out, sizeof out));
    EXPECT_EQ(std::strlen(out), sizeof out - 1);
    std::strcpy(out, "untouched");
    EXPECT_FALSE(ComposeHelpPath(over.c_str(), out, sizeof out));
    EXPECT_STREQ(out, "untouched");
}

using Help = AppTest;

TEST_F(Help, OpensHelpHtmlOfTheStartDirectoryEvenAfterTheCurrentOneChanged) {
    OpenMain();
    TempDir elsewhere;
    ASSERT_TRUE(SetCurrentDirectoryA(elsewhere.path().c_str()));
    OpenHelp(main_);
    ASSERT_EQ(log_->executed.size(), 1u);
    EXPECT_EQ(log_->executed[0].first, main_);
    EXPECT_EQ(log_->executed[0].second, start_ / "help.html");
    EXPECT_TRUE(log_->boxes.empty());
}

TEST_F(Help, MissingPageOrTooLongStartDirectoryGivesTheBox) {
    OpenMain();
    for (INT_PTR result : {2, 32}) {
        log_->boxes.clear();
        log_->executeResult = result;
        OpenHelp(main_);
        ASSERT_EQ(log_->boxes.size(), 1u);
        EXPECT_EQ(log_->boxes[0].owner, main_);
        EXPECT_EQ(log_->boxes[0].text, "ヘルプファイルが見つかりません。");
        EXPECT_EQ(log_->boxes[0].caption, "ZK-Arbolin");
    }
    log_->executeResult = 33;
    const std::string saved = g_startDirectory;
    std::memset(g_startDirectory, 'a', kStartDirectorySize - 1);
    g_startDirectory[kStartDirectorySize - 1] = '\0';
    log_->executed.clear();
    log_->boxes.clear();
    OpenHelp(main_);
    std::strcpy(g_startDirectory, saved.c_str());
    EXPECT_TRUE(log_->executed.empty());
    EXPECT_EQ(log_->boxes.size(), 1u);
}

// The About box, run modally for real; a timer on the main window plays the user.
struct AboutRun {
    HWND dialog = nullptr;
    int tick = 0;
    std::string web, mail, title;
    bool openAfterEscape = false, openAfterCancel = false;
};
AboutRun g_run;

std::string ItemText(HWND dialog, int id) {
    char text[256] = {};
    GetDlgItemTextA(dialog, id, text, sizeof text);
    return text;
}

void CALLBACK PlayUser(HWND, UINT, UINT_PTR, DWORD) {
    HWND dialog = FindWindowA("#32770", nullptr);
    if (!dialog) return;
    g_run.dialog = dialog;
    switch (g_run.tick++) {
        case 0: {
            g_run.web = ItemText(dialog, IDC_WEB_ADDRESS);
            g_run.mail = ItemText(dialog, IDC_MAIL_ADDRESS);
            char title[64];
            GetWindowTextA(dialog, title, sizeof title);
            g_run.title = title;
            // The user edits the fields; the buttons still open the stored addresses.
            SetDlgItemTextA(dialog, IDC_WEB_ADDRESS, "https://elsewhere.example.com/");
            SetDlgItemTextA(dialog, IDC_MAIL_ADDRESS, "nobody@example.com");
            PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_GO, BN_CLICKED), 0);
            PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_SEND_MAIL, BN_CLICKED), 0);
            // Escape goes through the dialog manager of the modal loop.
            PostMessageA(GetDlgItem(dialog, IDOK), WM_KEYDOWN, VK_ESCAPE, 0);
            PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
            PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
            break;
        }
        case 1:
            g_run.openAfterEscape = IsWindowVisible(dialog);
            PostMessageA(GetDlgItem(dialog, IDOK), WM_KEYDOWN, VK_RETURN, 0);  // the default button: OK
            break;
        default:
            if (g_run.tick > 50) EndDialog(dialog, 99);  // the box would not close: give up
            break;
    }
}

using About = AppTest;

TEST_F(About, BoxShowsTheAddressesOpensTheStoredOnesAndClosesOnlyWithOk) {
    OpenMain();
    g_shell.dialogBoxParam = DialogBoxParamA;
    g_run = AboutRun{};
    const UINT_PTR timer = SetTimer(main_, 1, 100, PlayUser);
    ASSERT_NE(timer, 0u);
    ShowAbout(main_);
    KillTimer(main_, timer);
    EXPECT_EQ(g_run.title, "ZK-Arbolin");
    EXPECT_EQ(g_run.web, "https://zk-arbolin.example.org/");
    EXPECT_EQ(g_run.mail, "zk-arbolin@example.org");
    EXPECT_TRUE(g_run.openAfterEscape);
    EXPECT_EQ(g_run.tick, 2);  // closed by Enter, not given up on
    ASSERT_EQ(log_->executed.size(), 2u);
    EXPECT_EQ(log_->executed[0].first, g_run.dialog);
    EXPECT_EQ(log_->executed[0].second, "https://zk-arbolin.example.org/");
    EXPECT_EQ(log_->executed[1].first, g_run.dialog);
    EXPECT_EQ(log_->executed[1].second, "mailto:zk-arbolin@example.org");
}

}  // namespace
