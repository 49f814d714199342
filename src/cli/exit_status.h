// The exit statuses of `arbolin` and the one place where what went wrong on the way becomes one: each
// cause is named where the run merges it. No platform code.
#pragma once

// 0: the listing is complete; 1: listed, with problems (each one reported as it was met); 2: no listing,
// or it could not be written; 64: a usage error (the argument parser's verdict, before any run).
inline constexpr int kExitComplete = 0;
inline constexpr int kExitListedWithProblems = 1;
inline constexpr int kExitNoListing = 2;
inline constexpr int kExitUsage = 64;

// What can go wrong after the arguments were accepted.
enum class ExitCause {
    kUnreadableSubfolder,  // a subfolder could not be read: listed without its entries
    kGitWarning,           // --gitignore could not read all of git's state
    kMetadataFailure,      // an entry's size, times or mode could not be looked at
    kRepeatedListLine,     // --fromfile: a line named an entry an earlier line named
    kUnplacedParseLine,    // --parse: a line could not be placed in the listing
    kNoListing,            // nothing listed, or the listing could not be written
};

// `status` becomes the worse of itself and the cause's status (complete, then listed with problems,
// then no listing), so causes merge in any order.
void MergeExit(int& status, ExitCause cause);
