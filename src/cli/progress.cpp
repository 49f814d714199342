// The progress line of a long scan: carriage return to rewrite it, spaces to erase it, so it
// needs no terminal control sequences.
#include "cli/progress.h"

#include <chrono>

#include "platform/messages.h"
#include "platform/terminal.h"

int64_t ProgressNow() {
    auto now = std::chrono::steady_clock::now().time_since_epoch();
    return std::chrono::duration_cast<std::chrono::nanoseconds>(now).count();
}

void StartProgress(ProgressLine& progress, int fd, int64_t nowNs) {
    progress = ProgressLine{};
    progress.fd = IsTerminal(fd) ? fd : -1;
    progress.startNs = nowNs;
}

void UpdateProgress(ProgressLine& progress, int64_t nowNs, int64_t folders, int64_t files) {
    if (progress.fd < 0 || nowNs - progress.startNs <= kProgressDelayNs) return;
    if (progress.width != 0 && nowNs - progress.shownNs < kProgressPeriodNs) return;
    std::string text = std::string(kProgramName) + ": " + GroupDigits(folders) +
                       (folders == 1 ? " folder, " : " folders, ") + GroupDigits(files) +
                       (files == 1 ? " file" : " files");
    // The counts only grow, so the new line covers the old one; pad in case it did not.
    std::string line = "\r" + text;
    if (text.size() < progress.width) line.append(progress.width - text.size(), ' ');
    WriteToTerminal(progress.fd, line);
    progress.width = text.size() > progress.width ? text.size() : progress.width;
    progress.shownNs = nowNs;
}

void EraseProgress(ProgressLine& progress) {
    if (progress.fd < 0 || progress.width == 0) return;
    std::string line = "\r";
    line.append(progress.width, ' ');
    line += '\r';
    WriteToTerminal(progress.fd, line);
    progress.width = 0;
}

std::string GroupDigits(int64_t value) {
    std::string digits = std::to_string(value < 0 ? -value : value);
    std::string out;
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i != 0 && (digits.size() - i) % 3 == 0) out += ',';
        out += digits[i];
    }
    return value < 0 ? "-" + out : out;
}
