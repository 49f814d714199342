// The main window under Wine: class "WndApp", title and styles, the edit control filling the client area,
// a size message before the edit control exists, and the command table.
#include <string>
#include <vector>

#include "app_fixture.h"
#include "resource.h"

namespace {

using MainWindow = AppTest;

TEST_F(MainWindow, ClassIsRegisteredAsDefined) {
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    ASSERT_TRUE(GetClassInfoExA(GetModuleHandleA(nullptr), "WndApp", &wc));
    EXPECT_EQ(wc.style, UINT(CS_HREDRAW | CS_VREDRAW));
    EXPECT_EQ(wc.lpfnWndProc, MainWndProc);
    EXPECT_EQ(wc.cbClsExtra, 0);
    EXPECT_EQ(wc.cbWndExtra, 0);
    EXPECT_NE(wc.hIcon, nullptr);
    EXPECT_EQ(wc.hCursor, LoadCursorA(nullptr, IDC_ARROW));
    EXPECT_EQ(wc.hbrBackground, reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_WINDOW + 1)));
    EXPECT_EQ(wc.lpszMenuName, MAKEINTRESOURCEA(IDR_MAIN_MENU));
}

// The styles the program asks for, as CreateWindowExA receives them (the edit control turns WS_BORDER
// into a border of its own afterwards).
struct Created {
    std::string windowClass;
    DWORD style, exStyle;
    HMENU menuOrId;
};
std::vector<Created> g_created;

LRESULT CALLBACK WatchCreation(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_CREATEWND) {
        const CREATESTRUCTA* c = reinterpret_cast<CBT_CREATEWNDA*>(lParam)->lpcs;
        g_created.push_back({IS_INTRESOURCE(c->lpszClass) ? "#atom" : c->lpszClass, DWORD(c->style),
                             c->dwExStyle, c->hMenu});
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

TEST_F(MainWindow, WindowAndEditControlAsDefined) {
    g_created.clear();
    HHOOK hook = SetWindowsHookExA(WH_CBT, WatchCreation, nullptr, GetCurrentThreadId());
    OpenMain();
    UnhookWindowsHookEx(hook);
    // (The system may create windows of its own meanwhile, an IME window for one.)
    std::vector<Created> ours;
    for (const Created& c : g_created) {
        if (c.windowClass == "WndApp" || c.windowClass == "Edit") ours.push_back(c);
    }
    ASSERT_EQ(ours.size(), 2u);
    EXPECT_EQ(ours[0].windowClass, "WndApp");
    EXPECT_EQ(ours[0].style, DWORD(WS_OVERLAPPEDWINDOW));
    EXPECT_EQ(ours[0].exStyle & ~DWORD(WS_EX_WINDOWEDGE), 0u);  // the system adds the edge to overlapped windows
    EXPECT_EQ(ours[1].windowClass, "Edit");
    EXPECT_EQ(ours[1].style, DWORD(WS_CHILD | WS_VISIBLE | WS_BORDER | WS_VSCROLL | WS_HSCROLL | ES_MULTILINE |
                                        ES_AUTOVSCROLL | ES_AUTOHSCROLL));
    EXPECT_EQ(ours[1].exStyle, 0u);
    EXPECT_EQ(ours[1].menuOrId, nullptr);  // control id 0

    char text[64];
    GetWindowTextA(main_, text, sizeof text);
    EXPECT_STREQ(text, "ZK-Arbolin");
    GetClassNameA(main_, text, sizeof text);
    EXPECT_STREQ(text, "WndApp");
    EXPECT_EQ(GetParent(main_), nullptr);
    EXPECT_NE(GetMenu(main_), nullptr);
    EXPECT_EQ(g_instance, GetModuleHandleA(nullptr));

    GetClassNameA(g_editControl, text, sizeof text);
    EXPECT_STREQ(text, "Edit");
    EXPECT_EQ(GetParent(g_editControl), main_);
    EXPECT_EQ(GetDlgCtrlID(g_editControl), 0);
    EXPECT_EQ(GetWindowTextLengthA(g_editControl), 0);
    EXPECT_EQ(GetWindowLongPtrA(g_editControl, GWL_STYLE) & ES_READONLY, 0);
}

RECT ClientOf(HWND window) {
    RECT r;
    GetClientRect(window, &r);
    return r;
}

TEST_F(MainWindow, EditControlFillsTheClientAreaAfterEveryResize) {
    OpenMain();
    for (SIZE size : {SIZE{640, 480}, SIZE{300, 200}, SIZE{900, 700}}) {
        MoveWindow(main_, 10, 10, size.cx, size.cy, TRUE);
        RECT edit;
        GetWindowRect(g_editControl, &edit);
        MapWindowPoints(nullptr, main_, reinterpret_cast<POINT*>(&edit), 2);
        const RECT client = ClientOf(main_);
        EXPECT_EQ(edit.left, client.left);
        EXPECT_EQ(edit.top, client.top);
        EXPECT_EQ(edit.right, client.right);
        EXPECT_EQ(edit.bottom, client.bottom);
    }
}

TEST_F(MainWindow, SizeBeforeTheEditControlExistsMovesNothing) {
    main_ = CreateMainWindow(GetModuleHandleA(nullptr));  // WM_CREATE and the first WM_SIZE have run
    ASSERT_NE(main_, nullptr);
    EXPECT_EQ(g_editControl, nullptr);
    EXPECT_EQ(SendMessageA(main_, WM_SIZE, SIZE_RESTORED, MAKELPARAM(200, 100)), 0);
    EXPECT_EQ(CreateEditControl(nullptr), nullptr);  // no main window: no edit control either
}

TEST_F(MainWindow, CreationSetsUnlimitedDepth) {
    g_depthLimit = 4;
    OpenMain();
    EXPECT_EQ(g_depthLimit, 255);
    EXPECT_TRUE(Checked(IDM_DEPTH_UNLIMITED));
}

TEST_F(MainWindow, TogglesFlipTheirOwnItemOnly) {
    OpenMain();
    for (UINT id : {IDM_SUBFOLDERS, IDM_FOLDER_NAMES, IDM_FILE_NAMES, IDM_TREE_VIEW, IDM_NAME_LIMIT}) {
        SCOPED_TRACE(id);
        const bool before = Checked(id);
        EXPECT_EQ(Command(id), 0);
        EXPECT_NE(Checked(id), before);
        Command(id);
        EXPECT_EQ(Checked(id), before);
    }
}

constexpr UINT kDepthItems[] = {IDM_DEPTH_UNLIMITED, IDM_DEPTH_2, IDM_DEPTH_3, IDM_DEPTH_4, IDM_DEPTH_5, IDM_DEPTH_6};

TEST_F(MainWindow, DepthItemsSetTheLimitAndCheckOnlyThemselves) {
    OpenMain();
    const int32_t values[] = {255, 2, 3, 4, 5, 6};
    for (int chosen : {3, 0, 1, 5, 2, 4, 0}) {
        Command(kDepthItems[chosen]);
        EXPECT_EQ(g_depthLimit, values[chosen]);
        for (int i = 0; i < 6; ++i) EXPECT_EQ(Checked(kDepthItems[i]), i == chosen) << chosen << " " << i;
    }
    // A restart shows the resource's "無制限" again.
    Command(kDepthItems[3]);
    DestroyWindow(main_);
    OpenMain();
    EXPECT_EQ(g_depthLimit, 255);
    EXPECT_TRUE(Checked(IDM_DEPTH_UNLIMITED));
    EXPECT_FALSE(Checked(IDM_DEPTH_4));
}

TEST_F(MainWindow, CommandsWithANotificationCodeOrUnknownIdsDoNothing) {
    OpenMain();
    for (UINT id : {IDM_SUBFOLDERS, IDM_NAME_LIMIT, IDM_DEPTH_4, IDM_EXIT, IDM_SELECT_FOLDER, IDM_SAVE_LIST, IDM_ABOUT,
                    IDM_HELP}) {
        EXPECT_EQ(Command(MAKEWPARAM(id, 1)), 0);
        EXPECT_EQ(Command(MAKEWPARAM(id, EN_CHANGE)), 0);
    }
    EXPECT_EQ(Command(12345), 0);
    EXPECT_TRUE(IsWindow(main_));
    EXPECT_FALSE(Checked(IDM_NAME_LIMIT));
    EXPECT_TRUE(Checked(IDM_SUBFOLDERS));
    EXPECT_EQ(g_depthLimit, 255);
    EXPECT_TRUE(log_->boxes.empty());
    EXPECT_EQ(log_->browseCalls + log_->saveDialogs + log_->aboutShown, 0);
    EXPECT_TRUE(log_->executed.empty());
}

TEST_F(MainWindow, MenuCommandsReachTheirCommands) {
    OpenMain();
    Command(IDM_ABOUT);
    EXPECT_EQ(log_->aboutShown, 1);
    EXPECT_EQ(log_->aboutTemplate, "102");
    Command(IDM_HELP);
    ASSERT_EQ(log_->executed.size(), 1u);
    EXPECT_EQ(log_->executed[0].second, start_ / "help.html");
    Command(IDM_SAVE_LIST);
    EXPECT_EQ(log_->saveDialogs, 1);
    log_->pickerCancels = true;
    Command(IDM_SELECT_FOLDER);
    EXPECT_EQ(log_->browseCalls, 1);
    Command(IDM_EXIT);
    EXPECT_FALSE(IsWindow(main_));
    MSG quit;
    ASSERT_TRUE(PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(quit.wParam, 0u);
}

}  // namespace
