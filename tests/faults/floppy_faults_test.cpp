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
    // BRESKA creates the file (create 1) and appends each track as it is read (write 1 is
    // cylinder 0 head 0, write 160 cylinder 79 head 1).
    struct Case {
        const char* what;
        FaultPlan fault;
        std::string after;  // what follows the reading line
        int32_t bytesLeft;  // in the file; kNoFile when there is none
        int32_t versionQueries;
    };
    const Case cases[] = {
        {"file cannot be created",
         {PlatformCall::kCreateForWriting, 1, 5},
         Report(9, "Output file can not be opened."),
         kNoFile,
         0},
        {"file held by another program",
         {PlatformCall::kCreateForWriting, 1, 32},
         Report(9, "Output file can not be opened."),
         kNoFile,
         0},
        {"first track cannot be written",
         {PlatformCall::kWriteToFile, 1, 112},
         ProgressUpTo(0) + Report(13, "Output file can not be written."),
         0,
         1},
        {"cylinder 5 head 1 cannot be written",
         {PlatformCall::kWriteToFile, 12, 112},
         ProgressUpTo(5) + Report(13, "Output file can not be written."),
         11 * kTrackBytes,
         1},
        {"last track written half",
         {PlatformCall::kShortWrite, 160, 0},
         ProgressUpTo(79) + Report(13, "Output file can not be written."),
         159 * kTrackBytes + kTrackBytes / 2,
         1},
    };
    const Bytes image = PatternImage();
    for (const Case& c : cases) {
        TempFolder folder;
        const std::string file = folder.File("OUT.IMG");
        VirtualFloppyDriver driver;
        driver.PutImage(image);
        InjectFault(c.fault.call, c.fault.occurrence, c.fault.errorNumber);
        const FloppyRun run = RunFloppyProgram(RunBreska, {"A:", file}, driver);
        ClearInjectedFaults();
        EXPECT_EQ(run.exitCode, 0) << c.what;
        EXPECT_EQ(run.output,
                  "* * * OBERHEIM DPX DISK READ UTILITY V01.02.4 * * *\n\n"
                  "Reading OBERHEIM DPX Disk in drive A: to file " +
                      file + "...\n" + c.after)
            << c.what;
        EXPECT_EQ(driver.CallCount(VirtualCall::kVersion), c.versionQueries) << c.what;
        if (c.bytesLeft == kNoFile) {
            EXPECT_FALSE(std::filesystem::exists(file)) << c.what;
            continue;
        }
        EXPECT_TRUE(ReadWholeFile(file) == Bytes(image.begin(), image.begin() + c.bytesLeft)) << c.what;
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
