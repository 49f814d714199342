// Shell patterns matched without the C library (portable): glibc's fnmatch's reading of a pattern,
// quirks included (an unterminated '[' is an ordinary character unless a member matched before its end;
// a bad class name or a range cut short matches nothing), so both sides filter names alike.
#include "platform/shell_match.h"

#include <string>
#include <vector>

#include "platform/chars.h"

namespace {

constexpr size_t kClassNameMost = 256;  // a longer "[:name:]" makes the pattern match nothing

// The characters of `text` up to its first NUL, then two 0s (so that reading one past the end is safe);
// false where it is not well-formed UTF-8.
bool Decode(std::string_view text, bool bytes, std::vector<int32_t>& out) {
    text = text.substr(0, text.find('\0'));
    out.clear();
    const auto* s = reinterpret_cast<const uint8_t*>(text.data());
    auto length = int32_t(text.size());
    for (int32_t i = 0; i < length;) {
        int32_t c = bytes ? s[i++] : NextUtf8(s, i, length);
        if (c < 0) return false;
        out.push_back(c);
    }
    out.push_back(0);
    out.push_back(0);
    return true;
}

bool AsciiInClass(ShellCharClass type, int32_t c) {
    if (c >= 0x80) return false;
    bool upper = c >= 'A' && c <= 'Z', lower = c >= 'a' && c <= 'z', digit = c >= '0' && c <= '9';
    bool graph = c > ' ' && c < 0x7F;
    switch (type) {
    case kClassAlnum: return upper || lower || digit;
    case kClassAlpha: return upper || lower;
    case kClassBlank: return c == ' ' || c == '\t';
    case kClassCntrl: return c < 0x20 || c == 0x7F;
    case kClassDigit: return digit;
    case kClassGraph: return graph;
    case kClassLower: return lower;
    case kClassPrint: return graph || c == ' ';
    case kClassPunct: return graph && !upper && !lower && !digit;
    case kClassSpace: return c == ' ' || (c >= '\t' && c <= '\r');
    case kClassUpper: return upper;
    case kClassXdigit: return digit || ((c | 0x20) >= 'a' && (c | 0x20) <= 'f');
    default: return false;
    }
}

int32_t AsciiLower(int32_t c) { return c >= 'A' && c <= 'Z' ? c + 32 : c; }

constexpr ShellCharacters kBytes{AsciiLower, AsciiInClass};

// The class a name in "[:name:]" stands for; kShellCharClasses for none.
ShellCharClass ClassNamed(const std::u32string& name) {
    static const char32_t* const names[kShellCharClasses] = {U"alnum", U"alpha", U"blank", U"cntrl", U"digit", U"graph",
                                                             U"lower", U"print", U"punct", U"space", U"upper", U"xdigit"};
    for (int k = 0; k < kShellCharClasses; ++k)
        if (name == names[k]) return ShellCharClass(k);
    return kShellCharClasses;
}

struct Matcher {
    const std::vector<int32_t>& pattern;
    bool ignoreCase;
    const ShellCharacters& characters;

    int32_t Fold(int32_t c) const { return ignoreCase ? characters.lower(c) : c; }

    enum Bracket { kIn, kOut, kLiteral };  // the character is matched; it is not; '[' is an ordinary one

    // After a member matched: the rest of the bracket skipped, `p` after its ']'; kLiteral where it has
    // none.
    Bracket SkipRest(size_t& p, bool negate) const {
        const std::vector<int32_t>& s = pattern;
        for (int32_t c; (c = s[p++]) != ']';) {
            if (c == 0) return kLiteral;
            if (c == '\\') {
                if (s[p] == 0) return kOut;
                ++p;
            } else if (c == '[' && s[p] == ':') {
                size_t start = p, length = 0;
                for (;;) {
                    c = s[++p];
                    if (++length == kClassNameMost) return kOut;
                    if (s[p] == ':' && s[p + 1] == ']') break;
                    if (c < 'a' || c >= 'z') {
                        p = start - 2;
                        break;
                    }
                }
                p += 2;
            } else if (c == '[' && s[p] == '=') {
                if (s[++p] == 0) return kOut;
                if (s[++p] != '=' || s[p + 1] != ']') return kOut;
                p += 2;
            } else if (c == '[' && s[p] == '.') {
                for (;;) {
                    c = s[++p];
                    if (c == 0) return kOut;
                    if (c == '.' && s[p + 1] == ']') break;
                }
                p += 2;
            }
        }
        return negate ? kOut : kIn;
    }

    // "[.x.]" with `p` at its '.': x, `p` after the "]"; false where it is not closed or names more than
    // one character (no collation data names any).
    bool CollatingSymbol(size_t& p, int32_t& symbol) const {
        const std::vector<int32_t>& s = pattern;
        size_t q = p, length = 0;
        for (;;) {
            int32_t d = s[++q];
            if (d == '.' && s[q + 1] == ']') break;
            if (d == 0) return false;
            ++length;
        }
        if (length != 1) return false;
        symbol = s[p + 1];
        p = q + 2;
        return true;
    }

    // The bracket expression whose '[' is just before `p`, for the name's character `n`; `p` after it.
    Bracket Match(size_t& p, int32_t n) const {
        const std::vector<int32_t>& s = pattern;
        bool negate = s[p] == '!' || s[p] == '^';
        if (negate) ++p;
        int32_t fn = Fold(n);
        int32_t c = s[p++];
        for (;;) {
            bool plain = false;       // c is an ordinary member, maybe a range's start
            bool rangeable = false;   // what was read may start a range (`start`)
            int32_t start = 0;
            if (c == '\\') {
                if (s[p] == 0) return kOut;
                c = Fold(s[p++]);
                plain = true;
            } else if (c == '[' && s[p] == ':') {
                size_t q = p;
                std::u32string className;
                bool named = true;
                for (;;) {
                    if (className.size() == kClassNameMost) return kOut;
                    int32_t d = s[++q];
                    if (d == ':' && s[q + 1] == ']') {
                        q += 2;
                        break;
                    }
                    if (d < 'a' || d >= 'z') {
                        named = false;
                        break;
                    }
                    className += char32_t(d);
                }
                if (named) {
                    ShellCharClass type = ClassNamed(className);
                    if (type == kShellCharClasses) return kOut;
                    p = q;
                    if (characters.inClass(type, n)) return SkipRest(p, negate);
                    c = s[p++];
                } else {
                    plain = true;  // '[' itself, then on from the ':'
                }
            } else if (c == '[' && s[p] == '=') {
                // "[=x=]": x itself (no collation data beyond code points)
                size_t q = p;
                int32_t x = s[++q];
                if (x != 0 && s[q + 1] == '=' && s[q + 2] == ']') {
                    p = q + 3;
                    if (n == x) return SkipRest(p, negate);
                    c = s[p++];
                } else {
                    plain = true;
                }
            } else if (c == 0) {
                return kLiteral;
            } else if (c == '[' && s[p] == '.') {
                // "[.x.]": x itself, which may start a range
                int32_t x;
                if (!CollatingSymbol(p, x)) return kOut;
                bool range = s[p] == '-' && s[p + 1] != 0;
                if (!range && n == x) return SkipRest(p, negate);
                start = x;
                rangeable = true;
                c = s[p++];
            } else {
                c = Fold(c);
                plain = true;
            }
            if (plain) {
                bool range = s[p] == '-' && s[p + 1] != 0 && s[p + 1] != ']';
                if (!range && c == fn) return SkipRest(p, negate);
                start = c;
                rangeable = true;
                c = s[p++];
            }
            if (rangeable && c == '-' && s[p] != ']') {
                int32_t end = s[p++];
                if (end == '[' && s[p] == '.') {
                    if (!CollatingSymbol(p, end)) return kOut;
                } else {
                    if (end == '\\') end = s[p++];
                    if (end == 0) return kOut;
                    end = Fold(end);
                }
                if (start <= fn && fn <= end) return SkipRest(p, negate);
                c = s[p++];
            }
            if (c == ']') break;
        }
        return negate ? kIn : kOut;
    }
};

// Matches `pattern` against `name` (both decoded, two 0s after each): each pattern element takes one
// character, so going back to the last '*' and letting it take one more is enough.
bool MatchDecoded(const Matcher& m, const std::vector<int32_t>& name) {
    const std::vector<int32_t>& s = m.pattern;
    size_t nameEnd = name.size() - 2;
    size_t p = 0, n = 0;
    size_t starP = std::string::npos, starN = 0;
    for (;;) {
        if (s[p] == '*') {
            while (s[p] == '*') ++p;
            starP = p;
            starN = n;
            continue;
        }
        bool ok = false;
        size_t next = p + 1;
        if (s[p] == 0) {
            if (n == nameEnd) return true;
        } else if (n < nameEnd) {
            int32_t c = s[p];
            if (c == '?') {
                ok = true;
            } else if (c == '[') {
                Matcher::Bracket b = m.Match(next, name[n]);
                if (b == Matcher::kLiteral) {
                    next = p + 1;
                    ok = m.Fold(name[n]) == '[';
                } else {
                    ok = b == Matcher::kIn;
                }
            } else {
                if (c == '\\') {
                    c = s[next++];
                    if (c == 0) c = -1;  // a backslash at the end matches nothing
                }
                ok = c >= 0 && m.Fold(c) == m.Fold(name[n]);
            }
        }
        if (ok) {
            p = next;
            ++n;
            continue;
        }
        if (starP == std::string::npos || starN >= nameEnd) return false;
        p = starP;
        n = ++starN;
    }
}

}  // namespace

bool MatchShellText(std::string_view pattern, std::string_view name, bool ignoreCase,
                    const ShellCharacters& characters) {
    // Characters first; where they do not match (or do not decode), bytes, as glibc does.
    std::vector<int32_t> p, n;
    if (Decode(pattern, false, p) && Decode(name, false, n) &&
        MatchDecoded(Matcher{p, ignoreCase, characters}, n))
        return true;
    Decode(pattern, true, p);
    Decode(name, true, n);
    return MatchDecoded(Matcher{p, ignoreCase, kBytes}, n);
}
