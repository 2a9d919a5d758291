#include <gtest/gtest.h>

#include <filesystem>

#include "tests/support/run_program.h"
#include "tests/support/temp_folder.h"

namespace {

TEST(MakeDemoBankTest, OptionsShowTheUsageAndWriteNothing) {
    struct Case {
        std::vector<std::string> arguments;
        int exitCode;
        bool usageOnStandardOutput;
    };
    const Case cases[] = {
        {{"--help"}, 0, true},
        {{"-h"}, 0, true},
        {{"--bank"}, 2, false},
        {{"ONE.EII", "TWO.EII"}, 2, false},
    };
    for (const Case& c : cases) {
        TempFolder folder;
        const ProgramRun run = RunProgram("make_demo_bank", c.arguments, folder.path().string());
        EXPECT_EQ(run.exitCode, c.exitCode) << c.arguments[0];
        EXPECT_EQ(run.output.rfind("usage: make_demo_bank [<file>]\n", 0) == 0, c.usageOnStandardOutput)
            << c.arguments[0];
        EXPECT_TRUE(std::filesystem::is_empty(folder.path())) << c.arguments[0];
    }
    TempFolder folder;
    EXPECT_EQ(RunProgram("make_demo_bank", {"MY.EII"}, folder.path().string()).exitCode, 0);
    EXPECT_EQ(std::filesystem::file_size(folder.path() / "MY.EII"), 485887u);
}

}  // namespace
