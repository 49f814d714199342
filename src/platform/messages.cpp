// The command line's messages on standard error (both sides): one line each, names quoted and escaped,
// repeated ones capped per kind; written through terminal.h (a Windows console gets them as UTF-16).
#include "platform/messages.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/chars.h"
#include "platform/disk_source.h"
#include "platform/terminal.h"

namespace {

struct CappedKind {
    std::string kind;
    int64_t printed = 0, held = 0;
};

// A handful of kinds at most: a list searched in order keeps the count lines in the order they began.
std::vector<CappedKind>& CappedKinds() {
    static std::vector<CappedKind> kinds;
    return kinds;
}

// Length of the well-formed UTF-8 character at text[i], or 0 when the bytes there are not one.
size_t CharacterLength(std::string_view text, size_t i) {
    const auto* p = reinterpret_cast<const uint8_t*>(text.data()) + i;
    int32_t n = 0;
    return NextUtf8(p, n, int32_t(std::min<size_t>(text.size() - i, 4))) < 0 ? 0 : size_t(n);
}

}  // namespace

void PrintMessage(std::string_view text) {
    std::string line(kProgramName);
    line += ": ";
    line.append(text);
    line += '\n';
    // Best effort: a failing standard error has nowhere to be reported.
    WriteToTerminal(kStandardErrorFd, line);
}

std::string Quoted(std::string_view text) { return "'" + EscapeForNotice(text) + "'"; }

std::string Reason(int error) {
#ifdef _WIN32
    // msvcrt's texts are English whatever the locale, but its 36 is EDEADLK: the seam's too-long paths
    // carry Linux's ENAMETOOLONG value.
    if (error == kErrorPathTooLong) return "File name too long";
    const char* text = std::strerror(error);
#else
    const char* text = strerrordesc_np(error);
#endif
    return text != nullptr ? std::string(text) : "error " + std::to_string(error);
}

void PrintCapped(std::string_view kind, std::string_view text) {
    std::vector<CappedKind>& kinds = CappedKinds();
    size_t k = 0;
    while (k < kinds.size() && kinds[k].kind != kind) ++k;
    if (k == kinds.size()) kinds.push_back(CappedKind{std::string(kind)});
    if (kinds[k].printed < kCappedMessages) {
        ++kinds[k].printed;
        PrintMessage(text);
    } else {
        ++kinds[k].held;
    }
}

void FlushCappedMessages() {
    for (const CappedKind& k : CappedKinds()) {
        if (k.held == 0) continue;
        PrintMessage(std::to_string(k.held) + (k.held == 1 ? " more message about " : " more messages about ") +
                     k.kind + " not shown");
    }
    CappedKinds().clear();
}

std::string EscapeForNotice(std::string_view bytes) {
    std::string out;
    auto hex = [&out](unsigned char c) {
        out += "\\x";
        AppendHexByte(out, c);
    };
    for (size_t i = 0; i < bytes.size();) {
        auto c = static_cast<unsigned char>(bytes[i]);
        size_t len = CharacterLength(bytes, i);
        bool c1 = len == 2 && c == 0xC2 && static_cast<unsigned char>(bytes[i + 1]) < 0xA0;
        bool lineSeparator = len == 3 && bytes.substr(i, 2) == "\xE2\x80" &&
                             (bytes[i + 2] == '\xA8' || bytes[i + 2] == '\xA9');
        if (c == kBackslash) {  // as the name writers: where a name may hold one
            out += "\\\\";
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\t') {
            out += "\\t";
        } else if (c == '\r') {
            out += "\\r";
        } else if (len == 0 || c < 0x20 || c == 0x7F || c1 || lineSeparator) {
            size_t n = len == 0 ? 1 : len;
            for (size_t k = 0; k < n; ++k) hex(static_cast<unsigned char>(bytes[i + k]));
            i += n;
            continue;
        } else {
            out.append(bytes.substr(i, len));
            i += len;
            continue;
        }
        ++i;
    }
    return out;
}

std::string UnreadableMessage(std::string_view path, int error) {
    return "cannot read " + Quoted(path) + ": " + Reason(error);
}
