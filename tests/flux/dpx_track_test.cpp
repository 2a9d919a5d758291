#include "flux/dpx_track.h"

#include <gtest/gtest.h>

#include <vector>

#include "flux/mfm.h"
#include "tests/flux/flux_test_support.h"

TEST(DpxTrackTest, LaysOutTheTrackOfImagesInOneRevolution) {
    const std::vector<uint8_t> content = RandomTrackBytes(7);
    const CellTrack track = EncodeDpxTrack(79, 1, content.data());
    ASSERT_EQ(track.cells.size(), 100000u);
    EXPECT_TRUE(track.ring);
    EXPECT_EQ(track.indexCells, std::vector<uint32_t>{0});
    std::vector<uint8_t> bytes(6250);
    ASSERT_TRUE(ReadMfmBytes(track, 0, 6250, bytes.data()));
    // Runs of one byte value, and the bytes of the marks and fields between them.
    struct Run {
        const char* what;
        uint32_t offset;
        std::vector<uint8_t> bytes;
    };
    const Run runs[] = {
        {"gap 4a", 0, std::vector<uint8_t>(20, 0x4E)},
        {"sync", 20, std::vector<uint8_t>(12, 0x00)},
        {"index mark, gap 1", 32, {0xC2, 0xC2, 0xC2, 0xFC, 0x4E, 0x4E}},
        {"sync of sector 0's ID", 55, {0x4E, 0x00}},
        {"ID of sector 0, gap 2", DpxIdByte(0), {0xA1, 0xA1, 0xA1, 0xFE, 79, 1, 0, 3, 0x64, 0x3D, 0x4E}},
        {"sync and mark of sector 0's data", DpxDataByte(0) - 1, {0x00, 0xA1, 0xA1, 0xA1, 0xFB, content[0]}},
        {"gap 3 after sector 2", DpxDataByte(2) + 1030, std::vector<uint8_t>(24, 0x4E)},
        {"ID of sector 5", DpxIdByte(5), {0xA1, 0xA1, 0xA1, 0xFE, 79, 1, 5, 2}},
        {"data of sector 5", DpxDataByte(5) + 4, std::vector<uint8_t>(content.end() - 512, content.end())},
        {"gap 3 and gap 4b", 6180, std::vector<uint8_t>(24 + 46, 0x4E)},
    };
    for (const Run& run : runs) {
        SCOPED_TRACE(run.what);
        EXPECT_EQ(
            std::vector<uint8_t>(bytes.begin() + run.offset, bytes.begin() + run.offset + run.bytes.size()),
            run.bytes);
    }
}

// The packed encoder must give the cells of EncodeMfmTrack bit for bit (HFE files depend on it),
// also when the revolution ends inside a byte or cuts the sectors short.
TEST(DpxTrackTest, PacksTheSameCellsAsTheCellTrack) {
    const std::vector<uint8_t> content = RandomTrackBytes(11);
    std::vector<TrackSector> sectors = DpxTrackSectors(3, 0, content.data());
    sectors[2].dataMark = kDeletedDataMark;
    struct Case {
        const char* what;
        TrackGaps gaps;
        uint32_t cells;
    };
    const Case cases[] = {
        {"the DPX-1 track", kDpxImageGaps, kDpxCellsPerRevolution},
        {"ending inside a byte", kDpxImageGaps, 99995},
        {"cut short in a data field", kDpxImageGaps, 30001},
        {"no index mark, other gaps", {80, 50, 22, 54, false}, kDpxCellsPerRevolution},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.what);
        const CellTrack track = EncodeMfmTrack(test.gaps, sectors, test.cells);
        std::vector<uint8_t> expected((test.cells + 7) / 8, 0);
        for (size_t cell = 0; cell < track.cells.size(); ++cell)
            expected[cell / 8] = static_cast<uint8_t>(expected[cell / 8] | (track.cells[cell] << (cell % 8)));
        std::vector<uint8_t> bits = {1, 2, 3};
        EncodePackedMfmTrack(test.gaps, sectors, test.cells, &bits);
        EXPECT_EQ(bits, expected);
    }
}
