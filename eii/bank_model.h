// The in-memory model of one Emulator II bank: the header (BankBasicDetails), the Bank built on
// it, and the sample, voice, preset and key-area lists, with their Init, Copy and Free
// operations. Every list is singly linked through `next`; -1 marks an empty address entry.
#pragma once

#include <cstdint>

#include "eii/image_overview.h"

// Size of an Emulator II image file and of the bank it holds.
constexpr int32_t kEmuImageSize = 485887;
// The bank header occupies image bytes 0..1279.
constexpr int32_t kEmuHeaderSize = 1280;
// Slots of the preset, voice and sequence tables; entries 99 and 100 are always -1.
constexpr int32_t kEmuTableSlots = 99;
constexpr int32_t kEmuAddressEntries = 101;
constexpr int32_t kEmuNameLength = 12;
// ValidCode of a sample, voice or preset that passed every check (the character 'c').
constexpr int8_t kValidRecord = 99;
constexpr int32_t kEmuSampleRate = 27778;
constexpr int32_t kVoiceParamSlots = 66;
constexpr int32_t kPresetParamSlots = 132;
constexpr int32_t kKeyAreaDataEntries = 15;

struct BankBasicDetails {
    int32_t Number;
    char Name[kEmuNameLength + 1];
    int8_t Type;
    int32_t PresetAddress[kEmuAddressEntries];
    int32_t SequenceAddress[kEmuAddressEntries];
    int32_t VoiceAddress[kEmuAddressEntries];
    int32_t StartSampleAddress;
    int32_t EndSampleAddress;  // first offset after the sample area
    int32_t SequenceSize;
    int32_t TotalSampleSize;
    int32_t BankSize;
    int32_t ImageNumber;
    int32_t RecentPreset;
    int32_t RecentSequence;
    int32_t RecentSample;
    int32_t NumberOfReqDisks;
    int32_t NumberOfSamples;
    int32_t NumberOfPresets;
    int32_t NumberOfVoices;
    int32_t NumberOfSequences;
    int32_t NumberOfImages;
    uint8_t BackupStatus;
    ::ImageOverview* ImageOverview;  // one-node list: the image the bank was read from
};

struct SampleOverview {
    int32_t SampleNumber;  // 1-based
    int32_t SampleStart;   // bank offset of the first sample byte
    int32_t SampleEnd;     // bank offset just past the last sample byte
    int32_t SampleSize;
    int32_t SampleRate;
    int8_t ValidCode;  // 99 valid, 1 address or size out of range
    SampleOverview* next;
};

struct VoiceOverview {
    int32_t VoiceNumber;  // 1-based
    char VoiceName[kEmuNameLength + 1];
    int8_t ValidCode;  // 99 valid, else the first failed voice check
    int32_t Param[kVoiceParamSlots];
    uint8_t LoopInfoCode;
    VoiceOverview* next;
};

struct KeyArea {
    int32_t KeyAreaNumber;  // 0-based position in the preset's list
    int32_t KeyAreaIndex;   // the same value
    uint8_t KeyAreaStatus;  // 99 valid, 1 names a voice the bank lacks
    int32_t KeyAreaData[kKeyAreaDataEntries];
    KeyArea* next;
};

struct Preset {
    int32_t PresetNumber;  // 1-based
    char PresetName[kEmuNameLength + 1];
    int8_t ValidCode;  // 99 valid, else the first failed preset check
    int32_t Param[kPresetParamSlots];
    KeyArea* KeyAreas;
    VoiceOverview* PresetVoices;  // copies of the bank voices the preset uses
};

struct PresetOverview : Preset {
    PresetOverview* next;
};

// The header is the first part of a Bank, so every header operation applies to a Bank.
struct Bank : BankBasicDetails {
    PresetOverview* Presets;
    SampleOverview* Samples;
    VoiceOverview* Voices;
};

// Allocates a header when none is given; sets ImageOverview to none and Number to 0.
BankBasicDetails* InitBankBasicDetails(int8_t trace, int32_t context, uint8_t passThrough,
                                       BankBasicDetails* header);
// Releases the header's ImageOverview list (the record itself stays). None is allowed.
void FreeBankBasicDetailsMem(int8_t trace, int32_t context, uint8_t passThrough, BankBasicDetails* header);

Bank* InitBank(int8_t trace, int32_t context, uint8_t passThrough);
// Releases the Bank and everything it owns. None does nothing.
void FreeBankMem(int8_t trace, int32_t context, uint8_t passThrough, Bank* bank);

SampleOverview* InitSampleOverview(int8_t trace, int32_t context, uint8_t passThrough);
void FreeSampleOverviewMem(int8_t trace, int32_t context, uint8_t passThrough, SampleOverview* first);

VoiceOverview* InitVoiceOverview(int8_t trace, int32_t context, uint8_t passThrough);
void FreeVoiceOverviewMem(int8_t trace, int32_t context, uint8_t passThrough, VoiceOverview* first);
VoiceOverview* CopyVoiceOverview(int8_t trace, int32_t context, uint8_t passThrough,
                                 const VoiceOverview* first);

// Allocates a Preset when none is given; sets KeyAreas and PresetVoices to none.
Preset* InitPreset(int8_t trace, int32_t context, uint8_t passThrough, Preset* preset);
PresetOverview* InitPresetOverview(int8_t trace, int32_t context, uint8_t passThrough);
// Releases the Preset's key areas and voices; the Preset itself stays.
void FreeBankPresetMem(int8_t trace, int32_t context, uint8_t passThrough, Preset* preset);
void FreeBankPresetOverviewMem(int8_t trace, int32_t context, uint8_t passThrough, PresetOverview* first);

KeyArea* InitKeyArea(int8_t trace, int32_t context, uint8_t passThrough);
void FreeKeyAreaMem(int8_t trace, int32_t context, uint8_t passThrough, KeyArea* first);
KeyArea* CopyKeyArea(int8_t trace, int32_t context, uint8_t passThrough, const KeyArea* first);
