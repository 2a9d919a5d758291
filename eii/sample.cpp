#include "eii/sample.h"

#include <array>

#include "common/bytes.h"
#include "common/trace.h"

namespace {

// The sample a voice block names, when its sample fields lie inside the parameter bytes.
struct NamedSample {
    bool named;
    int32_t start;
    int32_t size;
};

// The sample of every voice slot in voice order; slots without a voice name no sample.
std::array<NamedSample, kEmuTableSlots> ReadNamedSamples(const uint8_t* parameters,
                                                         const BankBasicDetails& header) {
    std::array<NamedSample, kEmuTableSlots> samples{};
    for (int32_t voice = 0; voice < kEmuTableSlots; ++voice) {
        int32_t block = header.VoiceAddress[voice];
        if (block < 0 || block + kVoiceSampleFieldsEnd > header.StartSampleAddress) continue;
        samples[voice] = {true, DecodeEmuAddress24(parameters + block + kVoiceSampleStartField),
                          ReadLittle24(parameters + block + kVoiceSampleSizeField)};
    }
    return samples;
}

// Keeps only the first voice of every sample start, so each sample is named once.
void DropSharedStarts(std::array<NamedSample, kEmuTableSlots>& samples) {
    for (int32_t voice = 0; voice < kEmuTableSlots; ++voice) {
        if (!samples[voice].named) continue;
        for (int32_t later = voice + 1; later < kEmuTableSlots; ++later) {
            if (samples[later].named && samples[later].start == samples[voice].start)
                samples[later].named = false;
        }
    }
}

}  // namespace

StatusRecord GetEmuIIBankSampleDetails(int8_t trace, int32_t, uint8_t, const uint8_t* parameters, int32_t n,
                                       SampleOverview* sample, BankBasicDetails header) {
    TraceEnter(trace, "GetEmuIIBankSampleDetails");
    std::array<NamedSample, kEmuTableSlots> samples = ReadNamedSamples(parameters, header);
    DropSharedStarts(samples);

    const NamedSample* found = nullptr;
    int32_t counted = 0;
    for (const NamedSample& candidate : samples) {
        if (candidate.named && ++counted == n) {
            found = &candidate;
            break;
        }
    }
    if (found == nullptr)
        return MakeStatus(574, 'F', "Emulator II sample %d not found. Consistency problem.", n);

    bool valid = found->start >= 0 && found->start <= kEmuImageSize && found->size >= 0 &&
                 found->size <= kEmuImageSize - header.StartSampleAddress;
    sample->SampleNumber = n;
    sample->SampleStart = found->start;
    sample->SampleSize = found->size;
    sample->SampleEnd = found->start + found->size;
    sample->SampleRate = kEmuSampleRate;
    sample->ValidCode = valid ? kValidRecord : 1;
    if (!valid) return MakeStatus(573, 'E', "Emulator II sample %d has invalid sample address.", n);

    TraceEnd(trace, "GetEmuIIBankSampleDetails");
    return InitStatusRecord();
}
