#include "common/trace.h"

#include <gtest/gtest.h>

#include "tests/support/console_capture.h"

namespace {

std::string TraceAt(int8_t level) {
    StartConsoleCapture();
    TraceEnter(level, "ReadImageData");
    TraceInitEnter(level, "InitBank");
    TraceInitEnd(level, "InitBank");
    TraceLine(level, kTraceDetails, "detail %d\n", 7);
    TraceEnd(level, "ReadImageData");
    return StopConsoleCapture();
}

}  // namespace

TEST(TraceTest, EachLevelAddsItsLines) {
    struct Case {
        int8_t level;
        const char* expected;
    };
    const Case cases[] = {
        {0, ""},
        {-1, ""},
        {1, "--ReadImageData--\n--END: ReadImageData--\n"},
        {2, "--ReadImageData--\n--InitBank--\n--END InitBank--\n--END: ReadImageData--\n"},
        {3, "--ReadImageData--\n--InitBank--\n--END InitBank--\ndetail 7\n--END: ReadImageData--\n"},
    };
    for (const Case& c : cases) EXPECT_EQ(TraceAt(c.level), c.expected) << static_cast<int>(c.level);
}
