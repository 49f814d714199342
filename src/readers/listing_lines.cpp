// --parse's line cleaning (POSIX side, no OS call): what a paste holds around and inside a listing that is
// no entry (prompts, fences, headings, header lines, the summary line, quoting, a byte-order mark).
#include <algorithm>
#include <cstdint>

#include "platform/chars.h"
#include "readers/listing_parts.h"

namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";

// Programs whose command line people paste above the listing they printed, without a prompt.
constexpr std::string_view kCommands[] = {"tree ", "ls ", "go ", "find ", "npx ", "npm ", "cargo ", "python ",
                                          "python3 ", "dir ", "cd ", "exa ", "eza ", "lsd ", "git "};

// Lines Windows `tree` prints above its drive root line (English; other languages are told by the root).
constexpr std::string_view kWindowsHeaders[] = {"Folder PATH listing", "Volume serial number is"};

std::string_view TrimStart(std::string_view t) {
    size_t i = t.find_first_not_of(" \t");
    return i == std::string_view::npos ? std::string_view() : t.substr(i);
}

// A line of blanks and vertical pieces alone (a spacer line of a drawing), or nothing at all.
bool IsSpacer(std::string_view line) {
    const auto* s = reinterpret_cast<const uint8_t*>(line.data());
    auto n = int32_t(line.size());
    for (int32_t i = 0; i < n;) {
        int32_t c = NextUtf8(s, i, n);
        if (!IsBlankCode(c) && c != '|' && c != 0x2502 && c != 0x2503 && c != 0xFF5C && c != 0x2551) return false;
    }
    return true;
}

bool IsFence(std::string_view t) {
    t = TrimStart(t);
    return t.starts_with("```") || t.starts_with("~~~");
}

bool IsHtmlWrapper(std::string_view t) {
    t = TrimEnd(TrimStart(t));
    return t == "<pre>" || t == "</pre>" || t == "<code>" || t == "</code>" || t == "<pre><code>" ||
           t == "</code></pre>" || (t.starts_with("<pre ") && t.ends_with(">"));
}

bool IsHeading(std::string_view t) {
    size_t hashes = 0;
    while (hashes < t.size() && t[hashes] == '#') ++hashes;
    return hashes >= 1 && hashes <= 6 && hashes < t.size() && t[hashes] == ' ';
}

// `tree`'s summary: "3 directories, 5 files", "1 directory, 1 file", "28 directories" (tree -d).
bool IsTreeSummary(std::string_view t) {
    t = TrimEnd(TrimStart(t));
    auto count = [&](std::string_view words1, std::string_view words2) {
        size_t digits = 0;
        while (digits < t.size() && t[digits] >= '0' && t[digits] <= '9') ++digits;
        if (digits == 0) return false;
        std::string_view rest = t.substr(digits);
        for (std::string_view w : {words1, words2}) {
            if (rest.starts_with(w)) {
                t = rest.substr(w.size());
                return true;
            }
        }
        return false;
    };
    if (!count(" directories", " directory")) return false;
    if (t.empty()) return true;
    if (!t.starts_with(", ")) return false;
    t.remove_prefix(2);
    return count(" files", " file") && t.empty();
}

// A drive root line of Windows `tree`: "C:." or "C:\USERS\ME" (or "C:" alone in old versions).
bool IsDriveRoot(std::string_view t) {
    t = TrimEnd(TrimStart(t));
    if (t.size() < 2 || !((t[0] | 0x20) >= 'a' && (t[0] | 0x20) <= 'z') || t[1] != ':') return false;
    std::string_view rest = t.substr(2);
    return (rest.empty() || rest == "." || rest.starts_with("\\")) && rest.find('>') == std::string_view::npos;
}

// A shell prompt with a command after it: "$ tree", "% tree", "# tree", "tmp % tree dir", "me@box:~$ ls",
// "PS C:\src> tree /f", "C:\src>tree /f".
bool IsPrompt(std::string_view line) {
    std::string_view t = TrimStart(line);
    for (std::string_view p : {"$ ", "% ", "# ", "> "})
        if (t.starts_with(p) && t.size() > p.size()) return p != "> ";
    size_t gt = t.find('>');
    if ((t.starts_with("PS ") || (t.size() > 2 && t[1] == ':' && t[2] == '\\')) && gt != std::string_view::npos &&
        gt + 1 < t.size())
        return true;
    size_t blank = t.find(' ');
    if (blank == std::string_view::npos || blank == 0 || blank + 1 >= t.size()) return false;
    char end = t[blank - 1];
    if ((end == '$' || end == '#') && blank >= 2) return true;
    // "dir % tree": a word, then '%' alone, then a command.
    return t.substr(blank).starts_with(" % ") && t.size() > blank + 3;
}

bool IsCommandLine(std::string_view line) {
    std::string_view t = TrimStart(line);
    return std::any_of(std::begin(kCommands), std::end(kCommands), [&](std::string_view c) { return t.starts_with(c); });
}

// Does the line start with a piece or a vertical piece (after blanks)?
bool StartsDrawn(std::string_view line) {
    std::string_view t = TrimStart(line);
    if (t.empty()) return false;
    auto c = uint8_t(t[0]);
    if (c == '|' || c == '+' || c == '`' || c == '\\') return t.size() > 1 && (t[1] == '-' || t[1] == ' ');
    return c == 0xE2 || c == 0xEF;  // box drawing, full-width vertical bar
}

}  // namespace

bool IsBlankCode(int32_t code) { return code == ' ' || code == '\t' || code == 0xA0 || code == 0x3000; }

std::string_view TrimEnd(std::string_view text) {
    for (;;) {
        if (text.ends_with(' ') || text.ends_with('\t')) {
            text.remove_suffix(1);
        } else if (text.ends_with("\xE3\x80\x80") || text.ends_with("\xC2\xA0")) {
            text.remove_suffix(text.ends_with("\xC2\xA0") ? 2 : 3);
        } else {
            return text;
        }
    }
}

void CleanLines(std::string_view text, ListingLines& out) {
    out = ListingLines();
    if (text.starts_with(kBom)) text.remove_prefix(kBom.size());
    std::vector<std::string_view>& lines = out.lines;
    std::vector<size_t>& numbers = out.numbers;
    size_t number = 0;
    for (size_t start = 0; start < text.size();) {
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(start, end - start);
        if (line.ends_with('\r')) line.remove_suffix(1);
        ++number;
        start = end + 1;
        if (line.find_first_not_of(" \t") == std::string_view::npos) continue;
        lines.push_back(line);
        numbers.push_back(number);
    }
    // Mail quoting ("> ", nested) and a tab in front of every line are taken off.
    auto all = [&](char c) {
        return !lines.empty() && std::all_of(lines.begin(), lines.end(), [c](std::string_view t) { return t.starts_with(c); });
    };
    while (all('>')) {
        for (std::string_view& t : lines) {
            t.remove_prefix(1);
            if (t.starts_with(' ')) t.remove_prefix(1);
        }
    }
    if (all('\t'))
        for (std::string_view& t : lines) t.remove_prefix(1);

    std::vector<bool> keep(lines.size(), true);
    // A fenced block: the listing is what it holds, the words around it are not.
    size_t open = 0;
    while (open < lines.size() && !IsFence(lines[open])) ++open;
    size_t close = open + 1;
    while (close < lines.size() && !IsFence(lines[close])) ++close;
    if (close < lines.size() && close > open + 1) {
        for (size_t i = 0; i < lines.size(); ++i) keep[i] = i > open && i < close;
    }
    // Before the first drawn line: prompts and command lines, and everything above a drive root.
    size_t firstDrawn = lines.size();
    for (size_t i = 0; i < lines.size(); ++i) {
        if (StartsDrawn(lines[i]) && !IsSpacer(lines[i])) {
            firstDrawn = i;
            break;
        }
    }
    // A drive root line: what stands above it is Windows tree's header (in the system's language) and
    // the prompt.
    for (size_t i = 0; i < firstDrawn && i + 1 < lines.size(); ++i) {
        if (!IsDriveRoot(lines[i])) continue;
        for (size_t k = 0; k < i; ++k) keep[k] = false;
        break;
    }
    // Prompts, header lines and a command line in the run of lines above the listing's first line.
    for (size_t i = 0; i < firstDrawn; ++i) {
        std::string_view t = lines[i];
        if (!keep[i] || IsFence(t) || IsHtmlWrapper(t) || IsHeading(t)) continue;
        bool header = std::any_of(std::begin(kWindowsHeaders), std::end(kWindowsHeaders),
                                  [&](std::string_view h) { return TrimStart(t).starts_with(h); });
        if (IsPrompt(t) || header) {
            keep[i] = false;
            continue;
        }
        if (IsCommandLine(t) && i + 1 < lines.size()) keep[i] = false;
        break;
    }
    for (size_t i = 0; i < lines.size(); ++i) {
        std::string_view t = lines[i];
        if (IsFence(t) || IsHtmlWrapper(t) || IsHeading(t) || IsSpacer(t)) keep[i] = false;
    }
    // tree's summary closes the listing: what follows it (a prompt, a fence) is no part of it.
    for (size_t i = 0; i < lines.size(); ++i) {
        if (keep[i] && IsTreeSummary(lines[i])) {
            out.treeSummary = true;
            for (size_t k = i; k < lines.size(); ++k) keep[k] = false;
            break;
        }
    }
    size_t kept = 0;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (!keep[i]) continue;
        std::string_view t = lines[i];
        // A line set in Markdown backticks as a whole: "`├── app`".
        std::string_view bare = TrimEnd(TrimStart(t));
        if (bare.size() >= 2 && bare.front() == '`' && bare.back() == '`' &&
            bare.substr(1, bare.size() - 2).find('`') == std::string_view::npos) {
            t = t.substr(size_t(bare.data() - t.data()) + 1, bare.size() - 2);
        }
        lines[kept] = t;
        numbers[kept] = numbers[i];
        ++kept;
    }
    lines.resize(kept);
    numbers.resize(kept);
    // arbolin's folders: "[ name ]" after its pieces, blanks or fields (at the end of the line, or before
    // a note on the count of entries or a folder not followed).
    for (std::string_view line : lines) {
        std::string_view t = TrimEnd(line);
        size_t open = t.find("[ ");
        if (open == std::string_view::npos) continue;
        std::string_view rest = t.substr(open);
        if (rest.ends_with(" ]") || rest.ends_with(" entries)") || rest.ends_with("not followed]")) {
            out.ours = true;
            break;
        }
    }
}
