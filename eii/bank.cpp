#include "eii/bank.h"

#include <algorithm>
#include <vector>

#include "common/trace.h"
#include "eii/image.h"
#include "eii/preset.h"
#include "eii/sample.h"
#include "eii/voice.h"

namespace {

// Status codes that a reader returns for a fault inside one record; the record keeps the fault
// in its ValidCode and the reading goes on.
constexpr int32_t kInvalidSampleAddress = 573;
constexpr int32_t kInvalidPresetParameters = 592;
constexpr int32_t kInvalidVoiceParameters = 593;

// What one GetBankDetails call owns while it reads: the parameter bytes, one scratch record per
// reader, and the three lists under construction.
struct BankReading {
    std::vector<uint8_t> parameters;
    SampleOverview* scratchSample = nullptr;
    VoiceOverview* scratchVoice = nullptr;
    Preset* scratchPreset = nullptr;
    SampleOverview* samples = nullptr;
    VoiceOverview* voices = nullptr;
    PresetOverview* presets = nullptr;
};

// Links node after *last (or makes it the head) and makes it the last node.
template <typename Node>
void Append(Node** head, Node** last, Node* node) {
    node->next = nullptr;
    if (*last == nullptr)
        *head = node;
    else
        (*last)->next = node;
    *last = node;
}

void ReleaseScratch(int8_t trace, BankReading* reading) {
    FreeSampleOverviewMem(trace, kContextNumber, kPassThroughByte, reading->scratchSample);
    FreeVoiceOverviewMem(trace, kContextNumber, kPassThroughByte, reading->scratchVoice);
    FreeBankPresetMem(trace, kContextNumber, kPassThroughByte, reading->scratchPreset);
    delete reading->scratchPreset;
    reading->scratchSample = nullptr;
    reading->scratchVoice = nullptr;
    reading->scratchPreset = nullptr;
}

// Ends a reading that failed: everything it made goes, and the failure is passed on unchanged.
StatusRecord AbandonReading(int8_t trace, BankReading* reading, StatusRecord failure) {
    FreeBankPresetOverviewMem(trace, kContextNumber, kPassThroughByte, reading->presets);
    FreeSampleOverviewMem(trace, kContextNumber, kPassThroughByte, reading->samples);
    FreeVoiceOverviewMem(trace, kContextNumber, kPassThroughByte, reading->voices);
    ReleaseScratch(trace, reading);
    return failure;
}

void TraceImageList(int8_t trace, const ImageOverview* first) {
    for (; first != nullptr; first = first->next)
        TraceLine(trace, kTraceDetails, "---__>> %s\n", first->Name);
}

StatusRecord ReadSamples(int8_t trace, const BankBasicDetails& header, BankReading* reading) {
    TraceLine(trace, kTraceDetails, "Number of samples = %d\n", header.NumberOfSamples);
    SampleOverview* last = nullptr;
    for (int32_t number = 1; number <= header.NumberOfSamples; ++number) {
        TraceLine(trace, kTraceCalls,
                  "GetBankDetails:  calling GetBankSampleDetails for sample %d in bank %d (%s)\n", number,
                  header.Number, header.Name);
        StatusRecord status =
            GetEmuIIBankSampleDetails(trace, kContextNumber, kPassThroughByte, reading->parameters.data(),
                                      number, reading->scratchSample, header);
        if (status.code != 0 && status.code != kInvalidSampleAddress) return status;
        SampleOverview* node = InitSampleOverview(trace, kContextNumber, kPassThroughByte);
        *node = *reading->scratchSample;
        Append(&reading->samples, &last, node);
    }
    return InitStatusRecord();
}

StatusRecord ReadVoices(int8_t trace, const BankBasicDetails& header, BankReading* reading) {
    VoiceOverview* last = nullptr;
    int32_t read = 0;
    for (int32_t entry = 0; entry < kEmuTableSlots && read < header.NumberOfVoices; ++entry) {
        if (header.VoiceAddress[entry] == -1) continue;
        TraceLine(trace, kTraceDetails,
                  "GetBankDetails:  calling GetEmuIIBankVoiceDetails for voice %d in bank %d (%s)\n",
                  entry + 1, header.Number, header.Name);
        StatusRecord status = GetEmuIIBankVoiceDetails(
            trace, kContextNumber, kPassThroughByte, reading->parameters.data(), entry + 1,
            header.VoiceAddress[entry], reading->scratchVoice, reading->samples, header);
        if (status.code != 0 && status.code != kInvalidVoiceParameters) return status;
        VoiceOverview* node = InitVoiceOverview(trace, kContextNumber, kPassThroughByte);
        *node = *reading->scratchVoice;
        Append(&reading->voices, &last, node);
        ++read;
    }
    return InitStatusRecord();
}

StatusRecord ReadPresets(int8_t trace, const BankBasicDetails& header, BankReading* reading) {
    PresetOverview* last = nullptr;
    int32_t read = 0;
    Preset* scratch = reading->scratchPreset;
    for (int32_t entry = 0; entry < kEmuTableSlots && read < header.NumberOfPresets; ++entry) {
        if (header.PresetAddress[entry] == -1) continue;
        TraceLine(trace, kTraceDetails,
                  "GetBankDetails:  calling GetBankPresetDetails for preset %d in bank %d (%s)\n", entry,
                  header.Number, header.Name);
        StatusRecord status =
            GetEmuIIBankPresetDetails(trace, kContextNumber, kPassThroughByte, reading->parameters.data(),
                                      static_cast<int32_t>(reading->parameters.size()), entry + 1,
                                      header.PresetAddress[entry], scratch, reading->voices);
        if (status.code != 0 && status.code != kInvalidPresetParameters) return status;
        PresetOverview* node = InitPresetOverview(trace, kContextNumber, kPassThroughByte);
        static_cast<Preset&>(*node) = *scratch;
        node->KeyAreas = CopyKeyArea(trace, kContextNumber, kPassThroughByte, scratch->KeyAreas);
        node->PresetVoices =
            CopyVoiceOverview(trace, kContextNumber, kPassThroughByte, scratch->PresetVoices);
        Append(&reading->presets, &last, node);
        // The next preset starts without lists: a preset that fails before its key areas must not
        // carry those of the one before it.
        FreeBankPresetMem(trace, kContextNumber, kPassThroughByte, scratch);
        ++read;
    }
    return InitStatusRecord();
}

}  // namespace

StatusRecord GetBankDetails(int8_t trace, ImageOverview overview, BankBasicDetails header, Bank* bank) {
    TraceEnter(trace, "GetBankDetails");
    TraceLine(trace, kTraceDetails, "Dbg point address imageoverview... %p\n",
              static_cast<void*>(header.ImageOverview));
    TraceImageList(trace, header.ImageOverview);

    BankReading reading;
    reading.scratchPreset = InitPreset(trace, kContextNumber, kPassThroughByte, nullptr);
    reading.scratchSample = InitSampleOverview(trace, kContextNumber, kPassThroughByte);
    reading.scratchVoice = InitVoiceOverview(trace, kContextNumber, kPassThroughByte);

    int32_t parameterSize = std::max<int32_t>(header.StartSampleAddress, 0);
    reading.parameters.assign(static_cast<size_t>(parameterSize), 0);
    StatusRecord status = ReadImageData(trace, overview, 0, parameterSize - 1, reading.parameters.data());
    if (status.code != 0) return AbandonReading(trace, &reading, status);

    // Every sample is read before any voice, because a voice looks its sample up in the finished
    // sample list; every voice before any preset, because a preset copies the voices it uses.
    status = ReadSamples(trace, header, &reading);
    if (status.code != 0) return AbandonReading(trace, &reading, status);
    status = ReadVoices(trace, header, &reading);
    if (status.code != 0) return AbandonReading(trace, &reading, status);
    status = ReadPresets(trace, header, &reading);
    if (status.code != 0) return AbandonReading(trace, &reading, status);

    static_cast<BankBasicDetails&>(*bank) = header;
    TraceLine(trace, kTraceDetails, "... %p\n", static_cast<void*>(bank->ImageOverview));
    TraceImageList(trace, bank->ImageOverview);
    bank->ImageOverview = CopyImageOverview(trace, kContextNumber, kPassThroughByte, header.ImageOverview);
    TraceLine(trace, kTraceDetails, "+++\n");
    TraceImageList(trace, bank->ImageOverview);
    bank->Presets = reading.presets;
    bank->Samples = reading.samples;
    bank->Voices = reading.voices;

    ReleaseScratch(trace, &reading);
    TraceEnd(trace, "GetBankDetails");
    TraceWait(trace, kTraceCalls);
    return InitStatusRecord();
}

StatusRecord ValidateBank(int8_t trace, const Bank* bank) {
    TraceEnter(trace, "ValidateBank");
    for (const SampleOverview* sample = bank->Samples; sample != nullptr; sample = sample->next) {
        if (sample->ValidCode != kValidRecord)
            return MakeStatus(801, 'E', "EII Bank is corrupt (Sample=%d, Reason=%d).", sample->SampleNumber,
                              sample->ValidCode);
    }
    for (const VoiceOverview* voice = bank->Voices; voice != nullptr; voice = voice->next) {
        if (voice->ValidCode != kValidRecord)
            return MakeStatus(802, 'E', "EII Bank is corrupt (Voice=%d, Reason=%d).", voice->VoiceNumber,
                              voice->ValidCode);
    }
    TraceEnd(trace, "ValidateBank");
    return InitStatusRecord();
}
