#include "tests/support/emu_bank_blocks.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "eii/voice_tables.h"

namespace {

constexpr int32_t kVoiceTableBias = 150;
constexpr int32_t kPresetFixedPart = 37;

void PutAddress24(uint8_t* bytes, int32_t offset) {
    std::vector<uint8_t> encoded = EmuAddress24(offset);
    for (size_t index = 0; index < encoded.size(); ++index) bytes[index] = encoded[index];
}

void PutLength24(uint8_t* bytes, int32_t length) {
    uint32_t raw = static_cast<uint32_t>(length);
    bytes[0] = static_cast<uint8_t>(raw);
    bytes[1] = static_cast<uint8_t>(raw >> 8);
    bytes[2] = static_cast<uint8_t>(raw >> 16);
}

int32_t Length24(const uint8_t* bytes) {
    return bytes[0] | (bytes[1] << 8) | (bytes[2] << 16);
}
int32_t Address24(const uint8_t* bytes) {
    return Length24(bytes) - 38400;
}

void PutName(uint8_t* bytes, const std::string& name) {
    for (size_t index = 0; index < 12; ++index)
        bytes[index] = index < name.size() ? static_cast<uint8_t>(name[index]) : ' ';
}

void PutTriple(uint8_t* bytes, int32_t index) {
    const CodeEntry& code = kTripleCodes.at(static_cast<size_t>(index - 1));
    bytes[0] = code.first;
    bytes[1] = code.first;
    bytes[2] = code.second;
}

void PutPairs(uint8_t* block, int32_t first, const std::array<int32_t, 16>& indexes) {
    for (int32_t pair = 0; pair < 16; ++pair) {
        const CodeEntry& code = kPairCodes.at(static_cast<size_t>(indexes[pair] - 1));
        block[first + pair] = code.first;
        block[first + 16 + pair] = code.second;
    }
}

// A code triple that no table entry holds (its first two bytes differ).
void PutUnknownTriple(uint8_t* bytes) {
    bytes[0] = 7;
    bytes[1] = 8;
    bytes[2] = 7;
}

void BreakVoiceHeaderBytes(VoiceBlockBytes& block, int32_t subcode) {
    switch (subcode) {
        case 1:
            block[0] = 5;
            break;
        case 5:
            block[5] = 3;
            break;
        case 8:
            block[8] = 0x50;
            break;
        case 9:
            block[9] = 2;
            break;
        case 13:
            block[13] = 1;
            break;
        case 16:
            block[16] = 0x70;
            break;
        case 17:
            block[17] = 0;
            break;
        case 18:
            block[18] = 1;
            break;
        case 21:
            block[21] = 0x10;
            break;
        case 22:
            block[25] = 1;
            break;
        default:
            ADD_FAILURE() << "no voice header test has subcode " << subcode;
    }
}

void BreakVoiceBytes(VoiceBlockBytes& block, int32_t check) {
    int32_t sampleStart = Address24(&block[199]);
    int32_t sampleSize = Length24(&block[202]);
    switch (check) {
        case 1:
            block[0] = 5;
            break;
        case 2:
            block[26] = 32;
            break;
        case 3:
            block[28] = 200;
            break;
        case 4:
            block[29] = 14;
            break;
        case 5:
            block[30] |= 0x01;
            break;
        case 6:
            block[31] |= 0x01;
            break;
        case 7:
            block[34] = 0xA4;
            break;
        case 8:
            block[37] = block[147] = 208;
            break;
        case 9:
            block[40] = 16, block[41] = 28;
            break;
        case 10:
            block[42] = 16, block[43] = 28;
            break;
        case 11:
            block[44] = 16, block[45] = 28;
            break;
        case 12:
            block[46] = 32;
            break;
        case 13:
            block[48] = 13, block[49] = 13;
            break;
        case 14:
            block[48] = 20, block[49] = 21;
            break;
        case 15:
            block[64] = 134, block[65] = 134;
            break;
        case 16:
            block[64] = 255, block[65] = 239;
            break;
        case 17:
            block[95] = 7, block[111] = 7;
            break;
        case 18:
            block[127] = 7, block[143] = 7;
            break;
        case 19:
            PutUnknownTriple(&block[144]);
            break;
        case 20:
            block[147] = block[37] ^ 0x01;
            break;
        case 21:
            block[149] = 0x96;
            break;
        case 22:
            block[150] = block[35] ^ 0x01;
            break;
        case 23:
            block[154] = block[148] ^ 0x01;
            break;
        case 24:
            PutUnknownTriple(&block[158]);
            break;
        case 25:
            block[163] = 0xF2;
            break;
        case 26:
            PutUnknownTriple(&block[165]);
            break;
        case 27:
            block[168] = 0xFE;
            break;
        case 28:
            block[169] = block[175] = block[182] = 0x06;
            break;
        case 29:
            block[170] = 0xAD;
            break;
        case 30:
            block[175] = block[169] ^ 0x08;
            break;
        case 31:
            PutUnknownTriple(&block[179]);
            break;
        case 32:
            block[185] = 0x0E;
            break;
        case 33:
            block[186] = 0x80;
            break;
        case 34:
            block[198] |= 0x40;
            break;
        case 35:
            PutAddress24(&block[199], -1);
            break;
        case 37:
            PutAddress24(&block[211], sampleStart - 1);
            break;
        case 38:
            PutAddress24(&block[211], sampleStart);
            PutLength24(&block[214], sampleSize + 1);
            break;
        case 39:
            block[198] |= 0x04;
            PutAddress24(&block[205], sampleStart + sampleSize + 1);
            break;
        case 40:
            block[198] |= 0x04;
            PutAddress24(&block[205], sampleStart);
            PutLength24(&block[208], sampleSize + 1);
            break;
        case 41:
            block[230] = 1;
            break;
        case 42:
            block[254] = block[255] = 214;
            break;
        case 43:
            block[254] = 30, block[255] = 14;
            break;
        default:
            ADD_FAILURE() << "voice check " << check << " cannot be broken in the block alone";
    }
}

void BreakPresetBytes(std::vector<uint8_t>& block, int32_t check) {
    switch (check) {
        case 2:
            block[10] = 0x7F;
            break;
        case 3:
            block[11] = 0x80;
            break;
        case 4:
            block[23] = 16;
            break;
        case 5:
            block[24] = 64;
            break;
        case 6:
            block[32] = 6;
            break;
        case 7:
            block[33] = 3;
            break;
        case 8:
            block[35] = 128;
            break;
        case 9:
            block[36] = 8;
            break;
        case 10:
            break;  // on the records, before they are encoded
        case 12:
            block[0] = kPresetFixedPart - 1, block[1] = 0;
            break;
        default:
            ADD_FAILURE() << "preset check " << check << " cannot be broken in the block alone";
    }
}

// Check 10: more than one of flag bits 0..2 in the first record that names a voice.
void BreakModeBits(std::vector<KeyAreaRecord>& records) {
    for (KeyAreaRecord& record : records) {
        bool namesFirst = (record.type & kSetFirstVoice) != 0 && record.firstVoice != 0;
        bool namesSecond = (record.type & kSetSecondVoice) != 0 && record.secondVoice != 0;
        if (namesFirst || namesSecond) {
            record.flags = static_cast<uint8_t>((record.flags & ~0x07) | 0x05);
            return;
        }
    }
    ADD_FAILURE() << "no key-area record names a voice";
}

}  // namespace

VoiceBlock VoiceBlock::Playing(int32_t start, int32_t size) {
    VoiceBlock block;
    block.sampleStart = start;
    block.sampleSize = size;
    block.playStart = start;
    block.playLength = size;
    block.loopStart = start;
    block.loopLength = size;
    return block;
}

VoiceBlock& VoiceBlock::LoopOn(int32_t start, int32_t length) {
    flags |= 0x04;
    loopStart = start;
    loopLength = length;
    return *this;
}

VoiceBlock& VoiceBlock::Override(int32_t offset, uint8_t value) {
    overrides.emplace_back(offset, value);
    return *this;
}

VoiceBlock& VoiceBlock::Break(int32_t check) {
    brokenChecks.push_back(check);
    return *this;
}

VoiceBlock& VoiceBlock::BreakHeader(int32_t subcode) {
    brokenHeaderTests.push_back(subcode);
    return *this;
}

VoiceBlockBytes VoiceBlock::Bytes() const {
    VoiceBlockBytes block{};
    block[0] = 4;
    block[1] = 3;
    block[5] = 2;
    block[8] = 0x40;
    block[9] = 1;
    block[16] = 0x40;
    block[17] = 1;
    block[26] = step;
    block[27] = byte27;
    block[28] = byte28;
    block[29] = byte29;
    block[30] = byte30;
    block[31] = byte31;
    block[32] = 0x00;
    block[33] = 0xFF;
    block[34] = 0xA5;
    block[35] = reference35;
    block[36] = 0x00;
    block[37] = byte37;
    block[38] = 0x90;
    block[39] = reference35;
    for (int32_t pair = 0; pair < 3; ++pair) {
        // value = low + 4 * high - 112: a high byte of 28 leaves the value in the low byte.
        block[40 + 2 * pair] = bytePairValues[pair];
        block[41 + 2 * pair] = 28;
    }
    block[46] = byte46;
    block[47] = byte47;
    block[48] = byte48;
    block[49] = byte49;
    block[64] = scale64;
    block[65] = byte65;
    PutPairs(block.data(), 80, pairCodes80);
    PutPairs(block.data(), 112, pairCodes112);
    PutTriple(&block[144], tripleCode144);
    block[147] = byte37;
    block[148] = reference148;
    block[149] = 0x97;
    block[150] = reference35;
    block[154] = reference148;
    PutTriple(&block[158], tripleCode158);
    block[161] = reference148;
    block[162] = 0x00, block[163] = 0xF3, block[164] = 0x0F;
    PutTriple(&block[165], tripleCode165);
    block[168] = 0xFF;
    block[169] = byte169;
    block[170] = 0xAC;
    block[171] = reference35;
    block[175] = byte169;
    PutTriple(&block[179], tripleCode179);
    block[182] = byte169;
    block[183] = 0x00, block[184] = 0xF3, block[185] = 0x0F;
    PutName(&block[186], name);
    block[198] = flags;
    PutAddress24(&block[199], sampleStart);
    PutLength24(&block[202], sampleSize);
    PutAddress24(&block[205], loopStart);
    PutLength24(&block[208], loopLength);
    PutAddress24(&block[211], playStart);
    PutLength24(&block[214], playLength);
    block[254] = byte254;
    block[255] = byte255;
    for (const auto& [offset, value] : overrides) block.at(static_cast<size_t>(offset)) = value;
    for (int32_t subcode : brokenHeaderTests) BreakVoiceHeaderBytes(block, subcode);
    for (int32_t check : brokenChecks) BreakVoiceBytes(block, check);
    return block;
}

KeyAreaRecord KeyAreaRecord::Keep(uint8_t width, uint8_t flags) {
    KeyAreaRecord record;
    record.width = width;
    record.flags = flags;
    return record;
}

KeyAreaRecord KeyAreaRecord::First(uint8_t width, uint8_t voice, uint8_t flags) {
    KeyAreaRecord record = Keep(width, flags);
    record.type = kSetFirstVoice;
    record.firstVoice = voice;
    return record;
}

KeyAreaRecord KeyAreaRecord::Second(uint8_t width, uint8_t voice, uint8_t flags) {
    KeyAreaRecord record = Keep(width, flags);
    record.type = kSetSecondVoice;
    record.secondVoice = voice;
    return record;
}

KeyAreaRecord KeyAreaRecord::Both(uint8_t width, uint8_t firstVoice, uint8_t secondVoice, uint8_t flags) {
    KeyAreaRecord record = Keep(width, flags);
    record.type = kSetBothVoices;
    record.firstVoice = firstVoice;
    record.secondVoice = secondVoice;
    return record;
}

std::vector<uint8_t> KeyAreaRecord::Bytes() const {
    std::vector<uint8_t> bytes{static_cast<uint8_t>(type | (width & 0x3F)), flags};
    if ((type & kSetFirstVoice) != 0) bytes.insert(bytes.end(), {firstVoice, firstKeyByte, firstNibbles});
    if ((type & kSetSecondVoice) != 0) bytes.insert(bytes.end(), {secondVoice, secondKeyByte, secondNibbles});
    return bytes;
}

PresetBlock& PresetBlock::Add(const KeyAreaRecord& record) {
    records.push_back(record);
    return *this;
}

PresetBlock& PresetBlock::Override(int32_t offset, uint8_t value) {
    overrides.emplace_back(offset, value);
    return *this;
}

PresetBlock& PresetBlock::Break(int32_t check) {
    brokenChecks.push_back(check);
    return *this;
}

std::vector<uint8_t> PresetBlock::Bytes() const {
    std::vector<uint8_t> block(kPresetFixedPart, 0);
    for (size_t index = 0; index < bytes2To9.size(); ++index) block[2 + index] = bytes2To9[index];
    block[10] = byte10;
    PutName(&block[11], name);
    block[23] = byte23;
    block[24] = flags24;
    for (size_t index = 0; index < bytes25To30.size(); ++index) block[25 + index] = bytes25To30[index];
    block[31] = byte31;
    block[32] = byte32;
    block[33] = byte33;
    block[34] = byte34;
    block[35] = byte35;
    block[36] = byte36;
    std::vector<KeyAreaRecord> encoded = records;
    for (int32_t check : brokenChecks) {
        if (check == 10) BreakModeBits(encoded);
    }
    for (const KeyAreaRecord& record : encoded) {
        std::vector<uint8_t> bytes = record.Bytes();
        block.insert(block.end(), bytes.begin(), bytes.end());
    }
    if (terminated) block.push_back(0);
    uint32_t length =
        declaredLength >= 0 ? static_cast<uint32_t>(declaredLength) : static_cast<uint32_t>(block.size());
    block[0] = static_cast<uint8_t>(length);
    block[1] = static_cast<uint8_t>(length >> 8);
    for (const auto& [offset, value] : overrides) block.at(static_cast<size_t>(offset)) = value;
    for (int32_t check : brokenChecks) BreakPresetBytes(block, check);
    return block;
}

void PlaceVoiceBlock(EmuImageBuilder& image, int32_t voiceNumber, uint8_t tableByte,
                     const VoiceBlock& block) {
    VoiceBlockBytes bytes = block.Bytes();
    image.SetBytes((tableByte - kVoiceTableBias) * 256, std::vector<uint8_t>(bytes.begin(), bytes.end()));
    image.VoiceEntry(voiceNumber - 1, tableByte);
}

void PlacePresetBlock(EmuImageBuilder& image, int32_t presetNumber, int32_t offset,
                      const PresetBlock& block) {
    image.SetBytes(offset, block.Bytes());
    std::vector<uint8_t> address = EmuAddress16(offset);
    image.PresetEntry(presetNumber - 1, address[0], address[1]);
}

EmuBankBuilder::EmuBankBuilder(int32_t sampleAreaStart) : sampleAreaStart_(sampleAreaStart) {}

int32_t EmuBankBuilder::AddSample(const std::vector<uint8_t>& points) {
    int32_t start = sampleAreaStart_ + static_cast<int32_t>(samplePoints_.size());
    samplePoints_.insert(samplePoints_.end(), points.begin(), points.end());
    return start;
}

int32_t EmuBankBuilder::AddVoice(const VoiceBlock& block) {
    int32_t number = 1;
    for (const auto& placed : voices_) number = std::max(number, placed.first + 1);
    AddVoice(number, block);
    return number;
}

void EmuBankBuilder::AddVoice(int32_t voiceNumber, const VoiceBlock& block) {
    voices_.emplace_back(voiceNumber, block);
}

int32_t EmuBankBuilder::AddPreset(const PresetBlock& block) {
    int32_t number = 1;
    for (const auto& placed : presets_) number = std::max(number, placed.first + 1);
    AddPreset(number, block);
    return number;
}

void EmuBankBuilder::AddPreset(int32_t presetNumber, const PresetBlock& block) {
    presets_.emplace_back(presetNumber, block);
}

EmuImageBuilder EmuBankBuilder::Build() const {
    EmuImageBuilder image;
    int32_t offset = kTestFirstBlockOffset;
    for (const auto& [number, block] : voices_) {
        PlaceVoiceBlock(image, number, static_cast<uint8_t>(kVoiceTableBias + offset / 256), block);
        offset += kTestVoiceBlockSize;
    }
    for (const auto& [number, block] : presets_) {
        PlacePresetBlock(image, number, offset, block);
        offset += static_cast<int32_t>(block.Bytes().size());
    }
    if (offset > sampleAreaStart_)
        ADD_FAILURE() << "the blocks end at " << offset << ", past the sample area at " << sampleAreaStart_;
    image.ParameterAreaSize(sampleAreaStart_);
    image.SampleArea(sampleAreaStart_, sampleAreaStart_ + static_cast<int32_t>(samplePoints_.size()));
    image.SetBytes(sampleAreaStart_, samplePoints_);
    return image;
}
