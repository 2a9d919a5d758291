#include "bench/full_size_bank.h"

#include <cmath>
#include <cstdio>
#include <string>

#include "dpx/companding.h"
#include "eii/bank_model.h"
#include "tests/support/emu_bank_blocks.h"

namespace {

constexpr double kSampleRate = 27778.0;
constexpr double kPi = 3.14159265358979323846;
constexpr double kFullScale = 32767.0;
// Tones rise over their first points, so that they start without a click.
constexpr double kFadeInPoints = 200.0;

enum class Sound { kSine, kSoftSaw, kSquare, kPluck, kNoiseBurst };
constexpr Sound kSounds[] = {Sound::kSine, Sound::kSoftSaw, Sound::kSquare, Sound::kPluck,
                             Sound::kNoiseBurst};
constexpr const char* kSoundNames[] = {"SINE", "SAW", "SQUARE", "PLUCK", "NOISE"};
constexpr int32_t kSoundCount = static_cast<int32_t>(sizeof kSounds / sizeof kSounds[0]);

// A small linear congruential generator: the same noise on every platform.
struct Noise {
    uint32_t state;
    // The next value in -1.0 .. 1.0.
    double Next() {
        state = state * 1664525u + 1013904223u;
        return static_cast<double>((state >> 8) & 0xFFFF) / 32768.0 - 1.0;
    }
};

int32_t ToValue(double level) {
    const double clipped = std::fmax(-1.0, std::fmin(1.0, level));
    return static_cast<int32_t>(std::lround(clipped * kFullScale));
}

double ToneShape(Sound sound, double phase) {
    switch (sound) {
        case Sound::kSoftSaw:
            return 0.8 * (2.0 * phase - 1.0) + 0.2 * std::sin(2.0 * kPi * phase);
        case Sound::kSquare:
            return phase < 0.5 ? 1.0 : -1.0;
        default:
            return std::sin(2.0 * kPi * phase);
    }
}

// Sample k: its sound, pitch and loudness all follow from k. Loudness runs from 40 % to 95 % of
// full scale, so the loudest samples drive the decoder into its clamp now and then.
std::vector<int32_t> SampleValues(int32_t k, int32_t length) {
    const Sound sound = kSounds[k % kSoundCount];
    const double frequency = 55.0 * std::pow(2.0, ((k * 5) % 36) / 12.0);
    const double loudness = 0.4 + 0.55 * ((k * 7) % 10) / 9.0;
    Noise noise{0x2545F491u + static_cast<uint32_t>(k)};
    std::vector<int32_t> values;
    values.reserve(static_cast<size_t>(length));
    if (sound == Sound::kPluck) {
        // A plucked string: a burst of noise that a two-point average smooths period after period.
        std::vector<double> line(static_cast<size_t>(kSampleRate / frequency));
        for (double& point : line) point = noise.Next();
        for (int32_t i = 0; i < length; ++i) {
            const size_t here = static_cast<size_t>(i) % line.size();
            const size_t next = (here + 1) % line.size();
            values.push_back(ToValue(loudness * line[here]));
            line[here] = 0.498 * (line[here] + line[next]);
        }
    } else if (sound == Sound::kNoiseBurst) {
        // Bright noise (each point less the one before keeps the highs) under a decay.
        double previous = 0.0;
        for (int32_t i = 0; i < length; ++i) {
            const double white = noise.Next();
            values.push_back(ToValue(loudness * 0.5 * (white - previous) * std::exp(-4.0 * i / length)));
            previous = white;
        }
    } else {
        for (int32_t i = 0; i < length; ++i) {
            const double phase = std::fmod(i * frequency / kSampleRate, 1.0);
            const double fadeIn = std::fmin(1.0, i / kFadeInPoints);
            values.push_back(ToValue(loudness * fadeIn * ToneShape(sound, phase)));
        }
    }
    return values;
}

// Codes 16-bit values as Emulator II sample bytes; the running value starts at 0.
std::vector<uint8_t> Compand(const std::vector<int32_t>& values) {
    std::vector<uint8_t> bytes;
    bytes.reserve(values.size());
    int32_t running = 0;
    for (int32_t value : values) {
        EncodedSample encoded{};
        bytes.push_back(static_cast<uint8_t>(EncodeCompandedSample(0, running, value - running, &encoded)));
        running += encoded.step;
    }
    return bytes;
}

// Voice v plays sample v mod 40. The first 40 voices loop the second half of the tones, the next
// 40 play their sample once, the rest loop its last quarter.
VoiceBlock BenchVoice(int32_t v, int32_t start, int32_t size) {
    VoiceBlock voice = VoiceBlock::Playing(start, size);
    const int32_t k = v % kBenchSampleCount;
    char name[16];
    std::snprintf(name, sizeof name, "V%02d %s", static_cast<int>(v + 1), kSoundNames[k % kSoundCount]);
    voice.name = name;
    const Sound sound = kSounds[k % kSoundCount];
    const bool tone = sound == Sound::kSine || sound == Sound::kSoftSaw || sound == Sound::kSquare;
    if (v < kBenchSampleCount && tone)
        voice.LoopOn(start + size / 2, size - size / 2);
    else if (v >= 2 * kBenchSampleCount)
        voice.LoopOn(start + size - size / 4, size / 4);
    return voice;
}

// Preset p: two single-voice areas and a layered one over the 61 keys.
PresetBlock BenchPreset(int32_t p) {
    PresetBlock preset;
    char name[16];
    std::snprintf(name, sizeof name, "PRESET %d", static_cast<int>(p + 1));
    preset.name = name;
    const auto voice = [p](int32_t step) {
        return static_cast<uint8_t>(1 + (p * 23 + step * 31) % kBenchVoiceCount);
    };
    preset.Add(KeyAreaRecord::First(20, voice(0)));
    preset.Add(KeyAreaRecord::First(20, voice(1)));
    preset.Add(KeyAreaRecord::Both(21, voice(2), voice(3)));
    return preset;
}

}  // namespace

FullSizeBank BuildFullSizeBank() {
    InitCompandingTable();
    EmuBankBuilder builder(kBenchSampleAreaStart);
    const int32_t area = kEmuImageSize - kBenchSampleAreaStart;
    const int32_t size = area / kBenchSampleCount;

    FullSizeBank bank;
    std::vector<int32_t> sizes;
    for (int32_t k = 0; k < kBenchSampleCount; ++k) {
        // The last sample takes the rest, so the sample area ends with the image.
        const int32_t length = k + 1 < kBenchSampleCount ? size : area - size * (kBenchSampleCount - 1);
        bank.sampleStarts.push_back(builder.AddSample(Compand(SampleValues(k, length))));
        sizes.push_back(length);
    }
    for (int32_t v = 0; v < kBenchVoiceCount; ++v) {
        const size_t k = static_cast<size_t>(v % kBenchSampleCount);
        builder.AddVoice(BenchVoice(v, bank.sampleStarts[k], sizes[k]));
    }
    for (int32_t p = 0; p < kBenchPresetCount; ++p) builder.AddPreset(BenchPreset(p));

    EmuImageBuilder image = builder.Build();
    image.Name("BENCH BANK");
    bank.image = image.bytes();
    bank.sampleAreaStart = kBenchSampleAreaStart;
    bank.sampleAreaEnd = kEmuImageSize;
    return bank;
}
