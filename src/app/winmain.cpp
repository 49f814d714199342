// The process entry of ZK-Arbolin.exe: the one listing, the main window and its edit control, and the
// message loop. A folder named on the command line is listed once the window is shown.
#include "app/app.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
    InitListing(g_tables, kDefinedLimits);
    RegisterMainClass(instance);
    HWND mainWindow = CreateMainWindow(instance);
    CreateEditControl(mainWindow);
    if (!mainWindow) return 0;
    ShowWindow(mainWindow, show);
    UpdateWindow(mainWindow);
    if (HasFolderArgument(GetCommandLineA())) {
        g_pendingCommandLine = GetCommandLineA();
        PostMessageA(mainWindow, kOpenArgumentMessage, 0, 0);
    }
    MSG message{};
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return static_cast<int>(message.wParam);
}
