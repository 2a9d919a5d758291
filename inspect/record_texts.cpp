#include "inspect/record_texts.h"

#include "eii/bank_model.h"
#include "eii/preset.h"
#include "eii/voice.h"

namespace {

// What the voice checks 1..44 find wrong, by code.
constexpr const char* kVoiceProblems[] = {
    "",
    "voice block header bytes 0..25 are not a voice header",
    "tuning step (byte 26) out of range",
    "byte 28 above 199",
    "byte 29 outside 15..113",
    "byte 30 has a low nibble",
    "byte 31 has a low nibble",
    "fixed bytes 32..38 differ",
    "transpose (byte 37) out of range",
    "byte pair 40..41 outside 0..15",
    "byte pair 42..43 outside 0..15",
    "byte pair 44..45 outside 0..15",
    "byte 46 neither 0..31 nor 99",
    "byte 48 below 14",
    "byte 48 minus byte 49 outside 0..15",
    "level (byte 64) below -48 dB",
    "byte 64 minus byte 65 outside 0..15",
    "envelope code pairs 80..111 not in the table",
    "envelope code pairs 112..143 not in the table",
    "rate code 144..146 not in the table",
    "byte 147 differs from byte 37",
    "byte 149 is not 0x97",
    "byte 39, 150 or 171 differs from byte 35",
    "byte 154 or 161 differs from byte 148",
    "rate code 158..160 not in the table",
    "fixed bytes 162..164 differ",
    "rate code 165..167 not in the table",
    "byte 168 is not 0xFF",
    "byte 169 lacks its low three bits",
    "byte 170 is not 0xAC",
    "byte 175 or 182 differs from byte 169",
    "rate code 179..181 not in the table",
    "fixed bytes 183..185 differ",
    "name has a byte of 0x80 or above",
    "flag byte 198 has bit 7 or 6 set",
    "sample start or length out of range",
    "no sample of the bank starts and ends where the voice says",
    "play start outside the sample",
    "play range runs past the end of the sample",
    "loop start outside the sample",
    "loop runs past the end of the sample",
    "bytes 217..239 are not all zero",
    "byte 255 outside 14..213",
    "byte 254 minus byte 255 outside -15..15",
    "voice block lies outside the parameter area",
};
static_assert(sizeof kVoiceProblems / sizeof kVoiceProblems[0] == kVoiceBlockOutside + 1,
              "one text per voice check");

// What the preset checks 2..12 find wrong, by code.
constexpr const char* kPresetProblems[] = {
    "",
    "",
    "byte 10 lacks bit 7",
    "name has a byte of 0x80 or above",
    "byte 23 above 15",
    "flag byte 24 above 63",
    "byte 32 above 5",
    "byte 33 above 2",
    "byte 35 above 127",
    "byte 36 above 7",
    "a key-area record sets more than one of flag bits 0..2",
    "a key area names a voice the bank lacks",
    "preset block is too short or lies outside the parameter area",
};
static_assert(sizeof kPresetProblems / sizeof kPresetProblems[0] == kPresetBlockOutside + 1,
              "one text per preset check");

constexpr const char* kNoteNames[] = {"C", "C#", "D", "D#", "E", "F", "F#", "G", "G#", "A", "A#", "B"};

// MIDI note number of key number 0, the piano's A0.
constexpr int32_t kMidiNoteOfKeyZero = 21;

std::string Unknown(int32_t code) {
    return "check " + std::to_string(code) + " failed";
}

}  // namespace

std::string SampleValidityText(int32_t validCode) {
    if (validCode == kValidRecord) return "valid";
    if (validCode == 1) return "sample start or size outside the image";
    return Unknown(validCode);
}

std::string VoiceValidityText(int32_t validCode) {
    if (validCode == kValidRecord) return "valid";
    if (validCode >= 1 && validCode <= kVoiceBlockOutside) return kVoiceProblems[validCode];
    return Unknown(validCode);
}

std::string PresetValidityText(int32_t validCode) {
    if (validCode == kValidRecord) return "valid";
    if (validCode >= 2 && validCode <= kPresetBlockOutside) return kPresetProblems[validCode];
    return Unknown(validCode);
}

std::string KeyNoteName(int32_t key) {
    const int32_t midi = key + kMidiNoteOfKeyZero;
    if (midi < 0) return "?";
    return std::string(kNoteNames[midi % 12]) + std::to_string(midi / 12 - 1);
}

// Each name says what the field controls as far as its range and its place in the voice block
// show it; a field whose role they do not show is named by its block byte.
const VoiceParameterName kVoiceParameterNames[] = {
    {37, "tuning", "transpose"},           {17, "tuning", "fine tune"},
    {43, "level", "attenuation dB"},       {10, "filter", "cutoff"},
    {11, "filter", "resonance"},           {12, "filter", "envelope amount"},
    {40, "filter", "key tracking"},        {5, "amp envelope", "attack"},
    {7, "amp envelope", "decay"},          {3, "amp envelope", "sustain"},
    {9, "amp envelope", "release"},        {0, "filter envelope", "attack"},
    {2, "filter envelope", "decay"},       {4, "filter envelope", "release"},
    {8, "modulation", "LFO rate (0 off)"}, {19, "modulation", "LFO delay"},
    {20, "modulation", "LFO depth"},       {15, "velocity", "to level"},
    {14, "velocity", "to filter"},         {13, "velocity", "to attack"},
    {21, "keyboard", "level scaling"},     {22, "keyboard", "pitch scaling"},
    {35, "keyboard", "original key"},      {36, "keyboard", "byte 255 value"},
    {24, "keyboard", "byte 254 offset"},   {26, "switches", "byte 47 bit 6"},
    {27, "switches", "byte 47 bit 5"},     {28, "switches", "byte 47 bit 4"},
    {29, "switches", "byte 47 bit 3"},     {30, "switches", "byte 47 bit 2"},
    {31, "switches", "byte 47 bit 1"},     {32, "switches", "byte 47 bit 0"},
    {38, "switches", "flag bit 0"},        {62, "switches", "flag bit 3"},
    {61, "switches", "flag bit 4"},        {60, "switches", "flag bit 5"},
    {63, "play range", "shortened"},
};
const int32_t kVoiceParameterNameCount =
    static_cast<int32_t>(sizeof kVoiceParameterNames / sizeof kVoiceParameterNames[0]);
