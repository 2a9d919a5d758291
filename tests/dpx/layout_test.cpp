#include "dpx/layout.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "common/trace.h"
#include "eii/voice.h"
#include "tests/support/console_capture.h"

namespace {

struct Patch {
    int32_t offset;
    std::vector<uint8_t> bytes;
};

std::vector<uint8_t> Patched(size_t size, const std::vector<Patch>& patches) {
    std::vector<uint8_t> bytes(size, 0);
    for (const Patch& patch : patches)
        for (size_t index = 0; index < patch.bytes.size(); ++index)
            bytes.at(static_cast<size_t>(patch.offset) + index) = patch.bytes[index];
    return bytes;
}

// The bytes every file-system block holds whatever the bank.
std::vector<Patch> FixedBlockFields() {
    const std::string id = "(c)1987 Oberheim/ECC DPX-1  ";
    std::vector<uint8_t> identification(id.begin(), id.end());
    identification.insert(identification.end(), {0x03, '2', '2', 0x00});
    return {
        {0, identification},
        {79, {0x00, 0x00, 0x2A}},
        {346,
         {0x00, 0xA2, 0x66, 0x00, 0x00, 0x0C, 0x66, 0x00, 0x00, 0xA5, 0x35, 0x00, 0x00, 0xA5, 0x98, 0x00}},
        {364, {0x66, 0x00, 0xFB, 0x00, 0x80, 0x00, 0x00, 0x00}},
        {379, {0x4A, 0xFB, 0x4A, 0xFB}},
        {385, {0x4A, 0xFB}},
    };
}

BankBasicDetails Header(int32_t start, int32_t total, int32_t voices) {
    BankBasicDetails header{};
    header.StartSampleAddress = start;
    header.EndSampleAddress = start + total;
    header.TotalSampleSize = total;
    header.NumberOfVoices = voices;
    return header;
}

std::vector<uint8_t> FileSystemOf(int8_t trace, const BankBasicDetails& header, int32_t peak) {
    int32_t voiceTable = ComputeVoiceTableAddress(header.StartSampleAddress);
    int32_t sampleData = ComputeSampleDataAddress(voiceTable, header.NumberOfVoices);
    std::vector<uint8_t> block(kDpxFileSystemSize, 0xEE);
    StatusRecord status = CreateDPXFileSystem(trace, header, sampleData, voiceTable, peak, block.data());
    EXPECT_EQ(status.code, 0);
    return block;
}

VoiceOverview Voice(int32_t number, int32_t playStart, int32_t playEnd, int32_t loopOn, int32_t loopStart,
                    int32_t loopLength) {
    VoiceOverview voice{};
    voice.VoiceNumber = number;
    voice.Param[kVoicePlayStartSlot] = playStart;
    voice.Param[kVoicePlayEndSlot] = playEnd;
    voice.Param[kVoiceLoopStartSlot] = loopStart;
    voice.Param[kVoiceLoopLengthSlot] = loopLength;
    voice.Param[kVoiceLoopOnSlot] = loopOn;
    return voice;
}

}  // namespace

TEST(DataSpaceAddressTest, VoiceTableAndSampleDataStartOnSectorBoundaries) {
    struct Case {
        const char* what;
        int32_t start;
        int32_t voices;
        int32_t voiceTable;
        int32_t sampleData;
    };
    const Case cases[] = {
        {"example bank", 7168, 3, 7168, 8192},
        {"3,584 is rounded up to 4,096", 3584, 0, 4096, 4096},
        {"one voice after 3,584", 3584, 1, 4096, 5120},
        {"nothing at all", 0, 0, 0, 0},
        {"one voice at 0", 0, 1, 0, 1024},
        {"one byte of header", 1, 0, 4096, 4096},
        {"bare header, 99 voices", 1280, 99, 4096, 8192},
        {"three units of 3,584", 10752, 26, 11264, 13312},
        {"largest leading area, 99 voices", 485887, 99, 487424, 491520},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ComputeVoiceTableAddress(c.start), c.voiceTable) << c.what;
        EXPECT_EQ(ComputeSampleDataAddress(c.voiceTable, c.voices), c.sampleData) << c.what;
    }
}

TEST(DataSpaceAddressTest, DataAddressesSkipTheSmallSectors) {
    struct Case {
        int32_t dataAddress;
        int32_t imageOffset;
    };
    const Case cases[] = {{0, 0}, {5119, 5119}, {5120, 5632}, {10240, 11264}, {819199, 900607}};
    for (const Case& c : cases)
        EXPECT_EQ(ImageOffsetOfDataAddress(c.dataAddress), c.imageOffset) << c.dataAddress;
}

TEST(DiskAddressTest, CylinderSectorHeadRoundTrip) {
    struct Case {
        int32_t dataAddress;
        std::vector<uint8_t> bytes;
    };
    const Case cases[] = {
        {0, {0, 0, 0}},     {7168, {0, 2, 1}},    {8192, {0, 3, 1}},    {5120, {0, 0, 1}},
        {10240, {1, 0, 0}}, {491520, {48, 0, 0}}, {487424, {47, 1, 1}}, {818176, {79, 4, 1}},
    };
    for (const Case& c : cases) {
        uint8_t bytes[3] = {0xEE, 0xEE, 0xEE};
        EncodeDiskAddress(c.dataAddress, bytes);
        EXPECT_EQ(std::vector<uint8_t>(bytes, bytes + 3), c.bytes) << c.dataAddress;
        EXPECT_EQ(DecodeDiskAddress(c.bytes.data()), c.dataAddress) << c.dataAddress;
    }
}

TEST(AmplitudeFieldTest, KeepsAMultipleOf16Plus15) {
    struct Case {
        int32_t peak;
        int32_t field;
    };
    const Case cases[] = {
        {0, 15},         // silence
        {1, 15},         //
        {48, 15},        // 15.75 rounds down to 15, then to 0
        {49, 31},        // 16.08 gives 16
        {16384, 5375},   // 5,375.5 gives 5,375 = 335 x 16 + 15
        {14525, 4767},   // 4,765.6 gives 4,765 = 297 x 16 + 13
        {32767, 10751},  // 10,750.67 gives 10,750 = 671 x 16 + 14
        {32768, 10751},  // 10,751 exactly
    };
    for (const Case& c : cases) EXPECT_EQ(ComputeAmplitudeField(c.peak), c.field) << c.peak;
}

TEST(CreateDPXFileSystemTest, FillsEveryFieldOfTheBlock) {
    struct Case {
        const char* what;
        BankBasicDetails header;
        int32_t peak;
        std::vector<Patch> fields;
    };
    const Case cases[] = {
        {"S 7,168, T 100,000, three voices, full scale",
         Header(7168, 100000, 3),
         32767,
         {{54, {28}},
          {66, {0x00, 0x78}},
          {68, {0, 2, 1}},
          {73, {0x01, 0x88, 0x00}},  // 100,352
          {76, {0, 3, 1}},
          {362, {0x00, 190}},
          {372, {0x83, 0x10, 0x00}},
          {376, {0x00, 0xB2, 0x00}},
          {383, {0x29, 0xFF}}}},
        {"largest leading area, no samples, silent",
         Header(485887, 0, 0),
         0,
         {{54, {0x70}},  // 136 units of 14 pages = 1,904, stored modulo 256
          {66, {0x00, 0x00}},
          {68, {47, 1, 1}},
          {73, {0x00, 0x06, 0x01}},  // 487,424 - 485,887 = 1,537
          {76, {47, 1, 1}},
          {362, {0x08, 0x12}},  // 1,904 + 162
          {372, {0x80, 0x0C, 0x02}},
          {376, {0x07, 0xFF, 0xFF}},
          {383, {0x00, 0x0F}}}},
        {"empty bank at 0",
         Header(0, 0, 0),
         0,
         {{362, {0x00, 162}}, {372, {0x80, 0x00, 0x00}}, {376, {0x00, 0x96, 0x00}}, {383, {0x00, 0x0F}}}},
        {"bare header, one byte of samples, 99 voices",
         Header(1280, 1, 99),
         14525,
         {{54, {14}},
          {66, {0x0F, 0x78}},  // 3,960
          {68, {0, 4, 0}},
          {73, {0x00, 0x09, 0x00}},  // 3,584 - 1,280 = 2,304
          {76, {0, 3, 1}},
          {362, {0x00, 176}},
          {372, {0x80, 0x12, 0x00}},
          {376, {0x00, 0x9B, 0x00}},
          {383, {0x12, 0x9F}}}},
    };
    for (const Case& c : cases) {
        std::vector<Patch> patches = FixedBlockFields();
        patches.insert(patches.end(), c.fields.begin(), c.fields.end());
        std::vector<uint8_t> expected = Patched(kDpxFileSystemSize, patches);
        std::vector<uint8_t> block = FileSystemOf(0, c.header, c.peak);
        for (int32_t offset = 0; offset < kDpxFileSystemSize; ++offset)
            EXPECT_EQ(block[offset], expected[offset]) << c.what << ", offset " << offset;
    }
}

TEST(CreateDPXFileSystemTest, TracesTheAmplitudeFieldAndDumpsTheBlock) {
    const BankBasicDetails header = Header(7168, 100000, 3);
    struct Case {
        int8_t trace;
        std::string console;
    };
    const std::string calls =
        "--CreateDPXFileSystem--\nMax ampl in DPX format: 10751 (29 FF)\n--END: CreateDPXFileSystem--\n";
    const Case cases[] = {{0, ""}, {kTraceCalls, calls}};
    for (const Case& c : cases) {
        StartConsoleCapture();
        FileSystemOf(c.trace, header, 32767);
        EXPECT_EQ(StopConsoleCapture(), c.console) << static_cast<int>(c.trace);
    }

    StartConsoleCapture();
    FileSystemOf(kTraceDetails, header, 32767);
    std::string console = StopConsoleCapture();
    // Byte pairs as two unpadded hexadecimal numbers; a line break after the pairs at offsets 0,
    // 30, 60, ... 510, and one at the end.
    const std::string dump =
        "DPX Filesystem (512 bytes):\n2863 \n2931 3938 3720 4F62 6572 6865 696D 2F45 4343 2044 5058 2D31 "
        "2020 "
        "332 320 \n";
    EXPECT_EQ(console.rfind("--CreateDPXFileSystem--\nMax ampl in DPX format: 10751 (29 FF)\n" + dump, 0), 0u)
        << console;
    EXPECT_EQ(std::count(console.begin(), console.end(), '\n'), 2 + 1 + 18 + 1 + 1);
    const std::string tail = "00 00 \n\n--END: CreateDPXFileSystem--\n";
    ASSERT_GE(console.size(), tail.size());
    EXPECT_EQ(console.substr(console.size() - tail.size()), tail);
}

TEST(CreateDPXVoiceTest, WritesTheRecordAndTheLinkBeforeIt) {
    // S = 7,168; the sample starts at 10,000; the voice plays 10,000 .. 10,299.
    const std::vector<uint8_t> start = {0x00, 0x80, 0x16, 0x20};      // 0x800000 + 2 x 2,832
    const std::vector<uint8_t> end = {0x00, 0x80, 0x18, 0x76};        // 0x800000 + 2 x 3,131
    const std::vector<uint8_t> loopStart = {0x00, 0x80, 0x16, 0xE8};  // 0x800000 + 2 x 2,932
    const std::vector<uint8_t> loopEnd = {0x00, 0x80, 0x17, 0x4A};    // 0x800000 + 2 x 2,981
    const std::vector<uint8_t> fixedTail = {0x4A, 0x00, 0x4A, 0xFB, 0x4A, 0xFB, 0x4A, 0xFB, 0x4A, 0xFB};
    struct Case {
        const char* what;
        VoiceOverview voice;
        int32_t slot;
        std::vector<Patch> bytes;  // of the 40-byte output; bytes not written stay 0xEE
        int32_t written;
    };
    const Case cases[] = {
        {"first slot, loop off: both loop addresses are the sample end",
         Voice(5, 10000, 10300, 0, 100, 50),
         0,
         {{0, {0x00, 0x04, 0x01, 0x6C, 0x4A, 0xFB}},
          {6, start},
          {10, end},
          {14, {0x01, 0x01, 0xFF, 0xFF}},
          {18, end},
          {22, end},
          {26, fixedTail}},
         36},
        {"third slot, loop on: the link to it comes first",
         Voice(5, 10000, 10300, 1, 100, 50),
         2,
         {{0, {0x00, 0x00, 0x00, 0x50}},
          {4, {0x00, 0x04, 0x01, 0x6C, 0x4A, 0xFB}},
          {10, start},
          {14, end},
          {18, {0x01, 0x01, 0xFF, 0xFF}},
          {22, loopStart},
          {26, loopEnd},
          {30, fixedTail}},
         40},
        {"loop flag other than 1 is off",
         Voice(99, 10000, 10300, 2, 100, 50),
         1,
         {{0, {0x00, 0x00, 0x00, 0x28}},
          {4, {0x00, 0x62, 0x01, 0x6C, 0x4A, 0xFB}},
          {10, start},
          {14, end},
          {18, {0x01, 0x01, 0xFF, 0xFF}},
          {22, end},
          {26, end},
          {30, fixedTail}},
         40},
        {"play start before S gives an address below 0x800000",
         Voice(1, 7167, 7168, 0, 0, 0),
         0,
         {{0, {0x00, 0x00, 0x01, 0x6C, 0x4A, 0xFB}},
          {6, {0x00, 0x7F, 0xFF, 0xFE}},
          {10, {0x00, 0x7F, 0xFF, 0xFE}},
          {14, {0x01, 0x01, 0xFF, 0xFF}},
          {18, {0x00, 0x7F, 0xFF, 0xFE}},
          {22, {0x00, 0x7F, 0xFF, 0xFE}},
          {26, fixedTail}},
         36},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> expected = Patched(kDpxVoiceSlotSize, c.bytes);
        for (int32_t offset = c.written; offset < kDpxVoiceSlotSize; ++offset) expected[offset] = 0xEE;
        std::vector<uint8_t> output(kDpxVoiceSlotSize, 0xEE);
        EXPECT_EQ(CreateDPXVoice(0, c.voice, output.data(), c.slot, 7168, 10000).code, 0) << c.what;
        for (int32_t offset = 0; offset < kDpxVoiceSlotSize; ++offset)
            EXPECT_EQ(output[offset], expected[offset]) << c.what << ", offset " << offset;
    }
}

TEST(CreateDPXVoiceTest, DetailLinesShowTheAddresses) {
    struct Case {
        int8_t trace;
        std::string console;
    };
    const Case cases[] = {
        {0, ""},
        {kTraceCalls, "--CreateDPXVoice--\n--END: CreateDPXVoice--\n"},
        {kTraceDetails,
         "--CreateDPXVoice--\n..Voice 4 (0 4): [Offset=7168, Shift=0]\n"
         " START: 8b=10000-->16b=5664 (0 80 16 20) -- END: 8b=10300-->16b=6262 (0 80 18 76)\n"
         "--END: CreateDPXVoice--\n"},
    };
    for (const Case& c : cases) {
        uint8_t output[kDpxVoiceSlotSize];
        StartConsoleCapture();
        CreateDPXVoice(c.trace, Voice(5, 10000, 10300, 1, 100, 50), output, 0, 7168, 10000);
        EXPECT_EQ(StopConsoleCapture(), c.console) << static_cast<int>(c.trace);
    }
}

TEST(SpreadDataSpaceTest, FiveSectorsPerTrackAndTheBlockInTrackZero) {
    std::vector<uint8_t> dataSpace(kDpxDataSpaceSize);
    for (int32_t address = 0; address < kDpxDataSpaceSize; ++address)
        dataSpace[address] = static_cast<uint8_t>(address % 251);
    std::vector<uint8_t> block(kDpxFileSystemSize, 0xA5);
    std::vector<uint8_t> image(kDpxImageSize, 0xEE);
    SpreadDataSpace(dataSpace.data(), block.data(), image.data());
    for (int32_t offset = 0; offset < kDpxImageSize; ++offset) {
        const int32_t track = offset / 5632;
        const int32_t inTrack = offset % 5632;
        uint8_t expected = 0xEE;  // the small sectors of the other tracks are left alone
        if (inTrack < 5120)
            expected = static_cast<uint8_t>((track * 5120 + inTrack) % 251);
        else if (track == 0)
            expected = 0xA5;
        ASSERT_EQ(image[offset], expected) << "image offset " << offset;
    }
}
