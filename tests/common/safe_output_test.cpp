// Whole files written safely: the name ends up with the complete new file or exactly what it had.
#include "common/safe_output.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/temp_folder.h"

namespace {

namespace fs = std::filesystem;

std::vector<std::string> NamesIn(const TempFolder& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder.path()))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace

TEST(SafeOutputTest, AnExistingNameIsReplacedOnlyWhenAllowed) {
    struct Case {
        const char* what;
        bool existing;
        ExistingName mode;
        bool ok;
        bool nameTaken;
    };
    const Case cases[] = {
        {"free name, replace allowed", false, ExistingName::kReplace, true, false},
        {"free name, kept", false, ExistingName::kKeep, true, false},
        {"older file replaced", true, ExistingName::kReplace, true, false},
        {"older file kept", true, ExistingName::kKeep, false, true},
    };
    const std::vector<uint8_t> bytes = {1, 2, 3, 4, 5};
    const std::vector<uint8_t> older = {9, 9};
    for (const Case& c : cases) {
        TempFolder folder;
        const std::string path = folder.File("OUT.BIN");
        if (c.existing) WriteWholeFile(path, older);
        // A file left by an earlier power cut is passed over, never touched.
        WriteWholeFile(folder.File(".~OUT1.TMP"), older);
        const OutputOutcome outcome =
            WriteFileSafely(path.c_str(), bytes.data(), static_cast<uint32_t>(bytes.size()), c.mode);
        EXPECT_EQ(outcome.ok, c.ok) << c.what;
        EXPECT_EQ(outcome.nameTaken, c.nameTaken) << c.what;
        EXPECT_EQ(outcome.failedStep, c.ok ? OutputStep::kNone : OutputStep::kPlace) << c.what;
        EXPECT_TRUE(ReadWholeFile(path) == (c.ok ? bytes : older)) << c.what;
        EXPECT_TRUE(ReadWholeFile(folder.File(".~OUT1.TMP")) == older) << c.what;
        EXPECT_EQ(NamesIn(folder), (std::vector<std::string>{".~OUT1.TMP", "OUT.BIN"})) << c.what;
    }
}
