// MORVEX run as a user runs it, on DPX images that VELTRA wrote and on files that are not such
// images.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "tests/programs/program_texts.h"
#include "tests/support/emu_bank_blocks.h"
#include "tests/support/run_program.h"
#include "tests/support/temp_folder.h"

namespace {

const std::string kUsage =
    "\n"
    "    ERROR: incorrect parameter list\n\n"
    "    USAGE: MORVEX <B|S> [<DPX-file>] [<EII-file>]\n\n"
    "     with: B        = Batch  (all DPX files in folder will be processed)\n"
    "           S        = Single (only the input DPX file will be processed)\n"
    "           DPX-file = Input  DPX file (required in Single mode,\n"
    "                                       ignored in Batch mode)\n"
    "           EII-file = Output EII file (optional in Single mode,\n"
    "                                       ignored in Batch mode)\n\n"
    "           [Note 1: put filenames between \" \" if they contain spaces]\n"
    "           [Note 2: filenames should not exceed 256 characters]\n\n"
    "     e.g.: MORVEX S PIANO.DPX GRAND.EII\n"
    "            (will convert file PIANO.DPX to GRAND.EII)\n"
    "           MORVEX S \"PIANO 1.DPX\"\n"
    "            (will convert file PIANO 1.DPX to PIANO 1.EII)\n"
    "           MORVEX B\n"
    "            (will convert all DPX files in the folder)\n\n"
    "Press a key...\n";

const char kTemporaryImage[] = "_MORVEXTMP_.IMG";

// A bank of two looped voices over two samples and a gap, and one preset.
EmuImageBuilder SmallBank() {
    EmuBankBuilder bank;
    std::vector<uint8_t> rising(700), falling(500);
    for (size_t i = 0; i < rising.size(); ++i) rising[i] = static_cast<uint8_t>(i % 7 == 0 ? 0x85 : 0x02);
    for (size_t i = 0; i < falling.size(); ++i) falling[i] = static_cast<uint8_t>(i % 5 == 0 ? 0x90 : 0x81);
    int32_t first = bank.AddSample(rising);
    bank.AddSample(std::vector<uint8_t>(64, 0x80));  // bytes no voice plays
    int32_t second = bank.AddSample(falling);
    bank.AddVoice(VoiceBlock::Playing(first, 700).LoopOn(first + 100, 500));
    bank.AddVoice(VoiceBlock::Playing(second, 500));
    bank.AddPreset(PresetBlock().Add(KeyAreaRecord::Both(61, 1, 2)));
    return bank.Build();
}

// A DPX image of SmallBank, made by VELTRA.
std::vector<uint8_t> SmallBankDpx() {
    TempFolder folder;
    SmallBank().WriteTo(folder.File("BANK.EII"));
    RunProgram("veltra", {"S", "BANK.EII"}, folder.path().string());
    return ReadWholeFile(folder.File("BANK.DPX"));
}

}  // namespace

TEST(MorvexProgramTest, RejectedCommandLinesShowTheUsage) {
    const std::vector<std::vector<std::string>> commandLines = {{}, {"S"}, {"x", "A.DPX"}, {"Batch"}};
    TempFolder folder;
    for (const auto& arguments : commandLines) {
        ProgramRun run = RunProgram("morvex", arguments, folder.path().string());
        EXPECT_EQ(run.exitCode, 0);
        EXPECT_EQ(run.output, kMorvexBanner + kUsage);
    }
}

TEST(MorvexProgramTest, MissingInputEndsTheRun) {
    TempFolder folder;
    ProgramRun run = RunProgram("morvex", {"s", "PIANO.DPX"}, folder.path().string());
    EXPECT_EQ(
        run.output,
        kMorvexBanner + "ERROR: The input file (PIANO.DPX) can not be found. (700)\n\nPress a key...\n");
}

TEST(MorvexProgramTest, RoundTripGivesABankVeltraAcceptsAgain) {
    TempFolder folder;
    EmuImageBuilder original = SmallBank();
    original.WriteTo(folder.File("PIANO.EII"));
    RunProgram("veltra", {"S", "PIANO.EII"}, folder.path().string());

    ProgramRun back = RunProgram("morvex", {"S", "PIANO.DPX"}, folder.path().string());
    EXPECT_EQ(back.output, kMorvexBanner +
                               "Processing file PIANO.DPX...\n...EII file PIANO_1.EII has been created.\n" +
                               MorvexSummary(1));
    EXPECT_EQ(FilesIn(folder), (std::set<std::string>{"PIANO.EII", "PIANO.DPX", "PIANO_1.EII"}));

    // Everything before the sample area comes back unchanged but for the sequence fields.
    std::vector<uint8_t> rebuilt = ReadWholeFile(folder.File("PIANO_1.EII"));
    ASSERT_EQ(rebuilt.size(), 485887u);
    std::vector<uint8_t> expected = original.bytes();
    std::fill(expected.begin() + 1016, expected.begin() + 1214, 0);
    expected[1221] = 0x00;
    expected[1222] = 0x00;
    expected[1223] = 0x08;
    EXPECT_TRUE(
        std::equal(expected.begin(), expected.begin() + kTestDefaultSampleAreaStart, rebuilt.begin()));

    ProgramRun again = RunProgram("veltra", {"S", "PIANO_1.EII", "AGAIN.DPX"}, folder.path().string());
    EXPECT_EQ(again.output, kVeltraBanner +
                                "Processing file PIANO_1.EII...\n...DPX file AGAIN.DPX has been created.\n" +
                                VeltraSummary(1));
}

TEST(MorvexProgramTest, BatchSkipsWhatIsNoBankImageAndLeavesNoTemporaryFile) {
    std::vector<uint8_t> dpx = SmallBankDpx();
    ASSERT_EQ(dpx.size(), 901120u);
    std::vector<uint8_t> wrongId = dpx;
    std::memcpy(&wrongId[5128], "OBERHEIM", 8);
    std::vector<uint8_t> noBank(901120, 0);
    std::memcpy(&noBank[5120], "(c)1987 Oberheim/ECC DPX-1  ", 28);
    const std::string leftover = "left over by an interrupted run";
    const std::string inTheWay = "ERROR: A file _MORVEXTMP_.IMG that MORVEX did not make is in the way; ";

    struct Case {
        const char* what;
        bool leftoverThere;  // a file of the temporary image's name that this run did not make
    };
    const Case cases[] = {{"a clean folder", false}, {"a leftover temporary image", true}};
    for (const Case& c : cases) {
        TempFolder folder;
        WriteWholeFile(folder.File("GOOD.DPX"), dpx);
        WriteWholeFile(folder.File("BADID.DPX"), wrongId);
        WriteWholeFile(folder.File("NOBANK.DPX"), noBank);
        WriteTextFile(folder.File("NOTES.TXT"), "not an image");
        if (c.leftoverThere) WriteTextFile(folder.File(kTemporaryImage), leftover);

        // The leftover is a candidate like any other file and is never converted; while it is in
        // the way, no image that needs the temporary image is converted either.
        std::map<std::string, std::string> lineOf = {
            {"GOOD.DPX", c.leftoverThere
                             ? inTheWay + "GOOD.DPX has not been converted. (11015)\n"
                             : "Processing file GOOD.DPX...\n...EII file GOOD.EII has been created.\n"},
            {"BADID.DPX", "ERROR: File BADID.DPX is not a DPX file (wrong ID) (11004)\n"},
            {"NOBANK.DPX",
             c.leftoverThere
                 ? inTheWay + "NOBANK.DPX has not been converted. (11015)\n"
                 : "WARNING: NOBANK.DPX is not an EII-DPX file and has been ignored. RC 60. (11008)\n"},
            {"NOTES.TXT", "WARNING: NOTES.TXT is not a DPX file (wrong size) (11001)\n"},
            {kTemporaryImage, "WARNING: _MORVEXTMP_.IMG is not a DPX file (wrong size) (11001)\n"},
        };
        std::string expected = kMorvexBanner;
        for (const std::string& name : ListingOrder(folder)) expected += lineOf.at(name);
        expected += MorvexSummary(c.leftoverThere ? 0 : 1);

        ProgramRun run = RunProgram("morvex", {"B"}, folder.path().string());
        EXPECT_EQ(run.exitCode, 0) << c.what;
        EXPECT_EQ(run.output, expected) << c.what;
        std::set<std::string> left = {"GOOD.DPX", "BADID.DPX", "NOBANK.DPX", "NOTES.TXT"};
        left.insert(c.leftoverThere ? kTemporaryImage : "GOOD.EII");
        EXPECT_EQ(FilesIn(folder), left) << c.what;
        if (c.leftoverThere) {
            const std::vector<uint8_t> kept = ReadWholeFile(folder.File(kTemporaryImage));
            EXPECT_EQ(std::string(kept.begin(), kept.end()), leftover) << c.what;
        }
    }
}

TEST(MorvexProgramTest, OutputNamedLikeTheTemporaryImageIsRefused) {
    TempFolder folder;
    WriteWholeFile(folder.File("BANK.DPX"), SmallBankDpx());
    ProgramRun run = RunProgram("morvex", {"S", "BANK.DPX", "_morvextmp_.img"}, folder.path().string());
    EXPECT_EQ(run.output,
              kMorvexBanner +
                  "ERROR: The output file _morvextmp_.img is the temporary image of MORVEX. (11014)\n" +
                  MorvexSummary(0));
    EXPECT_EQ(FilesIn(folder), std::set<std::string>{"BANK.DPX"});
}
