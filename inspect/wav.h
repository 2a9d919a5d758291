// WAV files of a bank's voices: 16-bit mono PCM at 27,778 Hz holding the voice's whole sample,
// and for a looping voice a `smpl` chunk with the loop, so that samplers and editors loop it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "inspect/bank_listing.h"

constexpr int32_t kWavSampleRate = 27778;

// The loop a WAV file carries, in sample frames; the end is the last frame of the loop.
struct WavLoop {
    bool on;
    int32_t start;
    int32_t end;
};

// The whole file: RIFF header, `fmt `, `data` and, when the loop is on and lies inside the
// values, `smpl`.
std::vector<uint8_t> BuildWavFile(const std::vector<int16_t>& values, WavLoop loop);

// "<number> <name>.wav", the voice number in two digits, the name without trailing spaces and
// with every character a file name cannot hold replaced by '_'.
std::string VoiceWavName(int32_t voiceNumber, const std::string& voiceName);

// What writing the WAV files of a bank came to.
struct WavExport {
    int32_t written = 0;
    std::vector<std::string> skipped;           // one line per voice without a file, saying why
    StatusRecord failure = InitStatusRecord();  // the first file that could not be written
};

// Writes one file per voice of the bank into the folder; stops at the first file that cannot be
// written.
WavExport WriteVoiceWavs(int8_t trace, const BankFile& file, const BankListing& listing,
                         const std::string& folder);

// The values of a listed voice's sample, or false with the reason.
bool VoiceSampleValues(int8_t trace, const BankFile& file, const VoiceListing& voice,
                       std::vector<int16_t>* values, std::string* reason);
