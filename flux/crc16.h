// The CRC of every ID and data field on an MFM track: CRC-16/CCITT, polynomial 0x1021, started
// at 0xFFFF, bits taken most significant first, no final inversion. It covers the three A1 marks,
// the mark byte and the field, and is stored high byte first after the field, so that a field
// followed by its own CRC gives 0.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr uint16_t kCrc16Start = 0xFFFF;
// The CRC after the three A1 marks that open every field.
constexpr uint16_t kCrc16AfterA1Marks = 0xCDB4;

// The CRC of `count` bytes, continuing from `crc`.
uint16_t Crc16(const uint8_t* bytes, size_t count, uint16_t crc = kCrc16Start);
