#include "tests/support/emu_image_builder.h"

#include "tests/support/temp_folder.h"

namespace {

constexpr int32_t kAddressBias = 38400;
constexpr int32_t kNameOffset = 692;
constexpr int32_t kVoiceTable = 719;
constexpr int32_t kPresetTable = 818;
constexpr int32_t kSequenceTable = 1016;
constexpr int32_t kParameterSize = 1214;
constexpr int32_t kSampleStart = 1216;
constexpr int32_t kSampleEnd = 1218;
constexpr int32_t kSequenceStart = 1221;

}  // namespace

std::vector<uint8_t> EmuAddress16(int32_t offset) {
    uint32_t raw = static_cast<uint32_t>(offset + kAddressBias);
    return {static_cast<uint8_t>(raw), static_cast<uint8_t>(raw >> 8)};
}

std::vector<uint8_t> EmuAddress24(int32_t offset) {
    uint32_t raw = static_cast<uint32_t>(offset + kAddressBias);
    return {static_cast<uint8_t>(raw), static_cast<uint8_t>(raw >> 8), static_cast<uint8_t>(raw >> 16)};
}

EmuImageBuilder::EmuImageBuilder() : bytes_(kTestEmuImageSize, 0) {
    Fill(8, 11, ' ');
    Name("TEST BANK");
    ParameterAreaSize(1280);
    SampleArea(1280, 1280);
    SequenceStart(kTestEmuImageSize + 1);
}

EmuImageBuilder& EmuImageBuilder::Set(int32_t offset, uint8_t value) {
    bytes_.at(static_cast<size_t>(offset)) = value;
    return *this;
}

EmuImageBuilder& EmuImageBuilder::SetBytes(int32_t offset, const std::vector<uint8_t>& bytes) {
    for (size_t index = 0; index < bytes.size(); ++index)
        Set(offset + static_cast<int32_t>(index), bytes[index]);
    return *this;
}

EmuImageBuilder& EmuImageBuilder::Fill(int32_t first, int32_t last, uint8_t value) {
    for (int32_t offset = first; offset <= last; ++offset) Set(offset, value);
    return *this;
}

EmuImageBuilder& EmuImageBuilder::Name(const std::string& name) {
    for (int32_t index = 0; index < 12; ++index)
        Set(kNameOffset + index,
            index < static_cast<int32_t>(name.size()) ? static_cast<uint8_t>(name[index]) : ' ');
    return *this;
}

EmuImageBuilder& EmuImageBuilder::RecentPreset(uint8_t preset) {
    return Set(718, preset);
}

EmuImageBuilder& EmuImageBuilder::VoiceEntry(int32_t voiceIndex, uint8_t highByte) {
    return Set(kVoiceTable + voiceIndex, highByte);
}

EmuImageBuilder& EmuImageBuilder::PresetEntry(int32_t presetIndex, uint8_t low, uint8_t high) {
    return SetBytes(kPresetTable + 2 * presetIndex, {low, high});
}

EmuImageBuilder& EmuImageBuilder::SequenceEntry(int32_t sequenceIndex, uint8_t low, uint8_t high) {
    return SetBytes(kSequenceTable + 2 * sequenceIndex, {low, high});
}

EmuImageBuilder& EmuImageBuilder::ParameterAreaSize(int32_t size) {
    return SetBytes(kParameterSize, EmuAddress16(size));
}

EmuImageBuilder& EmuImageBuilder::RawParameterAreaSize(uint8_t low, uint8_t high) {
    return SetBytes(kParameterSize, {low, high});
}

EmuImageBuilder& EmuImageBuilder::SampleArea(int32_t start, int32_t end) {
    SetBytes(kSampleStart, EmuAddress16(start));
    return SetBytes(kSampleEnd, EmuAddress24(end));
}

EmuImageBuilder& EmuImageBuilder::SequenceStart(int32_t offset) {
    return SetBytes(kSequenceStart, EmuAddress24(offset));
}

EmuImageBuilder& EmuImageBuilder::VoiceSampleFields(int32_t blockOffset, int32_t start, int32_t size) {
    SetBytes(blockOffset + 199, EmuAddress24(start));
    uint32_t raw = static_cast<uint32_t>(size);
    return SetBytes(blockOffset + 202, {static_cast<uint8_t>(raw), static_cast<uint8_t>(raw >> 8),
                                        static_cast<uint8_t>(raw >> 16)});
}

void EmuImageBuilder::WriteTo(const std::string& path) const {
    WriteWholeFile(path, bytes_);
}

void EmuImageBuilder::WriteTo(const std::string& path, size_t size) const {
    std::vector<uint8_t> resized = bytes_;
    resized.resize(size, 0);
    WriteWholeFile(path, resized);
}
