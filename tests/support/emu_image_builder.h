// Builds Emulator II disk images for tests, field by field. A fresh builder holds a valid,
// empty bank: a header that passes every check, no voices, presets or sequences, and a
// parameter area and sample area that both end where the header ends.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

constexpr int32_t kTestEmuImageSize = 485887;

// Emulator II address encodings: every address is stored as the bank offset plus 38,400.
std::vector<uint8_t> EmuAddress16(int32_t offset);
std::vector<uint8_t> EmuAddress24(int32_t offset);

class EmuImageBuilder {
  public:
    EmuImageBuilder();

    // Raw access to any byte of the image.
    EmuImageBuilder& Set(int32_t offset, uint8_t value);
    EmuImageBuilder& SetBytes(int32_t offset, const std::vector<uint8_t>& bytes);
    EmuImageBuilder& Fill(int32_t first, int32_t last, uint8_t value);

    // Header fields.
    EmuImageBuilder& Name(const std::string& name);  // the 12 name bytes, padded with spaces
    EmuImageBuilder& RecentPreset(uint8_t preset);
    EmuImageBuilder& VoiceEntry(int32_t voiceIndex, uint8_t highByte);  // 0-based table index
    EmuImageBuilder& PresetEntry(int32_t presetIndex, uint8_t low, uint8_t high);
    EmuImageBuilder& SequenceEntry(int32_t sequenceIndex, uint8_t low, uint8_t high);
    EmuImageBuilder& ParameterAreaSize(int32_t size);
    EmuImageBuilder& SampleArea(int32_t start, int32_t end);
    EmuImageBuilder& SequenceStart(int32_t offset);
    // Raw two- and three-byte encodings of the area addresses, for values no offset gives.
    EmuImageBuilder& RawParameterAreaSize(uint8_t low, uint8_t high);

    // The sample start and size fields (bytes 199..204) of the voice block at blockOffset.
    EmuImageBuilder& VoiceSampleFields(int32_t blockOffset, int32_t start, int32_t size);

    const std::vector<uint8_t>& bytes() const { return bytes_; }
    // Writes the image to a file (a different size can be asked for, to test the size check).
    void WriteTo(const std::string& path) const;
    void WriteTo(const std::string& path, size_t size) const;

  private:
    std::vector<uint8_t> bytes_;
};
