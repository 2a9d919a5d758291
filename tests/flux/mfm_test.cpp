#include "flux/mfm.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// The 16 cells from `cell` on, the first in bit 15.
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
        {0x00, false, 0xAAAA}, {0x00, true, 0x2AAA},  {0xFF, true, 0x5555},
        {0x4E, false, 0x9254}, {0xA1, false, 0x44A9}, {0xC2, false, 0x52A4},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.byte);
        EXPECT_EQ(MfmCells(test.byte, test.previousBit), test.cells);
        EXPECT_EQ(MfmByte(test.cells), test.byte);
    }
    // Every byte after every byte reads back, and transitions stay one to three empty cells apart.
    std::vector<uint8_t> bytes;
    for (uint32_t pair = 0; pair < 65536; pair += 7)
        bytes.insert(bytes.end(), {uint8_t(pair >> 8), uint8_t(pair)});
    CellTrack track;
    CellWriter(&track).Bytes(bytes.data(), static_cast<uint32_t>(bytes.size()));
    std::vector<uint8_t> read(bytes.size());
    ASSERT_TRUE(ReadMfmBytes(track, 0, static_cast<uint32_t>(read.size()), read.data()));
    EXPECT_EQ(read, bytes);
    std::string cells;
    for (uint8_t cell : track.cells) cells += cell ? '1' : '0';
    EXPECT_EQ(cells.find("11"), std::string::npos);
    EXPECT_EQ(cells.find("0000", cells.find('1')), std::string::npos);
    EXPECT_FALSE(ReadMfmBytes(track, 16, static_cast<uint32_t>(read.size()), read.data()));
}

TEST(MfmTest, WritesTheMarksWithTheirMissingClocks) {
    const uint8_t id[4] = {0x07, 0x01, 0x05, 0x02};
    CellTrack track;
    CellWriter writer(&track);
    writer.IndexMark();
    writer.Field(kIdMark, id, sizeof id);
    const uint16_t cells[] = {0x5224, 0x5224, 0x5224, 0x5552, 0x4489, 0x4489, 0x4489, 0x5554};
    for (size_t byte = 0; byte < 8; ++byte) EXPECT_EQ(CellsAt(track, byte * 16), cells[byte]) << byte;
    uint8_t field[6] = {};
    ASSERT_TRUE(ReadMfmBytes(track, 8 * 16, 6, field));
    EXPECT_EQ(std::vector<uint8_t>(field, field + 6),
              (std::vector<uint8_t>{0x07, 0x01, 0x05, 0x02, 0x60, 0xB6}));
}

TEST(MfmTest, WriterOnARingRunsThroughTheIndex) {
    const std::vector<uint8_t> bytes = {0x12, 0x34, 0x00, 0xFF, 0x4E};
    for (uint32_t start : {0u, 1000u - 16, 1000u - 40, 1000u - 7, 1000u + 30}) {
        SCOPED_TRACE(start);
        CellTrack track;
        track.ring = true;
        track.cells.assign(1000, 1);
        CellWriter writer(&track, start);
        writer.Bytes(bytes.data(), 5);
        EXPECT_EQ(writer.Cell(), (start + 80) % 1000);
        EXPECT_EQ(writer.CellsWritten(), 80u);
        ASSERT_EQ(track.cells.size(), 1000u);
        std::vector<uint8_t> read(5);
        ASSERT_TRUE(ReadMfmBytes(track, start, 5, read.data()));
        EXPECT_EQ(read, bytes);
        // The cells outside the 80 written are as they were.
        for (uint32_t cell = 80; cell < 1000; ++cell)
            ASSERT_EQ(track.cells[(start + cell) % 1000], 1) << cell;
    }
}
