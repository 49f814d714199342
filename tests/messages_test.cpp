// The command line's messages: one line each with the program's name, and repeated ones capped per kind.
#include <string>

#include <gtest/gtest.h>

#include "platform/messages.h"

namespace {

std::string Lines(const std::string& prefix, int first, int last) {
    std::string out;
    for (int i = first; i <= last; ++i) out += "arbolin: " + prefix + std::to_string(i) + "\n";
    return out;
}

TEST(Messages, CapPerKindAtItsEdges) {
    const struct {
        int sent;
        const char* countLine;  // after the printed ones; empty: none
    } cases[] = {
        {0, ""},
        {1, ""},
        {20, ""},
        {21, "arbolin: 1 more message about unreadable folders not shown\n"},
        {45, "arbolin: 25 more messages about unreadable folders not shown\n"},
    };
    for (const auto& c : cases) {
        testing::internal::CaptureStderr();
        for (int i = 1; i <= c.sent; ++i) PrintCapped("unreadable folders", "cannot read " + std::to_string(i));
        FlushCappedMessages();
        int shown = c.sent < kCappedMessages ? c.sent : int(kCappedMessages);
        EXPECT_EQ(testing::internal::GetCapturedStderr(), Lines("cannot read ", 1, shown) + c.countLine)
            << c.sent << " sent";
    }
}

TEST(Messages, KindsCountApartAndPlainMessagesPassBetween) {
    testing::internal::CaptureStderr();
    for (int i = 1; i <= 23; ++i) {
        PrintCapped("metadata failures", "stat " + std::to_string(i));
        if (i % 4 == 0) PrintCapped("repeated lines", "line " + std::to_string(i));
    }
    PrintMessage("plain");
    FlushCappedMessages();
    // Flushing starts the counts again.
    PrintCapped("metadata failures", "stat again");
    FlushCappedMessages();
    std::string expected;
    for (int i = 1; i <= 23; ++i) {
        if (i <= 20) expected += "arbolin: stat " + std::to_string(i) + "\n";
        if (i % 4 == 0) expected += "arbolin: line " + std::to_string(i) + "\n";
    }
    expected += "arbolin: plain\n"
                "arbolin: 3 more messages about metadata failures not shown\n"
                "arbolin: stat again\n";
    EXPECT_EQ(testing::internal::GetCapturedStderr(), expected);
}

}  // namespace
