// The terminal: whether a stream goes to one, and whether the environment lets colour on it (POSIX side
// in terminal_posix.cpp).
#pragma once

enum : int { kStandardOutput = 1, kStandardError = 2 };

// The stream (kStandardOutput, kStandardError) goes to a terminal.
bool IsTerminal(int stream);
// Neither NO_COLOR (set and not empty) nor TERM=dumb asks for a terminal without colour.
bool TerminalAllowsColor();
