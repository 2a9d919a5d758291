// A full-size Emulator II bank for timing the converters: 99 voices over 40 samples of synthesised
// tones, plucks and noise bursts coded with the Emulator II companding, a sample area that runs
// from the end of the largest parameter area to the end of the image, and four presets that
// spread the voices over the keyboard. The bank is the same, byte for byte, on every build.
#pragma once

#include <cstdint>
#include <vector>

// The parameter area at its largest: 99 voice blocks from byte 1,280 (up to 26,624), the preset
// blocks right after them; the sample area starts where it ends.
constexpr int32_t kBenchSampleAreaStart = 26880;
constexpr int32_t kBenchVoiceCount = 99;
constexpr int32_t kBenchSampleCount = 40;
constexpr int32_t kBenchPresetCount = 4;

struct FullSizeBank {
    std::vector<uint8_t> image;         // the whole 485,887-byte image
    std::vector<int32_t> sampleStarts;  // bank offsets of the samples, ascending
    int32_t sampleAreaStart;
    int32_t sampleAreaEnd;  // first offset after the sample area
};

FullSizeBank BuildFullSizeBank();
