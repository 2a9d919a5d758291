#include "eii/preset.h"

#include <array>
#include <initializer_list>
#include <vector>

#include "common/bytes.h"
#include "common/trace.h"
#include "eii/key_areas.h"

namespace {

constexpr int32_t kNoError = 0;

// Bytes 2..9 go to these slots in this order; the first six slots hold at most 7.
constexpr std::array<int32_t, 8> kLevelSlots{0, 1, 3, 4, 5, 2, 6, 7};
constexpr int32_t kLimitedLevelSlots = 6;
constexpr int32_t kLevelLimit = 7;

// Byte 32 (0..5) mapped into slot 30.
constexpr std::array<int32_t, 6> kByte32Modes{0, 0, 1, 2, 5, 3};

// Slot 23 from byte 35 (0..127), in three straight bands.
int32_t Byte35Value(int32_t byte) {
    if (byte <= 80) return (byte + 40) * 100;
    if (byte <= 101) return (2 * byte - 40) * 100;
    return (3 * byte - 141) * 100;
}

// Slot 16 from bits 0 and 1 of the flag byte 24.
int32_t Byte24Mode(uint8_t flags) {
    if ((flags & 0x01) == 0) return 2;
    return (flags & 0x02) != 0 ? 1 : 0;
}

// The fixed part of the block, bytes 2..36, in offset order; 0 or the code of the first check
// that fails (2..9).
int32_t DecodePresetHeader(const uint8_t* block, Preset* preset) {
    int32_t* param = preset->Param;
    for (int32_t index = 0; index < static_cast<int32_t>(kLevelSlots.size()); ++index) {
        int32_t value = block[2 + index];
        if (index < kLimitedLevelSlots && value > kLevelLimit) value = kLevelLimit;
        param[kLevelSlots[index]] = value;
    }
    if ((block[10] & 0x80) == 0) return 2;
    constexpr int32_t kNameOffset = 11;
    for (int32_t index = 0; index < kEmuNameLength; ++index) {
        if (block[kNameOffset + index] >= 0x80) {
            preset->PresetName[0] = '\0';
            return 3;
        }
        preset->PresetName[index] = static_cast<char>(block[kNameOffset + index]);
    }
    preset->PresetName[kEmuNameLength] = '\0';
    if (block[23] > 15) return 4;
    param[8] = block[23] + 1;
    uint8_t flags = block[24];
    if (flags > 63) return 5;
    param[9] = (flags >> 3) & 1;
    param[11] = 1;
    param[12] = (flags & 0x20) == 0 ? 1 : 0;
    param[13] = (flags & 0x10) == 0 ? 1 : 0;
    param[14] = (flags >> 3) & 1;
    param[15] = 1;
    param[16] = Byte24Mode(flags);
    param[17] = block[25] - 1;
    param[18] = block[26] - 1;
    param[19] = 0;
    param[20] = block[27] - 1;
    param[21] = block[28] - 1;
    param[22] = block[29] - 1;
    param[10] = block[30] - 1;
    if (block[32] > 5) return 6;
    param[24] = block[32] == 0 ? 0 : 1;
    param[30] = kByte32Modes[block[32]];
    if (block[33] > 2) return 7;
    param[32] = block[33];
    param[31] = 12;
    if (block[35] > 127) return 8;
    param[23] = Byte35Value(block[35]);
    if (block[36] > 7) return 9;
    param[28] = block[36] + 1;
    return kNoError;
}

// Gives the preset a new key-area list, releasing the one it held.
void ReplaceKeyAreas(int8_t trace, int32_t context, uint8_t passThrough, Preset* preset, KeyArea* first) {
    if (preset->KeyAreas != nullptr) FreeKeyAreaMem(trace, context, passThrough, preset->KeyAreas);
    preset->KeyAreas = first;
}

// Everything that follows a valid fixed part: the marked region, the key areas, the key map,
// the voice check and the preset's voices.
int32_t DecodeKeyAreas(int8_t trace, int32_t context, uint8_t passThrough, const std::vector<uint8_t>& block,
                       Preset* preset, const VoiceOverview* voices) {
    int32_t* param = preset->Param;
    for (int32_t slot : {25, 26, 29, 33, 36, 37}) param[slot] = 0;
    param[27] = 1;
    param[kPresetMarkedLowKeySlot] = kLowestKey;
    param[kPresetMarkedHighKeySlot] = kHighestKey;
    int32_t length = static_cast<int32_t>(block.size());
    if (param[24] == 1)
        FindMarkedRegion(block.data(), length, &param[kPresetMarkedLowKeySlot],
                         &param[kPresetMarkedHighKeySlot]);

    KeyAreaScan scan = ScanKeyAreas(trace, context, passThrough, block.data(), length);
    ReplaceKeyAreas(trace, context, passThrough, preset, scan.first);
    TraceLine(trace, kTraceDetails, "Found %d key areas - unfiltered yet...\n", scan.count);
    param[kPresetKeyAreaCountSlot] = scan.count;
    param[kPresetKeyAreaCountCopySlot] = scan.count;
    int32_t voicesUsed = 0;
    for (int32_t voice = 1; voice < kVoiceUseCounters; ++voice)
        voicesUsed += scan.voiceUses[voice] != 0 ? 1 : 0;
    param[kPresetVoiceCountSlot] = voicesUsed;
    if (scan.error != kNoError) return scan.error;

    if (scan.count != 0) {
        int32_t merged = 0;
        KeyArea* mergedList = MergeKeyAreas(trace, context, passThrough, scan.first, &merged);
        ReplaceKeyAreas(trace, context, passThrough, preset, mergedList);
        param[kPresetKeyAreaCountSlot] = merged;
        param[kPresetKeyAreaCountCopySlot] = merged;
        TraceLine(trace, kTraceDetails, "Total number of key areas is %d.\n", merged);
    }
    BuildKeyMap(preset->KeyAreas, &param[kPresetKeyMapSlot]);
    if (!CheckKeyAreaVoices(preset->KeyAreas, voices)) return 11;

    FreeVoiceOverviewMem(trace, context, passThrough, preset->PresetVoices);
    preset->PresetVoices = CollectPresetVoices(trace, context, passThrough, preset->KeyAreas, voices);
    return kNoError;
}

}  // namespace

StatusRecord GetEmuIIBankPresetDetails(int8_t trace, int32_t context, uint8_t passThrough,
                                       const uint8_t* parameters, int32_t parameterSize, int32_t presetNumber,
                                       int32_t presetOffset, Preset* preset, const VoiceOverview* voices) {
    TraceEnter(trace, "GetEmuIIBankPresetDetails");
    StatusRecord status = InitStatusRecord();
    preset->PresetNumber = presetNumber;
    preset->PresetName[0] = '\0';

    // Bytes 0..1 of the block hold its length, these two bytes included. A block that is shorter
    // than its fixed part or runs past the parameter bytes is not decoded.
    int32_t length = 0;
    bool lengthInside = presetOffset >= 0 && presetOffset <= parameterSize - 2;
    if (lengthInside) length = ReadLittle16(parameters + presetOffset);
    bool blockInside =
        lengthInside && length >= kPresetRecordsOffset && length <= parameterSize - presetOffset;

    int32_t code = kPresetBlockOutside;
    if (blockInside) {
        std::vector<uint8_t> block(parameters + presetOffset, parameters + presetOffset + length);
        if (trace >= kTraceDetails) {
            TraceLine(trace, kTraceDetails, "Hex string PRESET %d:\n", presetNumber);
            for (uint8_t byte : block) TraceLine(trace, kTraceDetails, "%X ", byte);
            TraceLine(trace, kTraceDetails, "\n");
        }
        code = DecodePresetHeader(block.data(), preset);
        if (code == kNoError) code = DecodeKeyAreas(trace, context, passThrough, block, preset, voices);
    }

    preset->ValidCode = code == kNoError ? kValidRecord : static_cast<int8_t>(code);
    if (code != kNoError)
        status = MakeStatus(592, 'E', "Preset %d contains invalid parameters. Errorcode is %d.", presetNumber,
                            code);
    TraceEnd(trace, "GetEmuIIBankPresetDetails");
    TraceWait(trace, kTraceCalls);
    return status;
}
