// Builds the blocks of an Emulator II bank for tests: 256-byte voice blocks, preset blocks with
// their key-area records, and the sample area, placed into an EmuImageBuilder with the header
// tables set. Every block starts legal (values chosen from the format's tables); Break() spoils
// exactly one check on purpose.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/emu_image_builder.h"

constexpr int32_t kTestVoiceBlockSize = 256;
// The first byte after the bank header, where the first voice block goes.
constexpr int32_t kTestFirstBlockOffset = 1280;
// Where EmuBankBuilder starts the sample area unless told otherwise; the parameter area (voice
// and preset blocks) ends there.
constexpr int32_t kTestDefaultSampleAreaStart = 8192;

using VoiceBlockBytes = std::array<uint8_t, kTestVoiceBlockSize>;

// One voice block, field by field, with legal defaults. Addresses are bank offsets.
struct VoiceBlock {
    uint8_t step = 0;            // byte 26: 0..31 or 224..255
    uint8_t byte27 = 0x00;       // two nibbles, any value
    uint8_t byte28 = 0;          // at most 199
    uint8_t byte29 = 15;         // 15..113
    uint8_t byte30 = 0x00;       // low nibble 0
    uint8_t byte31 = 0x00;       // low nibble 0
    uint8_t reference35 = 0x00;  // repeated in bytes 39, 150 and 171
    uint8_t byte37 = 0x00;       // at most 207; repeated in byte 147
    // Values 0..15 of the byte pairs 40..41, 42..43 and 44..45.
    std::array<uint8_t, 3> bytePairValues{};
    uint8_t byte46 = 0;     // 0..31 or 99
    uint8_t byte47 = 0;     // bit field, any value
    uint8_t byte48 = 14;    // at least 14
    uint8_t byte49 = 14;    // byte48 - byte49 in 0..15
    uint8_t scale64 = 255;  // at least 135
    uint8_t byte65 = 255;   // byte64 - byte65 in 0..15
    // Pair-code indexes (1..32) of the pairs (80 + i, 96 + i) and (112 + i, 128 + i).
    std::array<int32_t, 16> pairCodes80{1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1};
    std::array<int32_t, 16> pairCodes112{1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1};
    // Triple-code indexes (1..32) of bytes 144..146, 158..160, 165..167, 179..181.
    int32_t tripleCode144 = 1;
    int32_t tripleCode158 = 1;
    int32_t tripleCode165 = 1;
    int32_t tripleCode179 = 1;
    uint8_t reference148 = 0x00;  // repeated in bytes 154 and 161
    uint8_t byte169 = 0x07;       // low 3 bits set; repeated in bytes 175 and 182
    std::string name = "VOICE";   // bytes 186..197, padded with spaces
    uint8_t flags = 0x00;         // byte 198: bit 2 = loop on; bits 7 and 6 clear
    int32_t sampleStart = 0;      // bytes 199..201
    int32_t sampleSize = 0;       // bytes 202..204
    int32_t loopStart = 0;        // bytes 205..207
    int32_t loopLength = 0;       // bytes 208..210
    int32_t playStart = 0;        // bytes 211..213
    int32_t playLength = 0;       // bytes 214..216
    uint8_t byte254 = 14;         // byte254 - byte255 in -15..15
    uint8_t byte255 = 14;         // 14..213

    // Raw bytes written over the fields, then the checks broken on purpose, in call order.
    std::vector<std::pair<int32_t, uint8_t>> overrides;
    std::vector<int32_t> brokenChecks;
    std::vector<int32_t> brokenHeaderTests;

    // A voice that plays the whole sample start..start + size - 1 with the loop off.
    static VoiceBlock Playing(int32_t start, int32_t size);
    // Turns the loop on, from bank offset start for length bytes.
    VoiceBlock& LoopOn(int32_t start, int32_t length);
    VoiceBlock& Override(int32_t offset, uint8_t value);
    // Makes voice check `check` fail (1..35 and 37..43). Check 36 compares the block with the
    // bank's sample list, not the block alone: give two voices the same sample start and
    // different sizes to fail it.
    VoiceBlock& Break(int32_t check);
    // Makes the header test with this subcode fail (1, 5, 8, 9, 13, 16, 17, 18, 21, 22).
    VoiceBlock& BreakHeader(int32_t subcode);

    VoiceBlockBytes Bytes() const;
};

// Key-area record types: bits 7..6 of byte 0.
constexpr uint8_t kKeepVoices = 0x00;
constexpr uint8_t kSetFirstVoice = 0x80;
constexpr uint8_t kSetSecondVoice = 0x40;
constexpr uint8_t kSetBothVoices = 0xC0;
// The key byte that gives a voice the record's own low key as its key.
constexpr uint8_t kTestOwnKeyByte = 16;

// One key-area record: a run of `width` keys (1..61; 0 or 62, 63 end the list).
struct KeyAreaRecord {
    uint8_t type = kKeepVoices;
    uint8_t width = 1;
    uint8_t flags = 0x00;  // byte 1
    uint8_t firstVoice = 0;
    uint8_t firstKeyByte = kTestOwnKeyByte;
    uint8_t firstNibbles = 0x70;
    uint8_t secondVoice = 0;
    uint8_t secondKeyByte = kTestOwnKeyByte;
    uint8_t secondNibbles = 0x70;

    static KeyAreaRecord Keep(uint8_t width, uint8_t flags = 0x00);
    static KeyAreaRecord First(uint8_t width, uint8_t voice, uint8_t flags = 0x00);
    static KeyAreaRecord Second(uint8_t width, uint8_t voice, uint8_t flags = 0x00);
    static KeyAreaRecord Both(uint8_t width, uint8_t firstVoice, uint8_t secondVoice, uint8_t flags = 0x00);

    // 2, 5 or 8 bytes as the type asks.
    std::vector<uint8_t> Bytes() const;
};

// One preset block, field by field, with legal defaults; bytes 0..1 hold its length.
struct PresetBlock {
    std::array<uint8_t, 8> bytes2To9{};  // any values
    uint8_t byte10 = 0x80;               // bit 7 set
    std::string name = "PRESET";         // bytes 11..22, padded with spaces
    uint8_t byte23 = 0;                  // 0..15
    uint8_t flags24 = 0x00;              // at most 63
    std::array<uint8_t, 6> bytes25To30{1, 1, 1, 1, 1, 1};
    uint8_t byte31 = 0;
    uint8_t byte32 = 0;  // 0..5; non-zero turns on the marked region
    uint8_t byte33 = 0;  // 0..2
    uint8_t byte34 = 0;
    uint8_t byte35 = 0;                  // 0..127
    uint8_t byte36 = 0;                  // 0..7
    std::vector<KeyAreaRecord> records;  // from byte 37
    bool terminated = true;              // a byte 0 after the records
    int32_t declaredLength = -1;         // the length in bytes 0..1; -1 = the block's own

    std::vector<std::pair<int32_t, uint8_t>> overrides;
    std::vector<int32_t> brokenChecks;

    PresetBlock& Add(const KeyAreaRecord& record);
    PresetBlock& Override(int32_t offset, uint8_t value);
    // Makes preset check `check` fail: 2..9, 10 (on the first record that names a voice) or 12
    // (a declared length shorter than the fixed part). Check 11 depends on the bank's voices.
    PresetBlock& Break(int32_t check);

    std::vector<uint8_t> Bytes() const;
};

// Writes the voice block at (tableByte - 150) * 256 and enters it in the voice table.
void PlaceVoiceBlock(EmuImageBuilder& image, int32_t voiceNumber, uint8_t tableByte, const VoiceBlock& block);
// Writes the preset block at bank offset `offset` and enters it in the preset table.
void PlacePresetBlock(EmuImageBuilder& image, int32_t presetNumber, int32_t offset, const PresetBlock& block);

// A whole bank laid out automatically: voice blocks from byte 1280 in the order added, preset
// blocks right after them, the parameter area and the sample area from sampleAreaStart.
class EmuBankBuilder {
  public:
    explicit EmuBankBuilder(int32_t sampleAreaStart = kTestDefaultSampleAreaStart);

    // Appends sample bytes to the sample area; returns the bank offset of the first.
    int32_t AddSample(const std::vector<uint8_t>& points);
    // The next free voice or preset number (1 upwards), or the one given.
    int32_t AddVoice(const VoiceBlock& block);
    void AddVoice(int32_t voiceNumber, const VoiceBlock& block);
    int32_t AddPreset(const PresetBlock& block);
    void AddPreset(int32_t presetNumber, const PresetBlock& block);

    int32_t sampleAreaStart() const { return sampleAreaStart_; }
    // The image with every block placed and the header tables and area addresses set.
    EmuImageBuilder Build() const;

  private:
    int32_t sampleAreaStart_;
    std::vector<uint8_t> samplePoints_;
    std::vector<std::pair<int32_t, VoiceBlock>> voices_;
    std::vector<std::pair<int32_t, PresetBlock>> presets_;
};
