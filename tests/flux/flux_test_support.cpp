#include "tests/flux/flux_test_support.h"

#include <cmath>
#include <random>

#include "floppy/layout.h"

std::vector<uint8_t> RandomTrackBytes(uint32_t seed) {
    std::mt19937 generator(seed);
    std::vector<uint8_t> bytes(kTrackBytes);
    for (uint8_t& byte : bytes) byte = static_cast<uint8_t>(generator());
    return bytes;
}

std::vector<uint8_t> RandomDiskImage(uint32_t seed) {
    std::vector<uint8_t> image;
    for (int32_t track = 0; track < kTracks; ++track) {
        const std::vector<uint8_t> bytes = RandomTrackBytes(seed + static_cast<uint32_t>(track));
        image.insert(image.end(), bytes.begin(), bytes.end());
    }
    return image;
}

CellTrack RandomMfmCells(uint32_t seed, uint32_t length) {
    std::mt19937 random(seed);
    CellTrack track;
    track.ring = true;
    track.indexCells = {0};
    track.cells.assign(length, 0);
    uint32_t cell = 0;
    // The last one stands 2 to 4 cells before the end, so the ring's closing run is legal too.
    while (cell + 4 < length) {
        track.cells[cell] = 1;
        cell += 2 + random() % 3;
    }
    track.cells[cell] = 1;
    return track;
}

FluxTrack ReadLikeADrive(const FluxTrack& flux, double speed, double jitter, uint32_t seed) {
    std::mt19937 random(seed);
    FluxTrack read = flux;
    double exact = 0;      // the new time of the last transition, not rounded
    uint64_t written = 0;  // the same, in whole ticks as the intervals give it
    uint64_t oldTick = 0;
    uint64_t oldIndex = 0;
    uint64_t newIndex = 0;
    size_t revolution = 0;
    for (size_t i = 0; i <= flux.intervals.size(); ++i) {
        while (revolution < flux.revolutionEnds.size() && flux.revolutionEnds[revolution] == i) {
            oldIndex += flux.revolutionTicks[revolution];
            const uint64_t index =
                written + static_cast<uint64_t>(std::llround((oldIndex - oldTick) / speed));
            read.revolutionTicks[revolution] = static_cast<uint32_t>(index - newIndex);
            newIndex = index;
            ++revolution;
        }
        if (i == flux.intervals.size()) break;
        const double share = (static_cast<double>(random()) / 4294967295.0 * 2 - 1) * jitter;
        oldTick += flux.intervals[i];
        exact += flux.intervals[i] / speed * (1 + share);
        const uint64_t tick = static_cast<uint64_t>(std::llround(exact));
        read.intervals[i] = static_cast<uint32_t>(tick - written);
        written = tick;
    }
    return read;
}
