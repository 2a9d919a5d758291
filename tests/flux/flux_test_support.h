// What the flux tests share: DPX-1 track contents, where the fields of an encoded track lie, and
// cell tracks and flux as a disk and a drive would give them, built from a seeded generator.
#pragma once

#include <cstdint>
#include <vector>

#include "flux/cell_track.h"
#include "flux/dpx_track.h"
#include "flux/flux_track.h"

// 5,632 bytes drawn from a generator seeded with `seed`.
std::vector<uint8_t> RandomTrackBytes(uint32_t seed);

// A plain image of 901,120 bytes: track t holds RandomTrackBytes(seed + t).
std::vector<uint8_t> RandomDiskImage(uint32_t seed);

// Byte offsets in an encoded DPX-1 track of sector R's ID field and data field (their first A1).
constexpr uint32_t DpxIdByte(uint32_t sector) {
    return 68 + sector * 1110;
}
constexpr uint32_t DpxDataByte(uint32_t sector) {
    return 112 + sector * 1110;
}

// A ring of `length` cells as MFM lays them: a one, then 1 to 3 zeros, again and again (the ring
// closes with a run of 1 to 3 zeros as well). Index at 0.
CellTrack RandomMfmCells(uint32_t seed, uint32_t length);

// The flux as a drive turning `speed` times nominal reads it (1.03 = 3 % fast: every interval
// 3 % shorter), every interval then stretched or shortened by a uniform share of up to
// ±`jitter`. The index pulses keep their place after the last transition of their revolution.
FluxTrack ReadLikeADrive(const FluxTrack& flux, double speed, double jitter, uint32_t seed);
