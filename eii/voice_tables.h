// The code tables of the Emulator II voice block: the signed step byte, the scale byte, the
// 16 code pairs of bytes 80..143 and the code triples of bytes 144..181. Each table is laid out
// as the voice block codes it, so it can be compared with the format by eye.
#pragma once

#include <array>
#include <cstdint>

// Step byte 26. Bytes 0..31 code the rising steps, bytes 255 down to 224 (signed -1 down to
// -32) the falling ones; bytes 32..223 are not steps.
constexpr std::array<int32_t, 32> kRisingSteps{0,  2,  3,  5,  6,  8,  9,  11, 12, 14, 15,
                                               17, 18, 20, 21, 23, 25, 27, 28, 30, 31, 33,
                                               34, 36, 37, 39, 40, 42, 43, 45, 46, 48};
constexpr std::array<int32_t, 32> kFallingSteps{-2,  -4,  -5,  -7,  -8,  -10, -11, -13, -14, -16, -17,
                                                -19, -20, -22, -23, -25, -27, -29, -30, -32, -33, -35,
                                                -36, -38, -39, -41, -42, -44, -45, -47, -48, -50};
constexpr uint8_t kLastRisingStepByte = 31;
constexpr uint8_t kFirstFallingStepByte = 224;

// Scale byte 64: fifty descending levels L0..L49. A byte equal to 255 is scale 0; otherwise the
// first i with L[i] > byte >= L[i + 1] gives -(i + 1), and a byte below every band gives -49.
constexpr std::array<uint8_t, 50> kScaleLevels{
    255, 249, 249, 244, 241, 241, 236, 232, 232, 229, 226, 226, 226, 221, 218, 218, 212,
    210, 210, 205, 203, 203, 199, 192, 192, 192, 190, 186, 186, 182, 179, 179, 175, 169,
    169, 166, 160, 160, 160, 158, 154, 154, 150, 145, 145, 142, 138, 138, 135, 128};
constexpr int32_t kLowestScale = -48;

// One entry of the pair-code and triple-code tables. A pair (first, second) matches when both
// bytes equal the entry's; a triple matches when its first two bytes equal `first` and its third
// byte equals `second`.
struct CodeEntry {
    uint8_t first;
    uint8_t second;
};

// Code pairs: entry k - 1 is the pair of index k (1..32).
constexpr std::array<CodeEntry, 32> kPairCodes{{
    {0, 0},  {1, 255}, {1, 127}, {1, 85}, {1, 63}, {1, 51}, {1, 42}, {1, 31}, {1, 25}, {1, 21}, {1, 17},
    {1, 14}, {1, 12},  {1, 9},   {1, 8},  {1, 6},  {1, 5},  {1, 4},  {1, 3},  {2, 5},  {1, 2},  {2, 3},
    {3, 4},  {1, 1},   {4, 3},   {3, 2},  {2, 1},  {5, 2},  {3, 1},  {4, 1},  {5, 1},  {6, 1},
}};

// Code triples: entry k - 1 is the triple (first, first, second) of index k (1..32).
constexpr std::array<CodeEntry, 32> kTripleCodes{{
    {1, 1},   {1, 129}, {1, 171}, {1, 193}, {1, 205}, {1, 214}, {1, 225}, {1, 231},
    {1, 235}, {1, 239}, {1, 242}, {1, 244}, {1, 247}, {1, 248}, {1, 250}, {1, 251},
    {1, 252}, {1, 253}, {2, 251}, {1, 254}, {2, 253}, {3, 252}, {1, 255}, {4, 253},
    {3, 254}, {2, 255}, {5, 254}, {3, 255}, {4, 255}, {5, 255}, {6, 255}, {255, 0},
}};

static_assert(kScaleLevels[49] == 128 && kPairCodes[31].first == 6 && kTripleCodes[31].first == 255,
              "every table holds all its entries");

// The index a code lookup gives when nothing matches: one past the last valid index.
constexpr int32_t kNoCode = 33;

// The step of byte 26; false for bytes 32..223.
constexpr bool DecodeStep(uint8_t byte, int32_t* step) {
    if (byte <= kLastRisingStepByte) {
        *step = kRisingSteps[byte];
        return true;
    }
    if (byte >= kFirstFallingStepByte) {
        *step = kFallingSteps[255 - byte];
        return true;
    }
    return false;
}

// The scale of byte 64: 0 for 255, -1..-48 inside the bands, -49 below them.
constexpr int32_t DecodeScale(uint8_t byte) {
    if (byte == 255) return 0;
    for (int32_t level = 0; level + 1 < static_cast<int32_t>(kScaleLevels.size()); ++level) {
        if (kScaleLevels[level] > byte && byte >= kScaleLevels[level + 1]) return -(level + 1);
    }
    return -49;
}

// The index 1..32 of the first pair entry that matches, or kNoCode.
constexpr int32_t PairCodeIndex(uint8_t first, uint8_t second) {
    for (int32_t entry = 0; entry < static_cast<int32_t>(kPairCodes.size()); ++entry) {
        if (kPairCodes[entry].first == first && kPairCodes[entry].second == second) return entry + 1;
    }
    return kNoCode;
}

// The index 1..32 of the first triple entry that matches bytes (a, b, c), or kNoCode.
constexpr int32_t TripleCodeIndex(uint8_t a, uint8_t b, uint8_t c) {
    for (int32_t entry = 0; entry < static_cast<int32_t>(kTripleCodes.size()); ++entry) {
        const CodeEntry& code = kTripleCodes[entry];
        if (code.first == a && code.first == b && code.second == c) return entry + 1;
    }
    return kNoCode;
}
