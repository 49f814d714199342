// --fromfile: reads the list whole, writes each path's plain form over it, and adds the paths to an
// in-memory tree whose entries carry the POSIX source's shown names and collation keys.
#include "readers/path_list.h"

#include <algorithm>
#include <cstring>

#include "platform/input_file.h"
#include "platform/messages.h"

bool ReadListInput(const std::string& file, std::string& bytes, std::string& error) {
    int err = ReadWholeInput(file, bytes);
    if (err == 0) return true;
    error = "cannot read " + Quoted(file) + ": " + Reason(err);
    return false;
}

namespace {

void AddEntry(void* context, std::string_view raw, EntryKind kind, EntryList& out) {
    AddNamedEntry(*static_cast<DiskSource*>(context), raw, kind, out);
}

}  // namespace

namespace {

// The byte a one-letter escape of git's stands for, or -1.
int GitEscape(char letter) {
    static const char kLetters[] = "abtnvfr\"\\";
    static const char kBytes[] = "\a\b\t\n\v\f\r\"\\";
    for (size_t i = 0; i + 1 < sizeof kLetters; ++i)
        if (kLetters[i] == letter) return uint8_t(kBytes[i]);
    return -1;
}

bool IsOctal(char c, char highest) { return c >= '0' && c <= highest; }

}  // namespace

size_t UnquoteGitPath(char* path, size_t length) {
    if (length < 2 || path[0] != '"' || path[length - 1] != '"') return length;
    // First check the whole line, so that a line that is not git's is left as it was.
    size_t end = length - 1;
    bool escaped = false;
    for (size_t i = 1; i < end; ++i) {
        if (path[i] == '"') return length;
        if (path[i] != '\\') continue;
        if (i + 1 >= end) return length;
        if (GitEscape(path[i + 1]) >= 0) {
            ++i;
        } else if (i + 3 < end && IsOctal(path[i + 1], '3') && IsOctal(path[i + 2], '7') &&
                   IsOctal(path[i + 3], '7')) {
            i += 3;
        } else {
            return length;
        }
        escaped = true;
    }
    if (!escaped) return length;
    size_t out = 0;
    for (size_t i = 1; i < end; ++i) {
        char c = path[i];
        if (c == '\\') {
            int byte = GitEscape(path[i + 1]);
            if (byte >= 0) {
                c = char(byte);
                ++i;
            } else {
                c = char(((path[i + 1] - '0') << 6) | ((path[i + 2] - '0') << 3) | (path[i + 3] - '0'));
                i += 3;
            }
        }
        path[out++] = c;
    }
    return out;
}

std::string_view PlainPath(char* path, size_t length, bool& folder) {
#ifdef _WIN32
    // Windows' own lists (dir /s /b, PowerShell) separate folders with '\\', which no name there holds.
    for (size_t i = 0; i < length; ++i)
        if (path[i] == '\\') path[i] = '/';
#endif
    // Most lists need no rewriting: "./" in front (as `find .` prints) is skipped over.
    size_t skip = 0;
    while (length - skip >= 2 && path[skip] == '.' && path[skip + 1] == '/') {
        skip += 2;
        while (skip < length && path[skip] == '/') ++skip;
    }
    std::string_view rest(path + skip, length - skip);
    // Plain already: no '/' at either end, no "." component, no empty one.
    bool plain = !rest.empty() && rest[0] != '/' && rest.back() != '/' && rest != "." && !rest.starts_with("./");
    for (size_t i = 0; plain && i + 1 < rest.size(); ++i) {
        if (rest[i] != '/') continue;
        char next = rest[i + 1];
        plain = next != '/' && !(next == '.' && (i + 2 == rest.size() || rest[i + 2] == '/'));
    }
    if (plain) {
        folder = false;
        return rest;
    }
    return {path, RewritePath(path, length, folder)};
}

size_t RewritePath(char* path, size_t length, bool& folder) {
    // A path whose last component is empty or "." ("a/", "a/.") names a folder.
    std::string_view whole(path, length);
    size_t lastSlash = whole.rfind('/');
    std::string_view last = lastSlash == std::string_view::npos ? whole : whole.substr(lastSlash + 1);
    folder = last.empty() || last == ".";
    bool absolute = length > 0 && path[0] == '/';
    size_t out = absolute ? 1 : 0;
    for (size_t i = out; i < length;) {
        size_t end = i;
        while (end < length && path[end] != '/') ++end;
        size_t n = end - i;
        if (n != 0 && !(n == 1 && path[i] == '.')) {
            if (out > size_t(absolute ? 1 : 0)) path[out++] = '/';
            if (out != i) std::memmove(path + out, path + i, n);
            out += n;
        }
        i = end + 1;
    }
    if (out == 1 && absolute) folder = true;  // "/": the top folder of absolute paths
    return out;
}

bool LoadPathList(const std::string& file, bool nulSeparated, DiskSource& names, PathList& list,
                  std::string& error, bool links) {
    if (!ReadListInput(file, list.bytes, error)) return false;
    char separator = nulSeparated ? '\0' : '\n';
    char* bytes = list.bytes.data();
    size_t size = list.bytes.size();
    size_t lines = 0;
    for (size_t i = 0; i < size; ++i) lines += bytes[i] == separator;
    InitMemorySource(list.tree, lines + 1);
    list.tree.context = &names;
    list.tree.addEntry = AddEntry;
    int32_t line = 0;
    for (size_t start = 0; start < size;) {
        const void* found = std::memchr(bytes + start, separator, size - start);
        size_t end = found ? size_t(static_cast<const char*>(found) - bytes) : size;
        size_t length = end - start;
        if (!nulSeparated && length > 0 && bytes[start + length - 1] == '\r') --length;
        if (links) length = std::min(length, std::string_view(bytes + start, length).find(" -> "));
        ++line;
        if (!nulSeparated) length = UnquoteGitPath(bytes + start, length);
        bool folder = false;
        std::string_view path = PlainPath(bytes + start, length, folder);
        if (!path.empty()) {
            int32_t earlier = AddMemoryPath(list.tree, path, folder, line);
            if (earlier != 0) {
                ++list.repeated;
                const char* unit = nulSeparated ? "path " : "line ";
                PrintCapped("paths listed again", unit + std::to_string(line) + ": " + Quoted(path) +
                                                      " listed again (first on " + unit +
                                                      std::to_string(earlier) + ")");
            }
        }
        start = end + 1;
    }
    return true;
}

void FreePathList(PathList& list) {
    list.tree = MemorySource();
    std::string().swap(list.bytes);
}
