// How close the samples of one Emulator II bank come to those of another: every sample decoded
// with the Emulator II companding, and the signal-to-noise ratio of the difference.
#pragma once

#include <cstdint>
#include <vector>

#include "common/status.h"

// The decoded values of every sample of the Emulator II image at path, sample after sample in
// the bank's sample list, each decoded from its own start.
StatusRecord DecodeBankSamples(const char* path, std::vector<int32_t>* values);

// 10 log10 of the reference's energy over the energy of the difference, in dB; infinite when the
// two are equal. Both hold the same number of values.
double SignalToNoiseDb(const std::vector<int32_t>& reference, const std::vector<int32_t>& test);
