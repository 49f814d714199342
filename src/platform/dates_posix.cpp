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
    // glibc's strptime reads %s without a sign: the parts between %s go to strptime, each %s is read
    // here, a '-' (a date before 1970) allowed.
    struct tm parsed {};
    const char* at = text;
    size_t from = 0;
    for (;;) {
        size_t seconds = from;
        while ((seconds = format.find('%', seconds)) != std::string::npos && format.compare(seconds, 2, "%s") != 0)
            seconds += format.compare(seconds, 2, "%%") == 0 ? 2 : 1;
        std::string part = format.substr(from, seconds == std::string::npos ? std::string::npos : seconds - from);
        if (!part.empty()) {
            at = strptime(at, part.c_str(), &parsed);
            if (at == nullptr) return 0;
        }
        if (seconds == std::string::npos) break;
        while (*at == ' ' || *at == '\t') ++at;
        const char* digits = at + (*at == '-' || *at == '+');
        if (*digits < '0' || *digits > '9') return 0;
        while (*digits >= '0' && *digits <= '9') ++digits;
        at = digits;
        from = seconds + 2;
    }
    return size_t(at - text);
}
