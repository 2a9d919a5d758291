// Byte-order helpers for the file formats: the Emulator II stores little-endian values and
// addresses biased by 38,400; the DPX-1 stores everything big-endian; HFE and SCP headers are
// little-endian, SCP flux entries big-endian.
#pragma once

#include <cstdint>

// Every address in an Emulator II bank is stored as the bank offset plus this bias.
constexpr int32_t kEmuAddressBias = 38400;

inline int32_t ReadLittle16(const uint8_t* bytes) {
    return bytes[0] | (bytes[1] << 8);
}

inline int32_t ReadLittle24(const uint8_t* bytes) {
    return bytes[0] | (bytes[1] << 8) | (bytes[2] << 16);
}

inline uint32_t ReadLittle32(const uint8_t* bytes) {
    return bytes[0] | (bytes[1] << 8) | (bytes[2] << 16) | (static_cast<uint32_t>(bytes[3]) << 24);
}

inline void WriteLittle16(uint8_t* bytes, uint32_t value) {
    bytes[0] = static_cast<uint8_t>(value);
    bytes[1] = static_cast<uint8_t>(value >> 8);
}

inline void WriteLittle32(uint8_t* bytes, uint32_t value) {
    WriteLittle16(bytes, value);
    WriteLittle16(bytes + 2, value >> 16);
}

// Two-byte Emulator II address (lo, hi): (hi - 150) * 256 + lo; negative below the bias.
inline int32_t DecodeEmuAddress16(const uint8_t* bytes) {
    return ReadLittle16(bytes) - kEmuAddressBias;
}

// Three-byte Emulator II address (b0, b1, b2): b2 * 65536 + (b1 - 150) * 256 + b0.
inline int32_t DecodeEmuAddress24(const uint8_t* bytes) {
    return ReadLittle24(bytes) - kEmuAddressBias;
}

inline int32_t ReadBig16(const uint8_t* bytes) {
    return (bytes[0] << 8) | bytes[1];
}

inline int32_t ReadBig24(const uint8_t* bytes) {
    return (bytes[0] << 16) | (bytes[1] << 8) | bytes[2];
}

inline void WriteBig16(uint8_t* bytes, uint32_t value) {
    bytes[0] = static_cast<uint8_t>(value >> 8);
    bytes[1] = static_cast<uint8_t>(value);
}

inline void WriteBig24(uint8_t* bytes, uint32_t value) {
    bytes[0] = static_cast<uint8_t>(value >> 16);
    bytes[1] = static_cast<uint8_t>(value >> 8);
    bytes[2] = static_cast<uint8_t>(value);
}

inline void WriteBig32(uint8_t* bytes, uint32_t value) {
    bytes[0] = static_cast<uint8_t>(value >> 24);
    bytes[1] = static_cast<uint8_t>(value >> 16);
    bytes[2] = static_cast<uint8_t>(value >> 8);
    bytes[3] = static_cast<uint8_t>(value);
}
