// --parse: splits a pasted listing into lines, takes off a quoting indent, tries each printer's form
// (arbolin's views and piece sets, tree's) and keeps the reading that places the most lines; then
// writes the paths, or the JSON tree, in the listing's order.
#include "cli/parse.h"

#include <iconv.h>
#include <unicode/uchar.h>
#include <unicode/utf8.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <span>

#include "cli/formats.h"
#include "cli/fromfile.h"
#include "cli/messages.h"
#include "cli/output.h"
#include "cli/run.h"

namespace {

// One printer's form. `tee` empty: the indented view (three spaces a level, no pieces).
struct Dialect {
    const char* label;
    std::string_view branch, branch2, blank, tee, last;
    std::string_view ellipsis;  // after a shortened name; empty: the printer never shortens
    bool ours;                  // arbolin's: folders as "[ name ]", names escaped
};

constexpr Dialect kUtf8Dialects[] = {
    {"arbolin tree view", " \xE2\x94\x82", "", "  ", " \xE2\x94\x9C", " \xE2\x94\x94", " \xE2\x80\xA6", true},
    {"arbolin tree view, ascii pieces", " |", "", "  ", " +", " `", "..", true},
    {"arbolin indented view", "", "", "", "", "", "", true},
    {"tree", "\xE2\x94\x82\xC2\xA0\xC2\xA0 ", "\xE2\x94\x82   ", "    ",
     "\xE2\x94\x9C\xE2\x94\x80\xE2\x94\x80 ", "\xE2\x94\x94\xE2\x94\x80\xE2\x94\x80 ", "", false},
    {"tree --charset ascii", "|   ", "", "    ", "|-- ", "`-- ", "", false},
};
constexpr Dialect kSjisDialects[] = {
    {"arbolin tree view (sjis)", " \x84\xA0", "", "   ", " \x84\xA5", " \x84\xA4", " \x81\x63", true},
    {"arbolin tree view (sjis), ascii pieces", " |", "", "  ", " +", " `", "..", true},
    {"arbolin indented view (sjis)", "", "", "", "", "", "", true},
    {"tree --charset ascii (sjis)", "|   ", "", "    ", "|-- ", "`-- ", "", false},
};

constexpr std::string_view kIndent = "   ";
constexpr std::string_view kNotFollowed = " [recursive, not followed]";

bool IsSjisLead(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

bool IsValidUtf8(std::string_view text) {
    const auto* s = reinterpret_cast<const uint8_t*>(text.data());
    int32_t length = int32_t(text.size());
    for (int32_t i = 0; i < length;) {
        UChar32 c;
        U8_NEXT(s, i, length, c);
        if (c < 0) return false;
    }
    return true;
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Display columns of escaped UTF-8 text, as the tree view counts them for the name limit.
int Columns(std::string_view text) {
    const auto* s = reinterpret_cast<const uint8_t*>(text.data());
    int32_t length = int32_t(text.size());
    int columns = 0;
    for (int32_t i = 0; i < length;) {
        UChar32 c;
        U8_NEXT(s, i, length, c);
        if (c < 0) {
            ++columns;
            continue;
        }
        int8_t type = u_charType(c);
        if (type == U_NON_SPACING_MARK || type == U_ENCLOSING_MARK || type == U_FORMAT_CHAR) continue;
        int width = u_getIntPropertyValue(c, UCHAR_EAST_ASIAN_WIDTH);
        columns += (width == U_EA_WIDE || width == U_EA_FULLWIDTH) ? 2 : 1;
    }
    return columns;
}

// Code page 932 to UTF-8; a byte that forms no character there is kept as it is.
std::string FromCp932(std::string_view text) {
    static iconv_t converter = iconv_open("UTF-8", "CP932");
    if (converter == reinterpret_cast<iconv_t>(-1)) return std::string(text);
    std::string out(text.size() * 3 + 4, '\0');
    char* in = const_cast<char*>(text.data());
    size_t inLeft = text.size();
    char* to = out.data();
    size_t toLeft = out.size();
    iconv(converter, nullptr, nullptr, nullptr, nullptr);
    while (inLeft > 0) {
        if (iconv(converter, &in, &inLeft, &to, &toLeft) != size_t(-1)) break;
        if (errno != EILSEQ && errno != EINVAL) break;
        *to++ = *in++;  // toLeft stays ample: three bytes out for each byte in
        --toLeft, --inLeft;
    }
    out.resize(out.size() - toLeft);
    return out;
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
    if (!text.ends_with(" entries)")) return false;
    std::string_view head = text.substr(0, text.size() - 9);
    size_t digits = 0;
    while (digits < head.size() && head[head.size() - 1 - digits] >= '0' &&
           head[head.size() - 1 - digits] <= '9')
        ++digits;
    if (digits == 0 || !head.substr(0, head.size() - digits).ends_with(" (")) return false;
    noteStart = head.size() - digits - 2;
    return true;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The metadata fields that may stand between a piece and a name, each followed by one space: the mode
// ("drwxr-xr-x"), a size (bytes, or 1.5K / 10M / 999k forms) and a date ("2026-05-01 10:00"). Returns
// the length of the field at the start of `text` (its space included), or 0.
size_t FieldLength(std::string_view text) {
    auto in = [](char c, std::string_view set) { return set.find(c) != std::string_view::npos; };
    if (text.size() >= 11 && in(text[0], "-dlcbps") && text[10] == ' ') {
        bool mode = true;
        for (size_t i = 1; i < 10; ++i) mode = mode && in(text[i], i % 3 == 1 ? "r-" : i % 3 == 2 ? "w-" : "xsStT-");
        if (mode) return 11;
    }
    if (text.size() >= 17 && text[4] == '-' && text[7] == '-' && text[10] == ' ' && text[13] == ':' &&
        text[16] == ' ') {
        bool date = true;
        for (size_t i : {0, 1, 2, 3, 5, 6, 8, 9, 11, 12, 14, 15}) date = date && IsDigit(text[i]);
        if (date) return 17;
    }
    size_t i = 0;
    while (i < text.size() && IsDigit(text[i])) ++i;
    if (i == 0) return 0;
    if (i + 1 < text.size() && text[i] == '.' && IsDigit(text[i + 1])) i += 2;
    if (i < text.size() && in(text[i], "KMGTPEk")) ++i;
    return i < text.size() && text[i] == ' ' ? i + 1 : 0;
}

// The fields at the start of `body` (each after the blanks that right-align it): how many, at most
// `most`; `length` the bytes they take, the space after the last included.
size_t CountFields(std::string_view body, size_t most, size_t& length) {
    size_t at = body.find_first_not_of(' ');
    if (at == std::string_view::npos) return 0;
    size_t count = 0;
    while (count < most) {
        // Blanks before a field right-align it; blanks before the name are the name's own.
        size_t start = std::min(body.find_first_not_of(' ', at), body.size());
        size_t n = FieldLength(body.substr(start));
        if (n == 0) break;
        at = start + n;
        ++count;
    }
    length = count == 0 ? 0 : at;
    return count;
}

struct Reader {
    const Dialect& dialect;
    bool sjis;
    bool marks;  // -F marks seen: arbolin's "@ -> ", tree's '/' after folders
    ParsedListing& out;
    size_t fields = 0;  // metadata fields every entry shows before its name

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
        return sjis ? FromCp932(name) : name;
    }

    // The name of an entry and whether it is a folder, marks and notes taken off.
    void Read(std::string_view body, size_t line, ParsedEntry& e) {
        size_t length = 0;
        if (fields > 0 && CountFields(body, fields, length) == fields) body.remove_prefix(length);
        if (!dialect.ours) {
            size_t arrow = body.find(" -> ");
            if (arrow != std::string_view::npos) body = body.substr(0, arrow);
            if (marks && !body.empty()) {
                char mark = body.back();
                if (mark == '/') e.folder = true;
                if (mark == '/' || mark == '*' || mark == '|' || mark == '=' || mark == '@') body.remove_suffix(1);
            }
            e.name = Name(body);
            return;
        }
        size_t note = 0;
        if (body.starts_with("[ ")) {
            std::string_view inner = body.substr(2);
            if (inner.ends_with(kNotFollowed)) inner.remove_suffix(kNotFollowed.size());
            if (EndsWithEntryCount(inner, note)) inner = inner.substr(0, note);
            if (inner.ends_with(" ]")) {
                e.folder = true;
                body = inner.substr(0, inner.size() - 2);
            }
        }
        if (!e.folder && marks) {
            size_t arrow = body.find("@ -> ");
            if (arrow != std::string_view::npos) {
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

// Reads `lines` (quoting taken off, `indent` more spaces to take off each) in one printer's form.
void ReadAs(const Dialect& dialect, bool sjis, const std::vector<std::string_view>& lines,
            const std::vector<size_t>& numbers, size_t indent, ParsedListing& out) {
    out = ParsedListing();
    out.dialect = dialect.label;
    bool marks = false;
    for (std::string_view text : lines)
        marks = marks || (dialect.ours ? text.find("@ -> ") != std::string_view::npos : text.ends_with("/"));
    Reader reader{dialect, sjis, marks, out};
    // Fields count only when every entry has them, after the piece and a space (a name may start with
    // a space or a number, but not all of them do); the root line's are taken off where it has them.
    size_t fields = SIZE_MAX;
    for (std::string_view text : lines) {
        int32_t level = 0;
        std::string_view body, tail = text.substr(std::min(indent, text.size()));
        if (!reader.Split(tail, level, body) || IsSummary(tail) || level == 0) continue;
        size_t length = 0;
        if (!body.starts_with(' ')) fields = 0;
        fields = std::min(fields, CountFields(body, fields, length));
    }
    reader.fields = fields == SIZE_MAX ? 0 : fields;
    std::vector<size_t> open;  // the entry of each open folder, level 1 upwards
    bool first = true;
    for (size_t i = 0; i < lines.size(); ++i) {
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

// Mail quoting ("> ", nested) and a tab in front of every line are taken off.
void TakeOffQuoting(std::vector<std::string_view>& lines) {
    auto all = [&](char c) {
        return std::all_of(lines.begin(), lines.end(), [c](std::string_view t) { return t.starts_with(c); });
    };
    while (!lines.empty() && all('>')) {
        for (std::string_view& t : lines) {
            t.remove_prefix(1);
            if (t.starts_with(' ')) t.remove_prefix(1);
        }
    }
    if (!lines.empty() && all('\t'))
        for (std::string_view& t : lines) t.remove_prefix(1);
}

void WriteJson(const ParsedListing& listing, std::string& out) {
    std::string hex;
    out += "{\"name\": ";
    AppendJsonName(out, listing.root.empty() ? std::string_view(".") : std::string_view(listing.root), hex);
    out += ", \"type\": \"folder\", \"children\": [";
    std::vector<bool> any{false};  // per open folder: a child written
    auto close = [&](size_t keep) {
        while (any.size() > keep) {
            if (any.back()) out += "\n" + std::string((any.size() - 1) * 2, ' ');
            out += "]}";
            any.pop_back();
        }
    };
    for (const ParsedEntry& e : listing.entries) {
        close(size_t(e.level));
        out += any.back() ? ",\n" : "\n";
        any.back() = true;
        out.append(size_t(e.level) * 2, ' ');
        out += "{\"name\": ";
        AppendJsonName(out, e.name, hex);
        if (!hex.empty()) out += ", \"bytes\": \"" + hex + "\"";
        if (e.folder) {
            out += ", \"type\": \"folder\", \"children\": [";
            any.push_back(false);
        } else {
            out += ", \"type\": \"file\"}";
        }
    }
    close(0);
    out += "\n";
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
            UChar32 code = 0;
            for (size_t k = i + 2; k < i + 6; ++k) code = code * 16 + HexValue(text[k]);
            uint8_t bytes[4];
            int32_t length = 0;
            U8_APPEND_UNSAFE(bytes, length, code);
            out.append(reinterpret_cast<const char*>(bytes), size_t(length));
            i += 5;
        } else {
            out += '\\';
        }
    }
    return out;
}

void ParseListing(std::string_view text, CliOptions::InputEncoding encoding, ParsedListing& out) {
    bool sjis = encoding == CliOptions::kInputSjis || (encoding == CliOptions::kInputGuess && !IsValidUtf8(text));
    std::vector<std::string_view> lines;
    std::vector<size_t> numbers;
    size_t number = 0;
    for (size_t start = 0; start < text.size();) {
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(start, end - start);
        if (line.ends_with('\r')) line.remove_suffix(1);
        ++number;
        if (line.find_first_not_of(" \t") != std::string_view::npos) {
            lines.push_back(line);
            numbers.push_back(number);
        }
        start = end + 1;
    }
    // Quoted blank lines ("> ") hold text but nothing else: drop them once the quoting is off.
    TakeOffQuoting(lines);
    for (size_t i = lines.size(); i-- > 0;) {
        if (lines[i].find_first_not_of(" \t>") == std::string_view::npos) {
            lines.erase(lines.begin() + long(i));
            numbers.erase(numbers.begin() + long(i));
        }
    }
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
            ReadAs(dialect, sjis, lines, numbers, indent, attempt);
            if (!chosen || attempt.problems.size() < out.problems.size()) {
                out = std::move(attempt);
                chosen = true;
            }
        }
    }
    if (!chosen) out = ParsedListing();
}

int RunParse(const CliOptions& options) {
    std::string bytes, error;
    if (!ReadListInput(options.listFile, bytes, error)) {
        PrintMessage(error);
        return kExitNoListing;
    }
    ParsedListing listing;
    ParseListing(bytes, options.parseEncoding, listing);
    for (const std::string& problem : listing.problems) PrintMessage(problem);
    std::string text;
    if (options.format == CliOptions::kFormatJson) {
        WriteJson(listing, text);
    } else {
        char end = options.nul ? '\0' : '\n';
        std::vector<size_t> folderEnds{0};  // where each open folder's path ends in `path`
        std::string path;
        for (const ParsedEntry& e : listing.entries) {
            folderEnds.resize(size_t(e.level));
            path.resize(folderEnds.back());
            path += e.name;
            if (e.folder) {
                path += '/';
                folderEnds.push_back(path.size());
            }
            text += path;
            text += end;
        }
    }
    Output output;
    if (!OpenOutput(output, options.output, error)) {
        PrintMessage(error);
        return kExitNoListing;
    }
    WriteOutput(output, text);
    if (!FinishOutput(output, true, error)) {
        PrintMessage(error);
        return kExitNoListing;
    }
    return listing.problems.empty() ? kExitComplete : kExitSubfolderUnreadable;
}
