// dpxtool run as a separate process in a temporary folder: exit codes, error lines and files.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/emu_bank_blocks.h"
#include "tests/support/run_program.h"
#include "tests/support/temp_folder.h"

namespace {

// A sound bank of one voice and one preset, and the same with voice 2 damaged.
void WriteBanks(const TempFolder& folder) {
    for (bool damaged : {false, true}) {
        EmuBankBuilder bank;
        const int32_t start = bank.AddSample(std::vector<uint8_t>(200, 0x83));
        bank.AddVoice(VoiceBlock::Playing(start, 200).LoopOn(start + 50, 150));
        if (damaged) bank.AddVoice(VoiceBlock::Playing(start, 200).Break(33));
        bank.AddPreset(PresetBlock().Add(KeyAreaRecord::First(61, 1)));
        bank.Build().WriteTo(folder.File(damaged ? "DAMAGED.EII" : "GOOD.EII"));
    }
    WriteTextFile(folder.File("NOTES.TXT"), "not a bank\n");
}

TEST(DpxtoolTest, ExitCodesAndErrorLines) {
    struct Case {
        const char* name;
        std::vector<std::string> arguments;
        int exitCode;
        std::string errorStart;  // the one error line starts so; empty: no error line
        std::string madeFile;    // a file the run leaves, or empty
    };
    const Case cases[] = {
        {"no command", {}, 2, "dpxtool: A subcommand is required.", ""},
        {"unknown option", {"info", "--colour", "GOOD.EII"}, 2, "dpxtool: The following argument", ""},
        {"missing file",
         {"info", "NOTHERE.EII"},
         2,
         "dpxtool: NOTHERE.EII: Problem opening file NOTHERE.EII. Error is 2. (566)",
         ""},
        {"no bank",
         {"info", "NOTES.TXT"},
         2,
         "dpxtool: NOTES.TXT: neither an Emulator II bank nor a DPX-1 disk image",
         ""},
        {"sound bank listed", {"info", "GOOD.EII"}, 0, "", ""},
        {"sound bank as JSON", {"info", "--json", "GOOD.EII"}, 0, "", ""},
        {"damaged bank listed", {"info", "DAMAGED.EII"}, 1, "", ""},
        {"voices written", {"wav", "GOOD.EII", "voices"}, 0, "", "voices/01 VOICE.wav"},
        {"voice without a sample",
         {"wav", "DAMAGED.EII", "voices"},
         1,
         "dpxtool: DAMAGED.EII: voice 2: no WAV file, it has no sample (check 33: name has a byte of 0x80 or "
         "above)",
         "voices/01 VOICE.wav"},
        {"output folder is a file",
         {"wav", "GOOD.EII", "NOTES.TXT"},
         2,
         "dpxtool: NOTES.TXT: The folder cannot be made.",
         ""},
        {"report written", {"report", "GOOD.EII", "page.html"}, 0, "", "page.html"},
        {"report of a damaged bank", {"report", "DAMAGED.EII", "page.html"}, 1, "", "page.html"},
        {"report of no bank",
         {"report", "NOTES.TXT", "page.html"},
         2,
         "dpxtool: NOTES.TXT: holds no Emulator II bank",
         ""},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        TempFolder folder;
        WriteBanks(folder);
        const ProgramRun run = RunProgram("dpxtool", test.arguments, folder.path().string());
        EXPECT_EQ(run.exitCode, test.exitCode) << run.output << run.errors;
        if (test.errorStart.empty()) {
            EXPECT_EQ(run.errors, "");
        } else {
            EXPECT_EQ(run.errors.rfind(test.errorStart, 0), 0u) << run.errors;
            EXPECT_EQ(std::count(run.errors.begin(), run.errors.end(), '\n'), 1) << run.errors;
        }
        if (!test.madeFile.empty()) {
            EXPECT_TRUE(std::filesystem::exists(folder.File(test.madeFile)));
        }
        // Nothing but what the command writes is left: no temporary image, no half-written file.
        for (const auto& entry : std::filesystem::directory_iterator(folder.path()))
            EXPECT_EQ(entry.path().string().find(".~OUT"), std::string::npos) << entry.path();
    }
}

TEST(DpxtoolTest, HelpExplainsEveryCommandWithAnExample) {
    TempFolder folder;
    const ProgramRun run = RunProgram("dpxtool", {"--help"}, folder.path().string());
    EXPECT_EQ(run.exitCode, 0);
    for (const char* example :
         {"dpxtool info PIANO.EII", "dpxtool wav PIANO.EII", "dpxtool report PIANO.EII"})
        EXPECT_NE(run.output.find(example), std::string::npos) << example;
}

}  // namespace
