// The command line's messages on standard error: one line each, in English, starting with "arbolin: ".
#pragma once

#include <string>
#include <string_view>

// Writes "arbolin: " + text + "\n" to standard error in one write.
void PrintMessage(std::string_view text);
// `text` in single quotes, escaped as the seam's notices escape paths (\n, \t, \x1b, \xff, \\), so that
// a file name cannot break a message's line.
std::string Quoted(std::string_view text);
// The English description of an errno value, whatever LC_MESSAGES says.
std::string Reason(int error);
