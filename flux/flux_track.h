// A track as flux: the intervals between transitions, the form in which a flux reader delivers it.
#pragma once

#include <cstdint>
#include <vector>

// Flux intervals counted in ticks of 25 ns, the resolution of SCP images.
constexpr uint32_t kFluxTicksPerSecond = 40000000;

struct FluxTrack {
    uint32_t ticksPerSecond = kFluxTicksPerSecond;
    // Ticks from one transition to the next; the first counts from the first index pulse.
    std::vector<uint32_t> intervals;
    // For each revolution, the interval index at which it ends (the index pulse falls after that
    // many intervals from the start), and its length in ticks.
    std::vector<uint32_t> revolutionEnds;
    std::vector<uint32_t> revolutionTicks;
};
