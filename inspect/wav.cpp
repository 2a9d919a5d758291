#include "inspect/wav.h"

#include <cstdio>
#include <cstring>

#include "inspect/output_file.h"
#include "inspect/record_texts.h"

namespace {

// Chunk sizes of the fixed parts.
constexpr uint32_t kFmtChunkSize = 16;
constexpr uint32_t kSmplChunkSize = 36 + 24;  // the header and one loop
constexpr uint16_t kPcmFormat = 1;
constexpr uint16_t kBitsPerSample = 16;
// A `smpl` chunk's unity note (middle C) and its forward loop type, played without end.
constexpr uint32_t kUnityNote = 60;
constexpr uint32_t kForwardLoop = 0;

void PutLittle16(std::vector<uint8_t>* bytes, uint32_t value) {
    bytes->push_back(static_cast<uint8_t>(value));
    bytes->push_back(static_cast<uint8_t>(value >> 8));
}

void PutLittle32(std::vector<uint8_t>* bytes, uint32_t value) {
    PutLittle16(bytes, value & 0xFFFF);
    PutLittle16(bytes, value >> 16);
}

void PutTag(std::vector<uint8_t>* bytes, const char* tag) {
    for (int32_t index = 0; index < 4; ++index) bytes->push_back(static_cast<uint8_t>(tag[index]));
}

bool LoopFits(const WavLoop& loop, size_t frames) {
    return loop.on && loop.start >= 0 && loop.end >= loop.start && static_cast<size_t>(loop.end) < frames;
}

}  // namespace

std::vector<uint8_t> BuildWavFile(const std::vector<int16_t>& values, WavLoop loop) {
    const uint32_t dataSize = static_cast<uint32_t>(values.size() * 2);
    const bool looped = LoopFits(loop, values.size());
    const uint32_t riffSize = 4 + (8 + kFmtChunkSize) + (8 + dataSize) + (looped ? 8 + kSmplChunkSize : 0);
    std::vector<uint8_t> bytes;
    bytes.reserve(riffSize + 8);
    PutTag(&bytes, "RIFF");
    PutLittle32(&bytes, riffSize);
    PutTag(&bytes, "WAVE");

    PutTag(&bytes, "fmt ");
    PutLittle32(&bytes, kFmtChunkSize);
    PutLittle16(&bytes, kPcmFormat);
    PutLittle16(&bytes, 1);  // mono
    PutLittle32(&bytes, kWavSampleRate);
    PutLittle32(&bytes, kWavSampleRate * 2);  // bytes per second
    PutLittle16(&bytes, 2);                   // bytes per frame
    PutLittle16(&bytes, kBitsPerSample);

    PutTag(&bytes, "data");
    PutLittle32(&bytes, dataSize);
    for (int16_t value : values) PutLittle16(&bytes, static_cast<uint16_t>(value));

    if (looped) {
        PutTag(&bytes, "smpl");
        PutLittle32(&bytes, kSmplChunkSize);
        PutLittle32(&bytes, 0);                                                    // manufacturer
        PutLittle32(&bytes, 0);                                                    // product
        PutLittle32(&bytes, (1000000000u + kWavSampleRate / 2) / kWavSampleRate);  // period in ns
        PutLittle32(&bytes, kUnityNote);
        PutLittle32(&bytes, 0);  // pitch fraction
        PutLittle32(&bytes, 0);  // SMPTE format
        PutLittle32(&bytes, 0);  // SMPTE offset
        PutLittle32(&bytes, 1);  // loops
        PutLittle32(&bytes, 0);  // sampler data
        PutLittle32(&bytes, 0);  // cue point id
        PutLittle32(&bytes, kForwardLoop);
        PutLittle32(&bytes, static_cast<uint32_t>(loop.start));
        PutLittle32(&bytes, static_cast<uint32_t>(loop.end));
        PutLittle32(&bytes, 0);  // fraction
        PutLittle32(&bytes, 0);  // play count: for ever
    }
    return bytes;
}

std::string VoiceWavName(int32_t voiceNumber, const std::string& voiceName) {
    std::string name = voiceName;
    while (!name.empty() && (name.back() == ' ' || name.back() == '.')) name.pop_back();
    for (char& character : name) {
        const unsigned char byte = static_cast<unsigned char>(character);
        if (byte < 0x20 || byte >= 0x7F || std::strchr("<>:\"/\\|?*", character) != nullptr) character = '_';
    }
    char number[16];
    std::snprintf(number, sizeof number, "%02d", voiceNumber);
    return std::string(number) + (name.empty() ? "" : " " + name) + ".wav";
}

bool VoiceSampleValues(int8_t trace, const BankFile& file, const VoiceListing& voice,
                       std::vector<int16_t>* values, std::string* reason) {
    values->clear();
    const SampleOverview* sample = HasBank(file) ? FindSample(*file.bank, voice.sampleNumber) : nullptr;
    if (voice.sampleNumber <= 0 || sample == nullptr) {
        *reason = "it has no sample (check " + std::to_string(voice.validCode) + ": " + voice.validity + ")";
        return false;
    }
    if (!DecodeSampleValues(trace, file, *sample, values)) {
        *reason = "its sample " + std::to_string(sample->SampleNumber) + " cannot be read (" +
                  SampleValidityText(sample->ValidCode) + ")";
        return false;
    }
    return true;
}

WavExport WriteVoiceWavs(int8_t trace, const BankFile& file, const BankListing& listing,
                         const std::string& folder) {
    WavExport result;
    std::vector<int16_t> values;
    for (const VoiceListing& voice : listing.voices) {
        std::string reason;
        if (!VoiceSampleValues(trace, file, voice, &values, &reason)) {
            result.skipped.push_back("voice " + std::to_string(voice.number) + ": no WAV file, " + reason);
            continue;
        }
        const WavLoop loop{voice.loopKnown && voice.loopOn, voice.loopStart, voice.loopEnd};
        const std::string path = folder + "/" + VoiceWavName(voice.number, voice.name);
        result.failure = WriteOutputFile(path, BuildWavFile(values, loop));
        if (result.failure.code != 0) return result;
        ++result.written;
    }
    return result;
}
