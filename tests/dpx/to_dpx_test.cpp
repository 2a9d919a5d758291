#include "dpx/to_dpx.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "common/trace.h"
#include "dpx/companding.h"
#include "eii/voice.h"
#include "tests/dpx/test_bank.h"
#include "tests/support/console_capture.h"
#include "tests/support/emu_image_builder.h"
#include "tests/support/temp_folder.h"

namespace {

constexpr int32_t kImageSize = 901120;

struct Translation {
    StatusRecord status;
    std::vector<uint8_t> image;
    std::string console;
};

Translation Translate(int8_t trace, const std::string& path, Bank* bank) {
    Translation translation{InitStatusRecord(), std::vector<uint8_t>(kImageSize, 0xEE), ""};
    StartConsoleCapture();
    translation.status = TranslateEIIToDPX(trace, OverviewOf(path), bank, translation.image.data());
    translation.console = StopConsoleCapture();
    return translation;
}

// The small bank of the hand-worked example: a leading area of 1,536 bytes (header and a
// patterned block), sample 1 at 1,536..1,539, a gap of two bytes, sample 2 at 1,542..1,544.
// Voice 3 plays sample 2 without loop; voice 7 plays sample 1 and loops 1,537..1,538.
const std::vector<uint8_t> kSmallBankBytes = {0x70, 0x70, 0xF0, 0x00, 0x7F, 0x7F, 0xF8, 0x80, 0x05};

EmuImageBuilder SmallBankImage() {
    EmuImageBuilder image;
    for (int32_t offset = 1280; offset < 1536; ++offset)
        image.Set(offset, static_cast<uint8_t>(offset * 13 + 5));
    image.SampleArea(1536, 1545).SetBytes(1536, kSmallBankBytes);
    return image;
}

BankPointer SmallBank() {
    return MakeTestBank(1536, 1545, {{1, 1536, 4}, {2, 1542, 3}},
                        {{3, 2, 1542, 1545, 0, 0, 0}, {7, 1, 1536, 1540, 1, 1, 2}});
}

void Put(std::vector<uint8_t>* image, int32_t offset, const std::vector<uint8_t>& bytes) {
    std::copy(bytes.begin(), bytes.end(), image->begin() + offset);
}

// The whole DPX image of the small bank, worked out by hand.
std::vector<uint8_t> SmallBankExpectedImage(const std::vector<uint8_t>& source) {
    std::vector<uint8_t> image(kImageSize, 0);
    // Leading area at data addresses 0..1,535, inside track image 0.
    std::copy(source.begin(), source.begin() + 1536, image.begin());
    // Voice table at 4,096: 1,536 rounded up to 3,584, then to 1,024.
    Put(&image, 4096, {0x00, 0x02, 0x01, 0x6C, 0x4A, 0xFB,  // voice 3
                       0x00, 0x80, 0x00, 0x0C,              // play start 1,542: point 6
                       0x00, 0x80, 0x00, 0x10,              // last point 1,544: point 8
                       0x01, 0x01, 0xFF, 0xFF,              //
                       0x00, 0x80, 0x00, 0x10,              // loop off: loop start and end at the sample end
                       0x00, 0x80, 0x00, 0x10,              //
                       0x4A, 0x00, 0x4A, 0xFB, 0x4A, 0xFB, 0x4A, 0xFB, 0x4A, 0xFB, 0x00,
                       0x00, 0x00, 0x28,                    // link to the second slot
                       0x00, 0x06, 0x01, 0x6C, 0x4A, 0xFB,  // voice 7
                       0x00, 0x80, 0x00, 0x00,              // play start 1,536: point 0
                       0x00, 0x80, 0x00, 0x06,              // last point 1,539: point 3
                       0x01, 0x01, 0xFF, 0xFF,              //
                       0x00, 0x80, 0x00, 0x02,              // loop start 1,536 + 1: point 1
                       0x00, 0x80, 0x00, 0x04,              // loop end 1,536 + 1 + 2 - 1: point 2
                       0x4A, 0x00, 0x4A, 0xFB, 0x4A, 0xFB, 0x4A, 0xFB, 0x4A, 0xFB, 0x80});  // end mark
    // File-system block.
    const std::string id = "(c)1987 Oberheim/ECC DPX-1  ";
    Put(&image, 5120, std::vector<uint8_t>(id.begin(), id.end()));
    Put(&image, 5120 + 28, {0x03, '2', '2', 0x00});
    Put(&image, 5120 + 54, {14});                // one unit of 14 pages
    Put(&image, 5120 + 66, {0x00, 0x50});        // two voices
    Put(&image, 5120 + 68, {0, 4, 0});           // voice table at 4,096
    Put(&image, 5120 + 73, {0x00, 0x08, 0x00});  // 3,584 - 1,536
    Put(&image, 5120 + 76, {0, 0, 1});           // sample data at 5,120
    Put(&image, 5120 + 79, {0x00, 0x00, 0x2A});
    Put(&image, 5120 + 346,
        {0x00, 0xA2, 0x66, 0x00, 0x00, 0x0C, 0x66, 0x00, 0x00, 0xA5, 0x35, 0x00, 0x00, 0xA5,
         0x98, 0x00, 0x00, 176,  0x66, 0x00, 0xFB, 0x00, 0x80, 0x00, 0x00, 0x00, 0x80, 0x10,
         0x00, 0x00, 0x00, 0x9C, 0x00, 0x4A, 0xFB, 0x4A, 0xFB, 0x12, 0x9F, 0x4A, 0xFB});
    // Sample data at data address 5,120, the start of track image 1. Decoded values 7,334,
    // 14,525, 6,906, 6,771 (sample 1), 20,693, 32,767 (gap, clamped from 34,342), then from 0
    // again -10,918, -10,704, -10,478 (sample 2). The peak of the samples is 14,525, so
    // NormFactor = 32,767 / 14,525 = 2.2559036...; the points are 0xC0A, 0xFFF, 0xBCD, 0xBBA,
    // 0xFFF (46,681 held at 4,095), 0xFFF, 0x1FC, 0x21A, 0x23A.
    Put(&image, 5632,
        {0x0A, 0xCF, 0xFF, 0xCD, 0xBB, 0xBA, 0xFF, 0xFF, 0xFF, 0xFC, 0x12, 0x1A, 0x3A, 0x20, 0x00});
    return image;
}

// Offset of the first difference, or -1.
int64_t FirstDifference(const std::vector<uint8_t>& actual, const std::vector<uint8_t>& expected) {
    if (actual.size() != expected.size()) return 0;
    auto mismatch = std::mismatch(actual.begin(), actual.end(), expected.begin());
    return mismatch.first == actual.end() ? -1 : mismatch.first - actual.begin();
}

uint8_t FileSystemByte(const std::vector<uint8_t>& image, int32_t offset) {
    return image.at(5120 + offset);
}

}  // namespace

TEST(TranslateEIIToDPXTest, SmallBankFieldByFieldAndPointByPoint) {
    TempFolder folder;
    std::string path = folder.File("small.eii");
    EmuImageBuilder source = SmallBankImage();
    source.WriteTo(path);
    BankPointer bank = SmallBank();
    Translation translation = Translate(0, path, bank.get());
    ASSERT_EQ(translation.status.code, 0) << translation.status.message;
    EXPECT_EQ(translation.console, "");
    std::vector<uint8_t> expected = SmallBankExpectedImage(source.bytes());
    int64_t difference = FirstDifference(translation.image, expected);
    EXPECT_EQ(difference, -1) << "image offset " << difference << ": "
                              << static_cast<int>(translation.image[static_cast<size_t>(difference)])
                              << " instead of "
                              << static_cast<int>(expected[static_cast<size_t>(difference)]);
}

TEST(TranslateEIIToDPXTest, CallTraceOfTheSmallBank) {
    TempFolder folder;
    std::string path = folder.File("small.eii");
    SmallBankImage().WriteTo(path);
    BankPointer bank = SmallBank();
    Translation translation = Translate(kTraceCalls, path, bank.get());
    ASSERT_EQ(translation.status.code, 0);
    // Two reads: the leading area and the sample area, decoded once for the peak and the points.
    const std::string read = "--ReadImageData--\n--END: ReadImageData--\n";
    EXPECT_EQ(
        translation.console,
        "--TranslateEIIToDPX--\n"
        "1, 1536 --> 1540\n2, 1542 --> 1545\n"
        "--Sorted sample list (2 samples)--\n1 1536 1540 0 0 \n2 1542 1545 2 0 \n"
        "--CreateDPXVoice--\n--END: CreateDPXVoice--\n--CreateDPXVoice--\n--END: CreateDPXVoice--\n" +
            read + read + "Max ampl = 14525, Normfactor = 2.255904\n" +
            "--CreateDPXFileSystem--\nMax ampl in DPX format: 4767 (12 9F)\n--END: CreateDPXFileSystem--\n"
            "--END: TranslateEIIToDPX--\n");
}

TEST(TranslateEIIToDPXTest, DetailTraceOfTheSmallBank) {
    TempFolder folder;
    std::string path = folder.File("small.eii");
    SmallBankImage().WriteTo(path);
    BankPointer bank = SmallBank();
    Translation translation = Translate(kTraceDetails, path, bank.get());
    ASSERT_EQ(translation.status.code, 0);
    std::string first100 = "First 100 bytes:\nA CF FF CD BB BA FF FF FF FC 12 1A 3A 20 0 ";
    for (int32_t count = 15; count < 100; ++count) first100 += "0 ";
    const std::string lines[] = {
        "VoiceAddress = 4096 (1000), SampleAddress = 5120 (1400)\nEII Sample area: START = 1536, END = "
        "1545\n",
        "DPX Voice 0 (V3 S1)= on position 4096 (1000)\n",
        "DPX Voice 1 (V7 S0)= on position 4132 (1024)\n",
        "VoiceIndex:\n0.2 1.6C 4A.FB 0.80 0.C 0.80 0.10 1.1 FF.FF 0.80 0.10 0.80 0.10 4A.0 4A.FB 4A.FB 4A.FB "
        "4A.FB "
        "0.0 0.28 0.6 1.6C 4A.FB 0.80 0.0 0.80 0.6 1.1 FF.FF 0.80 0.2 0.80 0.4 4A.0 4A.FB 4A.FB 4A.FB 4A.FB "
        "80.0 \n",
        "Sample 0 starts at 0 (1536), offset is reset. Target pos = 5120\n(8)70  (16)16544  (12)3082  -->  A "
        "C0\n"
        "(8)70  (16)32767  (12)4095  -->  F FF\n",
        "Peek avoided for value 34342\n",
        "Sample 1 starts at 6 (1542), offset is reset. Target pos = 5129\n(8)F8  (16)-24629  (12)508  -->  "
        "FC 10\n",
        "After translation of all samples (samplestart=5120), bcnt = 5133, mcnt = 9, MaxAmpl = 14525\n" +
            first100 + "\n",
    };
    for (const std::string& line : lines)
        EXPECT_NE(translation.console.find(line), std::string::npos) << line << "\nin\n"
                                                                     << translation.console;
}

TEST(TranslateEIIToDPXTest, GapsAndOverlapsAreRecodedInAddressOrder) {
    struct Case {
        const char* what;
        std::vector<uint8_t> area;  // the sample area from 1,280
        std::vector<TestSample> samples;
        std::vector<uint8_t> amplitude;
        std::vector<int32_t> points;
    };
    const Case cases[] = {
        // Decoded 866, 1,716, 2,549 | gap 2,558, 2,566, 2,457 | -867, -1,717, -1,684: the gap
        // goes on from the sample before it and rises above the peak of 2,549.
        {"gap between two samples",
         {0x40, 0x40, 0x40, 0x10, 0x10, 0x90, 0xC0, 0xC0, 0x00},
         {{1, 1280, 3}, {2, 1286, 3}},
         {0x03, 0x4F},
         {2743, 3426, 4095, 4095, 4095, 4022, 1351, 668, 695}},
        // Sample 1 alone decodes to 7,334, 14,525, 21,575, 28,486 (the peak); sample 2 starts at
        // its fourth byte and restarts the running value there, and the tail of sample 1 goes on
        // from it: 7,334, -144, -7,477, -14,666, -21,714.
        {"sample inside another",
         {0x70, 0x70, 0x70, 0x70, 0xF0, 0xF0, 0xF0, 0xF0},
         {{1, 1280, 8}, {2, 1283, 2}},
         {0x24, 0x8F},
         {2575, 3092, 3599, 2575, 2037, 1510, 993, 486}},
        // The area starts with a gap decoded from 0: 866, 1,716, 2,549; the sample restarts at
        // 0: 7,334 (the peak), 7,132, 6,934.
        {"gap before the first sample",
         {0x40, 0x40, 0x40, 0x70, 0x90, 0x90},
         {{1, 1283, 3}},
         {0x09, 0x6F},
         {2289, 2527, 2759, 4095, 4039, 3984}},
        // A listed order that is not the address order changes nothing.
        {"samples listed out of address order",
         {0x40, 0x40, 0x40, 0x10, 0x10, 0x90, 0xC0, 0xC0, 0x00},
         {{2, 1286, 3}, {1, 1280, 3}},
         {0x03, 0x4F},
         {2743, 3426, 4095, 4095, 4095, 4022, 1351, 668, 695}},
    };
    TempFolder folder;
    for (const Case& c : cases) {
        std::string path = folder.File("bank.eii");
        const int32_t end = 1280 + static_cast<int32_t>(c.area.size());
        EmuImageBuilder().SampleArea(1280, end).SetBytes(1280, c.area).WriteTo(path);
        std::vector<TestVoice> voices;
        for (const TestSample& sample : c.samples)
            voices.push_back(
                {sample.number, sample.number, sample.start, sample.start + sample.size, 0, 0, 0});
        BankPointer bank = MakeTestBank(1280, end, c.samples, voices);
        Translation translation = Translate(0, path, bank.get());
        ASSERT_EQ(translation.status.code, 0) << c.what << ": " << translation.status.message;
        EXPECT_EQ(FileSystemByte(translation.image, 383), c.amplitude[0]) << c.what;
        EXPECT_EQ(FileSystemByte(translation.image, 384), c.amplitude[1]) << c.what;
        // One or two voices: the sample data starts at 5,120.
        for (size_t index = 0; index < c.points.size(); ++index)
            EXPECT_EQ(PointAt(translation.image, 5120, static_cast<int32_t>(index)), c.points[index])
                << c.what << ", point " << index;
        EXPECT_EQ(PointAt(translation.image, 5120, static_cast<int32_t>(c.points.size())), 0) << c.what;
    }
}

TEST(TranslateEIIToDPXTest, QuietBankIsScaledToTheFullRange) {
    struct Case {
        const char* what;
        std::vector<uint8_t> area;
        std::vector<int32_t> points;
    };
    const Case cases[] = {
        // 866, 1,716 (the peak), 1,683, 1,591: the peak becomes 32,767, point 4,095.
        {"positive peak reaches 4,095", {0x40, 0x40, 0x00, 0x90}, {3081, 4095, 4056, 3946}},
        // -867, -1,717 (the peak), -1,626, -1,537: the peak becomes -32,767, point 0.
        {"negative peak reaches 0", {0xC0, 0xC0, 0x10, 0x10}, {1013, 0, 108, 214}},
    };
    TempFolder folder;
    for (const Case& c : cases) {
        std::string path = folder.File("quiet.eii");
        EmuImageBuilder().SampleArea(1280, 1284).SetBytes(1280, c.area).WriteTo(path);
        BankPointer bank = MakeTestBank(1280, 1284, {{1, 1280, 4}}, {{1, 1, 1280, 1284, 0, 0, 0}});
        Translation translation = Translate(0, path, bank.get());
        ASSERT_EQ(translation.status.code, 0) << c.what;
        for (size_t index = 0; index < c.points.size(); ++index)
            EXPECT_EQ(PointAt(translation.image, 5120, static_cast<int32_t>(index)), c.points[index])
                << c.what << ", point " << index;
        // 1,716 x 10,751 / 32,768 = 563.0 gives 560 + 15.
        EXPECT_EQ(FileSystemByte(translation.image, 383), 0x02) << c.what;
        EXPECT_EQ(FileSystemByte(translation.image, 384), 0x3F) << c.what;
    }
}

TEST(TranslateEIIToDPXTest, SilentBankIsSilenceEverywhere) {
    struct Case {
        const char* what;
        std::vector<uint8_t> area;
        std::vector<TestSample> samples;
        int32_t voiceTable;
        int32_t sampleData;
        std::vector<uint8_t> firstBytes;  // at the voice table address
    };
    const Case cases[] = {
        // The gap bytes decode far from 0, yet without a peak every point is silence.
        {"silent samples, loud gap",
         {0x00, 0x80, 0x00, 0x7F, 0xFF, 0x7F, 0x80, 0x80},
         {{1, 1280, 3}, {2, 1286, 2}},
         4096,
         5120,
         {0x00, 0x00, 0x01, 0x6C}},
        // No voices: the end mark at the voice table is the first byte of the sample data and
        // gives way to the first point.
        {"no samples, a sample area of loud bytes",
         {0x70, 0x70, 0x70},
         {},
         4096,
         4096,
         {0x00, 0x88, 0x00, 0x00}},
        // Nothing to overwrite the end mark: it stays.
        {"no samples, no sample area", {}, {}, 4096, 4096, {0x80, 0x00, 0x00, 0x00}},
    };
    TempFolder folder;
    for (const Case& c : cases) {
        std::string path = folder.File("silent.eii");
        const int32_t end = 1280 + static_cast<int32_t>(c.area.size());
        EmuImageBuilder().SampleArea(1280, end).SetBytes(1280, c.area).WriteTo(path);
        std::vector<TestVoice> voices;
        for (const TestSample& sample : c.samples)
            voices.push_back(
                {sample.number, sample.number, sample.start, sample.start + sample.size, 0, 0, 0});
        BankPointer bank = MakeTestBank(1280, end, c.samples, voices);
        Translation translation = Translate(0, path, bank.get());
        ASSERT_EQ(translation.status.code, 0) << c.what;
        EXPECT_EQ(FileSystemByte(translation.image, 383), 0x00) << c.what;
        EXPECT_EQ(FileSystemByte(translation.image, 384), 0x0F) << c.what;
        for (size_t index = 0; index < c.area.size(); ++index)
            EXPECT_EQ(PointAt(translation.image, c.sampleData, static_cast<int32_t>(index)), 2048)
                << c.what << ", point " << index;
        for (size_t index = 0; index < c.firstBytes.size(); ++index)
            EXPECT_EQ(DataByte(translation.image, c.voiceTable + static_cast<int32_t>(index)),
                      c.firstBytes[index])
                << c.what << ", byte " << index;
    }
}

TEST(TranslateEIIToDPXTest, SampleBytesMissingFromTheImageReadAsZero) {
    struct Case {
        const char* what;
        int32_t start;       // of the sample area and the sample
        int32_t areaSize;    // of the sample area
        int32_t sampleSize;  // of the sample
        size_t fileSize;
        int32_t sampleData;
        std::vector<uint8_t> amplitude;
        std::vector<int32_t> points;
    };
    const Case cases[] = {
        // Three bytes of 0x70 are in the file; the last three bytes of the sample area are not
        // and decode as code 0: 7,334, 14,525, 21,575 (the peak), 21,152, 20,738, 20,332.
        {"file cut short inside the sample area",
         1280,
         6,
         6,
         1283,
         5120,
         {0x1B, 0xAF},
         {2744, 3426, 4095, 4055, 4016, 3977}},
        // The sample runs 13 bytes past the end of the image; its 7 bytes inside decode to
        // 7,334 ... 32,767, the peak.
        {"sample running past the image end",
         485880,
         7,
         20,
         485887,
         488448,
         {0x29, 0xFF},
         {2506, 2955, 3396, 3828, 4095, 4095, 4095}},
    };
    TempFolder folder;
    for (const Case& c : cases) {
        std::string path = folder.File("short.eii");
        const int32_t end = c.start + c.areaSize;
        EmuImageBuilder image;
        image.SampleArea(c.start, end);
        for (int32_t offset = c.start; offset < end && offset < static_cast<int32_t>(c.fileSize); ++offset)
            image.Set(offset, 0x70);
        image.WriteTo(path, c.fileSize);
        BankPointer bank = MakeTestBank(c.start, end, {{1, c.start, c.sampleSize}},
                                        {{1, 1, c.start, c.start + c.areaSize, 0, 0, 0}});
        Translation translation = Translate(0, path, bank.get());
        ASSERT_EQ(translation.status.code, 0) << c.what;
        EXPECT_EQ(FileSystemByte(translation.image, 383), c.amplitude[0]) << c.what;
        EXPECT_EQ(FileSystemByte(translation.image, 384), c.amplitude[1]) << c.what;
        for (size_t index = 0; index < c.points.size(); ++index)
            EXPECT_EQ(PointAt(translation.image, c.sampleData, static_cast<int32_t>(index)), c.points[index])
                << c.what << ", point " << index;
    }
}

TEST(TranslateEIIToDPXTest, InconsistentBankIsRefused) {
    struct Case {
        const char* what;
        void (*change)(Bank*);
    };
    const Case cases[] = {
        {"a voice plays a sample the bank lacks",
         [](Bank* bank) { bank->Voices->next->Param[kVoiceSampleNumberSlot] = 5; }},
        {"a voice plays sample 0 while an entry stays empty",
         [](Bank* bank) {
             bank->Samples->next->SampleStart = bank->Samples->SampleStart;
             bank->Voices->Param[kVoiceSampleNumberSlot] = 0;
         }},
        {"a second sample with the same start leaves its voice without sample",
         [](Bank* bank) { bank->Samples->next->SampleStart = bank->Samples->SampleStart; }},
        {"more voices counted than listed", [](Bank* bank) { bank->NumberOfVoices = 3; }},
        {"fewer voices counted than listed", [](Bank* bank) { bank->NumberOfVoices = 1; }},
        {"sample area ends before it starts", [](Bank* bank) { bank->EndSampleAddress = 1500; }},
        {"total size disagrees with the addresses", [](Bank* bank) { bank->TotalSampleSize = 10; }},
        {"sample area beyond the image",
         [](Bank* bank) {
             bank->EndSampleAddress = 485888;
             bank->TotalSampleSize = 485888 - 1536;
         }},
        {"negative start", [](Bank* bank) { bank->StartSampleAddress = -1; }},
        {"100 samples", [](Bank* bank) { bank->NumberOfSamples = 100; }},
        {"negative sample count", [](Bank* bank) { bank->NumberOfSamples = -1; }},
    };
    TempFolder folder;
    std::string path = folder.File("small.eii");
    SmallBankImage().WriteTo(path);
    for (const Case& c : cases) {
        BankPointer bank = SmallBank();
        c.change(bank.get());
        Translation translation = Translate(0, path, bank.get());
        EXPECT_EQ(translation.status.code, 803) << c.what;
        EXPECT_EQ(translation.status.severity, 'F') << c.what;
        EXPECT_STREQ(translation.status.message, "Inconsistency error.") << c.what;
    }
}

TEST(TranslateEIIToDPXTest, UnreadableImageFailsWithTheReadStatus) {
    TempFolder folder;
    std::string path = folder.File("gone.eii");
    BankPointer bank = SmallBank();
    Translation translation = Translate(0, path, bank.get());
    EXPECT_EQ(translation.status.code, 9);
    EXPECT_EQ(translation.status.severity, 'E');
    EXPECT_EQ(
        std::string(translation.status.message).rfind("Problem opening file " + path + ". Error is ", 0), 0u)
        << translation.status.message;
}

namespace {

// A larger bank that every build must translate to the same bytes: 30 samples (triangle waves
// coded with the encoder and random walks, two of them overlapping their predecessor), gaps of
// random bytes, 40 voices with and without loops, a patterned leading area of 11,520 bytes.
struct HashBank {
    EmuImageBuilder image;
    std::vector<TestSample> samples;
    std::vector<TestVoice> voices;
    int32_t end = 0;
};

HashBank MakeHashBank() {
    constexpr int32_t kStart = 11520;
    HashBank bank;
    uint32_t random = 12345;
    auto next = [&random]() {
        random = random * 1664525u + 1013904223u;
        return static_cast<uint8_t>(random >> 24);
    };
    for (int32_t offset = 1280; offset < kStart; ++offset)
        bank.image.Set(offset, static_cast<uint8_t>(offset * 31 + 7));
    int32_t position = kStart + 37;
    for (int32_t number = 1; number <= 30; ++number) {
        const int32_t size = 600 + (number * 977) % 1400;
        int32_t start = position;
        if (number % 7 == 0) start = bank.samples.back().start + 100;
        bank.samples.push_back({number, start, size});
        position = std::max(position, start + size + (number * 53) % 200);
    }
    bank.end = position + 50;
    for (int32_t offset = kStart; offset < bank.end; ++offset) bank.image.Set(offset, next());
    InitCompandingTable();
    for (const TestSample& sample : bank.samples) {
        const int32_t period = 40 + 3 * sample.number;
        const int32_t amplitude = 1500 + 900 * sample.number;
        int32_t running = 0;
        for (int32_t index = 0; index < sample.size; ++index) {
            uint8_t byte;
            if (sample.number % 2 == 0) {
                const int32_t phase = index % period;
                const int32_t target = phase < period / 2 ? -amplitude + 4 * amplitude * phase / period
                                                          : 3 * amplitude - 4 * amplitude * phase / period;
                EncodedSample encoded{};
                byte = static_cast<uint8_t>(EncodeCompandedSample(0, running, target - running, &encoded));
                running += encoded.step;
            } else {
                const uint8_t low = next();
                const uint8_t high = next();
                byte = static_cast<uint8_t>((low & 0x3F) | (high & 0x80));
            }
            bank.image.Set(sample.start + index, byte);
        }
    }
    for (int32_t number = 1; number <= 40; ++number) {
        const TestSample& sample = bank.samples[static_cast<size_t>((number - 1) % 30)];
        bank.voices.push_back({number, sample.number, sample.start + number % 5,
                               sample.start + sample.size - number % 3, number % 3 == 0 ? 1 : 0, 10 + number,
                               100});
    }
    bank.image.SampleArea(kStart, bank.end);
    return bank;
}

}  // namespace

TEST(TranslateEIIToDPXTest, EveryBuildWritesTheSameBytes) {
    TempFolder folder;
    std::string path = folder.File("hash.eii");
    HashBank source = MakeHashBank();
    source.image.WriteTo(path);
    BankPointer bank = MakeTestBank(11520, source.end, source.samples, source.voices);
    Translation translation = Translate(0, path, bank.get());
    ASSERT_EQ(translation.status.code, 0) << translation.status.message;
    // Peak 28,522, NormFactor 1.148832...: 1,166 of the 65,536 possible values scale to another
    // point when the factor is applied as value x 32,767 / M instead, so arithmetic that differs
    // from IEEE double precision shows here. The constant is the hash of the native build's image.
    EXPECT_EQ(Fnv1a64(translation.image), 0x44F2DA44401B7378ULL);
}
