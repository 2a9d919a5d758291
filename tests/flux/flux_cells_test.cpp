#include "flux/flux_cells.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/flux/flux_test_support.h"

namespace {

CellTrack RingOf(const std::string& cells, uint32_t cellRate) {
    CellTrack track;
    track.cellRate = cellRate;
    track.ring = true;
    track.indexCells = {0};
    for (char cell : cells) track.cells.push_back(cell == '1' ? 1 : 0);
    return track;
}

}  // namespace

TEST(CellsToFluxTest, PlacesEachTransitionAtItsCellCentreWithoutAddingUpTheRounding) {
    struct Case {
        const char* what;
        std::string cells;
        uint32_t cellRate;
        uint32_t revolutions;
        std::vector<uint32_t> intervals;
        std::vector<uint32_t> revolutionEnds;
        std::vector<uint32_t> revolutionTicks;
    };
    const Case cases[] = {
        {"2 µs cells, one revolution", "0100100010", 500000, 1, {120, 240, 320}, {3}, {800}},
        {"the interval across the index",
         "0100100010",
         500000,
         2,
         {120, 240, 320, 240, 240, 320},
         {3, 6},
         {800, 800}},
        // 133 1/3 ticks a cell: centres at 66.7, 333.3, 600, 866.7 ticks, rounded down one by one.
        {"a cell of a third of a tick more", "1010101", 300000, 1, {66, 267, 267, 266}, {4}, {933}},
        {"no transition", "0000", 500000, 2, {}, {0, 0}, {320, 320}},
    };
    for (const Case& c : cases) {
        const FluxTrack flux = CellsToFlux(RingOf(c.cells, c.cellRate), c.revolutions);
        EXPECT_EQ(flux.ticksPerSecond, kFluxTicksPerSecond) << c.what;
        EXPECT_EQ(flux.intervals, c.intervals) << c.what;
        EXPECT_EQ(flux.revolutionEnds, c.revolutionEnds) << c.what;
        EXPECT_EQ(flux.revolutionTicks, c.revolutionTicks) << c.what;
    }
}

TEST(FluxToCellsTest, GivesBackTheCellsOfADriveOffSpeedWithJitteredIntervals) {
    struct Case {
        const char* what;
        const PllSettings& settings;
        double speed;
        double jitter;
        uint32_t seed;
    };
    const Case cases[] = {
        {"normal, exact flux", kPllNormal, 1.0, 0.0, 1},
        {"normal, 3 % fast, ±10 %", kPllNormal, 1.03, 0.10, 2},
        {"normal, 3 % slow, ±10 %", kPllNormal, 0.97, 0.10, 3},
        {"normal, 3 % slow, ±10 %, another disk", kPllNormal, 0.97, 0.10, 4},
        {"steady, exact flux", kPllSteady, 1.0, 0.0, 5},
        {"steady, 3 % fast, ±10 %", kPllSteady, 1.03, 0.10, 6},
        {"steady, 3 % slow, ±10 %", kPllSteady, 0.97, 0.10, 7},
    };
    for (const Case& c : cases) {
        const CellTrack written = RandomMfmCells(c.seed, kDpxCellsPerRevolution);
        const FluxTrack flux = ReadLikeADrive(CellsToFlux(written, 3), c.speed, c.jitter, c.seed);
        const CellTrack read = FluxToCells(flux, kDpxCellRate, c.settings);

        EXPECT_FALSE(read.ring) << c.what;
        EXPECT_EQ(read.cellRate, kDpxCellRate) << c.what;
        // An index pulse lies on a cell boundary; the jitter may move it into the cell before.
        ASSERT_EQ(read.indexCells.size(), 3u) << c.what;
        for (uint32_t r = 0; r < 3; ++r)
            EXPECT_NEAR(read.indexCells[r], r * kDpxCellsPerRevolution, 1.0)
                << c.what << ", revolution " << r;
        // The stream ends with the last transition of the third revolution.
        uint32_t last = kDpxCellsPerRevolution - 1;
        while (written.cells[last] == 0) --last;
        ASSERT_EQ(read.cells.size(), 2 * kDpxCellsPerRevolution + last + 1) << c.what;
        uint32_t wrong = 0;
        for (uint32_t cell = 0; cell < read.cells.size(); ++cell)
            wrong += read.cells[cell] != written.cells[cell % kDpxCellsPerRevolution] ? 1 : 0;
        EXPECT_EQ(wrong, 0u) << c.what;
    }
}
