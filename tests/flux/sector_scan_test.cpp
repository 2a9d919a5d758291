#include "flux/sector_scan.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "flux/dpx_track.h"
#include "tests/flux/flux_test_support.h"

namespace {

// The six sectors' states as letters: Good, Id CRC error, Data CRC error, No data field, Missing.
std::string StatesOf(const SectorTrack& track) {
    std::string states;
    for (const ScannedSector& sector : track.sectors) states += "GIDNM"[static_cast<int>(sector.state)];
    return states;
}

std::vector<uint8_t> SectorOf(const std::vector<uint8_t>& content, size_t sector) {
    return std::vector<uint8_t>(content.begin() + sector * 1024,
                                content.begin() + std::min<size_t>(sector * 1024 + 1024, content.size()));
}

// The cell of data bit `bit` (0 the first) of the byte at `byte`.
constexpr uint32_t DataCell(uint32_t byte, uint32_t bit = 0) {
    return byte * 16 + 2 * bit + 1;
}

}  // namespace

TEST(SectorScanTest, ReadsATrackTurnedRoundAsARing) {
    const std::vector<uint8_t> content = RandomTrackBytes(12);
    struct Case {
        const char* what;
        uint32_t turn;   // cells the track is turned by: cell x moves to x + turn
        char fromIndex;  // sector 5 when the same cells are read from the index as a stream
    };
    const Case cases[] = {
        {"as encoded", 0, 'G'},
        {"a few cells on", 7, 'G'},
        {"sector 5's data across the index", 300 * 16, 'D'},
        {"sector 5's data marks across the index", (6250 - DpxDataByte(5) - 1) * 16 + 5, 'N'},
        {"sector 5's ID across the index", (6250 - DpxIdByte(5) - 4) * 16, 'M'},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.what);
        CellTrack track = EncodeDpxTrack(3, 1, content.data());
        std::rotate(track.cells.begin(), track.cells.end() - test.turn, track.cells.end());
        const SectorTrack ring = ScanDpxTrack(track, 3, 1);
        EXPECT_EQ(StatesOf(ring), "GGGGGG");
        for (size_t sector = 0; sector < 6; ++sector)
            EXPECT_EQ(ring.sectors[sector].data, SectorOf(content, sector));
        EXPECT_EQ(ring.sectors[5].idCell, (DpxIdByte(5) * 16 + test.turn) % 100000);
        track.ring = false;
        EXPECT_EQ(StatesOf(ScanDpxTrack(track, 3, 1))[5], test.fromIndex);
        EXPECT_EQ(StatesOf(ScanDpxTrack(track, 3, 0)), "MMMMMM");
    }
}

TEST(SectorScanTest, DamagedCellsGiveTheSectorsStates) {
    const std::vector<uint8_t> content = RandomTrackBytes(5), other = RandomTrackBytes(6);
    struct Case {
        const char* what;
        std::vector<uint32_t> flips;        // cells inverted in the first revolution
        std::vector<uint32_t> secondFlips;  // and in a second revolution, holding `other`
        bool twoRevolutions;
        std::string states;
        size_t fromSecond;  // the sector whose data comes from the second revolution, 6 for none
    };
    const Case cases[] = {
        {"ID CRC of sector 2", {DataCell(DpxIdByte(2) + 9, 3)}, {}, false, "GGIGGG", 6},
        {"data of 3, CRC of 5",
         {DataCell(DpxDataByte(3) + 500), DataCell(DpxDataByte(5) + 516)},
         {},
         false,
         "GGGDGD",
         6},
        {"data marks of sector 1", {(DpxDataByte(1) + 1) * 16 + 4}, {}, false, "GNGGGG", 6},
        {"ID marks of 4, R of 0",
         {DpxIdByte(4) * 16 + 20, DataCell(DpxIdByte(0) + 6, 7)},
         {},
         false,
         "MGGGMG",
         6},
        {"second revolution gives sector 2", {DataCell(DpxDataByte(2) + 9)}, {}, true, "GGGGGG", 2},
        {"first good sector 2 is kept", {}, {DataCell(DpxDataByte(2) + 9)}, true, "GGGGGG", 6},
        {"best of two bad revolutions",
         {DataCell(DpxIdByte(3) + 8)},
         {DataCell(DpxDataByte(3) + 8)},
         true,
         "GGGDGG",
         6},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.what);
        CellTrack track = EncodeDpxTrack(40, 0, content.data());
        for (uint32_t cell : test.flips) track.cells[cell] ^= 1;
        if (test.twoRevolutions) {
            CellTrack second = EncodeDpxTrack(40, 0, other.data());
            for (uint32_t cell : test.secondFlips) second.cells[cell] ^= 1;
            track.cells.insert(track.cells.end(), second.cells.begin(), second.cells.end());
            track.indexCells = {0, 100000};
            track.ring = false;
        }
        const SectorTrack scanned = ScanDpxTrack(track, 40, 0);
        EXPECT_EQ(StatesOf(scanned), test.states);
        for (size_t sector = 0; sector < 6; ++sector) {
            if (test.states[sector] == 'G') {
                EXPECT_EQ(scanned.sectors[sector].data,
                          SectorOf(sector == test.fromSecond ? other : content, sector));
            }
        }
    }
}

TEST(SectorScanTest, FindsTheFieldsWhateverTheGapsAndOrder) {
    const std::vector<uint8_t> content = RandomTrackBytes(9);
    struct Case {
        const char* what;
        TrackGaps gaps;
        uint32_t cells;
        std::vector<size_t> order;
        bool altered;  // sector 1 on cylinder 2, sector 5 with size code 3, sector 2 with deleted data
        std::string states;
    };
    const Case cases[] = {
        {"shuffled", kDpxImageGaps, 100000, {3, 0, 5, 1, 4, 2}, false, "GGGGGG"},
        {"no gaps, no index mark", {0, 0, 22, 1, false}, 100000, {5, 4, 3, 2, 1, 0}, false, "GGGGGG"},
        {"wide gaps on a slow drive", {80, 50, 28, 40, true}, 104000, {0, 1, 2, 3, 4, 5}, false, "GGGGGG"},
        {"gap 2 too long", {20, 20, 40, 24, true}, 102000, {0, 1, 2, 3, 4, 5}, false, "NNNNNN"},
        {"the usual gaps do not fit", {80, 50, 22, 84, true}, 100000, {0, 1, 2, 3, 4, 5}, false, "GGGGGD"},
        {"altered IDs and mark", kDpxImageGaps, 100000, {0, 1, 2, 3, 4, 5}, true, "GMGGGM"},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.what);
        std::vector<TrackSector> sectors = DpxTrackSectors(9, 1, content.data());
        if (test.altered) {
            sectors[1].cylinder = 2;
            sectors[5].sizeCode = 3;
            sectors[2].dataMark = 0xF8;
        }
        std::vector<TrackSector> ordered;
        for (size_t sector : test.order) ordered.push_back(sectors[sector]);
        const SectorTrack scanned = ScanDpxTrack(EncodeMfmTrack(test.gaps, ordered, test.cells), 9, 1);
        EXPECT_EQ(StatesOf(scanned), test.states);
        for (size_t sector = 0; sector < 6; ++sector) {
            if (test.states[sector] == 'G') {
                EXPECT_EQ(scanned.sectors[sector].data, SectorOf(content, sector));
            }
            EXPECT_EQ(scanned.sectors[sector].deleted, sectors[sector].dataMark == 0xF8);
        }
    }
}
