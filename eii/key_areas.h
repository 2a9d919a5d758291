// The key-area records of a preset block and what the preset reader builds from them: the
// scanned key areas, their merge, the marked region, the key map and the preset's voices.
#pragma once

#include <array>
#include <cstdint>

#include "eii/bank_model.h"

// Key numbers of the lowest and highest key; records cover the keys from the lowest upwards.
constexpr int32_t kLowestKey = 15;
constexpr int32_t kHighestKey = 75;
constexpr int32_t kKeyboardKeys = 61;
// KeyAreaData entries 5 and 6 hold this when the key area has no first or second voice.
constexpr int32_t kNoVoice = 255;
// The voice-use counters cover voice numbers 0..99.
constexpr int32_t kVoiceUseCounters = 100;

// One key-area record as it lies in the block. The list ends (no record) at key offset 61, at
// the end of the block, at a width of 0 or above 61, or at a record that would run past the
// block's end.
struct KeyAreaRecordView {
    int32_t offset;     // of byte 0 in the block
    int32_t size;       // 2, 5 or 8 bytes
    uint8_t type;       // bits 7..6 of byte 0: 0x00, 0x40, 0x80 or 0xC0
    int32_t width;      // number of keys
    int32_t keyOffset;  // keys before the record: it covers keys 15 + keyOffset onwards
    uint8_t flags;      // byte 1
};

// The record at `offset` (key offset keyOffset) of the block of `length` bytes; false when the
// list has ended.
bool ReadKeyAreaRecord(const uint8_t* block, int32_t length, int32_t offset, int32_t keyOffset,
                       KeyAreaRecordView* record);

// The marked region: the keys of the first run of records whose flag bit 3 is set. Leaves
// lowKey and highKey alone when no record is marked; highKey stays when the run reaches the end.
void FindMarkedRegion(const uint8_t* block, int32_t length, int32_t* lowKey, int32_t* highKey);

// The outcome of a scan: the list (none when no record names a voice), its length, 0 or error 10
// (a record whose flag byte has more than one of bits 0..2 set; the list then ends with that
// record's key area), and how many key areas name each voice number 0..99.
struct KeyAreaScan {
    KeyArea* first;
    int32_t count;
    int32_t error;
    std::array<int32_t, kVoiceUseCounters> voiceUses;
};

// One key area for every record while a voice is current, with the carried values of entries
// 8..10 and 12..14.
KeyAreaScan ScanKeyAreas(int8_t trace, int32_t context, uint8_t passThrough, const uint8_t* block,
                         int32_t length);

// A new list in which each run of neighbouring key areas with the same settings is one key area,
// renumbered from 0; *count receives its length. The scanned list is left alone.
KeyArea* MergeKeyAreas(int8_t trace, int32_t context, uint8_t passThrough, const KeyArea* scanned,
                       int32_t* count);

// keyMap[k] for key numbers k = 0..87: the number of the first key area covering k, else 255.
void BuildKeyMap(const KeyArea* first, int32_t* keyMap);

// Marks every key area naming a voice number that `voices` lacks (KeyAreaStatus 1); true when
// none does.
bool CheckKeyAreaVoices(KeyArea* first, const VoiceOverview* voices);

// Copies of the voices of `voices` that some key area names, in the bank's order; none when
// there is no such voice.
VoiceOverview* CollectPresetVoices(int8_t trace, int32_t context, uint8_t passThrough, const KeyArea* first,
                                   const VoiceOverview* voices);
