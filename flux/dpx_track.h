// Tracks laid out as IBM MFM tracks: gap 4a, sync and index mark, gap 1, then per sector an ID
// field and a data field with their syncs and gaps 2 and 3, and gap 4b up to the index. The
// DPX-1 track in images this suite writes (HFE, SCP) uses the gaps below, with which its six
// sectors fit one revolution with 46 bytes of gap 4b to spare.
#pragma once

#include <cstdint>
#include <vector>

#include "flux/cell_track.h"

// Gap lengths in bytes of 0x4E.
constexpr uint32_t kDpxGap4aBytes = 20;
constexpr uint32_t kDpxGap1Bytes = 20;
constexpr uint32_t kDpxGap2Bytes = 22;
constexpr uint32_t kDpxGap3Bytes = 24;

struct TrackGaps {
    uint32_t gap4a = 0;
    uint32_t gap1 = 0;
    uint32_t gap2 = 0;
    uint32_t gap3 = 0;
    bool indexMark = true;  // sync and C2 C2 C2 FC between gap 4a and gap 1
};

constexpr TrackGaps kDpxImageGaps = {kDpxGap4aBytes, kDpxGap1Bytes, kDpxGap2Bytes, kDpxGap3Bytes, true};

// One sector to lay down: its ID field's C H R N and its data field.
struct TrackSector {
    uint8_t cylinder = 0;
    uint8_t head = 0;
    uint8_t sector = 0;
    uint8_t sizeCode = 0;
    uint8_t dataMark = 0xFB;
    const uint8_t* data = nullptr;  // dataBytes bytes
    uint32_t dataBytes = 0;
};

// The sectors in the given order with the given gaps, as one revolution of `cells` cells from
// the index (a ring, the index at cell 0). What does not fit before the index is not written, as
// a controller's format stops at the index pulse.
CellTrack EncodeMfmTrack(const TrackGaps& gaps, const std::vector<TrackSector>& sectors,
                         uint32_t cells = kDpxCellsPerRevolution);

// The same track packed eight cells to a byte, cell 8k + j in bit j of byte k (the form of an
// HFE track), into `bits`: (cells + 7) / 8 bytes, the cells past the last 0.
void EncodePackedMfmTrack(const TrackGaps& gaps, const std::vector<TrackSector>& sectors, uint32_t cells,
                          std::vector<uint8_t>* bits);

// The six sectors of the DPX-1 track in order, their data in the 5,632 bytes `trackBytes`.
std::vector<TrackSector> DpxTrackSectors(int32_t cylinder, int32_t head, const uint8_t* trackBytes);

// The DPX-1 track of the given cylinder and head holding the 5,632 bytes `trackBytes` (sectors 0
// to 5 in order, as in an image file): 100,000 cells with kDpxImageGaps.
CellTrack EncodeDpxTrack(int32_t cylinder, int32_t head, const uint8_t* trackBytes);

// EncodeDpxTrack's track packed as EncodePackedMfmTrack packs it.
void EncodePackedDpxTrack(int32_t cylinder, int32_t head, const uint8_t* trackBytes,
                          std::vector<uint8_t>* bits);
