// Colour on a terminal, POSIX side: isatty, NO_COLOR and TERM.
#include "platform/terminal_color.h"

#include <cstdlib>
#include <string_view>

#include "platform/terminal.h"

bool TerminalTakesColor(int fd) {
    const char* noColor = std::getenv("NO_COLOR");
    const char* term = std::getenv("TERM");
    return IsTerminal(fd) && (noColor == nullptr || *noColor == '\0') &&
           (term == nullptr || std::string_view(term) != "dumb");
}
