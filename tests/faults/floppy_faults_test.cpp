// BRESKA and TOLVAN against the virtual drive when their image file fails: the failure is
// reported with its code and key wait, BRESKA keeps the tracks it wrote before the failure, and
// TOLVAN leaves the disk untouched.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "floppy/breska.h"
#include "floppy/layout.h"
#include "floppy/tolvan.h"
#include "tests/faults/fault_test_support.h"
#include "tests/floppy/floppy_test_support.h"
#include "tests/support/temp_folder.h"

namespace {

using FloppyFaultTest = FaultTest;
using Bytes = std::vector<uint8_t>;

constexpr int32_t kNoFile = -1;

}  // namespace

TEST_F(FloppyFaultTest, BreskaReportsAnImageFileThatFailsAndKeepsWhatItWrote) {
    // BRESKA examines the output name (query 1), creates the new file beside it (exclusive create
    // 1), appends each track as it is read (write 1 is cylinder 0 head 0, write 160 cylinder 79
    // head 1), passes the image on to the disk (flush 1) and renames it to the output (rename 1).
    // An older file of the output's name stays as it was until then; after a failure the tracks
    // read so far are kept under the name when it was free, beside the older file otherwise.
    const std::string kKeptBeside = "\nThe tracks read so far are kept in file {file}.partial.\n";
    struct Case {
        const char* what;
        FaultPlan fault;
        bool older;            // an older file of the output's name is there
        std::string after;     // what follows the reading line; {file} is the output's name
        int32_t bytesLeft;     // of the image under the output's name; kNoFile when there is none
        int32_t partialBytes;  // of the image in <name>.partial; kNoFile when there is none
        int32_t versionQueries;
    };
    const Case cases[] = {
        {"name cannot be examined",
         {PlatformCall::kQueryIdentity, 1, 5},
         false,
         Report(15, "Output file {file} can not be examined. Error is 5."),
         kNoFile,
         kNoFile,
         0},
        {"file cannot be created",
         {PlatformCall::kCreateExclusively, 1, 5},
         true,
         Report(9, "Output file can not be opened."),
         kNoFile,
         kNoFile,
         0},
        {"file held by another program",
         {PlatformCall::kCreateExclusively, 1, 32},
         false,
         Report(9, "Output file can not be opened."),
         kNoFile,
         kNoFile,
         0},
        {"first track cannot be written",
         {PlatformCall::kWriteToFile, 1, 112},
         false,
         ProgressUpTo(0) + Report(13, "Output file can not be written."),
         0,
         kNoFile,
         1},
        {"first track cannot be written over an older file: nothing to keep",
         {PlatformCall::kWriteToFile, 1, 112},
         true,
         ProgressUpTo(0) + Report(13, "Output file can not be written."),
         kNoFile,
         kNoFile,
         1},
        {"cylinder 5 head 1 cannot be written",
         {PlatformCall::kWriteToFile, 12, 112},
         false,
         ProgressUpTo(5) + Report(13, "Output file can not be written."),
         11 * kTrackBytes,
         kNoFile,
         1},
        {"cylinder 5 head 1 cannot be written over an older file",
         {PlatformCall::kWriteToFile, 12, 112},
         true,
         ProgressUpTo(5) + kKeptBeside + Report(13, "Output file can not be written."),
         kNoFile,
         11 * kTrackBytes,
         1},
        {"last track written half",
         {PlatformCall::kShortWrite, 160, 0},
         false,
         ProgressUpTo(79) + Report(13, "Output file can not be written."),
         159 * kTrackBytes + kTrackBytes / 2,
         kNoFile,
         1},
        {"image cannot be passed on to the disk",
         {PlatformCall::kFlushToDisk, 1, 5},
         false,
         FullProgress() + Report(16, "Output file can not be stored on the disk. Error is 5."),
         kDiskBytes,
         kNoFile,
         1},
        {"image cannot replace the older file",
         {PlatformCall::kRenameFile, 1, 18},
         true,
         FullProgress() + kKeptBeside + Report(17, "Output file can not be put in place. Error is 18."),
         kNoFile,
         kDiskBytes,
         1},
    };
    const Bytes image = PatternImage();
    const Bytes older(1000, 0x77);
    for (const Case& c : cases) {
        TempFolder folder;
        const std::string file = folder.File("OUT.IMG");
        if (c.older) WriteWholeFile(file, older);
        VirtualFloppyDriver driver;
        driver.PutImage(image);
        InjectFault(c.fault.call, c.fault.occurrence, c.fault.errorNumber);
        const FloppyRun run = RunFloppyProgram(RunBreska, {"A:", file}, driver);
        ClearInjectedFaults();
        EXPECT_EQ(run.exitCode, 0) << c.what;
        std::string after = c.after;
        for (size_t at = after.find("{file}"); at != std::string::npos; at = after.find("{file}"))
            after.replace(at, 6, file);
        EXPECT_EQ(run.output,
                  "* * * OBERHEIM DPX DISK READ UTILITY V01.02.4 * * *\n\n"
                  "Reading OBERHEIM DPX Disk in drive A: to file " +
                      file + "...\n" + after)
            << c.what;
        EXPECT_EQ(driver.CallCount(VirtualCall::kVersion), c.versionQueries) << c.what;
        // Under the output's name: the older file as it was, or the tracks read.
        if (c.older) {
            EXPECT_TRUE(ReadWholeFile(file) == older) << c.what;
        } else if (c.bytesLeft == kNoFile) {
            EXPECT_FALSE(std::filesystem::exists(file)) << c.what;
        } else {
            EXPECT_TRUE(ReadWholeFile(file) == Bytes(image.begin(), image.begin() + c.bytesLeft)) << c.what;
        }
        const std::string partial = file + ".partial";
        if (c.partialBytes == kNoFile) {
            EXPECT_FALSE(std::filesystem::exists(partial)) << c.what;
        } else {
            EXPECT_TRUE(ReadWholeFile(partial) == Bytes(image.begin(), image.begin() + c.partialBytes))
                << c.what;
        }
        // Nothing else is left in the folder.
        size_t entries = 0;
        for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder.path()))
            ++entries;
        EXPECT_EQ(entries,
                  (c.older || c.bytesLeft != kNoFile ? 1u : 0u) + (c.partialBytes != kNoFile ? 1u : 0u))
            << c.what;
    }
}

TEST_F(FloppyFaultTest, TolvanReportsAnImageFileThatFailsAndLeavesTheDiskAlone) {
    // TOLVAN opens the file (open 1) and reads the whole image in one call (read 1) before it
    // touches the drive.
    const std::string kWrongSize = "Inputfile has wrong size - it's probably not an Oberheim DPX diskimage.";
    struct Case {
        const char* what;
        FaultPlan fault;
        int32_t code;
        bool namesTheFile;  // the message is "Input file <name> can not be opened."
    };
    const Case cases[] = {
        {"file cannot be opened", {PlatformCall::kOpenForReading, 1, 5}, 9, true},
        {"file held by another program", {PlatformCall::kOpenForReading, 1, 32}, 9, true},
        {"read fails", {PlatformCall::kReadFromFile, 1, 23}, 12, false},
        {"read delivers half the image", {PlatformCall::kShortRead, 1, 0}, 12, false},
    };
    const Bytes image = PatternImage();
    const Bytes oldDisk(kDiskBytes, 0xA5);
    for (const Case& c : cases) {
        TempFolder folder;
        const std::string file = folder.File("IN.IMG");
        WriteWholeFile(file, image);
        VirtualFloppyDriver driver;
        driver.PutImage(oldDisk);
        InjectFault(c.fault.call, c.fault.occurrence, c.fault.errorNumber);
        const FloppyRun run = RunFloppyProgram(RunTolvan, {"B:", file}, driver);
        ClearInjectedFaults();
        const std::string message =
            c.namesTheFile ? "Input file " + file + " can not be opened." : kWrongSize;
        EXPECT_EQ(run.exitCode, 0) << c.what;
        EXPECT_EQ(run.output,
                  "* * * OBERHEIM DPX DISK WRITE UTILITY V01.02.4 * * *\n\n"
                  "Writing file " +
                      file + " to OBERHEIM DPX Disk in drive B:...\n" + Report(c.code, message))
            << c.what;
        EXPECT_EQ(driver.CallCount(VirtualCall::kVersion), 0) << c.what;
        EXPECT_TRUE(driver.TakeImage() == oldDisk) << c.what;
        EXPECT_TRUE(ReadWholeFile(file) == image) << c.what;
    }
}
