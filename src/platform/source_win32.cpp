// The Win32 side of the listing seam: folders read whole with FindFirstFileA/FindNextFileA/FindClose,
// names compared with lstrcmpiA (folders) and lstrcmpA (files), unreadable folders reported in a box.
#include "platform/source_win32.h"

#include <cstring>

namespace {

// The box for a folder that cannot be read (the literal is compiled to code page 932).
constexpr char kUnreadableText[] = "失敗かな？";
constexpr char kUnreadableCaption[] = "findfile";

int SeparatorsAfter(std::string_view parent) { return parent.size() == 3 ? 0 : 1; }

// A directory that is also a reparse point (symbolic link, junction, mount point) is listed but never
// entered: a link back up the tree would otherwise be walked until paths run out.
EntryKind KindOf(DWORD attributes) {
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) return kEntryFile;
    return (attributes & FILE_ATTRIBUTE_REPARSE_POINT) ? kEntryFolderLink : kEntryFolder;
}

int ReadFolder(void* context, const std::string& path, EntryList& out) {
    auto& source = *static_cast<Win32Source*>(context);
    const std::string pattern = SearchPattern(path);
    WIN32_FIND_DATAA data;
    HANDLE find = source.findFirst(pattern.c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) {
        DWORD error = GetLastError();
        return error != 0 ? static_cast<int>(error) : ERROR_PATH_NOT_FOUND;
    }
    // The whole folder is read before the scan goes on, so one handle is open at a time however deep
    // the walk goes.
    do {
        out.Add(data.cFileName, {}, {}, KindOf(data.dwFileAttributes));
    } while (source.findNext(find, &data));
    source.findClose(find);
    return 0;
}

void ReportUnreadable(void* context, const std::string& path, int error) {
    auto& source = *static_cast<Win32Source*>(context);
    if (source.report) {
        source.report(source.reportContext, path, error);
        return;
    }
    source.messageBox(source.optionWindow, kUnreadableText, kUnreadableCaption, 0);
}

// lstrcmp(i)A need NUL-terminated strings; names up to the path limit are copied to the stack.
int CompareTerminated(int(WINAPI* compare)(LPCSTR, LPCSTR), std::string_view a, std::string_view b) {
    char shortA[MAX_PATH + 1], shortB[MAX_PATH + 1];
    std::string longA, longB;
    const char* pa = shortA;
    const char* pb = shortB;
    if (a.size() <= MAX_PATH) {
        std::memcpy(shortA, a.data(), a.size());
        shortA[a.size()] = '\0';
    } else {
        longA.assign(a);
        pa = longA.c_str();
    }
    if (b.size() <= MAX_PATH) {
        std::memcpy(shortB, b.data(), b.size());
        shortB[b.size()] = '\0';
    } else {
        longB.assign(b);
        pb = longB.c_str();
    }
    return compare(pa, pb);
}

int CompareFolders(std::string_view a, std::string_view b) { return CompareTerminated(lstrcmpiA, a, b); }
int CompareFiles(std::string_view a, std::string_view b) { return CompareTerminated(lstrcmpA, a, b); }

}  // namespace

std::string SearchPattern(const std::string& path) {
    return path + (SeparatorsAfter(path) ? "\\*" : "*");
}

FolderSource Win32FolderSource(Win32Source& source) {
    return FolderSource{&source, '\\', SeparatorsAfter, ReadFolder, ReportUnreadable};
}

NameOrder Win32NameOrder() {
    return NameOrder{CompareFolders, CompareFiles, false};
}
