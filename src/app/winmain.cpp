// The process entry of ZK-Arbolin.exe: the one listing, the main window and its edit control, and the
// message loop. The command line is ignored.
#include "app/app.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
    InitListing(g_tables, kDefinedLimits);
    RegisterMainClass(instance);
    HWND mainWindow = CreateMainWindow(instance);
    CreateEditControl(mainWindow);
    if (!mainWindow) return 0;
    ShowWindow(mainWindow, show);
    UpdateWindow(mainWindow);
    MSG message{};
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return static_cast<int>(message.wParam);
}
