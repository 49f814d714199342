// The running count a long scan shows on standard error: "arbolin: N folders, M files", rewritten in
// place, only when standard error is a terminal and the scan has run for more than about a second.
#pragma once

#include <cstdint>
#include <string>

struct ProgressLine {
    int fd = -1;            // where the line goes; -1: never shown
    int64_t startNs = 0;    // when the scan began (monotonic clock)
    int64_t shownNs = 0;    // when the line was last written
    size_t width = 0;       // bytes of the line now shown; 0: nothing shown
};

inline constexpr int64_t kProgressDelayNs = 1000000000;   // quiet for the first second
inline constexpr int64_t kProgressPeriodNs = 100000000;   // then rewritten at most ten times a second

// The monotonic clock in nanoseconds.
int64_t ProgressNow();
// Starts the count at `nowNs`: shown on `fd` later only if `fd` is a terminal.
void StartProgress(ProgressLine& progress, int fd, int64_t nowNs);
// Rewrites the line with the counts so far, once the delay has passed.
void UpdateProgress(ProgressLine& progress, int64_t nowNs, int64_t folders, int64_t files);
// Erases the line (before a message, and when the scan is done); it comes back at the next update.
void EraseProgress(ProgressLine& progress);
// "1,234,567": counts are easier to read with thousands separators.
std::string GroupDigits(int64_t value);
