// The Shift_JIS name writers: the Windows program's (bytes as they are, the name limit counted in bytes)
// and the command line's, which also escapes what could break a line (the limit then counts the bytes
// written).
#include "render/name_escape.h"
#include "render/render.h"

namespace {

constexpr size_t kLongName = 17;   // names longer than this are shortened
constexpr size_t kShortName = 14;  // ... to this many bytes, then " …"

bool IsSjisTrail(unsigned char c) { return c >= 0x40 && c <= 0xFC && c != 0x7F; }

// Bytes of `name` that a shortened name keeps: 14, or 13 where byte 14 would be the first half of a
// two-byte character (cutting there would leave a lone lead byte before the ellipsis).
size_t SjisCut(std::string_view name) {
    size_t i = 0;
    while (i < kShortName - 1) i += IsSjisLead(name[i]) ? 2 : 1;
    return (i == kShortName - 1 && IsSjisLead(name[i])) ? kShortName - 1 : kShortName;
}

// True for a byte that is escaped unless it is the trail byte of a two-byte character.
bool IsEscaped(unsigned char c) {
    return c < 0x20 || c == 0x7F || c == kBackslash || c == 0x80 || c == 0xA0 || c >= 0xFD || IsSjisLead(c);
}

// Bytes of an escaped name (longer than 14) that a shortened name keeps: whole pieces of it, a two-byte
// character or an escape (\\, \n, \xNN) never cut, as many as fit in 14 bytes. On a name with nothing
// escaped this is SjisCut.
size_t WrittenCut(std::string_view written) {
    size_t i = 0;
    for (;;) {
        unsigned char c = written[i];
        size_t piece = IsSjisLead(c) ? 2 : c != '\\' ? 1 : written[i + 1] == 'x' ? 4 : 2;
        if (i + piece > kShortName) return i;
        i += piece;
    }
}

// True when EscapeSjis would change `name`. Most names need nothing escaped and are written as they are.
bool NeedsEscape(std::string_view name) {
    for (size_t i = 0; i < name.size(); ++i) {
        unsigned char c = name[i];
        if (IsSjisLead(c) && i + 1 < name.size() && IsSjisTrail(name[i + 1])) {
            ++i;
        } else if (IsEscaped(c)) {
            return true;
        }
    }
    return false;
}

// Shift_JIS bytes with control bytes, the backslash and bytes that form no character escaped; a trail
// byte of a two-byte character (0x5C among them) is part of its character, never escaped.
void EscapeSjis(std::string_view name, std::string& out) {
    out.clear();
    for (size_t i = 0; i < name.size(); ++i) {
        unsigned char c = name[i];
        if (IsSjisLead(c) && i + 1 < name.size() && IsSjisTrail(name[i + 1])) {
            out += name[i];
            out += name[++i];
        } else if (IsEscaped(c)) {
            AppendEscapedByte(out, c);
        } else {
            out += char(c);
        }
    }
}

}  // namespace

void AppendName(TextBuffer& buffer, std::string_view name, bool nameLimit) {
    if (nameLimit && name.size() > kLongName) {
        AppendBounded(buffer, name, SjisCut(name));
        AppendBounded(buffer, kSjisPieces.ellipsis, kSjisPieces.ellipsis.size());
        return;
    }
    AppendBounded(buffer, name, name.size());
}

void AppendNameSjisEscaped(TextBuffer& buffer, std::string_view name, bool nameLimit) {
    // Nothing to escape: the bytes written are the name's, as the Windows program writes them.
    if (!NeedsEscape(name)) {
        AppendName(buffer, name, nameLimit);
        return;
    }
    static thread_local std::string escaped;  // kept from name to name: no allocation per name
    EscapeSjis(name, escaped);
    if (!nameLimit || escaped.size() <= kLongName) {
        AppendBounded(buffer, escaped, escaped.size());
        return;
    }
    AppendBounded(buffer, escaped, WrittenCut(escaped));
    AppendBounded(buffer, kSjisPieces.ellipsis, kSjisPieces.ellipsis.size());
}
