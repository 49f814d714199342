// --parse's name cleaning (POSIX side, no OS call): escapes turned back into bytes in arbolin's own
// listings; in listings written by hand a comment after a name, trailing blanks, -F marks, a link's target
// and a program's size note come off, and the name stays whole.
#include <algorithm>
#include <cstdint>

#include "platform/chars.h"

#include "readers/listing_parts.h"

namespace {

// A comment starts with a marker after blanks ("name - what it is" too: names written with " - " in them
// come from printed listings, read by their printers' rules). `alone`: the marker says "comment" even after a single
// blank; the others do only after two blanks or more, or when the listing uses them on two lines.
struct Marker {
    std::string_view text;
    bool blankAfter;  // the marker must be followed by a blank (or end the line)
    bool alone;
};
constexpr Marker kMarkers[] = {
    {"#", false, true},  {"//", false, true}, {"<--", false, true}, {"<-", false, true},
    {"\xE2\x86\x90", false, true},  // ←
    {"\xE2\x86\x92", false, true},  // →
    {"\xE2\x80\xBB", false, true},  // ※
    {"--", true, false}, {"-", true, false}, {":", true, false}, {"`", false, false},
};
constexpr int kHashMarker = 0;
constexpr int kGluedHash = int(std::size(kMarkers));  // "name# comment"
static_assert(std::size(kMarkers) + 1 <= std::size(CommentUse{}.count));

// The length of the blank code point ending at `end` in `text`, 0 when there is none.
size_t BlankBefore(std::string_view text, size_t end) {
    if (end >= 1 && (text[end - 1] == ' ' || text[end - 1] == '\t')) return 1;
    if (end >= 3 && text.substr(end - 3, 3) == "\xE3\x80\x80") return 3;
    if (end >= 2 && text.substr(end - 2, 2) == "\xC2\xA0") return 2;
    return 0;
}

bool BlankAt(std::string_view text, size_t at) {
    return at >= text.size() || text[at] == ' ' || text[at] == '\t' || text.substr(at, 3) == "\xE3\x80\x80";
}

struct Comment {
    size_t at = std::string_view::npos;  // where the blanks before the marker start
    int kind = -1;
    bool wide = false;  // two blanks or more before it, or a tab, or an ideographic space
};

Comment FindComment(std::string_view name) {
    Comment c;
    for (size_t i = 1; i < name.size(); ++i) {
        size_t blank = BlankBefore(name, i);
        if (blank == 0) continue;
        for (size_t k = 0; k < std::size(kMarkers); ++k) {
            const Marker& m = kMarkers[k];
            if (!name.substr(i).starts_with(m.text)) continue;
            size_t after = i + m.text.size();
            if (m.blankAfter && !BlankAt(name, after)) continue;
            // "#" starts a comment when a blank or a non-ASCII letter follows ("# note", "#注释"), never
            // in "Track #1.mp3".
            if (int(k) == kHashMarker && after < name.size() && !BlankAt(name, after) && uint8_t(name[after]) < 0x80)
                continue;
            size_t start = i;
            while (start > 0 && BlankBefore(name, start) != 0) start -= BlankBefore(name, start);
            if (start == 0) break;  // nothing before the marker: no name to keep
            c.at = start;
            c.kind = int(k);
            c.wide = i - start >= 2 || name[start] == '\t';
            return c;
        }
    }
    // "Application.java# note": a '#' and a blank glued to the name.
    size_t glued = name.find("# ");
    if (glued != std::string_view::npos && glued > 0) {
        c.at = glued;
        c.kind = kGluedHash;
    }
    return c;
}

// "(1881b)", "(12.5 KB)", "(empty)": a size note some programs print after a name.
bool IsSizeNote(std::string_view note) {
    if (note == "empty") return true;
    size_t i = 0;
    while (i < note.size() && ((note[i] >= '0' && note[i] <= '9') || note[i] == '.')) ++i;
    if (i == 0) return false;
    std::string_view unit = note.substr(i);
    if (unit.starts_with(' ')) unit.remove_prefix(1);
    for (std::string_view u : {"", "b", "B", "bytes", "k", "K", "KB", "kB", "KiB", "M", "MB", "MiB", "G", "GB", "GiB"})
        if (unit == u) return true;
    return false;
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

std::string Unescape(std::string_view text, bool sjis) {
    static const std::string_view kLetters = "abtnvfr";
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        auto c = uint8_t(text[i]);
        if (sjis && IsSjisLead(c) && i + 1 < text.size()) {
            out += text[i];
            out += text[++i];
            continue;
        }
        if (c != '\\' || i + 1 == text.size()) {
            out += char(c);
            continue;
        }
        char next = text[i + 1];
        size_t letter = kLetters.find(next);
        if (next == '\\') {
            out += '\\', ++i;
        } else if (letter != std::string_view::npos) {
            out += char(7 + letter), ++i;
        } else if (next == 'x' && i + 3 < text.size() && HexValue(text[i + 2]) >= 0 && HexValue(text[i + 3]) >= 0) {
            out += char(HexValue(text[i + 2]) * 16 + HexValue(text[i + 3]));
            i += 3;
        } else if (next == 'u' && i + 5 < text.size() &&
                   std::all_of(text.begin() + i + 2, text.begin() + i + 6, [](char h) { return HexValue(h) >= 0; })) {
            uint32_t code = 0;
            for (size_t k = i + 2; k < i + 6; ++k) code = code * 16 + uint32_t(HexValue(text[k]));
            AppendUtf8(out, code);
            i += 5;
        } else {
            out += '\\';
        }
    }
    return out;
}

void CountComment(std::string_view name, CommentUse& use) {
    Comment c = FindComment(name);
    if (c.kind == kGluedHash) c.kind = kHashMarker;
    if (c.kind >= 0) ++use.count[c.kind];
}

bool CleanName(std::string_view name, const CommentUse& shared, bool marks, ParsedEntry& e, std::string& what) {
    bool sure = true;
    name = TrimEnd(name);
    // A line that is a comment alone (continued under the drawing): no name.
    for (const Marker& m : kMarkers) {
        if (m.alone && name.starts_with(m.text) && (m.text != "#" || BlankAt(name, 1))) {
            e.name.clear();
            return true;
        }
    }
    Comment c = FindComment(name);
    if (c.kind >= 0) {
        int kind = c.kind == kGluedHash ? kHashMarker : c.kind;
        bool certain = c.kind == kGluedHash ? shared.count[kHashMarker] >= 2
                                            : c.wide || kMarkers[kind].alone || shared.count[kind] >= 2;
        if (!certain) {
            sure = false;
            what = std::string(name.substr(c.at));
        }
        name = TrimEnd(name.substr(0, c.at));
    }
    // A note in parentheses: a program's size note, or a remark after a folder's '/'.
    if (name.ends_with(')')) {
        size_t open = name.rfind(" (");
        if (open != std::string_view::npos && open > 0) {
            std::string_view note = name.substr(open + 2, name.size() - open - 3);
            std::string_view before = TrimEnd(name.substr(0, open));
            bool wide = BlankBefore(name, open) != 0;  // "name  (remark)"
            if (IsSizeNote(note) || before.ends_with('/') || wide) name = before;
        }
    }
    if (name.size() >= 2 && name.front() == '`' && name.back() == '`') name = name.substr(1, name.size() - 2);
    size_t arrow = name.find(" -> ");
    if (arrow != std::string_view::npos && arrow > 0) {
        e.type = "link";
        e.target = std::string(TrimEnd(name.substr(arrow + 4)));
        name = name.substr(0, arrow);
        if (name.size() > 1 && name.back() == '@') name.remove_suffix(1);
    }
    if (name.size() > 1 && name.back() == '/') {
        e.folder = true;
        name = TrimEnd(name.substr(0, name.size() - 1));
    } else if (marks && name.size() > 1) {
        char mark = name.back();
        // '|', '=' and '>' end names too ("a="): only an executable's '*' and a link's '@' come off.
        if (mark == '*' || mark == '@') {
            name.remove_suffix(1);
            if (mark == '@') e.type = "link";
        }
    }
    e.name = std::string(name);
    return sure;
}

bool TakeTreeFields(std::string_view& body, ParsedEntry& e) {
    if (!body.starts_with('[')) return false;
    size_t close = body.find("]  ");
    if (close == std::string_view::npos || body.substr(1, close - 1).find('[') != std::string_view::npos) return false;
    std::string_view fields = body.substr(1, close - 1);
    while (fields.starts_with(' ')) fields.remove_prefix(1);
    // tree -p's mode comes first: its type letter tells folders, links, FIFOs and sockets.
    bool mode = fields.size() >= 10 && fields.substr(1, 9).find_first_not_of("rwxsStT-") == std::string_view::npos &&
                (fields.size() == 10 || fields[10] == ' ');
    if (mode) {
        if (fields[0] == 'd') e.folder = true;
        if (fields[0] == 'l') e.type = "link";
        if (fields[0] == 'p') e.type = "fifo";
        if (fields[0] == 's') e.type = "socket";
    }
    body = body.substr(close + 3);
    return true;
}
