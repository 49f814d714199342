// The terminal, POSIX side: isatty, and the variables that turn colour off.
#include "platform/terminal.h"

#include <unistd.h>

#include <cstdlib>
#include <string_view>

bool IsTerminal(int stream) { return isatty(stream) != 0; }

bool TerminalAllowsColor() {
    const char* noColor = std::getenv("NO_COLOR");
    const char* term = std::getenv("TERM");
    return (noColor == nullptr || *noColor == '\0') && (term == nullptr || std::string_view(term) != "dumb");
}
