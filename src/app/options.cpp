// The five toggles: kept as the check marks of the Options menu, loaded from and saved to .\zk_ar.ini
// (section OPTION, values "yes"/"no") in the directory the program was started from.
#include "app/app.h"

#include "resource.h"

char g_startDirectory[kStartDirectorySize];

namespace {

constexpr char kIniFile[] = ".\\zk_ar.ini";
constexpr char kSection[] = "OPTION";

struct OptionKey {
    const char* key;
    UINT id;
    const char* missing;  // the value used when the key is missing
};

// In file order.
constexpr OptionKey kOptionKeys[] = {
    {"サブフォルダ", IDM_SUBFOLDERS, "yes"},
    {"フォルダ名", IDM_FOLDER_NAMES, "yes"},
    {"ファイル名", IDM_FILE_NAMES, "yes"},
    {"ツリー表示", IDM_TREE_VIEW, "yes"},
    {"文字数制限", IDM_NAME_LIMIT, "no"},
};

}  // namespace

bool IsChecked(HWND window, UINT id) {
    return GetMenuState(GetMenu(window), id, MF_BYCOMMAND) == MF_CHECKED;
}

void ToggleCheck(HWND window, UINT id) {
    CheckMenuItem(GetMenu(window), id, MF_BYCOMMAND | (IsChecked(window, id) ? MF_UNCHECKED : MF_CHECKED));
}

void LoadOptions(HWND window) {
    DWORD length = GetCurrentDirectoryA(kStartDirectorySize, g_startDirectory);
    if (length == 0 || length >= kStartDirectorySize) g_startDirectory[0] = '\0';
    for (const OptionKey& option : kOptionKeys) {
        char value[20];  // a longer value is cut to 19 bytes, and is then not "yes" anyway
        GetPrivateProfileStringA(kSection, option.key, option.missing, value, sizeof value, kIniFile);
        if (lstrcmpA(value, "yes") == 0) CheckMenuItem(GetMenu(window), option.id, MF_BYCOMMAND | MF_CHECKED);
    }
}

void SaveOptions(HWND window) {
    // The save dialog may have changed the current directory. When the start directory is gone (or was
    // never captured) nothing is written: .\zk_ar.ini would land in some other folder.
    if (g_startDirectory[0] == '\0' || !SetCurrentDirectoryA(g_startDirectory)) return;
    for (const OptionKey& option : kOptionKeys) {
        WritePrivateProfileStringA(kSection, option.key, IsChecked(window, option.id) ? "yes" : "no", kIniFile);
    }
}

ListOptions ReadListOptions(HWND window) {
    ListOptions options;
    options.subfolders = IsChecked(window, IDM_SUBFOLDERS);
    options.folderNames = IsChecked(window, IDM_FOLDER_NAMES);
    options.fileNames = IsChecked(window, IDM_FILE_NAMES);
    options.treeView = IsChecked(window, IDM_TREE_VIEW);
    options.nameLimit = IsChecked(window, IDM_NAME_LIMIT);
    options.maxDepth = g_depthLimit;
    return options;
}
