// The command lines of the three floppy programs: what they accept and the usage text otherwise.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "floppy/breska.h"
#include "floppy/nimrose.h"
#include "floppy/tolvan.h"
#include "tests/floppy/floppy_test_support.h"
#include "tests/support/temp_folder.h"

namespace {

const std::string kBreskaBanner = "* * * OBERHEIM DPX DISK READ UTILITY V01.02.4 * * *\n\n";
const std::string kTolvanBanner = "* * * OBERHEIM DPX DISK WRITE UTILITY V01.02.4 * * *\n\n";
const std::string kNimroseBanner = "* * * OBERHEIM DPX DISK FORMAT UTILITY V01.02.4 * * *\n\n";

const std::string kBreskaUsage =
    "\nERROR: incorrect parameter list\n\n"
    "USAGE: BRESKA <drive:> <outputfile>\n"
    " e.g.: BRESKA A: MYFILE.IMG\n\n"
    "NOTES: - only drives A and B are supported.\n"
    "       - put filename between \" \" if it contains spaces.\n\n"
    "Press a key...\n";
const std::string kTolvanUsage =
    "\nERROR: incorrect parameter list\n\n"
    "USAGE: TOLVAN <drive:> <inputfile>\n"
    " e.g.: TOLVAN A: MYFILE.IMG\n\n"
    "NOTES: - only drives A and B are supported.\n"
    "       - put filename between \" \" if it contains spaces.\n\n"
    "Press a key...\n";
const std::string kNimroseUsage =
    "\nERROR: incorrect parameter list\n\n"
    "USAGE: NIMROSE <drive:>\n"
    " e.g.: NIMROSE A:\n\n"
    "NOTE:  only drives A and B are supported.\n\n"
    "Press a key...\n";

struct Program {
    FloppyProgram run;
    std::string banner;
    std::string usage;
};

}  // namespace

TEST(FloppyCommandLineTest, RejectedCommandLinesShowTheUsageText) {
    const Program breska{RunBreska, kBreskaBanner, kBreskaUsage};
    const Program tolvan{RunTolvan, kTolvanBanner, kTolvanUsage};
    const Program nimrose{RunNimrose, kNimroseBanner, kNimroseUsage};
    struct Case {
        const Program& program;
        std::vector<std::string> arguments;
    };
    const Case cases[] = {
        {breska, {}},
        {breska, {"A:"}},
        {breska, {"c:", "X.IMG"}},
        {breska, {"a", "X.IMG"}},
        {breska, {"a:\\", "X.IMG"}},
        {breska, {"", "X.IMG"}},
        {breska, {"AB:", "X.IMG"}},
        {breska, {"X.IMG", "A:"}},
        {tolvan, {}},
        {tolvan, {"b:"}},
        {tolvan, {"C:", "X.IMG"}},
        {tolvan, {"B", "X.IMG"}},
        {tolvan, {"b:\\", "X.IMG"}},
        {tolvan, {"1:", "X.IMG"}},
        {nimrose, {}},
        {nimrose, {"c:"}},
        {nimrose, {"a"}},
        {nimrose, {"a:\\"}},
        {nimrose, {"A:B:"}},
    };
    for (const Case& c : cases) {
        VirtualFloppyDriver driver;
        const FloppyRun run = RunFloppyProgram(c.program.run, c.arguments, driver);
        const std::string shown = c.arguments.empty() ? "(none)" : c.arguments[0];
        EXPECT_EQ(run.exitCode, 0) << shown;
        EXPECT_EQ(run.output, c.program.banner + c.program.usage) << shown;
        EXPECT_EQ(driver.CallCount(VirtualCall::kVersion), 0) << shown;
    }
}

TEST(FloppyCommandLineTest, DrivesAAndBInEitherCaseAreAccepted) {
    TempFolder folder;
    const std::string file = folder.File("DISK.IMG");
    struct Case {
        FloppyProgram program;
        std::vector<std::string> arguments;
        std::string firstLines;
        const char* device;
    };
    const Case cases[] = {
        {RunBreska,
         {"a:", file},
         kBreskaBanner + "Reading OBERHEIM DPX Disk in drive a: to file " + file + "...\n",
         "\\\\.\\fdraw0"},
        {RunBreska,
         {"B:", file, "ignored"},
         kBreskaBanner + "Reading OBERHEIM DPX Disk in drive B: to file " + file + "...\n",
         "\\\\.\\fdraw1"},
        {RunTolvan,
         {"A:", file},
         kTolvanBanner + "Writing file " + file + " to OBERHEIM DPX Disk in drive A:...\n",
         "\\\\.\\fdraw0"},
        {RunTolvan,
         {"b:", file, "ignored"},
         kTolvanBanner + "Writing file " + file + " to OBERHEIM DPX Disk in drive b:...\n",
         "\\\\.\\fdraw1"},
        {RunNimrose,
         {"A:"},
         kNimroseBanner + "Formatting OBERHEIM DPX Disk in drive A:...\n",
         "\\\\.\\fdraw0"},
        {RunNimrose,
         {"b:", "ignored"},
         kNimroseBanner + "Formatting OBERHEIM DPX Disk in drive b:...\n",
         "\\\\.\\fdraw1"},
    };
    for (const Case& c : cases) {
        VirtualFloppyDriver driver;
        driver.LayOutDpxTracks();
        const FloppyRun run = RunFloppyProgram(c.program, c.arguments, driver);
        EXPECT_EQ(run.exitCode, 0) << c.firstLines;
        EXPECT_EQ(run.output, c.firstLines + FullProgress() + "Press a key...\n");
        EXPECT_EQ(driver.OpenedDevice(), c.device) << c.firstLines;
    }
}
