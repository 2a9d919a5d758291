// The floppy programs on the emulated drive: DPX_DRIVE_A / DPX_DRIVE_B naming an HFE file, the
// drive's speed from DPX_DRIVE_RPM, and what the disk holds afterwards, read straight from the file.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "floppy/breska.h"
#include "floppy/format_track.h"
#include "floppy/layout.h"
#include "floppy/nimrose.h"
#include "floppy/platform_driver.h"
#include "floppy/tolvan.h"
#include "flux/controller.h"
#include "flux/hfe.h"
#include "flux/sector_scan.h"
#include "tests/floppy/floppy_test_support.h"
#include "tests/support/console_capture.h"
#include "tests/support/run_program.h"
#include "tests/support/temp_folder.h"

namespace {

using Bytes = std::vector<uint8_t>;

void SetVariable(const char* name, const std::string& value) {
#ifdef _WIN32
    _putenv_s(name, value.c_str());
#else
    if (value.empty())
        unsetenv(name);
    else
        setenv(name, value.c_str(), 1);
#endif
}

// The variables set for one test, cleared again when it ends.
class EmulatedDriveTest : public testing::Test {
  protected:
    void TearDown() override {
        for (const char* name : {"DPX_DRIVE_A", "DPX_DRIVE_B", "DPX_DRIVE_RPM"}) SetVariable(name, "");
    }
};

// Runs a program in-process as its main does: the driver chosen from the arguments and the
// environment, the disk saved at the end.
FloppyRun RunOnDrive(FloppyProgram program, const std::vector<std::string>& arguments) {
    std::vector<const char*> argv = {"program"};
    for (const std::string& argument : arguments) argv.push_back(argument.c_str());
    const int argc = static_cast<int>(argv.size());
    StartConsoleCapture();
    const int exitCode = program(argc, argv.data(), ProgramFloppyDriver(argc, argv.data()));
    EndProgramFloppyDriver();
    return FloppyRun{exitCode, StopConsoleCapture()};
}

// What a decoder of the HFE file finds: the image (zeros for sectors not good) and, per sector
// number, the tracks on which it is good.
struct DecodedDisk {
    Bytes image;
    int32_t good[6] = {};
    bool sector5AcrossIndex = false;  // on cylinder 0 head 0
};

DecodedDisk DecodeHfeFile(const std::string& path) {
    DecodedDisk decoded;
    decoded.image.assign(kDiskBytes, 0);
    const Bytes bytes = ReadWholeFile(path);
    HfeDisk disk;
    EXPECT_TRUE(ReadHfe(bytes.data(), bytes.size(), &disk).ok());
    if (disk.tracks.size() < static_cast<size_t>(kTracks)) return decoded;
    for (int32_t cylinder = 0; cylinder < kCylinders; ++cylinder) {
        for (int32_t head = 0; head < kHeads; ++head) {
            const CellTrack& track = disk.tracks[static_cast<size_t>(cylinder * disk.sides + head)];
            const SectorTrack read = ScanDpxTrack(track, cylinder, head);
            for (size_t sector = 0; sector < 6; ++sector) {
                const ScannedSector& found = read.sectors[sector];
                if (found.state != SectorState::kGood) continue;
                ++decoded.good[sector];
                std::copy(found.data.begin(), found.data.end(),
                          decoded.image.begin() + TrackOffset(cylinder, head) + sector * kLargeSectorBytes);
            }
            // From sector 5's ID field to the end of its data field: gap 2, sync, mark, data, CRC.
            const uint32_t end = read.sectors[5].idCell + (10 + 22 + 12 + 4 + 512 + 2) * kCellsPerByte;
            if (cylinder == 0 && head == 0) decoded.sector5AcrossIndex = end > track.cells.size();
        }
    }
    return decoded;
}

Bytes EmptyDisk() {
    Bytes image(kDiskBytes, 0);
    std::copy(kEmptyDiskIdentificationBlock.begin(), kEmptyDiskIdentificationBlock.end(),
              image.begin() + kLargeSectorsBytes);
    return image;
}

std::string Banner(const char* what) {
    return std::string("* * * OBERHEIM DPX DISK ") + what + " UTILITY V01.02.4 * * *\n\n";
}

}  // namespace

TEST_F(EmulatedDriveTest, ABlankDiskFailsAsARealOneUntilNimroseFormatsIt) {
    TempFolder folder;
    const std::string disk = folder.File("BLANK.HFE");
    const std::string image = folder.File("IN.DPX");
    WriteWholeFile(image, PatternImage());
    SetVariable("DPX_DRIVE_B", disk);
    // No ID field anywhere: the controller's "missing address mark". Nothing was written, so no
    // file appears.
    const FloppyRun read = RunOnDrive(RunBreska, {"b:", folder.File("OUT.DPX")});
    EXPECT_EQ(read.output, Banner("READ") + "Reading OBERHEIM DPX Disk in drive b: to file " +
                               folder.File("OUT.DPX") + "...\n" + ProgressUpTo(0) +
                               Report(11, "Reading sectors was not successful. 1122."));
    const FloppyRun write = RunOnDrive(RunTolvan, {"B:", image});
    EXPECT_EQ(write.output, Banner("WRITE") + "Writing file " + image +
                                " to OBERHEIM DPX Disk in drive B:...\n" + ProgressUpTo(0) +
                                Report(11, "Writing sectors was not successful. 1122."));
    EXPECT_FALSE(std::filesystem::exists(disk));

    const FloppyRun format = RunOnDrive(RunNimrose, {"B:"});
    EXPECT_EQ(format.output, Banner("FORMAT") + "Formatting OBERHEIM DPX Disk in drive B:...\n" +
                                 FullProgress() + "Press a key...\n");
    EXPECT_TRUE(DecodeHfeFile(disk).image == EmptyDisk());
}

TEST_F(EmulatedDriveTest, AnUnusableFileOrSpeedIsReportedAndTheFileLeftAlone) {
    struct Case {
        const char* what;
        Bytes file;  // empty: no file
        const char* rpm;
        std::string message;  // after "The emulated drive A: can not use file <name>" or alone
    };
    const Bytes text = {'h', 'e', 'l', 'l', 'o'};
    const Case cases[] = {
        {"not an HFE file", text, "", ": not an HFE file (no HXCPICFE signature)."},
        {"speed not a number",
         {},
         "fast",
         "DPX_DRIVE_RPM is \"fast\": the emulated drive turns at 150 to 600 rpm, for example 300 or 304.5."},
        {"speed 0",
         {},
         "0",
         "DPX_DRIVE_RPM is \"0\": the emulated drive turns at 150 to 600 rpm, for example 300 or 304.5."},
        {"speed with a unit",
         {},
         "300rpm",
         "DPX_DRIVE_RPM is \"300rpm\": the emulated drive turns at 150 to 600 rpm, for example 300 or "
         "304.5."},
    };
    for (const Case& c : cases) {
        TempFolder folder;
        const std::string disk = folder.File("DISK.HFE");
        if (!c.file.empty()) WriteWholeFile(disk, c.file);
        SetVariable("DPX_DRIVE_A", disk);
        SetVariable("DPX_DRIVE_RPM", c.rpm);
        const FloppyRun run = RunOnDrive(RunNimrose, {"a:"});
        const std::string message =
            c.file.empty() ? c.message : "The emulated drive a: can not use file " + disk + c.message;
        EXPECT_EQ(run.output,
                  Banner("FORMAT") + "Formatting OBERHEIM DPX Disk in drive a:...\n" + Report(2, message))
            << c.what;
        EXPECT_EQ(std::filesystem::exists(disk), !c.file.empty()) << c.what;
        if (!c.file.empty()) {
            EXPECT_TRUE(ReadWholeFile(disk) == c.file) << c.what;
        }
    }
}

// NIMROSE, TOLVAN and BRESKA one after the other on one drive, the disk kept in the HFE file in
// between. NIMROSE's write of sector 5 runs 60 bytes past the index at 300 rpm; on a fast drive it
// runs further, into the sync before sector 0's ID field: at 304.5 rpm 4 of its 12 bytes are left
// and the controller still finds the ID; at 306 rpm the ID field itself is overwritten on every
// track, so TOLVAN finds no sector 0 on the first track.
TEST_F(EmulatedDriveTest, WhatSurvivesNimroseTolvanAndBreskaAtEachDriveSpeed) {
    struct Case {
        const char* rpm;
        bool allSurvive;
        bool sector5AcrossIndex;  // a slow drive's revolution holds 6,345 bytes: sector 5 ends before it
    };
    const Case cases[] = {
        {"300", true, true}, {"295.5", true, false}, {"304.5", true, true}, {"306", false, true}};
    const Bytes image = PatternImage();
    for (const Case& c : cases) {
        TempFolder folder;
        const std::string disk = folder.File("DISK.HFE");
        const std::string in = folder.File("IN.DPX");
        const std::string out = folder.File("OUT.DPX");
        WriteWholeFile(in, image);
        SetVariable("DPX_DRIVE_A", disk);
        SetVariable("DPX_DRIVE_RPM", c.rpm);
        EXPECT_EQ(RunOnDrive(RunNimrose, {"A:"}).output.find("ERROR"), std::string::npos) << c.rpm;
        const FloppyRun write = RunOnDrive(RunTolvan, {"A:", in});
        const FloppyRun read = RunOnDrive(RunBreska, {"A:", out});
        const DecodedDisk decoded = DecodeHfeFile(disk);
        EXPECT_EQ(decoded.sector5AcrossIndex, c.sector5AcrossIndex) << c.rpm;
        if (c.allSurvive) {
            EXPECT_TRUE(ReadWholeFile(out) == image) << c.rpm;
            EXPECT_TRUE(decoded.image == image) << c.rpm;
        } else {
            const std::string lost = ProgressUpTo(0) + Report(11, "Writing sectors was not successful. 27.");
            EXPECT_EQ(write.output.substr(write.output.size() - lost.size()), lost) << c.rpm;
            EXPECT_NE(read.output.find("Reading sectors was not successful. 27."), std::string::npos)
                << c.rpm;
        }
        const int32_t sector0 = c.allSurvive ? kTracks : 0;
        const int32_t expected[6] = {sector0, kTracks, kTracks, kTracks, kTracks, kTracks};
        for (size_t sector = 0; sector < 6; ++sector)
            EXPECT_EQ(decoded.good[sector], expected[sector]) << c.rpm << " sector " << sector;
    }
}

// A run that fails keeps on the disk what it wrote before the failure, as a real disk does.
TEST_F(EmulatedDriveTest, TheDiskIsSavedAfterAFailure) {
    TempFolder folder;
    const std::string disk = folder.File("DISK.HFE");
    const std::string in = folder.File("IN.DPX");
    SetVariable("DPX_DRIVE_A", disk);
    RunOnDrive(RunNimrose, {"A:"});
    // Cylinder 1 becomes blank: TOLVAN writes cylinder 0 and fails on cylinder 1.
    Bytes bytes = ReadWholeFile(disk);
    EmulatedDisk held;
    ASSERT_TRUE(LoadEmulatedDisk(bytes.data(), bytes.size(), &held).ok());
    held.Track(1, 0).flux.clear();
    held.Track(1, 1).flux.clear();
    ASSERT_TRUE(SaveEmulatedDisk(held, &bytes).ok());
    WriteWholeFile(disk, bytes);
    const Bytes image = PatternImage();
    WriteWholeFile(in, image);

    const FloppyRun write = RunOnDrive(RunTolvan, {"A:", in});
    EXPECT_EQ(write.output, Banner("WRITE") + "Writing file " + in +
                                " to OBERHEIM DPX Disk in drive A:...\n" + ProgressUpTo(0) +
                                Report(11, "Writing sectors was not successful. 1122."));
    Bytes expected = EmptyDisk();
    std::copy(image.begin(), image.begin() + 2 * kTrackBytes, expected.begin());
    std::fill(expected.begin() + TrackOffset(1, 0), expected.begin() + TrackOffset(2, 0), 0);
    EXPECT_TRUE(DecodeHfeFile(disk).image == expected);
}

// The programs as built, with the drive in the environment they start in.
TEST_F(EmulatedDriveTest, TheBuiltProgramsUseTheDriveTheEnvironmentNames) {
    TempFolder folder;
    SetVariable("DPX_DRIVE_B", folder.File("NEW.HFE"));
    const ProgramRun run = RunProgram("nimrose", {"b:"}, folder.path().string());
    EXPECT_EQ(run.output, Banner("FORMAT") + "Formatting OBERHEIM DPX Disk in drive b:...\n" +
                              FullProgress() + "Press a key...\n");
    EXPECT_TRUE(DecodeHfeFile(folder.File("NEW.HFE")).image == EmptyDisk());
}

// The format lays gap 4a, sync, index mark and gap 1 (146 bytes), then ID fields 559 bytes apart,
// each followed after gap 2 by a data field of the command's 256 bytes, whatever the ID announces.
TEST(EmulatedControllerTest, AFormatLaysItsGapsAndDataFieldsOfItsOwnSize) {
    const CellTrack track = FormatCells(BuildFormatParameters(1, 7), kDpxCellsPerRevolution);
    const TrackScan scan = ScanTrack(track);
    ASSERT_EQ(scan.idFields.size(), 11u);
    for (size_t index = 0; index < scan.idFields.size(); ++index) {
        const IdField& id = scan.idFields[index];
        EXPECT_EQ(id.cell, (146 + 12 + 559 * index) * kCellsPerByte) << index;
        EXPECT_EQ(id.sizeCode, id.sector == 5 ? 2 : 3) << index;
        ASSERT_GE(id.dataField, 0) << index;
        const uint32_t dataCell = scan.dataFields[static_cast<size_t>(id.dataField)].cell;
        EXPECT_EQ(dataCell, id.cell + (10 + 22 + 12) * kCellsPerByte) << index;
        DataField field;
        ASSERT_TRUE(ReadDataField(track, dataCell, 256, &field));
        EXPECT_TRUE(field.crcOk) << index;
        EXPECT_EQ(field.data, Bytes(256, 0x00)) << index;
    }
}
