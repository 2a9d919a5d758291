// Writes a small, playable Emulator II bank: five voices with synthesised waveforms (looped
// pads and leads, a one-shot pluck and a hi-hat) coded with the Emulator II companding, and
// three presets that spread them over the keyboard.
//
//   make_demo_bank [<file>]      (default DEMO.EII)
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "dpx/companding.h"
#include "tests/support/emu_bank_blocks.h"

namespace {

constexpr double kSampleRate = 27778.0;
constexpr double kPi = 3.14159265358979323846;

// Codes 16-bit values as Emulator II sample bytes: each byte is the code whose step brings the
// leaky running value closest to the wanted value; the running value starts at 0.
std::vector<uint8_t> Compand(const std::vector<int32_t>& values) {
    std::vector<uint8_t> bytes;
    int32_t running = 0;
    for (int32_t value : values) {
        EncodedSample encoded{};
        bytes.push_back(static_cast<uint8_t>(EncodeCompandedSample(0, running, value - running, &encoded)));
        running += encoded.step;
    }
    return bytes;
}

int32_t ToValue(double level) {
    double clipped = std::fmax(-1.0, std::fmin(1.0, level));
    return static_cast<int32_t>(std::lround(clipped * 24000.0));
}

// A tone of whole periods, so that a loop over all of it plays without a click.
std::vector<int32_t> Tone(double frequency, int32_t periods, double (*shape)(double phase)) {
    int32_t length = static_cast<int32_t>(std::lround(periods * kSampleRate / frequency));
    std::vector<int32_t> values;
    for (int32_t i = 0; i < length; ++i) {
        double phase = std::fmod(i * frequency / kSampleRate, 1.0);
        double fadeIn = std::fmin(1.0, i / 200.0);
        values.push_back(ToValue(fadeIn * shape(phase)));
    }
    return values;
}

double Sine(double phase) {
    return std::sin(2.0 * kPi * phase);
}
double SoftSaw(double phase) {
    return 0.8 * (2.0 * phase - 1.0) + 0.2 * std::sin(2.0 * kPi * phase);
}
double Square(double phase) {
    return phase < 0.5 ? 0.6 : -0.6;
}

// A plucked string: a burst of noise that a two-point average smooths period after period.
std::vector<int32_t> Pluck(double frequency, int32_t length) {
    int32_t period = static_cast<int32_t>(kSampleRate / frequency);
    std::vector<double> line(static_cast<size_t>(period));
    uint32_t noise = 12345;
    for (double& point : line) {
        noise = noise * 1103515245u + 12345u;
        point = ((noise >> 16) & 0x7FFF) / 16384.0 - 1.0;
    }
    std::vector<int32_t> values;
    for (int32_t i = 0; i < length; ++i) {
        size_t here = static_cast<size_t>(i % period);
        size_t next = static_cast<size_t>((i + 1) % period);
        values.push_back(ToValue(0.9 * line[here]));
        line[here] = 0.498 * (line[here] + line[next]);
    }
    return values;
}

// A closed hi-hat: bright noise under a fast decay.
std::vector<int32_t> HiHat(int32_t length) {
    std::vector<int32_t> values;
    uint32_t noise = 987654321;
    double previous = 0.0;
    for (int32_t i = 0; i < length; ++i) {
        noise = noise * 1664525u + 1013904223u;
        double white = ((noise >> 8) & 0xFFFF) / 32768.0 - 1.0;
        double bright = white - previous;  // keeps the highs
        previous = white;
        values.push_back(ToValue(0.5 * bright * std::exp(-i / 1200.0)));
    }
    return values;
}

// A voice that plays its whole sample, with the loop over the sample's second half when looped.
VoiceBlock Voice(const std::string& name, int32_t start, int32_t size, bool looped) {
    VoiceBlock voice = VoiceBlock::Playing(start, size);
    voice.name = name;
    if (looped) voice.LoopOn(start + size / 2, size - size / 2);
    return voice;
}

constexpr char kUsage[] =
    "usage: make_demo_bank [<file>]\n"
    "  writes a small Emulator II bank (five voices, three presets) as the image <file>,\n"
    "  DEMO.EII when no name is given; an existing file of that name is replaced\n"
    "  e.g.: make_demo_bank DEMO.EII\n";

}  // namespace

int main(int argc, char** argv) {
    // A name that starts with '-' is an option, never a file to write.
    const bool help = argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0);
    if (help || argc > 2 || (argc == 2 && argv[1][0] == '-')) {
        std::fputs(kUsage, help ? stdout : stderr);
        return help ? 0 : 2;
    }
    const char* fileName = argc > 1 ? argv[1] : "DEMO.EII";
    InitCompandingTable();

    EmuBankBuilder bank;
    struct DemoVoice {
        const char* name;
        std::vector<int32_t> values;
        bool looped;
    };
    const std::vector<DemoVoice> demoVoices = {
        {"SINE PAD", Tone(220.0, 60, Sine), true},
        {"SAW BASS", Tone(110.0, 30, SoftSaw), true},
        {"SQUARE LEAD", Tone(440.0, 80, Square), true},
        {"PLUCK", Pluck(196.0, 24000), false},
        {"HIHAT", HiHat(6000), false},
    };
    std::vector<int32_t> voiceNumbers;
    for (const DemoVoice& demo : demoVoices) {
        std::vector<uint8_t> bytes = Compand(demo.values);
        int32_t start = bank.AddSample(bytes);
        voiceNumbers.push_back(
            bank.AddVoice(Voice(demo.name, start, static_cast<int32_t>(bytes.size()), demo.looped)));
    }
    auto number = [&](size_t index) { return static_cast<uint8_t>(voiceNumbers[index]); };

    PresetBlock split;
    split.name = "DEMO SPLIT";
    split.Add(KeyAreaRecord::First(21, number(1))).Add(KeyAreaRecord::First(25, number(0)));
    split.Add(KeyAreaRecord::First(15, number(2)));
    bank.AddPreset(split);

    PresetBlock layer;
    layer.name = "PLUCK LAYER";
    layer.Add(KeyAreaRecord::Both(61, number(3), number(0)));
    bank.AddPreset(layer);

    PresetBlock rhythm;
    rhythm.name = "RHYTHM";
    rhythm.Add(KeyAreaRecord::First(30, number(1))).Add(KeyAreaRecord::First(31, number(4)));
    bank.AddPreset(rhythm);

    EmuImageBuilder image = bank.Build();
    image.Name("DEMO BANK");
    image.WriteTo(fileName);
    std::printf("Demo bank written to %s (%d voices, 3 presets).\n", fileName,
                static_cast<int>(voiceNumbers.size()));
    return 0;
}
