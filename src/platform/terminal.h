// The terminal (platform seam; terminal_posix.cpp is the POSIX side): whether a descriptor is one, and
// best-effort writes to it for the progress line.
#pragma once

#include <string_view>

inline constexpr int kStandardErrorFd = 2;

// True when `fd` is a terminal.
bool IsTerminal(int fd);
// Writes all of `bytes` to `fd` (standard error's messages too, terminal or not), retrying interrupted
// writes; a failing terminal only loses the text. A Windows console gets the UTF-8 as UTF-16.
void WriteToTerminal(int fd, std::string_view bytes);
