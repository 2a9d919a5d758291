#include "dpx/sorted_samples.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/trace.h"
#include "tests/dpx/test_bank.h"
#include "tests/support/console_capture.h"

namespace {

struct Entry {
    int32_t number;
    int32_t start;
    int32_t end;
};

SortedSampleList SortedOf(const std::vector<TestSample>& samples, int32_t numberOfSamples) {
    BankPointer bank = MakeTestBank(1280, 1280, samples, {});
    SortedSampleList list;
    BuildSortedSampleList(numberOfSamples, bank->Samples, &list);
    return list;
}

}  // namespace

TEST(BuildSortedSampleListTest, SelectsByStartAddress) {
    struct Case {
        const char* what;
        std::vector<TestSample> samples;  // number, start, size
        int32_t numberOfSamples;
        std::vector<Entry> entries;  // every entry in use
        int32_t filled;
    };
    const Case cases[] = {
        {"address order, not list order",
         {{1, 9000, 100}, {2, 3000, 500}, {3, 6000, 1}},
         3,
         {{2, 3000, 3500}, {3, 6000, 6001}, {1, 9000, 9100}},
         3},
        {"of equal starts the first in list order wins",
         {{1, 5000, 100}, {2, 5000, 200}, {3, 7000, 100}},
         3,
         {{1, 5000, 5100}, {3, 7000, 7100}, {0, 0, 0}},
         2},
        {"a start of 500,000 or more is never selected",
         {{1, 500000, 10}, {2, 499999, 1}},
         2,
         {{2, 499999, 500000}, {0, 0, 0}},
         1},
        {"a negative start compares as a huge unsigned value",
         {{1, -5, 15}, {2, 1300, 100}},
         2,
         {{2, 1300, 1400}, {0, 0, 0}},
         1},
        {"a start of 0 is never above the starting point",
         {{1, 0, 100}, {2, 1280, 20}},
         2,
         {{2, 1280, 1300}, {0, 0, 0}},
         1},
        {"fewer wanted than listed takes the lowest starts",
         {{1, 9000, 100}, {2, 3000, 500}, {3, 6000, 1}},
         2,
         {{2, 3000, 3500}, {3, 6000, 6001}},
         2},
        {"more wanted than listed leaves empty entries",
         {{1, 2000, 10}, {2, 1500, 10}},
         4,
         {{2, 1500, 1510}, {1, 2000, 2010}, {0, 0, 0}, {0, 0, 0}},
         2},
        {"no samples", {}, 0, {}, 0},
        {"a negative count is none", {{1, 2000, 10}}, -1, {}, 0},
    };
    for (const Case& c : cases) {
        SortedSampleList list = SortedOf(c.samples, c.numberOfSamples);
        ASSERT_EQ(list.Count, static_cast<int32_t>(c.entries.size())) << c.what;
        EXPECT_EQ(list.Filled, c.filled) << c.what;
        for (int32_t index = 0; index < kSortedSampleEntries; ++index) {
            Entry expected = index < list.Count ? c.entries[index] : Entry{0, 0, 0};
            EXPECT_EQ(list.Entries[index].SampleNumber, expected.number) << c.what << ", entry " << index;
            EXPECT_EQ(list.Entries[index].Start, expected.start) << c.what << ", entry " << index;
            EXPECT_EQ(list.Entries[index].End, expected.end) << c.what << ", entry " << index;
        }
    }
}

TEST(BuildSortedSampleListTest, HoldsAtMost99Samples) {
    std::vector<TestSample> samples;
    for (int32_t number = 1; number <= 120; ++number)
        samples.push_back({number, 1000 + 10 * (121 - number), 5});
    SortedSampleList list = SortedOf(samples, 120);
    EXPECT_EQ(list.Count, 99);
    EXPECT_EQ(list.Filled, 99);
    EXPECT_EQ(list.Entries[0].SampleNumber, 120);
    EXPECT_EQ(list.Entries[98].SampleNumber, 22);
    EXPECT_EQ(list.Entries[99].SampleNumber, 0);
}

TEST(BuildSortedSampleListTest, GapSumAndParityColumns) {
    struct Column {
        int32_t gapSum;
        int32_t parity;
    };
    struct Case {
        const char* what;
        std::vector<TestSample> samples;
        int32_t numberOfSamples;
        std::vector<Column> columns;
    };
    const Case cases[] = {
        // Gaps 50 and 49; sizes 100 and 1 before entries 1 and 2.
        {"gaps add up", {{1, 1300, 100}, {2, 1450, 1}, {3, 1500, 100}}, 3, {{0, 0}, {50, 0}, {99, 1}}},
        {"overlap is a negative gap", {{1, 1300, 100}, {2, 1350, 5}}, 2, {{0, 0}, {-50, 0}}},
        {"odd first sample", {{1, 1300, 1}}, 1, {{0, 1}}},
        {"an empty entry after the last sample", {{1, 1300, 101}}, 2, {{0, 1}, {-1401, 1}}},
    };
    for (const Case& c : cases) {
        SortedSampleList list = SortedOf(c.samples, c.numberOfSamples);
        for (size_t index = 0; index < c.columns.size(); ++index) {
            EXPECT_EQ(list.Entries[index].GapSum, c.columns[index].gapSum) << c.what << ", entry " << index;
            EXPECT_EQ(list.Entries[index].Parity, c.columns[index].parity) << c.what << ", entry " << index;
        }
    }
}

TEST(FindSortedSampleTest, OnlyFilledEntriesAreFound) {
    SortedSampleList list = SortedOf({{4, 9000, 100}, {7, 3000, 500}}, 3);
    struct Case {
        int32_t number;
        int32_t index;
    };
    const Case cases[] = {{7, 0}, {4, 1}, {5, -1}, {0, -1}, {-1, -1}};
    for (const Case& c : cases) EXPECT_EQ(FindSortedSample(list, c.number), c.index) << c.number;
}

TEST(TraceSortedSampleListTest, FiveColumnsPerEntry) {
    SortedSampleList list = SortedOf({{1, 1300, 100}, {2, 1450, 1}}, 3);
    struct Case {
        int8_t trace;
        int8_t threshold;
        std::string console;
    };
    const std::string lines =
        "--Sorted sample list (3 samples)--\n1 1300 1400 0 0 \n2 1450 1451 50 0 \n0 0 0 -1401 1 \n";
    const Case cases[] = {
        {kTraceCalls, kTraceCalls, lines},
        {kTraceDetails, kTraceCalls, lines},
        {kTraceInits, kTraceDetails, ""},
        {0, kTraceCalls, ""},
    };
    for (const Case& c : cases) {
        StartConsoleCapture();
        TraceSortedSampleList(c.trace, c.threshold, list);
        EXPECT_EQ(StopConsoleCapture(), c.console) << static_cast<int>(c.trace);
    }
}
