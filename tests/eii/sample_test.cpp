#include "eii/sample.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "common/trace.h"
#include "tests/support/console_capture.h"
#include "tests/support/emu_image_builder.h"

namespace {

// The sample fields of one voice: voice number (1-based), sample start and size.
struct VoiceSample {
    int32_t voice;
    int32_t start;
    int32_t size;
};

// Parameter bytes 0..startSampleAddress - 1 with the voice blocks of voice v at
// 1280 + 256 * (v - 1), and the header that locates them.
struct SampleBank {
    std::vector<uint8_t> parameters;
    BankBasicDetails header;
};

SampleBank MakeSampleBank(const std::vector<VoiceSample>& voices, int32_t startSampleAddress = 26880) {
    EmuImageBuilder image;
    SampleBank bank{{}, {}};
    for (int32_t entry = 0; entry < 101; ++entry) bank.header.VoiceAddress[entry] = -1;
    for (const VoiceSample& voice : voices) {
        int32_t block = 1280 + 256 * (voice.voice - 1);
        image.VoiceSampleFields(block, voice.start, voice.size);
        bank.header.VoiceAddress[voice.voice - 1] = block;
    }
    bank.header.StartSampleAddress = startSampleAddress;
    bank.parameters.assign(image.bytes().begin(), image.bytes().begin() + startSampleAddress);
    return bank;
}

SampleOverview UntouchedSample() {
    SampleOverview sample;
    std::memset(&sample, 0x5A, sizeof sample);
    sample.next = nullptr;
    return sample;
}

StatusRecord ReadSample(const SampleBank& bank, int32_t n, SampleOverview* sample, int8_t trace = 0) {
    return GetEmuIIBankSampleDetails(trace, kContextNumber, kPassThroughByte, bank.parameters.data(), n,
                                     sample, bank.header);
}

void ExpectNotFound(const SampleBank& bank, int32_t n, const std::string& what) {
    SampleOverview sample = UntouchedSample();
    StatusRecord status = ReadSample(bank, n, &sample);
    EXPECT_EQ(status.code, 574) << what;
    EXPECT_EQ(status.severity, 'F') << what;
    EXPECT_EQ(std::string(status.message),
              "Emulator II sample " + std::to_string(n) + " not found. Consistency problem.")
        << what;
    EXPECT_EQ(sample.SampleNumber, 0x5A5A5A5A) << what;
    EXPECT_EQ(sample.SampleStart, 0x5A5A5A5A) << what;
}

TEST(SampleDetails, SamplesAreNumberedInVoiceOrderAndSharedStartsMerged) {
    struct Case {
        const char* what;
        std::vector<VoiceSample> voices;
        std::vector<std::pair<int32_t, int32_t>> samples;  // start, size of samples 1, 2, ...
    };
    const Case cases[] = {
        {"no voices", {}, {}},
        {"voices 1 and 3 share a start",
         {{1, 3000, 100}, {2, 9000, 50}, {3, 3000, 100}},
         {{3000, 100}, {9000, 50}}},
        {"the first voice gives the size", {{1, 3000, 100}, {2, 3000, 200}}, {{3000, 100}}},
        {"voice order, not block order", {{6, 5000, 10}, {3, 7000, 20}}, {{7000, 20}, {5000, 10}}},
        {"gaps in the voice table",
         {{2, 100, 1}, {4, 100, 2}, {9, 200, 3}, {99, 300, 4}},
         {{100, 1}, {200, 3}, {300, 4}}},
        {"start 0", {{1, 0, 5}}, {{0, 5}}},
    };
    for (const Case& test : cases) {
        SampleBank bank = MakeSampleBank(test.voices);
        int32_t n = 1;
        for (const auto& [start, size] : test.samples) {
            SampleOverview sample = UntouchedSample();
            StatusRecord status = ReadSample(bank, n, &sample);
            EXPECT_EQ(status.code, 0) << test.what << " sample " << n;
            EXPECT_EQ(sample.SampleNumber, n) << test.what;
            EXPECT_EQ(sample.SampleStart, start) << test.what;
            EXPECT_EQ(sample.SampleSize, size) << test.what;
            EXPECT_EQ(sample.SampleEnd, start + size) << test.what;
            EXPECT_EQ(sample.SampleRate, 27778) << test.what;
            EXPECT_EQ(sample.ValidCode, 99) << test.what;
            EXPECT_EQ(sample.next, nullptr) << test.what;
            ++n;
        }
        ExpectNotFound(bank, n, test.what);
        ExpectNotFound(bank, 0, test.what);
    }
}

TEST(SampleDetails, StartAndSizeMustLieInTheImage) {
    constexpr int32_t kSampleArea = 26880;
    constexpr int32_t kRoom = 485887 - kSampleArea;
    struct Case {
        int32_t start;
        int32_t size;
        bool valid;
    };
    const Case cases[] = {
        {485887, 0, true}, {0, 0, true},        {30000, kRoom, true}, {30000, kRoom + 1, false},
        {-1, 10, false},   {-38400, 10, false}, {485888, 0, false},   {485887, 16777215, false},
    };
    for (const Case& test : cases) {
        std::string what = "start " + std::to_string(test.start) + " size " + std::to_string(test.size);
        SampleBank bank = MakeSampleBank({{1, test.start, test.size}}, kSampleArea);
        SampleOverview sample = UntouchedSample();
        StatusRecord status = ReadSample(bank, 1, &sample);
        EXPECT_EQ(sample.SampleNumber, 1) << what;
        EXPECT_EQ(sample.SampleStart, test.start) << what;
        EXPECT_EQ(sample.SampleSize, test.size) << what;
        EXPECT_EQ(sample.SampleEnd, test.start + test.size) << what;
        if (test.valid) {
            EXPECT_EQ(status.code, 0) << what;
            EXPECT_EQ(sample.ValidCode, 99) << what;
            continue;
        }
        EXPECT_EQ(status.code, 573) << what;
        EXPECT_EQ(status.severity, 'E') << what;
        EXPECT_STREQ(status.message, "Emulator II sample 1 has invalid sample address.") << what;
        EXPECT_EQ(sample.ValidCode, 1) << what;
    }
}

// A voice whose sample fields (block bytes 199..204) do not lie inside the parameter bytes
// names no sample.
TEST(SampleDetails, VoiceWithSampleFieldsOutsideTheParameterBytesNamesNoSample) {
    struct Case {
        const char* what;
        std::vector<VoiceSample> voices;
        int32_t startSampleAddress;
        int32_t samples;
    };
    const Case cases[] = {
        {"fields end at the last parameter byte", {{1, 3000, 10}}, 1280 + 205, 1},
        {"last field byte is the first sample byte", {{1, 3000, 10}}, 1280 + 204, 0},
        {"fields start past the parameter bytes", {{1, 3000, 10}}, 1280 + 100, 0},
        {"only the second voice is cut off", {{1, 3000, 10}, {2, 4000, 10}}, 1536 + 204, 1},
    };
    for (const Case& test : cases) {
        SampleBank bank = MakeSampleBank(test.voices, 26880);
        bank.header.StartSampleAddress = test.startSampleAddress;
        bank.parameters.resize(static_cast<size_t>(test.startSampleAddress));
        for (int32_t n = 1; n <= test.samples; ++n) {
            SampleOverview sample = UntouchedSample();
            EXPECT_EQ(ReadSample(bank, n, &sample).code, 0) << test.what;
            EXPECT_EQ(sample.SampleStart, test.voices[static_cast<size_t>(n - 1)].start) << test.what;
        }
        ExpectNotFound(bank, test.samples + 1, test.what);
    }
}

TEST(SampleDetails, TraceLines) {
    struct Case {
        int8_t trace;
        int32_t n;
        std::string output;
    };
    const Case cases[] = {
        {0, 1, ""},
        {1, 1, "--GetEmuIIBankSampleDetails--\n--END: GetEmuIIBankSampleDetails--\n"},
        {1, 2, "--GetEmuIIBankSampleDetails--\n"},
        {3, 1, "--GetEmuIIBankSampleDetails--\n--END: GetEmuIIBankSampleDetails--\n"},
    };
    SampleBank bank = MakeSampleBank({{1, 3000, 10}});
    for (const Case& test : cases) {
        SampleOverview sample = UntouchedSample();
        StartConsoleCapture();
        ReadSample(bank, test.n, &sample, test.trace);
        EXPECT_EQ(StopConsoleCapture(), test.output) << "trace " << int{test.trace} << " n " << test.n;
    }
}

}  // namespace
