// MFM on bit cells: every data bit goes to the medium after a clock cell, most significant bit
// first, and the clock cell holds a transition only when the data bits on both sides of it are 0.
// Fields are found by their marks, bytes written with one clock cell left out so that no data
// can look like them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "flux/cell_track.h"

constexpr uint32_t kCellsPerByte = 16;

constexpr uint8_t kGapByte = 0x4E;
constexpr uint8_t kSyncByte = 0x00;
constexpr uint32_t kSyncBytes = 12;

// The byte after the three A1 marks says what the field is.
constexpr uint8_t kIdMark = 0xFE;
constexpr uint8_t kDataMark = 0xFB;
constexpr uint8_t kDeletedDataMark = 0xF8;
// The byte after the three C2 marks at the start of a track.
constexpr uint8_t kIndexMark = 0xFC;
constexpr uint32_t kMarkBytes = 3;

// A1 without the clock cell between data bits 3 and 2 (cell 10):
//   data bits     1   0   1   0   0   0   0   1
//   cells        0 1 0 0 0 1 0 0 1 0 0 0 1 0 0 1    0x4489 (0x44A9 with the clock)
constexpr uint16_t kA1MarkCells = 0x4489;
// C2 of the index mark without the clock cell between data bits 4 and 3 (cell 8):
//   data bits     1   1   0   0   0   0   1   0
//   cells        0 1 0 1 0 0 1 0 0 0 1 0 0 1 0 0    0x5224 (0x52A4 with the clock)
constexpr uint16_t kC2MarkCells = 0x5224;

// The 16 cells of a byte, the first in bit 15, after a data bit `previousBit`.
uint16_t MfmCells(uint8_t byte, bool previousBit);
// The data bits of 16 cells; the clock cells are not looked at.
uint8_t MfmByte(uint16_t cells);

// The CRC a field's two last bytes carry: over its mark byte and `count` bytes.
uint16_t FieldCrc(uint8_t mark, const uint8_t* bytes, uint32_t count);

// Gaps, syncs, the index mark and whole fields, laid down by a writer of cells (CellWriter,
// PackedCellWriter) through its Cells, Byte and Bytes.
template <typename Writer>
class MfmFieldWriter {
  public:
    void Gap(uint32_t count) { Self().Bytes(kGapByte, count); }
    void Sync() { Self().Bytes(kSyncByte, kSyncBytes); }
    // C2 C2 C2 FC, the index mark.
    void IndexMark() {
        for (uint32_t mark = 0; mark < kMarkBytes; ++mark) Self().Cells(kC2MarkCells);
        Self().Byte(kIndexMark);
    }
    // A1 A1 A1, the field's mark, its bytes and their CRC.
    void Field(uint8_t mark, const uint8_t* bytes, uint32_t count) {
        for (uint32_t index = 0; index < kMarkBytes; ++index) Self().Cells(kA1MarkCells);
        Self().Byte(mark);
        Self().Bytes(bytes, count);
        const uint16_t crc = FieldCrc(mark, bytes, count);
        Self().Byte(static_cast<uint8_t>(crc >> 8));
        Self().Byte(static_cast<uint8_t>(crc & 0xFF));
    }

  private:
    Writer& Self() { return static_cast<Writer&>(*this); }
};

// Writes cells, MFM bytes, marks and whole fields into a CellTrack. Made on a track alone it
// appends at the end; made at a cell of a ring it writes over the cells from there on and runs
// through the index to cell 0 and on, as a drive's write head does.
class CellWriter : public MfmFieldWriter<CellWriter> {
  public:
    explicit CellWriter(CellTrack* track);
    CellWriter(CellTrack* track, uint32_t cell);

    // `count` raw cells (at most 16), the first taken from bit count - 1 of `pattern`.
    void Cells(uint16_t pattern, uint32_t count = kCellsPerByte);
    void Byte(uint8_t byte);
    void Bytes(uint8_t byte, uint32_t count);
    void Bytes(const uint8_t* bytes, uint32_t count);

    // Where the next cell goes.
    uint32_t Cell() const { return static_cast<uint32_t>(position_); }
    // Cells written so far: a writer over a ring has gone once round when this reaches its size.
    uint64_t CellsWritten() const { return written_; }

  private:
    void Put(uint16_t cells);
    void PutCell(uint8_t cell);
    // `count` bytes, `stride` apart in `bytes` (0: one byte repeated).
    void PutBytes(const uint8_t* bytes, size_t stride, uint32_t count);

    std::vector<uint8_t>* cells_;
    size_t position_;
    bool wraps_;
    bool lastDataBit_;
    uint64_t written_ = 0;
};

// Writes MFM bytes, marks and fields as CellWriter appending to a stream does, straight into the
// packed form of the cells: cell 8k + j in bit j of byte k, as an HFE track holds them. Every
// byte and mark is 16 cells, so each goes into two whole bytes.
class PackedCellWriter : public MfmFieldWriter<PackedCellWriter> {
  public:
    explicit PackedCellWriter(std::vector<uint8_t>* bits) : bits_(bits) {}

    // 16 raw cells, the first taken from bit 15 of `pattern`.
    void Cells(uint16_t pattern);
    void Byte(uint8_t byte);
    void Bytes(uint8_t byte, uint32_t count);
    void Bytes(const uint8_t* bytes, uint32_t count);

    uint32_t Cell() const { return static_cast<uint32_t>(bits_->size() * 8); }

  private:
    void PutBytes(const uint8_t* bytes, size_t stride, uint32_t count);

    std::vector<uint8_t>* bits_;
    bool lastDataBit_ = false;
};

// Reads `count` MFM bytes from the cells from `cell` on (the clock cell of the first bit). A
// ring continues at its start; a stream that ends first gives false.
bool ReadMfmBytes(const CellTrack& track, uint32_t cell, uint32_t count, uint8_t* bytes);
