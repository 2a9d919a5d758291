// VELTRA reading whole banks: a bank with a bad sample or a bad voice is reported and skipped,
// and a batch goes on with the next file.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "tests/programs/program_texts.h"
#include "tests/support/emu_bank_blocks.h"
#include "tests/support/run_program.h"
#include "tests/support/temp_folder.h"

namespace {

// A bank of two voices and one preset; `change` spoils it on purpose.
EmuImageBuilder Bank(const std::function<void(VoiceBlock&, VoiceBlock&)>& change) {
    EmuBankBuilder bank;
    int32_t first = bank.AddSample(std::vector<uint8_t>(300, 0x81));
    int32_t second = bank.AddSample(std::vector<uint8_t>(200, 0x7F));
    VoiceBlock voice1 = VoiceBlock::Playing(first, 300);
    VoiceBlock voice3 = VoiceBlock::Playing(second, 200).LoopOn(second + 20, 100);
    change(voice1, voice3);
    bank.AddVoice(1, voice1);
    bank.AddVoice(3, voice3);
    bank.AddPreset(PresetBlock().Add(KeyAreaRecord::First(30, 1)).Add(KeyAreaRecord::First(31, 3)));
    return bank.Build();
}

EmuImageBuilder GoodBank() {
    return Bank([](VoiceBlock&, VoiceBlock&) {});
}

// Sample 2 runs past the room the image leaves after the sample area start.
EmuImageBuilder BadSampleBank() {
    return Bank([](VoiceBlock&, VoiceBlock& voice3) {
        voice3.sampleSize = 485887 - kTestDefaultSampleAreaStart + 1;
    });
}

// Byte 149 of voice 3 is not 0x97.
EmuImageBuilder BadVoiceBank() {
    return Bank([](VoiceBlock&, VoiceBlock& voice3) { voice3.Break(21); });
}

TEST(VeltraBank, SingleRunReportsTheBankVerdict) {
    struct Case {
        const char* name;
        std::function<EmuImageBuilder()> image;
        std::string report;
        std::set<std::string> files;  // what the folder holds afterwards
    };
    const Case cases[] = {
        {"GOOD.EII", GoodBank, "...DPX file GOOD.DPX has been created.\n", {"GOOD.EII", "GOOD.DPX"}},
        {"SAMPLE.EII",
         BadSampleBank,
         "ERROR: EII Bank is corrupt (Sample=2, Reason=1). (801)\n",
         {"SAMPLE.EII"}},
        {"VOICE.EII",
         BadVoiceBank,
         "ERROR: EII Bank is corrupt (Voice=3, Reason=21). (802)\n",
         {"VOICE.EII"}},
    };
    for (const Case& test : cases) {
        TempFolder folder;
        test.image().WriteTo(folder.File(test.name));
        ProgramRun run = RunProgram("veltra", {"S", test.name}, folder.path().string());
        EXPECT_EQ(run.exitCode, 0) << test.name;
        EXPECT_EQ(run.output, kVeltraBanner + "Processing file " + test.name + "...\n" + test.report +
                                  VeltraSummary(test.files.size() == 2 ? 1 : 0))
            << test.name;
        EXPECT_EQ(FilesIn(folder), test.files) << test.name;
    }
}

TEST(VeltraBank, BatchGoesOnAfterARejectedBank) {
    const std::map<std::string, std::string> linesOfFile = {
        {"BADSAMPLE.EII",
         "Processing file BADSAMPLE.EII...\nERROR: EII Bank is corrupt (Sample=2, Reason=1). (801)\n"},
        {"BADVOICE.EII",
         "Processing file BADVOICE.EII...\nERROR: EII Bank is corrupt (Voice=3, Reason=21). (802)\n"},
        {"GOOD.EII", "Processing file GOOD.EII...\n...DPX file GOOD.DPX has been created.\n"},
        {"SECOND.EII", "Processing file SECOND.EII...\n...DPX file SECOND.DPX has been created.\n"},
        {"NOTES.TXT", "WARNING: NOTES.TXT is not an EII file and has been ignored. RC 17. (800)\n"},
    };
    TempFolder folder;
    BadSampleBank().WriteTo(folder.File("BADSAMPLE.EII"));
    BadVoiceBank().WriteTo(folder.File("BADVOICE.EII"));
    GoodBank().WriteTo(folder.File("GOOD.EII"));
    EmuImageBuilder second = GoodBank();
    second.Name("SECOND");
    second.WriteTo(folder.File("SECOND.EII"));
    WriteTextFile(folder.File("NOTES.TXT"), "not a bank\n");

    std::vector<std::string> order = ListingOrder(folder);
    ASSERT_EQ(order.size(), linesOfFile.size());
    std::string expected = kVeltraBanner;
    for (const std::string& name : order) expected += linesOfFile.at(name);
    expected += VeltraSummary(2);

    ProgramRun run = RunProgram("veltra", {"B"}, folder.path().string());
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.output, expected);
    EXPECT_EQ(FilesIn(folder), (std::set<std::string>{"BADSAMPLE.EII", "BADVOICE.EII", "GOOD.EII", "GOOD.DPX",
                                                      "SECOND.EII", "SECOND.DPX", "NOTES.TXT"}));
}

}  // namespace
