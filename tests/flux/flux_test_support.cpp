#include "tests/flux/flux_test_support.h"

#include <random>

#include "floppy/layout.h"

std::vector<uint8_t> RandomTrackBytes(uint32_t seed) {
    std::mt19937 generator(seed);
    std::vector<uint8_t> bytes(kTrackBytes);
    for (uint8_t& byte : bytes) byte = static_cast<uint8_t>(generator());
    return bytes;
}
