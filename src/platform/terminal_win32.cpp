// The terminal, Windows side: a console is a standard handle GetConsoleMode answers for; it gets text as
// UTF-16 (WriteConsoleW), anything else the bytes (WriteFile).
#include "platform/terminal.h"

#include "platform/io_win32.h"

bool IsTerminal(int fd) { return IsConsoleHandle(StandardHandle(fd)); }

void WriteToTerminal(int fd, std::string_view bytes) {
    HANDLE handle = StandardHandle(fd);
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE) return;
    if (IsConsoleHandle(handle)) {
        std::string carry;  // messages are whole lines: nothing waits for a next write
        WriteConsoleText(handle, bytes, false, carry, true);
    } else {
        WriteAllBytes(handle, bytes);
    }
}
