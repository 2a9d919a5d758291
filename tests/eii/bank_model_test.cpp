#include "eii/bank_model.h"

#include <gtest/gtest.h>

#include "common/trace.h"
#include "tests/support/console_capture.h"

namespace {

KeyArea* ThreeKeyAreas() {
    KeyArea* first = InitKeyArea(0, kContextNumber, kPassThroughByte);
    first->next = InitKeyArea(0, kContextNumber, kPassThroughByte);
    first->next->next = InitKeyArea(0, kContextNumber, kPassThroughByte);
    int32_t number = 0;
    for (KeyArea* area = first; area != nullptr; area = area->next, ++number) {
        area->KeyAreaNumber = number;
        area->KeyAreaData[0] = 15 + 10 * number;
    }
    return first;
}

}  // namespace

TEST(BankModelTest, CopiedListOwnsItsNodes) {
    KeyArea* source = ThreeKeyAreas();
    KeyArea* copy = CopyKeyArea(0, kContextNumber, kPassThroughByte, source);
    const KeyArea* sourceNodes[3] = {source, source->next, source->next->next};
    FreeKeyAreaMem(0, kContextNumber, kPassThroughByte, source);

    int32_t count = 0;
    for (KeyArea* area = copy; area != nullptr; area = area->next, ++count) {
        EXPECT_EQ(area->KeyAreaNumber, count);
        EXPECT_EQ(area->KeyAreaData[0], 15 + 10 * count);
        for (const KeyArea* node : sourceNodes) EXPECT_NE(area, node);
    }
    EXPECT_EQ(count, 3);
    FreeKeyAreaMem(0, kContextNumber, kPassThroughByte, copy);

    EXPECT_EQ(CopyKeyArea(0, kContextNumber, kPassThroughByte, nullptr), nullptr);
    EXPECT_EQ(CopyVoiceOverview(0, kContextNumber, kPassThroughByte, nullptr), nullptr);
    EXPECT_EQ(CopyImageOverview(0, kContextNumber, kPassThroughByte, nullptr), nullptr);
}

TEST(BankModelTest, CopyVoiceOverviewKeepsOrderAndFields) {
    VoiceOverview* source = InitVoiceOverview(0, kContextNumber, kPassThroughByte);
    source->VoiceNumber = 2;
    source->Param[45] = 7;
    source->next = InitVoiceOverview(0, kContextNumber, kPassThroughByte);
    source->next->VoiceNumber = 5;
    VoiceOverview* copy = CopyVoiceOverview(0, kContextNumber, kPassThroughByte, source);
    FreeVoiceOverviewMem(0, kContextNumber, kPassThroughByte, source);
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->VoiceNumber, 2);
    EXPECT_EQ(copy->Param[45], 7);
    ASSERT_NE(copy->next, nullptr);
    EXPECT_EQ(copy->next->VoiceNumber, 5);
    EXPECT_EQ(copy->next->next, nullptr);
    FreeVoiceOverviewMem(0, kContextNumber, kPassThroughByte, copy);
}

TEST(BankModelTest, ReleasesAcceptEmptyRecords) {
    FreeBankMem(1, kContextNumber, kPassThroughByte, nullptr);
    FreeBankMem(1, kContextNumber, kPassThroughByte, InitBank(0, kContextNumber, kPassThroughByte));
    FreeBankPresetOverviewMem(0, kContextNumber, kPassThroughByte,
                              InitPresetOverview(0, kContextNumber, kPassThroughByte));

    StartConsoleCapture();
    FreeBankBasicDetailsMem(1, kContextNumber, kPassThroughByte, nullptr);
    EXPECT_EQ(StopConsoleCapture(), "--FreeBankBasicDetailsMem--\n--END:FreeBankBasicDetailsMem--\n");
}

namespace {

std::string TraceOfInitBank(int8_t level) {
    StartConsoleCapture();
    Bank* bank = InitBank(level, kContextNumber, kPassThroughByte);
    std::string console = StopConsoleCapture();
    FreeBankMem(0, kContextNumber, kPassThroughByte, bank);
    return console;
}

std::string TraceOfFreeBankMem(int8_t level) {
    Bank* bank = InitBank(0, kContextNumber, kPassThroughByte);
    bank->ImageOverview = InitImageOverview(0, kContextNumber, kPassThroughByte);
    bank->Presets = InitPresetOverview(0, kContextNumber, kPassThroughByte);
    bank->Presets->KeyAreas = InitKeyArea(0, kContextNumber, kPassThroughByte);
    bank->Samples = InitSampleOverview(0, kContextNumber, kPassThroughByte);
    bank->Voices = InitVoiceOverview(0, kContextNumber, kPassThroughByte);
    StartConsoleCapture();
    FreeBankMem(level, kContextNumber, kPassThroughByte, bank);
    return StopConsoleCapture();
}

std::string TraceOfInitPresetOverview(int8_t level) {
    StartConsoleCapture();
    PresetOverview* node = InitPresetOverview(level, kContextNumber, kPassThroughByte);
    std::string console = StopConsoleCapture();
    FreeBankPresetOverviewMem(0, kContextNumber, kPassThroughByte, node);
    return console;
}

}  // namespace

TEST(BankModelTest, TraceLinesOfEachOperation) {
    struct Case {
        std::string (*operation)(int8_t);
        int8_t level;
        const char* expected;
    };
    const Case cases[] = {
        {TraceOfInitBank, 1, ""},
        {TraceOfInitBank, 2,
         "--InitBank--\n--InitBankBasicDetails--\n--END InitBankBasicDetails--\n--END InitBank--\n"},
        {TraceOfFreeBankMem, 0, ""},
        {TraceOfFreeBankMem, 1,
         "--FreeBankBasicDetailsMem--\n--FreeImageOverviewMem--\n--END:FreeImageOverviewMem--\n"
         "--END:FreeBankBasicDetailsMem--\n--FreeBankPresetOverviewMem--\n"
         "--FreeBankPresetMem--\n--FreeKeyAreaMem--\n--END: FreeKeyAreaMem--\n--END FreeBankPresetMem--\n"
         "--END: FreeBankPresetOverviewMem--\n"},
        {TraceOfInitPresetOverview, 1, ""},
        {TraceOfInitPresetOverview, 2,
         "--InitPresetOverview--\n--END InitPresetOverview--\n--InitPreset--\n--END InitPreset--\n"},
    };
    for (const Case& c : cases) EXPECT_EQ(c.operation(c.level), c.expected) << c.expected;
}
