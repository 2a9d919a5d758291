// The sectors of one DPX-1 track as a scan of its cells found them.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

enum class SectorState : uint8_t {
    kGood,
    kIdCrcError,    // an ID field with the sector's number was found, but only with a bad CRC
    kDataCrcError,  // ID good, data field found, its CRC bad
    kNoDataField,   // ID good, no data mark near enough after it
    kMissing,       // no ID field of the sector at all
};

// Short words for the state, as listings show it ("good", "data CRC error", ...).
const char* SectorStateText(SectorState state);

struct ScannedSector {
    SectorState state = SectorState::kMissing;
    std::vector<uint8_t> data;  // the sector's bytes when good (and when the data CRC failed)
    bool deleted = false;       // its data field carries the deleted-data mark F8
    uint32_t idCell = 0;        // where its ID field's A1 marks begin, when one was found
};

// The six sectors of a DPX-1 track (IDs 0 to 5), by sector number.
struct SectorTrack {
    std::array<ScannedSector, 6> sectors;
};
