// The command line's messages on standard error (platform seam, POSIX side in messages.cpp): one line
// each, in English, starting with the program's name, printed as they occur. Every message of `arbolin`
// goes through PrintMessage (or PrintCapped); callers return what went wrong and name it here.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

inline constexpr std::string_view kProgramName = "arbolin";

// Writes "arbolin: " + text + "\n" to standard error in one write.
void PrintMessage(std::string_view text);
// `text` in single quotes, escaped as the seam's notices escape paths (\n, \t, \x1b, \xff, \\), so that
// a file name cannot break a message's line.
std::string Quoted(std::string_view text);
// The English description of an errno value, whatever LC_MESSAGES says.
std::string Reason(int error);

// Messages that may repeat by the thousand (one per entry, say) are capped per kind: the first
// kCappedMessages of a kind are printed as they come, the rest only counted, and FlushCappedMessages
// prints one line per kind that passed the cap. `kind` names what the messages are about, as in
// "unreadable folders": "arbolin: 35 more messages about unreadable folders not shown".
inline constexpr int64_t kCappedMessages = 20;
void PrintCapped(std::string_view kind, std::string_view text);
// The count lines, in the order the kinds first came; the counts start again from zero.
void FlushCappedMessages();
