// The terminal, POSIX side: isatty and write.
#include "platform/terminal.h"

#include <unistd.h>

#include <cerrno>

bool IsTerminal(int fd) { return isatty(fd) != 0; }

void WriteToTerminal(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        ssize_t n = write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return;
        bytes.remove_prefix(static_cast<size_t>(n));
    }
}
