// What a bank holds, as a tree of plain records built from the Bank that the converters' reader
// fills: the bank's numbers, every preset with its key areas, every voice with its sample, loop
// and decoded parameters, every sample with the voices that play it, and every problem found,
// one line each. FormatListingText and FormatListingJson print the same tree.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "inspect/bank_file.h"

struct KeyRangeListing {
    int32_t lowKey;
    int32_t highKey;
    std::vector<int32_t> voices;  // first voice, then second voice, where the area has them
    bool namesMissingVoice;
};

struct PresetListing {
    int32_t number;
    std::string name;
    int32_t validCode;
    std::string validity;
    std::vector<KeyRangeListing> keyRanges;
};

struct VoiceParameterListing {
    std::string group;
    std::string name;
    int32_t value;
};

struct VoiceListing {
    int32_t number;
    std::string name;
    int32_t validCode;
    std::string validity;
    int32_t sampleNumber;  // 0 when the voice was not bound to a sample
    bool playRangeKnown;
    int32_t playStart;  // bank offsets, the end one past the last byte played
    int32_t playEnd;
    bool loopKnown;
    bool loopOn;
    int32_t loopStart;  // sample frames from the sample's start; the end is the last frame looped
    int32_t loopEnd;
    std::vector<VoiceParameterListing> parameters;  // none when the voice failed before them
};

struct SampleListing {
    int32_t number;
    int32_t start;
    int32_t size;
    double seconds;
    int32_t validCode;
    std::string validity;
    std::vector<int32_t> voices;  // the voices that play it
};

struct BankListing {
    std::string file;
    std::string kind;  // what the file is, in words
    bool headerRead;
    std::string name;
    int32_t presetCount;
    int32_t voiceCount;
    int32_t sampleCount;
    int32_t sequenceCount;
    int32_t sampleAreaStart;
    int32_t sampleAreaEnd;
    int32_t sampleAreaSize;
    double sampleAreaSeconds;
    int32_t recentPreset;
    std::vector<PresetListing> presets;
    std::vector<VoiceListing> voices;
    std::vector<SampleListing> samples;
    std::vector<std::string> problems;  // every problem on its own line; none for a sound bank
};

BankListing BuildBankListing(const BankFile& file);

// Aligned text, sections in the order bank, presets, voices, samples, problems.
std::string FormatListingText(const BankListing& listing);
// The same as one JSON document.
std::string FormatListingJson(const BankListing& listing);

// The seconds that a number of sample bytes plays at 27,778 Hz.
double SampleSeconds(int64_t bytes);
