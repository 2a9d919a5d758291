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

TEST(SafeOutputTest, OutputNamesAreExaminedBeforeAnyWork) {
    struct Case {
        const char* what;
        std::string output;  // in the folder, which holds IN.BIN, OTHER.BIN and SUB/
        bool withInput;
        OutputNameCheck expected;
    };
    const Case cases[] = {
        {"free name", "NEW.BIN", true, OutputNameCheck::kUsable},
        {"another regular file", "OTHER.BIN", true, OutputNameCheck::kUsable},
        {"a folder", "SUB", true, OutputNameCheck::kNotRegular},
        {"the input", "IN.BIN", true, OutputNameCheck::kSameAsInput},
        {"the input through its folder", "SUB/../IN.BIN", true, OutputNameCheck::kSameAsInput},
        {"no input to compare", "IN.BIN", false, OutputNameCheck::kUsable},
    };
    TempFolder folder;
    WriteWholeFile(folder.File("IN.BIN"), {1});
    WriteWholeFile(folder.File("OTHER.BIN"), {1});
    fs::create_directory(folder.File("SUB"));
    const std::string input = folder.File("IN.BIN");
    for (const Case& c : cases) {
        uint32_t error = 99;
        const std::string output = folder.File(c.output);
        EXPECT_EQ(CheckOutputName(output.c_str(), c.withInput ? input.c_str() : nullptr, &error), c.expected)
            << c.what;
        EXPECT_EQ(error, 0u) << c.what;
    }
}
