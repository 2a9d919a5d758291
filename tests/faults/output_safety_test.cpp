// What VELTRA and MORVEX leave on disk when an output goes wrong: an output name is written
// complete or left exactly as it was, names that are no regular file or lead to the input are
// refused before any work, and MORVEX's temporary image never stands in for the user's files.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include "convert/morvex.h"
#include "convert/veltra.h"
#include "tests/faults/fault_test_support.h"
#include "tests/programs/program_texts.h"
#include "tests/support/temp_folder.h"

namespace {

using OutputSafetyTest = FaultTest;
namespace fs = std::filesystem;

#ifdef _WIN32
constexpr uint32_t kAlreadyExists = 80;
#else
constexpr uint32_t kAlreadyExists = 17;
#endif

// One converter with an input it converts: VELTRA from a bank, MORVEX from VELTRA's image of it.
struct Converter {
    const char* name;
    ConverterProgram run;
    const std::string* banner;  // the other file's text, not a copy made before it exists
    std::string (*summary)(int);
    const char* input;
    const char* outputKind;  // "DPX" or "EII"
    int32_t createCode, writeCode, flushCode, placeCode, takenCode;
};

const Converter kConverters[] = {
    {"VELTRA", RunVeltra, &kVeltraBanner, VeltraSummary, "BANK.EII", "DPX", 804, 805, 807, 808, 809},
    {"MORVEX", RunMorvex, &kMorvexBanner, MorvexSummary, "BANK.DPX", "EII", 20030, 20031, 20032, 20033,
     20034},
};

// Puts the converter's input into the current folder.
void PutInput(const Converter& converter) {
    WriteWholeFile("BANK.EII", GoodBankImage());
    if (converter.run == RunMorvex) {
        RunConverter(RunVeltra, {"S", "BANK.EII", "BANK.DPX"});
        fs::remove("BANK.EII");
    }
}

std::string Converted(const Converter& converter, const std::string& out) {
    return "Processing file " + std::string(converter.input) + "...\n..." + converter.outputKind + " file " +
           out + " has been created.\n";
}

}  // namespace

TEST_F(OutputSafetyTest, AnOutputThatIsNoRegularFileIsRefusedAndLeftAlone) {
    enum class Thing { kFolder, kFifo, kDanglingLink, kDevice };
    struct Case {
        const char* what;
        Thing thing;
    };
    std::vector<Case> cases = {{"a folder", Thing::kFolder}};
#ifndef _WIN32
    cases.push_back({"a fifo", Thing::kFifo});
    cases.push_back({"a link that leads nowhere", Thing::kDanglingLink});
    cases.push_back({"the null device", Thing::kDevice});
#endif
    for (const Converter& converter : kConverters) {
        for (const Case& c : cases) {
            TempFolder folder;
            folder.Enter();
            PutInput(converter);
            std::string out = "OUT";
            if (c.thing == Thing::kFolder) fs::create_directory(out);
#ifndef _WIN32
            if (c.thing == Thing::kFifo) mkfifo(out.c_str(), 0666);
            if (c.thing == Thing::kDanglingLink) fs::create_symlink("NOWHERE.IMG", out);
#endif
            if (c.thing == Thing::kDevice) out = "/dev/null";
            const std::string output = RunConverter(converter.run, {"S", converter.input, out});
            EXPECT_EQ(output, *converter.banner + "ERROR: The output file " + out +
                                  " is not a regular file and has been left as it is. (702)\n" +
                                  converter.summary(0))
                << converter.name << ", " << c.what;
            const fs::file_status left = fs::symlink_status(out);
            const bool intact = c.thing == Thing::kFolder ? fs::is_directory(left)
                                : c.thing == Thing::kFifo ? fs::is_fifo(left)
                                : c.thing == Thing::kDanglingLink
                                    ? fs::is_symlink(left) && !fs::exists("NOWHERE.IMG")
                                    : fs::is_character_file(left);
            EXPECT_TRUE(intact) << converter.name << ", " << c.what;
        }
    }
}

TEST_F(OutputSafetyTest, AnOutputThatIsTheInputIsRefusedBeforeAnythingIsWritten) {
    enum class Route { kSameName, kOtherPath, kHardLink, kSymbolicLink };
    struct Case {
        const char* what;
        Route route;
    };
    std::vector<Case> cases = {{"the same name", Route::kSameName},
                               {"another path", Route::kOtherPath},
                               {"a hard link", Route::kHardLink}};
#ifndef _WIN32
    cases.push_back({"a symbolic link", Route::kSymbolicLink});
#endif
    for (const Converter& converter : kConverters) {
        for (const Case& c : cases) {
            TempFolder folder;
            folder.Enter();
            PutInput(converter);
            const std::vector<uint8_t> input = ReadWholeFile(converter.input);
            std::string out = converter.input;
            if (c.route == Route::kOtherPath) out = "./" + out;
            if (c.route == Route::kHardLink || c.route == Route::kSymbolicLink) out = "LINKED";
            if (c.route == Route::kHardLink) fs::create_hard_link(converter.input, out);
            if (c.route == Route::kSymbolicLink) fs::create_symlink(converter.input, out);
            const std::string output = RunConverter(converter.run, {"S", converter.input, out});
            EXPECT_EQ(output, *converter.banner + "ERROR: The output file " + out + " is the input file " +
                                  converter.input + ". (703)\n" + converter.summary(0))
                << converter.name << ", " << c.what;
            EXPECT_TRUE(ReadWholeFile(converter.input) == input) << converter.name << ", " << c.what;
        }
    }
}

TEST_F(OutputSafetyTest, AFailedWriteLeavesTheOutputNameAsItWas) {
    // The output is made as a new file beside it (exclusive create 2 for MORVEX, whose temporary
    // image is the first), written in one call, passed on to the disk and renamed into place.
    struct Case {
        const char* what;
        PlatformCall call;
        uint32_t error;
        int32_t Converter::*code;
    };
    const Case cases[] = {
        {"new file cannot be created", PlatformCall::kCreateExclusively, 28, &Converter::createCode},
        {"write fails: disk full", PlatformCall::kWriteToFile, 28, &Converter::writeCode},
        {"write takes half the image", PlatformCall::kShortWrite, 0, &Converter::writeCode},
        {"image cannot be passed on to the disk", PlatformCall::kFlushToDisk, 5, &Converter::flushCode},
        {"image cannot take the name", PlatformCall::kRenameFile, 5, &Converter::placeCode},
    };
    const std::string older = "an older file of the user's";
    for (const Converter& converter : kConverters) {
        for (const Case& c : cases) {
            for (const bool olderThere : {false, true}) {
                TempFolder folder;
                folder.Enter();
                PutInput(converter);
                const std::vector<std::string> before = FilesHere();
                if (olderThere) WriteTextFile("OUT.IMG", older);
                const bool morvexCreate =
                    converter.run == RunMorvex && c.call == PlatformCall::kCreateExclusively;
                const bool morvexWrite =
                    converter.run == RunMorvex && c.call != PlatformCall::kCreateExclusively &&
                    c.call != PlatformCall::kFlushToDisk && c.call != PlatformCall::kRenameFile;
                // MORVEX's temporary image takes the first create and one write.
                InjectFault(c.call, morvexCreate || morvexWrite ? 2 : 1, c.error);
                const std::string output = RunConverter(converter.run, {"S", converter.input, "OUT.IMG"});
                ClearInjectedFaults();
                const std::string words =
                    c.call == PlatformCall::kFlushToDisk  ? "Problem storing file OUT.IMG on the disk"
                    : c.call == PlatformCall::kRenameFile ? "Problem putting file OUT.IMG in place"
                                                          : "Problem writing file OUT.IMG";
                EXPECT_EQ(output, *converter.banner + "Processing file " + converter.input + "...\nERROR: " +
                                      words + ". Error is " + std::to_string(c.error) + ". (" +
                                      std::to_string(converter.*c.code) + ")\n" + converter.summary(0))
                    << converter.name << ", " << c.what;
                std::vector<std::string> expectedLeft = before;
                if (olderThere) {
                    expectedLeft.push_back("OUT.IMG");
                    const std::vector<uint8_t> kept = ReadWholeFile("OUT.IMG");
                    EXPECT_EQ(std::string(kept.begin(), kept.end()), older)
                        << converter.name << ", " << c.what;
                }
                std::sort(expectedLeft.begin(), expectedLeft.end());
                EXPECT_EQ(FilesHere(), expectedLeft) << converter.name << ", " << c.what;
            }
        }
    }
}

TEST_F(OutputSafetyTest, AChosenNameIsNeverPutOverAFileThatAppeared) {
    // The final rename of a chosen name finds a file there (the injected error says so): the next
    // free name is chosen and the image written again, a few times at most.
    struct Case {
        const char* what;
        int32_t takenTimes;
        bool converted;
    };
    const Case cases[] = {{"once", 1, true}, {"every time", 8, false}};
    for (const Converter& converter : kConverters) {
        for (const Case& c : cases) {
            TempFolder folder;
            folder.Enter();
            PutInput(converter);
            const std::vector<std::string> before = FilesHere();
            for (int32_t time = 1; time <= c.takenTimes; ++time)
                InjectFault(PlatformCall::kRenameFile, time, kAlreadyExists);
            const std::string output = RunConverter(converter.run, {"S", converter.input});
            ClearInjectedFaults();
            const std::string out = std::string("BANK.") + converter.outputKind;
            const std::string expected =
                c.converted ? Converted(converter, out) + converter.summary(1)
                            : "Processing file " + std::string(converter.input) + "...\nERROR: File " + out +
                                  " was made by another program meanwhile and has been left as it is. (" +
                                  std::to_string(converter.takenCode) + ")\n" + converter.summary(0);
            EXPECT_EQ(output, *converter.banner + expected) << converter.name << ", " << c.what;
            std::vector<std::string> expectedLeft = before;
            if (c.converted) expectedLeft.push_back(out);
            std::sort(expectedLeft.begin(), expectedLeft.end());
            EXPECT_EQ(FilesHere(), expectedLeft) << converter.name << ", " << c.what;
        }
    }
}

TEST_F(OutputSafetyTest, MorvexKeepsItsTemporaryImageApartFromTheUsersFiles) {
    enum class Setup { kOutputOtherPath, kOutputAbsolute, kInputIsTheName };
    struct Case {
        const char* what;
        Setup setup;
        std::string report;  // {dir} is the folder
    };
    const Case cases[] = {
        {"output by another path", Setup::kOutputOtherPath,
         "ERROR: The output file ./_MORVEXTMP_.IMG is the temporary image of MORVEX. (11014)\n"},
        {"output by its absolute path", Setup::kOutputAbsolute,
         "ERROR: The output file {dir} is the temporary image of MORVEX. (11014)\n"},
        {"input under the temporary image's name", Setup::kInputIsTheName,
         "ERROR: The input file _MORVEXTMP_.IMG is the temporary image of MORVEX. (11016)\n"},
    };
    for (const Case& c : cases) {
        TempFolder folder;
        folder.Enter();
        PutInput(kConverters[1]);
        std::string input = "BANK.DPX";
        std::string out =
            c.setup == Setup::kOutputOtherPath ? "./_MORVEXTMP_.IMG" : folder.File("_MORVEXTMP_.IMG");
        if (c.setup == Setup::kInputIsTheName) {
            input = "_MORVEXTMP_.IMG";
            fs::rename("BANK.DPX", input);
            out = "BACK.EII";
        }
        const std::vector<std::string> before = FilesHere();
        const std::vector<uint8_t> inputBytes = ReadWholeFile(input);
        const std::string output = RunConverter(RunMorvex, {"S", input, out});
        std::string report = c.report;
        if (report.find("{dir}") != std::string::npos) report.replace(report.find("{dir}"), 5, out);
        EXPECT_EQ(output, kMorvexBanner + report + MorvexSummary(0)) << c.what;
        EXPECT_EQ(FilesHere(), before) << c.what;
        EXPECT_TRUE(ReadWholeFile(input) == inputBytes) << c.what;
    }
}
