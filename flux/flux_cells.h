// Flux intervals to bit cells (the phase-locked loop a flux reader's output goes through) and bit
// cells to flux (how a cell track is written as an SCP image).
#pragma once

#include <cstdint>

#include "flux/cell_track.h"
#include "flux/flux_track.h"

// How the loop follows the disk. Every transition is placed in the nearest cell of the loop's cell
// grid; the distance from that cell's centre (the timing error) then moves the grid and the cell
// period by the shares below.
struct PllSettings {
    double periodGain;   // share of the timing error, per cell, that changes the cell period
    double phaseGain;    // share of the timing error by which the grid moves onto the transition
    double periodLimit;  // the period stays within this share of the nominal period
};

// For every disk read once: follows rotation up to 3 % off nominal and jitter of up to ±10 % on
// every interval. The grid moves fully onto each transition, so a late transition is not held
// against the next interval; the period moves by a hundredth of each error, slowly enough that the
// jitter does not carry it away.
constexpr PllSettings kPllNormal{0.01, 1.0, 0.10};
// For a second attempt on the sectors the first one lost: a period that moves three times more
// slowly and a grid that averages a little over neighbouring transitions, which rides out a burst
// of noise at the price of following speed changes more slowly.
constexpr PllSettings kPllSteady{0.003, 0.9, 0.06};

// The cells of a flux track read as one stream: a cell of 1 for every transition, the zeros
// between them counted by the loop at the nominal rate cellRate. indexCells holds the cell at which
// each revolution starts (the first at 0); ring is false.
CellTrack FluxToCells(const FluxTrack& flux, uint32_t cellRate, const PllSettings& settings);

// The flux of a cell track, each transition at the centre of its cell, the times rounded to whole
// ticks without the rounding adding up. A ring track gives `revolutions` revolutions from its
// index; a stream gives its cells from its first index, one revolution per index.
FluxTrack CellsToFlux(const CellTrack& track, uint32_t revolutions,
                      uint32_t ticksPerSecond = kFluxTicksPerSecond);
