#include "eii/preset.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "common/trace.h"
#include "tests/support/console_capture.h"
#include "tests/support/emu_bank_blocks.h"

namespace {

constexpr int32_t kPresetOffset = 1280;
constexpr int32_t kPresetNumber = 4;
constexpr int32_t kUntouched = 0x5A5A5A5A;
constexpr int32_t kNone = 255;

// The bank's voice list: voice numbers with their ValidCode.
class VoiceList {
  public:
    VoiceList(std::initializer_list<std::pair<int32_t, int8_t>> voices) : nodes_(voices.size()) {
        size_t index = 0;
        for (const auto& [number, validCode] : voices) {
            VoiceOverview& node = nodes_[index];
            std::memset(&node, 0, sizeof node);
            node.VoiceNumber = number;
            std::snprintf(node.VoiceName, sizeof node.VoiceName, "VOICE %d", number);
            node.ValidCode = validCode;
            node.Param[45] = number + 100;
            node.next = index + 1 < nodes_.size() ? &nodes_[index + 1] : nullptr;
            ++index;
        }
    }
    const VoiceOverview* head() const { return nodes_.empty() ? nullptr : &nodes_[0]; }

  private:
    std::vector<VoiceOverview> nodes_;
};

const VoiceList kVoices1To9{{1, 99}, {2, 99}, {3, 99}, {4, 99}, {5, 99}, {6, 99}, {7, 99}, {8, 99}, {9, 99}};

// A Preset that the reader fills, released with its lists when the test is done.
struct PresetRead {
    StatusRecord status = InitStatusRecord();
    Preset preset;
    PresetRead() {
        std::memset(&preset, 0x5A, sizeof preset);
        InitPreset(0, kContextNumber, kPassThroughByte, &preset);
    }
    ~PresetRead() { FreeBankPresetMem(0, kContextNumber, kPassThroughByte, &preset); }
    PresetRead(const PresetRead&) = delete;
    PresetRead& operator=(const PresetRead&) = delete;
};

// Reads the block placed at `offset` of parameter bytes that end `slack` bytes after it.
void ReadPresetInto(PresetRead* read, const PresetBlock& block, const VoiceList& voices = kVoices1To9,
                    int32_t slack = 16, int32_t offset = kPresetOffset, int8_t trace = 0) {
    std::vector<uint8_t> bytes = block.Bytes();
    int32_t parameterSize = kPresetOffset + static_cast<int32_t>(bytes.size()) + slack;
    std::vector<uint8_t> parameters(static_cast<size_t>(parameterSize), 0);
    for (size_t index = 0; index < bytes.size(); ++index) {
        size_t at = static_cast<size_t>(kPresetOffset) + index;
        if (at < parameters.size()) parameters[at] = bytes[index];
    }
    read->status =
        GetEmuIIBankPresetDetails(trace, kContextNumber, kPassThroughByte, parameters.data(), parameterSize,
                                  kPresetNumber, offset, &read->preset, voices.head());
}

std::unique_ptr<PresetRead> ReadPreset(const PresetBlock& block, const VoiceList& voices = kVoices1To9) {
    auto read = std::make_unique<PresetRead>();
    ReadPresetInto(read.get(), block, voices);
    return read;
}

void ExpectCode(const PresetRead& read, int32_t expected, const std::string& what) {
    SCOPED_TRACE(what);
    EXPECT_EQ(read.preset.PresetNumber, kPresetNumber);
    if (expected == 0) {
        EXPECT_EQ(read.status.code, 0);
        EXPECT_EQ(read.preset.ValidCode, 99);
        return;
    }
    EXPECT_EQ(read.preset.ValidCode, expected);
    EXPECT_EQ(read.status.code, 592);
    EXPECT_EQ(read.status.severity, 'E');
    EXPECT_EQ(std::string(read.status.message),
              "Preset 4 contains invalid parameters. Errorcode is " + std::to_string(expected) + ".");
}

struct ExpectedArea {
    int32_t status;
    std::array<int32_t, 15> data;
};

void ExpectAreas(const Preset& preset, const std::vector<ExpectedArea>& expected, const std::string& what) {
    SCOPED_TRACE(what);
    const KeyArea* area = preset.KeyAreas;
    for (size_t index = 0; index < expected.size(); ++index, area = area->next) {
        ASSERT_NE(area, nullptr) << "key area " << index << " is missing";
        EXPECT_EQ(area->KeyAreaNumber, static_cast<int32_t>(index));
        EXPECT_EQ(area->KeyAreaIndex, static_cast<int32_t>(index));
        EXPECT_EQ(area->KeyAreaStatus, expected[index].status) << "key area " << index;
        for (int32_t entry = 0; entry < 15; ++entry)
            EXPECT_EQ(area->KeyAreaData[entry], expected[index].data[entry])
                << "key area " << index << " entry " << entry;
    }
    EXPECT_EQ(area, nullptr) << "more key areas than expected";
}

// The key map as runs of keys (first, last, key area); every other key is 255.
std::array<int32_t, 88> KeyMap(const std::vector<std::array<int32_t, 3>>& runs) {
    std::array<int32_t, 88> map;
    map.fill(kNone);
    for (const auto& run : runs)
        for (int32_t key = run[0]; key <= run[1] && key < 88; ++key) map[static_cast<size_t>(key)] = run[2];
    return map;
}

void ExpectKeyMap(const Preset& preset, const std::array<int32_t, 88>& map, const std::string& what) {
    for (int32_t key = 0; key < 88; ++key)
        EXPECT_EQ(preset.Param[44 + key], map[static_cast<size_t>(key)]) << what << ": key " << key;
}

PresetBlock WithRecords(std::vector<KeyAreaRecord> records) {
    PresetBlock block;
    block.records = std::move(records);
    return block;
}

KeyAreaRecord WithKeyByte(KeyAreaRecord record, uint8_t firstKeyByte, uint8_t secondKeyByte) {
    record.firstKeyByte = firstKeyByte;
    record.secondKeyByte = secondKeyByte;
    return record;
}

KeyAreaRecord WithNibbles(KeyAreaRecord record, uint8_t firstNibbles, uint8_t secondNibbles) {
    record.firstNibbles = firstNibbles;
    record.secondNibbles = secondNibbles;
    return record;
}

TEST(PresetDetails, HeaderChecksInOffsetOrder) {
    struct Case {
        std::vector<int32_t> breaks;
        int32_t expected;
    };
    const Case cases[] = {{{}, 0},     {{2}, 2},    {{3}, 3},    {{4}, 4},    {{5}, 5},    {{6}, 6},
                          {{7}, 7},    {{8}, 8},    {{9}, 9},    {{3, 2}, 2}, {{4, 3}, 3}, {{9, 4}, 4},
                          {{6, 5}, 5}, {{7, 6}, 6}, {{8, 7}, 7}, {{9, 8}, 8}, {{10, 9}, 9}};
    for (const Case& test : cases) {
        PresetBlock block = WithRecords({KeyAreaRecord::First(5, 1)});
        for (int32_t check : test.breaks) block.Break(check);
        auto read = ReadPreset(block);
        std::string what = "breaks";
        for (int32_t check : test.breaks) what += " " + std::to_string(check);
        ExpectCode(*read, test.expected, what);
        EXPECT_STREQ(read->preset.PresetName, test.expected == 0 || test.expected > 3 ? "PRESET      " : "")
            << what;
        if (test.expected != 0) {
            EXPECT_EQ(read->preset.KeyAreas, nullptr) << what;
        }
    }
}

TEST(PresetDetails, ScalarSlots) {
    struct Case {
        const char* what;
        std::vector<std::pair<int32_t, uint8_t>> bytes;
        int32_t code;
        std::vector<std::pair<int32_t, int32_t>> slots;
    };
    const Case cases[] = {
        {"bytes 2..9, the first six slots at most 7",
         {{2, 0}, {3, 7}, {4, 8}, {5, 255}, {6, 3}, {7, 9}, {8, 200}, {9, 201}},
         0,
         {{0, 0}, {1, 7}, {3, 7}, {4, 7}, {5, 3}, {2, 7}, {6, 200}, {7, 201}}},
        {"bytes 25..30 minus one",
         {{25, 0}, {26, 1}, {27, 2}, {28, 3}, {29, 4}, {30, 255}},
         0,
         {{17, -1}, {18, 0}, {20, 1}, {21, 2}, {22, 3}, {10, 254}, {19, 0}}},
        {"fixed slots",
         {},
         0,
         {{11, 1}, {15, 1}, {19, 0}, {25, 0}, {26, 0}, {27, 1}, {29, 0}, {33, 0}, {36, 0}, {37, 0}}},
        {"byte 23 = 15", {{23, 15}}, 0, {{8, 16}}},
        {"byte 23 = 0", {{23, 0}}, 0, {{8, 1}}},
        {"byte 24 = 0", {{24, 0x00}}, 0, {{9, 0}, {12, 1}, {13, 1}, {14, 0}, {16, 2}}},
        {"byte 24 = 63", {{24, 0x3F}}, 0, {{9, 1}, {12, 0}, {13, 0}, {14, 1}, {16, 1}}},
        {"byte 24 bit 0", {{24, 0x01}}, 0, {{16, 0}}},
        {"byte 24 bits 0, 1", {{24, 0x03}}, 0, {{16, 1}}},
        {"byte 24 bit 1", {{24, 0x02}}, 0, {{16, 2}}},
        {"byte 24 bit 3", {{24, 0x08}}, 0, {{9, 1}, {14, 1}, {12, 1}, {13, 1}}},
        {"byte 32 = 0", {{32, 0}}, 0, {{24, 0}, {30, 0}}},
        {"byte 32 = 1", {{32, 1}}, 0, {{24, 1}, {30, 0}}},
        {"byte 32 = 2", {{32, 2}}, 0, {{24, 1}, {30, 1}}},
        {"byte 32 = 3", {{32, 3}}, 0, {{24, 1}, {30, 2}}},
        {"byte 32 = 4", {{32, 4}}, 0, {{24, 1}, {30, 5}}},
        {"byte 32 = 5", {{32, 5}}, 0, {{24, 1}, {30, 3}}},
        {"byte 33 = 2", {{33, 2}}, 0, {{32, 2}, {31, 12}}},
        {"byte 35 = 0", {{35, 0}}, 0, {{23, 4000}}},
        {"byte 35 = 80", {{35, 80}}, 0, {{23, 12000}}},
        {"byte 35 = 81", {{35, 81}}, 0, {{23, 12200}}},
        {"byte 35 = 101", {{35, 101}}, 0, {{23, 16200}}},
        {"byte 35 = 102", {{35, 102}}, 0, {{23, 16500}}},
        {"byte 35 = 127", {{35, 127}}, 0, {{23, 24000}}},
        {"byte 35 = 128", {{35, 128}}, 8, {{28, kUntouched}, {25, kUntouched}}},
        {"byte 36 = 7", {{36, 7}}, 0, {{28, 8}}},
        {"byte 36 = 0", {{36, 0}}, 0, {{28, 1}}},
        {"byte 10 = 0x80 with other bits", {{10, 0xFF}}, 0, {}},
        {"byte 10 = 0x7F", {{10, 0x7F}}, 2, {{0, 0}, {8, kUntouched}}},
        {"byte 23 = 16", {{23, 16}}, 4, {{8, kUntouched}}},
        {"byte 24 = 64", {{24, 64}}, 5, {{9, kUntouched}}},
        {"byte 32 = 6", {{32, 6}}, 6, {{24, kUntouched}, {17, 0}}},
        {"byte 33 = 3", {{33, 3}}, 7, {{32, kUntouched}, {30, 0}}},
        {"byte 36 = 8", {{36, 8}}, 9, {{23, 4000}, {28, kUntouched}}},
    };
    for (const Case& test : cases) {
        PresetBlock block = WithRecords({KeyAreaRecord::First(5, 1)});
        block.overrides = test.bytes;
        auto read = ReadPreset(block);
        ExpectCode(*read, test.code, test.what);
        for (const auto& [slot, value] : test.slots)
            EXPECT_EQ(read->preset.Param[slot], value) << test.what << ": slot " << slot;
    }
}

TEST(PresetDetails, KeyAreaScanAndMerge) {
    struct Case {
        const char* what;
        PresetBlock block;
        int32_t code;
        std::vector<ExpectedArea> areas;
        int32_t voicesUsed;  // slot 42
    };
    const Case cases[] = {
        {"a leading type 00 record makes no key area: no voice is current yet",
         WithRecords({KeyAreaRecord::Keep(5), KeyAreaRecord::First(3, 1)}),
         0,
         {{99, {20, 22, 0, 0, 0, 1, kNone, 0, 20, 7, 0, 1, 15, 7, 0}}},
         1},
        {"type 10 with voice 0 after type 11 clears the first voice and keeps the second",
         WithRecords({WithNibbles(WithKeyByte(KeyAreaRecord::Both(4, 1, 2, 0x60), 10, 20), 0x35, 0x92),
                      KeyAreaRecord::First(3, 0, 0x60)}),
         0,
         {{99, {15, 18, 0, 0, 0, 1, 2, 1, 21, 3, 5, 1, 11, 9, 2}},
          {99, {19, 21, 0, 0, 0, kNone, 2, 1, 19, 7, 0, 1, 11, 9, 2}}},
         2},
        {"a type 00 record keeps the voices: the runs merge",
         WithRecords({KeyAreaRecord::First(3, 1), KeyAreaRecord::Keep(4)}),
         0,
         {{99, {15, 21, 0, 0, 0, 1, kNone, 0, 15, 7, 0, 1, 15, 7, 0}}},
         1},
        {"the same voice and key: the runs merge",
         WithRecords({KeyAreaRecord::First(3, 1), WithKeyByte(KeyAreaRecord::First(4, 1), 19, 16)}),
         0,
         {{99, {15, 21, 0, 0, 0, 1, kNone, 0, 15, 7, 0, 1, 15, 7, 0}}},
         1},
        {"the same key byte gives another key: no merge",
         WithRecords({KeyAreaRecord::First(3, 1), KeyAreaRecord::First(4, 1)}),
         0,
         {{99, {15, 17, 0, 0, 0, 1, kNone, 0, 15, 7, 0, 1, 15, 7, 0}},
          {99, {18, 21, 0, 0, 0, 1, kNone, 0, 18, 7, 0, 1, 15, 7, 0}}},
         1},
        {"a record naming no voice between equal runs keeps them apart",
         WithRecords({KeyAreaRecord::First(2, 1), KeyAreaRecord::First(3, 0),
                      WithKeyByte(KeyAreaRecord::First(2, 1), 21, 16)}),
         0,
         {{99, {15, 16, 0, 0, 0, 1, kNone, 0, 15, 7, 0, 1, 15, 7, 0}},
          {99, {20, 21, 0, 0, 0, 1, kNone, 0, 15, 7, 0, 1, 15, 7, 0}}},
         1},
        {"entry 8 differs without a first voice: the runs still merge",
         WithRecords({KeyAreaRecord::Both(2, 0, 5), WithKeyByte(KeyAreaRecord::Both(3, 0, 5), 16, 18)}),
         0,
         {{99, {15, 19, 0, 0, 0, kNone, 5, 1, 15, 7, 0, 0, 15, 7, 0}}},
         1},
        {"a different flag keeps neighbours apart",
         WithRecords({KeyAreaRecord::First(2, 1), KeyAreaRecord::Keep(2, 0x20)}),
         0,
         {{99, {15, 16, 0, 0, 0, 1, kNone, 0, 15, 7, 0, 1, 15, 7, 0}},
          {99, {17, 18, 0, 0, 0, 1, kNone, 1, 15, 7, 0, 1, 15, 7, 0}}},
         1},
        {"mode bits: one bit with bit 4, no bit with bit 4",
         WithRecords(
             {KeyAreaRecord::First(2, 1, 0x12), KeyAreaRecord::Keep(2, 0x04), KeyAreaRecord::Keep(2, 0x10)}),
         0,
         {{99, {15, 16, 0, 1, 2, 1, kNone, 0, 15, 7, 0, 1, 15, 7, 0}},
          {99, {17, 18, 0, 0, 3, 1, kNone, 0, 15, 7, 0, 1, 15, 7, 0}},
          {99, {19, 20, 0, 0, 0, 1, kNone, 0, 15, 7, 0, 1, 15, 7, 0}}},
         1},
        {"a type 01 record sets the second voice and carries the first",
         WithRecords({WithNibbles(WithKeyByte(KeyAreaRecord::First(2, 1), 12, 16), 0x42, 0x70),
                      WithNibbles(WithKeyByte(KeyAreaRecord::Second(3, 2, 0x40), 16, 9), 0x70, 0xA1)}),
         0,
         {{99, {15, 16, 0, 0, 0, 1, kNone, 0, 19, 4, 2, 1, 15, 7, 0}},
          {99, {17, 19, 0, 0, 0, 1, 2, 0, 19, 4, 2, 1, 24, 10, 1}}},
         2},
        {"a record starting before key offset 61 keeps its full width; the scan stops after it",
         WithRecords({KeyAreaRecord::First(60, 1), KeyAreaRecord::First(5, 2), KeyAreaRecord::First(3, 3)}),
         0,
         {{99, {15, 74, 0, 0, 0, 1, kNone, 0, 15, 7, 0, 1, 15, 7, 0}},
          {99, {75, 79, 0, 0, 0, 2, kNone, 0, 75, 7, 0, 1, 15, 7, 0}}},
         2},
        {"a width of 62 ends the list",
         WithRecords({KeyAreaRecord::First(2, 1), KeyAreaRecord::First(62, 2)}),
         0,
         {{99, {15, 16, 0, 0, 0, 1, kNone, 0, 15, 7, 0, 1, 15, 7, 0}}},
         1},
        {"a width of 63 ends the list",
         WithRecords({KeyAreaRecord::First(2, 1), KeyAreaRecord::First(63, 2)}),
         0,
         {{99, {15, 16, 0, 0, 0, 1, kNone, 0, 15, 7, 0, 1, 15, 7, 0}}},
         1},
        {"a width of 0 ends the list",
         WithRecords({KeyAreaRecord::First(2, 1), KeyAreaRecord::First(0, 2), KeyAreaRecord::First(2, 3)}),
         0,
         {{99, {15, 16, 0, 0, 0, 1, kNone, 0, 15, 7, 0, 1, 15, 7, 0}}},
         1},
        {"error 10 in the record of the third key area leaves three unmerged key areas",
         WithRecords({KeyAreaRecord::First(2, 1), KeyAreaRecord::Keep(2), KeyAreaRecord::First(2, 3, 0x05)}),
         10,
         {{99, {15, 16, 0, 0, 0, 1, kNone, 0, 15, 7, 0, 1, 15, 7, 0}},
          {99, {17, 18, 0, 0, 0, 1, kNone, 0, 15, 7, 0, 1, 15, 7, 0}},
          {99, {19, 20, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}}},
         2},
        {"more mode bits in a record that names no voice are not looked at",
         WithRecords({KeyAreaRecord::Keep(2, 0x07), KeyAreaRecord::First(2, 1)}),
         0,
         {{99, {17, 18, 0, 0, 0, 1, kNone, 0, 17, 7, 0, 1, 15, 7, 0}}},
         1},
    };
    for (const Case& test : cases) {
        auto read = ReadPreset(test.block);
        ExpectCode(*read, test.code, test.what);
        ExpectAreas(read->preset, test.areas, test.what);
        EXPECT_EQ(read->preset.Param[41], static_cast<int32_t>(test.areas.size())) << test.what;
        EXPECT_EQ(read->preset.Param[43], static_cast<int32_t>(test.areas.size())) << test.what;
        EXPECT_EQ(read->preset.Param[42], test.voicesUsed) << test.what;
        if (test.code == 10) {
            EXPECT_EQ(read->preset.Param[44 + 15], kUntouched) << test.what << ": no key map";
            EXPECT_EQ(read->preset.PresetVoices, nullptr) << test.what;
        }
    }
}

TEST(PresetDetails, KeyMap) {
    struct Case {
        const char* what;
        std::vector<KeyAreaRecord> records;
        std::vector<std::array<int32_t, 3>> runs;
    };
    const Case cases[] = {
        {"no key area", {}, {}},
        {"whole keyboard", {KeyAreaRecord::First(61, 1)}, {{15, 75, 0}}},
        {"leading keys without a voice", {KeyAreaRecord::Keep(5), KeyAreaRecord::First(3, 1)}, {{20, 22, 0}}},
        {"a gap between two key areas",
         {KeyAreaRecord::First(2, 1), KeyAreaRecord::First(3, 0), KeyAreaRecord::First(2, 2)},
         {{15, 16, 0}, {20, 21, 1}}},
        {"keys above 75 are not mapped",
         {KeyAreaRecord::First(60, 1), KeyAreaRecord::First(5, 2)},
         {{15, 74, 0}, {75, 75, 1}}},
        {"merged runs map to one key area",
         {KeyAreaRecord::First(3, 1), KeyAreaRecord::Keep(4), KeyAreaRecord::First(2, 2)},
         {{15, 21, 0}, {22, 23, 1}}},
    };
    for (const Case& test : cases) {
        auto read = ReadPreset(WithRecords(test.records));
        ExpectCode(*read, 0, test.what);
        ExpectKeyMap(read->preset, KeyMap(test.runs), test.what);
    }
}

TEST(PresetDetails, MarkedRegion) {
    struct Case {
        const char* what;
        uint8_t byte32;
        std::vector<KeyAreaRecord> records;
        int32_t declaredLength;
        int32_t low;
        int32_t high;
    };
    const Case cases[] = {
        {"none marked", 1, {KeyAreaRecord::First(5, 1)}, -1, 15, 75},
        {"a run of marked records",
         1,
         {KeyAreaRecord::First(5, 1), KeyAreaRecord::Keep(3, 0x08), KeyAreaRecord::Keep(4, 0x08),
          KeyAreaRecord::Keep(2)},
         -1,
         20,
         26},
        {"marked to the end", 1, {KeyAreaRecord::First(5, 1), KeyAreaRecord::Keep(3, 0x08)}, -1, 20, 75},
        {"records naming no voice take part",
         3,
         {KeyAreaRecord::First(3, 0, 0x08), KeyAreaRecord::First(2, 1)},
         -1,
         15,
         17},
        {"only the first run counts",
         1,
         {KeyAreaRecord::First(2, 1, 0x08), KeyAreaRecord::Keep(2), KeyAreaRecord::Keep(2, 0x08)},
         -1,
         15,
         16},
        {"byte 32 = 0 skips the walk",
         0,
         {KeyAreaRecord::First(5, 1), KeyAreaRecord::Keep(3, 0x08)},
         -1,
         15,
         75},
        // Fixed part 37 + first record 5 + 5 of the 8 bytes of the second record.
        {"a record cut off by the end of the block is not walked",
         1,
         {KeyAreaRecord::First(2, 1), KeyAreaRecord::Both(3, 2, 3, 0x08)},
         47,
         15,
         75},
    };
    for (const Case& test : cases) {
        PresetBlock block = WithRecords(test.records);
        block.byte32 = test.byte32;
        block.declaredLength = test.declaredLength;
        if (test.declaredLength >= 0) block.terminated = false;
        auto read = ReadPreset(block);
        ExpectCode(*read, 0, test.what);
        EXPECT_EQ(read->preset.Param[35], test.low) << test.what;
        EXPECT_EQ(read->preset.Param[34], test.high) << test.what;
    }
}

// A record that would run past the end of its block ends the record list.
TEST(PresetDetails, RecordRunningPastTheBlockEndsTheList) {
    struct Case {
        const char* what;
        int32_t declaredLength;
        int32_t areas;
    };
    // Fixed part 37, then a 5-byte record and an 8-byte record, no terminating byte.
    const Case cases[] = {
        {"whole block", 50, 2},
        {"last byte of the second record cut off", 49, 1},
        {"only byte 0 of the second record", 43, 1},
        {"first record cut off", 41, 0},
        {"no record", 37, 0},
    };
    for (const Case& test : cases) {
        PresetBlock block = WithRecords({KeyAreaRecord::First(2, 1), KeyAreaRecord::Both(3, 2, 3)});
        block.terminated = false;
        block.declaredLength = test.declaredLength;
        auto read = ReadPreset(block);
        ExpectCode(*read, 0, test.what);
        EXPECT_EQ(read->preset.Param[41], test.areas) << test.what;
    }
}

// A preset block shorter than its fixed part, or one that does not lie inside the parameter
// bytes, is not decoded: code 12.
TEST(PresetDetails, BlockOutsideTheParameterBytesIsNotDecoded) {
    struct Case {
        const char* what;
        int32_t declaredLength;
        int32_t slack;  // parameter bytes after the block as built
        int32_t offset;
        int32_t code;
    };
    const Case cases[] = {
        {"length 37, no record", 37, 0, kPresetOffset, 0},
        {"length 36", 36, 16, kPresetOffset, 12},
        {"length 0", 0, 16, kPresetOffset, 12},
        {"ends at the last parameter byte", -1, 0, kPresetOffset, 0},
        {"runs one byte past the parameter bytes", 44, 0, kPresetOffset, 12},
        {"length far past the parameter bytes", 65535, 16, kPresetOffset, 12},
        {"only one length byte inside", -1, 0, kPresetOffset + 42, 12},
        {"negative offset", -1, 16, -2, 12},
    };
    for (const Case& test : cases) {
        PresetBlock block = WithRecords({KeyAreaRecord::First(2, 1)});
        block.declaredLength = test.declaredLength;
        PresetRead read;
        read.preset.KeyAreas = InitKeyArea(0, kContextNumber, kPassThroughByte);
        KeyArea* held = read.preset.KeyAreas;
        ReadPresetInto(&read, block, kVoices1To9, test.slack, test.offset);
        ExpectCode(read, test.code, test.what);
        if (test.code == 0) continue;
        EXPECT_STREQ(read.preset.PresetName, "") << test.what;
        EXPECT_EQ(read.preset.Param[0], kUntouched) << test.what;
        EXPECT_EQ(read.preset.KeyAreas, held) << test.what;
    }
}

TEST(PresetDetails, VoiceCheck) {
    const VoiceList bank{{1, 99}, {3, 5}};
    struct Case {
        const char* what;
        std::vector<KeyAreaRecord> records;
        int32_t code;
        std::vector<int32_t> statuses;
        int32_t voicesUsed;
    };
    const Case cases[] = {
        {"every voice exists; a voice that failed its own checks counts",
         {KeyAreaRecord::First(2, 1), KeyAreaRecord::Both(2, 3, 1)},
         0,
         {99, 99},
         2},
        {"a missing voice marks its key area, the others are still checked",
         {KeyAreaRecord::First(2, 1), KeyAreaRecord::First(2, 12), KeyAreaRecord::Both(2, 3, 14),
          KeyAreaRecord::Both(2, 3, 0)},
         11,
         {99, 1, 1, 99},
         4},
        {"a second voice that is missing", {KeyAreaRecord::Second(2, 2)}, 11, {1}, 1},
        // Voice numbers above 99 are not counted; no voice has such a number.
        {"voice number 150", {KeyAreaRecord::First(2, 150)}, 11, {1}, 0},
        {"voice number 100 beside voice 1", {KeyAreaRecord::Both(2, 1, 100)}, 11, {1}, 1},
    };
    for (const Case& test : cases) {
        auto read = ReadPreset(WithRecords(test.records), bank);
        ExpectCode(*read, test.code, test.what);
        std::vector<int32_t> statuses;
        for (const KeyArea* area = read->preset.KeyAreas; area != nullptr; area = area->next)
            statuses.push_back(area->KeyAreaStatus);
        EXPECT_EQ(statuses, test.statuses) << test.what;
        EXPECT_EQ(read->preset.Param[42], test.voicesUsed) << test.what;
        if (test.code == 11) {
            EXPECT_EQ(read->preset.PresetVoices, nullptr) << test.what;
            EXPECT_EQ(read->preset.Param[44 + 15], 0) << test.what << ": the key map is built";
        }
    }
}

TEST(PresetDetails, PresetVoicesAreCopiesInBankOrder) {
    const VoiceList bank{{1, 99}, {2, 99}, {3, 99}, {5, 99}};
    const VoiceList none{};
    struct Case {
        const char* what;
        const VoiceList* voices;
        std::vector<KeyAreaRecord> records;
        std::vector<int32_t> numbers;
    };
    const Case cases[] = {
        {"a voice used by several key areas is listed once",
         &bank,
         {KeyAreaRecord::First(2, 5), KeyAreaRecord::Both(2, 1, 5), KeyAreaRecord::First(2, 5)},
         {1, 5}},
        {"first and second voices", &bank, {KeyAreaRecord::Both(2, 3, 2)}, {2, 3}},
        {"no key area", &bank, {}, {}},
        {"an empty bank", &none, {}, {}},
    };
    for (const Case& test : cases) {
        auto read = ReadPreset(WithRecords(test.records), *test.voices);
        ExpectCode(*read, 0, test.what);
        std::vector<int32_t> numbers;
        for (const VoiceOverview* voice = read->preset.PresetVoices; voice != nullptr; voice = voice->next) {
            numbers.push_back(voice->VoiceNumber);
            const VoiceOverview* source = test.voices->head();
            while (source != nullptr && source->VoiceNumber != voice->VoiceNumber) source = source->next;
            ASSERT_NE(source, nullptr);
            EXPECT_NE(voice, source) << test.what << ": a copy, not the bank's node";
            EXPECT_STREQ(voice->VoiceName, source->VoiceName) << test.what;
            EXPECT_EQ(voice->Param[45], source->Param[45]) << test.what;
        }
        EXPECT_EQ(numbers, test.numbers) << test.what;
        EXPECT_EQ(read->preset.Param[42], static_cast<int32_t>(test.numbers.size())) << test.what;
    }
}

// A preset that is read again releases the lists it held and takes new ones as far as decoding
// reaches them; one that fails before its key areas keeps both.
TEST(PresetDetails, ListsAreReplacedOnlyWhenDecodingReachesThem) {
    struct Case {
        const char* what;
        std::vector<int32_t> breaks;
        bool keyAreasReplaced;
        bool voicesReplaced;
    };
    const Case cases[] = {
        {"valid preset", {}, true, true}, {"error 10", {10}, true, false}, {"error 5", {5}, false, false}};
    for (const Case& test : cases) {
        PresetRead read;
        ReadPresetInto(&read, WithRecords({KeyAreaRecord::First(2, 7)}));
        KeyArea* heldAreas = read.preset.KeyAreas;
        VoiceOverview* heldVoices = read.preset.PresetVoices;
        ASSERT_NE(heldAreas, nullptr);
        ASSERT_NE(heldVoices, nullptr);
        PresetBlock block = WithRecords({KeyAreaRecord::First(3, 2)});
        for (int32_t check : test.breaks) block.Break(check);
        ReadPresetInto(&read, block);

        ASSERT_NE(read.preset.KeyAreas, nullptr) << test.what;
        if (test.keyAreasReplaced)
            EXPECT_EQ(read.preset.KeyAreas->KeyAreaData[1], 17) << test.what;
        else
            EXPECT_EQ(read.preset.KeyAreas, heldAreas) << test.what;
        ASSERT_NE(read.preset.PresetVoices, nullptr) << test.what;
        if (test.voicesReplaced)
            EXPECT_EQ(read.preset.PresetVoices->VoiceNumber, 2) << test.what;
        else
            EXPECT_EQ(read.preset.PresetVoices, heldVoices) << test.what;
    }
}

TEST(PresetDetails, TraceLines) {
    struct Case {
        int8_t trace;
        std::vector<KeyAreaRecord> records;
        std::string output;
    };
    const Case cases[] = {
        {0, {KeyAreaRecord::First(2, 1)}, ""},
        {1,
         {KeyAreaRecord::First(2, 1)},
         "--GetEmuIIBankPresetDetails--\n--FreeKeyAreaMem--\n--END: FreeKeyAreaMem--\n"
         "--END: GetEmuIIBankPresetDetails--\n"},
        {1, {}, "--GetEmuIIBankPresetDetails--\n--END: GetEmuIIBankPresetDetails--\n"},
        {3,
         {KeyAreaRecord::First(2, 1), KeyAreaRecord::Keep(1)},
         "--GetEmuIIBankPresetDetails--\nHex string PRESET 4:\n"
         "2D 0 0 0 0 0 0 0 0 0 80 50 52 45 53 45 54 20 20 20 20 20 20 0 0 1 1 1 1 1 1 0 0 0 0 0 0 "
         "82 0 1 10 70 1 0 0 \n"
         "--InitKeyArea--\n--END InitKeyArea--\n--InitKeyArea--\n--END InitKeyArea--\n"
         "Found 2 key areas - unfiltered yet...\n"
         "--InitKeyArea--\n--END InitKeyArea--\n--FreeKeyAreaMem--\n--END: FreeKeyAreaMem--\n"
         "Total number of key areas is 1.\n"
         "--InitVoiceOverview--\n--END InitVoiceOverview--\n"
         "--END: GetEmuIIBankPresetDetails--\n"},
    };
    for (const Case& test : cases) {
        PresetRead read;
        StartConsoleCapture();
        ReadPresetInto(&read, WithRecords(test.records), kVoices1To9, 16, kPresetOffset, test.trace);
        EXPECT_EQ(StopConsoleCapture(), test.output) << "trace " << int{test.trace};
    }
}

}  // namespace
