#include "dpx/point_packing.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// A data space of three blocks whose sample data starts at 1,024, filled with 0xEE so that
// every byte the packing leaves alone shows.
constexpr int32_t kStart = 1024;

std::vector<uint8_t> PackAll(const std::vector<int32_t>& points, PointCursor* cursor) {
    std::vector<uint8_t> dataSpace(4 * 1024, 0xEE);
    *cursor = InitPointCursor(kStart);
    for (int32_t point : points) PackPoint(dataSpace.data(), cursor, point);
    return dataSpace;
}

// Points that differ in every nibble, repeating every 4,093 (a prime) points.
int32_t PatternPoint(int32_t index) {
    return (index * 2731 + 17) % 4093;
}

}  // namespace

TEST(PointFromValueTest, ExcessCodeHeldWithin12Bits) {
    struct Case {
        int32_t value;
        int32_t point;
    };
    const Case cases[] = {
        {0, 2048},   {15, 2048},    {16, 2049},  {-1, 2047},      {-16, 2047},
        {-17, 2046}, {32767, 4095}, {-32768, 0}, {32768, 4095},   {40000, 4095},
        {-32769, 0}, {-32784, 0},   {-40000, 0}, {1 << 30, 4095}, {-(1 << 30), 0},
    };
    for (const Case& c : cases) EXPECT_EQ(PointFromValue(c.value), c.point) << c.value;
}

TEST(PackPointTest, TwoPointsToAGroupOfThreeBytes) {
    struct Case {
        const char* what;
        std::vector<int32_t> points;
        std::vector<uint8_t> bytes;  // from the start of the sample data
    };
    const Case cases[] = {
        {"two silent points", {0x800, 0x800}, {0x00, 0x88, 0x00, 0xEE}},
        {"high nibbles in byte 1", {0xFFF, 0x001}, {0xFF, 0xF0, 0x01, 0xEE}},
        {"odd count leaves the low nibble and byte 2 zero", {0x123}, {0x23, 0x10, 0x00, 0xEE}},
        {"three points", {0x123, 0x456, 0x789}, {0x23, 0x14, 0x56, 0x89, 0x70, 0x00, 0xEE}},
        {"bits above 12 never reach the neighbour", {0x1ABC, 0x2DEF}, {0xBC, 0xAD, 0xEF, 0xEE}},
        {"no points", {}, {0xEE}},
    };
    for (const Case& c : cases) {
        PointCursor cursor{};
        std::vector<uint8_t> dataSpace = PackAll(c.points, &cursor);
        EXPECT_EQ(dataSpace[kStart - 1], 0xEE) << c.what;
        for (size_t index = 0; index < c.bytes.size(); ++index)
            EXPECT_EQ(dataSpace[kStart + index], c.bytes[index]) << c.what << ", byte " << index;
    }
}

TEST(PackPointTest, A1024ByteBlockHolds682PointsAndLeavesItsLastByte) {
    struct Case {
        int32_t points;
        int32_t position;  // of the cursor afterwards
        int32_t phase;
    };
    const Case cases[] = {
        {1, kStart + 1, kSecondPointOfGroup},       {2, kStart + 3, kFirstPointOfGroup},
        {681, kStart + 1021, kSecondPointOfGroup},  // 340 groups and a first point
        {682, kStart + 1024, kFirstPointOfGroup},   // the unused byte 1,023 is skipped
        {683, kStart + 1025, kSecondPointOfGroup},  {1364, kStart + 2048, kFirstPointOfGroup},
        {1365, kStart + 2049, kSecondPointOfGroup},
    };
    for (const Case& c : cases) {
        std::vector<int32_t> points;
        for (int32_t index = 0; index < c.points; ++index) points.push_back(PatternPoint(index));
        PointCursor cursor{};
        std::vector<uint8_t> dataSpace = PackAll(points, &cursor);
        EXPECT_EQ(cursor.position, c.position) << c.points;
        EXPECT_EQ(cursor.phase, c.phase) << c.points;
        for (int32_t block = 0; block < 2; ++block)
            EXPECT_EQ(dataSpace[kStart + block * 1024 + 1023], 0xEE)
                << c.points << " points, block " << block;
        if (c.points > 682) {
            // Point 682 starts the first group of the second block.
            EXPECT_EQ(dataSpace[kStart + 1024], PatternPoint(682) & 0xFF) << c.points;
            EXPECT_EQ(dataSpace[kStart + 1025] >> 4, PatternPoint(682) >> 8) << c.points;
        }
        // The last point of the first block is the second point of group 340, at bytes 1,020..1,022.
        if (c.points >= 682) {
            EXPECT_EQ(dataSpace[kStart + 1021] & 0x0F, PatternPoint(681) >> 8) << c.points;
            EXPECT_EQ(dataSpace[kStart + 1022], PatternPoint(681) & 0xFF) << c.points;
        }
    }
}

TEST(UnpackPointTest, ReadsBackWhatWasPacked) {
    const int32_t counts[] = {1, 2, 681, 682, 683, 1501};
    for (int32_t count : counts) {
        std::vector<int32_t> points;
        for (int32_t index = 0; index < count; ++index) points.push_back(PatternPoint(index));
        PointCursor packed{};
        std::vector<uint8_t> dataSpace = PackAll(points, &packed);
        PointCursor reader = InitPointCursor(kStart);
        for (int32_t index = 0; index < count; ++index)
            ASSERT_EQ(UnpackPoint(dataSpace.data(), &reader), points[index])
                << count << " points, point " << index;
        EXPECT_EQ(reader.position, packed.position) << count;
        EXPECT_EQ(reader.phase, packed.phase) << count;
    }
}

// Whole groups at a time must leave the bytes and the cursor of one point at a time, from either
// phase, across block ends and with an odd point last.
TEST(PackPointsTest, PacksAsOnePointAtATime) {
    struct Case {
        int32_t before;  // points packed one at a time first
        int32_t count;
    };
    const Case cases[] = {{0, 1}, {0, 2}, {0, 682}, {0, 683}, {1, 681}, {1, 1500}, {3, 1364}, {681, 2}};
    for (const Case& test : cases) {
        std::vector<int32_t> points;
        for (int32_t index = 0; index < test.before + test.count; ++index)
            points.push_back(PatternPoint(index));
        PointCursor one{};
        const std::vector<uint8_t> expected = PackAll(points, &one);
        std::vector<uint8_t> dataSpace(4 * 1024, 0xEE);
        PointCursor cursor = InitPointCursor(kStart);
        for (int32_t index = 0; index < test.before; ++index)
            PackPoint(dataSpace.data(), &cursor, points[index]);
        PackPoints(dataSpace.data(), &cursor, test.count,
                   [&](int32_t index) { return points[test.before + index]; });
        EXPECT_EQ(dataSpace, expected) << test.before << " + " << test.count;
        EXPECT_EQ(cursor.position, one.position) << test.before << " + " << test.count;
        EXPECT_EQ(cursor.phase, one.phase) << test.before << " + " << test.count;
    }
}

TEST(PackedPointSpanTest, CountsWholeBlocksAndTheGroupsOfTheLast) {
    struct Case {
        int32_t points;
        int32_t span;
    };
    const Case cases[] = {
        {0, 0},      {-1, 0},     {1, 3},       {2, 3},           {3, 6},           {681, 1023},
        {682, 1024}, {683, 1027}, {1364, 2048}, {486266, 730112}, {485887, 729544},  // 712 full blocks and
                                                                                     // 303 points in 152
                                                                                     // groups
    };
    for (const Case& c : cases) EXPECT_EQ(PackedPointSpan(c.points), c.span) << c.points;
}
