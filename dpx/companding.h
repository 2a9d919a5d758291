// The Emulator II sample coding: every sample byte selects a signed step from a fixed 256-entry
// table, and the step is added to a leaky running value. Decoding turns a byte into the next
// 16-bit value; encoding picks the byte whose step comes closest to a wanted change.
#pragma once

#include <array>
#include <cstdint>

constexpr int32_t kCompandingCodes = 256;
// The running value loses prev / 51 (truncated toward zero) before every step.
constexpr int32_t kCompandingLeakDivisor = 51;
// Decoded values are held within 16 bits.
constexpr int32_t kCompandedMaximum = 32767;
constexpr int32_t kCompandedMinimum = -32768;

using CompandingSteps = std::array<int32_t, kCompandingCodes>;

// The steps of the 256 codes, indexed by the sample byte. Filled with the fixed steps from the
// start of the run; InitCompandingTable writes the same values again.
extern CompandingSteps CompandingTable;

// Writes all 256 steps. No inputs, no failure.
void InitCompandingTable();

// A decoded value beyond 16 bits held at the nearest end; at trace level 3 it is reported.
int32_t ClampDecodedValue(int8_t trace, int64_t value);

// Within this distance of 0 the leak is taken by a multiplication, which gives exactly the
// truncated quotient and takes far less time than a division: every running value is within it.
constexpr int32_t kQuickLeakLimit = 110000;
constexpr int64_t kQuickLeakFactor = 41121;  // 2^21 / 51, rounded up
constexpr int32_t kQuickLeakShift = 21;

// prev / 51, truncated toward zero.
inline int32_t CompandingLeak(int32_t prev) {
    if (prev < -kQuickLeakLimit || prev > kQuickLeakLimit) return prev / kCompandingLeakDivisor;
    return static_cast<int32_t>((prev * kQuickLeakFactor) >> kQuickLeakShift) + (prev < 0 ? 1 : 0);
}

// The running value after the sample byte `code` (only its low 8 bits count), starting from
// `prev`; always within -32768..32767. At trace level 3 a clamped value is reported. Called for
// every sample byte of a bank, so inline.
inline int32_t DecodeCompandedSample(int8_t trace, int32_t prev, int32_t code) {
    const int32_t leak = CompandingLeak(prev);
    // 64 bits, so that no running value a caller passes can overflow the sum.
    const int64_t value =
        static_cast<int64_t>(prev) + CompandingTable[static_cast<uint32_t>(code) & 0xFF] - leak;
    if (value > kCompandedMaximum || value < kCompandedMinimum) return ClampDecodedValue(trace, value);
    return static_cast<int32_t>(value);
}

// The code chosen by the encoder and the step it really adds to the running value.
struct EncodedSample {
    int32_t code;
    int32_t step;
};

// The code whose step (less the leak of `prev`) lies nearest to `wantedChange`; a tie goes to
// the higher code (a zero step is coded 0x80), and a wanted change farther than 65,535 from
// every step still gets the nearest code. The choice depends only on wantedChange plus the leak,
// so it is one look-up in a table of choices built at compile time from the fixed steps: it
// needs no InitCompandingTable and gives, for every prev and wanted change, the same code and
// step as EncodeCompandedSampleByScan. The caller advances its running value by the step.
int32_t EncodeCompandedSample(int8_t trace, int32_t prev, int32_t wantedChange, EncodedSample* output);

// The reference encoder, kept to check the one above: all 256 codes of CompandingTable are
// scanned in ascending order and an equal distance replaces the earlier choice, so a tie goes
// to the higher code. Same arguments and results as EncodeCompandedSample, some thirty times
// slower.
int32_t EncodeCompandedSampleByScan(int8_t trace, int32_t prev, int32_t wantedChange, EncodedSample* output);
