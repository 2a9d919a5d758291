#include "tests/dpx/test_bank.h"

#include <cstdio>

#include "common/trace.h"
#include "eii/voice.h"

void BankRelease::operator()(Bank* bank) const {
    FreeBankMem(0, kContextNumber, kPassThroughByte, bank);
}

BankPointer MakeTestBank(int32_t sampleAreaStart, int32_t sampleAreaEnd,
                         const std::vector<TestSample>& samples, const std::vector<TestVoice>& voices) {
    BankPointer bank(InitBank(0, kContextNumber, kPassThroughByte));
    bank->StartSampleAddress = sampleAreaStart;
    bank->EndSampleAddress = sampleAreaEnd;
    bank->TotalSampleSize = sampleAreaEnd - sampleAreaStart;
    bank->BankSize = 485887;
    bank->NumberOfSamples = static_cast<int32_t>(samples.size());
    bank->NumberOfVoices = static_cast<int32_t>(voices.size());

    SampleOverview** sampleLink = &bank->Samples;
    for (const TestSample& given : samples) {
        SampleOverview* sample = InitSampleOverview(0, kContextNumber, kPassThroughByte);
        sample->SampleNumber = given.number;
        sample->SampleStart = given.start;
        sample->SampleSize = given.size;
        sample->SampleEnd = given.start + given.size;
        sample->SampleRate = 27778;
        sample->ValidCode = kValidRecord;
        *sampleLink = sample;
        sampleLink = &sample->next;
    }
    VoiceOverview** voiceLink = &bank->Voices;
    for (const TestVoice& given : voices) {
        VoiceOverview* voice = InitVoiceOverview(0, kContextNumber, kPassThroughByte);
        voice->VoiceNumber = given.voiceNumber;
        voice->ValidCode = kValidRecord;
        voice->Param[kVoiceSampleNumberSlot] = given.sampleNumber;
        voice->Param[kVoicePlayStartSlot] = given.playStart;
        voice->Param[kVoicePlayEndSlot] = given.playEnd;
        voice->Param[kVoiceLoopStartSlot] = given.loopStart;
        voice->Param[kVoiceLoopLengthSlot] = given.loopLength;
        voice->Param[kVoiceLoopOnSlot] = given.loopOn;
        *voiceLink = voice;
        voiceLink = &voice->next;
    }
    return bank;
}

ImageOverview OverviewOf(const std::string& path) {
    ImageOverview overview{};
    std::snprintf(overview.Name, sizeof overview.Name, "%s", path.c_str());
    std::snprintf(overview.Path, sizeof overview.Path, "%s", path.c_str());
    overview.ImageType = kImageTypeFile;
    return overview;
}

uint8_t DataByte(const std::vector<uint8_t>& image, int32_t dataAddress) {
    return image.at(static_cast<size_t>((dataAddress / 5120) * 5632 + dataAddress % 5120));
}

int32_t PointAt(const std::vector<uint8_t>& image, int32_t sampleDataAddress, int32_t point) {
    int32_t group = sampleDataAddress + (point / 682) * 1024 + (point % 682) / 2 * 3;
    uint8_t first = DataByte(image, group);
    uint8_t middle = DataByte(image, group + 1);
    uint8_t last = DataByte(image, group + 2);
    if (point % 2 == 0) return (middle >> 4) * 256 + first;
    return (middle & 0x0F) * 256 + last;
}

uint64_t Fnv1a64(const std::vector<uint8_t>& bytes) {
    uint64_t hash = 0xcbf29ce484222325ULL;
    for (uint8_t byte : bytes) {
        hash ^= byte;
        hash *= 0x100000001b3ULL;
    }
    return hash;
}
