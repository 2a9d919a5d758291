#include "inspect/bank_listing.h"

#include <cstdarg>
#include <cstdio>
#include <nlohmann/json.hpp>

#include "eii/key_areas.h"
#include "eii/preset.h"
#include "eii/voice.h"
#include "inspect/append_format.h"
#include "inspect/record_texts.h"

namespace {

// How far the voice reader got before the check that failed: it binds the sample at check 36,
// decodes the play range at 37 and 38 and the loop at 39 and 40, and has decoded every parameter
// slot once the flag byte (check 34) passed. A block outside the parameter area is not read.
bool VoiceReached(int32_t validCode, int32_t check) {
    if (validCode == kValidRecord) return true;
    return validCode != kVoiceBlockOutside && validCode > check;
}
constexpr int32_t kVoiceFlagsCheck = 34;
constexpr int32_t kVoiceSampleCheck = 36;
constexpr int32_t kVoicePlayRangeCheck = 38;
constexpr int32_t kVoiceLoopCheck = 40;

// Preset codes after which the key areas are the preset's own: 11 (a key area names a missing
// voice) leaves them complete; 10 (a bad record) leaves the scanned ones, the last unfinished.
constexpr int32_t kPresetMissingVoiceCode = 11;
constexpr int32_t kPresetBadRecordCode = 10;

// Parameter lines of the text listing are wrapped at this width.
constexpr size_t kParameterLineWidth = 92;

// AppendFormat, leaving no spaces at the end of a line whose last columns are empty.
void Appendf(std::string* text, const char* format, ...) __attribute__((format(printf, 2, 3)));
void Appendf(std::string* text, const char* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    AppendFormatList(text, format, arguments);
    va_end(arguments);
    while (text->size() >= 2 && text->back() == '\n' && (*text)[text->size() - 2] == ' ') {
        text->pop_back();
        text->back() = '\n';
    }
}

std::string KindText(BankFileKind kind) {
    switch (kind) {
        case BankFileKind::kEmuImage:
            return "Emulator II bank";
        case BankFileKind::kDpxBank:
            return "DPX-1 image with an Emulator II bank";
        case BankFileKind::kDpxOther:
            return "DPX-1 image without an Emulator II bank";
        case BankFileKind::kOther:
            break;
    }
    return "neither an Emulator II bank nor a DPX-1 image";
}

std::string KeyRangeText(int32_t low, int32_t high) {
    return std::to_string(low) + "-" + std::to_string(high) + " " + KeyNoteName(low) + "-" +
           KeyNoteName(high);
}

// A name as the bank stores it, without the spaces that pad it to 12 characters.
std::string Trimmed(const char* name) {
    std::string text = name;
    while (!text.empty() && text.back() == ' ') text.pop_back();
    return text;
}

std::string Quoted(const std::string& name) {
    return name.empty() ? std::string() : " (" + name + ")";
}

PresetListing ListPreset(const PresetOverview& preset, std::vector<std::string>* problems) {
    PresetListing listing{preset.PresetNumber,
                          Trimmed(preset.PresetName),
                          preset.ValidCode,
                          PresetValidityText(preset.ValidCode),
                          {}};
    const bool complete = preset.ValidCode == kValidRecord || preset.ValidCode == kPresetMissingVoiceCode;
    if (complete || preset.ValidCode == kPresetBadRecordCode) {
        for (const KeyArea* area = preset.KeyAreas; area != nullptr; area = area->next) {
            KeyRangeListing range{area->KeyAreaData[0], area->KeyAreaData[1], {}, area->KeyAreaStatus == 1};
            // The record that stopped the scan left its voice entries unwritten.
            if (complete || area->next != nullptr)
                for (int32_t entry : {5, 6})
                    if (area->KeyAreaData[entry] != kNoVoice)
                        range.voices.push_back(area->KeyAreaData[entry]);
            listing.keyRanges.push_back(range);
        }
    }
    if (preset.ValidCode == kValidRecord) return listing;
    problems->push_back("preset " + std::to_string(preset.PresetNumber) + Quoted(listing.name) + ": check " +
                        std::to_string(preset.ValidCode) + ": " + listing.validity);
    for (const KeyRangeListing& range : listing.keyRanges)
        if (range.namesMissingVoice)
            problems->push_back("preset " + std::to_string(preset.PresetNumber) + " keys " +
                                KeyRangeText(range.lowKey, range.highKey) + ": names a voice the bank lacks");
    return listing;
}

VoiceListing ListVoice(const VoiceOverview& voice, std::vector<std::string>* problems) {
    const int32_t code = voice.ValidCode;
    VoiceListing listing{};
    listing.number = voice.VoiceNumber;
    listing.name = Trimmed(voice.VoiceName);
    listing.validCode = code;
    listing.validity = VoiceValidityText(code);
    if (VoiceReached(code, kVoiceSampleCheck)) listing.sampleNumber = voice.Param[kVoiceSampleNumberSlot];
    listing.playRangeKnown = VoiceReached(code, kVoicePlayRangeCheck);
    if (listing.playRangeKnown) {
        listing.playStart = voice.Param[kVoicePlayStartSlot];
        listing.playEnd = voice.Param[kVoicePlayEndSlot];
    }
    listing.loopKnown = VoiceReached(code, kVoiceLoopCheck);
    if (listing.loopKnown) {
        listing.loopOn = voice.Param[kVoiceLoopOnSlot] == 1;
        listing.loopStart = voice.Param[kVoiceLoopStartSlot];
        listing.loopEnd = voice.Param[kVoiceLoopStartSlot] + voice.Param[kVoiceLoopLengthSlot] - 1;
    }
    if (VoiceReached(code, kVoiceFlagsCheck))
        for (int32_t index = 0; index < kVoiceParameterNameCount; ++index) {
            const VoiceParameterName& parameter = kVoiceParameterNames[index];
            listing.parameters.push_back({parameter.group, parameter.name, voice.Param[parameter.slot]});
        }
    if (code != kValidRecord)
        problems->push_back("voice " + std::to_string(voice.VoiceNumber) + Quoted(listing.name) + ": check " +
                            std::to_string(code) + ": " + listing.validity);
    return listing;
}

SampleListing ListSample(const SampleOverview& sample, const std::vector<VoiceListing>& voices,
                         std::vector<std::string>* problems) {
    SampleListing listing{sample.SampleNumber,
                          sample.SampleStart,
                          sample.SampleSize,
                          SampleSeconds(sample.SampleSize),
                          sample.ValidCode,
                          SampleValidityText(sample.ValidCode),
                          {}};
    for (const VoiceListing& voice : voices)
        if (voice.sampleNumber == sample.SampleNumber) listing.voices.push_back(voice.number);
    if (sample.ValidCode != kValidRecord)
        problems->push_back("sample " + std::to_string(sample.SampleNumber) + ": check " +
                            std::to_string(sample.ValidCode) + ": " + listing.validity);
    return listing;
}

std::string NumberList(const std::vector<int32_t>& numbers) {
    std::string text;
    for (int32_t number : numbers) text += (text.empty() ? "" : " ") + std::to_string(number);
    return text.empty() ? "-" : text;
}

std::string LoopText(const VoiceListing& voice) {
    if (!voice.loopKnown) return "?";
    if (!voice.loopOn) return "off";
    return "on " + std::to_string(voice.loopStart) + ".." + std::to_string(voice.loopEnd);
}

void FormatPresets(const BankListing& listing, std::string* text) {
    Appendf(text, "\nPresets\n  %3s  %-12s  %-18s  %-7s  %s\n", "#", "Name", "Keys", "Voices", "Validity");
    for (const PresetListing& preset : listing.presets) {
        const std::string status = preset.validCode == kValidRecord
                                       ? preset.validity
                                       : "check " + std::to_string(preset.validCode) + ": " + preset.validity;
        if (preset.keyRanges.empty()) {
            Appendf(text, "  %3d  %-12s  %-18s  %-7s  %s\n", preset.number, preset.name.c_str(), "-", "-",
                    status.c_str());
            continue;
        }
        bool first = true;
        for (const KeyRangeListing& range : preset.keyRanges) {
            std::string voices = NumberList(range.voices) + (range.namesMissingVoice ? " !" : "");
            Appendf(text, "  %3s  %-12s  %-18s  %-7s  %s\n",
                    first ? std::to_string(preset.number).c_str() : "", first ? preset.name.c_str() : "",
                    KeyRangeText(range.lowKey, range.highKey).c_str(), voices.c_str(),
                    first ? status.c_str() : "");
            first = false;
        }
    }
}

void FormatVoices(const BankListing& listing, std::string* text) {
    Appendf(text, "\nVoices\n  %3s  %-12s  %6s  %-17s  %-21s  %s\n", "#", "Name", "Sample", "Play", "Loop",
            "Validity");
    for (const VoiceListing& voice : listing.voices) {
        const std::string sample = voice.sampleNumber > 0 ? std::to_string(voice.sampleNumber) : "-";
        const std::string play = voice.playRangeKnown
                                     ? std::to_string(voice.playStart) + ".." + std::to_string(voice.playEnd)
                                     : "?";
        const std::string status = voice.validCode == kValidRecord
                                       ? voice.validity
                                       : "check " + std::to_string(voice.validCode) + ": " + voice.validity;
        Appendf(text, "  %3d  %-12s  %6s  %-17s  %-21s  %s\n", voice.number, voice.name.c_str(),
                sample.c_str(), play.c_str(), LoopText(voice).c_str(), status.c_str());
        std::string group;
        std::string line;
        for (const VoiceParameterListing& parameter : voice.parameters) {
            if (parameter.group != group) {
                if (!line.empty()) Appendf(text, "       %s\n", line.c_str());
                group = parameter.group;
                line = group + ":";
            } else {
                line += ",";
            }
            const std::string item = parameter.name + " " + std::to_string(parameter.value);
            if (line.size() + item.size() > kParameterLineWidth) {
                Appendf(text, "       %s\n", line.c_str());
                line = "   ";
            }
            line += " " + item;
        }
        if (!line.empty()) Appendf(text, "       %s\n", line.c_str());
    }
}

void FormatSamples(const BankListing& listing, std::string* text) {
    Appendf(text, "\nSamples\n  %3s  %8s  %8s  %8s  %-10s  %s\n", "#", "Start", "Size", "Seconds", "Voices",
            "Validity");
    for (const SampleListing& sample : listing.samples)
        Appendf(text, "  %3d  %8d  %8d  %8.3f  %-10s  %s\n", sample.number, sample.start, sample.size,
                sample.seconds, NumberList(sample.voices).c_str(), sample.validity.c_str());
}

}  // namespace

double SampleSeconds(int64_t bytes) {
    return static_cast<double>(bytes) / kEmuSampleRate;
}

BankListing BuildBankListing(const BankFile& file) {
    BankListing listing{};
    listing.file = file.path;
    listing.kind = KindText(file.kind);
    listing.headerRead = file.header != nullptr;
    if (file.headerStatus.code != 0)
        listing.problems.push_back("bank header: " + std::string(file.headerStatus.message));
    if (file.kind == BankFileKind::kOther || (file.kind == BankFileKind::kDpxOther && !listing.headerRead))
        return listing;
    if (!listing.headerRead) return listing;
    const BankBasicDetails& header = *file.header;
    listing.name = Trimmed(header.Name);
    listing.presetCount = header.NumberOfPresets;
    listing.voiceCount = header.NumberOfVoices;
    listing.sampleCount = header.NumberOfSamples;
    listing.sequenceCount = header.NumberOfSequences;
    listing.sampleAreaStart = header.StartSampleAddress;
    listing.sampleAreaEnd = header.EndSampleAddress;
    listing.sampleAreaSize = header.TotalSampleSize;
    listing.sampleAreaSeconds = SampleSeconds(header.TotalSampleSize);
    listing.recentPreset = header.RecentPreset;
    if (file.readStatus.code != 0) {
        listing.problems.push_back("bank: " + std::string(file.readStatus.message));
        return listing;
    }
    for (const PresetOverview* preset = file.bank->Presets; preset != nullptr; preset = preset->next)
        listing.presets.push_back(ListPreset(*preset, &listing.problems));
    for (const VoiceOverview* voice = file.bank->Voices; voice != nullptr; voice = voice->next)
        listing.voices.push_back(ListVoice(*voice, &listing.problems));
    for (const SampleOverview* sample = file.bank->Samples; sample != nullptr; sample = sample->next)
        listing.samples.push_back(ListSample(*sample, listing.voices, &listing.problems));
    if (file.validateStatus.code != 0)
        listing.problems.push_back("the converters refuse this bank: " +
                                   std::string(file.validateStatus.message));
    return listing;
}

std::string FormatListingText(const BankListing& listing) {
    std::string text;
    Appendf(&text, "%-14s %s (%s)\n", "File", listing.file.c_str(), listing.kind.c_str());
    if (listing.headerRead) {
        Appendf(&text, "%-14s %s\n", "Bank", listing.name.c_str());
        Appendf(&text, "%-14s %d presets, %d voices, %d samples, %d sequences\n", "Holds",
                listing.presetCount, listing.voiceCount, listing.sampleCount, listing.sequenceCount);
        Appendf(&text, "%-14s %d..%d, %d bytes, %.3f s at 27,778 Hz\n", "Sample area",
                listing.sampleAreaStart, listing.sampleAreaEnd, listing.sampleAreaSize,
                listing.sampleAreaSeconds);
        Appendf(&text, "%-14s %d\n", "Recent preset", listing.recentPreset);
        if (!listing.presets.empty()) FormatPresets(listing, &text);
        if (!listing.voices.empty()) FormatVoices(listing, &text);
        if (!listing.samples.empty()) FormatSamples(listing, &text);
    }
    if (!listing.problems.empty()) {
        Appendf(&text, "\nProblems\n");
        for (const std::string& problem : listing.problems) Appendf(&text, "  %s\n", problem.c_str());
    }
    return text;
}

std::string FormatListingJson(const BankListing& listing) {
    using nlohmann::json;
    json document = {{"file", listing.file}, {"kind", listing.kind}, {"problems", listing.problems}};
    if (listing.headerRead) {
        document["bank"] = {{"name", listing.name},
                            {"presets", listing.presetCount},
                            {"voices", listing.voiceCount},
                            {"samples", listing.sampleCount},
                            {"sequences", listing.sequenceCount},
                            {"sample_area",
                             {{"start", listing.sampleAreaStart},
                              {"end", listing.sampleAreaEnd},
                              {"size", listing.sampleAreaSize},
                              {"seconds", listing.sampleAreaSeconds}}},
                            {"recent_preset", listing.recentPreset}};
        json presets = json::array();
        for (const PresetListing& preset : listing.presets) {
            json ranges = json::array();
            for (const KeyRangeListing& range : preset.keyRanges)
                ranges.push_back({{"low_key", range.lowKey},
                                  {"high_key", range.highKey},
                                  {"low_note", KeyNoteName(range.lowKey)},
                                  {"high_note", KeyNoteName(range.highKey)},
                                  {"voices", range.voices},
                                  {"names_missing_voice", range.namesMissingVoice}});
            presets.push_back({{"number", preset.number},
                               {"name", preset.name},
                               {"valid_code", preset.validCode},
                               {"validity", preset.validity},
                               {"key_areas", ranges}});
        }
        json voices = json::array();
        for (const VoiceListing& voice : listing.voices) {
            json entry = {{"number", voice.number},
                          {"name", voice.name},
                          {"valid_code", voice.validCode},
                          {"validity", voice.validity}};
            if (voice.sampleNumber > 0) entry["sample"] = voice.sampleNumber;
            if (voice.playRangeKnown) entry["play"] = {{"start", voice.playStart}, {"end", voice.playEnd}};
            if (voice.loopKnown)
                entry["loop"] = {{"on", voice.loopOn}, {"start", voice.loopStart}, {"end", voice.loopEnd}};
            json parameters = json::object();
            for (const VoiceParameterListing& parameter : voice.parameters)
                parameters[parameter.group][parameter.name] = parameter.value;
            if (!voice.parameters.empty()) entry["parameters"] = parameters;
            voices.push_back(entry);
        }
        json samples = json::array();
        for (const SampleListing& sample : listing.samples)
            samples.push_back({{"number", sample.number},
                               {"start", sample.start},
                               {"size", sample.size},
                               {"seconds", sample.seconds},
                               {"valid_code", sample.validCode},
                               {"validity", sample.validity},
                               {"voices", sample.voices}});
        document["presets"] = presets;
        document["voices"] = voices;
        document["samples"] = samples;
    }
    // Names are 7-bit text; a file name that is not UTF-8 is shown with replacement characters.
    return document.dump(2, ' ', false, json::error_handler_t::replace) + "\n";
}
