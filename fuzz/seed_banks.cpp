#include "fuzz/seed_banks.h"

#include "tests/support/emu_bank_blocks.h"

namespace {

// The one-voice bank that the broken banks are made from: one sample at the start of the sample
// area, one voice playing all of it, one preset giving it every key.
constexpr int32_t kFirstSample = kTestDefaultSampleAreaStart;
constexpr int32_t kFirstSampleSize = 300;

// Voice checks that the block alone can break; check 36 needs a second voice.
constexpr int32_t kBlockVoiceChecks[] = {1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11, 12, 13, 14,
                                         15, 16, 17, 18, 19, 20, 21, 22, 23, 24, 25, 26, 27, 28,
                                         29, 30, 31, 32, 33, 34, 35, 37, 38, 39, 40, 41, 42, 43};
constexpr int32_t kVoiceHeaderSubcodes[] = {1, 5, 8, 9, 13, 16, 17, 18, 21, 22};
// Preset checks that the block alone can break; check 11 needs the bank's voices.
constexpr int32_t kBlockPresetChecks[] = {2, 3, 4, 5, 6, 7, 8, 9, 10, 12};

// Sample bytes that move the running value up and down, different for every variant.
std::vector<uint8_t> Wave(int32_t count, int32_t variant) {
    std::vector<uint8_t> bytes(static_cast<size_t>(count));
    for (int32_t index = 0; index < count; ++index)
        bytes[static_cast<size_t>(index)] = static_cast<uint8_t>((index * 37 + variant * 11) % 256);
    return bytes;
}

VoiceBlock PlainVoice() {
    return VoiceBlock::Playing(kFirstSample, kFirstSampleSize);
}

PresetBlock PlainPreset() {
    return PresetBlock().Add(KeyAreaRecord::First(61, 1));
}

EmuImageBuilder OneVoiceBank(const VoiceBlock& voice, const PresetBlock& preset) {
    EmuBankBuilder bank;
    bank.AddSample(Wave(kFirstSampleSize, 1));
    bank.AddVoice(voice);
    bank.AddPreset(preset);
    return bank.Build();
}

// Two samples, three voices (voice 5 shares the first sample, voice 2 loops) and presets made of
// every kind of key-area record, one of them with a marked region, with byte 35 in each of its
// three bands.
EmuImageBuilder SharedSamplesBank() {
    EmuBankBuilder bank;
    int32_t first = bank.AddSample(Wave(100, 2));
    int32_t second = bank.AddSample(Wave(200, 3));
    bank.AddVoice(1, VoiceBlock::Playing(first, 100));
    bank.AddVoice(2, VoiceBlock::Playing(second, 200).LoopOn(second + 20, 150));
    bank.AddVoice(5, VoiceBlock::Playing(first, 100));
    bank.AddPreset(1, PresetBlock()
                          .Add(KeyAreaRecord::First(10, 2))
                          .Add(KeyAreaRecord::First(5, 5, 0x01))
                          .Add(KeyAreaRecord::Keep(10))
                          .Add(KeyAreaRecord::Second(36, 1, 0x02)));
    PresetBlock both;
    both.byte35 = 90;
    bank.AddPreset(3, both.Add(KeyAreaRecord::Both(61, 1, 2, 0x60)));
    PresetBlock marked;
    marked.byte32 = 1;
    marked.byte35 = 120;
    marked.Add(KeyAreaRecord::Keep(20))
        .Add(KeyAreaRecord::Both(20, 5, 1, 0x08))
        .Add(KeyAreaRecord::First(21, 2));
    bank.AddPreset(4, marked);
    return bank.Build();
}

// Forty-eight voices with a sample each, and presets that spread them over the keys.
EmuImageBuilder ManyVoicesBank() {
    constexpr int32_t kVoices = 48;
    EmuBankBuilder bank(16384);
    for (int32_t voice = 1; voice <= kVoices; ++voice) {
        int32_t start = bank.AddSample(Wave(64, voice));
        bank.AddVoice(voice, VoiceBlock::Playing(start, 64));
    }
    for (int32_t preset = 0; preset < 4; ++preset) {
        PresetBlock block;
        for (int32_t area = 0; area < 6; ++area) {
            uint8_t voice = static_cast<uint8_t>(1 + (preset * 12 + area * 2) % kVoices);
            block.Add(KeyAreaRecord::Both(10, voice, static_cast<uint8_t>(voice + 1)));
        }
        block.Add(KeyAreaRecord::First(1, 48));
        bank.AddPreset(block);
    }
    return bank.Build();
}

// Samples with bytes that no voice plays between them.
EmuImageBuilder GapBetweenSamplesBank() {
    EmuBankBuilder bank;
    int32_t first = bank.AddSample(Wave(150, 4));
    bank.AddSample(Wave(77, 5));
    int32_t third = bank.AddSample(Wave(151, 6));
    bank.AddVoice(VoiceBlock::Playing(first, 150));
    bank.AddVoice(VoiceBlock::Playing(third, 151).LoopOn(third, 151));
    bank.AddPreset(PresetBlock().Add(KeyAreaRecord::Both(61, 1, 2)));
    return bank.Build();
}

// The smallest leading area the DPX layout rounds: one unit of 3,584 bytes.
EmuImageBuilder ShortLeadingAreaBank() {
    EmuBankBuilder bank(3584);
    int32_t start = bank.AddSample(Wave(513, 7));
    bank.AddVoice(VoiceBlock::Playing(start, 513));
    bank.AddPreset(PresetBlock().Add(KeyAreaRecord::First(61, 1)));
    return bank.Build();
}

// A sample whose bytes drive the running value to its limits.
EmuImageBuilder LoudBank() {
    EmuBankBuilder bank;
    std::vector<uint8_t> loud(700, 0xFF);
    for (size_t index = 350; index < loud.size(); ++index) loud[index] = 0x00;
    int32_t start = bank.AddSample(loud);
    bank.AddVoice(VoiceBlock::Playing(start, 700));
    bank.AddPreset(PresetBlock().Add(KeyAreaRecord::First(61, 1)));
    return bank.Build();
}

SeedBank Valid(const std::string& name, const EmuImageBuilder& image) {
    return SeedBank{name, image, image, true};
}

SeedBank Broken(const std::string& name, const EmuImageBuilder& image, const EmuImageBuilder& base) {
    return SeedBank{name, image, base, false};
}

}  // namespace

EmuImageBuilder MakeBaseSeedBank() {
    return OneVoiceBank(PlainVoice(), PlainPreset());
}

std::vector<SeedBank> MakeSeedBanks() {
    const EmuImageBuilder oneVoice = MakeBaseSeedBank();
    std::vector<SeedBank> banks{
        Valid("valid-empty", EmuBankBuilder().Build()),
        Valid("valid-one-voice", oneVoice),
        Valid("valid-shared-samples", SharedSamplesBank()),
        Valid("valid-many-voices", ManyVoicesBank()),
        Valid("valid-gap-between-samples", GapBetweenSamplesBank()),
        Valid("valid-short-leading-area", ShortLeadingAreaBank()),
        Valid("valid-loud", LoudBank()),
    };

    // The bank header: one bank for every validation result from 60 to 65.
    banks.push_back(Broken("header-current-preset", EmuImageBuilder(oneVoice).RecentPreset(100), oneVoice));
    banks.push_back(
        Broken("header-preset-table", EmuImageBuilder(oneVoice).PresetEntry(5, 0, 154), oneVoice));
    banks.push_back(Broken("header-voice-table", EmuImageBuilder(oneVoice).VoiceEntry(7, 1), oneVoice));
    banks.push_back(Broken("header-main-addresses",
                           EmuImageBuilder(oneVoice).SequenceStart(kTestEmuImageSize + 2), oneVoice));
    // A second voice whose block starts where the parameter area ends: its table byte is 150 plus
    // the block offset in 256-byte pages.
    const uint8_t pastTheParameterArea = static_cast<uint8_t>(150 + kTestDefaultSampleAreaStart / 256);
    banks.push_back(Broken("header-sample-addresses",
                           EmuImageBuilder(oneVoice).VoiceEntry(1, pastTheParameterArea), oneVoice));

    // A sample area that starts inside the voice block, below the end of the parameter area: the
    // header counts the voice's sample, the sample reader cannot find it.
    banks.push_back(Broken(
        "sample-not-found",
        EmuImageBuilder(oneVoice).SampleArea(kTestFirstBlockOffset + 120, kFirstSample + kFirstSampleSize),
        oneVoice));
    // A voice playing a sample at image offset 0, which the DPX layout cannot place.
    banks.push_back(
        Broken("sample-at-image-start", OneVoiceBank(VoiceBlock::Playing(0, 100), PlainPreset()), oneVoice));
    // A sample longer than the room after the sample area start.
    VoiceBlock oversize = PlainVoice();
    oversize.sampleSize = kTestEmuImageSize - kFirstSample + 1;
    banks.push_back(Broken("sample-size", OneVoiceBank(oversize, PlainPreset()), oneVoice));

    for (int32_t check : kBlockVoiceChecks)
        banks.push_back(Broken("voice-check-" + std::to_string(check),
                               OneVoiceBank(PlainVoice().Break(check), PlainPreset()), oneVoice));
    for (int32_t subcode : kVoiceHeaderSubcodes)
        banks.push_back(Broken("voice-header-" + std::to_string(subcode),
                               OneVoiceBank(PlainVoice().BreakHeader(subcode), PlainPreset()), oneVoice));
    // Check 36: a second voice with the first voice's sample start and another size.
    EmuBankBuilder sameStart;
    sameStart.AddSample(Wave(kFirstSampleSize, 1));
    sameStart.AddVoice(PlainVoice());
    sameStart.AddVoice(VoiceBlock::Playing(kFirstSample, kFirstSampleSize - 100));
    sameStart.AddPreset(PlainPreset());
    banks.push_back(Broken("voice-check-36", sameStart.Build(), oneVoice));

    for (int32_t check : kBlockPresetChecks)
        banks.push_back(Broken("preset-check-" + std::to_string(check),
                               OneVoiceBank(PlainVoice(), PlainPreset().Break(check)), oneVoice));
    // Check 11: a key area that names a voice the bank lacks.
    banks.push_back(Broken("preset-check-11",
                           OneVoiceBank(PlainVoice(), PresetBlock().Add(KeyAreaRecord::First(61, 7))),
                           oneVoice));
    return banks;
}
