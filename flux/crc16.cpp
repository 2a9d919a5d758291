#include "flux/crc16.h"

#include <array>

namespace {

// kCrcTables[k][byte]: the CRC register after shifting `byte` and then k zero bytes through it
// from zero. Table 0 steps one byte; the others let eight bytes be taken in one step, since
// after eight bytes the register's old contents have been shifted out through the first two.
using CrcTables = std::array<std::array<uint16_t, 256>, 8>;

constexpr CrcTables MakeCrcTables() {
    CrcTables tables{};
    for (uint32_t byte = 0; byte < 256; ++byte) {
        uint32_t crc = byte << 8;
        for (int bit = 0; bit < 8; ++bit) crc = (crc & 0x8000) ? (crc << 1) ^ 0x1021 : crc << 1;
        tables[0][byte] = static_cast<uint16_t>(crc);
    }
    for (size_t table = 1; table < 8; ++table)
        for (uint32_t byte = 0; byte < 256; ++byte) {
            const uint16_t before = tables[table - 1][byte];
            tables[table][byte] = static_cast<uint16_t>((before << 8) ^ tables[0][before >> 8]);
        }
    return tables;
}

constexpr CrcTables kCrcTables = MakeCrcTables();

}  // namespace

uint16_t Crc16(const uint8_t* bytes, size_t count, uint16_t crc) {
    size_t index = 0;
    for (; index + 8 <= count; index += 8) {
        const uint8_t* eight = bytes + index;
        crc = kCrcTables[7][(crc >> 8) ^ eight[0]] ^ kCrcTables[6][(crc & 0xFF) ^ eight[1]] ^
              kCrcTables[5][eight[2]] ^ kCrcTables[4][eight[3]] ^ kCrcTables[3][eight[4]] ^
              kCrcTables[2][eight[5]] ^ kCrcTables[1][eight[6]] ^ kCrcTables[0][eight[7]];
    }
    for (; index < count; ++index)
        crc = static_cast<uint16_t>((crc << 8) ^ kCrcTables[0][((crc >> 8) ^ bytes[index]) & 0xFF]);
    return crc;
}
