// The command line's messages on standard error (POSIX side): one line each, names quoted and escaped.
#include "platform/messages.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/source_posix.h"

void PrintMessage(std::string_view text) {
    std::string line = "arbolin: ";
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
