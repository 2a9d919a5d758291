#include "flux/mfm.h"

#include <array>
#include <cstring>

#include "flux/crc16.h"

namespace {

constexpr uint16_t EncodeMfm(uint32_t byte, bool previousBit) {
    uint32_t cells = 0;
    bool last = previousBit;
    for (int bit = 7; bit >= 0; --bit) {
        const bool data = ((byte >> bit) & 1) != 0;
        const bool clock = !last && !data;
        cells = (cells << 2) | (clock ? 2u : 0u) | (data ? 1u : 0u);
        last = data;
    }
    return static_cast<uint16_t>(cells);
}

// The cells of every byte: index byte after a 0 data bit, 256 + byte after a 1.
constexpr std::array<uint16_t, 512> MakeMfmTable() {
    std::array<uint16_t, 512> table{};
    for (uint32_t index = 0; index < 512; ++index) table[index] = EncodeMfm(index & 0xFF, index >= 256);
    return table;
}

// Eight bits as eight cells of 0 or 1, the top bit first.
constexpr std::array<std::array<uint8_t, 8>, 256> MakeExpandTable() {
    std::array<std::array<uint8_t, 8>, 256> table{};
    for (uint32_t bits = 0; bits < 256; ++bits)
        for (uint32_t cell = 0; cell < 8; ++cell) table[bits][cell] = (bits >> (7 - cell)) & 1;
    return table;
}

// The cells of `byte`'s table entry in MakeMfmTable as they are packed: the first cell in bit 0 of
// the low byte, the ninth in bit 0 of the high byte.
constexpr uint16_t PackMfmCells(uint16_t cells) {
    uint16_t packed = 0;
    for (uint32_t cell = 0; cell < 16; ++cell)
        if ((cells >> (15 - cell)) & 1) packed = static_cast<uint16_t>(packed | (1u << cell));
    return packed;
}

constexpr std::array<uint16_t, 512> MakePackedMfmTable() {
    std::array<uint16_t, 512> table{};
    for (uint32_t index = 0; index < 512; ++index)
        table[index] = PackMfmCells(EncodeMfm(index & 0xFF, index >= 256));
    return table;
}

constexpr std::array<uint16_t, 512> kMfmTable = MakeMfmTable();
constexpr std::array<uint16_t, 512> kPackedMfmTable = MakePackedMfmTable();
constexpr std::array<std::array<uint8_t, 8>, 256> kExpandTable = MakeExpandTable();

// The data bits of the 16 cells from `cells` on.
inline uint8_t DataBitsAt(const uint8_t* cells) {
    return static_cast<uint8_t>(((cells[1] & 1) << 7) | ((cells[3] & 1) << 6) | ((cells[5] & 1) << 5) |
                                ((cells[7] & 1) << 4) | ((cells[9] & 1) << 3) | ((cells[11] & 1) << 2) |
                                ((cells[13] & 1) << 1) | (cells[15] & 1));
}

}  // namespace

uint16_t MfmCells(uint8_t byte, bool previousBit) {
    return kMfmTable[byte + (previousBit ? 256u : 0u)];
}

uint8_t MfmByte(uint16_t cells) {
    uint8_t byte = 0;
    for (int bit = 7; bit >= 0; --bit) byte = static_cast<uint8_t>((byte << 1) | ((cells >> (2 * bit)) & 1));
    return byte;
}

CellWriter::CellWriter(CellTrack* track)
    : cells_(&track->cells), position_(track->cells.size()), wraps_(false), lastDataBit_(false) {
    if (!cells_->empty()) lastDataBit_ = cells_->back() != 0;
}

CellWriter::CellWriter(CellTrack* track, uint32_t cell)
    : cells_(&track->cells),
      position_(cell),
      wraps_(track->ring && !track->cells.empty()),
      lastDataBit_(false) {
    const size_t size = cells_->size();
    if (wraps_) position_ %= size;
    if (position_ > size) cells_->resize(position_);
    // The cell before a clock cell is the data bit the clock rule looks at.
    if (position_ > 0)
        lastDataBit_ = (*cells_)[position_ - 1] != 0;
    else if (wraps_)
        lastDataBit_ = cells_->back() != 0;
}

void CellWriter::PutCell(uint8_t cell) {
    std::vector<uint8_t>& cells = *cells_;
    if (position_ == cells.size()) {
        if (wraps_)
            position_ = 0;
        else
            cells.push_back(0);
    }
    cells[position_++] = cell;
    ++written_;
    if (wraps_ && position_ == cells.size()) position_ = 0;
}

void CellWriter::Put(uint16_t pattern) {
    std::vector<uint8_t>& cells = *cells_;
    if (!wraps_ && position_ + kCellsPerByte > cells.size()) cells.resize(position_ + kCellsPerByte);
    if (position_ + kCellsPerByte <= cells.size()) {
        std::memcpy(&cells[position_], kExpandTable[pattern >> 8].data(), 8);
        std::memcpy(&cells[position_ + 8], kExpandTable[pattern & 0xFF].data(), 8);
        position_ += kCellsPerByte;
        written_ += kCellsPerByte;
        if (wraps_ && position_ == cells.size()) position_ = 0;
    } else {
        for (int bit = 15; bit >= 0; --bit) PutCell((pattern >> bit) & 1);
    }
    lastDataBit_ = (pattern & 1) != 0;
}

void CellWriter::Cells(uint16_t pattern, uint32_t count) {
    if (count == kCellsPerByte) {
        Put(pattern);
        return;
    }
    if (count == 0 || count > kCellsPerByte) return;
    for (uint32_t cell = count; cell-- > 0;) PutCell((pattern >> cell) & 1);
    lastDataBit_ = (pattern & 1) != 0;
}

void CellWriter::Byte(uint8_t byte) {
    Put(MfmCells(byte, lastDataBit_));
}

void CellWriter::PutBytes(const uint8_t* bytes, size_t stride, uint32_t count) {
    std::vector<uint8_t>& cells = *cells_;
    const uint64_t length = static_cast<uint64_t>(count) * kCellsPerByte;
    if (position_ + length > cells.size()) {
        // Growing the track or going round the index: a byte at a time.
        for (uint32_t index = 0; index < count; ++index) Byte(bytes[index * stride]);
        return;
    }
    uint8_t* out = cells.data() + position_;
    bool last = lastDataBit_;
    for (uint32_t index = 0; index < count; ++index, out += kCellsPerByte) {
        const uint16_t pattern = MfmCells(bytes[index * stride], last);
        std::memcpy(out, kExpandTable[pattern >> 8].data(), 8);
        std::memcpy(out + 8, kExpandTable[pattern & 0xFF].data(), 8);
        last = (pattern & 1) != 0;
    }
    lastDataBit_ = last;
    position_ += length;
    written_ += length;
    if (wraps_ && position_ == cells.size()) position_ = 0;
}

void CellWriter::Bytes(uint8_t byte, uint32_t count) {
    PutBytes(&byte, 0, count);
}

void CellWriter::Bytes(const uint8_t* bytes, uint32_t count) {
    PutBytes(bytes, 1, count);
}

uint16_t FieldCrc(uint8_t mark, const uint8_t* bytes, uint32_t count) {
    return Crc16(bytes, count, Crc16(&mark, 1, kCrc16AfterA1Marks));
}

void PackedCellWriter::Cells(uint16_t cells) {
    const uint16_t packed = PackMfmCells(cells);
    bits_->push_back(static_cast<uint8_t>(packed & 0xFF));
    bits_->push_back(static_cast<uint8_t>(packed >> 8));
    lastDataBit_ = (cells & 1) != 0;
}

void PackedCellWriter::PutBytes(const uint8_t* bytes, size_t stride, uint32_t count) {
    const size_t start = bits_->size();
    bits_->resize(start + static_cast<size_t>(count) * 2);
    uint8_t* out = bits_->data() + start;
    bool last = lastDataBit_;
    for (uint32_t index = 0; index < count; ++index, out += 2) {
        const uint8_t byte = bytes[index * stride];
        const uint16_t packed = kPackedMfmTable[byte + (last ? 256u : 0u)];
        out[0] = static_cast<uint8_t>(packed & 0xFF);
        out[1] = static_cast<uint8_t>(packed >> 8);
        last = (byte & 1) != 0;
    }
    lastDataBit_ = last;
}

void PackedCellWriter::Byte(uint8_t byte) {
    PutBytes(&byte, 0, 1);
}

void PackedCellWriter::Bytes(uint8_t byte, uint32_t count) {
    PutBytes(&byte, 0, count);
}

void PackedCellWriter::Bytes(const uint8_t* bytes, uint32_t count) {
    PutBytes(bytes, 1, count);
}

bool ReadMfmBytes(const CellTrack& track, uint32_t cell, uint32_t count, uint8_t* bytes) {
    const size_t size = track.cells.size();
    const uint8_t* cells = track.cells.data();
    if (size == 0) return false;
    if (!track.ring && (cell > size || count > (size - cell) / kCellsPerByte)) return false;
    size_t position = cell % size;
    for (uint32_t index = 0; index < count; ++index) {
        if (position + kCellsPerByte <= size) {
            bytes[index] = DataBitsAt(cells + position);
            position += kCellsPerByte;
            if (position == size) position = 0;
            continue;
        }
        // A byte across the index of a ring.
        uint8_t byte = 0;
        for (int bit = 0; bit < 8; ++bit) {
            byte = static_cast<uint8_t>((byte << 1) | (cells[(position + 1) % size] & 1));
            position = (position + 2) % size;
        }
        bytes[index] = byte;
    }
    return true;
}
