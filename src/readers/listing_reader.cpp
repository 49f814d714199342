// --parse (POSIX side, no OS call): cleans a pasted listing's lines, reads arbolin's own listings and
// tree's output by their printers' rules (each form tried, the reading that places the most lines kept)
// and hands every other listing to the reader of drawn listings (listing_drawn.cpp).
#include "readers/listing_reader.h"

#include <algorithm>
#include <climits>
#include <ctime>
#include <functional>
#include <map>
#include <cstdint>
#include <span>

#include "formats/formats.h"
#include "metadata/metadata.h"
#include "platform/chars.h"
#include "platform/codepage.h"
#include "platform/dates.h"
#include "platform/messages.h"
#include "readers/listing_parts.h"
#include "readers/path_list.h"
#include "render/render.h"

namespace {

// One printer's form. `tee` empty: the indented view (three spaces a level, no pieces).
struct Dialect {
    const char* label;
    std::string_view branch, branch2, blank, tee, last;
    std::string_view ellipsis;  // after a shortened name; empty: the printer never shortens
    bool ours;                  // arbolin's: folders as "[ name ]", names escaped
};

// arbolin's tree view in one piece set.
constexpr Dialect Ours(const char* label, const Pieces& p) {
    return {label, p.branch, "", p.blank, p.tee, p.last, p.ellipsis, true};
}

constexpr Dialect kUtf8Dialects[] = {
    Ours("arbolin tree view", kUtf8Pieces),
    Ours("arbolin tree view, ascii pieces", kAsciiPieces),
    {"arbolin indented view", "", "", "", "", "", "", true},
    {"tree", "\xE2\x94\x82\xC2\xA0\xC2\xA0 ", "\xE2\x94\x82   ", "    ",
     "\xE2\x94\x9C\xE2\x94\x80\xE2\x94\x80 ", "\xE2\x94\x94\xE2\x94\x80\xE2\x94\x80 ", "", false},
    {"tree --charset ascii", "|   ", "", "    ", "|-- ", "`-- ", "", false},
};
constexpr Dialect kSjisDialects[] = {
    Ours("arbolin tree view (sjis)", kSjisPieces),
    Ours("arbolin tree view (sjis), ascii pieces", kAsciiPieces),
    {"arbolin indented view (sjis)", "", "", "", "", "", "", true},
    {"tree --charset ascii (sjis)", "|   ", "", "    ", "|-- ", "`-- ", "", false},
};

constexpr std::string_view kIndent = kUtf8Pieces.indent;  // the indented view's step, in every encoding
// A folder's brackets and the indent step are read alike in every piece set.
static_assert(kSjisPieces.open == kUtf8Pieces.open && kAsciiPieces.open == kUtf8Pieces.open &&
              kSjisPieces.close == kUtf8Pieces.close && kAsciiPieces.close == kUtf8Pieces.close &&
              kSjisPieces.indent == kIndent && kAsciiPieces.indent == kIndent);


// Display columns of escaped UTF-8 text, as the tree view counts them for the name limit.
int Columns(std::string_view text) {
    const auto* s = reinterpret_cast<const uint8_t*>(text.data());
    int32_t length = int32_t(text.size());
    int columns = 0;
    for (int32_t i = 0; i < length;) {
        int32_t c = NextUtf8(s, i, length);
        if (c < 0) {
            ++columns;
            continue;
        }
        columns += DisplayColumns(c);
    }
    return columns;
}

bool IsSummary(std::string_view text) {
    size_t digits = 0;
    while (digits < text.size() && text[digits] >= '0' && text[digits] <= '9') ++digits;
    if (digits == 0) return false;
    std::string_view rest = text.substr(digits);
    return rest.starts_with(" folder") || rest.starts_with(" director");
}

// " (123 entries)" at the end of a folder line.
bool EndsWithEntryCount(std::string_view text, size_t& noteStart) {
    if (!text.ends_with(kEntriesNoteEnd)) return false;
    std::string_view head = text.substr(0, text.size() - kEntriesNoteEnd.size());
    size_t digits = 0;
    while (digits < head.size() && head[head.size() - 1 - digits] >= '0' &&
           head[head.size() - 1 - digits] <= '9')
        ++digits;
    if (digits == 0 || !head.substr(0, head.size() - digits).ends_with(" (")) return false;
    noteStart = head.size() - digits - 2;
    return true;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The metadata fields that may stand between a piece and a name, in this order, each right-aligned to
// the widest in the listing and followed by one space: the mode ("drwxr-xr-x", or arbolin.exe's Windows
// attributes, "d--h-l"), the size (bytes, or
// 1.5K / 10M / 999k) and the date (in `timeFormat`, read back with strptime). "?" stands for any field
// that could not be read.
enum FieldKind { kFieldMode, kFieldSize, kFieldDate, kFieldKinds };

// The length of a field of `kind` at `at` (NUL-terminated, not a blank) when a space follows it, else 0.
size_t FieldLength(const char* at, int kind, const std::string& timeFormat) {
    auto in = [](char c, std::string_view set) { return c != '\0' && set.find(c) != std::string_view::npos; };
    if (at[0] == '?') return at[1] == ' ' ? 1 : 0;
    size_t i = 0;
    if (kind == kFieldMode) {
        for (i = 0; i < kAttributeLetters.size(); ++i)
            if (at[i] != '-' && at[i] != kAttributeLetters[i]) break;
        if (i == kAttributeLetters.size() && at[i] == ' ') return i;
        if (!in(at[0], "-dlcbps")) return 0;
        for (i = 1; i < 10; ++i)
            if (!in(at[i], i % 3 == 1 ? "r-" : i % 3 == 2 ? "w-" : "xsStT-")) return 0;
    } else if (kind == kFieldSize) {
        while (IsDigit(at[i])) ++i;
        if (i == 0) return 0;
        if (at[i] == '.' && IsDigit(at[i + 1])) i += 2;
        if (in(at[i], "KMGTPEk")) ++i;
    } else {
        i = ReadTime(at, timeFormat);
        while (i > 0 && at[i - 1] == ' ') --i;  // a format's blanks match any run of blanks, the next one too
    }
    return i > 0 && at[i] == ' ' ? i : 0;
}

struct FieldEnd {
    ptrdiff_t at;  // just after the space that follows the last field read
    int count;     // fields read
};

// Every way fields (of `kind` and the kinds after it) may be read from `from` on in `line`: where each
// reading ends. A name that looks like a field makes more than one reading; the listing's shared
// width decides between them.
void FieldEnds(const std::string& line, size_t from, int kind, int count, const std::string& timeFormat,
               std::vector<FieldEnd>& ends) {
    size_t at = line.find_first_not_of(' ', from);
    if (at == std::string::npos) return;
    for (int k = kind; k < kFieldKinds; ++k) {
        size_t n = FieldLength(line.c_str() + at, k, timeFormat);
        if (n == 0) continue;
        ends.push_back({ptrdiff_t(at + n + 1), count + 1});
        FieldEnds(line, at + n + 1, k + 1, count + 1, timeFormat, ends);
    }
}

struct Reader {
    const Dialect& dialect;
    bool sjis;
    bool marks;  // -F marks seen: arbolin's "@ -> ", tree's '/' after folders
    ParsedListing& out;
    bool treeFields = false;  // tree's bracketed fields before every entry's name
    size_t enough = SIZE_MAX;  // problems after which the reading is given up: a better one is known

    void Problem(size_t line, const std::string& what) {
        out.problems.push_back("line " + std::to_string(line) + ": " + what);
    }

    // Splits a line into its level (0: no piece, the root line) and the text after the pieces.
    bool Split(std::string_view text, int32_t& level, std::string_view& body) const {
        size_t pos = 0;
        int32_t columns = 0;
        if (dialect.tee.empty()) {
            while (text.substr(pos, kIndent.size()) == kIndent) pos += kIndent.size(), ++columns;
            level = columns;
            body = text.substr(pos);
            return true;
        }
        bool branches = false;
        for (;;) {
            std::string_view rest = text.substr(pos);
            if (rest.starts_with(dialect.branch)) {
                pos += dialect.branch.size(), branches = true;
            } else if (!dialect.branch2.empty() && rest.starts_with(dialect.branch2)) {
                pos += dialect.branch2.size(), branches = true;
            } else if (rest.starts_with(dialect.blank)) {
                pos += dialect.blank.size();
            } else {
                break;
            }
            ++columns;
        }
        std::string_view rest = text.substr(pos);
        for (std::string_view piece : {dialect.tee, dialect.last}) {
            if (rest.starts_with(piece)) {
                level = columns + 1;
                body = rest.substr(piece.size());
                return true;
            }
        }
        // Blanks alone before the text: a root line whose fields are right-aligned.
        if (branches) return false;
        level = 0;
        body = text;
        return true;
    }

    std::string Name(std::string_view shown) const {
        std::string name = dialect.ours ? Unescape(shown, sjis) : std::string(shown);
        return sjis ? Cp932ToUtf8(name) : name;
    }

    // The name of an entry and whether it is a folder, marks and notes taken off (the fields before it
    // already are).
    void Read(std::string_view body, size_t line, ParsedEntry& e) {
        if (!dialect.ours) {
            if (treeFields) TakeTreeFields(body, e);
            // A run of blanks after the last name of a paste is the paste's, not the name's.
            if (body.ends_with("  ")) body = TrimEnd(body);
            size_t arrow = body.find(" -> ");
            if (arrow != std::string_view::npos) {
                e.type = "link";
                e.target = Name(body.substr(arrow + 4));
                body = body.substr(0, arrow);
            }
            if (marks && !body.empty()) {
                char mark = body.back();
                // tree -F's '|' and '=' look like the ends of names ("a="): taken as marks only where a
                // mode field says FIFO or socket.
                if (mark == '/') e.folder = true;
                if (mark == '@') e.type = "link";
                if (mark == '/' || mark == '*' || mark == '@' || (mark == '|' && e.type == "fifo") ||
                    (mark == '=' && e.type == "socket"))
                    body.remove_suffix(1);
            }
            e.name = Name(body);
            return;
        }
        size_t note = 0;
        if (body.starts_with(kUtf8Pieces.open)) {
            std::string_view inner = body.substr(kUtf8Pieces.open.size());
            if (inner.ends_with(kNotFollowedNote)) inner.remove_suffix(kNotFollowedNote.size());
            if (EndsWithEntryCount(inner, note)) inner = inner.substr(0, note);
            if (inner.ends_with(kUtf8Pieces.close)) {
                e.folder = true;
                body = inner.substr(0, inner.size() - kUtf8Pieces.close.size());
            }
        }
        if (!e.folder && marks) {
            size_t arrow = body.find("@ -> ");
            if (arrow != std::string_view::npos) {
                e.type = "link";
                e.target = Name(body.substr(arrow + 5));
                body = body.substr(0, arrow);
            } else if (!body.empty() && (body.back() == '*' || body.back() == '|' || body.back() == '=')) {
                body.remove_suffix(1);
            }
        }
        if (!dialect.ellipsis.empty() && body.ends_with(dialect.ellipsis)) {
            std::string_view kept = body.substr(0, body.size() - dialect.ellipsis.size());
            int width = sjis ? int(kept.size()) : Columns(kept);
            if (width == 13 || width == 14)
                Problem(line, Quoted(Name(body)) + " may be a shortened name (--name-limit)");
        }
        e.name = Name(body);
    }
};

// Where the metadata fields leave each line's name and, in the indented view, its level.
struct FieldLayout {
    std::vector<int32_t> level;     // the indented view's levels (the tree view's pieces give theirs)
    std::vector<ptrdiff_t> nameAt;  // where the name starts in the line, indent taken off; -1: not read
};

// The fields take the same width W on every line (each is padded to the widest in the listing): from
// a root line's first column, and from one space after an entry's piece (tree view) or after three
// spaces a level and one more (indented view). In the indented view the blanks that right-align the
// first field run into the indent, so the level comes from where the first field ends: 3 * level + 1
// + its width. The first line is the root line when its first field ends left of every other line's
// (four columns left as printed); else the entries whose first field ends leftmost are at level 1.
// W is the widest reading every entry agrees on (a name that looks like a field does not, unless every
// name does); a root line that disagrees loses as many fields as the entries show. `texts`: the lines,
// indent taken off, those in `skip` left out (the --summary line, lines outside the indent). False when
// there is no entry, an entry shows no fields or no width fits them all: the listing is then read
// without fields.
bool PlaceFields(const Reader& reader, const std::vector<std::string_view>& texts, const std::vector<bool>& skip,
                 const std::string& timeFormat, FieldLayout& layout) {
    size_t n = texts.size();
    bool indented = reader.dialect.tee.empty();
    layout.level.assign(n, 0);
    layout.nameAt.assign(n, -1);
    std::vector<std::vector<FieldEnd>> ends(n);
    std::vector<ptrdiff_t> start(n, 0), firstEnd(n, -1);  // where the fields start, where the first ends
    std::vector<bool> used(n, false);
    size_t rootLine = SIZE_MAX, firstLine = SIZE_MAX;
    std::string line;  // NUL-terminated for strptime
    for (size_t i = 0; i < n; ++i) {
        if (skip[i]) continue;
        if (!indented) {
            int32_t level = 0;
            std::string_view body;
            if (!reader.Split(texts[i], level, body)) continue;  // reported by the reading itself
            layout.level[i] = level;
            if (level == 0) {
                if (rootLine != SIZE_MAX) continue;
                rootLine = i;
            } else {
                if (!body.starts_with(' ')) return false;
                start[i] = ptrdiff_t(texts[i].size() - body.size()) + 1;
            }
        }
        used[i] = true;
        if (firstLine == SIZE_MAX) firstLine = i;
        line.assign(texts[i]);
        FieldEnds(line, size_t(start[i]), kFieldMode, 0, timeFormat, ends[i]);
        for (const FieldEnd& e : ends[i])
            if (e.count == 1) firstEnd[i] = std::max(firstEnd[i], e.at - 1);
        // Only a root line may lack fields (the first line, in the indented view): stop at the first entry
        // without them, as in every listing printed without fields.
        if (firstEnd[i] < 0 && (indented ? i != firstLine : layout.level[i] != 0)) return false;
    }
    if (firstLine == SIZE_MAX) return false;
    if (indented) {
        ptrdiff_t least = PTRDIFF_MAX;  // the leftmost end of a first field, the first line's aside
        for (size_t i = firstLine + 1; i < n; ++i)
            if (used[i]) least = std::min(least, firstEnd[i] < 0 ? -1 : firstEnd[i]);
        if (least < 0) return false;
        if (firstEnd[firstLine] < least) rootLine = firstLine;
        for (size_t i = firstLine; i < n; ++i) {
            if (!used[i] || i == rootLine) continue;
            ptrdiff_t d = firstEnd[i] - least;
            if (d % 3 != 0) return false;
            layout.level[i] = int32_t(d / 3 + 1);
            start[i] = d + 4;  // 3 * level + 1, where the first field's blanks would start at its width
        }
    }
    auto endsAt = [&](size_t i, ptrdiff_t at, int& count) {
        for (const FieldEnd& e : ends[i])
            if (e.at == at) return count = e.count, true;
        return false;
    };
    size_t firstEntry = firstLine == rootLine ? firstLine + 1 : firstLine;
    while (firstEntry < n && (!used[firstEntry] || firstEntry == rootLine)) ++firstEntry;
    if (firstEntry >= n) return false;  // a root line alone: no entries to agree on a width
    std::vector<ptrdiff_t> widths;
    for (const FieldEnd& e : ends[firstEntry]) widths.push_back(e.at - start[firstEntry]);
    std::sort(widths.begin(), widths.end(), std::greater<>());
    ptrdiff_t width = PTRDIFF_MIN;
    int count = 0;
    for (ptrdiff_t w : widths) {
        bool all = true;
        for (size_t i = firstEntry; i < n && all; ++i)
            all = !used[i] || i == rootLine || endsAt(i, start[i] + w, count);
        if (all) {
            width = w;
            break;
        }
    }
    if (width == PTRDIFF_MIN) return false;
    endsAt(firstEntry, start[firstEntry] + width, count);
    for (size_t i = 0; i < n; ++i)
        if (used[i] && i != rootLine) layout.nameAt[i] = start[i] + width;
    if (rootLine != SIZE_MAX) {
        int rootCount = 0;
        ptrdiff_t at = 0;
        if (endsAt(rootLine, width, rootCount)) {
            at = width;
        } else {
            for (const FieldEnd& e : ends[rootLine])
                if (e.count <= count) at = std::max(at, e.at);
        }
        layout.nameAt[rootLine] = at;
    }
    return true;
}

// Reads `lines` (quoting taken off, `indent` more spaces to take off each) in one printer's form, the
// fields before the names where `layout` places them (nullptr: there are none).
void ReadLines(Reader& reader, const std::vector<std::string_view>& lines, const std::vector<size_t>& numbers,
               size_t indent, const FieldLayout* layout) {
    const Dialect& dialect = reader.dialect;
    ParsedListing& out = reader.out;
    std::vector<size_t> open;  // the entry of each open folder, level 1 upwards
    bool first = true;
    for (size_t i = 0; i < lines.size() && out.problems.size() <= reader.enough; ++i) {
        std::string_view text = lines[i];
        size_t line = numbers[i];
        if (text.substr(0, indent).find_first_not_of(' ') != std::string_view::npos || text.size() < indent) {
            reader.Problem(line, "cannot place " + Quoted(text));
            continue;
        }
        text.remove_prefix(indent);
        if (i + 1 == lines.size() && IsSummary(text)) continue;
        int32_t level = 0;
        std::string_view body;
        if (!reader.Split(text, level, body)) {
            reader.Problem(line, "cannot place " + Quoted(text));
            continue;
        }
        if (layout != nullptr && layout->nameAt[i] >= 0 && size_t(layout->nameAt[i]) <= text.size()) {
            if (dialect.tee.empty()) level = layout->level[i];
            body = text.substr(size_t(layout->nameAt[i]));
        }
        if (level == 0) {
            if (!first) {
                reader.Problem(line, "cannot place " + Quoted(text) + " (a second root line?)");
                continue;
            }
            first = false;
            ParsedEntry root;
            reader.Read(body, line, root);
            out.root = root.name;
            continue;
        }
        first = false;
        // tree marks no folder: an entry one level below a file makes that file a folder.
        if (!dialect.ours && size_t(level) == open.size() + 2 && !out.entries.empty() &&
            out.entries.back().level == level - 1 && !out.entries.back().folder) {
            out.entries.back().folder = true;
            open.push_back(out.entries.size() - 1);
        }
        if (size_t(level) > open.size() + 1) {
            reader.Problem(line, "cannot place " + Quoted(text) + " (no folder above it)");
            continue;
        }
        open.resize(size_t(level) - 1);
        ParsedEntry e;
        e.level = level;
        e.line = int32_t(line);
        reader.Read(body, line, e);
        out.entries.push_back(std::move(e));
        if (out.entries.back().folder) open.push_back(out.entries.size() - 1);
    }
}

// Reads `lines` in one printer's form: with the metadata fields where they fit every line, else as
// plain names; the reading that places more lines wins, the one with fields on a tie.
void ReadAs(const Dialect& dialect, bool sjis, const std::vector<std::string_view>& lines,
            const std::vector<size_t>& numbers, size_t indent, const std::string& timeFormat, size_t enough,
            ParsedListing& out) {
    out = ParsedListing();
    out.dialect = dialect.label;
    bool marks = false;
    for (std::string_view text : lines)
        marks = marks || (dialect.ours ? text.find("@ -> ") != std::string_view::npos : text.ends_with("/"));
    Reader reader{dialect, sjis, marks, out};
    reader.enough = enough;
    // tree's bracketed fields count when every entry shows them.
    bool anyEntry = false;
    reader.treeFields = !dialect.ours;
    for (size_t i = 0; i < lines.size() && reader.treeFields; ++i) {
        int32_t level = 0;
        std::string_view body;
        if (lines[i].size() < indent || !reader.Split(lines[i].substr(indent), level, body) || level == 0) continue;
        ParsedEntry probe;
        anyEntry = true;
        reader.treeFields = TakeTreeFields(body, probe);
    }
    reader.treeFields = reader.treeFields && anyEntry;
    std::vector<std::string_view> texts(lines.size());
    std::vector<bool> skip(lines.size(), false);
    for (size_t i = 0; i < lines.size(); ++i) {
        std::string_view text = lines[i];
        skip[i] = text.size() < indent || text.substr(0, indent).find_first_not_of(' ') != std::string_view::npos;
        if (!skip[i]) texts[i] = text.substr(indent);
        skip[i] = skip[i] || (i + 1 == lines.size() && IsSummary(texts[i]));
    }
    FieldLayout layout;
    bool fields = PlaceFields(reader, texts, skip, timeFormat, layout);
    ReadLines(reader, lines, numbers, indent, fields ? &layout : nullptr);
    if (!fields || out.problems.empty()) return;
    ParsedListing plain;
    plain.dialect = dialect.label;
    Reader plainReader{dialect, sjis, marks, plain, reader.treeFields, enough};
    ReadLines(plainReader, lines, numbers, indent, nullptr);
    if (plain.problems.size() < out.problems.size()) out = std::move(plain);
}

}  // namespace


namespace {

// Reads cleaned lines in the form of arbolin's own views or of tree's output: tries each printer's form
// at the quoting indents the lines allow and keeps the reading that places the most lines.
void ReadPrinted(const ListingLines& clean, bool sjis, const std::string& timeFormat, ParsedListing& out) {
    const std::vector<std::string_view>& lines = clean.lines;
    size_t least = std::string_view::npos;
    for (std::string_view line : lines) least = std::min(least, line.find_first_not_of(' '));
    if (lines.empty()) least = 0;
    // The tree view's pieces start with a space, and the indented view's entries with three: the
    // quoting indent is the least indent or that less one or three.
    std::vector<size_t> indents{least};
    if (least >= 1) indents.push_back(least - 1);
    if (least >= 3) indents.push_back(least - 3);
    bool chosen = false;
    ParsedListing attempt;
    for (size_t indent : indents) {
        for (const Dialect& dialect : sjis ? std::span<const Dialect>(kSjisDialects) : std::span<const Dialect>(kUtf8Dialects)) {
            if (dialect.ours != clean.ours) continue;
            ReadAs(dialect, sjis, lines, clean.numbers, indent, timeFormat, chosen ? out.problems.size() : SIZE_MAX,
                   attempt);
            if (!chosen || attempt.problems.size() < out.problems.size()) {
                out = std::move(attempt);
                chosen = true;
            }
        }
    }
    if (!chosen) out = ParsedListing();
}

// tree's bracketed fields after a piece: "── [" or "-- [" with "]  " after it.
bool ShowsTreeFields(const ListingLines& clean) {
    size_t with = 0;
    for (std::string_view line : clean.lines) {
        size_t at = line.find("\xE2\x94\x80 [");
        if (at == std::string_view::npos) at = line.find("-- [");
        if (at != std::string_view::npos && line.find("]  ", at) != std::string_view::npos) ++with;
    }
    return with * 2 > clean.lines.size();
}

// A second line naming the same path is reported with both line numbers.
void ReportRepeats(ParsedListing& out) {
    std::map<std::string, int32_t, std::less<>> seen;
    std::vector<std::string> repeats;
    ForEachParsedPath(out, [&](const ParsedEntry& e, std::string_view path) {
        auto [at, fresh] = seen.emplace(std::string(path), e.line);
        if (!fresh)
            repeats.push_back("line " + std::to_string(e.line) + ": " + Quoted(path) + " listed again (first on line " +
                              std::to_string(at->second) + ")");
    });
    out.problems.insert(out.problems.end(), repeats.begin(), repeats.end());
}

}  // namespace

void ParseListing(std::string_view text, ListingEncoding encoding, ParsedListing& out,
                  const std::string& timeFormat) {
    bool sjis = encoding == ListingEncoding::kSjis || (encoding == ListingEncoding::kGuess && !IsValidUtf8(text));
    ListingLines clean;
    CleanLines(text, clean);
    // arbolin's own listings and tree's output are read by their printers' rules (escapes, fields,
    // names taken whole); when those do not place every line, the listing was drawn or edited by hand.
    bool printed = clean.ours || clean.treeSummary || ShowsTreeFields(clean);
    ParsedListing byPrinter;
    if (printed) {
        ReadPrinted(clean, sjis, timeFormat, byPrinter);
        if (byPrinter.problems.empty() || clean.ours) {
            out = std::move(byPrinter);
            ReportRepeats(out);
            return;
        }
    }
    std::vector<std::string> converted;
    ListingLines utf8 = clean;
    if (sjis) {
        converted.reserve(clean.lines.size());
        for (size_t i = 0; i < clean.lines.size(); ++i) {
            converted.push_back(Cp932ToUtf8(std::string(clean.lines[i])));
            utf8.lines[i] = converted.back();
        }
    }
    ReadDrawnListing(utf8, out);
    if (printed && byPrinter.problems.size() <= out.problems.size()) out = std::move(byPrinter);
    ReportRepeats(out);
}
