// The presets of an Emulator II bank: every preset is a variable-length preset block in the
// parameter area, at the bank offset that the preset table gives. A preset maps the 61 keys
// (key numbers 15 to 75) onto voices through a list of run-length key-area records.
#pragma once

#include <cstdint>

#include "common/status.h"
#include "eii/bank_model.h"

// The fixed part of a preset block ends where the key-area records begin.
constexpr int32_t kPresetRecordsOffset = 37;
// ValidCode of a preset whose block is shorter than its fixed part or does not lie wholly inside
// the parameter bytes; the block is not decoded. Codes 2..11 name the first preset check that
// failed.
constexpr int8_t kPresetBlockOutside = 12;

// Param slots of a Preset.
constexpr int32_t kPresetMarkedHighKeySlot = 34;
constexpr int32_t kPresetMarkedLowKeySlot = 35;
constexpr int32_t kPresetKeyAreaCountSlot = 41;
constexpr int32_t kPresetVoiceCountSlot = 42;
constexpr int32_t kPresetKeyAreaCountCopySlot = 43;
constexpr int32_t kPresetKeyMapSlot = 44;  // slot 44 + k holds the key area of key number k
constexpr int32_t kPresetKeyMapKeys = 88;

// Reads the preset block at bank offset presetOffset of `parameters` (the first parameterSize
// image bytes, 0..StartSampleAddress - 1) into `preset` as preset presetNumber (1-based):
// header fields, the merged key areas, the key map and copies of the bank voices (from `voices`,
// the bank's finished voice list) that the key areas name. Success when every check passes
// (ValidCode 99); otherwise ValidCode holds the code of the first failed check and the status is
// 592 "Preset %d contains invalid parameters. Errorcode is %d.". KeyAreas and PresetVoices are
// replaced (the previous lists released) only when decoding reaches them.
StatusRecord GetEmuIIBankPresetDetails(int8_t trace, int32_t context, uint8_t passThrough,
                                       const uint8_t* parameters, int32_t parameterSize, int32_t presetNumber,
                                       int32_t presetOffset, Preset* preset, const VoiceOverview* voices);
