#include "flux/sector_scan.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "floppy/layout.h"
#include "flux/crc16.h"

namespace {

// The cells of A1 A1 A1 in a row, 48 cells.
constexpr uint64_t kThreeA1Cells =
    (static_cast<uint64_t>(kA1MarkCells) << 32) | (static_cast<uint64_t>(kA1MarkCells) << 16) | kA1MarkCells;
constexpr uint32_t kThreeA1CellCount = kMarkBytes * kCellsPerByte;

static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "cells are packed eight at a time from memory");

// Eight cells of 0 or 1 from `cells` on as the bits of a byte, the first cell in bit 7.
inline uint32_t Pack8(const uint8_t* cells) {
    uint64_t eight = 0;
    std::memcpy(&eight, cells, sizeof eight);
    return static_cast<uint32_t>((eight * 0x8040201008040201ull) >> 56);
}

inline uint32_t Pack16(const uint8_t* cells) {
    return (Pack8(cells) << 8) | Pack8(cells + 8);
}

// Whether the 48 cells from `start` on are A1 A1 A1; a ring's run from before its index goes on
// at cell 0.
bool ThreeA1At(const CellTrack& track, size_t start) {
    const size_t size = track.cells.size();
    const uint8_t* cells = track.cells.data();
    if (start + kThreeA1CellCount <= size)
        return Pack16(cells + start) == kA1MarkCells && Pack16(cells + start + 16) == kA1MarkCells &&
               Pack16(cells + start + 32) == kA1MarkCells;
    if (!track.ring) return false;
    uint64_t shift = 0;
    for (size_t cell = 0; cell < kThreeA1CellCount; ++cell)
        shift = (shift << 1) | (cells[(start + cell) % size] & 1);
    return shift == kThreeA1Cells;
}

// For each 16 cells that can lie inside a run of A1 marks (the A1 cells turned left by d), d + 1;
// 0 for all others.
const std::vector<uint8_t>& A1TurnTable() {
    static const std::vector<uint8_t> table = [] {
        std::vector<uint8_t> turns(65536, 0);
        for (uint32_t turn = 0; turn < 16; ++turn) {
            const uint32_t cells = ((kA1MarkCells << turn) | (kA1MarkCells >> (16 - turn))) & 0xFFFF;
            turns[cells] = static_cast<uint8_t>(turn + 1);
        }
        return turns;
    }();
    return table;
}

// Where every run of three A1 marks begins, in the order of the cells. A run of 48 cells always
// holds 16 cells starting at a multiple of 16 within its first 16 cells, and those 16 cells say by
// how far the run began before them; so only every 16th cell is looked at until such a word turns up.
std::vector<uint32_t> FindA1Marks(const CellTrack& track) {
    std::vector<uint32_t> starts;
    const size_t size = track.cells.size();
    const uint8_t* cells = track.cells.data();
    if (size < kThreeA1CellCount) return starts;
    const std::vector<uint8_t>& turns = A1TurnTable();
    // Runs found through the words that begin at a multiple of 16 and end before the last cell.
    const size_t lastWord = (size - kCellsPerByte) / kCellsPerByte * kCellsPerByte;
    for (size_t word = 0; word <= lastWord; word += kCellsPerByte) {
        const uint8_t turn = turns[Pack16(cells + word)];
        if (turn == 0 || turn - 1u > word) continue;
        const size_t start = word - (turn - 1u);
        if (ThreeA1At(track, start)) starts.push_back(static_cast<uint32_t>(start));
    }
    // Runs that begin later: near the end of a stream, or across the index of a ring.
    for (size_t start = lastWord + 1; start < size; ++start)
        if (ThreeA1At(track, start)) starts.push_back(static_cast<uint32_t>(start));
    return starts;
}

bool IsDataMark(uint8_t mark) {
    return mark == kDataMark || mark == kDeletedDataMark;
}

// The data field within reach after the ID field, or -1.
int32_t DataFieldAfter(const CellTrack& track, const IdField& id, const std::vector<DataField>& dataFields) {
    if (dataFields.empty()) return -1;
    uint64_t end = static_cast<uint64_t>(id.cell) + kIdFieldBytes * kCellsPerByte;
    if (track.ring) end %= track.cells.size();
    auto next = std::lower_bound(dataFields.begin(), dataFields.end(), end,
                                 [](const DataField& field, uint64_t cell) { return field.cell < cell; });
    if (next == dataFields.end()) {
        if (!track.ring) return -1;
        next = dataFields.begin();
    }
    if (CellDistance(track, static_cast<uint32_t>(end), next->cell) > kDataMarkWindowBytes * kCellsPerByte)
        return -1;
    return static_cast<int32_t>(next - dataFields.begin());
}

// How far a sector got, worst first: a later revolution replaces only a worse result.
int Rank(SectorState state) {
    switch (state) {
        case SectorState::kMissing:
            return 0;
        case SectorState::kIdCrcError:
            return 1;
        case SectorState::kNoDataField:
            return 2;
        case SectorState::kDataCrcError:
            return 3;
        case SectorState::kGood:
            return 4;
    }
    return 0;
}

}  // namespace

uint32_t CellDistance(const CellTrack& track, uint32_t from, uint32_t to) {
    if (to >= from) return to - from;
    if (!track.ring) return std::numeric_limits<uint32_t>::max();
    return static_cast<uint32_t>(track.cells.size() - from + to);
}

bool ReadDataField(const CellTrack& track, uint32_t cell, uint32_t bytes, DataField* field) {
    const uint32_t markCell = cell + kThreeA1CellCount;
    uint8_t mark = 0;
    uint8_t crc[2] = {};
    field->data.resize(bytes);
    if (!ReadMfmBytes(track, markCell, 1, &mark) ||
        !ReadMfmBytes(track, markCell + kCellsPerByte, bytes, field->data.data()) ||
        !ReadMfmBytes(track, markCell + (1 + bytes) * kCellsPerByte, 2, crc)) {
        field->data.clear();
        return false;
    }
    field->cell = cell;
    field->mark = mark;
    uint16_t check = Crc16(&mark, 1, kCrc16AfterA1Marks);
    check = Crc16(field->data.data(), bytes, check);
    field->crcOk = Crc16(crc, 2, check) == 0;
    return true;
}

TrackScan ScanTrack(const CellTrack& track) {
    TrackScan scan;
    for (uint32_t start : FindA1Marks(track)) {
        // The mark byte and, for an ID field, C H R N and the CRC.
        uint8_t field[7] = {};
        if (!ReadMfmBytes(track, start + kThreeA1CellCount, 1, field)) continue;
        if (field[0] == kIdMark) {
            if (!ReadMfmBytes(track, start + kThreeA1CellCount + kCellsPerByte, 6, field + 1)) continue;
            IdField id;
            id.cell = start;
            id.cylinder = field[1];
            id.head = field[2];
            id.sector = field[3];
            id.sizeCode = field[4];
            id.crcOk = Crc16(field, sizeof field, kCrc16AfterA1Marks) == 0;
            scan.idFields.push_back(id);
        } else if (IsDataMark(field[0])) {
            DataField data;
            data.cell = start;
            data.mark = field[0];
            scan.dataFields.push_back(data);
        }
    }
    // Pair each ID field with its data field; the data field is as long as the ID field says,
    // an ID field with a good CRC having the last word.
    std::vector<const IdField*> sizedBy(scan.dataFields.size(), nullptr);
    for (IdField& id : scan.idFields) {
        id.dataField = DataFieldAfter(track, id, scan.dataFields);
        if (id.dataField < 0 || SectorBytes(id.sizeCode) == 0) continue;
        const IdField*& sizer = sizedBy[static_cast<size_t>(id.dataField)];
        if (sizer == nullptr || (!sizer->crcOk && id.crcOk)) sizer = &id;
    }
    for (size_t index = 0; index < scan.dataFields.size(); ++index) {
        DataField& data = scan.dataFields[index];
        if (sizedBy[index] == nullptr) continue;
        if (!ReadDataField(track, data.cell, SectorBytes(sizedBy[index]->sizeCode), &data))
            data.crcOk = false;
    }
    return scan;
}

SectorTrack ScanDpxTrack(const CellTrack& track, int32_t cylinder, int32_t head) {
    const TrackScan scan = ScanTrack(track);
    SectorTrack result;
    for (const IdField& id : scan.idFields) {
        if (id.cylinder != cylinder || id.head != head || id.sector > kSmallSector) continue;
        ScannedSector& sector = result.sectors[id.sector];
        const uint8_t sizeCode = id.sector == kSmallSector ? kSmallSizeCode : kLargeSizeCode;
        const DataField* data = nullptr;
        SectorState state = SectorState::kIdCrcError;
        if (id.crcOk) {
            // A controller asked for this sector passes an ID field of another size by.
            if (id.sizeCode != sizeCode) continue;
            if (id.dataField < 0) {
                state = SectorState::kNoDataField;
            } else {
                data = &scan.dataFields[static_cast<size_t>(id.dataField)];
                state = data->crcOk ? SectorState::kGood : SectorState::kDataCrcError;
            }
        }
        if (Rank(state) <= Rank(sector.state)) continue;
        sector.state = state;
        sector.idCell = id.cell;
        sector.deleted = data != nullptr && data->mark == kDeletedDataMark;
        sector.data.clear();
        if (data != nullptr) {
            sector.data = data->data;
            sector.data.resize(SectorBytes(sizeCode));
        }
    }
    return result;
}
