#include "eii/bank.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "common/trace.h"
#include "eii/image.h"
#include "tests/support/console_capture.h"
#include "tests/support/emu_bank_blocks.h"
#include "tests/support/temp_folder.h"

namespace {

// An image written to a temporary folder, recognised, and its bank read; everything is released
// when the test is done.
struct BankRead {
    TempFolder folder;
    std::string path;
    ImageOverview overview{};
    BankBasicDetails* header = nullptr;
    Bank* bank = nullptr;
    StatusRecord status = InitStatusRecord();

    ~BankRead() {
        FreeBankBasicDetailsMem(0, kContextNumber, kPassThroughByte, header);
        delete header;
        FreeBankMem(0, kContextNumber, kPassThroughByte, bank);
    }
};

// Writes and recognises the image; the bank is made but not read yet.
std::unique_ptr<BankRead> PrepareBank(const EmuImageBuilder& image) {
    auto read = std::make_unique<BankRead>();
    read->path = read->folder.File("BANK.EII");
    image.WriteTo(read->path);
    read->header = InitBankBasicDetails(0, kContextNumber, kPassThroughByte, nullptr);
    StatusRecord status = ValidateImage(0, read->path.c_str(), &read->overview, read->header, 1);
    EXPECT_EQ(status.code, 0) << status.message;
    EXPECT_EQ(read->overview.ValidationResult, 1) << "the image must be a usable Emulator II image";
    read->bank = InitBank(0, kContextNumber, kPassThroughByte);
    return read;
}

std::unique_ptr<BankRead> ReadBank(const EmuImageBuilder& image, int8_t trace = 0) {
    auto read = PrepareBank(image);
    read->status = GetBankDetails(trace, read->overview, *read->header, read->bank);
    return read;
}

std::vector<uint8_t> Points(int32_t count) {
    return std::vector<uint8_t>(static_cast<size_t>(count), 0x80);
}

struct ExpectedSample {
    int32_t start;
    int32_t size;
    int32_t validCode;
};
struct ExpectedVoice {
    int32_t number;
    int32_t validCode;
    int32_t sampleNumber;
};
struct ExpectedPreset {
    int32_t number;
    int32_t validCode;
    int32_t keyAreas;
    std::vector<int32_t> voices;
};

// A bank with two samples: A (100 bytes) and B (200 bytes), at the start of the sample area.
constexpr int32_t kSampleA = kTestDefaultSampleAreaStart;
constexpr int32_t kSampleB = kTestDefaultSampleAreaStart + 100;

EmuBankBuilder TwoSamples() {
    EmuBankBuilder bank;
    bank.AddSample(Points(100));
    bank.AddSample(Points(200));
    return bank;
}

EmuImageBuilder EmptyBank() {
    return EmuBankBuilder().Build();
}

EmuImageBuilder SharedSamples() {
    EmuBankBuilder bank = TwoSamples();
    bank.AddVoice(1, VoiceBlock::Playing(kSampleA, 100));
    bank.AddVoice(2, VoiceBlock::Playing(kSampleB, 200));
    bank.AddVoice(5, VoiceBlock::Playing(kSampleB, 200));
    return bank.Build();
}

EmuImageBuilder TwoPresets() {
    EmuBankBuilder bank = TwoSamples();
    bank.AddVoice(1, VoiceBlock::Playing(kSampleA, 100));
    bank.AddVoice(2, VoiceBlock::Playing(kSampleB, 200));
    bank.AddVoice(5, VoiceBlock::Playing(kSampleA, 100));
    bank.AddPreset(1, PresetBlock().Add(KeyAreaRecord::First(10, 2)).Add(KeyAreaRecord::First(5, 5)));
    bank.AddPreset(3, PresetBlock().Add(KeyAreaRecord::Both(61, 1, 2)));
    return bank.Build();
}

EmuImageBuilder FailingPresetAfterAValidOne() {
    EmuBankBuilder bank = TwoSamples();
    bank.AddVoice(1, VoiceBlock::Playing(kSampleA, 100));
    bank.AddPreset(1, PresetBlock().Add(KeyAreaRecord::First(61, 1)));
    bank.AddPreset(2, PresetBlock().Add(KeyAreaRecord::First(61, 1)).Break(5));
    return bank.Build();
}

// The second preset block starts 20 bytes before the sample area and is 43 bytes long.
EmuImageBuilder PresetPastTheParameterBytes() {
    EmuBankBuilder bank = TwoSamples();
    bank.AddVoice(1, VoiceBlock::Playing(kSampleA, 100));
    bank.AddPreset(1, PresetBlock().Add(KeyAreaRecord::First(61, 1)));
    EmuImageBuilder image = bank.Build();
    PlacePresetBlock(image, 2, kTestDefaultSampleAreaStart - 20,
                     PresetBlock().Add(KeyAreaRecord::First(61, 1)));
    return image;
}

TEST(BankDetails, ListsOfTheBank) {
    struct Case {
        const char* what;
        std::function<EmuImageBuilder()> image;
        std::vector<ExpectedSample> samples;
        std::vector<ExpectedVoice> voices;
        std::vector<ExpectedPreset> presets;
    };
    const Case cases[] = {
        {"no voices, no presets", EmptyBank, {}, {}, {}},
        {"voices 2 and 5 share one sample",
         SharedSamples,
         {{kSampleA, 100, 99}, {kSampleB, 200, 99}},
         {{1, 99, 1}, {2, 99, 2}, {5, 99, 2}},
         {}},
        {"presets with their key areas and voices",
         TwoPresets,
         {{kSampleA, 100, 99}, {kSampleB, 200, 99}},
         {{1, 99, 1}, {2, 99, 2}, {5, 99, 1}},
         {{1, 99, 2, {2, 5}}, {3, 99, 1, {1, 2}}}},
        {"a failing preset does not carry the lists of the one before",
         FailingPresetAfterAValidOne,
         {{kSampleA, 100, 99}},
         {{1, 99, 1}},
         {{1, 99, 1, {1}}, {2, 5, 0, {}}}},
        {"a preset block running past the parameter bytes is not decoded",
         PresetPastTheParameterBytes,
         {{kSampleA, 100, 99}},
         {{1, 99, 1}},
         {{1, 99, 1, {1}}, {2, 12, 0, {}}}},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.what);
        auto read = ReadBank(test.image());
        ASSERT_EQ(read->status.code, 0) << read->status.message;
        const Bank& bank = *read->bank;

        int32_t number = 1;
        const SampleOverview* sample = bank.Samples;
        for (const ExpectedSample& expected : test.samples) {
            ASSERT_NE(sample, nullptr);
            EXPECT_EQ(sample->SampleNumber, number++);
            EXPECT_EQ(sample->SampleStart, expected.start);
            EXPECT_EQ(sample->SampleSize, expected.size);
            EXPECT_EQ(sample->SampleEnd, expected.start + expected.size);
            EXPECT_EQ(sample->ValidCode, expected.validCode);
            sample = sample->next;
        }
        EXPECT_EQ(sample, nullptr);

        const VoiceOverview* voice = bank.Voices;
        for (const ExpectedVoice& expected : test.voices) {
            ASSERT_NE(voice, nullptr);
            EXPECT_EQ(voice->VoiceNumber, expected.number);
            EXPECT_EQ(voice->ValidCode, expected.validCode);
            EXPECT_EQ(voice->Param[45], expected.sampleNumber);
            voice = voice->next;
        }
        EXPECT_EQ(voice, nullptr);

        const PresetOverview* preset = bank.Presets;
        for (const ExpectedPreset& expected : test.presets) {
            ASSERT_NE(preset, nullptr);
            EXPECT_EQ(preset->PresetNumber, expected.number);
            EXPECT_EQ(preset->ValidCode, expected.validCode);
            int32_t keyAreas = 0;
            for (const KeyArea* area = preset->KeyAreas; area != nullptr; area = area->next) ++keyAreas;
            EXPECT_EQ(keyAreas, expected.keyAreas) << "preset " << expected.number;
            std::vector<int32_t> voices;
            for (const VoiceOverview* copy = preset->PresetVoices; copy != nullptr; copy = copy->next)
                voices.push_back(copy->VoiceNumber);
            EXPECT_EQ(voices, expected.voices) << "preset " << expected.number;
            preset = preset->next;
        }
        EXPECT_EQ(preset, nullptr);

        // The bank holds a copy of the header with its own image list.
        EXPECT_STREQ(bank.Name, "TEST BANK   ");
        EXPECT_EQ(bank.StartSampleAddress, kTestDefaultSampleAreaStart);
        EXPECT_EQ(bank.NumberOfSamples, static_cast<int32_t>(test.samples.size()));
        EXPECT_EQ(bank.NumberOfVoices, static_cast<int32_t>(test.voices.size()));
        EXPECT_EQ(bank.NumberOfPresets, static_cast<int32_t>(test.presets.size()));
        ASSERT_NE(bank.ImageOverview, nullptr);
        EXPECT_NE(bank.ImageOverview, read->header->ImageOverview);
        EXPECT_STREQ(bank.ImageOverview->Name, read->path.c_str());
        EXPECT_EQ(bank.ImageOverview->next, nullptr);
    }
}

// Voice 1 playing sample A; the sample area starts at sampleAreaStart.
EmuImageBuilder OneVoiceAt(const VoiceBlock& voice) {
    EmuBankBuilder bank = TwoSamples();
    bank.AddVoice(1, voice);
    return bank.Build();
}

EmuImageBuilder ValidBank() {
    return TwoPresets();
}

EmuImageBuilder BadVoice5() {
    EmuBankBuilder bank = TwoSamples();
    bank.AddVoice(1, VoiceBlock::Playing(kSampleA, 100));
    bank.AddVoice(5, VoiceBlock::Playing(kSampleB, 200).Break(17));
    return bank.Build();
}

EmuImageBuilder BadVoices2And5() {
    EmuBankBuilder bank = TwoSamples();
    bank.AddVoice(2, VoiceBlock::Playing(kSampleA, 100).Break(4));
    bank.AddVoice(5, VoiceBlock::Playing(kSampleB, 200).Break(17));
    return bank.Build();
}

// Voice 2 names sample A's start with another size: the sample keeps voice 1's size.
EmuImageBuilder VoiceWithAnotherSize() {
    EmuBankBuilder bank = TwoSamples();
    bank.AddVoice(1, VoiceBlock::Playing(kSampleA, 100));
    bank.AddVoice(2, VoiceBlock::Playing(kSampleA, 50));
    return bank.Build();
}

constexpr int32_t kOversize = 485887 - kTestDefaultSampleAreaStart + 1;

EmuImageBuilder OversizeSample() {
    return OneVoiceAt(VoiceBlock::Playing(kSampleA, kOversize));
}

EmuImageBuilder BadSample2AndBadVoice1() {
    EmuBankBuilder bank = TwoSamples();
    bank.AddVoice(1, VoiceBlock::Playing(kSampleA, 100).Break(30));
    bank.AddVoice(2, VoiceBlock::Playing(kSampleB, kOversize));
    return bank.Build();
}

// Voice 1's block starts at 7936 and the sample area at 8156: the block runs 36 bytes into the
// sample area while its sample fields (bytes 199..204) lie before it.
EmuImageBuilder VoiceBlockPastTheParameterBytes() {
    EmuBankBuilder bank(8156);
    int32_t start = bank.AddSample(Points(100));
    EmuImageBuilder image = bank.Build();
    PlaceVoiceBlock(image, 1, 181, VoiceBlock::Playing(start, 100));
    return image;
}

EmuImageBuilder BadPreset() {
    EmuBankBuilder bank = TwoSamples();
    bank.AddVoice(1, VoiceBlock::Playing(kSampleA, 100));
    bank.AddPreset(1, PresetBlock().Add(KeyAreaRecord::First(5, 9)));
    bank.AddPreset(2, PresetBlock().Break(8));
    return bank.Build();
}

TEST(BankDetails, ValidateBankRejectsABadSampleOrVoice) {
    struct Case {
        const char* what;
        std::function<EmuImageBuilder()> image;
        int32_t code;
        std::string message;
    };
    const Case cases[] = {
        {"valid bank", ValidBank, 0, ""},
        {"no voices", EmptyBank, 0, ""},
        {"voice 5 with a bad code pair", BadVoice5, 802, "EII Bank is corrupt (Voice=5, Reason=17)."},
        {"the first bad voice is named", BadVoices2And5, 802, "EII Bank is corrupt (Voice=2, Reason=4)."},
        {"a voice whose size differs from the sample's", VoiceWithAnotherSize, 802,
         "EII Bank is corrupt (Voice=2, Reason=36)."},
        {"an oversize sample", OversizeSample, 801, "EII Bank is corrupt (Sample=1, Reason=1)."},
        {"samples are examined before voices", BadSample2AndBadVoice1, 801,
         "EII Bank is corrupt (Sample=2, Reason=1)."},
        {"a voice block running into the sample area", VoiceBlockPastTheParameterBytes, 802,
         "EII Bank is corrupt (Voice=1, Reason=44)."},
        {"bad presets do not block the bank", BadPreset, 0, ""},
        {"a preset block past the parameter bytes does not block the bank", PresetPastTheParameterBytes, 0,
         ""},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.what);
        auto read = ReadBank(test.image());
        ASSERT_EQ(read->status.code, 0) << read->status.message;
        StatusRecord status = ValidateBank(0, read->bank);
        EXPECT_EQ(status.code, test.code);
        EXPECT_EQ(std::string(status.message), test.message);
        if (test.code != 0) {
            EXPECT_EQ(status.severity, 'E');
        }
    }
}

// Voice 1's block lies in the parameter area, voice 2's sample fields end one byte past the
// sample area start (1740): the header counts two samples, the voices yield one.
EmuImageBuilder MissingSecondSample() {
    EmuBankBuilder bank = TwoSamples();
    bank.AddVoice(1, VoiceBlock::Playing(kSampleA, 100));
    bank.AddVoice(2, VoiceBlock::Playing(kSampleB, 200));
    bank.AddPreset(1, PresetBlock().Add(KeyAreaRecord::First(5, 1)));
    EmuImageBuilder image = bank.Build();
    image.SampleArea(1740, 1740);
    return image;
}

EmuImageBuilder MissingOnlySample() {
    EmuImageBuilder image = OneVoiceAt(VoiceBlock::Playing(kSampleA, 100));
    image.SampleArea(1400, 1400);
    return image;
}

TEST(BankDetails, AFailedReadLeavesTheBankAsItWasMade) {
    struct Case {
        const char* what;
        std::function<EmuImageBuilder()> image;
        bool removeFile;
        int32_t code;
        char severity;
        std::string message;  // "%s" stands for the image path
    };
    const Case cases[] = {
        {"the only sample is not found", MissingOnlySample, false, 574, 'F',
         "Emulator II sample 1 not found. Consistency problem."},
        {"the second sample is not found", MissingSecondSample, false, 574, 'F',
         "Emulator II sample 2 not found. Consistency problem."},
        {"the image cannot be opened", TwoPresets, true, 9, 'E', "Problem opening file %s. Error is 2."},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.what);
        auto read = PrepareBank(test.image());
        if (test.removeFile) std::filesystem::remove(read->path);
        read->status = GetBankDetails(0, read->overview, *read->header, read->bank);
        std::string message = test.message;
        if (message.find("%s") != std::string::npos) message.replace(message.find("%s"), 2, read->path);
        EXPECT_EQ(read->status.code, test.code);
        EXPECT_EQ(read->status.severity, test.severity);
        EXPECT_EQ(std::string(read->status.message), message);
        EXPECT_EQ(read->bank->ImageOverview, nullptr);
        EXPECT_EQ(read->bank->Samples, nullptr);
        EXPECT_EQ(read->bank->Voices, nullptr);
        EXPECT_EQ(read->bank->Presets, nullptr);
        EXPECT_EQ(read->bank->NumberOfSamples, 0);
    }
}

EmuImageBuilder OneVoiceOnePreset() {
    EmuBankBuilder bank = TwoSamples();
    bank.AddVoice(1, VoiceBlock::Playing(kSampleA, 100));
    bank.AddPreset(1, PresetBlock().Add(KeyAreaRecord::First(61, 1)));
    return bank.Build();
}

TEST(BankDetails, TraceLines) {
    const std::string presetLines =
        "--GetEmuIIBankPresetDetails--\n--FreeKeyAreaMem--\n--END: FreeKeyAreaMem--\n"
        "--END: GetEmuIIBankPresetDetails--\n";
    const std::string releaseScratchPreset =
        "--FreeBankPresetMem--\n--FreeKeyAreaMem--\n--END: FreeKeyAreaMem--\n--END FreeBankPresetMem--\n";
    struct Case {
        int8_t trace;
        std::function<EmuImageBuilder()> image;
        std::string output;
    };
    const Case cases[] = {
        {0, OneVoiceOnePreset, ""},
        {1, OneVoiceOnePreset,
         "--GetBankDetails--\n--ReadImageData--\n--END: ReadImageData--\n"
         "GetBankDetails:  calling GetBankSampleDetails for sample 1 in bank 0 (TEST BANK   )\n"
         "--GetEmuIIBankSampleDetails--\n--END: GetEmuIIBankSampleDetails--\n"
         "--GetEmuIIBankVoiceDetails--\n--END: GetEmuIIBankVoiceDetails--\n" +
             presetLines + releaseScratchPreset + releaseScratchPreset + "--END: GetBankDetails--\n"},
        {1, MissingOnlySample,
         "--GetBankDetails--\n--ReadImageData--\n--END: ReadImageData--\n"
         "GetBankDetails:  calling GetBankSampleDetails for sample 1 in bank 0 (TEST BANK   )\n"
         "--GetEmuIIBankSampleDetails--\n" +
             std::string("--FreeBankPresetOverviewMem--\n--END: FreeBankPresetOverviewMem--\n") +
             releaseScratchPreset},
    };
    for (const Case& test : cases) {
        auto read = PrepareBank(test.image());
        StartConsoleCapture();
        GetBankDetails(test.trace, read->overview, *read->header, read->bank);
        EXPECT_EQ(StopConsoleCapture(), test.output) << "trace " << int{test.trace};
    }
}

TEST(BankDetails, DetailTraceNamesTheImageLists) {
    auto read = PrepareBank(OneVoiceOnePreset());
    StartConsoleCapture();
    GetBankDetails(3, read->overview, *read->header, read->bank);
    std::string output = StopConsoleCapture();
    const std::string lines[] = {
        "Dbg point address imageoverview... ",
        "---__>> " + read->path + "\n",
        "Number of samples = 1\n",
        "GetBankDetails:  calling GetEmuIIBankVoiceDetails for voice 1 in bank 0 (TEST BANK   )\n",
        "GetBankDetails:  calling GetBankPresetDetails for preset 0 in bank 0 (TEST BANK   )\n",
        "\n... ",
        "---__>> " + read->path + "\n",
        "+++\n---__>> " + read->path + "\n",
        "--END: GetBankDetails--\n",
    };
    size_t from = 0;
    for (const std::string& line : lines) {
        size_t found = output.find(line, from);
        ASSERT_NE(found, std::string::npos) << line << "\nin\n" << output;
        from = found + line.size();
    }
}

TEST(BankDetails, ValidateBankTraceLines) {
    struct Case {
        std::function<EmuImageBuilder()> image;
        std::string output;
    };
    const Case cases[] = {
        {ValidBank, "--ValidateBank--\n--END: ValidateBank--\n"},
        {BadVoice5, "--ValidateBank--\n"},
    };
    for (const Case& test : cases) {
        auto read = ReadBank(test.image());
        StartConsoleCapture();
        ValidateBank(1, read->bank);
        EXPECT_EQ(StopConsoleCapture(), test.output);
    }
}

}  // namespace
