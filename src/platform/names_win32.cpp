// Names on the Windows side of the folder seam (private to it): \\?\ paths, error numbers, reparse
// kinds, LCMapStringEx collation keys and code page 932 names.
#include "platform/names_win32.h"

#include <cerrno>

#include "listing/listing.h"
#include "platform/io_win32.h"
#include "platform/wide_text.h"

namespace {

// The sort key of `name` with `flags` into impl.key (its closing 0x00 left out); false when refused.
bool SortKey(DiskSourceImpl& impl, std::wstring_view name, DWORD flags) {
    auto length = int(name.size());
    int n = LCMapStringEx(LOCALE_NAME_USER_DEFAULT, LCMAP_SORTKEY | flags, name.data(), length, nullptr, 0, nullptr,
                          nullptr, 0);
    if (n <= 0) return false;
    impl.key.resize(size_t(n));
    n = LCMapStringEx(LOCALE_NAME_USER_DEFAULT, LCMAP_SORTKEY | flags, name.data(), length,
                      reinterpret_cast<LPWSTR>(impl.key.data()), n, nullptr, nullptr, 0);
    if (n <= 0) return false;
    impl.key.resize(size_t(n - 1));
    return true;
}

// `name` with each unpaired surrogate as U+FFFD, for a locale that refuses to weigh one.
std::wstring_view PairedOnly(DiskSourceImpl& impl, std::wstring_view name) {
    impl.wide.assign(name);
    for (size_t i = 0; i < impl.wide.size(); ++i) {
        wchar_t c = impl.wide[i];
        bool high = c >= 0xD800 && c <= 0xDBFF, low = c >= 0xDC00 && c <= 0xDFFF;
        bool paired = high && i + 1 < impl.wide.size() && impl.wide[i + 1] >= 0xDC00 && impl.wide[i + 1] <= 0xDFFF;
        if (paired) ++i;
        else if (high || low) impl.wide[i] = 0xFFFD;
    }
    return impl.wide;
}

}  // namespace

int LongPath(std::string_view path, std::wstring& out) {
    if (path.empty()) return ENOENT;
    std::wstring full = FullPath(WideOf(path));
    if (full.empty()) return ErrnoFromWin32(GetLastError());
    out = LongPathOf(full);
    return 0;
}

std::wstring ChildPath(const std::wstring& parent, std::string_view name) {
    std::wstring path = parent;
    if (path.empty() || path.back() != L'\\') path += L'\\';
    path += WideOf(name);
    return path;
}

bool IsLinkAttributes(DWORD attributes, DWORD reparseTag) {
    if (!(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) return false;
    return reparseTag == 0 || IsReparseTagNameSurrogate(reparseTag);
}

std::string_view CollationKey(DiskSourceImpl& impl, std::wstring_view name, std::string_view raw, bool folder,
                              bool tieBreak) {
    DWORD flags = (folder ? LINGUISTIC_IGNORECASE : 0) | (impl.natural ? SORT_DIGITSASNUMBERS : 0);
    impl.key.clear();
    if (!name.empty() && !SortKey(impl, name, flags) && !SortKey(impl, PairedOnly(impl, name), flags)) {
        impl.key.clear();
        if (impl.namesError.empty())
            impl.namesError = "Windows made no collation key (error " + std::to_string(GetLastError()) + ")";
    }
    if (tieBreak) {
        impl.key += '\0';
        impl.key += raw;
    }
    return impl.key;
}

std::string_view ToCp932(DiskSourceImpl& impl, std::wstring_view name) {
    std::string& out = impl.shown;
    out.clear();
    if (name.empty()) return out;
    auto length = int(name.size());
    int n = WideCharToMultiByte(932, 0, name.data(), length, nullptr, 0, nullptr, nullptr);
    if (n > 0) {
        out.resize(size_t(n));
        n = WideCharToMultiByte(932, 0, name.data(), length, out.data(), n, nullptr, nullptr);
    }
    if (n <= 0) {
        out.clear();
        if (impl.namesError.empty()) impl.namesError = "cannot convert names to code page 932";
    }
    return out;
}

bool NaturalKeysWork() {
    DiskSourceImpl probe;
    probe.natural = true;
    return SortKey(probe, L"1", SORT_DIGITSASNUMBERS);
}
