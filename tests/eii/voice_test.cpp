#include "eii/voice.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "common/trace.h"
#include "tests/support/console_capture.h"
#include "tests/support/emu_bank_blocks.h"

namespace {

// The voice block lies at 1280 in parameter bytes 0..1535; it plays sample 1 at 4000..4999.
constexpr int32_t kBlockOffset = 1280;
constexpr int32_t kParameterSize = 1536;
constexpr int32_t kSampleStart = 4000;
constexpr int32_t kSampleSize = 1000;
constexpr int32_t kVoiceNumber = 7;
// Slots not written by the reader keep this value of the scratch record.
constexpr int32_t kUntouched = 0x5A5A5A5A;

struct SampleSpan {
    int32_t number;
    int32_t start;
    int32_t size;
};

// A linked sample list built from spans.
class SampleList {
  public:
    explicit SampleList(const std::vector<SampleSpan>& spans) : nodes_(spans.size()) {
        for (size_t index = 0; index < spans.size(); ++index) {
            SampleOverview& node = nodes_[index];
            node.SampleNumber = spans[index].number;
            node.SampleStart = spans[index].start;
            node.SampleSize = spans[index].size;
            node.SampleEnd = spans[index].start + spans[index].size;
            node.SampleRate = 27778;
            node.ValidCode = 99;
            node.next = index + 1 < spans.size() ? &nodes_[index + 1] : nullptr;
        }
    }
    const SampleOverview* head() const { return nodes_.empty() ? nullptr : &nodes_[0]; }

  private:
    std::vector<SampleOverview> nodes_;
};

const SampleList kOneSample({{1, kSampleStart, kSampleSize}});

BankBasicDetails HeaderWithSampleAreaAt(int32_t startSampleAddress) {
    BankBasicDetails header{};
    header.StartSampleAddress = startSampleAddress;
    return header;
}

struct VoiceRead {
    StatusRecord status;
    VoiceOverview voice;
};

VoiceOverview UntouchedVoice() {
    VoiceOverview voice;
    std::memset(&voice, 0x5A, sizeof voice);
    voice.next = nullptr;
    return voice;
}

VoiceRead ReadVoiceAt(const VoiceBlock& block, int32_t offset, int32_t parameterSize,
                      const SampleList& samples = kOneSample, int8_t trace = 0) {
    std::vector<uint8_t> parameters(static_cast<size_t>(parameterSize), 0);
    VoiceBlockBytes bytes = block.Bytes();
    for (int32_t index = 0; index < kTestVoiceBlockSize; ++index) {
        int32_t at = offset + index;
        if (at >= 0 && at < parameterSize)
            parameters[static_cast<size_t>(at)] = bytes[static_cast<size_t>(index)];
    }
    VoiceRead read{InitStatusRecord(), UntouchedVoice()};
    read.status =
        GetEmuIIBankVoiceDetails(trace, kContextNumber, kPassThroughByte, parameters.data(), kVoiceNumber,
                                 offset, &read.voice, samples.head(), HeaderWithSampleAreaAt(parameterSize));
    return read;
}

VoiceRead ReadVoice(const VoiceBlock& block, const SampleList& samples = kOneSample) {
    return ReadVoiceAt(block, kBlockOffset, kParameterSize, samples);
}

VoiceBlock LegalVoice() {
    return VoiceBlock::Playing(kSampleStart, kSampleSize);
}

std::string FailureMessage(int32_t code) {
    return "Voice " + std::to_string(kVoiceNumber) + " contains invalid parameters. Errorcode is " +
           std::to_string(code) + ".";
}

void ExpectCode(const VoiceRead& read, int32_t expected, const std::string& what) {
    SCOPED_TRACE(what);
    EXPECT_EQ(read.voice.VoiceNumber, kVoiceNumber);
    if (expected == 0) {
        EXPECT_EQ(read.voice.ValidCode, 99);
        EXPECT_EQ(read.status.code, 0);
        return;
    }
    EXPECT_EQ(read.voice.ValidCode, expected);
    EXPECT_EQ(read.status.code, 593);
    EXPECT_EQ(read.status.severity, 'E');
    EXPECT_EQ(std::string(read.status.message), FailureMessage(expected));
}

TEST(VoiceDetails, EveryCheckFailsWithItsOwnCode) {
    ExpectCode(ReadVoice(LegalVoice()), 0, "legal voice");
    for (int32_t check = 1; check <= 43; ++check) {
        if (check == 36) continue;  // the binding check: see SampleBinding
        ExpectCode(ReadVoice(LegalVoice().Break(check)), check, "check " + std::to_string(check));
    }
}

TEST(VoiceDetails, FirstFailedCheckInTheFixedOrderWins) {
    struct Case {
        const char* what;
        std::vector<int32_t> breaks;
        std::vector<std::pair<int32_t, uint8_t>> bytes;
        int32_t expected;
    };
    const Case cases[] = {
        {"header before step", {2, 1}, {}, 1},
        {"5 before 20", {20, 5}, {}, 5},
        {"fixed bytes 32..38 before byte 39", {}, {{38, 0x91}, {39, 0x01}}, 7},
        {"byte 39 (22) before byte 37 (8)", {}, {{37, 208}, {147, 208}, {39, 0x01}}, 22},
        {"8 before the byte pairs", {9}, {{37, 208}, {147, 208}}, 8},
        {"12 before 13", {13, 12}, {}, 12},
        {"16 before the code pairs", {17, 16}, {}, 16},
        {"17 before 18", {18, 17}, {}, 17},
        {"20 before 21", {21, 20}, {}, 20},
        {"byte 150 (22) before byte 154 (23)", {23}, {{150, 0x01}}, 22},
        {"byte 154 (23) before 24", {24, 23}, {}, 23},
        {"24 before byte 161 (23)", {24}, {{161, 0x01}}, 24},
        {"29 before byte 171 (22)", {29}, {{171, 0x01}}, 29},
        {"byte 171 (22) before byte 175 (30)", {30}, {{171, 0x01}}, 22},
        {"31 before byte 182 (30)", {31}, {{182, 0x0F}}, 31},
        {"byte 182 (30) before 32", {32}, {{182, 0x0F}}, 30},
        {"33 before 34", {34, 33}, {}, 33},
        {"address (35) before play range", {37, 35}, {}, 35},
        {"play range (37) before loop (39)", {39, 37}, {}, 37},
        {"38 before 40", {40, 38}, {}, 38},
        {"40 before 41", {41, 40}, {}, 40},
        {"41 before 42", {42, 41}, {}, 41},
        {"byte 255 (42) before byte 254 (43)", {}, {{255, 214}, {254, 250}}, 42},
    };
    for (const Case& test : cases) {
        VoiceBlock block = LegalVoice();
        block.overrides = test.bytes;
        for (int32_t check : test.breaks) block.Break(check);
        ExpectCode(ReadVoice(block), test.expected, test.what);
    }
}

TEST(VoiceDetails, HeaderSubcodeNamesTheFirstTestInFixedOrder) {
    struct Case {
        const char* what;
        std::vector<std::pair<int32_t, uint8_t>> bytes;
        int32_t subcode;
    };
    const Case cases[] = {
        {"legal header", {}, 0},
        {"byte 0", {{0, 5}}, 1},
        {"byte 1", {{1, 4}}, 1},
        {"bytes 0 and 22", {{0, 0}, {22, 1}}, 1},
        {"byte 5", {{5, 3}}, 5},
        {"byte 9 and byte 8: 9 is tested first", {{8, 0x50}, {9, 2}}, 9},
        {"byte 8 high nibble 5", {{8, 0x5F}}, 8},
        {"byte 8 high nibble 6, any low nibble", {{8, 0x6F}}, 0},
        {"byte 8 and byte 13", {{8, 0x70}, {13, 1}}, 8},
        {"byte 13", {{13, 1}}, 13},
        {"byte 17", {{17, 2}}, 17},
        {"byte 18 and byte 16: 18 is tested first", {{16, 0x30}, {18, 1}}, 18},
        {"byte 16 high nibble 5", {{16, 0x5C}}, 0},
        {"byte 16 high nibble 7", {{16, 0x70}}, 16},
        {"byte 21 high nibble 2", {{21, 0x2C}}, 0},
        {"byte 21 high nibble 3", {{21, 0x30}}, 21},
        {"byte 21 and byte 22", {{21, 0x10}, {22, 1}}, 21},
        {"byte 25", {{25, 1}}, 22},
        {"bytes 2..4, 6, 7, 10..12, 14, 15, 19, 20 are not examined",
         {{2, 9},
          {3, 9},
          {4, 9},
          {6, 9},
          {7, 9},
          {10, 9},
          {11, 9},
          {12, 9},
          {14, 9},
          {15, 9},
          {19, 9},
          {20, 9}},
         0},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.what);
        VoiceBlock block = LegalVoice();
        block.overrides = test.bytes;
        VoiceBlockBytes bytes = block.Bytes();
        EXPECT_EQ(VoiceHeaderSubcode(bytes.data()), test.subcode);
        ExpectCode(ReadVoice(block), test.subcode == 0 ? 0 : 1, test.what);
    }
}

// Bytes 0..31 step up, bytes 255 down to 224 step down; bytes 32..223 are no step.
TEST(VoiceDetails, StepTable) {
    const int32_t rising[32] = {0,  2,  3,  5,  6,  8,  9,  11, 12, 14, 15, 17, 18, 20, 21, 23,
                                25, 27, 28, 30, 31, 33, 34, 36, 37, 39, 40, 42, 43, 45, 46, 48};
    const int32_t falling[32] = {-2,  -4,  -5,  -7,  -8,  -10, -11, -13, -14, -16, -17,
                                 -19, -20, -22, -23, -25, -27, -29, -30, -32, -33, -35,
                                 -36, -38, -39, -41, -42, -44, -45, -47, -48, -50};
    for (int32_t byte = 0; byte <= 255; ++byte) {
        VoiceBlock block = LegalVoice();
        block.step = static_cast<uint8_t>(byte);
        VoiceRead read = ReadVoice(block);
        bool isStep = byte <= 31 || byte >= 224;
        ExpectCode(read, isStep ? 0 : 2, "step byte " + std::to_string(byte));
        if (!isStep) continue;
        int32_t expected = byte <= 31 ? rising[byte] : falling[255 - byte];
        EXPECT_EQ(read.voice.Param[17], expected) << "step byte " << byte;
    }
}

// Byte 64 decodes to the scale of the band it lies in; 255 is scale 0 and the bands below 135
// fail check 15.
TEST(VoiceDetails, ScaleBands) {
    struct Band {
        int32_t low;
        int32_t high;
        int32_t scale;
    };
    const Band bands[] = {
        {255, 255, 0},   {249, 254, -1},  {244, 248, -3},  {241, 243, -4},  {236, 240, -6},  {232, 235, -7},
        {229, 231, -9},  {226, 228, -10}, {221, 225, -13}, {218, 220, -14}, {212, 217, -16}, {210, 211, -17},
        {205, 209, -19}, {203, 204, -20}, {199, 202, -22}, {192, 198, -23}, {190, 191, -26}, {186, 189, -27},
        {182, 185, -29}, {179, 181, -30}, {175, 178, -32}, {169, 174, -33}, {166, 168, -35}, {160, 165, -36},
        {158, 159, -39}, {154, 157, -40}, {150, 153, -42}, {145, 149, -43}, {142, 144, -45}, {138, 141, -46},
        {135, 137, -48}, {128, 134, 1},   {0, 127, 1},
    };
    for (const Band& band : bands) {
        for (int32_t byte : {band.low, band.high}) {
            VoiceBlock block = LegalVoice();
            block.scale64 = static_cast<uint8_t>(byte);
            block.byte65 = static_cast<uint8_t>(byte);
            VoiceRead read = ReadVoice(block);
            bool fails = band.scale == 1;
            ExpectCode(read, fails ? 15 : 0, "scale byte " + std::to_string(byte));
            if (!fails) {
                EXPECT_EQ(read.voice.Param[43], band.scale) << "scale byte " << byte;
            }
        }
    }
}

// Every entry of the two code tables, as the voice block codes it.
TEST(VoiceDetails, EveryCodePairAndTriple) {
    const std::pair<uint8_t, uint8_t> pairs[32] = {
        {0, 0},  {1, 255}, {1, 127}, {1, 85}, {1, 63}, {1, 51}, {1, 42}, {1, 31}, {1, 25}, {1, 21}, {1, 17},
        {1, 14}, {1, 12},  {1, 9},   {1, 8},  {1, 6},  {1, 5},  {1, 4},  {1, 3},  {2, 5},  {1, 2},  {2, 3},
        {3, 4},  {1, 1},   {4, 3},   {3, 2},  {2, 1},  {5, 2},  {3, 1},  {4, 1},  {5, 1},  {6, 1}};
    const std::pair<uint8_t, uint8_t> triples[32] = {
        {1, 1},   {1, 129}, {1, 171}, {1, 193}, {1, 205}, {1, 214}, {1, 225}, {1, 231},
        {1, 235}, {1, 239}, {1, 242}, {1, 244}, {1, 247}, {1, 248}, {1, 250}, {1, 251},
        {1, 252}, {1, 253}, {2, 251}, {1, 254}, {2, 253}, {3, 252}, {1, 255}, {4, 253},
        {3, 254}, {2, 255}, {5, 254}, {3, 255}, {4, 255}, {5, 255}, {6, 255}, {255, 0}};
    for (int32_t index = 1; index <= 32; ++index) {
        const auto& [a, b] = pairs[index - 1];
        const auto& [t, u] = triples[index - 1];
        VoiceBlock block = LegalVoice();
        block.Override(112, a).Override(128, b);
        for (int32_t offset : {144, 158, 165, 179})
            block.Override(offset, t).Override(offset + 1, t).Override(offset + 2, u);
        VoiceRead read = ReadVoice(block);
        ExpectCode(read, 0, "code index " + std::to_string(index));
        for (int32_t slot : {0, 7, 9, 2, 4}) EXPECT_EQ(read.voice.Param[slot], index) << "slot " << slot;
    }
}

TEST(VoiceDetails, CodePairTableAtItsEdges) {
    struct Case {
        int32_t first;  // 80 or 112: the group whose pair 0 is set
        uint8_t a;
        uint8_t b;
        int32_t code;
        int32_t slot;
        int32_t index;
    };
    const Case cases[] = {
        {80, 0, 0, 0, 5, 1},  {80, 1, 255, 0, 5, 2}, {80, 2, 5, 0, 5, 20},  {80, 1, 1, 0, 5, 24},
        {80, 6, 1, 0, 5, 32}, {80, 0, 1, 17, 0, 0},  {80, 6, 2, 17, 0, 0},  {80, 255, 0, 17, 0, 0},
        {112, 0, 0, 0, 0, 1}, {112, 6, 1, 0, 0, 32}, {112, 1, 0, 18, 0, 0}, {112, 7, 1, 18, 0, 0},
    };
    for (const Case& test : cases) {
        std::string what = "pair (" + std::to_string(test.a) + ", " + std::to_string(test.b) + ") at " +
                           std::to_string(test.first);
        VoiceBlock block = LegalVoice();
        block.Override(test.first, test.a).Override(test.first + 16, test.b);
        VoiceRead read = ReadVoice(block);
        ExpectCode(read, test.code, what);
        if (test.code == 0) {
            EXPECT_EQ(read.voice.Param[test.slot], test.index) << what;
            EXPECT_EQ(read.voice.Param[test.slot + 1], 0) << what;
        }
    }
}

TEST(VoiceDetails, OnlyPairZeroIsDecodedButEveryPairIsChecked) {
    VoiceBlock block = LegalVoice();
    block.pairCodes80[0] = 32;
    block.Override(95, 7).Override(111, 7);  // pair 15 of the first group
    VoiceRead read = ReadVoice(block);
    ExpectCode(read, 17, "pair 15 unknown");
    EXPECT_EQ(read.voice.Param[5], 32);
    EXPECT_EQ(read.voice.Param[0], kUntouched);
}

TEST(VoiceDetails, CodeTripleTableAtItsEdges) {
    struct Case {
        int32_t offset;
        std::array<uint8_t, 3> bytes;
        int32_t code;
        int32_t slot;
        int32_t index;
    };
    const Case cases[] = {
        {144, {1, 1, 1}, 0, 7, 1},    {144, {1, 1, 129}, 0, 7, 2},    {144, {2, 2, 251}, 0, 7, 19},
        {144, {6, 6, 255}, 0, 7, 31}, {144, {255, 255, 0}, 0, 7, 32}, {144, {1, 2, 1}, 19, 0, 0},
        {144, {1, 1, 0}, 19, 0, 0},   {144, {255, 255, 1}, 19, 0, 0}, {158, {3, 3, 252}, 0, 9, 22},
        {158, {2, 1, 251}, 24, 0, 0}, {165, {5, 5, 254}, 0, 2, 27},   {165, {0, 0, 0}, 26, 0, 0},
        {179, {1, 1, 255}, 0, 4, 23}, {179, {4, 4, 254}, 31, 0, 0},
    };
    for (const Case& test : cases) {
        std::string what =
            "triple at " + std::to_string(test.offset) + " index " + std::to_string(test.index);
        VoiceBlock block = LegalVoice();
        for (int32_t index = 0; index < 3; ++index) block.Override(test.offset + index, test.bytes[index]);
        VoiceRead read = ReadVoice(block);
        ExpectCode(read, test.code, what);
        if (test.code == 0) {
            EXPECT_EQ(read.voice.Param[test.slot], test.index) << what;
        }
    }
}

TEST(VoiceDetails, SlotsOfAValidVoice) {
    VoiceBlock block = LegalVoice();
    block.byte27 = 0xA5;
    block.byte28 = 199;
    block.byte29 = 113;
    block.byte30 = 0xF0;
    block.byte31 = 0x30;
    block.bytePairValues = {15, 0, 7};
    block.byte46 = 99;
    block.byte47 = 0xAA;
    block.byte37 = 207;
    block.byte48 = 255;
    block.byte49 = 240;
    block.scale64 = 135;
    block.byte65 = 120;
    block.byte169 = 0xFF;
    block.name = "PIANO LOW 01";
    block.flags = 0x3D;
    block.LoopOn(kSampleStart + 100, 200);
    block.playStart = kSampleStart + 10;
    block.playLength = 900;
    block.byte254 = 0;
    block.byte255 = 14;
    VoiceRead read = ReadVoice(block);
    ExpectCode(read, 0, "valid voice");
    EXPECT_STREQ(read.voice.VoiceName, "PIANO LOW 01");
    EXPECT_EQ(read.voice.LoopInfoCode, 99);

    const std::pair<int32_t, int32_t> slots[] = {
        {0, 1},           {1, 0},           {2, 1},      {3, 32},   {4, 1},    {5, 1},    {6, 0},
        {7, 1},           {8, 0},           {9, 1},      {10, 99},  {11, 99},  {12, 15},  {13, 7},
        {14, 0},          {15, 15},         {16, 0},     {17, 0},   {18, 0},   {19, 10},  {20, 5},
        {21, 15},         {22, 15},         {23, 0},     {24, -14}, {25, 0},   {26, 0},   {27, 1},
        {28, 0},          {29, 1},          {30, 0},     {31, 1},   {32, 0},   {33, 0},   {34, 0},
        {35, 120},        {36, 0},          {37, -51},   {38, 1},   {39, 0},   {40, 3},   {41, 0},
        {42, 0},          {43, -48},        {44, 0},     {45, 1},   {46, 0},   {47, 0},   {48, 1},
        {49, kUntouched}, {50, 4010},       {51, 4910},  {52, 100}, {53, 200}, {54, 100}, {55, 200},
        {56, kUntouched}, {57, kUntouched}, {58, 27778}, {59, 1},   {60, 1},   {61, 1},   {62, 1},
        {63, 1},          {64, 0},          {65, 0},
    };
    for (const auto& [slot, value] : slots) EXPECT_EQ(read.voice.Param[slot], value) << "slot " << slot;
}

TEST(VoiceDetails, SingleByteRangesAtTheirEdges) {
    struct Case {
        std::vector<std::pair<int32_t, uint8_t>> bytes;
        int32_t code;
        int32_t slot;
        int32_t value;
    };
    const Case cases[] = {
        {{{28, 199}}, 0, 11, 99},
        {{{28, 200}}, 3, 0, 0},
        {{{29, 15}}, 0, 10, 1},
        {{{29, 113}}, 0, 10, 99},
        {{{29, 14}}, 4, 0, 0},
        {{{29, 114}}, 4, 0, 0},
        {{{30, 0x08}}, 5, 0, 0},
        {{{31, 0xF1}}, 6, 0, 0},
        {{{37, 0}, {147, 0}}, 0, 37, -1},
        {{{37, 207}, {147, 207}}, 0, 37, 50},
        {{{37, 3}, {147, 3}, {47, 0x80}}, 0, 37, 0},
        {{{37, 207}, {147, 207}, {47, 0x80}}, 0, 37, -51},
        {{{37, 208}, {147, 208}}, 8, 0, 0},
        {{{40, 112}, {41, 0}}, 0, 15, 0},
        {{{40, 3}, {41, 29}}, 0, 15, 7},
        {{{40, 111}, {41, 0}}, 9, 0, 0},
        {{{42, 0}, {43, 32}}, 10, 0, 0},
        {{{44, 15}, {45, 28}}, 0, 13, 15},
        {{{44, 0}, {45, 32}}, 11, 0, 0},
        {{{46, 99}}, 0, 8, 0},
        {{{46, 0}}, 0, 8, 1},
        {{{46, 31}}, 0, 8, 32},
        {{{46, 32}}, 12, 0, 0},
        {{{46, 100}}, 12, 0, 0},
        {{{48, 14}, {49, 14}}, 0, 35, 0},
        {{{48, 13}, {49, 13}}, 13, 0, 0},
        {{{48, 29}, {49, 14}}, 0, 22, 15},
        {{{48, 30}, {49, 14}}, 14, 0, 0},
        {{{64, 255}, {65, 240}}, 0, 21, 15},
        {{{64, 254}, {65, 255}}, 16, 0, 0},
        {{{168, 0xFE}}, 27, 0, 0},
        {{{169, 0x0F}, {175, 0x0F}, {182, 0x0F}}, 0, 3, 2},
        {{{169, 0x0B}, {175, 0x0B}, {182, 0x0B}}, 28, 0, 0},
        {{{198, 0x80}}, 34, 0, 0},
        {{{198, 0x02}}, 0, 59, 0},
        {{{217, 1}}, 41, 0, 0},
        {{{239, 1}}, 41, 0, 0},
        {{{240, 9}, {253, 9}}, 0, 36, 0},
        {{{255, 213}, {254, 213}}, 0, 36, 99},
        {{{255, 214}, {254, 214}}, 42, 0, 0},
        {{{255, 13}, {254, 13}}, 42, 0, 0},
        {{{255, 14}, {254, 29}}, 0, 24, 15},
        {{{255, 30}, {254, 15}}, 0, 24, -15},
        {{{255, 14}, {254, 30}}, 43, 0, 0},
        {{{255, 31}, {254, 15}}, 43, 0, 0},
    };
    for (const Case& test : cases) {
        std::string what =
            "byte " + std::to_string(test.bytes[0].first) + " = " + std::to_string(test.bytes[0].second);
        VoiceBlock block = LegalVoice();
        block.overrides = test.bytes;
        VoiceRead read = ReadVoice(block);
        ExpectCode(read, test.code, what);
        if (test.code == 0) {
            EXPECT_EQ(read.voice.Param[test.slot], test.value) << what;
        }
    }
}

TEST(VoiceDetails, NameOfSevenBitCharacters) {
    struct Case {
        std::vector<std::pair<int32_t, uint8_t>> bytes;
        int32_t code;
        std::string name;
    };
    const Case cases[] = {
        {{}, 0, "VOICE       "},
        {{{186, 0x01}, {197, 0x7F}}, 0, "\x01OICE      \x7F"},
        {{{190, 0x80}}, 33, ""},
        {{{197, 0xFF}}, 33, ""},
    };
    for (const Case& test : cases) {
        VoiceBlock block = LegalVoice();
        block.overrides = test.bytes;
        VoiceRead read = ReadVoice(block);
        ExpectCode(read, test.code, "name " + test.name);
        EXPECT_EQ(std::string(read.voice.VoiceName), test.name);
    }
}

TEST(VoiceDetails, SampleBinding) {
    const SampleList samples({{1, 4000, 1000}, {2, 9000, 500}, {3, 0, 10}});
    struct Case {
        const char* what;
        int32_t start;
        int32_t size;
        int32_t code;
        int32_t sampleNumber;
    };
    const Case cases[] = {
        {"first sample", 4000, 1000, 0, 1},
        {"second sample", 9000, 500, 0, 2},
        {"raw address 38400 is offset 0", 0, 10, 0, 3},
        {"same start, shorter", 9000, 400, 36, 0},
        {"start of no sample", 7000, 10, 36, 0},
        {"raw address below 38400", -1, 10, 35, 0},
        {"start past the image", 485888, 0, 35, 0},
        {"size above the room after the sample area start", 4000, 485887 - kParameterSize + 1, 35, 0},
    };
    for (const Case& test : cases) {
        VoiceRead read = ReadVoice(VoiceBlock::Playing(test.start, test.size), samples);
        ExpectCode(read, test.code, test.what);
        if (test.code == 0) {
            EXPECT_EQ(read.voice.Param[45], test.sampleNumber) << test.what;
            EXPECT_EQ(read.voice.Param[48], test.sampleNumber) << test.what;
        }
    }
}

TEST(VoiceDetails, PlayRangeRules) {
    struct Case {
        const char* what;
        int32_t start;
        int32_t length;
        int32_t code;
        int32_t end;
        int32_t differs;
    };
    const Case cases[] = {
        {"whole sample", 4000, 1000, 0, 5000, 0},          {"inside", 4100, 100, 0, 4200, 1},
        {"to the end from later", 4500, 500, 0, 5000, 1},  {"empty at the end", 5000, 0, 0, 5000, 1},
        {"shorter from the start", 4000, 999, 0, 4999, 1}, {"before the sample", 3999, 10, 37, 0, 0},
        {"after the sample", 5001, 0, 37, 0, 0},           {"negative address", -38400, 0, 37, 0, 0},
        {"runs past the end", 4500, 501, 38, 0, 0},
    };
    for (const Case& test : cases) {
        VoiceBlock block = LegalVoice();
        block.playStart = test.start;
        block.playLength = test.length;
        VoiceRead read = ReadVoice(block);
        ExpectCode(read, test.code, test.what);
        if (test.code != 0) continue;
        EXPECT_EQ(read.voice.Param[50], test.start) << test.what;
        EXPECT_EQ(read.voice.Param[51], test.end) << test.what;
        EXPECT_EQ(read.voice.Param[63], test.differs) << test.what;
    }
}

TEST(VoiceDetails, LoopRulesWithLoopOnAndOff) {
    struct Case {
        const char* what;
        bool loopOn;
        int32_t start;
        int32_t length;
        int32_t code;
        int32_t relativeStart;
        int32_t storedLength;
    };
    const Case cases[] = {
        {"inside, on", true, 4100, 200, 0, 100, 200},
        {"inside, off", false, 4100, 200, 0, 100, 200},
        {"whole sample, on", true, 4000, 1000, 0, 0, 1000},
        {"empty at the end, on", true, 5000, 0, 0, 1000, 0},
        {"start before the sample, on", true, 3999, 100, 39, 0, 0},
        {"start before the sample, off", false, 3999, 100, 0, 4, 100},
        {"start after the sample, on", true, 5001, 0, 39, 0, 0},
        {"start after the sample, off", false, 5001, 0, 0, 4, 0},
        {"negative start, off", false, -38400, 10, 0, 4, 10},
        {"length past the end, on", true, 4900, 101, 40, 0, 0},
        {"length past the end, off", false, 4900, 101, 0, 900, 96},
        {"both outside, off", false, 6000, 2000, 0, 4, 992},
    };
    for (const Case& test : cases) {
        VoiceBlock block = LegalVoice();
        block.flags = test.loopOn ? 0x04 : 0x00;
        block.loopStart = test.start;
        block.loopLength = test.length;
        VoiceRead read = ReadVoice(block);
        ExpectCode(read, test.code, test.what);
        if (test.code != 0) {
            EXPECT_EQ(read.voice.LoopInfoCode, 0) << test.what;
            continue;
        }
        EXPECT_EQ(read.voice.Param[59], test.loopOn ? 1 : 0) << test.what;
        EXPECT_EQ(read.voice.Param[52], test.relativeStart) << test.what;
        EXPECT_EQ(read.voice.Param[54], test.relativeStart) << test.what;
        EXPECT_EQ(read.voice.Param[53], test.storedLength) << test.what;
        EXPECT_EQ(read.voice.Param[55], test.storedLength) << test.what;
        EXPECT_EQ(read.voice.LoopInfoCode, 99) << test.what;
    }
}

TEST(VoiceDetails, FailedVoiceKeepsEarlierSlotsAndLeavesLaterOnes) {
    struct Case {
        int32_t check;
        std::vector<std::pair<int32_t, int32_t>> slots;
    };
    const Case cases[] = {
        // Check 5 at byte 30: slot 10 (byte 29) is decoded, slot 12 (byte 30) and later are not.
        {5, {{17, 0}, {11, 0}, {10, 1}, {12, kUntouched}, {40, kUntouched}, {43, kUntouched}}},
        // Check 41: everything up to the loop is decoded; the zero slots of a valid voice are not.
        {41,
         {{50, 4000},
          {51, 5000},
          {52, 0},
          {53, 1000},
          {58, 27778},
          {36, kUntouched},
          {24, kUntouched},
          {33, kUntouched},
          {47, kUntouched}}},
        // Check 38: the sample is bound, the play range is not stored.
        {38, {{45, 1}, {63, 0}, {50, kUntouched}, {52, kUntouched}}},
    };
    for (const Case& test : cases) {
        VoiceRead read = ReadVoice(LegalVoice().Break(test.check));
        ExpectCode(read, test.check, "check " + std::to_string(test.check));
        for (const auto& [slot, value] : test.slots)
            EXPECT_EQ(read.voice.Param[slot], value) << "check " << test.check << " slot " << slot;
    }
}

// A voice block that does not lie wholly inside the parameter bytes is not read (code 44).
TEST(VoiceDetails, BlockOutsideTheParameterBytesIsNotRead) {
    struct Case {
        int32_t offset;
        int32_t parameterSize;
        int32_t code;
    };
    const Case cases[] = {
        {1280, 1536, 0},   {1281, 1536, 44}, {1536, 1536, 44},
        {26880, 1536, 44}, {-256, 1536, 44}, {1280, 1535, 44},
    };
    for (const Case& test : cases) {
        std::string what =
            "block at " + std::to_string(test.offset) + " of " + std::to_string(test.parameterSize);
        VoiceRead read = ReadVoiceAt(LegalVoice(), test.offset, test.parameterSize);
        ExpectCode(read, test.code, what);
        if (test.code == 0) continue;
        EXPECT_STREQ(read.voice.VoiceName, "") << what;
        EXPECT_EQ(read.voice.Param[0], kUntouched) << what;
        EXPECT_EQ(read.voice.Param[50], kUntouched) << what;
    }
}

TEST(VoiceDetails, TraceLines) {
    struct Case {
        int8_t trace;
        VoiceBlock block;
        std::vector<std::string> lines;  // in order, each a whole line
        bool whole;                      // the lines are the whole output
    };
    const Case cases[] = {
        {0, LegalVoice(), {}, true},
        {1, LegalVoice(), {"--GetEmuIIBankVoiceDetails--", "--END: GetEmuIIBankVoiceDetails--"}, true},
        {1,
         LegalVoice().Break(9),
         {"--GetEmuIIBankVoiceDetails--", "--END: GetEmuIIBankVoiceDetails--"},
         true},
        {3,
         LegalVoice().BreakHeader(9),
         {"--GetEmuIIBankVoiceDetails--", "PARAMETER DATA FOR VOICE 7:",
          "4 3 0 0 0 2 0 0 40 2 0 0 0 0 0 0 40 1 0 0 0 0 0 0 0 0 0 0 0 F 0 0 0 FF A5 0 0 0 90 0 0 1C 0 1C 0 "
          "1C 0 0 E E",
          "Validation subcode for initial 26 bytes: 9", "Voice 7 () parameters: validcode = 1",
          "--END: GetEmuIIBankVoiceDetails--"},
         false},
        {3,
         LegalVoice(),
         {"Validation subcode for initial 26 bytes: 0", "Voice 7 (VOICE       ) parameters: validcode = 99",
          "--END: GetEmuIIBankVoiceDetails--"},
         false},
    };
    for (const Case& test : cases) {
        StartConsoleCapture();
        ReadVoiceAt(test.block, kBlockOffset, kParameterSize, kOneSample, test.trace);
        std::string output = StopConsoleCapture();
        if (test.whole) {
            std::string expected;
            for (const std::string& line : test.lines) expected += line + "\n";
            EXPECT_EQ(output, expected) << "trace " << int{test.trace};
            continue;
        }
        size_t from = 0;
        for (const std::string& line : test.lines) {
            size_t found = output.find(line, from);
            ASSERT_NE(found, std::string::npos) << line << "\nin\n" << output;
            from = found + line.size();
        }
    }
}

}  // namespace
