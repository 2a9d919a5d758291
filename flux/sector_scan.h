// Reading an MFM track from its cells: every ID field and data field found by its three A1
// marks, whatever the gaps and the sector order, with both CRCs checked; ID fields paired with
// the data field that follows them within a controller's reach; and the DPX-1 track's six sectors
// taken from that. A ring (one revolution from the index) is read as a ring: a field that begins
// before the end of the cells continues at their start.
#pragma once

#include <cstdint>
#include <vector>

#include "flux/cell_track.h"
#include "flux/mfm.h"
#include "flux/sector_track.h"

// A1 A1 A1 FE, C H R N, CRC.
constexpr uint32_t kIdFieldBytes = kMarkBytes + 1 + 4 + 2;
// A data mark further than this from the end of its ID field's CRC belongs to no sector: the
// controller gives up looking for it ("missing data address mark").
constexpr uint32_t kDataMarkWindowBytes = 43;

struct IdField {
    uint32_t cell = 0;  // where the first A1 mark begins
    uint8_t cylinder = 0;
    uint8_t head = 0;
    uint8_t sector = 0;
    uint8_t sizeCode = 0;
    bool crcOk = false;
    int32_t dataField = -1;  // the data field within reach after it (index in TrackScan::dataFields)
};

struct DataField {
    uint32_t cell = 0;         // where the first A1 mark begins
    uint8_t mark = kDataMark;  // FB, or F8 for deleted data
    // 128 << N bytes, N taken from the ID field before it; empty when no ID field is within reach.
    std::vector<uint8_t> data;
    bool crcOk = false;
};

// The fields of a track, each list in the order of their cells.
struct TrackScan {
    std::vector<IdField> idFields;
    std::vector<DataField> dataFields;
};

TrackScan ScanTrack(const CellTrack& track);

// Reads the data field whose A1 marks begin at `cell` as `bytes` bytes long and checks its CRC.
// False when a stream ends before the field does.
bool ReadDataField(const CellTrack& track, uint32_t cell, uint32_t bytes, DataField* field);

// Cells from `from` on to `to`, on a ring going through the index if need be.
uint32_t CellDistance(const CellTrack& track, uint32_t from, uint32_t to);

// The six sectors of the DPX-1 track at this cylinder and head: an ID field counts for sector R
// when it has C and H of the track, R, and the size code of R (3 for sectors 0 to 4, 2 for 5); one
// with a bad CRC and C, H and R of the sector makes an ID CRC error. A data field with the
// deleted-data mark is read like any other and marked `deleted`. From a stream of several
// revolutions each sector is taken from the first revolution that gives it good, else the best
// state any gave (data CRC error before no data field before ID CRC error).
SectorTrack ScanDpxTrack(const CellTrack& track, int32_t cylinder, int32_t head);
