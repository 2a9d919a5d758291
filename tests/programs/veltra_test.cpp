// VELTRA run as a user runs it: the built program in a folder of its own, input closed.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "tests/programs/program_texts.h"
#include "tests/support/emu_image_builder.h"
#include "tests/support/run_program.h"
#include "tests/support/temp_folder.h"

namespace {

const std::string kUsage =
    "\n"
    "    ERROR: incorrect parameter list\n\n"
    "    USAGE: VELTRA <B|S> [<EII-file>] [<DPX-file>]\n\n"
    "     with: B        = Batch  (all EII files in folder will be processed)\n"
    "           S        = Single (only the input EII file will be processed)\n"
    "           EII-file = Input  EII file (required in Single mode,\n"
    "                                       ignored in Batch mode)\n"
    "           DPX-file = Output DPX file (optional in Single mode,\n"
    "                                       ignored in Batch mode)\n\n"
    "           [Note 1: put filenames between \" \" if they contain spaces]\n"
    "           [Note 2: filenames should not exceed 256 characters]\n\n"
    "     e.g.: VELTRA S PIANO.EII GRAND.DPX\n"
    "            (will convert file PIANO.EII to GRAND.DPX)\n"
    "           VELTRA S \"PIANO 1.EII\"\n"
    "            (will convert file PIANO 1.EII to PIANO 1.DPX)\n"
    "           VELTRA B\n"
    "            (will convert all EII files in the folder)\n\n"
    "Press a key...\n";

const std::string kNothingConverted = VeltraSummary(0);

std::string NotAnEiiFile(const std::string& name, int result) {
    return "WARNING: " + name + " is not an EII file and has been ignored. RC " + std::to_string(result) +
           ". (800)\n";
}

}  // namespace

TEST(VeltraProgramTest, RejectedCommandLinesShowTheUsage) {
    const std::vector<std::vector<std::string>> commandLines = {
        {}, {"S"}, {"s"}, {"X"}, {"batch"}, {"single", "PIANO.EII"}, {"SS", "PIANO.EII"}, {"bb"}, {""},
    };
    TempFolder folder;
    for (const auto& arguments : commandLines) {
        ProgramRun run = RunProgram("veltra", arguments, folder.path().string());
        EXPECT_EQ(run.exitCode, 0);
        EXPECT_EQ(run.output, kVeltraBanner + kUsage) << (arguments.empty() ? "(none)" : arguments[0]);
    }
}

TEST(VeltraProgramTest, MissingInputEndsTheRunWithoutSummary) {
    TempFolder folder;
    ProgramRun run = RunProgram("veltra", {"S", "PIANO.EII"}, folder.path().string());
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(
        run.output,
        kVeltraBanner + "ERROR: The input file (PIANO.EII) can not be found. (700)\n\nPress a key...\n");
}

TEST(VeltraProgramTest, OverlongNameIsRefused) {
    TempFolder folder;
    std::string name(257, 'n');
    ProgramRun run = RunProgram("veltra", {"s", name}, folder.path().string());
    EXPECT_EQ(run.output, kVeltraBanner + "ERROR: The file name " + name.substr(0, 60) +
                              "... is longer than 256 characters. (701)\n\nPress a key...\n");
}

TEST(VeltraProgramTest, SingleModeWarnsAboutAFileThatIsNoBank) {
    TempFolder folder;
    WriteTextFile(folder.File("NOTES.TXT"), "not a bank");
    ProgramRun run = RunProgram("veltra", {"S", "NOTES.TXT", "OUT.DPX"}, folder.path().string());
    EXPECT_EQ(run.output, kVeltraBanner + NotAnEiiFile("NOTES.TXT", 17) + kNothingConverted);
}

TEST(VeltraProgramTest, BatchWarnsAboutEveryVisibleFileThatIsNoBank) {
    TempFolder folder;
    EmuImageBuilder().WriteTo(folder.File("GOOD.EII"));
    EmuImageBuilder().WriteTo(folder.File("SHORT.EII"), 485886);
    EmuImageBuilder().Set(8, 0).WriteTo(folder.File("BADPRESET.EII"));
    EmuImageBuilder().VoiceEntry(3, 100).WriteTo(folder.File("BADVOICE.EII"));
    WriteTextFile(folder.File("readme.txt"), "hello");
    EmuImageBuilder().WriteTo(folder.File(".HIDDEN.EII"));
    std::filesystem::create_directory(folder.path() / "SUB.EII");

    const std::map<std::string, std::string> lineOf = {
        {"GOOD.EII", "Processing file GOOD.EII...\n...DPX file GOOD.DPX has been created.\n"},
        {"SHORT.EII", NotAnEiiFile("SHORT.EII", 17)},
        {"BADPRESET.EII", NotAnEiiFile("BADPRESET.EII", 60)},
        {"BADVOICE.EII", NotAnEiiFile("BADVOICE.EII", 62)},
        {"readme.txt", NotAnEiiFile("readme.txt", 17)},
    };
    std::string expected = kVeltraBanner;
    for (const std::string& name : ListingOrder(folder))
        if (lineOf.count(name) != 0) expected += lineOf.at(name);
    expected += VeltraSummary(1);

    // "b" with file names: the names are ignored and the whole folder is the batch.
    ProgramRun run = RunProgram("veltra", {"b", "GOOD.EII", "X.DPX"}, folder.path().string());
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.output, expected);
}

TEST(VeltraProgramTest, BatchOfHiddenFilesAndFoldersConvertsNothing) {
    TempFolder folder;
    EmuImageBuilder().WriteTo(folder.File(".PIANO.EII"));
    std::filesystem::create_directory(folder.path() / "BANKS");
    ProgramRun run = RunProgram("veltra", {"B"}, folder.path().string());
    EXPECT_EQ(run.output, kVeltraBanner + kNothingConverted);
}

TEST(VeltraProgramTest, FifoIsRefusedNotWaitedFor) {
#ifdef _WIN32
    GTEST_SKIP() << "fifos are a POSIX matter";
#else
    TempFolder folder;
    ASSERT_EQ(std::system(("mkfifo " + folder.File("PIPE.EII")).c_str()), 0);
    ProgramRun run = RunProgram("veltra", {"S", "PIPE.EII"}, folder.path().string());
    EXPECT_EQ(run.output, kVeltraBanner + "ERROR: Problem opening file PIPE.EII. Error is 6. (566)\n" +
                              kNothingConverted);
#endif
}
