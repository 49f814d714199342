// --parse's reading of listings drawn by hand or by other programs (POSIX side, no OS call): each line's
// piece is found with its column and lines nest by column; outlines without pieces nest by the names'
// columns; Windows `tree /f` files, drawn without a piece, sit one step right of their folder's piece.
#include <algorithm>
#include <cstdint>
#include <map>

#include "platform/chars.h"
#include "platform/messages.h"
#include "readers/listing_parts.h"

namespace {

// A piece's first character: it opens an entry when followed by a horizontal run (or, for the box
// drawing ones, by a blank).
bool IsBoxPiece(int32_t c) {
    switch (c) {
        case 0x251C: case 0x2514: case 0x2523: case 0x2517: case 0x2520: case 0x2516:  // ├ └ ┣ ┗ ┠ ┖
        case 0x255F: case 0x2559: case 0x2560: case 0x255A: case 0x251D: case 0x2515:  // ╟ ╙ ╠ ╚ ┝ ┕
        case 0x2570: case 0x2558: case 0x2553:                                          // ╰ ╘ ╓
            return true;
        default:
            return false;
    }
}
// ASCII pieces open an entry only with a run after them: "+--", "\---", "`--", "|--", "|__".
bool IsAsciiPiece(int32_t c) { return c == '+' || c == '\\' || c == '`' || c == '|'; }
bool IsHorizontal(int32_t c) {
    return c == 0x2500 || c == 0x2501 || c == 0x2550 || c == 0x252C || c == 0x2533 || c == 0x252F ||
           c == 0x2530 || c == 0x2566 || c == 0x2574 || c == '-';
}
bool IsVertical(int32_t c) { return c == '|' || c == 0x2502 || c == 0x2503 || c == 0x2551 || c == 0xFF5C; }
bool IsBoxDrawing(int32_t c) { return c >= 0x2500 && c <= 0x257F; }

constexpr int kTabStop = 4;

// One line taken apart: where its piece stands, where its name starts, and the name.
struct Drawn {
    int pieceCol = -1;     // -1: no piece
    int nameCol = 0;
    bool verticals = false;  // vertical pieces before the name
    bool glued = false;      // the piece's run touches the name ("├───name", "+---name")
    int width = 0;           // the piece's columns, its run included
    bool strange = false;    // box drawing that is no piece this reader knows
    std::string_view name;
};

// `wide`: box drawing takes two columns, as in Windows `tree` in the CJK code pages.
Drawn TakeApart(std::string_view line, bool wide) {
    Drawn d;
    const auto* s = reinterpret_cast<const uint8_t*>(line.data());
    auto n = int32_t(line.size());
    int32_t i = 0;
    int col = 0;
    auto peek = [&](int32_t at, int32_t& next) {
        next = at;
        return at < n ? NextUtf8(s, next, n) : -2;
    };
    for (;;) {
        int32_t next = 0;
        int32_t c = peek(i, next);
        if (c == -2) break;
        if (IsBlankCode(c)) {
            col = c == '\t' ? (col / kTabStop + 1) * kTabStop : col + 1;
            i = next;
            continue;
        }
        int32_t after = 0;
        int32_t c2 = peek(next, after);
        bool box = IsBoxPiece(c);
        bool ascii = IsAsciiPiece(c) && (c2 == '-' || c2 == '_');
        if (box || ascii) {
            int pieceCol = col;
            int32_t k = next;
            int run = 0;
            int32_t c3 = c2;
            // A run of underscores ("|__") only after an ASCII piece, so that "├───__init__.py" keeps its name.
            while (!box && c2 == '_' ? c3 == '_' : IsHorizontal(c3)) {
                k = after;
                ++run;
                c3 = peek(k, after);
            }
            col += (1 + run) * (wide && c > 0x7F ? 2 : 1);
            i = k;
            // A piece drawn where a vertical belongs ("├    ├── x"): another piece follows after blanks.
            int32_t j = i, colAfter = col;
            for (;;) {
                int32_t nj = 0;
                int32_t b = peek(j, nj);
                if (!IsBlankCode(b)) break;
                colAfter = b == '\t' ? (colAfter / kTabStop + 1) * kTabStop : colAfter + 1;
                j = nj;
            }
            int32_t nx = 0;
            int32_t following = peek(j, nx);
            int32_t nx2 = 0;
            int32_t following2 = peek(nx, nx2);
            if (run == 0 && j > i &&
                (IsBoxPiece(following) || IsVertical(following) || (IsAsciiPiece(following) && following2 == '-'))) {
                d.verticals = true;
                i = j;
                col = colAfter;
                continue;
            }
            d.pieceCol = pieceCol;
            d.width = (1 + run) * (wide && c > 0x7F ? 2 : 1);
            d.glued = run > 0 && j == i && following != -2;
            i = j;
            col = colAfter;
            break;
        }
        if (IsVertical(c)) {
            d.verticals = true;
            col += wide && c > 0x7F ? 2 : 1;
            i = next;
            continue;
        }
        // "- name" after vertical pieces or alone: a bullet drawn as the piece (" | | - run.ps1").
        if ((c == '-' || c == '*' || c == 0x2022) && IsBlankCode(c2)) {
            d.pieceCol = col;
            col += 1;
            i = next;
            while (true) {
                int32_t nb = 0;
                int32_t b = peek(i, nb);
                if (!IsBlankCode(b)) break;
                col = b == '\t' ? (col / kTabStop + 1) * kTabStop : col + 1;
                i = nb;
            }
            break;
        }
        // "| -- name": a dash run drawn as a bullet in front of a name that stands in its column.
        if (c == '-' && c2 == '-') {
            int32_t a3 = 0;
            int32_t c3 = peek(after, a3);
            if (IsBlankCode(c3)) {
                d.nameCol = col;
                d.name = TrimEnd(line.substr(size_t(a3)));
                while (!d.name.empty() && IsBlankCode(uint8_t(d.name[0]))) d.name.remove_prefix(1);
                return d;
            }
        }
        if (IsBoxDrawing(c)) d.strange = true;
        break;
    }
    d.nameCol = col;
    d.name = TrimEnd(line.substr(size_t(i)));
    // Pieces left after the ones read ("├── │ x"): a drawing this reader does not follow, never a name.
    int32_t next = 0;
    if (IsBoxDrawing(peek(i, next))) d.strange = true;
    return d;
}

// "...", "…", "……": a line that stands for more entries.
bool IsMore(std::string_view name) {
    if (name.size() < 3) return false;
    std::string_view rest = name;
    while (!rest.empty()) {
        if (rest.starts_with('.')) {
            rest.remove_prefix(1);
        } else if (rest.starts_with("\xE2\x80\xA6")) {
            rest.remove_prefix(3);
        } else {
            return false;
        }
    }
    return true;
}

}  // namespace

void ReadDrawnListing(const ListingLines& in, ParsedListing& out) {
    out = ParsedListing();
    out.dialect = "drawn by hand";
    size_t n = in.lines.size();
    std::vector<Drawn> drawn(n);
    bool anyPiece = false, anyGlued = false, marks = false;
    CommentUse use;
    for (size_t i = 0; i < n; ++i) {
        drawn[i] = TakeApart(in.lines[i], false);
        anyPiece = anyPiece || drawn[i].pieceCol >= 0 || drawn[i].strange;
        anyGlued = anyGlued || drawn[i].glued;
    }
    // tree's fields on every entry ("├── [4.0K]  name"): tree's output, edited by hand perhaps; its names
    // are read by tree's rules, nothing after them is a comment.
    std::vector<ParsedEntry> fromFields(n);
    bool fields = anyPiece;
    for (size_t i = 0; i < n && fields; ++i) {
        std::string_view body = drawn[i].name;
        fields = drawn[i].pieceCol < 0 || TakeTreeFields(body, fromFields[i]);
    }
    for (size_t i = 0; i < n; ++i) {
        if (fields) {
            fromFields[i] = ParsedEntry();
            TakeTreeFields(drawn[i].name, fromFields[i]);
        } else {
            CountComment(drawn[i].name, use);
        }
    }
    auto clean = [&](size_t i, ParsedEntry& e, std::string& what) {
        if (!fields) return CleanName(drawn[i].name, use, marks, e, what);
        e = fromFields[i];
        std::string_view name = drawn[i].name;
        size_t arrow = name.find(" -> ");
        if (arrow != std::string_view::npos) {
            e.type = "link";
            e.target = std::string(name.substr(arrow + 4));
            name = name.substr(0, arrow);
        }
        e.name = std::string(name);
        return true;
    };
    for (size_t i = 0; i < n; ++i) {
        ParsedEntry probe;
        std::string what;
        CleanName(drawn[i].name, use, false, probe, what);
        marks = marks || probe.folder;
    }
    if (n == 0) return;
    // The root line: the first line, without a piece or vertical piece, when the listing has pieces; in an
    // outline, when every other line stands right of it.
    size_t first = 0;
    bool root = drawn[0].pieceCol < 0 && !drawn[0].verticals && !drawn[0].strange;
    if (root && !anyPiece)
        for (size_t i = 1; i < n && root; ++i) root = drawn[i].nameCol > drawn[0].nameCol;
    if (root) {
        ParsedEntry e;
        std::string what;
        clean(0, e, what);
        out.root = e.name;
        first = 1;
    }
    // Windows `tree /f` draws folders with pieces and files without, one step right of the pieces.
    bool windows = false;
    for (size_t i = first; i < n && anyGlued; ++i)
        windows = windows || (drawn[i].pieceCol < 0 && !drawn[i].strange && !IsMore(drawn[i].name));
    int step = 4;
    // Windows tree in the CJK code pages: "├─" and "│" two columns each, as its blanks count them.
    bool wide = false;
    for (size_t i = first; i < n && windows && !wide; ++i) wide = drawn[i].glued && drawn[i].width == 2;
    for (size_t i = 0; i < n && wide; ++i) drawn[i] = TakeApart(in.lines[i], true);
    if (wide)
        for (size_t i = 0; i < n && fields; ++i) TakeTreeFields(drawn[i].name, fromFields[i]);
    if (windows) {
        std::map<int, int> steps;
        int last = -1;
        for (size_t i = first; i < n; ++i) {
            if (drawn[i].pieceCol < 0) continue;
            if (last >= 0 && drawn[i].pieceCol > last) ++steps[drawn[i].pieceCol - last];
            last = drawn[i].pieceCol;
        }
        int best = 0;
        for (auto [width, count] : steps)
            if (count > best) best = count, step = width;
        // No folder inside another: the step is the piece's width where it is four columns ("├───", "+---",
        // "├─" counted wide), else one more (a short piece such as "+-" and a blank after it).
        if (steps.empty()) {
            for (size_t i = first; i < n; ++i) {
                if (!drawn[i].glued) continue;
                step = drawn[i].width >= 4 ? drawn[i].width : drawn[i].width + 1;
                break;
            }
        }
    }
    std::vector<std::pair<int, size_t>> open;  // per open entry: its column, its index in out.entries
    bool strangeSaid = false;
    bool commented = false;  // the line before held a comment (or went on with one)
    int lastNameCol = 0;
    for (size_t i = first; i < n; ++i) {
        const Drawn& d = drawn[i];
        size_t line = in.numbers[i];
        if (d.strange) {
            if (!strangeSaid)
                out.problems.push_back("line " + std::to_string(line) + ": this drawing style is not read: " +
                                       Quoted(in.lines[i]));
            else
                ++out.unsaid;
            strangeSaid = true;
            continue;
        }
        if (d.name.empty() || IsMore(d.name)) continue;
        int key = d.pieceCol;
        if (key < 0) {
            if (windows) {
                key = d.nameCol - step;
            } else if (!anyPiece) {
                key = d.nameCol;
            } else {
                ParsedEntry probe;
                std::string what;
                CleanName(d.name, use, false, probe, what);
                // A comment alone, or one going on under the drawing, right of the name above.
                if (probe.name.empty() || (commented && d.nameCol > lastNameCol)) continue;
                out.problems.push_back("line " + std::to_string(line) + ": cannot place " + Quoted(in.lines[i]) +
                                       " (a name without a piece among drawn lines)");
                continue;
            }
        }
        CommentUse one;
        CountComment(d.name, one);
        commented = !fields && std::any_of(std::begin(one.count), std::end(one.count), [](int c) { return c > 0; });
        lastNameCol = d.nameCol;
        ParsedEntry e;
        std::string what;
        bool sure = clean(i, e, what);
        e.line = int32_t(line);
        if (!sure)
            out.problems.push_back("line " + std::to_string(line) + ": took " + Quoted(what) +
                                   " for a comment (a guess)");
        if (e.name.empty()) continue;
        if (windows && d.glued) e.folder = true;
        while (!open.empty() && open.back().first >= key) open.pop_back();
        if (!open.empty()) out.entries[open.back().second].folder = true;
        e.level = int32_t(open.size()) + 1;
        open.push_back({key, out.entries.size()});
        out.entries.push_back(std::move(e));
    }
}
