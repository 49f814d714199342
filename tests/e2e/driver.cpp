// The end-to-end driver: a Win32 console program, run in the same Wine session as ZK-Arbolin.exe, that
// works the program only through its windows (menu commands, boxes, picker, save dialog, About box, keys).
// One step per run: `driver STEP ARGS...`; exit status 0 when the step did what was expected, else 1 with
// a line starting "FAIL" (texts are printed in code page 932). Every wait is bounded.
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

// Menu commands of menu 101.
constexpr UINT kSelectFolder = 40002;
constexpr UINT kSaveList = 40009;
constexpr UINT kAbout = 40008;

// Controls of the common dialogs as Wine builds them (see tests/e2e/README).
constexpr int kMessageText = 0xFFFF;     // MessageBoxA's text
constexpr int kPickerTree = 0x3741;      // SHBrowseForFolderA's tree view
constexpr int kPickerTitle = 0x3742;     // SHBrowseForFolderA's lpszTitle
constexpr int kSaveName = 0x47C;         // GetSaveFileNameA's file name (ComboBoxEx32)
constexpr int kSaveType = 0x470;         // GetSaveFileNameA's file type combo box
constexpr int kWebAddress = 1002;        // About box fields and buttons
constexpr int kMailAddress = 1003;
constexpr int kSendMail = 1005;
constexpr int kGo = 1006;

DWORD g_timeoutMs = 20000;  // every wait; E2E_TIMEOUT_MS overrides

// ---- The message boxes the program shows: text, caption, and whether the main window owns them.

struct BoxKind {
    const char* name;
    const char* text;
    const char* caption;
    bool ownedByMain;
};

constexpr BoxKind kBoxes[] = {
    {"notice",
     "ファイルを抽出します。\nご使用のパソコンによっては数分かかる場合がありますが、\nしばらくそのままお待ちください。",
     "ZK-Ramelkin", false},
    {"too-much", "データ量が多すぎます。\n作業を中断します。", "ZK-Ramelkin", false},
    {"too-much-text", "データ量が多すぎます。\n作業を中断します。", "Ramelkin", false},
    {"findfile", "失敗かな？", "findfile", true},
    {"help-missing", "ヘルプファイルが見つかりません。", "ZK-Arbolin", true},
    // The path follows on a second line (given on the command line).
    {"save-failed", "ファイルを保存できませんでした。", "ZK-Arbolin", true},
    // A folder argument that names no folder; the path follows on a second line.
    {"not-found", "フォルダが見つかりません。", "ZK-Arbolin", true},
};

// ---- Output

[[noreturn]] void Fail(const std::string& message) {
    std::printf("FAIL %s\n", message.c_str());
    std::fflush(stdout);
    std::exit(1);
}

// A text as a readable one-line quote: control bytes escaped.
std::string Quote(const std::string& text) {
    std::string out = "\"";
    for (unsigned char c : text) {
        if (c == '\n') out += "\\n";
        else if (c == '\r') out += "\\r";
        else if (c < 0x20) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02x", c);
            out += hex;
        } else out += static_cast<char>(c);
    }
    return out + "\"";
}

void Expect(const std::string& what, const std::string& got, const std::string& want) {
    if (got == want) return;
    size_t at = 0;
    while (at < got.size() && at < want.size() && got[at] == want[at]) ++at;
    Fail(what + ": got " + Quote(got) + ", want " + Quote(want) + " (first difference at byte " +
         std::to_string(at) + ")");
}

// ---- Windows of the program

std::string ClassOf(HWND window) {
    char name[128] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

std::string TextOf(HWND window) {
    char text[4096] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

// A control's text as the control itself answers it (across processes GetWindowTextA gives an edit
// control's creation title, not its text).
std::string ControlText(HWND control) {
    char text[4096] = {};
    SendMessageA(control, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
    return text;
}

std::string ItemText(HWND dialog, int id) {
    char text[4096] = {};
    GetDlgItemTextA(dialog, id, text, sizeof text);
    return text;
}

// Polls `found` every 20 ms until it returns a window or the timeout passes.
template <typename Find>
HWND WaitFor(Find found, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    for (;;) {
        if (HWND window = found()) return window;
        if (GetTickCount() - start >= timeoutMs) return nullptr;
        Sleep(20);
    }
}

template <typename Test>
bool WaitUntil(Test done, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    for (;;) {
        if (done()) return true;
        if (GetTickCount() - start >= timeoutMs) return false;
        Sleep(20);
    }
}

HWND FindMain() {
    HWND window = FindWindowA("WndApp", nullptr);
    return window && IsWindowVisible(window) ? window : nullptr;
}

HWND Main() {
    HWND window = WaitFor(FindMain, g_timeoutMs);
    if (!window) Fail("no main window (class \"WndApp\") appeared");
    return window;
}

DWORD ProcessOf(HWND window) {
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    return process;
}

// The visible dialogs (#32770) of the program's process, top-level ones only, in z order.
std::vector<HWND> Dialogs(DWORD process) {
    struct Search {
        DWORD process;
        std::vector<HWND> found;
    } search{process, {}};
    EnumWindows(
        [](HWND window, LPARAM lp) CALLBACK -> BOOL {  // stdcall on i686, as WNDENUMPROC is
            auto* s = reinterpret_cast<Search*>(lp);
            if (ProcessOf(window) == s->process && IsWindowVisible(window) && ClassOf(window) == "#32770")
                s->found.push_back(window);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// A MessageBoxA box: its text is the Static 0xFFFF. The About box's unnamed statics have that id too, and
// the pickers may: those are told apart by their own controls.
bool IsMessageBox(HWND dialog) {
    HWND text = GetDlgItem(dialog, kMessageText);
    return text && ClassOf(text) == "Static" && GetDlgItem(dialog, IDOK) && !GetDlgItem(dialog, kPickerTree) &&
           !GetDlgItem(dialog, kSaveName) && !GetDlgItem(dialog, kWebAddress);
}

std::string Describe(HWND dialog) {
    std::string out = "dialog caption " + Quote(TextOf(dialog));
    if (IsMessageBox(dialog)) out += " text " + Quote(ItemText(dialog, kMessageText));
    HWND owner = GetWindow(dialog, GW_OWNER);
    out += owner ? " owner " + Quote(TextOf(owner)) + " (" + ClassOf(owner) + ")" : " no owner";
    return out;
}

// The first visible dialog of the process that `accept` takes.
template <typename Accept>
HWND WaitDialog(DWORD process, Accept accept, DWORD timeoutMs) {
    return WaitFor(
        [&]() -> HWND {
            for (HWND dialog : Dialogs(process))
                if (accept(dialog)) return dialog;
            return nullptr;
        },
        timeoutMs);
}

std::string OpenDialogs(DWORD process) {
    std::string out;
    for (HWND dialog : Dialogs(process)) out += "\n  open: " + Describe(dialog);
    return out.empty() ? " (none open)" : out;
}

bool Gone(HWND window) { return !IsWindow(window) || !IsWindowVisible(window); }

void WaitGone(HWND window, const std::string& what) {
    if (!WaitUntil([&] { return Gone(window); }, g_timeoutMs)) Fail(what + " did not close");
}

void PressButton(HWND dialog, int id) { PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }

// Waits until the program's thread has taken every message posted to it before (the menu commands this
// driver posts): posted messages are taken in order, so once a text limit posted last to the edit control
// is in place, the earlier ones have been handled, or one of them is showing a box whose own loop took it.
// The limit is then put back. A command that runs without taking messages (a scan) is waited for.
void PostedBarrier(HWND main) {
    HWND edit = FindWindowExA(main, nullptr, "Edit", nullptr);
    if (!edit) return;
    DWORD_PTR limit = 0;
    if (!SendMessageTimeoutA(edit, EM_GETLIMITTEXT, 0, 0, SMTO_NORMAL, g_timeoutMs, &limit))
        Fail("the program did not answer within the time limit (busy or hung)");
    const LPARAM mark = static_cast<LPARAM>(limit == 12345 ? 12346 : 12345);
    PostMessageA(edit, EM_SETLIMITTEXT, static_cast<WPARAM>(mark), 0);
    const bool taken = WaitUntil(
        [&] {
            DWORD_PTR now = 0;
            return !IsWindow(edit) ||
                   (SendMessageTimeoutA(edit, EM_GETLIMITTEXT, 0, 0, SMTO_NORMAL, g_timeoutMs, &now) &&
                    now == static_cast<DWORD_PTR>(mark));
        },
        g_timeoutMs);
    if (!taken) Fail("the program did not take its posted messages within the time limit");
    if (IsWindow(edit)) SendMessageA(edit, EM_SETLIMITTEXT, static_cast<WPARAM>(limit), 0);
}

// Waits until the program has handled everything posted and sent before: after the posted barrier, two
// round trips of a sent message (handled only where the thread takes messages: its main loop or a box's
// loop), so a command that was running has either finished or is showing a box.
void Settle(HWND main) {
    PostedBarrier(main);
    for (int i = 0; i < 2; ++i) {
        DWORD_PTR result = 0;
        if (!SendMessageTimeoutA(main, WM_NULL, 0, 0, SMTO_NORMAL, g_timeoutMs, &result))
            Fail("the program did not answer within the time limit (busy or hung)");
    }
}

// ---- Files given on the command line (Windows paths, e.g. Z:\...)

std::string ReadAll(const char* path) {
    FILE* file = std::fopen(path, "rb");
    if (!file) Fail(std::string("cannot read ") + path);
    std::string bytes;
    char chunk[65536];
    size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, file)) > 0) bytes.append(chunk, n);
    std::fclose(file);
    return bytes;
}

void WriteAll(const char* path, const std::string& bytes) {
    FILE* file = std::fopen(path, "wb");
    if (!file || std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size() || std::fclose(file) != 0)
        Fail(std::string("cannot write ") + path);
}

// ---- The edit control

HWND Edit(HWND main) {
    HWND edit = FindWindowExA(main, nullptr, "Edit", nullptr);
    if (!edit) Fail("the main window has no edit control");
    return edit;
}

std::string EditText(HWND edit) {
    const LRESULT length = SendMessageA(edit, WM_GETTEXTLENGTH, 0, 0);
    std::string text(static_cast<size_t>(length) * 2 + 2, '\0');
    const LRESULT copied = SendMessageA(edit, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<size_t>(copied));
    return text;
}

// ---- Memory in the program's process, for the tree view's item texts

struct Remote {
    HANDLE process = nullptr;
    char* memory = nullptr;
    explicit Remote(DWORD id) {
        process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, id);
        if (!process) Fail("cannot open the program's process");
        memory = static_cast<char*>(VirtualAllocEx(process, nullptr, 8192, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
        if (!memory) Fail("cannot allocate memory in the program's process");
    }
    ~Remote() {
        VirtualFreeEx(process, memory, 0, MEM_RELEASE);
        CloseHandle(process);
    }
    void Write(size_t offset, const void* data, size_t size) {
        if (!WriteProcessMemory(process, memory + offset, data, size, nullptr)) Fail("WriteProcessMemory failed");
    }
    void Read(size_t offset, void* data, size_t size) {
        if (!ReadProcessMemory(process, memory + offset, data, size, nullptr)) Fail("ReadProcessMemory failed");
    }
};

std::string TreeItemText(Remote& remote, HWND tree, HTREEITEM item) {
    constexpr size_t kTextAt = 1024;
    TVITEMA query{};
    query.mask = TVIF_TEXT | TVIF_HANDLE;
    query.hItem = item;
    query.pszText = remote.memory + kTextAt;
    query.cchTextMax = 1024;
    remote.Write(0, &query, sizeof query);
    char zero = 0;
    remote.Write(kTextAt, &zero, 1);
    SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(remote.memory));
    char text[1025] = {};
    remote.Read(kTextAt, text, 1024);
    return text;
}

HTREEITEM Caret(HWND tree) {
    return reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
}

// ---- A drop: the block the shell hands over, placed in the program's memory

// Windows hands a drop to another process only through the shell's own drag and drop. Under Wine, a
// fixed block works as the HDROP: GlobalLock gives back any pointer that is no movable block's handle,
// so DragQueryFileA reads a DROPFILES block written into the program's memory, and the posted
// WM_DROPFILES takes the program's own path (the window procedure, the running-command guard).
// DragFinish cannot give that block back to the heap (Wine refuses the pointer and goes on); it stays
// until the program ends. Zeros before it are what the heap reads there.
void Drop(HWND main, const std::vector<std::string>& items) {
    constexpr size_t kBlockAt = 64;
    std::string block(sizeof(DROPFILES), '\0');
    DROPFILES header{};
    header.pFiles = sizeof(DROPFILES);
    header.fWide = FALSE;
    std::memcpy(block.data(), &header, sizeof header);
    for (const std::string& item : items) block += item + '\0';
    block += '\0';
    HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_WRITE, FALSE, ProcessOf(main));
    if (!process) Fail("cannot open the program's process");
    char* memory = static_cast<char*>(
        VirtualAllocEx(process, nullptr, kBlockAt + block.size(), MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    if (!memory || !WriteProcessMemory(process, memory + kBlockAt, block.data(), block.size(), nullptr))
        Fail("cannot place the drop in the program's memory");
    CloseHandle(process);
    PostMessageA(main, WM_DROPFILES, reinterpret_cast<WPARAM>(memory + kBlockAt), 0);
}

// ---- Steps

HWND WaitPicker(HWND main) {
    HWND picker = WaitDialog(
        ProcessOf(main),
        [&](HWND d) { return GetWindow(d, GW_OWNER) == main && GetDlgItem(d, kPickerTree) != nullptr; },
        g_timeoutMs);
    if (!picker) Fail("the folder picker did not appear" + OpenDialogs(ProcessOf(main)));
    Expect("picker title", ItemText(picker, kPickerTitle), "フォルダを選択してください");
    return picker;
}

// Splits "X:\a\b" into the drive root "X:\" and the components a, b.
std::vector<std::string> PathParts(const std::string& path) {
    if (path.size() < 3 || path[1] != ':' || path[2] != '\\') Fail("not a drive path: " + path);
    std::vector<std::string> parts{path.substr(0, 3)};
    std::string current;
    for (const char* p = path.c_str() + 3; *p; p = CharNextA(p)) {
        if (*p == '\\') {
            if (!current.empty()) parts.push_back(current);
            current.clear();
        } else current.append(p, CharNextA(p) - p);
    }
    if (!current.empty()) parts.push_back(current);
    return parts;
}

// Selects `path` in the picker: the drive root by BFFM_SETSELECTIONA, then each component by walking the
// tree view's items (BFFM_SETSELECTIONA alone to a deep path is unreliable under Wine).
void Pick(HWND main, const std::string& path) {
    HWND picker = WaitPicker(main);
    HWND tree = GetDlgItem(picker, kPickerTree);
    Remote remote(ProcessOf(main));
    const std::vector<std::string> parts = PathParts(path);
    // The drive's item shows the letter, e.g. "Q:\" or "label (Q:)".
    const std::string letter = parts[0].substr(0, 2);
    constexpr size_t kPathAt = 4096;
    remote.Write(kPathAt, parts[0].c_str(), parts[0].size() + 1);
    HTREEITEM current = nullptr;
    const bool onDrive = WaitUntil(
        [&] {
            SendMessageA(picker, BFFM_SETSELECTIONA, TRUE, reinterpret_cast<LPARAM>(remote.memory + kPathAt));
            current = Caret(tree);
            return current && TreeItemText(remote, tree, current).find(letter) != std::string::npos;
        },
        g_timeoutMs);
    if (!onDrive) Fail("the picker did not select the drive " + parts[0]);
    for (size_t i = 1; i < parts.size(); ++i) {
        HTREEITEM found = nullptr;
        std::string seen;
        WaitUntil(
            [&] {
                SendMessageA(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(current));
                seen.clear();
                for (auto child = reinterpret_cast<HTREEITEM>(
                         SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CHILD, reinterpret_cast<LPARAM>(current)));
                     child; child = reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_GETNEXTITEM, TVGN_NEXT,
                                                                             reinterpret_cast<LPARAM>(child)))) {
                    const std::string text = TreeItemText(remote, tree, child);
                    if (text == parts[i]) {
                        found = child;
                        return true;
                    }
                    if (seen.size() < 400) seen += " " + Quote(text);
                }
                return false;
            },
            2000);
        if (!found) Fail("the picker shows no folder " + Quote(parts[i]) + " under " + Quote(parts[i - 1]) +
                         "; items:" + seen);
        SendMessageA(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(found));
        if (Caret(tree) != found) Fail("the picker did not select " + Quote(parts[i]));
        current = found;
    }
    PressButton(picker, IDOK);
    WaitGone(picker, "the folder picker");
}

// Chooses an item that has no file-system path: the parent of drive Z:'s item (the computer).
void PickWithoutPath(HWND main) {
    HWND picker = WaitPicker(main);
    HWND tree = GetDlgItem(picker, kPickerTree);
    Remote remote(ProcessOf(main));
    constexpr size_t kPathAt = 4096;
    remote.Write(kPathAt, "Z:\\", 4);
    HTREEITEM drive = nullptr;
    if (!WaitUntil(
            [&] {
                SendMessageA(picker, BFFM_SETSELECTIONA, TRUE, reinterpret_cast<LPARAM>(remote.memory + kPathAt));
                drive = Caret(tree);
                return drive && TreeItemText(remote, tree, drive).find("Z:") != std::string::npos;
            },
            g_timeoutMs))
        Fail("the picker did not select drive Z:");
    auto computer = reinterpret_cast<HTREEITEM>(
        SendMessageA(tree, TVM_GETNEXTITEM, TVGN_PARENT, reinterpret_cast<LPARAM>(drive)));
    if (!computer) Fail("drive Z: has no parent item in the picker");
    SendMessageA(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(computer));
    std::printf("chose %s\n", Quote(TreeItemText(remote, tree, computer)).c_str());
    PressButton(picker, IDOK);
    WaitGone(picker, "the folder picker");
}

void PickCancel(HWND main) {
    HWND picker = WaitPicker(main);
    PressButton(picker, IDCANCEL);
    WaitGone(picker, "the folder picker");
}

const BoxKind& Kind(const std::string& name) {
    for (const BoxKind& kind : kBoxes)
        if (name == kind.name) return kind;
    Fail("unknown box kind " + name);
}

// Waits for the box, checks its text, caption and owner (and that the main window is disabled exactly
// when it owns the box), then closes it with OK unless `keep`.
HWND CheckBox(HWND main, const BoxKind& kind, const std::string& extraLine, bool keep) {
    const DWORD process = ProcessOf(main);
    HWND box = WaitDialog(process, IsMessageBox, g_timeoutMs);
    if (!box) Fail(std::string("no message box appeared (expected ") + kind.name + ")" + OpenDialogs(process));
    std::string text = kind.text;
    if (!extraLine.empty()) text += "\n" + extraLine;
    Expect(std::string(kind.name) + " box caption", TextOf(box), kind.caption);
    Expect(std::string(kind.name) + " box text", ItemText(box, kMessageText), text);
    HWND owner = GetWindow(box, GW_OWNER);
    if (kind.ownedByMain && owner != main) Fail(std::string(kind.name) + " box is not owned by the main window");
    if (!kind.ownedByMain && owner) Fail(std::string(kind.name) + " box has an owner: " + Describe(box));
    if (IsWindowEnabled(main) == (kind.ownedByMain ? TRUE : FALSE))
        Fail(std::string(kind.name) + (kind.ownedByMain ? " box leaves the main window enabled"
                                                        : " box disables the main window (menu unusable)"));
    if (!GetDlgItem(box, IDOK) || GetDlgItem(box, IDCANCEL)) Fail(std::string(kind.name) + " box is not OK-only");
    if (!keep) {
        PressButton(box, IDOK);
        WaitGone(box, std::string(kind.name) + " box");
    }
    return box;
}

void NoBox(HWND main) {
    Settle(main);
    const std::vector<HWND> open = Dialogs(ProcessOf(main));
    if (!open.empty()) Fail("unexpected" + OpenDialogs(ProcessOf(main)));
}

HWND WaitSaveDialog(HWND main) {
    HWND dialog = WaitDialog(
        ProcessOf(main),
        [&](HWND d) {
            HWND name = GetDlgItem(d, kSaveName);
            return GetWindow(d, GW_OWNER) == main && name && ClassOf(name) == "ComboBoxEx32";
        },
        g_timeoutMs);
    if (!dialog) Fail("the save dialog did not appear" + OpenDialogs(ProcessOf(main)));
    Expect("save dialog title", TextOf(dialog), "名前を付けて保存する");
    Expect("save dialog's proposed file name", ControlText(GetDlgItem(dialog, kSaveName)), "");
    // The file types: two entries, the first one chosen.
    HWND types = GetDlgItem(dialog, kSaveType);
    std::string list;
    const LRESULT count = SendMessageA(types, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        // Wine 8 passes CB_GETLBTEXT from an ANSI caller in another process without converting the
        // dialog's UTF-16 item (only its first letter arrives): ask for UTF-16 and convert here.
        wchar_t wide[256] = {};
        SendMessageW(types, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(wide));
        char item[512] = {};
        WideCharToMultiByte(CP_ACP, 0, wide, -1, item, sizeof item, nullptr, nullptr);
        list += std::string(i ? "|" : "") + item;
    }
    Expect("save dialog's file types", list, "text(*.txt)|All files(*.*)");
    Expect("save dialog's chosen file type", std::to_string(SendMessageA(types, CB_GETCURSEL, 0, 0)), "0");
    return dialog;
}

// Save under `name`. `prompts`: the answers to give to overwrite prompts in turn ("yes"/"no"); after a "no"
// the dialog stays and is cancelled.
void Save(HWND main, const std::string& name, const std::vector<std::string>& prompts) {
    PostMessageA(main, WM_COMMAND, kSaveList, 0);
    HWND dialog = WaitSaveDialog(main);
    SendMessageA(GetDlgItem(dialog, kSaveName), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(name.c_str()));
    PressButton(dialog, IDOK);
    const DWORD process = ProcessOf(main);
    size_t answered = 0;
    for (;;) {
        HWND prompt = nullptr;
        const bool settled = WaitUntil(
            [&] {
                if (Gone(dialog)) return true;
                for (HWND d : Dialogs(process))
                    if (GetWindow(d, GW_OWNER) == dialog) prompt = d;
                return prompt != nullptr;
            },
            g_timeoutMs);
        if (!settled) Fail("the save dialog neither closed nor asked anything" + OpenDialogs(process));
        if (!prompt) break;
        if (answered == prompts.size()) Fail("unexpected question: " + Describe(prompt));
        std::printf("overwrite prompt: %s\n", Quote(ItemText(prompt, kMessageText)).c_str());
        if (!GetDlgItem(prompt, IDYES) || !GetDlgItem(prompt, IDNO)) Fail("the prompt is not a yes/no question");
        const bool yes = prompts[answered++] == "yes";
        PressButton(prompt, yes ? IDYES : IDNO);
        WaitGone(prompt, "the overwrite prompt");
        if (!yes) {
            if (Gone(dialog)) Fail("the save dialog closed after \"no\"");
            PressButton(dialog, IDCANCEL);
            WaitGone(dialog, "the save dialog");
            break;
        }
    }
    if (answered != prompts.size()) Fail("the save dialog did not ask before replacing the file");
}

HWND WaitAbout(HWND main) {
    HWND about = WaitDialog(
        ProcessOf(main), [&](HWND d) { return GetWindow(d, GW_OWNER) == main && GetDlgItem(d, kWebAddress); },
        g_timeoutMs);
    if (!about) Fail("the About box did not appear" + OpenDialogs(ProcessOf(main)));
    return about;
}

// The About box's caption and controls, in template order; the maker's notice line and the two
// addresses are the program's own choice and are given on the command line.
void CheckAbout(HWND about, const std::string& web, const std::string& mail, const std::string& notice) {
    Expect("About caption", TextOf(about), "ZK-Arbolin");
    struct Control {
        const char* className;
        int id;
        std::string text;
    };
    const Control want[] = {
        {"Button", IDOK, "OK"},
        {"Static", 0xFFFF, "Build on 2001/05/19"},
        {"Static", 0xFFFF, notice},
        {"Button", 0xFFFF, "ZK-Arbolin"},
        {"Static", 0xFFFF, "Version 2.01"},
        {"Edit", kWebAddress, web},
        {"Static", 0xFFFF, "ご意見ご感想はこちらまで"},
        {"Edit", kMailAddress, mail},
        {"Static", 0xFFFF, ""},  // icon 114
        {"Static", 0xFFFF, ""},  // bitmap 106
        {"Static", 0xFFFF, ""},  // bitmap 116
        {"Button", kSendMail, "Send Mail"},
        {"Button", kGo, "Go!!"},
    };
    size_t i = 0;
    for (HWND child = GetWindow(about, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT), ++i) {
        if (i >= std::size(want)) Fail("the About box has more controls than its template");
        const std::string where = "About control " + std::to_string(i + 1);
        Expect(where + " class", ClassOf(child), want[i].className);
        Expect(where + " id", std::to_string(GetDlgCtrlID(child) & 0xFFFF), std::to_string(want[i].id));
        const bool image = i >= 8 && i <= 10;
        if (!image) Expect(where + " text", ControlText(child), want[i].text);
    }
    if (i != std::size(want)) Fail("the About box has " + std::to_string(i) + " controls, not 13");
}

// A key as the keyboard gives it with the box active: to its control with the focus, through the box's
// own message loop. Should the thread's focus lie outside the box (under Wine without a window manager a
// box is not always activated at once), the key goes to the box itself, as it would with the box active:
// posted to the main window's edit control it would type there instead.
void Key(HWND dialog, UINT key) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    HWND target = dialog;
    if (GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &info) && info.hwndFocus &&
        IsChild(dialog, info.hwndFocus))
        target = info.hwndFocus;
    const UINT scan = MapVirtualKeyA(key, MAPVK_VK_TO_VSC);
    PostMessageA(target, WM_KEYDOWN, key, 1 | (scan << 16));
    PostMessageA(target, WM_KEYUP, key, 1 | (scan << 16) | 0xC0000000u);
}

// Waits until the box's thread has taken every message posted to it before: posted messages are taken in
// order, so once a selection posted last is in place, the keys posted earlier have been handled.
void Barrier(HWND dialog) {
    HWND field = GetDlgItem(dialog, kMailAddress);
    static int round = 0;
    const int mark = 1 + (++round % 3);
    PostMessageA(field, EM_SETSEL, 0, mark);
    const bool done = WaitUntil(
        [&] {
            if (Gone(dialog)) return true;
            DWORD from = 0, to = 0;
            SendMessageA(field, EM_GETSEL, reinterpret_cast<WPARAM>(&from), reinterpret_cast<LPARAM>(&to));
            return from == 0 && to == static_cast<DWORD>(mark);
        },
        g_timeoutMs);
    if (!done) Fail("the About box did not take its messages");
}

void CheckLayout(HWND main) {
    Settle(main);
    HWND edit = Edit(main);
    RECT client, box;
    GetClientRect(main, &client);
    GetWindowRect(edit, &box);
    MapWindowPoints(nullptr, main, reinterpret_cast<POINT*>(&box), 2);
    char got[128], want[128];
    std::snprintf(got, sizeof got, "%ld,%ld %ldx%ld", box.left, box.top, box.right - box.left, box.bottom - box.top);
    std::snprintf(want, sizeof want, "%ld,%ld %ldx%ld", client.left, client.top, client.right, client.bottom);
    Expect("edit control's rectangle (client area)", got, want);
    std::printf("client area %s\n", want);
}

int Usage() {
    std::fputs(
        "usage: driver STEP ARGS [-- STEP ARGS]...\n"
        "  wait-main | menu ID | settle | no-box | open-dialogs N\n"
        "  box KIND [--keep] [--line TEXT]    KIND: notice too-much too-much-text findfile help-missing\n"
        "                                     save-failed not-found\n"
        "  close-box                          OK on the one open message box\n"
        "  pick PATH | pick-cancel | pick-no-path   the folder picker (after menu 40002)\n"
        "  list PATH                          menu 40002, pick PATH, notice closed, settled\n"
        "  drop ITEM...                       the items dropped on the main window\n"
        "  edit-get FILE | edit-set FILE | edit-type TEXT | modified\n"
        "  save NAME [yes|no]...\n"
        "  about-open | about-check WEB MAIL NOTICE | about-field ID TEXT | about-click ID\n"
        "  about-key enter|escape|close\n"
        "  close | wait-exit | resize W H | place X Y W H | maximize | restore | layout\n",
        stderr);
    return 2;
}

}  // namespace

// One step; argv[1] is its name and argv[2...] its arguments (argv[0] is unused).
int RunStep(const std::vector<std::string>& argv) {
    const int argc = static_cast<int>(argv.size());
    const std::string step = argv[1];
    auto arg = [&](int i) -> std::string {
        if (i >= argc) Fail("step " + step + " needs more arguments");
        return argv[i];
    };
    if (step == "wait-exit") {
        // The main window is destroyed (the caller then waits for the process itself).
        if (!WaitUntil([] { return FindWindowA("WndApp", nullptr) == nullptr; }, g_timeoutMs))
            Fail("the main window is still there");
        return 0;
    }
    HWND main = Main();

    if (step == "wait-main") {
        return 0;
    } else if (step == "menu") {
        PostMessageA(main, WM_COMMAND, static_cast<WPARAM>(std::atoi(arg(2).c_str())), 0);
    } else if (step == "settle") {
        Settle(main);
    } else if (step == "no-box") {
        NoBox(main);
    } else if (step == "open-dialogs") {
        Settle(main);
        const std::vector<HWND> open = Dialogs(ProcessOf(main));
        if (open.size() != static_cast<size_t>(std::atoi(arg(2).c_str())))
            Fail(std::to_string(open.size()) + " dialogs open, not " + arg(2) + OpenDialogs(ProcessOf(main)));
    } else if (step == "box") {
        bool keep = false;
        std::string line;
        for (int i = 3; i < argc; ++i) {
            if (argv[i] == "--keep") keep = true;
            else if (argv[i] == "--line") line = arg(++i);
        }
        CheckBox(main, Kind(arg(2)), line, keep);
    } else if (step == "close-box") {
        HWND box = WaitDialog(ProcessOf(main), IsMessageBox, g_timeoutMs);
        if (!box) Fail("no message box is open");
        PressButton(box, IDOK);
        WaitGone(box, "the message box");
    } else if (step == "drop") {
        Drop(main, std::vector<std::string>(argv.begin() + 2, argv.end()));
    } else if (step == "pick") {
        Pick(main, arg(2));
    } else if (step == "pick-no-path") {
        PickWithoutPath(main);
    } else if (step == "pick-cancel") {
        PickCancel(main);
    } else if (step == "list") {
        PostMessageA(main, WM_COMMAND, kSelectFolder, 0);
        Pick(main, arg(2));
        CheckBox(main, Kind("notice"), "", false);
        Settle(main);
    } else if (step == "edit-get") {
        Settle(main);
        WriteAll(arg(2).c_str(), EditText(Edit(main)));
    } else if (step == "edit-set") {
        const std::string text = ReadAll(arg(2).c_str());
        SendMessageA(Edit(main), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
        Expect("edit control's text after WM_SETTEXT", EditText(Edit(main)), text);
    } else if (step == "edit-type") {
        // Typed at the end of the text: select all, collapse the selection to its end, then the keys.
        HWND edit = Edit(main);
        PostMessageA(edit, EM_SETSEL, 0, -1);
        PostMessageA(edit, EM_SETSEL, static_cast<WPARAM>(-1), 0);
        for (unsigned char c : arg(2)) PostMessageA(edit, WM_CHAR, c == '\n' ? VK_RETURN : c, 1);
        Settle(main);
    } else if (step == "modified") {
        Settle(main);
        std::printf("%d\n", SendMessageA(Edit(main), EM_GETMODIFY, 0, 0) ? 1 : 0);
    } else if (step == "save") {
        const std::vector<std::string> prompts(argv.begin() + 3, argv.end());
        Save(main, arg(2), prompts);
    } else if (step == "about-open") {
        PostMessageA(main, WM_COMMAND, kAbout, 0);
        HWND about = WaitAbout(main);
        if (GetWindow(about, GW_OWNER) != main || IsWindowEnabled(main)) Fail("the About box is not modal to the main window");
    } else if (step == "about-check") {
        CheckAbout(WaitAbout(main), arg(2), arg(3), arg(4));
    } else if (step == "about-field") {
        HWND about = WaitAbout(main);
        const std::string text = arg(3);
        SendMessageA(GetDlgItem(about, std::atoi(arg(2).c_str())), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
        Expect("About field after editing", ItemText(about, std::atoi(arg(2).c_str())), text);
    } else if (step == "about-click") {
        HWND about = WaitAbout(main);
        PostMessageA(GetDlgItem(about, std::atoi(arg(2).c_str())), BM_CLICK, 0, 0);
        Barrier(about);
    } else if (step == "about-key") {
        HWND about = WaitAbout(main);
        const std::string key = arg(2);
        if (key == "enter") Key(about, VK_RETURN);
        else if (key == "escape") Key(about, VK_ESCAPE);
        else if (key == "close") PostMessageA(about, WM_SYSCOMMAND, SC_CLOSE, 0);
        else Fail("unknown key " + key);
        Barrier(about);
        std::printf("%s\n", Gone(about) ? "closed" : "open");
    } else if (step == "close") {
        // What the title bar's close button sends.
        PostMessageA(main, WM_SYSCOMMAND, SC_CLOSE, 0);
    } else if (step == "resize") {
        SetWindowPos(main, nullptr, 0, 0, std::atoi(arg(2).c_str()), std::atoi(arg(3).c_str()),
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        CheckLayout(main);
    } else if (step == "place") {
        SetWindowPos(main, nullptr, std::atoi(arg(2).c_str()), std::atoi(arg(3).c_str()), std::atoi(arg(4).c_str()),
                     std::atoi(arg(5).c_str()), SWP_NOZORDER | SWP_NOACTIVATE);
        CheckLayout(main);
    } else if (step == "maximize" || step == "restore") {
        ShowWindowAsync(main, step == "maximize" ? SW_MAXIMIZE : SW_RESTORE);
        Settle(main);
        CheckLayout(main);
    } else if (step == "layout") {
        CheckLayout(main);
    } else {
        return Usage();
    }
    return 0;
}

// Steps run in turn, separated by "--" (one Wine process start saved per step); the first that fails ends
// the run.
int main(int argc, char** argv) {
    if (argc < 2) return Usage();
    if (const char* t = std::getenv("E2E_TIMEOUT_MS")) g_timeoutMs = static_cast<DWORD>(std::atol(t));
    std::vector<std::string> step{""};
    for (int i = 1; i <= argc; ++i) {
        if (i < argc && std::strcmp(argv[i], "--") != 0) {
            step.push_back(argv[i]);
            continue;
        }
        if (step.size() < 2) return Usage();
        if (const int result = RunStep(step)) return result;
        step.resize(1);
    }
    return 0;
}
