// The Windows program's shell: process-wide values and every function of src/app, grouped by file.
// Byte strings in the ANSI code page throughout; the program's own literals are Shift_JIS (CP932).
// `app` owns the Windows program: its window, menu commands, options file, dialogs and saving, with the
// system calls the user sees behind shell_calls.h so tests can stand in for them. It may use `listing`,
// `render`, `platform` (the Win32 side) and the resources in res/; outside src/app only the Windows
// tests use it.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <cstdint>
#include <string>

#include "listing/listing.h"
#include "platform/source_win32.h"
#include "render/render.h"

// ---- Process-wide values (main_window.cpp)

extern HINSTANCE g_instance;       // recorded when the main window is created
extern HWND g_editControl;         // the listing's edit control, recorded right after it is created
extern int32_t g_depthLimit;       // the depth setting: 255 (unlimited) or 2 ... 6, copied into maxDepth
extern ListingTables g_tables;     // the one listing, set up once with the defined limits (InitListing)
extern Win32Source g_source;       // the scan's seam; its optionWindow is the option window

// ---- options.cpp: the five toggles as the check marks of the Options menu, kept in .\zk_ar.ini.

inline constexpr int kStartDirectorySize = 65536;
extern char g_startDirectory[kStartDirectorySize];  // the current directory when the window was created

bool IsChecked(HWND window, UINT id);
void ToggleCheck(HWND window, UINT id);
void LoadOptions(HWND window);
// Writes the toggles into .\zk_ar.ini in the start directory; writes nothing when that directory can no
// longer be made current (a file would otherwise appear in a folder the user never chose).
void SaveOptions(HWND window);
// The command's ListOptions: the five check marks of `window`'s menu and maxDepth = g_depthLimit.
ListOptions ReadListOptions(HWND window);

// ---- main_window.cpp: the window class "WndApp", the main window, its edit control, command dispatch.

inline constexpr char kMainClass[] = "WndApp";
inline constexpr char kMainTitle[] = "ZK-Arbolin";

ATOM RegisterMainClass(HINSTANCE instance);
HWND CreateMainWindow(HINSTANCE instance);
// Creates the edit control over the main window's client area and records it in g_editControl.
HWND CreateEditControl(HWND mainWindow);
LRESULT CALLBACK MainWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// True from the main window's WM_DESTROY on: a command still running must not touch it any more.
bool MainWindowClosing();

// ---- listing_run.cpp: the listing stages as the select-folder command runs them after its notice.

enum ListingStatus { kListed = 0, kListingAborted = 1, kTooManyFiles = 2 };

// Scan, structure pass, file ordering and rendering (tree or indented by options.treeView) of the folder
// at `path` into `buffer`, over tables already reset to `path`. kListed also covers an unreadable root
// and a rendering abandoned at the text limit (the text so far stays in `buffer`).
ListingStatus RunListing(ListingTables& tables, Win32Source& source, const std::string& path,
                         const ListOptions& options, TextBuffer& buffer);

// ---- select_folder.cpp: the select-folder command.

// Shows the folder picker; 2 when cancelled, else 1, with the chosen path copied to `out` when it has one
// shorter than `outSize` bytes (`out` is left unchanged otherwise).
int BrowseForFolder(HWND owner, const char* initialPath, char* out, size_t outSize);
void BuildList(HWND mainWindow);
// The select-folder command's steps after its picker, for `path` (shorter than MAX_PATH): the notice,
// the options read when it closes, the listing, a box for every failure. Ignored while one runs.
void ListFolder(HWND mainWindow, const char* path);
// The "データ量が多すぎます。" box; `caption` is "ZK-Ramelkin" (this command) or "Ramelkin" (renderers).
void ShowTooMuchData(const char* caption);

// ---- open_folder.cpp: a folder named on the command line or dropped on the main window.

// Posted by WinMain once the window is shown, when the command line names something. The message
// carries nothing: it takes the command line from g_pendingCommandLine and empties it, so the message
// sent again (or by another program) does nothing.
inline constexpr UINT kOpenArgumentMessage = WM_APP;
extern const char* g_pendingCommandLine;  // GetCommandLineA's, which lives as long as the process

enum ArgumentKind { kNoArgument = 0, kArgumentFolder = 1, kArgumentNotFound = 2 };
struct FolderArgument {
    ArgumentKind kind;
    std::string path;  // absolute, without a trailing backslash except a drive root's
};

// True when the command line (the program's name first, quoted or not) holds more than blanks after it.
bool HasFolderArgument(const char* commandLine);
// The folder the command line names: one argument, quoted or not (unquoted text with spaces is taken
// whole when it names a folder), made absolute against the current directory. kArgumentNotFound for
// anything but an existing folder, and for a path of 260 bytes or more.
FolderArgument ParseFolderArgument(const char* commandLine);
// Lists the named folder, or shows "フォルダが見つかりません。" and the path in a box owned by the window.
void OpenFolderArgument(HWND mainWindow, const char* commandLine);
// Lists the first dropped folder (files are passed over; nothing happens without a folder) and releases
// the drop.
void OpenDroppedFolder(HWND mainWindow, HDROP drop);

// ---- save_list.cpp

// Saves the edit control's text (and one 0x00 byte) to a file chosen in the save dialog. False when the
// dialog ended without a file name or the save failed (the old file is then kept and a box says so).
bool SaveList(HWND mainWindow, HWND editControl);

// ---- help_about.cpp

inline constexpr char kWebAddress[] = "https://zk-arbolin.example.org/";
inline constexpr char kMailAddress[] = "zk-arbolin@example.org";

// startDirectory + "\help.html" into `out`; false when it does not fit `outSize` bytes.
bool ComposeHelpPath(const char* startDirectory, char* out, size_t outSize);
void OpenHelp(HWND mainWindow);
void ShowAbout(HWND mainWindow);
INT_PTR CALLBACK AboutDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
