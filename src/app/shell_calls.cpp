// The real system calls behind the Windows program's seam (see shell_calls.h).
#include "app/shell_calls.h"

#include <shellapi.h>

namespace {

// The item list comes from the shell's allocator, so it goes back to it: Free, then Release.
void FreeWithShellMalloc(PIDLIST_ABSOLUTE item) {
    IMalloc* malloc = nullptr;
    if (SUCCEEDED(SHGetMalloc(&malloc)) && malloc) {
        malloc->Free(item);
        malloc->Release();
    }
}

LRESULT SendSetText(HWND edit, const char* text) {
    return SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
}

}  // namespace

ShellCalls RealShellCalls() {
    return ShellCalls{MessageBoxA,   SHBrowseForFolderA, SHGetPathFromIDListA,
                      FreeWithShellMalloc, GetSaveFileNameA, CommDlgExtendedError,
                      DialogBoxParamA, ShellExecuteA,    CreateFileA,
                      WriteFile,     CloseHandle,        MoveFileExA,
                      SendSetText};
}

ShellCalls g_shell = RealShellCalls();
