#include "flux/mfm.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// The 16 cells from `cell` on as a number, the first cell in bit 15.
uint16_t CellsAt(const CellTrack& track, size_t cell) {
    uint16_t cells = 0;
    for (size_t index = 0; index < 16; ++index)
        cells = static_cast<uint16_t>((cells << 1) | track.cells[(cell + index) % track.cells.size()]);
    return cells;
}

}  // namespace

TEST(MfmTest, EncodesBytesWithTheClockRule) {
    struct Case {
        uint8_t byte;
        bool previousBit;
        uint16_t cells;
    };
    const Case cases[] = {
        {0x00, false, 0xAAAA}, {0x00, true, 0x2AAA},  {0xFF, false, 0x5555}, {0xFF, true, 0x5555},
        {0x4E, false, 0x9254}, {0xA1, false, 0x44A9}, {0xC2, false, 0x52A4}, {0xFE, true, 0x5554},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.byte);
        EXPECT_EQ(MfmCells(test.byte, test.previousBit), test.cells);
        EXPECT_EQ(MfmByte(test.cells), test.byte);
    }
}

TEST(MfmTest, WrittenBytesReadBackAndKeepTheRunLengths) {
    // Every byte after every byte, so that each clock cell between bytes is exercised.
    std::vector<uint8_t> bytes;
    for (uint32_t first = 0; first < 256; ++first)
        for (uint32_t second = 0; second < 256; second += 15)
            bytes.insert(bytes.end(), {uint8_t(first), uint8_t(second)});
    CellTrack track;
    CellWriter writer(&track);
    writer.Bytes(bytes.data(), static_cast<uint32_t>(bytes.size()));
    ASSERT_EQ(track.cells.size(), bytes.size() * 16);
    std::vector<uint8_t> read(bytes.size());
    ASSERT_TRUE(ReadMfmBytes(track, 0, static_cast<uint32_t>(read.size()), read.data()));
    EXPECT_EQ(read, bytes);
    // Between two transitions one to three empty cells, never fewer or more (after the first).
    std::string cells(track.cells.begin(), track.cells.end());
    for (char& cell : cells) cell = cell ? '1' : '0';
    EXPECT_EQ(cells.find("11"), std::string::npos);
    EXPECT_EQ(cells.find("0000", cells.find('1')), std::string::npos);
    EXPECT_FALSE(ReadMfmBytes(track, 16, static_cast<uint32_t>(read.size()), read.data()));
}

TEST(MfmTest, WritesTheMarksWithTheirMissingClocks) {
    const uint8_t id[4] = {0x07, 0x01, 0x05, 0x02};
    CellTrack track;
    CellWriter writer(&track);
    writer.Sync();
    writer.IndexMark();
    writer.Sync();
    writer.Field(kIdMark, id, sizeof id);
    struct Case {
        size_t byte;
        uint16_t cells;
    };
    const Case cases[] = {
        {11, 0xAAAA}, {12, 0x5224}, {13, 0x5224}, {14, 0x5224}, {15, 0x5552},  // C2 C2 C2 FC
        {28, 0x4489}, {29, 0x4489}, {30, 0x4489}, {31, 0x5554},                // A1 A1 A1 FE
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.byte);
        EXPECT_EQ(CellsAt(track, test.byte * 16), test.cells);
    }
    uint8_t field[6] = {};
    ASSERT_TRUE(ReadMfmBytes(track, 32 * 16, 6, field));
    EXPECT_EQ(std::vector<uint8_t>(field, field + 6),
              (std::vector<uint8_t>{0x07, 0x01, 0x05, 0x02, 0x60, 0xB6}));
}

TEST(MfmTest, WriterOnARingRunsThroughTheIndex) {
    const uint8_t bytes[5] = {0x12, 0x34, 0x00, 0xFF, 0x4E};
    struct Case {
        uint32_t start;  // cell where the writer begins
    };
    const Case cases[] = {{0}, {1000 - 16}, {1000 - 40}, {1000 - 7}, {1000 + 30}};
    for (const Case& test : cases) {
        SCOPED_TRACE(test.start);
        CellTrack track;
        track.ring = true;
        CellWriter fill(&track);
        fill.Bytes(kGapByte, 1000 / 16);
        track.cells.resize(1000);
        const std::vector<uint8_t> before = track.cells;
        CellWriter writer(&track, test.start);
        writer.Bytes(bytes, sizeof bytes);
        EXPECT_EQ(writer.Cell(), (test.start + 80) % 1000);
        EXPECT_EQ(track.cells.size(), 1000u);
        uint8_t read[5] = {};
        ASSERT_TRUE(ReadMfmBytes(track, test.start, 5, read));
        EXPECT_EQ(std::vector<uint8_t>(read, read + 5), std::vector<uint8_t>(bytes, bytes + 5));
        // The cells outside the written stretch are as they were.
        for (uint32_t cell = 80; cell < 1000; ++cell) {
            const size_t index = (test.start + cell) % 1000;
            ASSERT_EQ(track.cells[index], before[index]) << index;
        }
    }
}
