// One run of `arbolin` over parsed options: scan, order, render and write the listing; returns the exit
// status. POSIX side.
// `cli` owns the command line: its arguments and help (cli_options.h), the filters, the JSON and Markdown
// formats, where the output goes, the progress line, the messages and the exit statuses. It may use
// `listing`, `render`, `platform` (the POSIX side) and `git` (through git.h alone); nothing uses `cli`
// but its entry point, main.cpp, the tests and the argument parser's fuzz target.
#pragma once

#include "cli/options.h"

// Exit statuses besides kExitUsage.
inline constexpr int kExitComplete = 0;
// Listed, but some subfolder could not be read, or --gitignore could not read git's index.
inline constexpr int kExitSubfolderUnreadable = 1;
inline constexpr int kExitNoListing = 2;            // no complete listing, or it could not be written

// Expects setlocale(LC_ALL, "") to have been called.
int RunListing(const CliOptions& options);
