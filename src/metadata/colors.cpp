// LS_COLORS read as GNU ls 9 reads it: two-letter indicators and "*suffix" keys, values with ls's escapes
// (\e \n \_ \NNN \xHH ^X ...), suffixes matched without regard to ASCII case, the last one defined first.
// Hand-written: Debian has no library that reads LS_COLORS.
#include "metadata/colors.h"

#include "platform/messages.h"
#include "platform/patterns.h"

namespace {

const char* const kIndicatorNames[kColorIndicators] = {"lc", "rc", "ec", "rs", "no", "fi", "di", "ln",
                                                       "pi", "so", "bd", "cd", "mi", "or", "ex", "do",
                                                       "su", "sg", "st", "ow", "tw", "ca", "mh", "cl"};

// One value or key from `p`, up to ':' or the end (or '=' for a key); false on a bad escape.
bool FunkyString(std::string_view text, size_t& p, bool equalsEnds, std::string& out) {
    out.clear();
    while (p < text.size()) {
        char c = text[p];
        if (c == ':' || (c == '=' && equalsEnds)) return true;
        if (c == '^') {
            if (++p >= text.size()) return false;
            char x = text[p];
            if (x >= '@' && x <= '~') {
                out += char(x & 037);
            } else if (x == '?') {
                out += char(127);
            } else {
                return false;
            }
            ++p;
            continue;
        }
        if (c != '\\') {
            out += c;
            ++p;
            continue;
        }
        if (++p >= text.size()) return false;
        char x = text[p++];
        if (x >= '0' && x <= '7') {
            unsigned num = unsigned(x - '0');
            while (p < text.size() && text[p] >= '0' && text[p] <= '7') num = (num << 3) + unsigned(text[p++] - '0');
            out += char(num);
        } else if (x == 'x' || x == 'X') {
            unsigned num = 0;
            for (; p < text.size(); ++p) {
                char h = text[p];
                if (h >= '0' && h <= '9') num = (num << 4) + unsigned(h - '0');
                else if (h >= 'a' && h <= 'f') num = (num << 4) + unsigned(h - 'a' + 10);
                else if (h >= 'A' && h <= 'F') num = (num << 4) + unsigned(h - 'A' + 10);
                else break;
            }
            out += char(num);
        } else {
            static const std::string_view kFrom = "abefnrtv?_", kTo = "\a\b\x1b\f\n\r\t\v\x7f ";
            size_t k = kFrom.find(x);
            out += k != std::string_view::npos ? kTo[k] : x;
        }
    }
    return true;
}

// ASCII letters compared without case, as ls compares suffixes (whatever the locale).
bool SuffixMatches(std::string_view name, std::string_view suffix) {
    if (suffix.size() > name.size()) return false;
    name.remove_prefix(name.size() - suffix.size());
    for (size_t i = 0; i < suffix.size(); ++i) {
        char a = name[i], b = suffix[i];
        if (a >= 'A' && a <= 'Z') a = char(a - 'A' + 'a');
        if (b >= 'A' && b <= 'Z') b = char(b - 'A' + 'a');
        if (a != b) return false;
    }
    return true;
}

bool Colored(const ColorTable& t, ColorIndicator i) {
    const std::string& s = t.seq[i];
    return t.set[i] && !(s.empty() || s == "0" || s == "00");
}

ColorIndicator ClassOf(const ColorTable& t, const EntryMeta* m, bool folder) {
    if (m == nullptr) return folder ? kColorDir : kColorFile;
    bool link = (m->flags & kMetaLink) != 0;
    bool linkOk = (m->flags & kMetaTargetKnown) != 0;
    uint32_t mode = m->mode;
    if (link && t.linkAsTarget && linkOk && TypeOf(mode) == kTypeLink) mode = m->targetMode;
    const bool otherWrite = (mode & kModeOtherWrite) != 0, sticky = (mode & kModeSticky) != 0;
    ColorIndicator type = kColorFile;
    switch (TypeOf(mode)) {
    case kTypeFile:
        if ((mode & kModeSetuid) && Colored(t, kColorSetuid)) type = kColorSetuid;
        else if ((mode & kModeSetgid) && Colored(t, kColorSetgid)) type = kColorSetgid;
        else if ((mode & kModeAnyExec) && Colored(t, kColorExec)) type = kColorExec;
        else if (m->nlink > 1 && Colored(t, kColorMultiHardlink)) type = kColorMultiHardlink;
        break;
    case kTypeFolder:
        type = kColorDir;
        if (sticky && otherWrite && Colored(t, kColorStickyOtherWritable)) type = kColorStickyOtherWritable;
        else if (otherWrite && Colored(t, kColorOtherWritable)) type = kColorOtherWritable;
        else if (sticky && Colored(t, kColorSticky)) type = kColorSticky;
        break;
    case kTypeLink:
        type = kColorLink;
        if (!linkOk && (t.linkAsTarget || Colored(t, kColorOrphan))) type = kColorOrphan;
        break;
    case kTypeFifo: type = kColorFifo; break;
    case kTypeSocket: type = kColorSocket; break;
    case kTypeBlock: type = kColorBlock; break;
    case kTypeChar: type = kColorChar; break;
    case kTypeUnknown: break;
    }
    return type;
}

}  // namespace

void DefaultColors(ColorTable& t) {
    t = ColorTable{};
    const struct {
        ColorIndicator i;
        const char* seq;
    } defaults[] = {{kColorLeft, "\x1b["}, {kColorRight, "m"}, {kColorReset, "0"}, {kColorDir, "01;34"},
                    {kColorLink, "01;36"}, {kColorFifo, "33"}, {kColorSocket, "01;35"}, {kColorBlock, "01;33"},
                    {kColorChar, "01;33"}, {kColorExec, "01;32"}, {kColorDoor, "01;35"}, {kColorSetuid, "37;41"},
                    {kColorSetgid, "30;43"}, {kColorSticky, "37;44"}, {kColorOtherWritable, "34;42"},
                    {kColorStickyOtherWritable, "30;42"}, {kColorClearLine, "\x1b[K"}};
    for (const auto& d : defaults) {
        t.seq[d.i] = d.seq;
        t.set[d.i] = true;
    }
}

bool ParseLsColors(std::string_view lsColors, ColorTable& t, std::string& warning) {
    DefaultColors(t);
    std::string key, value;
    for (size_t p = 0; p < lsColors.size();) {
        if (lsColors[p] == ':') {
            ++p;
            continue;
        }
        if (lsColors[p] == '*') {
            ++p;
            if (!FunkyString(lsColors, p, true, key) || p >= lsColors.size() || lsColors[p] != '=') return false;
            ++p;
            if (!FunkyString(lsColors, p, false, value)) return false;
            t.suffixes.insert(t.suffixes.begin(), {key, value});
            continue;
        }
        // Any two characters make a key, named in the warning only once its '=' is seen.
        if (lsColors.size() - p < 3 || lsColors[p + 2] != '=') return false;
        std::string_view label = lsColors.substr(p, 2);
        p += 3;
        int found = -1;
        for (int i = 0; i < kColorIndicators; ++i)
            if (label == kIndicatorNames[i]) found = i;
        // ls names the key both when it does not know it and when its value has a bad escape.
        if (found < 0 || !FunkyString(lsColors, p, false, value)) {
            warning = "unrecognized prefix: " + Quoted(label);
            return false;
        }
        t.seq[found] = value;
        t.set[found] = true;
    }
    t.linkAsTarget = t.set[kColorLink] && t.seq[kColorLink] == "target";
    return true;
}

bool TermTakesDefaultColors(const char* term, const char* colorTerm) {
    if (colorTerm != nullptr && *colorTerm != '\0') return true;
    if (term == nullptr || *term == '\0') return false;
    // The TERM lines of ls's database (`dircolors -p`), matched as shell patterns.
    static const char* const kKnownTerms[] = {
        "Eterm", "ansi",  "*color*", "con[0-9]*x[0-9]*", "cons25", "console",    "cygwin", "*direct*",
        "dtterm", "gnome", "hurd",   "jfbterm",          "konsole", "kterm",     "linux",  "linux-c",
        "mlterm", "putty", "rxvt*",  "screen*",          "st",      "terminator", "tmux*", "vt100",
        "xterm*"};
    for (const char* pattern : kKnownTerms)
        if (MatchShellPattern(pattern, term)) return true;
    return false;
}

std::string_view ColorStart(const ColorTable& t, std::string_view name, const EntryMeta* m, bool folder,
                            std::string& scratch) {
    ColorIndicator type = ClassOf(t, m, folder);
    const std::string* seq = t.set[type] ? &t.seq[type] : nullptr;
    if (type == kColorFile) {
        for (const ColorTable::Suffix& s : t.suffixes) {
            if (SuffixMatches(name, s.suffix)) {
                seq = &s.seq;
                break;
            }
        }
    }
    scratch.clear();
    const bool normal = Colored(t, kColorNormal);
    if (normal) scratch = t.seq[kColorLeft] + t.seq[kColorNormal] + t.seq[kColorRight];
    if (seq == nullptr) return scratch;
    // Colours are reset first where the normal colour might combine with the name's.
    if (normal) scratch += t.seq[kColorLeft] + t.seq[kColorRight];
    scratch += t.seq[kColorLeft];
    scratch += *seq;
    scratch += t.seq[kColorRight];
    return scratch;
}

std::string ColorEnd(const ColorTable& t) {
    if (t.set[kColorEnd]) return t.seq[kColorEnd];
    return t.seq[kColorLeft] + t.seq[kColorReset] + t.seq[kColorRight];
}

std::string ColorOutputEnd(const ColorTable& t) {
    if (t.seq[kColorLeft] == "\x1b[" && t.seq[kColorRight] == "m") return std::string();
    return t.seq[kColorLeft] + t.seq[kColorRight];
}
