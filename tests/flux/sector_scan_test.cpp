#include "flux/sector_scan.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <vector>

#include "flux/dpx_track.h"
#include "tests/flux/flux_test_support.h"

namespace {

using States = std::array<SectorState, 6>;
constexpr SectorState kGood = SectorState::kGood;
constexpr States kAllGood = {kGood, kGood, kGood, kGood, kGood, kGood};

States StatesOf(const SectorTrack& track) {
    States states{};
    for (size_t sector = 0; sector < 6; ++sector) states[sector] = track.sectors[sector].state;
    return states;
}

// The sector's bytes as the track holds them.
std::vector<uint8_t> SectorOf(const std::vector<uint8_t>& content, size_t sector) {
    return std::vector<uint8_t>(content.begin() + sector * 1024,
                                content.begin() + std::min<size_t>(sector * 1024 + 1024, content.size()));
}

// Inverts the cell of the given data bit (0 the first) of the byte at `byte`.
void FlipDataBit(CellTrack* track, uint32_t byte, uint32_t bit = 0) {
    track->cells[byte * 16 + 2 * bit + 1] ^= 1;
}

}  // namespace

TEST(SectorScanTest, ReadsATrackRotatedAsARing) {
    const std::vector<uint8_t> content = RandomTrackBytes(12);
    struct Case {
        const char* what;
        uint32_t rotation;      // cells the track is turned by: cell x moves to x + rotation
        SectorState fromIndex;  // sector 5 when the same cells are read from the index as a stream
    };
    const Case cases[] = {
        {"as encoded", 0, kGood},
        {"a few cells on", 7, kGood},
        {"sector 5's data across the index", 300 * 16, SectorState::kDataCrcError},
        {"sector 5's data marks across the index", (6250 - DpxDataByte(5) - 1) * 16 + 5,
         SectorState::kNoDataField},
        {"sector 5's ID across the index", (6250 - DpxIdByte(5) - 4) * 16, SectorState::kMissing},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.what);
        CellTrack track = EncodeDpxTrack(3, 1, content.data());
        std::rotate(track.cells.begin(), track.cells.end() - test.rotation, track.cells.end());
        const SectorTrack ring = ScanDpxTrack(track, 3, 1);
        EXPECT_EQ(StatesOf(ring), kAllGood);
        for (size_t sector = 0; sector < 6; ++sector)
            EXPECT_EQ(ring.sectors[sector].data, SectorOf(content, sector));
        EXPECT_EQ(ring.sectors[5].idCell, (DpxIdByte(5) * 16 + test.rotation) % 100000);
        track.ring = false;
        EXPECT_EQ(ScanDpxTrack(track, 3, 1).sectors[5].state, test.fromIndex);
        EXPECT_EQ(ScanDpxTrack(track, 3, 0).sectors[0].state, SectorState::kMissing);
    }
}

TEST(SectorScanTest, DamagedCellsGiveTheSectorsState) {
    const std::vector<uint8_t> content = RandomTrackBytes(5);
    const std::vector<uint8_t> other = RandomTrackBytes(6);
    struct Case {
        const char* what;
        void (*damageFirst)(CellTrack*);
        void (*damageSecond)(CellTrack*);  // null: one revolution, read as a ring
        States states;
        size_t fromOther;  // a sector whose data comes from the second revolution, 6 for none
    };
    const SectorState id = SectorState::kIdCrcError, data = SectorState::kDataCrcError,
                      none = SectorState::kNoDataField, missing = SectorState::kMissing;
    const Case cases[] = {
        {"ID CRC of sector 2",
         [](CellTrack* t) { FlipDataBit(t, DpxIdByte(2) + 9, 3); },
         nullptr,
         {kGood, kGood, id, kGood, kGood, kGood},
         6},
        {"data of sector 3 and CRC of sector 5",
         [](CellTrack* t) {
             FlipDataBit(t, DpxDataByte(3) + 500);
             FlipDataBit(t, DpxDataByte(5) + 4 + 512);
         },
         nullptr,
         {kGood, kGood, kGood, data, kGood, data},
         6},
        {"data marks of sector 1",
         [](CellTrack* t) { t->cells[(DpxDataByte(1) + 1) * 16 + 4] ^= 1; },
         nullptr,
         {kGood, none, kGood, kGood, kGood, kGood},
         6},
        {"ID marks of sector 4, R of sector 0",
         [](CellTrack* t) {
             t->cells[DpxIdByte(4) * 16 + 20] ^= 1;
             FlipDataBit(t, DpxIdByte(0) + 6, 7);
         },
         nullptr,
         {missing, kGood, kGood, kGood, missing, kGood},
         6},
        {"second revolution gives sector 2 good", [](CellTrack* t) { FlipDataBit(t, DpxDataByte(2) + 9); },
         [](CellTrack*) {}, kAllGood, 2},
        {"first good sector 4 is kept", [](CellTrack*) {},
         [](CellTrack* t) { FlipDataBit(t, DpxDataByte(2) + 9); }, kAllGood, 6},
        {"best of two bad revolutions",
         [](CellTrack* t) { FlipDataBit(t, DpxIdByte(3) + 8); },
         [](CellTrack* t) { FlipDataBit(t, DpxDataByte(3) + 8); },
         {kGood, kGood, kGood, data, kGood, kGood},
         6},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.what);
        CellTrack track = EncodeDpxTrack(40, 0, content.data());
        test.damageFirst(&track);
        if (test.damageSecond != nullptr) {
            CellTrack second = EncodeDpxTrack(40, 0, other.data());
            test.damageSecond(&second);
            track.cells.insert(track.cells.end(), second.cells.begin(), second.cells.end());
            track.indexCells = {0, 100000};
            track.ring = false;
        }
        const SectorTrack scanned = ScanDpxTrack(track, 40, 0);
        EXPECT_EQ(StatesOf(scanned), test.states);
        for (size_t sector = 0; sector < 6; ++sector)
            if (test.states[sector] == kGood) {
                EXPECT_EQ(scanned.sectors[sector].data,
                          SectorOf(sector == test.fromOther ? other : content, sector));
            }
    }
}

TEST(SectorScanTest, FindsTheFieldsWhateverTheGapsAndOrder) {
    const std::vector<uint8_t> content = RandomTrackBytes(9);
    const SectorState none = SectorState::kNoDataField, missing = SectorState::kMissing;
    struct Case {
        const char* what;
        TrackGaps gaps;
        uint32_t cells;
        std::vector<size_t> order;
        void (*change)(std::vector<TrackSector>*);
        States states;
    };
    const Case cases[] = {
        {"shuffled", kDpxImageGaps, 100000, {3, 0, 5, 1, 4, 2}, nullptr, kAllGood},
        {"no gaps, no index mark", {0, 0, 22, 1, false}, 100000, {5, 4, 3, 2, 1, 0}, nullptr, kAllGood},
        {"wide gaps on a slow drive", {80, 50, 28, 40, true}, 104000, {0, 1, 2, 3, 4, 5}, nullptr, kAllGood},
        {"gap 2 too long",
         {20, 20, 40, 24, true},
         102000,
         {0, 1, 2, 3, 4, 5},
         nullptr,
         {none, none, none, none, none, none}},
        {"the usual gaps do not fit",
         {80, 50, 22, 84, true},
         100000,
         {0, 1, 2, 3, 4, 5},
         nullptr,
         {kGood, kGood, kGood, kGood, kGood, SectorState::kDataCrcError}},
        {"other cylinder, other size",
         kDpxImageGaps,
         100000,
         {0, 1, 2, 3, 4, 5},
         [](std::vector<TrackSector>* s) {
             (*s)[1].cylinder = 2;
             (*s)[5].sizeCode = 3;
         },
         {kGood, missing, kGood, kGood, kGood, missing}},
        {"deleted data",
         kDpxImageGaps,
         100000,
         {0, 1, 2, 3, 4, 5},
         [](std::vector<TrackSector>* s) { (*s)[2].dataMark = 0xF8; },
         kAllGood},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.what);
        std::vector<TrackSector> sectors = DpxTrackSectors(9, 1, content.data());
        if (test.change != nullptr) test.change(&sectors);
        std::vector<TrackSector> ordered;
        for (size_t sector : test.order) ordered.push_back(sectors[sector]);
        const SectorTrack scanned = ScanDpxTrack(EncodeMfmTrack(test.gaps, ordered, test.cells), 9, 1);
        EXPECT_EQ(StatesOf(scanned), test.states);
        for (size_t sector = 0; sector < 6; ++sector) {
            if (test.states[sector] == kGood) {
                EXPECT_EQ(scanned.sectors[sector].data, SectorOf(content, sector));
            }
            EXPECT_EQ(scanned.sectors[sector].deleted, sectors[sector].dataMark == 0xF8);
        }
    }
}
