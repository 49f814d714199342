// One run of `arbolin` over parsed options: scan, order, render and write the listing; returns the exit
// status. POSIX side.
#pragma once

#include "cli/cli_options.h"

// Exit statuses besides kExitUsage.
inline constexpr int kExitComplete = 0;
// Listed, but some subfolder could not be read, or --gitignore could not read git's index.
inline constexpr int kExitSubfolderUnreadable = 1;
inline constexpr int kExitNoListing = 2;            // no complete listing, or it could not be written

// Expects setlocale(LC_ALL, "") to have been called.
int RunListing(const CliOptions& options);
