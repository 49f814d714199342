// The select-folder command: the folder picker, the notice, the listing stages and the new text in the
// edit control, with a box for every way it can stop. A folder named on the command line or dropped on the
// window goes through the same steps without the picker.
#include <cstring>

#include "app/app.h"
#include "app/shell_calls.h"

namespace {

constexpr char kPickerTitle[] = "フォルダを選択してください";
constexpr char kNotice[] =
    "ファイルを抽出します。\nご使用のパソコンによっては数分かかる場合がありますが、\nしばらくそのままお待ちください。";
constexpr char kNoticeCaption[] = "ZK-Ramelkin";
constexpr char kTooMuchData[] = "データ量が多すぎます。\n作業を中断します。";

// True while a select-folder command (or a listing of a dropped folder) runs. Its notice and too-much-data
// boxes have no owner, so the menu stays usable meanwhile; a second select-folder command or a drop then is
// ignored instead of resetting the tables underneath the first.
bool g_running = false;

struct RunningScope {
    RunningScope() { g_running = true; }
    ~RunningScope() { g_running = false; }
};

int CALLBACK BrowseCallback(HWND dialog, UINT message, LPARAM, LPARAM initialPath) {
    if (message == BFFM_INITIALIZED && initialPath) SendMessageA(dialog, BFFM_SETSELECTIONA, TRUE, initialPath);
    return 0;
}

// The scan's "失敗かな？" box goes through the program's seam, and is not shown for a window already gone.
int WINAPI ScanMessageBox(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
    if (MainWindowClosing()) return 0;
    return g_shell.messageBox(owner, text, caption, type);
}

void ReportTooMuchText(void*) { ShowTooMuchData("Ramelkin"); }

// True when the main window was closed (Exit, or the close button) while one of the command's boxes was
// open: the command then ends without touching the window or showing anything more.
bool Abandoned(HWND mainWindow) { return MainWindowClosing() || !IsWindow(mainWindow); }

void SetArrowCursor() { SetCursor(LoadCursorA(nullptr, IDC_ARROW)); }

// Everything the select-folder command does once a folder is chosen: the notice, the options read when it
// closes, the wait cursor, the listing into the edit control, and a box for every way it can stop.
void ListSteps(HWND mainWindow, const char* path) {
    g_source.optionWindow = mainWindow;
    g_source.messageBox = ScanMessageBox;
    ResetListing(g_tables, path);
    g_shell.messageBox(nullptr, kNotice, kNoticeCaption, 0);
    if (Abandoned(mainWindow)) return;

    SetCursor(LoadCursorA(nullptr, IDC_WAIT));
    // Read only now: options changed while the notice was open apply to this listing.
    const ListOptions options = ReadListOptions(mainWindow);
    TextBuffer buffer;
    InitTextBuffer(buffer, kDefinedLimits);
    buffer.reportTooMuchText = ReportTooMuchText;
    const ListingStatus status = RunListing(g_tables, g_source, path, options, buffer);
    if (Abandoned(mainWindow)) return;
    if (status != kListed) {
        ShowTooMuchData(kNoticeCaption);
        SetArrowCursor();
        return;
    }
    SetArrowCursor();
    if (g_shell.setEditText(g_editControl, buffer.text.c_str()) != 1) ShowTooMuchData(kNoticeCaption);
}

}  // namespace

void ShowTooMuchData(const char* caption) { g_shell.messageBox(nullptr, kTooMuchData, caption, 0); }

int BrowseForFolder(HWND owner, const char* initialPath, char* out, size_t outSize) {
    BROWSEINFOA info{};
    info.hwndOwner = owner;
    info.lpszTitle = kPickerTitle;
    info.lpfn = BrowseCallback;
    info.lParam = reinterpret_cast<LPARAM>(initialPath);
    PIDLIST_ABSOLUTE item = g_shell.browseForFolder(&info);
    if (!item) return 2;
    // SHGetPathFromIDListA fills a MAX_PATH buffer and fails for an item without a file-system path.
    // A path that fills the buffer without a terminator is treated as no path.
    char chosen[MAX_PATH] = {};
    if (g_shell.pathFromIdList(item, chosen)) {
        const size_t length = strnlen(chosen, sizeof chosen);
        if (length < sizeof chosen && length < outSize) std::memcpy(out, chosen, length + 1);
    }
    g_shell.freeIdList(item);
    return 1;
}

void BuildList(HWND mainWindow) {
    if (g_running) return;
    RunningScope running;
    char path[MAX_PATH] = {};
    if (BrowseForFolder(mainWindow, nullptr, path, sizeof path) != 1) return;
    // An item without a file-system path, or with one of 260 bytes or more, leaves everything as it was.
    if (path[0] == '\0') return;
    ListSteps(mainWindow, path);
}

void ListFolder(HWND mainWindow, const char* path) {
    if (g_running) return;
    RunningScope running;
    ListSteps(mainWindow, path);
}
