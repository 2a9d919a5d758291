// Cell tracks and flux as a disk and a drive would give them, built from a seeded generator.
#pragma once

#include <cstdint>

#include "flux/cell_track.h"
#include "flux/flux_track.h"

// A ring of `length` cells as MFM lays them: a one, then 1 to 3 zeros, again and again (the ring
// closes with a run of 1 to 3 zeros as well). Index at 0.
CellTrack RandomMfmCells(uint32_t seed, uint32_t length);

// The flux as a drive turning `speed` times nominal reads it (1.03 = 3 % fast: every interval
// 3 % shorter), every interval then stretched or shortened by a uniform share of up to
// ±`jitter`. The index pulses keep their place after the last transition of their revolution.
FluxTrack ReadLikeADrive(const FluxTrack& flux, double speed, double jitter, uint32_t seed);
