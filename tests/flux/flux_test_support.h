// What the flux tests share: DPX-1 track contents and where the fields of an encoded track lie.
#pragma once

#include <cstdint>
#include <vector>

#include "flux/dpx_track.h"

// 5,632 bytes drawn from a generator seeded with `seed`.
std::vector<uint8_t> RandomTrackBytes(uint32_t seed);

// Byte offsets in an encoded DPX-1 track of sector R's ID field and data field (their first A1).
constexpr uint32_t DpxIdByte(uint32_t sector) {
    return 68 + sector * 1110;
}
constexpr uint32_t DpxDataByte(uint32_t sector) {
    return 112 + sector * 1110;
}
