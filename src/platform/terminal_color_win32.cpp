// Colour on a terminal, Windows side: a console that takes virtual terminal sequences (turned on where the
// console has them off), NO_COLOR and TERM.
#include "platform/terminal_color.h"

#include <cstdlib>
#include <string_view>

#include "platform/io_win32.h"

bool TerminalTakesColor(int fd) {
    const char* noColor = std::getenv("NO_COLOR");
    const char* term = std::getenv("TERM");
    if ((noColor != nullptr && *noColor != '\0') || (term != nullptr && std::string_view(term) == "dumb"))
        return false;
    HANDLE handle = StandardHandle(fd);
    DWORD mode = 0;
    if (!IsConsoleHandle(handle) || !GetConsoleMode(handle, &mode)) return false;
    // A console older than Windows 10 refuses the mode: it would show the sequences as text.
    return (mode & ENABLE_VIRTUAL_TERMINAL_PROCESSING) != 0 ||
           SetConsoleMode(handle, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING) != 0;
}
