#include "eii/bank_model.h"

#include "common/trace.h"
#include "eii/list_copy.h"

BankBasicDetails* InitBankBasicDetails(int8_t trace, int32_t, uint8_t, BankBasicDetails* header) {
    TraceInitEnter(trace, "InitBankBasicDetails");
    if (header == nullptr) header = new BankBasicDetails();
    header->ImageOverview = nullptr;
    header->Number = 0;
    TraceInitEnd(trace, "InitBankBasicDetails");
    return header;
}

void FreeBankBasicDetailsMem(int8_t trace, int32_t context, uint8_t passThrough, BankBasicDetails* header) {
    TraceEnter(trace, "FreeBankBasicDetailsMem");
    if (header != nullptr) {
        FreeImageOverviewMem(trace, context, passThrough, header->ImageOverview);
        header->ImageOverview = nullptr;
    }
    TraceLine(trace, kTraceCalls, "--END:FreeBankBasicDetailsMem--\n");
}

Bank* InitBank(int8_t trace, int32_t context, uint8_t passThrough) {
    TraceInitEnter(trace, "InitBank");
    Bank* bank = new Bank();
    InitBankBasicDetails(trace, context, passThrough, bank);
    bank->Presets = nullptr;
    bank->Samples = nullptr;
    bank->Voices = nullptr;
    TraceInitEnd(trace, "InitBank");
    return bank;
}

void FreeBankMem(int8_t trace, int32_t context, uint8_t passThrough, Bank* bank) {
    if (bank == nullptr) return;
    FreeBankBasicDetailsMem(trace, context, passThrough, bank);
    FreeBankPresetOverviewMem(trace, context, passThrough, bank->Presets);
    FreeSampleOverviewMem(trace, context, passThrough, bank->Samples);
    FreeVoiceOverviewMem(trace, context, passThrough, bank->Voices);
    delete bank;
}

SampleOverview* InitSampleOverview(int8_t trace, int32_t, uint8_t) {
    TraceInitEnter(trace, "InitSampleOverview");
    SampleOverview* node = new SampleOverview();
    node->next = nullptr;
    TraceInitEnd(trace, "InitSampleOverview");
    return node;
}

void FreeSampleOverviewMem(int8_t, int32_t, uint8_t, SampleOverview* first) {
    FreeList(first);
}

VoiceOverview* InitVoiceOverview(int8_t trace, int32_t, uint8_t) {
    TraceInitEnter(trace, "InitVoiceOverview");
    VoiceOverview* node = new VoiceOverview();
    node->next = nullptr;
    TraceInitEnd(trace, "InitVoiceOverview");
    return node;
}

static VoiceOverview* InitListNode(int8_t trace, int32_t context, uint8_t passThrough, VoiceOverview*) {
    return InitVoiceOverview(trace, context, passThrough);
}

void FreeVoiceOverviewMem(int8_t, int32_t, uint8_t, VoiceOverview* first) {
    FreeList(first);
}

VoiceOverview* CopyVoiceOverview(int8_t trace, int32_t context, uint8_t passThrough,
                                 const VoiceOverview* first) {
    return CopyList(trace, context, passThrough, first);
}

Preset* InitPreset(int8_t trace, int32_t, uint8_t, Preset* preset) {
    TraceInitEnter(trace, "InitPreset");
    if (preset == nullptr) preset = new Preset();
    preset->KeyAreas = nullptr;
    preset->PresetVoices = nullptr;
    TraceInitEnd(trace, "InitPreset");
    return preset;
}

PresetOverview* InitPresetOverview(int8_t trace, int32_t context, uint8_t passThrough) {
    TraceInitEnter(trace, "InitPresetOverview");
    PresetOverview* node = new PresetOverview();
    node->next = nullptr;
    TraceInitEnd(trace, "InitPresetOverview");
    InitPreset(trace, context, passThrough, node);
    return node;
}

void FreeBankPresetMem(int8_t trace, int32_t context, uint8_t passThrough, Preset* preset) {
    TraceEnter(trace, "FreeBankPresetMem");
    FreeKeyAreaMem(trace, context, passThrough, preset->KeyAreas);
    preset->KeyAreas = nullptr;
    FreeVoiceOverviewMem(trace, context, passThrough, preset->PresetVoices);
    preset->PresetVoices = nullptr;
    TraceLine(trace, kTraceCalls, "--END FreeBankPresetMem--\n");
}

void FreeBankPresetOverviewMem(int8_t trace, int32_t context, uint8_t passThrough, PresetOverview* first) {
    TraceEnter(trace, "FreeBankPresetOverviewMem");
    while (first != nullptr) {
        PresetOverview* following = first->next;
        FreeBankPresetMem(trace, context, passThrough, first);
        delete first;
        first = following;
    }
    TraceEnd(trace, "FreeBankPresetOverviewMem");
}

KeyArea* InitKeyArea(int8_t trace, int32_t, uint8_t) {
    TraceInitEnter(trace, "InitKeyArea");
    KeyArea* node = new KeyArea();
    node->next = nullptr;
    TraceInitEnd(trace, "InitKeyArea");
    return node;
}

static KeyArea* InitListNode(int8_t trace, int32_t context, uint8_t passThrough, KeyArea*) {
    return InitKeyArea(trace, context, passThrough);
}

void FreeKeyAreaMem(int8_t trace, int32_t, uint8_t, KeyArea* first) {
    TraceEnter(trace, "FreeKeyAreaMem");
    FreeList(first);
    TraceEnd(trace, "FreeKeyAreaMem");
}

KeyArea* CopyKeyArea(int8_t trace, int32_t context, uint8_t passThrough, const KeyArea* first) {
    return CopyList(trace, context, passThrough, first);
}
