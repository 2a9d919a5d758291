#include "inspect/report_html.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "eii/key_areas.h"
#include "inspect/append_format.h"
#include "inspect/record_texts.h"
#include "inspect/wav.h"

namespace {

// Keyboard drawing: 36 white keys of 20 units, black keys 12 wide; two bands above the keys, one
// for the first and one for the second voice of every key area.
constexpr int32_t kWhiteWidth = 20;
constexpr int32_t kWhiteHeight = 86;
constexpr int32_t kBlackWidth = 12;
constexpr int32_t kBlackHeight = 52;
constexpr int32_t kBandHeight = 22;
constexpr int32_t kBandGap = 3;
constexpr int32_t kWhiteKeys = 36;
constexpr int32_t kKeyboardWidth = kWhiteKeys * kWhiteWidth;
// Waveform drawing.
constexpr int32_t kWaveWidth = 720;
constexpr int32_t kWaveHeight = 110;

constexpr int32_t kWhiteIndexOfPitch[12] = {0, -1, 1, -1, 2, 3, -1, 4, -1, 5, -1, 6};

// Text for element content and attribute values.
std::string Escape(const std::string& text) {
    std::string escaped;
    for (char character : text) {
        const unsigned char byte = static_cast<unsigned char>(character);
        if (character == '&')
            escaped += "&amp;";
        else if (character == '<')
            escaped += "&lt;";
        else if (character == '>')
            escaped += "&gt;";
        else if (character == '"')
            escaped += "&quot;";
        else if (byte < 0x20 || byte >= 0x7F)
            escaped += "?";
        else
            escaped += character;
    }
    return escaped;
}

int32_t VoiceHue(int32_t voiceNumber) {
    return (voiceNumber * 137 + 200) % 360;
}

bool IsBlack(int32_t key) {
    return kWhiteIndexOfPitch[(key - kLowestKey) % 12] < 0;
}

// Left edge and width of a key in drawing units.
void KeyBox(int32_t key, int32_t* left, int32_t* width) {
    const int32_t offset = key - kLowestKey;
    const int32_t octave = offset / 12;
    const int32_t pitch = offset % 12;
    if (!IsBlack(key)) {
        *left = (octave * 7 + kWhiteIndexOfPitch[pitch]) * kWhiteWidth;
        *width = kWhiteWidth;
        return;
    }
    *left = (octave * 7 + kWhiteIndexOfPitch[pitch - 1] + 1) * kWhiteWidth - kBlackWidth / 2;
    *width = kBlackWidth;
}

const VoiceListing* FindVoice(const BankListing& listing, int32_t number) {
    for (const VoiceListing& voice : listing.voices)
        if (voice.number == number) return &voice;
    return nullptr;
}

// The voice that colours a key: the first voice of the first key area covering it.
int32_t KeyVoice(const PresetListing& preset, int32_t key, bool* missing) {
    for (const KeyRangeListing& range : preset.keyRanges)
        if (key >= range.lowKey && key <= range.highKey) {
            *missing = range.namesMissingVoice;
            return range.voices.empty() ? 0 : range.voices.front();
        }
    return 0;
}

void DrawKey(const PresetListing& preset, int32_t key, int32_t keysTop, std::string* html) {
    int32_t left = 0;
    int32_t width = 0;
    KeyBox(key, &left, &width);
    bool missing = false;
    const int32_t voice = KeyVoice(preset, key, &missing);
    const bool black = IsBlack(key);
    std::string fill = black ? "#222" : "#fff";
    if (missing)
        fill = "url(#damaged)";
    else if (voice > 0)
        fill = "hsl(" + std::to_string(VoiceHue(voice)) + (black ? ",55%,32%)" : ",70%,86%)");
    AppendFormat(html,
                 "<rect class=\"%s\" x=\"%d\" y=\"%d\" width=\"%d\" height=\"%d\" fill=\"%s\"><title>%d "
                 "%s</title></rect>\n",
                 black ? "black" : "white", left, keysTop, width, black ? kBlackHeight : kWhiteHeight,
                 fill.c_str(), key, KeyNoteName(key).c_str());
}

void DrawBand(const BankListing& listing, const KeyRangeListing& range, int32_t row, int32_t voice,
              std::string* html) {
    if (range.lowKey < kLowestKey || range.lowKey > kHighestKey || range.highKey < range.lowKey) return;
    int32_t lowLeft = 0, lowWidth = 0, highLeft = 0, highWidth = 0;
    KeyBox(range.lowKey, &lowLeft, &lowWidth);
    KeyBox(std::min(range.highKey, kHighestKey), &highLeft, &highWidth);
    const int32_t x = lowLeft + 1;
    const int32_t width = std::max(highLeft + highWidth - lowLeft - 2, 4);
    const int32_t y = row * (kBandHeight + kBandGap);
    const VoiceListing* known = FindVoice(listing, voice);
    const bool damaged = known == nullptr || known->validCode != kValidRecord;
    const std::string fill =
        known == nullptr ? "url(#damaged)" : "hsl(" + std::to_string(VoiceHue(voice)) + ",62%,48%)";
    std::string label = "V" + std::to_string(voice) + " " + (known != nullptr ? known->name : "missing");
    const std::string title =
        label + ", keys " + KeyNoteName(range.lowKey) + "-" + KeyNoteName(range.highKey);
    // As many characters as the band holds.
    const size_t room = static_cast<size_t>(std::max((width - 8) / 7, 0));
    if (label.size() > room) label = label.substr(0, room);
    AppendFormat(html,
                 "<g class=\"band%s\"><title>%s</title><rect x=\"%d\" y=\"%d\" width=\"%d\" height=\"%d\" "
                 "rx=\"4\" fill=\"%s\"%s/>",
                 damaged ? " damaged" : "", Escape(title).c_str(), x, y, width, kBandHeight, fill.c_str(),
                 damaged ? " stroke=\"#c00\" stroke-width=\"2\"" : "");
    AppendFormat(html, "<text x=\"%d\" y=\"%d\">%s</text></g>\n", x + 5, y + 15, Escape(label).c_str());
}

void DrawKeyboard(const BankListing& listing, const PresetListing& preset, std::string* html) {
    // One band row per voice the key areas layer, at least one.
    int32_t rows = 1;
    for (const KeyRangeListing& range : preset.keyRanges)
        rows = std::max(rows, static_cast<int32_t>(std::min<size_t>(range.voices.size(), 2)));
    const int32_t keysTop = rows * (kBandHeight + kBandGap);
    AppendFormat(
        html,
        "<svg class=\"keyboard\" viewBox=\"0 0 %d %d\" role=\"img\"><title>Preset %d keyboard</title>\n",
        kKeyboardWidth, keysTop + kWhiteHeight + 16, preset.number);
    for (const KeyRangeListing& range : preset.keyRanges)
        for (size_t index = 0; index < range.voices.size() && index < 2; ++index)
            DrawBand(listing, range, static_cast<int32_t>(index), range.voices[index], html);
    for (int32_t key = kLowestKey; key <= kHighestKey; ++key)
        if (!IsBlack(key)) DrawKey(preset, key, keysTop, html);
    for (int32_t key = kLowestKey; key <= kHighestKey; ++key)
        if (IsBlack(key)) DrawKey(preset, key, keysTop, html);
    for (int32_t key = kLowestKey; key <= kHighestKey; key += 12) {
        int32_t left = 0, width = 0;
        KeyBox(key, &left, &width);
        AppendFormat(html, "<text class=\"note\" x=\"%d\" y=\"%d\">%s</text>\n", left + 3,
                     keysTop + kWhiteHeight + 13, KeyNoteName(key).c_str());
    }
    *html += "</svg>\n";
}

void DrawWaveform(const std::vector<int16_t>& values, const VoiceListing& voice, std::string* html) {
    const double middle = kWaveHeight / 2.0;
    const double scale = (kWaveHeight / 2.0 - 2) / 32768.0;
    const size_t frames = values.size();
    AppendFormat(html,
                 "<svg class=\"wave\" viewBox=\"0 0 %d %d\" preserveAspectRatio=\"none\" "
                 "role=\"img\"><title>Voice %d waveform</title>\n",
                 kWaveWidth, kWaveHeight, voice.number);
    auto columnOf = [&](int64_t frame) {
        return static_cast<double>(frame) * kWaveWidth / static_cast<double>(frames);
    };
    if (voice.loopKnown && voice.loopOn && frames > 0) {
        const double from = columnOf(voice.loopStart);
        const double to = columnOf(static_cast<int64_t>(voice.loopEnd) + 1);
        AppendFormat(html, "<rect class=\"loop\" x=\"%.1f\" y=\"0\" width=\"%.1f\" height=\"%d\"/>\n", from,
                     std::max(to - from, 1.0), kWaveHeight);
        AppendFormat(html,
                     "<line class=\"loopmark\" x1=\"%.1f\" y1=\"0\" x2=\"%.1f\" y2=\"%d\"/><line "
                     "class=\"loopmark\" x1=\"%.1f\" y1=\"0\" x2=\"%.1f\" y2=\"%d\"/>\n",
                     from, from, kWaveHeight, to, to, kWaveHeight);
        AppendFormat(html, "<text class=\"looplabel\" x=\"%.1f\" y=\"12\">loop</text>\n", from + 3);
    }
    AppendFormat(html, "<line class=\"axis\" x1=\"0\" y1=\"%.1f\" x2=\"%d\" y2=\"%.1f\"/>\n", middle,
                 kWaveWidth, middle);
    std::string path;
    for (int32_t column = 0; column < kWaveWidth && frames > 0; ++column) {
        const size_t first = frames * static_cast<size_t>(column) / kWaveWidth;
        const size_t last = std::max(first + 1, frames * static_cast<size_t>(column + 1) / kWaveWidth);
        int32_t low = 32767, high = -32768;
        for (size_t frame = first; frame < last && frame < frames; ++frame) {
            low = std::min<int32_t>(low, values[frame]);
            high = std::max<int32_t>(high, values[frame]);
        }
        AppendFormat(&path, "M%d.5 %.1fV%.1f", column, middle - high * scale, middle - low * scale + 0.5);
    }
    if (!path.empty()) *html += "<path class=\"trace\" d=\"" + path + "\"/>\n";
    *html += "</svg>\n";
}

void WriteStyle(std::string* html) {
    *html +=
        "<style>\n"
        "body{font:14px/1.4 system-ui,-apple-system,'Segoe "
        "UI',sans-serif;margin:0;background:#f3f4f6;color:#1f2937}\n"
        "header{background:#1f2937;color:#f9fafb;padding:20px 32px}\n"
        "header h1{margin:0 0 4px;font-size:26px;letter-spacing:.04em}\n"
        "header .file{color:#9ca3af;font-size:13px}\n"
        ".numbers{display:flex;flex-wrap:wrap;gap:10px;margin-top:14px}\n"
        ".number{background:#374151;border-radius:8px;padding:8px 14px;min-width:90px}\n"
        ".number b{display:block;font-size:20px}.number span{color:#d1d5db;font-size:12px}\n"
        "main{padding:12px 32px 40px;max-width:1100px}\n"
        "h2{font-size:18px;margin:26px 0 10px;border-bottom:2px solid #d1d5db;padding-bottom:4px}\n"
        ".card{background:#fff;border-radius:10px;box-shadow:0 1px 3px rgba(0,0,0,.12);padding:12px "
        "16px;margin:0 0 14px}\n"
        ".card.damaged{border-left:6px solid #dc2626}\n"
        ".card h3{margin:0 0 6px;font-size:16px}.card h3 "
        ".no{color:#6b7280;font-weight:normal;margin-right:6px}\n"
        ".badge{display:inline-block;font-size:12px;border-radius:10px;padding:1px "
        "8px;margin-left:8px;vertical-align:middle}\n"
        ".badge.ok{background:#dcfce7;color:#166534}.badge.bad{background:#fee2e2;color:#991b1b}\n"
        ".meta{color:#4b5563;font-size:13px;margin:2px 0 8px}\n"
        "svg.keyboard{width:100%;max-width:900px;display:block}\n"
        "svg.keyboard rect.white{stroke:#6b7280;stroke-width:1}svg.keyboard "
        "rect.black{stroke:#111;stroke-width:1}\n"
        "svg.keyboard .band text{font-size:12px;fill:#fff;font-weight:600}\n"
        "svg.keyboard .band.damaged text{fill:#7f1d1d}\n"
        "svg.keyboard text.note{font-size:10px;fill:#6b7280}\n"
        "svg.wave{width:100%;height:110px;background:#0f172a;border-radius:6px;display:block}\n"
        "svg.wave .trace{stroke:#38bdf8;stroke-width:1;fill:none}\n"
        "svg.wave .axis{stroke:#334155;stroke-width:1}\n"
        "svg.wave .loop{fill:#f59e0b;fill-opacity:.18}svg.wave .loopmark{stroke:#f59e0b;stroke-width:1.5}\n"
        "svg.wave .looplabel{fill:#fbbf24;font-size:11px}\n"
        ".nowave{height:60px;border-radius:6px;display:flex;align-items:center;justify-content:center;color:#"
        "991b1b;"
        "background:repeating-linear-gradient(45deg,#fee2e2,#fee2e2 8px,#fecaca 8px,#fecaca 16px)}\n"
        ".params{display:grid;grid-template-columns:max-content 1fr;gap:1px "
        "14px;font-size:12px;color:#4b5563;"
        "margin-top:8px}\n"
        ".params b{color:#111827;font-weight:600}.params i{font-style:normal;color:#111827;font-weight:600}\n"
        "table{border-collapse:collapse;background:#fff;border-radius:10px;overflow:hidden;box-shadow:0 1px "
        "3px rgba(0,0,0,.12)}\n"
        "th,td{padding:6px 14px;text-align:right;border-bottom:1px solid #e5e7eb}th{background:#f9fafb}\n"
        "td.text,th.text{text-align:left}tr.damaged td{background:#fef2f2;color:#991b1b}\n"
        ".problems{background:#fef2f2;border:1px solid #fecaca;border-radius:10px;padding:10px "
        "16px;margin-top:16px}\n"
        ".problems h2{border:none;margin:0 0 6px;color:#991b1b}.problems li{color:#7f1d1d}\n"
        "</style>\n";
}

void WriteNumber(std::string* html, const std::string& value, const char* label) {
    AppendFormat(html, "<div class=\"number\"><b>%s</b><span>%s</span></div>\n", Escape(value).c_str(),
                 label);
}

void WriteHeader(const BankListing& listing, std::string* html) {
    AppendFormat(html, "<header>\n<h1>%s</h1>\n<div class=\"file\">%s &#8212; %s</div>\n",
                 Escape(listing.headerRead ? listing.name : "No bank").c_str(), Escape(listing.file).c_str(),
                 Escape(listing.kind).c_str());
    if (listing.headerRead) {
        char seconds[32];
        std::snprintf(seconds, sizeof seconds, "%.2f s", listing.sampleAreaSeconds);
        *html += "<div class=\"numbers\">\n";
        WriteNumber(html, std::to_string(listing.presetCount), "presets");
        WriteNumber(html, std::to_string(listing.voiceCount), "voices");
        WriteNumber(html, std::to_string(listing.sampleCount), "samples");
        WriteNumber(html, std::to_string(listing.sequenceCount), "sequences");
        WriteNumber(html, std::to_string(listing.sampleAreaSize), "sample bytes");
        WriteNumber(html, seconds, "at 27,778 Hz");
        WriteNumber(html, std::to_string(listing.recentPreset), "recent preset");
        *html += "</div>\n";
    }
    *html += "</header>\n";
}

std::string Badge(int32_t validCode, const std::string& validity) {
    if (validCode == kValidRecord) return "<span class=\"badge ok\">valid</span>";
    return "<span class=\"badge bad\">check " + std::to_string(validCode) + ": " + Escape(validity) +
           "</span>";
}

void WritePresets(const BankListing& listing, std::string* html) {
    *html += "<h2>Presets</h2>\n";
    for (const PresetListing& preset : listing.presets) {
        const bool damaged = preset.validCode != kValidRecord;
        AppendFormat(html, "<section class=\"card preset%s\">\n<h3><span class=\"no\">%d</span>%s%s</h3>\n",
                     damaged ? " damaged" : "", preset.number, Escape(preset.name).c_str(),
                     Badge(preset.validCode, preset.validity).c_str());
        std::string areas;
        for (const KeyRangeListing& range : preset.keyRanges)
            areas += (areas.empty() ? "" : " &#183; ") + KeyNoteName(range.lowKey) + "&#8211;" +
                     KeyNoteName(range.highKey);
        AppendFormat(html, "<div class=\"meta\">%d key area%s%s%s</div>\n",
                     static_cast<int>(preset.keyRanges.size()), preset.keyRanges.size() == 1 ? "" : "s",
                     areas.empty() ? "" : ": ", areas.c_str());
        DrawKeyboard(listing, preset, html);
        *html += "</section>\n";
    }
}

void WriteVoices(int8_t trace, const BankFile& file, const BankListing& listing, std::string* html) {
    *html += "<h2>Voices</h2>\n";
    std::vector<int16_t> values;
    for (const VoiceListing& voice : listing.voices) {
        const bool damaged = voice.validCode != kValidRecord;
        AppendFormat(html, "<section class=\"card voice%s\">\n<h3><span class=\"no\">%d</span>%s%s</h3>\n",
                     damaged ? " damaged" : "", voice.number, Escape(voice.name).c_str(),
                     Badge(voice.validCode, voice.validity).c_str());
        std::string meta =
            voice.sampleNumber > 0 ? "sample " + std::to_string(voice.sampleNumber) : "no sample";
        if (voice.loopKnown)
            meta += voice.loopOn ? ", loop " + std::to_string(voice.loopStart) + "&#8211;" +
                                       std::to_string(voice.loopEnd)
                                 : ", no loop";
        std::string reason;
        const bool readable = VoiceSampleValues(trace, file, voice, &values, &reason);
        if (readable) {
            char seconds[48];
            std::snprintf(seconds, sizeof seconds, ", %d frames, %.3f s", static_cast<int>(values.size()),
                          SampleSeconds(static_cast<int64_t>(values.size())));
            meta += seconds;
        }
        AppendFormat(html, "<div class=\"meta\">%s</div>\n", meta.c_str());
        if (readable)
            DrawWaveform(values, voice, html);
        else
            AppendFormat(html, "<div class=\"nowave\">No waveform: %s</div>\n", Escape(reason).c_str());
        if (!voice.parameters.empty()) {
            *html += "<div class=\"params\">";
            std::string group;
            for (const VoiceParameterListing& parameter : voice.parameters) {
                if (parameter.group != group) {
                    if (!group.empty()) *html += "</span>";
                    group = parameter.group;
                    AppendFormat(html, "<b>%s</b><span>", Escape(group).c_str());
                } else {
                    *html += " &#183; ";
                }
                AppendFormat(html, "%s <i>%d</i>", Escape(parameter.name).c_str(), parameter.value);
            }
            *html += "</span></div>\n";
        }
        *html += "</section>\n";
    }
}

void WriteSamples(const BankListing& listing, std::string* html) {
    *html +=
        "<h2>Samples</h2>\n<table>\n<tr><th>#</th><th>Start</th><th>Size</th><th>Seconds</th>"
        "<th class=\"text\">Voices</th><th class=\"text\">Validity</th></tr>\n";
    for (const SampleListing& sample : listing.samples) {
        std::string voices;
        for (int32_t voice : sample.voices) voices += (voices.empty() ? "" : ", ") + std::to_string(voice);
        AppendFormat(html,
                     "<tr%s><td>%d</td><td>%d</td><td>%d</td><td>%.3f</td><td class=\"text\">%s</td><td "
                     "class=\"text\">%s</td></tr>\n",
                     sample.validCode == kValidRecord ? "" : " class=\"damaged\"", sample.number,
                     sample.start, sample.size, sample.seconds, voices.empty() ? "none" : voices.c_str(),
                     Escape(sample.validity).c_str());
    }
    *html += "</table>\n";
}

}  // namespace

std::string BuildReportHtml(int8_t trace, const BankFile& file, const BankListing& listing) {
    std::string html =
        "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\"/>\n"
        "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\"/>\n";
    AppendFormat(&html, "<title>%s</title>\n",
                 Escape(listing.headerRead ? listing.name : listing.file).c_str());
    WriteStyle(&html);
    html += "</head>\n<body>\n";
    // The hatching that marks what is damaged, shared by every drawing of the page.
    html +=
        "<svg width=\"0\" height=\"0\" style=\"position:absolute\"><defs><pattern id=\"damaged\" width=\"8\" "
        "height=\"8\" patternUnits=\"userSpaceOnUse\" patternTransform=\"rotate(45)\"><rect width=\"8\" "
        "height=\"8\" "
        "fill=\"#fee2e2\"/><rect width=\"4\" height=\"8\" fill=\"#fca5a5\"/></pattern></defs></svg>\n";
    WriteHeader(listing, &html);
    html += "<main>\n";
    if (!listing.problems.empty()) {
        html += "<div class=\"problems\"><h2>Problems</h2>\n<ul>\n";
        for (const std::string& problem : listing.problems) html += "<li>" + Escape(problem) + "</li>\n";
        html += "</ul></div>\n";
    }
    if (!listing.presets.empty()) WritePresets(listing, &html);
    if (!listing.voices.empty()) WriteVoices(trace, file, listing, &html);
    if (!listing.samples.empty()) WriteSamples(listing, &html);
    html += "</main>\n</body>\n</html>\n";
    return html;
}
