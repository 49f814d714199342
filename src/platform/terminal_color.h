// Colour on a terminal (platform seam; terminal_color_posix.cpp is the POSIX side): whether a descriptor
// is a terminal the environment lets colour on.
#pragma once

inline constexpr int kStandardOutputFd = 1;

// True when `fd` is a terminal and neither NO_COLOR (set and not empty) nor TERM=dumb asks for plain text.
bool TerminalTakesColor(int fd);
