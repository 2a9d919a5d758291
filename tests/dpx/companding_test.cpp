#include "dpx/companding.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "common/trace.h"
#include "tests/support/console_capture.h"

TEST(CompandingTableTest, HoldsTheFixedSteps) {
    struct Case {
        int32_t code;
        int32_t step;
    };
    const Case cases[] = {
        {0, 0},        {1, 4},        {13, 44},      {14, 49},      {15, 52},      {16, 58},
        {47, 383},     {48, 404},     {95, 3470},    {112, 7334},   {122, 11814},  {123, 12262},
        {124, 12710},  {125, 13158},  {126, 13606},  {127, 14054},  {128, 0},      {129, -4},
        {133, -18},    {140, -42},    {143, -54},    {144, -59},    {175, -383},   {176, -404},
        {223, -3471},  {240, -7335},  {250, -11815}, {251, -12262}, {252, -12710}, {253, -13158},
        {254, -13606}, {255, -14054},
    };
    // A table overwritten by mistake is rewritten whole.
    CompandingTable[5] = 999;
    CompandingTable[200] = 999;
    InitCompandingTable();
    for (const Case& c : cases) EXPECT_EQ(CompandingTable[c.code], c.step) << "code " << c.code;
    EXPECT_EQ(CompandingTable[5], 17);
    EXPECT_EQ(CompandingTable[200], -1315);
}

TEST(CompandingTableTest, EachHalfRunsStrictlyAwayFromZero) {
    InitCompandingTable();
    struct Case {
        int32_t first;
        int32_t last;
        int32_t direction;
    };
    const Case cases[] = {{0, 127, 1}, {128, 255, -1}};
    for (const Case& c : cases) {
        EXPECT_EQ(CompandingTable[c.first], 0);
        for (int32_t code = c.first + 1; code <= c.last; ++code)
            EXPECT_GT((CompandingTable[code] - CompandingTable[code - 1]) * c.direction, 0)
                << "code " << code;
    }
}

TEST(DecodeCompandedSampleTest, AddsTheStepLessTheLeak) {
    InitCompandingTable();
    struct Case {
        const char* what;
        int32_t prev;
        int32_t code;
        int32_t expected;
    };
    const Case cases[] = {
        {"zero step from silence", 0, 0, 0},
        {"other zero step from silence", 0, 128, 0},
        {"leak 19", 1000, 0, 981},
        {"leak 19, other zero step", 1000, 128, 981},
        {"below 51 nothing leaks", 50, 0, 50},
        {"negative below 51 nothing leaks", -50, 128, -50},
        {"leak truncates toward zero", -51, 0, -50},
        {"leak of 51", 51, 0, 50},
        {"small step and leak", 100, 1, 103},
        {"largest step", 0, 127, 14054},
        {"smallest step", 0, 255, -14054},
        {"only the low 8 bits of the code count", 0, 0x17F, 14054},
        {"a negative code is its low byte", 0, -1, -14054},
        {"clamped above", 32000, 127, 32767},
        {"clamped below", -32000, 255, -32768},
        {"just below the clamp (leak 366)", 18713, 127, 32401},
    };
    for (const Case& c : cases) EXPECT_EQ(DecodeCompandedSample(0, c.prev, c.code), c.expected) << c.what;
}

TEST(CompandingLeakTest, IsTheTruncatedQuotientOfEveryValue) {
    struct Range {
        const char* name;
        int32_t first;
        int32_t last;
    };
    const Range ranges[] = {
        {"every value the multiplication takes", -kQuickLeakLimit, kQuickLeakLimit},
        {"just past its reach", kQuickLeakLimit + 1, kQuickLeakLimit + 200},
        {"far below", INT32_MIN, INT32_MIN + 200},
        {"far above", INT32_MAX - 200, INT32_MAX},
    };
    for (const Range& range : ranges)
        for (int64_t value = range.first; value <= range.last; ++value)
            ASSERT_EQ(CompandingLeak(static_cast<int32_t>(value)), static_cast<int32_t>(value) / 51)
                << range.name << ", value " << value;
}

TEST(DecodeCompandedSampleTest, ReportsTheClampAtDetailLevel) {
    InitCompandingTable();
    struct Case {
        int8_t trace;
        int32_t prev;
        int32_t code;
        const char* console;
    };
    const Case cases[] = {
        {kTraceDetails, 32000, 127, "Peek avoided for value 45427\n"},
        {kTraceDetails, -32000, 255, "Peek avoided for value -45427\n"},
        {kTraceDetails, 1000, 127, ""},
        {kTraceInits, 32000, 127, ""},
    };
    for (const Case& c : cases) {
        StartConsoleCapture();
        DecodeCompandedSample(c.trace, c.prev, c.code);
        EXPECT_EQ(StopConsoleCapture(), c.console) << c.prev << " level " << static_cast<int>(c.trace);
    }
}

TEST(EncodeCompandedSampleTest, PicksTheNearestStepAndTheHigherCodeOnATie) {
    InitCompandingTable();
    struct Case {
        const char* what;
        int32_t prev;
        int32_t wanted;
        int32_t code;
        int32_t step;
    };
    const Case cases[] = {
        {"no change is coded 0x80", 0, 0, 128, 0},
        {"codes 0, 1 and 128 tie at distance 2", 0, 2, 128, 0},
        {"nearest is code 2", 0, 6, 2, 7},
        {"codes 128 and 129 tie at distance 2", 0, -2, 129, -4},
        {"exact step of the lower half", 0, 42, 12, 42},
        {"exact step of the upper half", 0, -42, 140, -42},
        {"codes 12 and 13 tie at distance 1", 0, 43, 13, 44},
        {"the leak alone", 5100, -100, 128, -100},
        {"largest step less the leak", 5100, 14054, 127, 13954},
        {"beyond the largest step", 0, 20000, 127, 14054},
        {"beyond the smallest step", 0, -20000, 255, -14054},
        {"farther than 65,535 from every step", 0, 80000, 127, 14054},
        {"farther than 65,535 below every step", 0, -80000, 255, -14054},
        {"the largest wanted change", 0, INT32_MAX, 127, 14054},
        {"the smallest wanted change", 0, INT32_MIN, 255, -14054},
        {"from the top, far below", 32767, -100000, 255, -14054 - 642},
    };
    struct Encoder {
        const char* name;
        int32_t (*encode)(int8_t, int32_t, int32_t, EncodedSample*);
    };
    const Encoder encoders[] = {{"table", EncodeCompandedSample}, {"scan", EncodeCompandedSampleByScan}};
    for (const Encoder& encoder : encoders) {
        for (const Case& c : cases) {
            EncodedSample output{-1, -1};
            int32_t code = encoder.encode(0, c.prev, c.wanted, &output);
            EXPECT_EQ(code, c.code) << encoder.name << ": " << c.what;
            EXPECT_EQ(output.code, c.code) << encoder.name << ": " << c.what;
            EXPECT_EQ(output.step, c.step) << encoder.name << ": " << c.what;
        }
    }
}

TEST(EncodeCompandedSampleTest, EveryStepEncodesToItsOwnCodeAndDecodesBack) {
    InitCompandingTable();
    const int32_t prevs[] = {0, 50, -50, 1000, -1000, 5100, 32767, -32768};
    for (int32_t prev : prevs) {
        const int32_t leak = prev / 51;
        for (int32_t code = 0; code < kCompandingCodes; ++code) {
            EncodedSample output{};
            EncodeCompandedSample(0, prev, CompandingTable[code] - leak, &output);
            // Codes 0 and 128 share the zero step; the higher one is chosen.
            EXPECT_EQ(output.code, code == 0 ? 128 : code) << "prev " << prev << " code " << code;
            EXPECT_EQ(output.step, CompandingTable[code] - leak) << "prev " << prev << " code " << code;
            int32_t advanced = prev + output.step;
            int32_t clamped = advanced > 32767 ? 32767 : (advanced < -32768 ? -32768 : advanced);
            EXPECT_EQ(DecodeCompandedSample(0, prev, output.code), clamped)
                << "prev " << prev << " code " << code;
        }
    }
}

TEST(EncodeCompandedSampleTest, AgreesWithTheScanForEveryChangeAndLeak) {
    InitCompandingTable();
    // The choice depends on the wanted change plus the leak: every such sum from -200,000 to
    // 200,000 (far beyond both ends of the steps), and the extreme wanted changes, from running
    // values with no leak, small and large leaks of both signs, and the largest leaks there are.
    struct Case {
        const char* what;
        int32_t prev;
    };
    const Case cases[] = {
        {"silence", 0},
        {"leak 1", 51},
        {"leak -1", -51},
        {"top of 16 bits (leak 642)", 32767},
        {"bottom of 16 bits (leak -642)", -32768},
        {"largest running value", INT32_MAX},
        {"smallest running value", INT32_MIN},
    };
    constexpr int64_t kWidestChange = 200000;
    constexpr int64_t kExtremeWanted = 1000;
    for (const Case& c : cases) {
        const int64_t leak = c.prev / 51;
        std::vector<int64_t> wanted;
        for (int64_t change = -kWidestChange; change <= kWidestChange; ++change)
            wanted.push_back(change - leak);
        for (int64_t i = 0; i < kExtremeWanted; ++i) {
            wanted.push_back(static_cast<int64_t>(INT32_MIN) + i);
            wanted.push_back(static_cast<int64_t>(INT32_MAX) - i);
        }
        int64_t differences = 0;
        std::string first;
        for (int64_t w : wanted) {
            const int32_t wantedChange = static_cast<int32_t>(w);
            EncodedSample fast{-1, -1};
            EncodedSample scanned{-2, -2};
            const int32_t fastCode = EncodeCompandedSample(0, c.prev, wantedChange, &fast);
            const int32_t scannedCode = EncodeCompandedSampleByScan(0, c.prev, wantedChange, &scanned);
            if (fastCode != scannedCode || fast.code != scanned.code || fast.step != scanned.step ||
                fast.code != fastCode) {
                if (differences++ == 0)
                    first = "wanted " + std::to_string(wantedChange) + ": code " + std::to_string(fastCode) +
                            " step " + std::to_string(fast.step) + ", scan code " +
                            std::to_string(scannedCode) + " step " + std::to_string(scanned.step);
            }
        }
        EXPECT_EQ(differences, 0) << c.what << "; first " << first;
    }
}

TEST(EncodeCompandedSampleTest, ChoosesFromTheFixedStepsWithoutTheTable) {
    // The choices and steps are built into the program from the fixed steps, not read from
    // CompandingTable, so encoding needs no InitCompandingTable: with the table cleared the codes
    // and steps stay the same.
    struct Case {
        const char* what;
        int32_t prev;
        int32_t wanted;
        int32_t code;
        int32_t step;
    };
    const Case cases[] = {
        {"no change", 0, 0, 128, 0},
        {"tie between codes 12 and 13", 0, 43, 13, 44},
        {"leak 100", 5100, -100, 128, -100},
        {"largest step less the leak", 5100, 14054, 127, 13954},
        {"smallest step less the leak", -5100, -14054, 255, -13954},
        {"upper half, leak 19", 1000, -1000, 194, -998},
    };
    CompandingTable.fill(0);
    for (const Case& c : cases) {
        EncodedSample output{-1, -1};
        EXPECT_EQ(EncodeCompandedSample(0, c.prev, c.wanted, &output), c.code) << c.what;
        EXPECT_EQ(output.code, c.code) << c.what;
        EXPECT_EQ(output.step, c.step) << c.what;
    }
    InitCompandingTable();
}
