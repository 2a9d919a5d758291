// The words dpxtool uses for what the bank reader decodes: what each failed check of a sample,
// voice or preset means, the names of the keys, and the voice parameters in a sampler user's
// terms.
#pragma once

#include <cstdint>
#include <string>

// A short text of what a sample, voice or preset check found wrong; "valid" for 99.
std::string SampleValidityText(int32_t validCode);
std::string VoiceValidityText(int32_t validCode);
std::string PresetValidityText(int32_t validCode);

// The note name of an Emulator II key number. The keys count piano keys from A0 = 0, so the
// lowest key, 15, is C2, key 39 is middle C (C4) and the highest, 75, is C7; the MIDI note
// number is the key number plus 21.
std::string KeyNoteName(int32_t key);

// One decoded slot of a voice, with the group and the name a sampler user knows it by.
struct VoiceParameterName {
    int32_t slot;
    const char* group;
    const char* name;
};
// The decoded slots that are shown, grouped, in the order they are shown.
extern const VoiceParameterName kVoiceParameterNames[];
extern const int32_t kVoiceParameterNameCount;
