// The Windows side of the folder seam for arbolin.exe: each folder read whole with FindFirstFileExW over
// a \\?\ path (so folders past 260 characters are read), names as WTF-8, keys from Windows' collation,
// code page 932 names for the sjis modes, notices on standard error.
#include "platform/disk_source.h"

#include <cerrno>

#include "platform/messages.h"
#include "platform/names_win32.h"
#include "platform/source_win32.h"
#include "platform/wide_text.h"

namespace {

// What the scan's entry list is given room for up front, as on POSIX.
constexpr size_t kEntriesReserved = size_t(1) << 17;
constexpr size_t kEntryBytesReserved = size_t(8) << 20;

// --compat: the Windows program's order (lstrcmpiA, lstrcmpA over the CP932 names). DiskNameOrder takes
// no source and is asked after the source is closed, so the choice of the last listing is kept here.
bool compatOrder = false;

bool IsCompat(const DiskSource& source) { return source.windowsOrder && source.toSjis; }

// The scan composes a child's path as parent + '/' + name, with no separator after "C:\\", "C:" or a
// trailing '/' (JoinPath does the same for -l and messages).
int SeparatorsAfter(std::string_view parent) { return EndsInSeparator(parent) ? 0 : 1; }

// True when `path` lies inside the folder `folder` as the scan composes paths; `rest` is what follows.
bool Inside(std::string_view folder, std::string_view path, std::string_view& rest) {
    if (folder.empty() || path.size() <= folder.size() || path.substr(0, folder.size()) != folder) return false;
    rest = path.substr(folder.size());
    if (!EndsInSeparator(folder)) {
        if (rest.front() != '/') return false;
        rest.remove_prefix(1);
    }
    return !rest.empty();
}

// The \\?\ path of a folder the scan names: the root's made once with GetFullPathNameW, a folder inside
// it by appending its names with '\' (never through GetFullPathNameW, which would strip the trailing dots
// and spaces an NTFS name may hold). Returns 0 or the errno.
int FolderPath(DiskSourceImpl& impl, const std::string& path, std::wstring& out) {
    std::string_view rest;
    if (!Inside(impl.scanRoot, path, rest)) {
        impl.scanRoot.clear();
        if (int err = LongPath(path, impl.rootPath)) return err;
        impl.scanRoot = path;
    }
    out = impl.rootPath;
    if (rest.empty()) return 0;
    out = ChildPath(out, rest);
    for (size_t i = impl.rootPath.size(); i < out.size(); ++i)
        if (out[i] == L'/') out[i] = L'\\';
    return 0;
}

// A link is listed as a file and never entered. In the Windows program's order every folder that is a
// reparse point is a folder not entered, as FindFirstFileA shows it to that program.
EntryKind KindOf(DWORD attributes, DWORD reparseTag, bool windowsOrder) {
    bool folder = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    if (windowsOrder && folder && (attributes & FILE_ATTRIBUTE_REPARSE_POINT)) return kEntryFolderLink;
    if (IsLinkAttributes(attributes, reparseTag)) return kEntryLink;
    return folder ? kEntryFolder : kEntryFile;
}

bool IsDotName(const wchar_t* name) { return name[0] == L'.' && (!name[1] || (name[1] == L'.' && !name[2])); }

// The shown name: CP932 in the sjis modes; empty where that is `raw` itself (stored once).
std::string_view ShownCp932(DiskSource& source, std::wstring_view name, std::string_view raw) {
    if (!source.toSjis) return {};
    std::string_view shown = ToCp932(*source.impl, name);
    return shown == raw ? std::string_view() : shown;
}

// The key of one name: none under noKeys; the CP932 name under --compat (compared by lstrcmp(i)A);
// else Windows' collation, without the tie-break in Windows order (equal names stay in delivery order).
std::string_view NameKey(DiskSource& source, std::wstring_view name, std::string_view raw, std::string_view shown,
                         bool folder) {
    if (source.noKeys) return {};
    if (IsCompat(source)) return shown;
    return CollationKey(*source.impl, name, raw, folder, !source.windowsOrder);
}

void AddName(DiskSource& source, std::wstring_view name, std::string_view raw, EntryKind kind, EntryList& out) {
    bool folder = kind == kEntryFolder || kind == kEntryFolderLink;
    std::string shown(ShownCp932(source, name, raw));
    out.Add(raw, shown, NameKey(source, name, raw, shown, folder), kind);
}

void Remember(FoundFolder& found, std::string_view raw, const WIN32_FIND_DATAW& data) {
    FoundEntry e{};
    e.name = uint32_t(found.names.size());
    e.nameLen = uint32_t(raw.size());
    e.attributes = data.dwFileAttributes;
    e.reparseTag = data.dwReserved0;
    e.written = data.ftLastWriteTime;
    e.created = data.ftCreationTime;
    e.size = Joined64(data.nFileSizeHigh, data.nFileSizeLow);
    found.names.append(raw);
    found.entries.push_back(e);
}

void AddFound(DiskSource& source, const WIN32_FIND_DATAW& data, EntryList& out) {
    DiskSourceImpl& impl = *source.impl;
    std::wstring_view name(data.cFileName);
    impl.raw = Wtf8Of(name);
    AddName(source, name, impl.raw, KindOf(data.dwFileAttributes, data.dwReserved0, source.windowsOrder), out);
    Remember(impl.found, impl.raw, data);
}

// Why FindFirstFileExW found nothing: an empty drive root (no "." or ".." there) is read and empty; a
// file is not a folder (Wine says ERROR_INVALID_NAME for its pattern).
int FailedOpen(const std::wstring& folder, DWORD error) {
    DWORD attributes = GetFileAttributesW(folder.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) {
        if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) return ENOTDIR;
        if (error == ERROR_FILE_NOT_FOUND) return 0;
    }
    return ErrnoFromWin32(error);
}

// The folder's entries in the order FindFirstFileExW delivers them. Returns 0 or the errno.
int ReadEntries(DiskSource& source, EntryList& out) {
    DiskSourceImpl& impl = *source.impl;
    const std::wstring& folder = impl.found.path;
    impl.pattern = folder + (folder.back() == L'\\' ? L"*" : L"\\*");
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileExW(impl.pattern.c_str(), FindExInfoBasic, &data, FindExSearchNameMatch, nullptr,
                                   FIND_FIRST_EX_LARGE_FETCH);
    if (find == INVALID_HANDLE_VALUE) return FailedOpen(folder, GetLastError());
    do {
        if (!IsDotName(data.cFileName)) AddFound(source, data, out);
    } while (FindNextFileW(find, &data));
    DWORD last = GetLastError();
    FindClose(find);
    return last == ERROR_NO_MORE_FILES ? 0 : ErrnoFromWin32(last);
}

void ForgetFound(FoundFolder& found) {
    found.names.clear();
    found.entries.clear();
    found.cursor = 0;
}

// True when every name of `path` below the scan's root comes back from code page 932 as it was. The
// Windows program opens a subfolder by its CP932 name (FindFirstFileA): one whose name does not survive
// the conversion ('?', best fit) it cannot open, and --compat leaves it unread the same way.
bool Cp932PathSurvives(DiskSource& source, std::string_view path) {
    std::string_view rest;
    if (!Inside(source.impl->scanRoot, path, rest)) return true;
    while (!rest.empty()) {
        size_t slash = rest.find('/');
        std::wstring name = WideOf(rest.substr(0, slash));
        if (FromCodePage932(ToCp932(*source.impl, name)) != name) return false;
        rest = slash == std::string_view::npos ? std::string_view() : rest.substr(slash + 1);
    }
    return true;
}

// followLinks needs nothing here: a path through a link or junction is followed by the system, and a
// subfolder is read by its path whatever stands there now.
int ReadFolder(void* context, const std::string& path, EntryList& out) {
    auto& source = *static_cast<DiskSource*>(context);
    DiskSourceImpl& impl = *source.impl;
    compatOrder = IsCompat(source);
    if (out.entries.capacity() < kEntriesReserved) out.entries.reserve(kEntriesReserved);
    if (out.bytes.capacity() < kEntryBytesReserved) out.bytes.reserve(kEntryBytesReserved);
    source.lastFolder = FolderHandle(-1);
    ForgetFound(impl.found);
    if (int err = FolderPath(impl, path, impl.found.path)) return err;
    if (IsCompat(source) && !Cp932PathSurvives(source, path)) return ENOENT;
    size_t first = out.entries.size(), firstByte = out.bytes.size();
    if (int err = ReadEntries(source, out)) {  // a folder half read counts as unreadable
        out.entries.resize(first);
        out.bytes.resize(firstByte);
        ForgetFound(impl.found);
        return err;
    }
    source.lastFolder.value = reinterpret_cast<intptr_t>(&impl.found);
    return 0;
}

void ReportUnreadable(void*, const std::string& path, int error) { PrintMessage(UnreadableMessage(path, error)); }

int CompareKeys(std::string_view a, std::string_view b) { return a.compare(b); }

std::string NamedKey(DiskSource& source, std::string_view raw, bool folder) {
    compatOrder = IsCompat(source);
    std::wstring name = WideOf(raw);
    std::string shown(source.toSjis ? ToCp932(*source.impl, name) : raw);
    return std::string(NameKey(source, name, raw, shown, folder));
}

}  // namespace

bool InitDiskSource(DiskSource& source, std::string& error) {
    CloseDiskSource(source);
    auto* impl = new DiskSourceImpl;
    CollationKey(*impl, L"a", "a", false, true);
    if (!impl->namesError.empty()) {
        error = impl->namesError;
        delete impl;
        return false;
    }
    source.impl = impl;
    compatOrder = IsCompat(source);
    return true;
}

void CloseDiskSource(DiskSource& source) {
    delete source.impl;
    source.impl = nullptr;
    source.lastFolder = FolderHandle(-1);
}

bool SetNaturalOrder(DiskSource& source) {
    source.impl->natural = true;
    return NaturalKeysWork();
}

FolderSource DiskFolderSource(DiskSource& source) {
    return FolderSource{&source, '/', SeparatorsAfter, ReadFolder, ReportUnreadable};
}

void AddNamedEntry(DiskSource& source, std::string_view raw, EntryKind kind, EntryList& out) {
    compatOrder = IsCompat(source);
    AddName(source, WideOf(raw), raw, kind, out);
}

NameOrder DiskNameOrder() { return compatOrder ? Win32NameOrder() : NameOrder{CompareKeys, CompareKeys, true}; }

std::string ShownName(DiskSource& source, std::string_view raw) {
    return source.toSjis ? std::string(ToCp932(*source.impl, WideOf(raw))) : std::string(raw);
}

std::string FolderKey(DiskSource& source, std::string_view raw) { return NamedKey(source, raw, true); }
std::string FileKey(DiskSource& source, std::string_view raw) { return NamedKey(source, raw, false); }

std::string DiskCollationLocale(const DiskSource&) {
    wchar_t name[LOCALE_NAME_MAX_LENGTH];
    int n = GetUserDefaultLocaleName(name, LOCALE_NAME_MAX_LENGTH);
    if (n <= 1) return std::string();
    return Wtf8Of(std::wstring_view(name, size_t(n - 1)));
}

std::string DiskNamesError(const DiskSource& source) { return source.impl ? source.impl->namesError : std::string(); }
