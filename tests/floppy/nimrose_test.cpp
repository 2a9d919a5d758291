#include "floppy/nimrose.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "floppy/breska.h"
#include "floppy/error_numbers.h"
#include "floppy/format_track.h"
#include "floppy/layout.h"
#include "tests/floppy/floppy_test_support.h"
#include "tests/support/temp_folder.h"

namespace {

using Bytes = std::vector<uint8_t>;

std::string FirstLines(const std::string& drive) {
    return "* * * OBERHEIM DPX DISK FORMAT UTILITY V01.02.4 * * *\n\nFormatting OBERHEIM DPX Disk in drive " +
           drive + "...\n";
}

Bytes FormatBytes(const FormatParameters& parameters) {
    const auto* bytes = reinterpret_cast<const uint8_t*>(&parameters);
    return Bytes(bytes, bytes + sizeof parameters);
}

// The disk NIMROSE leaves: zeros, and the identification block in sector 5 of cylinder 0 head 0.
Bytes EmptyDpxDisk() {
    Bytes disk(kDiskBytes, 0);
    std::copy(kEmptyDiskIdentificationBlock.begin(), kEmptyDiskIdentificationBlock.end(),
              disk.begin() + kLargeSectorsBytes);
    return disk;
}

}  // namespace

TEST(NimroseTest, FormatsEveryTrackAndLeavesAnEmptyDpxDisk) {
    VirtualFloppyDriver driver;
    driver.PutImage(PatternImage());  // an old disk whose contents must go
    driver.PlaceHead(82);             // the last run left the head at the end of its travel
    const FloppyRun run = RunFloppyProgram(RunNimrose, {"B:"}, driver);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.output, FirstLines("B:") + FullProgress() + "Press a key...\n");
    EXPECT_EQ(driver.OpenedDevice(), "\\\\.\\fdraw1");

    const Bytes cylinder7Head1 = {
        0x40, 0x01, 0x01, 0x0B, 0xF1, 0x00, 0x07, 0x01, 0x00, 0x03, 0x07, 0x01, 0x99, 0x03, 0x07, 0x01, 0x01,
        0x03, 0x07, 0x01, 0x99, 0x03, 0x07, 0x01, 0x02, 0x03, 0x07, 0x01, 0x99, 0x03, 0x07, 0x01, 0x03, 0x03,
        0x07, 0x01, 0x99, 0x03, 0x07, 0x01, 0x04, 0x03, 0x07, 0x01, 0x99, 0x03, 0x07, 0x01, 0x05, 0x02};
    EXPECT_EQ(FormatBytes(driver.Track(7, 1).lastFormat), cylinder7Head1);
    EXPECT_EQ(driver.CallCount(VirtualCall::kFormat), 160);
    for (int32_t cylinder = 0; cylinder < kCylinders; ++cylinder)
        for (int32_t head = 0; head < kHeads; ++head)
            EXPECT_EQ(FormatBytes(driver.Track(cylinder, head).lastFormat),
                      FormatBytes(BuildFormatParameters(head, cylinder)))
                << cylinder << " " << head;

    // BRESKA reads the formatted disk back, starting where NIMROSE left the head: zeros except the
    // identification block.
    TempFolder folder;
    const FloppyRun read = RunFloppyProgram(RunBreska, {"b:", folder.File("EMPTY.IMG")}, driver);
    EXPECT_EQ(read.output,
              "* * * OBERHEIM DPX DISK READ UTILITY V01.02.4 * * *\n\nReading OBERHEIM DPX Disk in drive b: "
              "to file " +
                  folder.File("EMPTY.IMG") + "...\n" + FullProgress() + "Press a key...\n");
    EXPECT_TRUE(ReadWholeFile(folder.File("EMPTY.IMG")) == EmptyDpxDisk());
}

TEST(NimroseTest, AFailureIsReportedAndTheTracksBeforeItStayFormatted) {
    struct Case {
        const char* what;
        VirtualCall failing;
        int32_t cylinder;
        int32_t head;
        std::string after;
        int32_t tracksFormatted;
    };
    const Case cases[] = {
        {"driver missing", VirtualCall::kVersion, kAnyTrack, kAnyTrack,
         Report(2,
                "The FDRAWCMD floppy driver is not installed. You can download the driver from "
                "http://simonowen.com/fdrawcmd/FdInstall.exe"),
         0},
        {"drive cannot be opened", VirtualCall::kOpen, kAnyTrack, kAnyTrack,
         Report(6, "Could not open drive \\\\.\\fdraw0."), 0},
        {"seek to cylinder 10 head 1 refused", VirtualCall::kSeek, 10, 1,
         ProgressUpTo(10) + Report(10, "The floppy seek was not successful."), 21},
        {"format of cylinder 4 head 0 refused", VirtualCall::kFormat, 4, 0,
         ProgressUpTo(4) + Report(12, "Formatting was not successful, code 19."), 8},
        {"write of cylinder 0 head 0 refused", VirtualCall::kWrite, 0, 0,
         ProgressUpTo(0) + Report(11, "Writing sectors was not successful. 19."), 1},
    };
    for (const Case& c : cases) {
        VirtualFloppyDriver driver;
        driver.FailCall(c.failing, kErrorWriteProtected, c.cylinder, c.head);
        const FloppyRun run = RunFloppyProgram(RunNimrose, {"a:"}, driver);
        EXPECT_EQ(run.exitCode, 0) << c.what;
        EXPECT_EQ(run.output, FirstLines("a:") + c.after) << c.what;
        int32_t formatted = 0;
        for (int32_t cylinder = 0; cylinder < kCylinders; ++cylinder)
            for (int32_t head = 0; head < kHeads; ++head)
                if (!driver.Track(cylinder, head).sectors.empty()) ++formatted;
        EXPECT_EQ(formatted, c.tracksFormatted) << c.what;
    }
}
