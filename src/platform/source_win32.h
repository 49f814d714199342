// The Win32 side of the listing seam: FindFirstFileA/FindNextFileA/FindClose, lstrcmpiA for folders and
// lstrcmpA for files, and the "失敗かな？" box owned by the option window.
#pragma once

#include <windows.h>

#include <string>

#include "listing/listing.h"

struct Win32Source {
    // The option window: the main window recorded by the select-folder command. It owns the box shown for
    // a folder that cannot be read; the box has no owner while none is recorded.
    HWND optionWindow = nullptr;
    // How the box is shown: MessageBoxA, or a test's stand-in.
    int(WINAPI* messageBox)(HWND owner, LPCSTR text, LPCSTR caption, UINT type) = MessageBoxA;
    // The enumeration calls, replaceable so a test can deliver attributes a file system here cannot make.
    HANDLE(WINAPI* findFirst)(LPCSTR pattern, LPWIN32_FIND_DATAA data) = FindFirstFileA;
    BOOL(WINAPI* findNext)(HANDLE find, LPWIN32_FIND_DATAA data) = FindNextFileA;
    BOOL(WINAPI* findClose)(HANDLE find) = FindClose;
    // When set, called instead of the box (the console probe writes the path to stderr).
    void (*report)(void* context, const std::string& path, int error) = nullptr;
    void* reportContext = nullptr;
};

// The search pattern for `path`: path + "*" for a 3-byte drive root such as C:\, else path + "\*".
std::string SearchPattern(const std::string& path);

// The seam over `source`; valid while `source` lives.
FolderSource Win32FolderSource(Win32Source& source);
// Folders compare with lstrcmpiA, files with lstrcmpA: the user's locale, not byte order.
NameOrder Win32NameOrder();
