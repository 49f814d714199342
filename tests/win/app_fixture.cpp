// The main-window fixture of the Win32 shell tests (see app_fixture.h).
#include "app_fixture.h"

#include "resource.h"

void DrainMessages() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    }
}

void AppTest::SetUp() {
    if (g_tables.limits.folderRows == 0) InitListing(g_tables, kDefinedLimits);
    log_ = &FakeShell();
    ASSERT_TRUE(SetCurrentDirectoryA(start_.path().c_str()));
    RegisterMainClass(GetModuleHandleA(nullptr));
}

void AppTest::OpenMain() {
    main_ = CreateMainWindow(GetModuleHandleA(nullptr));
    ASSERT_NE(main_, nullptr);
    ASSERT_NE(CreateEditControl(main_), nullptr);
}

void AppTest::TearDown() {
    if (main_ && IsWindow(main_)) DestroyWindow(main_);
    DrainMessages();
    RealShell();
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    SetCurrentDirectoryA(temp);
}

std::string AppTest::EditText() const {
    std::string text(static_cast<size_t>(GetWindowTextLengthA(g_editControl)) + 1, '\0');
    text.resize(static_cast<size_t>(GetWindowTextA(g_editControl, text.data(), static_cast<int>(text.size()))));
    return text;
}

void AppTest::SetEditText(const std::string& text) const {
    SendMessageA(g_editControl, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

std::string Marks(HWND window) {
    static constexpr UINT kToggles[] = {IDM_SUBFOLDERS, IDM_FOLDER_NAMES, IDM_FILE_NAMES, IDM_TREE_VIEW, IDM_NAME_LIMIT};
    std::string marks;
    for (UINT id : kToggles) marks += IsChecked(window, id) ? '1' : '0';
    return marks;
}

std::string IniValue(const std::string& file, const char* section, const char* key) {
    char value[64];
    GetPrivateProfileStringA(section, key, "<none>", value, sizeof value, file.c_str());
    return value;
}
