#include "common/status.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "tests/support/console_capture.h"

TEST(StatusRecordTest, FreshRecordIsSuccessWithBlankSeverityAndEmptyMessage) {
    StatusRecord status = InitStatusRecord();
    EXPECT_EQ(status.code, 0);
    EXPECT_EQ(status.severity, ' ');
    EXPECT_STREQ(status.message, "");
}

TEST(StatusRecordTest, MessageLongerThanTheRecordIsCutNotOverflowed) {
    std::string longName(2000, 'x');
    StatusRecord status = MakeStatus(566, 'E', "Problem opening file %s. Error is %u.", longName.c_str(), 2u);
    EXPECT_EQ(status.code, 566);
    EXPECT_EQ(status.severity, 'E');
    EXPECT_EQ(std::strlen(status.message), static_cast<size_t>(kStatusMessageSize - 1));
    EXPECT_EQ(std::string(status.message, 21), "Problem opening file ");
}

TEST(ReportStatusTest, PrintsSeverityWordMessageAndCode) {
    struct Case {
        char severity;
        int32_t code;
        int32_t waitForKey;
        const char* expected;
    };
    const Case cases[] = {
        {'W', 800, 0, "WARNING: M (800)\n"}, {'E', 700, 1, "ERROR: M (700)\n\nPress a key...\n"},
        {'F', 574, 0, "FATAL: M (574)\n"},   {'F', 803, 1, "FATAL: M (803)\n\nPress a key...\n"},
        {'E', 9, 2, "ERROR: M (9)\n"},  // only 1 waits for a key
    };
    for (const Case& c : cases) {
        StartConsoleCapture();
        ReportStatus(MakeStatus(c.code, c.severity, "M"), c.waitForKey);
        EXPECT_EQ(StopConsoleCapture(), c.expected) << c.severity << c.code;
    }
}

TEST(ReportStatusTest, FatalDoesNotEndTheProgram) {
    StartConsoleCapture();
    ReportStatus(MakeStatus(803, 'F', "Inconsistency error."), 0);
    std::printf("still running\n");
    EXPECT_EQ(StopConsoleCapture(), "FATAL: Inconsistency error. (803)\nstill running\n");
}
