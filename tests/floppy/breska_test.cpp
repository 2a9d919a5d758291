#include "floppy/breska.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "floppy/error_numbers.h"
#include "floppy/layout.h"
#include "tests/floppy/floppy_test_support.h"
#include "tests/support/temp_folder.h"

namespace {

using Bytes = std::vector<uint8_t>;

std::string FirstLines(const std::string& drive, const std::string& file) {
    return "* * * OBERHEIM DPX DISK READ UTILITY V01.02.4 * * *\n\n"
           "Reading OBERHEIM DPX Disk in drive " +
           drive + " to file " + file + "...\n";
}

Bytes FirstTracks(const Bytes& image, int32_t tracks) {
    return Bytes(image.begin(), image.begin() + tracks * kTrackBytes);
}

}  // namespace

TEST(BreskaTest, ReadsTheWholeDiskInImageOrderReplacingTheFile) {
    const Bytes image = PatternImage();
    struct Case {
        const char* what;
        size_t existingBytes;  // of an older file of the same name; 0 for none
    };
    const Case cases[] = {{"new file", 0}, {"longer file replaced", 1000000}, {"shorter file replaced", 10}};
    for (const Case& c : cases) {
        TempFolder folder;
        const std::string file = folder.File("DISK 1.IMG");
        if (c.existingBytes > 0) WriteWholeFile(file, Bytes(c.existingBytes, 0x77));
        VirtualFloppyDriver driver;
        driver.PutImage(image);
        const FloppyRun run = RunFloppyProgram(RunBreska, {"A:", file}, driver);
        EXPECT_EQ(run.exitCode, 0) << c.what;
        EXPECT_EQ(run.output, FirstLines("A:", file) + FullProgress() + "Press a key...\n") << c.what;
        const Bytes written = ReadWholeFile(file);
        EXPECT_EQ(written.size(), 901120u) << c.what;
        EXPECT_TRUE(written == image) << c.what;
    }
}

TEST(BreskaTest, AFailureIsReportedAndTheTracksReadSoFarStay) {
    enum class Trouble { kNoDriver, kOldDriver, kNoDrive, kDataRate, kReset, kSeek, kCrc, kBlankDisk };
    struct Case {
        const char* what;
        Trouble trouble;
        std::string after;  // what follows the reading line
        int32_t tracks;     // left in the file
    };
    const Case cases[] = {
        {"driver missing", Trouble::kNoDriver,
         Report(2,
                "The FDRAWCMD floppy driver is not installed. You can download the driver from "
                "http://simonowen.com/fdrawcmd/FdInstall.exe"),
         0},
        {"driver 0x00FF", Trouble::kOldDriver,
         Report(3,
                "The installed FDRAWCMD floppy driver is too old. You can download a new version from "
                "http://simonowen.com/fdrawcmd/FdInstall.exe"),
         0},
        {"drive cannot be opened", Trouble::kNoDrive, Report(6, "Could not open drive \\\\.\\fdraw0."), 0},
        {"data rate refused", Trouble::kDataRate, Report(7, "Error setting the data rate."), 0},
        {"reset refused", Trouble::kReset, Report(8, "Floppy reset failed. 1000."), 0},
        {"seek to cylinder 3 head 0 refused", Trouble::kSeek,
         ProgressUpTo(3) + Report(10, "The floppy seek was not successful."), 6},
        {"unreadable sector on cylinder 5 head 1", Trouble::kCrc,
         ProgressUpTo(5) + Report(11, "Reading sectors was not successful. 23."), 11},
        {"blank disk", Trouble::kBlankDisk,
         ProgressUpTo(0) + Report(11, "Reading sectors was not successful. 1122."), 0},
    };
    const Bytes image = PatternImage();
    for (const Case& c : cases) {
        TempFolder folder;
        const std::string file = folder.File("OUT.IMG");
        VirtualFloppyDriver driver;
        if (c.trouble != Trouble::kBlankDisk) driver.PutImage(image);
        switch (c.trouble) {
            case Trouble::kNoDriver:
                driver.FailCall(VirtualCall::kVersion, kErrorFileNotFound);
                break;
            case Trouble::kOldDriver:
                driver.SetVersion(0x00FF0000);
                break;
            case Trouble::kNoDrive:
                driver.FailCall(VirtualCall::kOpen, kErrorFileNotFound);
                break;
            case Trouble::kDataRate:
                driver.FailCall(VirtualCall::kDataRate, kErrorInvalidParameter);
                break;
            case Trouble::kReset:
                driver.FailCall(VirtualCall::kReset, kErrorNotReady);
                break;
            case Trouble::kSeek:
                driver.FailCall(VirtualCall::kSeek, kErrorSeek, 3, 0);
                break;
            case Trouble::kCrc:
                driver.MarkUnreadable(5, 1, 2);
                break;
            case Trouble::kBlankDisk:
                break;
        }
        const FloppyRun run = RunFloppyProgram(RunBreska, {"a:", file}, driver);
        EXPECT_EQ(run.exitCode, 0) << c.what;
        EXPECT_EQ(run.output, FirstLines("a:", file) + c.after) << c.what;
        EXPECT_TRUE(ReadWholeFile(file) == FirstTracks(image, c.tracks)) << c.what;
    }
}

TEST(BreskaTest, AnOutputFileThatCannotBeMadeOrFilledEndsTheRun) {
    TempFolder folder;
    struct Case {
        const char* what;
        std::string file;
        std::string after;
        int32_t versionQueries;
    };
    const std::string notRegular = " is not a regular file and has been left as it is.";
    std::vector<Case> cases = {
        {"folder missing", folder.File("missing") + "/OUT.IMG", Report(9, "Output file can not be opened."),
         0},
        {"a folder", folder.File(""), Report(14, "Output file " + folder.File("") + notRegular), 0},
    };
#ifndef _WIN32
    // A device is never written nor deleted; nor is a link that leads nowhere followed.
    cases.push_back({"a device", "/dev/full", Report(14, "Output file /dev/full" + notRegular), 0});
    std::filesystem::create_symlink(folder.File("nowhere.img"), folder.File("LINK.IMG"));
    cases.push_back({"a link that leads nowhere", folder.File("LINK.IMG"),
                     Report(14, "Output file " + folder.File("LINK.IMG") + notRegular), 0});
#endif
    for (const Case& c : cases) {
        VirtualFloppyDriver driver;
        driver.LayOutDpxTracks();
        const FloppyRun run = RunFloppyProgram(RunBreska, {"B:", c.file}, driver);
        EXPECT_EQ(run.exitCode, 0) << c.what;
        EXPECT_EQ(run.output, FirstLines("B:", c.file) + c.after) << c.what;
        EXPECT_EQ(driver.CallCount(VirtualCall::kVersion), c.versionQueries) << c.what;
    }
}

TEST(BreskaTest, AnOlderImageStaysUntilTheReadIsComplete) {
    struct Case {
        const char* what;
        bool driverMissing;
        int32_t seekFailsAt;    // cylinder whose seek fails, head 0; -1 for none
        std::string after;      // what follows the reading line; {file} is the output's name
        int32_t partialTracks;  // kept beside the older file as <name>.partial; -1 for none
    };
    const Case cases[] = {
        {"no floppy driver", true, -1,
         Report(2,
                "The FDRAWCMD floppy driver is not installed. You can download the driver from "
                "http://simonowen.com/fdrawcmd/FdInstall.exe"),
         -1},
        {"seek to cylinder 3 refused", false, 3,
         ProgressUpTo(3) + "\nThe tracks read so far are kept in file {file}.partial.\n" +
             Report(10, "The floppy seek was not successful."),
         6},
    };
    const Bytes image = PatternImage();
    const Bytes older(2000, 0x5C);
    for (const Case& c : cases) {
        TempFolder folder;
        const std::string file = folder.File("X.DPX");
        WriteWholeFile(file, older);
        VirtualFloppyDriver driver;
        driver.PutImage(image);
        if (c.driverMissing) driver.FailCall(VirtualCall::kVersion, kErrorFileNotFound);
        if (c.seekFailsAt >= 0) driver.FailCall(VirtualCall::kSeek, kErrorSeek, c.seekFailsAt, 0);
        const FloppyRun run = RunFloppyProgram(RunBreska, {"A:", file}, driver);
        std::string after = c.after;
        if (after.find("{file}") != std::string::npos) after.replace(after.find("{file}"), 6, file);
        EXPECT_EQ(run.output, FirstLines("A:", file) + after) << c.what;
        EXPECT_TRUE(ReadWholeFile(file) == older) << c.what;
        EXPECT_EQ(std::filesystem::exists(file + ".partial"), c.partialTracks >= 0) << c.what;
        if (c.partialTracks >= 0) {
            EXPECT_TRUE(ReadWholeFile(file + ".partial") == FirstTracks(image, c.partialTracks)) << c.what;
        }
    }
}
