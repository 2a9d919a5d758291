#include "eii/voice.h"

#include <array>
#include <cstring>

#include "common/bytes.h"
#include "common/trace.h"
#include "eii/sample.h"
#include "eii/voice_tables.h"

namespace {

// One test of the voice header (bytes 0..25): the byte, masked, must equal one of the allowed
// values. The tests run in table order; the first that fails gives its subcode.
struct HeaderByteTest {
    int32_t subcode;
    int32_t offset;
    uint8_t mask;
    std::array<uint8_t, 5> allowed;
    int32_t allowedCount;
};

constexpr std::array<HeaderByteTest, 14> kVoiceHeaderTests{{
    {1, 0, 0xFF, {4}, 1},
    {1, 1, 0xFF, {3}, 1},
    {5, 5, 0xFF, {2}, 1},
    {9, 9, 0xFF, {1}, 1},
    {8, 8, 0xF0, {0x40, 0x60}, 2},  // high nibble 4 or 6
    {13, 13, 0xFF, {0}, 1},
    {17, 17, 0xFF, {1}, 1},
    {18, 18, 0xFF, {0}, 1},
    {16, 16, 0xF0, {0x40, 0x50, 0x60}, 3},              // high nibble 4, 5 or 6
    {21, 21, 0xF0, {0x00, 0x20, 0x40, 0x50, 0x60}, 5},  // high nibble 0, 2, 4, 5 or 6
    {22, 22, 0xFF, {0}, 1},
    {22, 23, 0xFF, {0}, 1},
    {22, 24, 0xFF, {0}, 1},
    {22, 25, 0xFF, {0}, 1},
}};

// Three byte pairs (bytes 40..45) each code a value byteLow + 4 * byteHigh - 112 in 0..15.
struct BytePairField {
    int32_t offset;
    int32_t slot;
    int32_t error;
};
constexpr std::array<BytePairField, 3> kBytePairFields{{{40, 15, 9}, {42, 14, 10}, {44, 13, 11}}};
constexpr int32_t kBytePairBias = 112;

// Two groups of 16 code pairs: pair i is (byte first + i, byte first + 16 + i). Only pair 0 is
// decoded, into `slot`; `zeroSlot` is its neighbour that holds 0.
struct CodePairGroup {
    int32_t first;
    int32_t slot;
    int32_t zeroSlot;
    int32_t error;
};
constexpr std::array<CodePairGroup, 2> kCodePairGroups{{{80, 5, 6, 17}, {112, 0, 1, 18}}};
constexpr int32_t kCodePairsPerGroup = 16;

// The two fixed three-byte marks at bytes 162..164 and 183..185.
constexpr std::array<uint8_t, 3> kFixedMark{0x00, 0xF3, 0x0F};

// Slots that hold 0 once every check has passed.
constexpr std::array<int32_t, 8> kZeroSlotsOfValidVoice{33, 34, 39, 41, 42, 44, 46, 47};

constexpr int32_t kNoError = 0;

// The bytes 26..49: step, levels, fixed marks, byte pairs and the bit field of byte 47.
int32_t DecodeControlBytes(const uint8_t* block, int32_t* param) {
    int32_t step = 0;
    if (!DecodeStep(block[26], &step)) return 2;
    param[17] = step;
    param[18] = 0;
    param[19] = block[27] >> 4;
    param[20] = block[27] & 0x0F;
    if ((block[28] >> 1) > 99) return 3;
    param[11] = block[28] >> 1;
    if (block[29] < 15 || block[29] > 113) return 4;
    param[10] = block[29] - 14;
    if ((block[30] & 0x0F) != 0) return 5;
    param[12] = block[30] >> 4;
    if ((block[31] & 0x0F) != 0) return 6;
    param[40] = block[31] >> 4;
    if (block[32] != 0x00 || block[33] != 0xFF || block[34] != 0xA5 || block[36] != 0x00 || block[38] != 0x90)
        return 7;
    // Byte 35 is a reference byte that bytes 39, 150 and 171 repeat.
    if (block[39] != block[35]) return 22;
    if ((block[37] >> 2) > 51) return 8;
    for (const BytePairField& field : kBytePairFields) {
        int32_t value = block[field.offset] + 4 * block[field.offset + 1] - kBytePairBias;
        if (value < 0 || value > 15) return field.error;
        param[field.slot] = value;
    }
    param[16] = 0;
    if (block[46] > 31 && block[46] != 99) return 12;
    param[8] = block[46] == 99 ? 0 : block[46] + 1;
    // Byte 47: bit 7 is the sign of the value in byte 37, bits 6..0 go to slots 26..32.
    for (int32_t bit = 6; bit >= 0; --bit) param[26 + (6 - bit)] = (block[47] >> bit) & 1;
    int32_t level = block[37] >> 2;
    param[37] = (block[47] & 0x80) != 0 ? -level : level - 1;
    int32_t value48 = (block[48] >> 1) - 7;
    if (value48 < 0) return 13;
    param[35] = value48;
    int32_t difference = block[48] - block[49];
    if (difference < 0 || difference > 15) return 14;
    param[22] = difference;
    param[23] = 0;
    return kNoError;
}

// The scale byte 64 with byte 65, and the two groups of code pairs (bytes 80..143).
int32_t DecodeScaleAndCodePairs(const uint8_t* block, int32_t* param) {
    int32_t scale = DecodeScale(block[64]);
    if (scale < kLowestScale) return 15;
    param[43] = scale;
    int32_t difference = block[64] - block[65];
    if (difference < 0 || difference > 15) return 16;
    param[21] = difference;
    for (const CodePairGroup& group : kCodePairGroups) {
        for (int32_t pair = 0; pair < kCodePairsPerGroup; ++pair) {
            int32_t index =
                PairCodeIndex(block[group.first + pair], block[group.first + kCodePairsPerGroup + pair]);
            if (index == kNoCode) return group.error;
            if (pair == 0) {
                param[group.slot] = index;
                param[group.zeroSlot] = 0;
            }
        }
    }
    return kNoError;
}

// A code triple at `offset` into `slot`; `error` when the triple is not in the table.
int32_t DecodeTriple(const uint8_t* block, int32_t offset, int32_t slot, int32_t error, int32_t* param) {
    int32_t index = TripleCodeIndex(block[offset], block[offset + 1], block[offset + 2]);
    if (index == kNoCode) return error;
    param[slot] = index;
    return kNoError;
}

bool HoldsFixedMark(const uint8_t* bytes) {
    return std::memcmp(bytes, kFixedMark.data(), kFixedMark.size()) == 0;
}

// Bytes 144..185: code triples, fixed bytes and the bytes that repeat bytes 35, 37, 148, 169.
int32_t DecodeTriplesAndRepeats(const uint8_t* block, int32_t* param) {
    int32_t code = DecodeTriple(block, 144, 7, 19, param);
    if (code != kNoError) return code;
    if (block[147] != block[37]) return 20;
    // Byte 148 is a reference byte that bytes 154 and 161 repeat.
    if (block[149] != 0x97) return 21;
    if (block[150] != block[35]) return 22;
    if (block[154] != block[148]) return 23;
    code = DecodeTriple(block, 158, 9, 24, param);
    if (code != kNoError) return code;
    if (block[161] != block[148]) return 23;
    if (!HoldsFixedMark(block + 162)) return 25;
    code = DecodeTriple(block, 165, 2, 26, param);
    if (code != kNoError) return code;
    if (block[168] != 0xFF) return 27;
    if ((block[169] & 0x07) != 0x07) return 28;
    param[3] = (block[169] >> 3) + 1;
    if (block[170] != 0xAC) return 29;
    if (block[171] != block[35]) return 22;
    if (block[175] != block[169]) return 30;
    code = DecodeTriple(block, 179, 4, 31, param);
    if (code != kNoError) return code;
    if (block[182] != block[169]) return 30;
    if (!HoldsFixedMark(block + 183)) return 32;
    return kNoError;
}

// The name (bytes 186..197, 7-bit characters) and the flag byte 198.
int32_t DecodeNameAndFlags(const uint8_t* block, VoiceOverview* voice) {
    constexpr int32_t kNameOffset = 186;
    for (int32_t index = 0; index < kEmuNameLength; ++index) {
        if (block[kNameOffset + index] >= 0x80) {
            voice->VoiceName[0] = '\0';
            return 33;
        }
        voice->VoiceName[index] = static_cast<char>(block[kNameOffset + index]);
    }
    voice->VoiceName[kEmuNameLength] = '\0';
    uint8_t flags = block[198];
    if ((flags & 0xC0) != 0) return 34;
    int32_t* param = voice->Param;
    param[38] = flags & 1;
    param[kVoiceLoopOnSlot] = (flags >> 2) & 1;
    param[62] = (flags >> 3) & 1;
    param[61] = (flags >> 4) & 1;
    param[60] = (flags >> 5) & 1;
    param[63] = 0;
    voice->LoopInfoCode = 0;
    return kNoError;
}

bool Outside(int32_t value, int32_t low, int32_t high) {
    // Compared unsigned, so that a negative address lies outside every sample.
    return static_cast<uint32_t>(value) < static_cast<uint32_t>(low) ||
           static_cast<uint32_t>(value) > static_cast<uint32_t>(high);
}

bool Longer(int32_t length, int32_t room) {
    return static_cast<uint32_t>(length) > static_cast<uint32_t>(room);
}

// Bytes 199..216: the sample the voice plays, its play range and its loop. The play range is
// decoded before the loop.
int32_t DecodeSampleRanges(const uint8_t* block, VoiceOverview* voice, const SampleOverview* samples,
                           int32_t startSampleAddress) {
    int32_t sampleStart = DecodeEmuAddress24(block + kVoiceSampleStartField);
    if (sampleStart < 0 || sampleStart > kEmuImageSize) return 35;
    int32_t sampleSize = ReadLittle24(block + kVoiceSampleSizeField);
    if (sampleSize > kEmuImageSize - startSampleAddress) return 35;
    const SampleOverview* sample = samples;
    while (sample != nullptr &&
           !(sample->SampleStart == sampleStart && sample->SampleEnd == sampleStart + sampleSize))
        sample = sample->next;
    if (sample == nullptr) return 36;
    int32_t* param = voice->Param;
    param[kVoiceSampleNumberSlot] = sample->SampleNumber;
    param[48] = sample->SampleNumber;
    int32_t first = sample->SampleStart;
    int32_t end = sample->SampleEnd;

    int32_t playStart = DecodeEmuAddress24(block + 211);
    int32_t playLength = ReadLittle24(block + 214);
    if (Outside(playStart, first, end)) return 37;
    if (Longer(playLength, end - playStart)) return 38;
    param[kVoicePlayStartSlot] = playStart;
    param[kVoicePlayEndSlot] = playStart + playLength;
    if (param[kVoicePlayStartSlot] != first || param[kVoicePlayEndSlot] != end) param[63] = 1;

    // With the loop off, a loop start outside the sample or a loop length that does not fit is
    // replaced rather than refused.
    bool loopOn = param[kVoiceLoopOnSlot] == 1;
    int32_t loopStart = DecodeEmuAddress24(block + 205);
    if (Outside(loopStart, first, end)) {
        if (loopOn) return 39;
        loopStart = first + 4;
    }
    int32_t loopLength = ReadLittle24(block + 208);
    if (Longer(loopLength, end - loopStart)) {
        if (loopOn) return 40;
        loopLength = end - loopStart - 4;
    }
    param[kVoiceLoopStartSlot] = loopStart - first;
    param[kVoiceLoopLengthSlot] = loopLength;
    param[54] = loopStart - first;
    param[55] = loopLength;
    param[58] = kEmuSampleRate;
    param[64] = 0;
    param[65] = 0;
    voice->LoopInfoCode = 99;
    return kNoError;
}

// Bytes 217..255: a run of zero bytes and the two bytes 254 and 255.
int32_t DecodeTail(const uint8_t* block, int32_t* param) {
    for (int32_t offset = 217; offset <= 239; ++offset) {
        if (block[offset] != 0) return 41;
    }
    int32_t value255 = (block[255] >> 1) - 7;
    if (value255 < 0 || value255 > 99) return 42;
    param[36] = value255;
    int32_t difference = block[254] - block[255];
    if (difference < -15 || difference > 15) return 43;
    param[24] = difference;
    param[25] = 0;
    return kNoError;
}

// Runs every check in its fixed order; returns 0 or the code of the first that fails.
int32_t DecodeVoiceBlock(int8_t trace, const uint8_t* block, VoiceOverview* voice,
                         const SampleOverview* samples, int32_t startSampleAddress) {
    int32_t subcode = VoiceHeaderSubcode(block);
    TraceLine(trace, kTraceDetails, "Validation subcode for initial 26 bytes: %d\n", subcode);
    if (subcode != 0) return 1;
    int32_t code = DecodeControlBytes(block, voice->Param);
    if (code == kNoError) code = DecodeScaleAndCodePairs(block, voice->Param);
    if (code == kNoError) code = DecodeTriplesAndRepeats(block, voice->Param);
    if (code == kNoError) code = DecodeNameAndFlags(block, voice);
    if (code == kNoError) code = DecodeSampleRanges(block, voice, samples, startSampleAddress);
    if (code == kNoError) code = DecodeTail(block, voice->Param);
    if (code == kNoError) {
        for (int32_t slot : kZeroSlotsOfValidVoice) voice->Param[slot] = 0;
    }
    return code;
}

void TraceVoiceBlock(int8_t trace, int32_t voiceNumber, const uint8_t* block) {
    if (trace < kTraceDetails) return;
    TraceLine(trace, kTraceDetails, "PARAMETER DATA FOR VOICE %d:\n", voiceNumber);
    for (int32_t offset = 0; offset < kVoiceBlockSize; ++offset)
        TraceLine(trace, kTraceDetails, "%X ", block[offset]);
    TraceLine(trace, kTraceDetails, "\n");
    TraceWait(trace, kTraceDetails);
}

}  // namespace

int32_t VoiceHeaderSubcode(const uint8_t* block) {
    for (const HeaderByteTest& test : kVoiceHeaderTests) {
        uint8_t value = block[test.offset] & test.mask;
        bool allowed = false;
        for (int32_t index = 0; index < test.allowedCount; ++index)
            allowed = allowed || value == test.allowed[index];
        if (!allowed) return test.subcode;
    }
    return 0;
}

StatusRecord GetEmuIIBankVoiceDetails(int8_t trace, int32_t, uint8_t, const uint8_t* parameters,
                                      int32_t voiceNumber, int32_t voiceOffset, VoiceOverview* voice,
                                      const SampleOverview* samples, BankBasicDetails header) {
    TraceEnter(trace, "GetEmuIIBankVoiceDetails");
    StatusRecord status = InitStatusRecord();
    voice->VoiceNumber = voiceNumber;
    voice->VoiceName[0] = '\0';

    int32_t code = kVoiceBlockOutside;
    bool blockInside = voiceOffset >= 0 && voiceOffset <= header.StartSampleAddress - kVoiceBlockSize;
    if (blockInside) {
        // A private copy of the block: every check reads the copy.
        std::array<uint8_t, kVoiceBlockSize> block;
        std::memcpy(block.data(), parameters + voiceOffset, block.size());
        TraceVoiceBlock(trace, voiceNumber, block.data());
        code = DecodeVoiceBlock(trace, block.data(), voice, samples, header.StartSampleAddress);
    }

    voice->ValidCode = code == kNoError ? kValidRecord : static_cast<int8_t>(code);
    if (code != kNoError)
        status =
            MakeStatus(593, 'E', "Voice %d contains invalid parameters. Errorcode is %d.", voiceNumber, code);
    TraceLine(trace, kTraceDetails, "Voice %d (%s) parameters: validcode = %d\n", voice->VoiceNumber,
              voice->VoiceName, voice->ValidCode);
    TraceWait(trace, kTraceDetails);
    TraceEnd(trace, "GetEmuIIBankVoiceDetails");
    return status;
}
