// A track as bit cells, the form in which an MFM encoder writes it and a sector scan reads it.
#pragma once

#include <cstdint>
#include <vector>

// Bit cells of 2 µs: 250 kbit/s MFM, 100,000 cells in one revolution at 300 rpm.
constexpr uint32_t kDpxCellRate = 500000;
constexpr uint32_t kDpxCellsPerRevolution = 100000;

struct CellTrack {
    uint32_t cellRate = kDpxCellRate;  // cells per second
    // One element per cell: 1 for a flux transition, 0 for none.
    std::vector<uint8_t> cells;
    // Cell positions of the index pulses. A track of one revolution read from the index (HFE, an
    // encoded track) has one, at 0, and is a ring: its last cell is followed by its first. A track
    // decoded from flux of several revolutions has one per revolution and is read as a stream.
    std::vector<uint32_t> indexCells;
    bool ring = false;
};
