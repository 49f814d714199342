// The Help menu: the help page help.html in the start directory, and the About box with the maker's web
// and mail addresses.
#include <cstring>
#include <string>

#include "app/app.h"
#include "app/shell_calls.h"
#include "resource.h"

namespace {

constexpr char kHelpFile[] = "\\help.html";
constexpr char kHelpMissing[] = "ヘルプファイルが見つかりません。";
constexpr char kCaption[] = "ZK-Arbolin";
constexpr int kHelpPathSize = 65536;

// Links never report failures.
void OpenLink(HWND owner, const char* target) {
    g_shell.shellExecute(owner, nullptr, target, nullptr, nullptr, SW_SHOWNORMAL);
}

}  // namespace

bool ComposeHelpPath(const char* startDirectory, char* out, size_t outSize) {
    const size_t folder = std::strlen(startDirectory);
    const size_t file = sizeof kHelpFile - 1;
    if (outSize == 0 || folder + file >= outSize) return false;
    // A drive root such as C:\ gives C:\\help.html, which the shell opens all the same.
    std::memcpy(out, startDirectory, folder);
    std::memcpy(out + folder, kHelpFile, file + 1);
    return true;
}

void OpenHelp(HWND mainWindow) {
    static char path[kHelpPathSize];
    // A start directory too long for the path is reported like a missing page.
    if (!ComposeHelpPath(g_startDirectory, path, sizeof path) ||
        reinterpret_cast<INT_PTR>(
            g_shell.shellExecute(mainWindow, nullptr, path, nullptr, nullptr, SW_SHOWNORMAL)) <= 32) {
        g_shell.messageBox(mainWindow, kHelpMissing, kCaption, 0);
    }
}

void ShowAbout(HWND mainWindow) {
    g_shell.dialogBoxParam(g_instance, MAKEINTRESOURCEA(IDD_ABOUT), mainWindow, AboutDlgProc, 0);
}

// Only OK (also the Enter key, as the default button) closes the box; the cancel command (Escape, the
// close button) is not handled. The buttons open the stored addresses, not the fields' edited text.
INT_PTR CALLBACK AboutDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
        case WM_INITDIALOG:
            SetDlgItemTextA(dialog, IDC_WEB_ADDRESS, kWebAddress);
            SetDlgItemTextA(dialog, IDC_MAIL_ADDRESS, kMailAddress);
            return TRUE;
        case WM_COMMAND:
            switch (LOWORD(wParam)) {
                case IDOK: EndDialog(dialog, 1); return TRUE;
                case IDC_SEND_MAIL: OpenLink(dialog, (std::string("mailto:") + kMailAddress).c_str()); return TRUE;
                case IDC_GO: OpenLink(dialog, kWebAddress); return TRUE;
                default: return FALSE;
            }
        default: return FALSE;
    }
}
