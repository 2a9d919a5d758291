#include "flux/flux_cells.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>

namespace {

// A run longer than this (no flux: an unformatted stretch, a scratch) says nothing about the cell
// period and leaves it alone.
constexpr uint64_t kLongestTrackedRun = 8;
// No revolution is decoded to more cells than half a second holds (a drive at 120 rpm): the
// cells past that are dropped, however long the intervals a damaged file gives.
constexpr uint32_t kLongestRevolutionDivisor = 2;
// The opening stretch of a track over which the loop finds the period before it counts cells.
constexpr size_t kLockInIntervals = 512;

// Time in the loop: 2^16 steps to the flux tick while a cell is shorter than 2^22 ticks, so that
// the products below stay within 64 bits.
constexpr int32_t kFineBits = 16;
constexpr double kLongestFineCell = 4194304.0;
// Shares of a timing error in 2^-24.
constexpr int32_t kShareBits = 24;
using PeriodShares = std::array<int64_t, kLongestTrackedRun + 1>;

// The period moves by gain x error / run, the gain the settings' own once the running mean of the
// first transitions has fallen below it. True when the gain no longer changes.
bool SetPeriodShares(const PllSettings& settings, uint64_t tracked, PeriodShares* shares) {
    const double gain = std::max(settings.periodGain, 1.0 / static_cast<double>(tracked + 1));
    for (uint64_t run = 1; run <= kLongestTrackedRun; ++run)
        (*shares)[run] = std::llround(std::ldexp(gain / static_cast<double>(run), kShareBits));
    return gain == settings.periodGain;
}

int64_t TakeShare(int64_t error, int64_t share) {
    return (error * share + (int64_t{1} << (kShareBits - 1))) >> kShareBits;
}

// The whole number of periods nearest to `since`, at least 1: counted against the first
// multiples of the period, divided out only for a long run.
uint64_t NearestRun(int64_t since, int64_t period) {
    const int64_t beyondFirst = since - period / 2;  // ticks past the first cell's far edge
    if (beyondFirst >= static_cast<int64_t>(kLongestTrackedRun) * period)
        return static_cast<uint64_t>((since + period / 2) / period);
    uint64_t run = 1;
    for (int64_t k = 1; k < static_cast<int64_t>(kLongestTrackedRun); ++k) run += beyondFirst >= k * period;
    return run;
}

}  // namespace

CellTrack FluxToCells(const FluxTrack& flux, uint32_t cellRate, const PllSettings& settings) {
    CellTrack track;
    track.cellRate = cellRate;
    track.ring = false;
    track.indexCells.push_back(0);
    if (cellRate == 0 || flux.ticksPerSecond == 0 || flux.intervals.empty()) return track;

    const double nominal = static_cast<double>(flux.ticksPerSecond) / cellRate;
    const double shortest = nominal * (1.0 - settings.periodLimit);
    const double longest = nominal * (1.0 + settings.periodLimit);

    // The cells are counted into a buffer sized once for the longest stream the intervals can give,
    // zeros already in place: the loop only sets the ones.
    uint64_t totalTicks = 0;
    for (uint32_t interval : flux.intervals) totalTicks += interval;
    const uint64_t revolutions = std::max<size_t>(1, flux.revolutionEnds.size());
    const uint64_t cap =
        std::min<uint64_t>(static_cast<uint64_t>(totalTicks / shortest) + 2 * flux.intervals.size() + 2,
                           revolutions * (cellRate / kLongestRevolutionDivisor + 1));
    track.cells.assign(cap, 0);

    // The loop counts time in integers, in 1/65,536 of a flux tick (whole ticks for a cell
    // absurdly long), so that no division lies on the path from one transition to the next.
    const int32_t fixedBits = nominal < kLongestFineCell ? kFineBits : 0;
    auto toFixed = [&](double ticks) {
        return static_cast<int64_t>(std::llround(std::ldexp(ticks, fixedBits)));
    };
    const int64_t nominalFixed = toFixed(nominal);
    const int64_t shortestFixed = toFixed(shortest);
    const int64_t longestFixed = toFixed(longest);
    const int64_t keepFixed = toFixed(1.0 - settings.phaseGain);
    int64_t period = nominalFixed;
    // Ticks from the centre of the cell of the last transition. The index lies on a cell boundary,
    // half a cell after the centre of the cell before the first.
    int64_t sinceCentre = nominalFixed / 2;
    uint64_t tracked = 0;  // transitions that have moved the period
    // The share of a timing error that moves the period, divided by the run it is spread over:
    // while the loop locks on the share falls with every transition, then it stays.
    PeriodShares shares{};
    bool sharesSettled = false;

    // One transition: the run of cells up to and including the cell it falls into, the one whose
    // centre is nearest. The first transitions set the period by their running mean, so that the
    // loop locks on a disk read off speed within a few dozen transitions; then the period follows
    // with the settings' gain. A long run without flux leaves the period alone.
    auto step = [&](uint32_t interval) {
        sinceCentre += static_cast<int64_t>(interval) << fixedBits;
        const uint64_t run = NearestRun(sinceCentre, period);
        const int64_t error = sinceCentre - static_cast<int64_t>(run) * period;
        if (run <= kLongestTrackedRun) {
            ++tracked;
            if (!sharesSettled) sharesSettled = SetPeriodShares(settings, tracked, &shares);
            period = std::clamp(period + TakeShare(error, shares[run]), shortestFixed, longestFixed);
        }
        sinceCentre = (error * keepFixed) >> fixedBits;
        return run;
    };

    // The loop first runs over the opening stretch to find the period, then starts again from the
    // index with it: the cells after the index are not lost while it locks on.
    for (size_t i = 0; i < std::min<size_t>(kLockInIntervals, flux.intervals.size()); ++i)
        step(flux.intervals[i]);
    sinceCentre = nominalFixed / 2;
    tracked = std::max<uint64_t>(tracked, kLockInIntervals);

    uint64_t count = 0;           // cells so far
    uint64_t transitionTick = 0;  // ticks from the first index to the last transition
    uint64_t indexTick = 0;       // ticks from the first index to the end of the current revolution
    size_t revolution = 0;
    // Every index pulse that falls after `done` intervals starts the next revolution in the cell
    // it falls into, counted from the last transition.
    auto placeIndexes = [&](size_t done) {
        while (revolution < flux.revolutionEnds.size() && flux.revolutionEnds[revolution] <= done) {
            indexTick += revolution < flux.revolutionTicks.size() ? flux.revolutionTicks[revolution] : 0;
            ++revolution;
            if (revolution == flux.revolutionEnds.size()) break;  // the end of the last revolution
            const double after =
                indexTick > transitionTick ? static_cast<double>(indexTick - transitionTick) : 0;
            const uint64_t cell =
                count == 0 ? 0
                           : count - 1 +
                                 static_cast<uint64_t>(
                                     after / std::ldexp(static_cast<double>(period), -fixedBits) + 0.5);
            track.indexCells.push_back(static_cast<uint32_t>(
                std::min<uint64_t>(std::max<uint64_t>(cell, track.indexCells.back()), cap)));
        }
    };

    placeIndexes(0);
    for (size_t i = 0; i < flux.intervals.size(); ++i) {
        const uint64_t run = step(flux.intervals[i]);
        if (count + run > cap) break;
        count += run;
        track.cells[count - 1] = 1;
        transitionTick += flux.intervals[i];
        placeIndexes(i + 1);
    }
    track.cells.resize(count);
    for (uint32_t& cell : track.indexCells) cell = std::min<uint32_t>(cell, static_cast<uint32_t>(count));
    return track;
}

FluxTrack CellsToFlux(const CellTrack& track, uint32_t revolutions, uint32_t ticksPerSecond) {
    FluxTrack flux;
    flux.ticksPerSecond = ticksPerSecond;
    const uint64_t length = track.cells.size();
    if (track.cellRate == 0 || length == 0) return flux;

    // The stream: a ring repeated from its index, or the cells of a stream from its first index.
    // indexes holds the cell boundary at which each revolution starts, and the end of the last.
    std::vector<uint64_t> indexes;
    if (track.ring) {
        for (uint64_t r = 0; r <= revolutions; ++r) indexes.push_back(r * length);
    } else {
        for (uint32_t cell : track.indexCells) indexes.push_back(std::min<uint64_t>(cell, length));
        if (indexes.empty()) indexes.push_back(0);
        indexes.push_back(length);
    }
    // Times in ticks from the start of the stream, each rounded down on its own from the exact
    // value, so that the rounding never adds up over a track.
    auto boundaryTick = [&](uint64_t cell) { return cell * ticksPerSecond / track.cellRate; };
    auto centreTick = [&](uint64_t cell) { return (2 * cell + 1) * ticksPerSecond / (2 * track.cellRate); };

    uint64_t lastTick = boundaryTick(indexes[0]);
    for (size_t r = 0; r + 1 < indexes.size(); ++r) {
        for (uint64_t cell = indexes[r]; cell < indexes[r + 1]; ++cell) {
            if (track.cells[cell % length] == 0) continue;
            const uint64_t tick = centreTick(cell);
            if (tick == lastTick) continue;  // two cells of one tick or less make one transition
            flux.intervals.push_back(static_cast<uint32_t>(tick - lastTick));
            lastTick = tick;
        }
        flux.revolutionEnds.push_back(static_cast<uint32_t>(flux.intervals.size()));
        flux.revolutionTicks.push_back(
            static_cast<uint32_t>(boundaryTick(indexes[r + 1]) - boundaryTick(indexes[r])));
    }
    return flux;
}
