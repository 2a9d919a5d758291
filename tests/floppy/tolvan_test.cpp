#include "floppy/tolvan.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <string>
#include <vector>

#include "floppy/breska.h"
#include "floppy/error_numbers.h"
#include "floppy/layout.h"
#include "tests/floppy/floppy_test_support.h"
#include "tests/support/temp_folder.h"

namespace {

using Bytes = std::vector<uint8_t>;

std::string FirstLines(const std::string& file, const std::string& drive) {
    return "* * * OBERHEIM DPX DISK WRITE UTILITY V01.02.4 * * *\n\n"
           "Writing file " +
           file + " to OBERHEIM DPX Disk in drive " + drive + "...\n";
}

const char* const kWrongSize = "Inputfile has wrong size - it's probably not an Oberheim DPX diskimage.";

// What was on the disk before TOLVAN ran.
Bytes OldDisk() {
    return Bytes(kDiskBytes, 0xA5);
}

}  // namespace

TEST(TolvanTest, WritesEveryTrackOfTheImage) {
    const Bytes image = PatternImage();
    struct Case {
        const char* what;
        size_t extraBytes;  // after the 901,120 bytes of the image; never written
    };
    const Case cases[] = {{"901,120 bytes", 0}, {"1,000,000 bytes", 1000000 - 901120}};
    for (const Case& c : cases) {
        TempFolder folder;
        const std::string file = folder.File("IN.IMG");
        Bytes input = image;
        input.resize(image.size() + c.extraBytes, 0xEE);
        WriteWholeFile(file, input);
        VirtualFloppyDriver driver;
        driver.PutImage(OldDisk());
        const FloppyRun run = RunFloppyProgram(RunTolvan, {"A:", file}, driver);
        EXPECT_EQ(run.exitCode, 0) << c.what;
        EXPECT_EQ(run.output, FirstLines(file, "A:") + FullProgress() + "Press a key...\n") << c.what;
        EXPECT_TRUE(driver.TakeImage() == image) << c.what;
        EXPECT_EQ(driver.CallCount(VirtualCall::kWrite), 320) << c.what;
    }
}

TEST(TolvanTest, AShortInputFailsBeforeTheDiskIsTouched) {
    const Bytes image = PatternImage();
    const size_t sizes[] = {0, 5632 * 3 + 100, 901119};
    for (size_t size : sizes) {
        TempFolder folder;
        const std::string file = folder.File("SHORT.IMG");
        WriteWholeFile(file, Bytes(image.begin(), image.begin() + static_cast<std::ptrdiff_t>(size)));
        VirtualFloppyDriver driver;
        driver.PutImage(OldDisk());
        const FloppyRun run = RunFloppyProgram(RunTolvan, {"b:", file}, driver);
        EXPECT_EQ(run.exitCode, 0) << size;
        EXPECT_EQ(run.output, FirstLines(file, "b:") + Report(12, kWrongSize)) << size;
        EXPECT_EQ(driver.CallCount(VirtualCall::kSeek), 0) << size;
        EXPECT_EQ(driver.CallCount(VirtualCall::kWrite), 0) << size;
        EXPECT_TRUE(driver.TakeImage() == OldDisk()) << size;
    }
}

TEST(TolvanTest, AFailureLeavesTheTracksBeforeItWrittenAndTheRestAsTheyWere) {
    struct Case {
        const char* what;
        VirtualCall failing;
        int32_t cylinder;
        int32_t head;
        std::string after;
        int32_t tracksWritten;
    };
    const Case cases[] = {
        {"driver missing", VirtualCall::kVersion, kAnyTrack, kAnyTrack,
         Report(2,
                "The FDRAWCMD floppy driver is not installed. You can download the driver from "
                "http://simonowen.com/fdrawcmd/FdInstall.exe"),
         0},
        {"reset refused", VirtualCall::kReset, kAnyTrack, kAnyTrack, Report(8, "Floppy reset failed. 1000."),
         0},
        {"seek to cylinder 1 head 1 refused", VirtualCall::kSeek, 1, 1,
         ProgressUpTo(1) + Report(10, "The floppy seek was not successful."), 3},
        {"write on cylinder 2 head 1 refused", VirtualCall::kWrite, 2, 1,
         ProgressUpTo(2) + Report(11, "Writing sectors was not successful. 19."), 5},
    };
    const Bytes image = PatternImage();
    for (const Case& c : cases) {
        TempFolder folder;
        const std::string file = folder.File("IN.IMG");
        WriteWholeFile(file, image);
        VirtualFloppyDriver driver;
        driver.PutImage(OldDisk());
        driver.FailCall(c.failing, kErrorWriteProtected, c.cylinder, c.head);
        const FloppyRun run = RunFloppyProgram(RunTolvan, {"A:", file}, driver);
        EXPECT_EQ(run.exitCode, 0) << c.what;
        EXPECT_EQ(run.output, FirstLines(file, "A:") + c.after) << c.what;
        Bytes expected = OldDisk();
        std::copy(image.begin(), image.begin() + c.tracksWritten * kTrackBytes, expected.begin());
        EXPECT_TRUE(driver.TakeImage() == expected) << c.what;
    }
}

TEST(TolvanTest, AMissingInputFileIsReported) {
    TempFolder folder;
    const std::string file = folder.File("NONE.IMG");
    VirtualFloppyDriver driver;
    driver.LayOutDpxTracks();
    const FloppyRun run = RunFloppyProgram(RunTolvan, {"A:", file}, driver);
    EXPECT_EQ(run.output, FirstLines(file, "A:") + Report(9, "Input file " + file + " can not be opened."));
    EXPECT_EQ(driver.CallCount(VirtualCall::kVersion), 0);
}

TEST(TolvanTest, WhatTolvanWritesBreskaReadsBack) {
    const Bytes image = PatternImage();
    TempFolder folder;
    WriteWholeFile(folder.File("IN.IMG"), image);
    VirtualFloppyDriver driver;
    driver.LayOutDpxTracks();
    RunFloppyProgram(RunTolvan, {"B:", folder.File("IN.IMG")}, driver);
    const FloppyRun run = RunFloppyProgram(RunBreska, {"B:", folder.File("OUT.IMG")}, driver);
    EXPECT_EQ(run.output,
              "* * * OBERHEIM DPX DISK READ UTILITY V01.02.4 * * *\n\nReading OBERHEIM DPX Disk in drive B: "
              "to file " +
                  folder.File("OUT.IMG") + "...\n" + FullProgress() + "Press a key...\n");
    EXPECT_TRUE(ReadWholeFile(folder.File("OUT.IMG")) == image);
}
