// VELTRA reading whole banks: a bank with a bad sample or a bad voice is reported and skipped,
// and a batch goes on with the next file.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/folder.h"
#include "tests/support/emu_bank_blocks.h"
#include "tests/support/run_program.h"
#include "tests/support/temp_folder.h"

namespace {

const std::string kBanner = "* * * * EII TO OBERHEIM DPX DISK IMAGE TRANSLATION UTILITY V01.02.4 * * * *\n\n";
const std::string kNothingConverted =
    "\n\nVELTRA did not convert any EII-file\n\n"
    "* * * * * * * * * * * * THANK YOU FOR USING VELTRA * * * * * * ** * * * * *\n\n"
    "Press a key...\n";

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

std::set<std::string> FilesIn(const TempFolder& folder) {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder.path()))
        names.insert(entry.path().filename().string());
    return names;
}

TEST(VeltraBank, SingleRunReportsTheBankVerdict) {
    struct Case {
        const char* name;
        std::function<EmuImageBuilder()> image;
        std::string report;
    };
    const Case cases[] = {
        {"GOOD.EII", GoodBank, ""},
        {"SAMPLE.EII", BadSampleBank, "ERROR: EII Bank is corrupt (Sample=2, Reason=1). (801)\n"},
        {"VOICE.EII", BadVoiceBank, "ERROR: EII Bank is corrupt (Voice=3, Reason=21). (802)\n"},
    };
    for (const Case& test : cases) {
        TempFolder folder;
        test.image().WriteTo(folder.File(test.name));
        ProgramRun run = RunProgram("veltra", {"S", test.name}, folder.path().string());
        EXPECT_EQ(run.exitCode, 0) << test.name;
        EXPECT_EQ(run.output,
                  kBanner + "Processing file " + test.name + "...\n" + test.report + kNothingConverted)
            << test.name;
        EXPECT_EQ(FilesIn(folder), std::set<std::string>{test.name}) << test.name;
    }
}

// The names of the folder in the order the program's own folder listing gives them.
std::vector<std::string> ListingOrder(TempFolder& folder) {
    folder.Enter();
    std::vector<std::string> names;
    FolderListing listing;
    FolderEntry entry;
    if (StartFolderListing(&listing, &entry)) {
        do {
            std::string name = entry.name;
            if (name != "." && name != "..") names.push_back(name);
        } while (NextFolderEntry(&listing, &entry));
        EndFolderListing(&listing);
    }
    return names;
}

TEST(VeltraBank, BatchGoesOnAfterARejectedBank) {
    const std::map<std::string, std::string> linesOfFile = {
        {"BADSAMPLE.EII",
         "Processing file BADSAMPLE.EII...\nERROR: EII Bank is corrupt (Sample=2, Reason=1). (801)\n"},
        {"BADVOICE.EII",
         "Processing file BADVOICE.EII...\nERROR: EII Bank is corrupt (Voice=3, Reason=21). (802)\n"},
        {"GOOD.EII", "Processing file GOOD.EII...\n"},
        {"NOTES.TXT", "WARNING: NOTES.TXT is not an EII file and has been ignored. RC 17. (800)\n"},
    };
    TempFolder folder;
    BadSampleBank().WriteTo(folder.File("BADSAMPLE.EII"));
    BadVoiceBank().WriteTo(folder.File("BADVOICE.EII"));
    GoodBank().WriteTo(folder.File("GOOD.EII"));
    WriteTextFile(folder.File("NOTES.TXT"), "not a bank\n");

    std::vector<std::string> order = ListingOrder(folder);
    ASSERT_EQ(order.size(), linesOfFile.size());
    std::string expected = kBanner;
    for (const std::string& name : order) expected += linesOfFile.at(name);
    expected += kNothingConverted;

    ProgramRun run = RunProgram("veltra", {"B"}, folder.path().string());
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.output, expected);
    EXPECT_EQ(FilesIn(folder),
              (std::set<std::string>{"BADSAMPLE.EII", "BADVOICE.EII", "GOOD.EII", "NOTES.TXT"}));
}

}  // namespace
