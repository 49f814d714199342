// The thin seam between the Windows program and the system calls whose outcome the user sees: message
// boxes, the folder picker, the save dialog, the About dialog, the shell, file writes and the edit
// control's text. The program calls them only through `g_shell`; tests replace single entries to watch
// what the program asks for and to make failures happen.
#pragma once

#include <windows.h>
#include <commdlg.h>
#include <shlobj.h>

struct ShellCalls {
    int(WINAPI* messageBox)(HWND owner, LPCSTR text, LPCSTR caption, UINT type);
    // Folder picker: shows the dialog, gives the chosen item's path, frees the item (shell allocator).
    PIDLIST_ABSOLUTE(WINAPI* browseForFolder)(LPBROWSEINFOA info);
    BOOL(WINAPI* pathFromIdList)(PCIDLIST_ABSOLUTE item, LPSTR path);
    void (*freeIdList)(PIDLIST_ABSOLUTE item);
    // Save dialog.
    BOOL(WINAPI* getSaveFileName)(LPOPENFILENAMEA info);
    DWORD(WINAPI* commDlgExtendedError)();
    // The About box and the shell.
    INT_PTR(WINAPI* dialogBoxParam)(HINSTANCE instance, LPCSTR name, HWND owner, DLGPROC proc, LPARAM param);
    HINSTANCE(WINAPI* shellExecute)(HWND owner, LPCSTR verb, LPCSTR file, LPCSTR parameters, LPCSTR directory,
                                    INT show);
    // Saving the list.
    HANDLE(WINAPI* createFile)(LPCSTR name, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security,
                               DWORD disposition, DWORD flags, HANDLE templateFile);
    BOOL(WINAPI* writeFile)(HANDLE file, LPCVOID data, DWORD size, LPDWORD written, LPOVERLAPPED overlapped);
    BOOL(WINAPI* closeHandle)(HANDLE handle);
    BOOL(WINAPI* moveFileEx)(LPCSTR from, LPCSTR to, DWORD flags);
    // Replacing the edit control's text (WM_SETTEXT); the result is 1 when the control took it.
    LRESULT (*setEditText)(HWND edit, const char* text);
};

// The real calls.
ShellCalls RealShellCalls();
// What the program calls; starts as RealShellCalls().
extern ShellCalls g_shell;
