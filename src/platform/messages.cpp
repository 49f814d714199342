// The command line's messages on standard error (POSIX side): one line each, names quoted and escaped,
// repeated ones capped per kind.
#include "platform/messages.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "platform/source_posix.h"

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

}  // namespace

void PrintMessage(std::string_view text) {
    std::string line(kProgramName);
    line += ": ";
    line.append(text);
    line += '\n';
    // Best effort: a failing standard error has nowhere to be reported.
    size_t done = 0;
    while (done < line.size()) {
        ssize_t n = write(STDERR_FILENO, line.data() + done, line.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return;
        done += static_cast<size_t>(n);
    }
}

std::string Quoted(std::string_view text) { return "'" + EscapeForNotice(text) + "'"; }

std::string Reason(int error) {
    const char* text = strerrordesc_np(error);
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
