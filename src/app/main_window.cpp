// The main window: class "WndApp", the menu-driven command table, and the edit control that fills the
// client area and shows the listing. The window procedure only dispatches; each message has a handler.
#include "app/app.h"

#include "resource.h"

HINSTANCE g_instance = nullptr;
HWND g_editControl = nullptr;
int32_t g_depthLimit = kUnlimitedDepth;
ListingTables g_tables;
Win32Source g_source;

namespace {

bool g_closing = false;  // set by WM_DESTROY; a select-folder command still running then gives up

constexpr UINT kDepthItems[] = {IDM_DEPTH_UNLIMITED, IDM_DEPTH_2, IDM_DEPTH_3,
                                IDM_DEPTH_4,         IDM_DEPTH_5, IDM_DEPTH_6};
constexpr int32_t kDepthValues[] = {kUnlimitedDepth, 2, 3, 4, 5, 6};

void ChooseDepth(HWND window, int index) {
    g_depthLimit = kDepthValues[index];
    for (UINT id : kDepthItems) CheckMenuItem(GetMenu(window), id, MF_BYCOMMAND | MF_UNCHECKED);
    CheckMenuItem(GetMenu(window), kDepthItems[index], MF_BYCOMMAND | MF_CHECKED);
}

LRESULT OnCreate(HWND window) {
    g_closing = false;
    g_depthLimit = kUnlimitedDepth;
    LoadOptions(window);
    // Drops over the edit control come here too: it does not take files itself, so the system looks for
    // a window that does among its parents.
    DragAcceptFiles(window, TRUE);
    return 0;
}

LRESULT OnDestroy(HWND window) {
    g_closing = true;
    g_editControl = nullptr;  // destroyed with its parent
    SaveOptions(window);
    PostQuitMessage(0);
    return 0;
}

// Also sent while the window is being created, before the edit control exists: nothing to move then.
LRESULT OnSize(HWND window) {
    if (!g_editControl) return 0;
    RECT client;
    GetClientRect(window, &client);
    MoveWindow(g_editControl, client.left, client.top, client.right, client.bottom, TRUE);
    return 0;
}

LRESULT OnPaint(HWND window) {
    PAINTSTRUCT paint;
    BeginPaint(window, &paint);
    EndPaint(window, &paint);
    return 0;
}

LRESULT OnOpenArgument(HWND window) {
    const char* commandLine = g_pendingCommandLine;
    g_pendingCommandLine = nullptr;
    OpenFolderArgument(window, commandLine);
    return 0;
}

LRESULT OnDropFiles(HWND window, WPARAM drop) {
    OpenDroppedFolder(window, reinterpret_cast<HDROP>(drop));
    return 0;
}

// The whole wParam is compared, so only menu commands (notification code 0 in the high word) match.
LRESULT OnCommand(HWND window, WPARAM wParam) {
    switch (wParam) {
        case IDM_SELECT_FOLDER: BuildList(window); break;
        case IDM_SUBFOLDERS:
        case IDM_FOLDER_NAMES:
        case IDM_FILE_NAMES:
        case IDM_TREE_VIEW:
        case IDM_NAME_LIMIT: ToggleCheck(window, static_cast<UINT>(wParam)); break;
        case IDM_EXIT: DestroyWindow(window); break;
        case IDM_HELP: OpenHelp(window); break;
        case IDM_ABOUT: ShowAbout(window); break;
        case IDM_SAVE_LIST: SaveList(window, g_editControl); break;
        case IDM_DEPTH_UNLIMITED:
        case IDM_DEPTH_2:
        case IDM_DEPTH_3:
        case IDM_DEPTH_4:
        case IDM_DEPTH_5:
        case IDM_DEPTH_6: ChooseDepth(window, static_cast<int>(wParam - IDM_DEPTH_UNLIMITED)); break;
        default: break;
    }
    return 0;
}

}  // namespace

bool MainWindowClosing() { return g_closing; }

ATOM RegisterMainClass(HINSTANCE instance) {
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = MainWndProc;
    wc.hInstance = instance;
    wc.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_APP));
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_WINDOW + 1));
    wc.lpszMenuName = MAKEINTRESOURCEA(IDR_MAIN_MENU);
    wc.lpszClassName = kMainClass;
    return RegisterClassExA(&wc);
}

HWND CreateMainWindow(HINSTANCE instance) {
    g_instance = instance;
    return CreateWindowExA(0, kMainClass, kMainTitle, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, 0, CW_USEDEFAULT, 0,
                           nullptr, nullptr, instance, nullptr);
}

HWND CreateEditControl(HWND mainWindow) {
    if (!mainWindow) return nullptr;
    RECT client;
    GetClientRect(mainWindow, &client);
    g_editControl = CreateWindowExA(0, "Edit", nullptr,
                                    WS_CHILD | WS_VISIBLE | WS_BORDER | WS_VSCROLL | WS_HSCROLL | ES_MULTILINE |
                                        ES_AUTOVSCROLL | ES_AUTOHSCROLL,
                                    client.left, client.top, client.right, client.bottom, mainWindow, nullptr,
                                    g_instance, nullptr);
    return g_editControl;
}

LRESULT CALLBACK MainWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE: return OnCreate(window);
        case WM_DESTROY: return OnDestroy(window);
        case WM_SIZE: return OnSize(window);
        case WM_PAINT: return OnPaint(window);
        case WM_KEYDOWN: return 0;
        case WM_COMMAND: return OnCommand(window, wParam);
        case WM_DROPFILES: return OnDropFiles(window, wParam);
        case kOpenArgumentMessage: return OnOpenArgument(window);
        default: return DefWindowProcA(window, message, wParam, lParam);
    }
}
