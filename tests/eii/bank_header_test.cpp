#include "eii/bank_header.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/trace.h"
#include "tests/support/emu_image_builder.h"
#include "tests/support/temp_folder.h"

namespace {

// Reads the header of the built image; the record is released by the destructor.
struct ReadHeader {
    explicit ReadHeader(const EmuImageBuilder& image) {
        std::string path = folder.File("bank.eii");
        image.WriteTo(path);
        ImageOverview overview{};
        std::snprintf(overview.Name, sizeof overview.Name, "%s", path.c_str());
        std::snprintf(overview.Path, sizeof overview.Path, "%s", path.c_str());
        header = InitBankBasicDetails(0, kContextNumber, kPassThroughByte, nullptr);
        status = GetEmuIIBankBasicDetails(0, overview, header);
    }
    ~ReadHeader() {
        FreeBankBasicDetailsMem(0, kContextNumber, kPassThroughByte, header);
        delete header;
    }
    TempFolder folder;
    BankBasicDetails* header;
    StatusRecord status;
};

using Change = void (*)(EmuImageBuilder&);

}  // namespace

TEST(CurrentPresetAreaTest, FirstBrokenRuleGivesTheCode) {
    struct Case {
        int32_t offset;
        uint8_t value;
        int32_t expected;
    };
    const Case cases[] = {
        {8, 'A', 1},   {11, 0, 1},    {12, 99, 0},    {72, 100, 2},   {73, 155, 0},  {133, 154, 3},
        {73, 1, 3},    {134, 60, 0},  {194, 61, 4},   {195, 100, 5},  {256, 0, 0},   {316, 100, 6},
        {317, 61, 7},  {378, 119, 0}, {499, 255, 0},  {378, 120, 8},  {499, 254, 8}, {561, 15, 0},
        {621, 16, 9},  {500, 200, 0}, {718, 99, 0},   {718, 100, 10}, {692, 127, 0}, {703, 128, 11},
        {704, 16, 12}, {705, 63, 0},  {705, 64, 13},  {712, 1, 14},   {715, 1, 15},  {713, 5, 0},
        {713, 6, 16},  {714, 3, 17},  {716, 128, 18}, {717, 7, 0},    {717, 8, 19},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> header = EmuImageBuilder().bytes();
        header.resize(1280);
        header[static_cast<size_t>(c.offset)] = c.value;
        EXPECT_EQ(ValidateEmuIICurrentPresetArea(0, header.data()), c.expected)
            << "offset " << c.offset << " value " << int{c.value};
    }
}

TEST(CurrentPresetAreaTest, RulesApplyInCodeOrder) {
    std::vector<uint8_t> header = EmuImageBuilder().bytes();
    header.resize(1280);
    header[717] = 200;  // rule 19
    header[718] = 200;  // rule 10
    EXPECT_EQ(ValidateEmuIICurrentPresetArea(0, header.data()), 10);
    header[10] = 0;  // rule 1 is looked at before any other
    EXPECT_EQ(ValidateEmuIICurrentPresetArea(0, header.data()), 1);
}

TEST(FilterNameCharTest, KeepsLettersDigitsSpaceAndHash) {
    const std::string kept = "AZaz09 #";
    for (char c : kept) EXPECT_EQ(FilterNameChar(static_cast<uint8_t>(c)), static_cast<uint8_t>(c));
    const std::vector<uint8_t> replaced = {'-', '_', '.', '!', '@', '[', '`', '{', 0, 31, 127, 128, 200, 255};
    for (uint8_t byte : replaced) EXPECT_EQ(FilterNameChar(byte), ' ') << int{byte};
}

TEST(BankHeaderTest, HeaderChecksFailWithTheirCodes) {
    struct Case {
        const char* what;
        Change change;
        int32_t code;
        const char* message;
    };
    const Case cases[] = {
        {"valid", [](EmuImageBuilder&) {}, 0, ""},
        {"bytes 8..11 not spaces", [](EmuImageBuilder& b) { b.Set(8, 0).Set(718, 200); }, 567,
         "Emulator II Bank contains invalid current preset parameters. Errorcode is 1."},
        {"name byte 128", [](EmuImageBuilder& b) { b.Set(695, 128); }, 567,
         "Emulator II Bank contains invalid current preset parameters. Errorcode is 11."},
        {"preset entry with only lo set", [](EmuImageBuilder& b) { b.PresetEntry(3, 5, 0); }, 568,
         "Emulator II Bank contains invalid preset addresses."},
        {"preset entry hi 154", [](EmuImageBuilder& b) { b.PresetEntry(0, 0, 154); }, 568,
         "Emulator II Bank contains invalid preset addresses."},
        {"voice entry 154", [](EmuImageBuilder& b) { b.VoiceEntry(98, 154); }, 569,
         "Emulator II Bank contains invalid voice addresses."},
        {"voice entry 1", [](EmuImageBuilder& b) { b.VoiceEntry(0, 1); }, 569,
         "Emulator II Bank contains invalid voice addresses."},
        {"parameter area 26881", [](EmuImageBuilder& b) { b.ParameterAreaSize(26881); }, 571,
         "Emulator II Bank contains invalid main addresses."},
        {"parameter area negative", [](EmuImageBuilder& b) { b.RawParameterAreaSize(0, 149); }, 571,
         "Emulator II Bank contains invalid main addresses."},
        {"start after end", [](EmuImageBuilder& b) { b.SampleArea(2000, 1999); }, 571,
         "Emulator II Bank contains invalid main addresses."},
        {"end past the image", [](EmuImageBuilder& b) { b.SampleArea(1280, 485888); }, 571,
         "Emulator II Bank contains invalid main addresses."},
        {"sequence start 485889", [](EmuImageBuilder& b) { b.SequenceStart(485889); }, 571,
         "Emulator II Bank contains invalid main addresses."},
        {"sample start past the image",
         [](EmuImageBuilder& b) {
             b.ParameterAreaSize(1536).VoiceEntry(0, 155).VoiceSampleFields(1280, 485888, 0);
         },
         572, "Emulator II Bank contains invalid sample addresses."},
        {"sample start negative",
         [](EmuImageBuilder& b) {
             b.ParameterAreaSize(1536).VoiceEntry(0, 155).SetBytes(1479, {0xFF, 0x95, 0});
         },
         572, "Emulator II Bank contains invalid sample addresses."},
        {"sample start field past the parameter area",
         [](EmuImageBuilder& b) {
             b.ParameterAreaSize(1481).VoiceEntry(0, 155).VoiceSampleFields(1280, 2000, 0);
         },
         572, "Emulator II Bank contains invalid sample addresses."},
        {"sample start field just inside the parameter area",
         [](EmuImageBuilder& b) {
             b.ParameterAreaSize(1482).VoiceEntry(0, 155).VoiceSampleFields(1280, 2000, 0);
         },
         0, ""},
        {"sample start 485887",
         [](EmuImageBuilder& b) {
             b.ParameterAreaSize(1536).VoiceEntry(0, 155).VoiceSampleFields(1280, 485887, 0);
         },
         0, ""},
    };
    for (const Case& c : cases) {
        EmuImageBuilder image;
        c.change(image);
        ReadHeader read(image);
        EXPECT_EQ(read.status.code, c.code) << c.what;
        EXPECT_STREQ(read.status.message, c.message) << c.what;
        EXPECT_EQ(read.status.severity, c.code != 0 ? 'E' : ' ') << c.what;
        ASSERT_NE(read.header->ImageOverview, nullptr) << c.what;  // attached on every path
    }
}

TEST(BankHeaderTest, EmptyTablesGiveNoEntries) {
    EmuImageBuilder image;
    image.ParameterAreaSize(0);
    ReadHeader read(image);
    ASSERT_EQ(read.status.code, 0) << read.status.message;
    const BankBasicDetails& h = *read.header;
    EXPECT_EQ(h.NumberOfPresets, 0);
    EXPECT_EQ(h.NumberOfVoices, 0);
    EXPECT_EQ(h.NumberOfSequences, 0);
    EXPECT_EQ(h.NumberOfSamples, 0);
    for (int32_t entry = 0; entry < kEmuAddressEntries; ++entry) {
        EXPECT_EQ(h.PresetAddress[entry], -1);
        EXPECT_EQ(h.VoiceAddress[entry], -1);
        EXPECT_EQ(h.SequenceAddress[entry], -1);
    }
    EXPECT_EQ(h.Type, 5);
    EXPECT_EQ(h.BankSize, 485887);
    EXPECT_EQ(h.ImageNumber, 1);
    EXPECT_EQ(h.RecentSequence, 1);
    EXPECT_EQ(h.NumberOfReqDisks, 1);
    EXPECT_EQ(h.NumberOfImages, 1);
    EXPECT_EQ(h.BackupStatus, 0x80);
}

TEST(BankHeaderTest, DecodesTheTablesAndAreas) {
    EmuImageBuilder image;
    image.Name("Ab-c_d.e!#9z")
        .RecentPreset(42)
        .ParameterAreaSize(26880)
        .SampleArea(27000, 100000)
        .SequenceStart(485000)
        .VoiceEntry(0, 155)
        .VoiceEntry(4, 200)
        .VoiceEntry(7, 156)
        .VoiceSampleFields(1280, 30000, 10)
        .VoiceSampleFields(12800, 40000, 10)
        .VoiceSampleFields(1536, 30000, 99)
        .PresetEntry(0, 0x00, 0x9B)
        .PresetEntry(98, 0x10, 0xFF)
        .SequenceEntry(0, 0xFF, 0xFF)
        .SequenceEntry(5, 0x01, 0x00);
    ReadHeader read(image);
    ASSERT_EQ(read.status.code, 0) << read.status.message;
    const BankBasicDetails& h = *read.header;
    EXPECT_STREQ(h.Name, "Ab c d e #9z");
    EXPECT_EQ(h.RecentPreset, 42);
    EXPECT_EQ(h.VoiceAddress[0], 1280);
    EXPECT_EQ(h.VoiceAddress[4], 12800);
    EXPECT_EQ(h.VoiceAddress[7], 1536);
    EXPECT_EQ(h.VoiceAddress[1], -1);
    EXPECT_EQ(h.NumberOfVoices, 3);
    EXPECT_EQ(h.NumberOfSamples, 2);  // voices 1 and 8 share start 30000
    EXPECT_EQ(h.PresetAddress[0], 1280);
    EXPECT_EQ(h.PresetAddress[98], 26896);
    EXPECT_EQ(h.PresetAddress[99], -1);
    EXPECT_EQ(h.NumberOfPresets, 2);
    EXPECT_EQ(h.SequenceAddress[0], 485887);
    EXPECT_EQ(h.SequenceAddress[5], 420353);
    EXPECT_EQ(h.NumberOfSequences, 2);
    EXPECT_EQ(h.StartSampleAddress, 27000);
    EXPECT_EQ(h.EndSampleAddress, 100000);
    EXPECT_EQ(h.TotalSampleSize, 73000);
    EXPECT_EQ(h.SequenceSize, 887);
}

TEST(BankHeaderTest, SequenceAreaAtTheEndOfTheImageIsEmpty) {
    EmuImageBuilder image;
    image.SequenceStart(485888);
    ReadHeader read(image);
    ASSERT_EQ(read.status.code, 0);
    EXPECT_EQ(read.header->SequenceSize, 0);
}
