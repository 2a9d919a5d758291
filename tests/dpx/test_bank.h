// Banks for the DPX tests, built record by record the way the bank reader leaves them, and
// small readers of the images the translation writes.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "eii/bank_model.h"
#include "eii/image_overview.h"

struct TestSample {
    int32_t number;
    int32_t start;
    int32_t size;
};

struct TestVoice {
    int32_t voiceNumber;
    int32_t sampleNumber;  // Param[45]
    int32_t playStart;     // Param[50]
    int32_t playEnd;       // Param[51]
    int32_t loopOn;        // Param[59]
    int32_t loopStart;     // Param[52], counted from the sample start
    int32_t loopLength;    // Param[53]
};

struct BankRelease {
    void operator()(Bank* bank) const;
};
using BankPointer = std::unique_ptr<Bank, BankRelease>;

// A bank whose sample area runs from start to end, with the samples and voices in list order
// and NumberOfSamples / NumberOfVoices counting them.
BankPointer MakeTestBank(int32_t sampleAreaStart, int32_t sampleAreaEnd,
                         const std::vector<TestSample>& samples, const std::vector<TestVoice>& voices);

ImageOverview OverviewOf(const std::string& path);

// The image byte that holds data address L: track image L / 5,120, byte L mod 5,120.
uint8_t DataByte(const std::vector<uint8_t>& image, int32_t dataAddress);

// Point i of the sample data starting at sampleDataAddress, unpacked from the image: 682 points
// per 1,024-byte block, two points to a 3-byte group.
int32_t PointAt(const std::vector<uint8_t>& image, int32_t sampleDataAddress, int32_t point);

// 64-bit FNV-1a of a byte range.
uint64_t Fnv1a64(const std::vector<uint8_t>& bytes);
