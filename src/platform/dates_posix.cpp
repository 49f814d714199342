// Dates as text and back, POSIX side: localtime_r and strftime one way, strptime the other.
#include "platform/dates.h"

#include <time.h>

void FormatTime(std::string& out, const std::string& format, int64_t seconds) {
    struct tm local {};
    auto t = time_t(seconds);
    if (localtime_r(&t, &local) == nullptr) {
        out = "?";  // a year past what struct tm holds
        return;
    }
    // strftime gives 0 both for an empty result and for one that did not fit: grow, up to a bound.
    size_t room = 64;
    const size_t most = format.size() * 64 + 4096;
    for (;;) {
        out.resize(room);
        size_t n = strftime(out.data(), room, format.c_str(), &local);
        if (n > 0 || room >= most) {
            out.resize(n);
            return;
        }
        room *= 4;
    }
}

std::string IsoTime(int64_t seconds) {
    std::string text;
    FormatTime(text, "%Y-%m-%dT%H:%M:%S%z", seconds);
    if (text.size() > 5 && (text[text.size() - 5] == '+' || text[text.size() - 5] == '-'))
        text.insert(text.size() - 2, ":");
    return text;
}

size_t ReadTime(const char* text, const std::string& format) {
    struct tm parsed {};
    const char* end = strptime(text, format.c_str(), &parsed);
    return end == nullptr ? 0 : size_t(end - text);
}
