#include "flux/hfe.h"

#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <string>
#include <vector>

namespace {

// A disk of `cylinders` cylinders, both sides holding random cells.
HfeDisk RandomDisk(uint8_t cylinders, uint32_t cellsPerTrack) {
    std::mt19937 random(cylinders);
    HfeDisk disk;
    disk.cylinders = cylinders;
    for (int track = 0; track < cylinders * 2; ++track) {
        CellTrack cells;
        cells.ring = true;
        cells.indexCells.push_back(0);
        for (uint32_t cell = 0; cell < cellsPerTrack; ++cell) cells.cells.push_back(random() & 1);
        disk.tracks.push_back(cells);
    }
    return disk;
}

std::vector<uint8_t> Written(const HfeDisk& disk) {
    std::vector<uint8_t> bytes;
    EXPECT_EQ(WriteHfe(disk, &bytes).error, "");
    return bytes;
}

}  // namespace

TEST(HfeTest, WritesTheDiskAsTheEmulatorsPlayItAndReadsItBack) {
    const HfeDisk disk = RandomDisk(80, kDpxCellsPerRevolution);
    const std::vector<uint8_t> bytes = Written(disk);
    // Header, track list of 80 cylinders of 49 blocks from block 2, 25,000 bytes each.
    ASSERT_EQ(bytes.size(), 1024u + 80 * 49 * 512);
    const std::vector<uint8_t> header = {'H', 'X', 'C',  'P',  'I',  'C',  'F',  'E',  0,
                                         80,  2,   0x00, 250,  0,    44,   1,    0x07, 0x01,
                                         1,   0,   0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    EXPECT_EQ(std::vector<uint8_t>(bytes.begin(), bytes.begin() + 27), header);
    EXPECT_EQ(std::vector<uint8_t>(bytes.begin() + 512, bytes.begin() + 520),
              (std::vector<uint8_t>{2, 0, 0xA8, 0x61, 51, 0, 0xA8, 0x61}));

    HfeDisk read;
    const FileCheck check = ReadHfe(bytes.data(), bytes.size(), &read);
    ASSERT_TRUE(check.ok()) << check.error;
    EXPECT_EQ(read.cylinders, 80);
    EXPECT_EQ(read.sides, 2);
    EXPECT_EQ(read.bitRate, 250);
    EXPECT_EQ(read.rpm, 300);
    ASSERT_EQ(read.tracks.size(), 160u);
    for (size_t track = 0; track < 160; ++track) {
        EXPECT_EQ(read.tracks[track].cellRate, kDpxCellRate);
        EXPECT_TRUE(read.tracks[track].ring);
        EXPECT_EQ(read.tracks[track].indexCells, std::vector<uint32_t>{0});
        ASSERT_EQ(read.tracks[track].cells, disk.tracks[track].cells) << "track " << track;
    }
}

TEST(HfeTest, KeepsTheFirstCellInBitZeroAndTheSidesInAlternateHalfBlocks) {
    struct Case {
        int side;
        uint32_t cell;
        size_t fileOffset;  // the byte that holds the cell
        uint8_t byte;
    };
    const Case cases[] = {
        {0, 0, 1024, 0x01},          {0, 9, 1025, 0x02},          {1, 7, 1024 + 256, 0x80},
        {0, 2048, 1024 + 512, 0x01}, {1, 2049, 1024 + 768, 0x02}, {1, 4095, 1024 + 1023, 0x80},
    };
    for (const Case& c : cases) {
        HfeDisk disk = RandomDisk(1, 4096);
        for (CellTrack& track : disk.tracks) track.cells.assign(4096, 0);
        disk.tracks[c.side].cells[c.cell] = 1;
        const std::vector<uint8_t> bytes = Written(disk);
        ASSERT_EQ(bytes.size(), 1024u + 1024);
        for (size_t offset = 1024; offset < bytes.size(); ++offset)
            EXPECT_EQ(bytes[offset], offset == c.fileOffset ? c.byte : 0)
                << "side " << c.side << " cell " << c.cell;
    }
}

TEST(HfeTest, RefusesADamagedFileWithAMessage) {
    const std::vector<uint8_t> valid = Written(RandomDisk(2, 4096));  // cylinders at blocks 2 and 4
    struct Case {
        const char* what;
        std::function<void(std::vector<uint8_t>&)> damage;
        std::string error;
    };
    const Case cases[] = {
        {"empty file", [](std::vector<uint8_t>& f) { f.clear(); }, "not an HFE file (no HXCPICFE signature)"},
        {"other signature", [](std::vector<uint8_t>& f) { f[3] = 'Q'; },
         "not an HFE file (no HXCPICFE signature)"},
        {"version 3", [](std::vector<uint8_t>& f) { std::copy_n("HXCHFEV3", 8, f.begin()); },
         "HFE version 3 is not supported, only version 1"},
        {"header cut", [](std::vector<uint8_t>& f) { f.resize(20); }, "the header is cut short"},
        {"revision 2", [](std::vector<uint8_t>& f) { f[8] = 2; }, "HFE revision 2 is not supported"},
        {"no cylinders", [](std::vector<uint8_t>& f) { f[9] = 0; }, "the image holds no tracks"},
        {"three sides", [](std::vector<uint8_t>& f) { f[10] = 3; }, "3 sides; an HFE image has 1 or 2"},
        {"bit rate 0", [](std::vector<uint8_t>& f) { f[12] = 0; }, "the bit rate is 0"},
        {"track list past the end", [](std::vector<uint8_t>& f) { f[0x12] = 6; },
         "track list runs past the end of the file"},
        {"track list in the header", [](std::vector<uint8_t>& f) { f[0x12] = 0; },
         "the track list lies in the header"},
        {"track past the end", [](std::vector<uint8_t>& f) { f[516] = 5; },
         "cylinder 1's track data runs past the end of the file"},
        {"track too long", [](std::vector<uint8_t>& f) { f[519] = 0x20; },
         "cylinder 1's track data runs past the end of the file"},
        {"file cut short", [](std::vector<uint8_t>& f) { f.resize(f.size() - 1); },
         "cylinder 1's track data runs past the end of the file"},
        {"track length 0", [](std::vector<uint8_t>& f) { f[514] = f[515] = 0; },
         "cylinder 0 has no track data"},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> bytes = valid;
        c.damage(bytes);
        HfeDisk disk;
        EXPECT_EQ(ReadHfe(bytes.data(), bytes.size(), &disk).error, c.error) << c.what;
        EXPECT_TRUE(disk.tracks.empty()) << c.what;
    }
}
