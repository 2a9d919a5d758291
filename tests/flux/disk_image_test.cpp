#include "flux/disk_image.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "floppy/layout.h"
#include "flux/dpx_track.h"
#include "flux/hfe.h"
#include "flux/scp.h"
#include "tests/flux/flux_test_support.h"

namespace {

// The sectors that are not good, as "cylinder.head.sector letter" (letters as SectorState: Good,
// Id CRC error, Data CRC error, No data field, Missing).
std::string BadSectors(const DiskImage& image) {
    std::string bad;
    for (const SectorReport& s : image.sectors)
        if (s.state != SectorState::kGood)
            bad += std::to_string(s.cylinder) + "." + std::to_string(s.head) + "." +
                   std::to_string(s.sector) + "GIDNM"[static_cast<int>(s.state)] + " ";
    return bad;
}

}  // namespace

TEST(DiskImageTest, RoundTripsThroughEveryFormat) {
    const std::vector<uint8_t> image = RandomDiskImage(40);
    for (DiskFileFormat format : {DiskFileFormat::kPlainImage, DiskFileFormat::kHfe, DiskFileFormat::kScp}) {
        SCOPED_TRACE(DiskFileFormatName(format));
        std::vector<uint8_t> file;
        int32_t written = 0;
        ASSERT_TRUE(
            WriteDiskImage(format, image.data(), &file, [&](int32_t done, int32_t) { written = done; }).ok());
        EXPECT_EQ(written, kTracks);
        DiskImage read;
        int32_t readTracks = 0;
        ASSERT_TRUE(ReadDiskImage(format, file.data(), file.size(), &read, [&](int32_t done, int32_t total) {
                        readTracks = done + kTracks - total;
                    }).ok());
        EXPECT_EQ(readTracks, kTracks);
        EXPECT_EQ(BadSectors(read), "");
        EXPECT_EQ(GoodSectors(read), 960);
        EXPECT_TRUE(read.bytes == image);
    }
}

// An SCP dump as a drive gives it: every interval jittered by up to ±10 %, the rotation 3 % off.
TEST(DiskImageTest, LosesNoSectorOfAJitteredScpOffSpeed) {
    const std::vector<uint8_t> image = RandomDiskImage(7);
    std::vector<uint8_t> file;
    ASSERT_TRUE(WriteDiskImage(DiskFileFormat::kScp, image.data(), &file).ok());
    for (double speed : {0.97, 1.03}) {
        SCOPED_TRACE(speed);
        ScpDisk disk;
        ASSERT_TRUE(ReadScp(file.data(), file.size(), &disk).ok());
        for (uint32_t number = 0; number < kTracks; ++number)
            disk.tracks[number] = ReadLikeADrive(disk.tracks[number], speed, 0.10, number + 1000);
        std::vector<uint8_t> jittered;
        ASSERT_TRUE(WriteScp(disk, &jittered).ok());
        DiskImage read;
        ASSERT_TRUE(ReadDiskImage(DiskFileFormat::kScp, jittered.data(), jittered.size(), &read).ok());
        EXPECT_EQ(BadSectors(read), "");
        EXPECT_TRUE(read.bytes == image);
    }
}

TEST(DiskImageTest, ListsDamagedSectorsAndZeroesThem) {
    const std::vector<uint8_t> image = RandomDiskImage(3);
    struct Case {
        const char* what;
        uint32_t cell;  // first of 32 cells cleared in the HFE track of cylinder 12, head 1
        const char* bad;
    };
    const Case cases[] = {
        {"data of sector 2", DpxDataByte(2) * 16 + 800, "12.1.2D "},
        {"ID of sector 4", DpxIdByte(4) * 16 + 8 * 16, "12.1.4I "},
        {"marks of sector 0's ID", DpxIdByte(0) * 16, "12.1.0M "},
        {"marks of sector 5's data", DpxDataByte(5) * 16, "12.1.5N "},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.what);
        std::vector<uint8_t> file;
        HfeDisk disk;
        ASSERT_TRUE(WriteDiskImage(DiskFileFormat::kHfe, image.data(), &file).ok());
        ASSERT_TRUE(ReadHfe(file.data(), file.size(), &disk).ok());
        std::vector<uint8_t>& cells = disk.tracks[12 * 2 + 1].cells;
        std::fill(cells.begin() + test.cell, cells.begin() + test.cell + 32, 0);
        ASSERT_TRUE(WriteHfe(disk, &file).ok());
        DiskImage read;
        ASSERT_TRUE(ReadDiskImage(DiskFileFormat::kHfe, file.data(), file.size(), &read).ok());
        EXPECT_EQ(BadSectors(read), test.bad);
        EXPECT_EQ(GoodSectorsOfTrack(read, 12, 1), 5);
        const int32_t sector = test.bad[5] - '0';
        const size_t offset = static_cast<size_t>(TrackOffset(12, 1) + sector * 1024);
        std::vector<uint8_t> expected = image;
        std::fill(expected.begin() + offset, expected.begin() + offset + (sector == 5 ? 512 : 1024), 0);
        EXPECT_TRUE(read.bytes == expected);
    }
}

// Cells sampled finer than the disk's (an HFE of 500 kbit/s) of a track written by a drive off
// speed: a straight scan finds nothing, the loop reads every sector.
TEST(DiskImageTest, ReadsCellsOfAnotherRateWrittenOffSpeed) {
    const std::vector<uint8_t> content = RandomTrackBytes(5);
    for (double stretch : {1.0, 0.97, 1.03}) {
        SCOPED_TRACE(stretch);
        const CellTrack written = EncodeDpxTrack(9, 0, content.data());
        CellTrack track = written;
        track.cellRate = 2 * kDpxCellRate;
        track.cells.assign(static_cast<size_t>(std::lround(written.cells.size() * stretch * 2)), 0);
        for (size_t cell = 0; cell < written.cells.size(); ++cell)
            if (written.cells[cell] != 0) track.cells[static_cast<size_t>((cell + 0.5) * stretch * 2)] = 1;
        const SectorTrack read = ReadCellTrack(track, 9, 0);
        for (size_t sector = 0; sector < 6; ++sector) {
            EXPECT_EQ(read.sectors[sector].state, SectorState::kGood) << sector;
            EXPECT_TRUE(std::equal(read.sectors[sector].data.begin(), read.sectors[sector].data.end(),
                                   content.begin() + static_cast<std::ptrdiff_t>(sector * 1024)));
        }
    }
}
