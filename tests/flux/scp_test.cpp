#include "flux/scp.h"

#include <gtest/gtest.h>

#include <functional>
#include <numeric>
#include <string>
#include <vector>

#include "common/bytes.h"
#include "flux/flux_cells.h"
#include "tests/flux/flux_test_support.h"

namespace {

// Header fields and the place of track 0's header in a file the writer made.
constexpr size_t kChecksum = 0x0C;
constexpr size_t kTrackHeader = 0x2B0;

FluxTrack FluxOf(std::vector<uint32_t> intervals) {
    FluxTrack flux;
    flux.intervals = intervals;
    flux.revolutionEnds = {static_cast<uint32_t>(intervals.size())};
    flux.revolutionTicks = {std::accumulate(intervals.begin(), intervals.end(), 0u)};
    return flux;
}

std::vector<uint8_t> Written(const ScpDisk& disk) {
    std::vector<uint8_t> bytes;
    EXPECT_EQ(WriteScp(disk, &bytes).error, "");
    return bytes;
}

}  // namespace

TEST(ScpTest, WritesTracksOfSeveralRevolutionsAndReadsThemBack) {
    ScpDisk disk;
    for (uint32_t number : {0u, 1u, 159u})
        disk.tracks[number] = CellsToFlux(RandomMfmCells(number, 100000), 2);
    const std::vector<uint8_t> bytes = Written(disk);
    // "SCP", version 2.2, disk type other, 2 revolutions, tracks 0 to 159, index-aligned and 96 tpi,
    // 16-bit entries, both sides, 25 ns.
    EXPECT_EQ(std::vector<uint8_t>(bytes.begin(), bytes.begin() + 12),
              (std::vector<uint8_t>{'S', 'C', 'P', 0x22, 0x80, 2, 0, 159, 0x03, 0, 0, 0}));
    uint32_t sum = 0;
    for (size_t i = 0x10; i < bytes.size(); ++i) sum += bytes[i];
    EXPECT_EQ(ReadLittle32(&bytes[kChecksum]), sum);
    EXPECT_EQ(ReadLittle32(&bytes[0x10]), kTrackHeader);
    EXPECT_EQ(std::string(bytes.begin() + kTrackHeader, bytes.begin() + kTrackHeader + 4),
              std::string("TRK\0", 4));

    ScpDisk read;
    const FileCheck check = ReadScp(bytes.data(), bytes.size(), &read);
    ASSERT_TRUE(check.ok()) << check.error;
    EXPECT_EQ(check.warning, "");
    EXPECT_TRUE(read.indexAligned);
    for (size_t number = 0; number < kScpTrackCount; ++number) {
        EXPECT_EQ(read.tracks[number].ticksPerSecond, kFluxTicksPerSecond);
        EXPECT_EQ(read.tracks[number].intervals, disk.tracks[number].intervals) << "track " << number;
        EXPECT_EQ(read.tracks[number].revolutionEnds, disk.tracks[number].revolutionEnds)
            << "track " << number;
        EXPECT_EQ(read.tracks[number].revolutionTicks, disk.tracks[number].revolutionTicks)
            << "track " << number;
    }
}

TEST(ScpTest, WritesLongIntervalsWithOverflowEntriesAndCarriesWhatItCannotHold) {
    struct Case {
        std::vector<uint32_t> intervals;
        std::vector<uint8_t> entries;  // big-endian u16
        std::vector<uint32_t> read;
    };
    const Case cases[] = {
        {{160, 65535}, {0x00, 0xA0, 0xFF, 0xFF}, {160, 65535}},
        {{70000}, {0x00, 0x00, 0x11, 0x70}, {70000}},
        // 65,536 ticks end in an entry of 0: written a tick longer, the next a tick shorter.
        {{65536, 5}, {0x00, 0x00, 0x00, 0x01, 0x00, 0x04}, {65537, 4}},
        {{131072, 240}, {0x00, 0x00, 0x00, 0x00, 0x00, 0x01, 0x00, 0xEF}, {131073, 239}},
    };
    for (const Case& c : cases) {
        ScpDisk disk;
        disk.tracks[0] = FluxOf(c.intervals);
        const std::vector<uint8_t> bytes = Written(disk);
        const size_t data = kTrackHeader + 16;
        EXPECT_EQ(ReadLittle32(&bytes[kTrackHeader + 8]), c.entries.size() / 2);
        EXPECT_EQ(std::vector<uint8_t>(bytes.begin() + data, bytes.end()), c.entries);
        ScpDisk read;
        ASSERT_TRUE(ReadScp(bytes.data(), bytes.size(), &read).ok());
        EXPECT_EQ(read.tracks[0].intervals, c.read);
    }
}

TEST(ScpTest, ReadsDamageItCanLiveWithAndRefusesTheRestWithAMessage) {
    ScpDisk disk;
    disk.tracks[0] = CellsToFlux(RandomMfmCells(1, 1000), 2);
    disk.tracks[1] = CellsToFlux(RandomMfmCells(2, 1000), 1);  // written with an empty second revolution
    const std::vector<uint8_t> valid = Written(disk);
    const size_t track1 = ReadLittle32(&valid[0x14]);
    struct Case {
        const char* what;
        std::function<void(std::vector<uint8_t>&)> damage;
        std::string error;
        std::string warning;
    };
    const Case cases[] = {
        {"as written", [](std::vector<uint8_t>&) {}, "", ""},
        {"checksum off", [](std::vector<uint8_t>& f) { f[kChecksum] ^= 1; }, "",
         "the checksum does not match the contents"},
        {"empty file", [](std::vector<uint8_t>& f) { f.clear(); }, "not an SCP file (no SCP signature)", ""},
        {"other signature", [](std::vector<uint8_t>& f) { f[2] = 'T'; }, "not an SCP file (no SCP signature)",
         ""},
        {"header cut", [](std::vector<uint8_t>& f) { f.resize(0x2AF); }, "the header is cut short", ""},
        {"no revolutions", [](std::vector<uint8_t>& f) { f[5] = 0; }, "the image holds no revolutions", ""},
        {"8-bit entries", [](std::vector<uint8_t>& f) { f[9] = 8; },
         "flux entries of 8 bits are not supported, only of 16", ""},
        {"tracks backwards", [](std::vector<uint8_t>& f) { f[6] = 2; },
         "the track range 2 to 1 is not one of tracks 0 to 167", ""},
        {"track 168", [](std::vector<uint8_t>& f) { f[7] = 168; },
         "the track range 0 to 168 is not one of tracks 0 to 167", ""},
        {"no tracks", [](std::vector<uint8_t>& f) { std::fill(f.begin() + 0x10, f.begin() + 0x18, 0); },
         "the image holds no tracks", ""},
        {"track header past the end", [](std::vector<uint8_t>& f) { WriteLittle32(&f[0x14], f.size() - 20); },
         "track 1's header runs past the end of the file", ""},
        {"track header in the file header", [](std::vector<uint8_t>& f) { WriteLittle32(&f[0x14], 0x10); },
         "track 1's header lies in the file header", ""},
        {"track header of another track", [&](std::vector<uint8_t>& f) { f[track1 + 3] = 7; },
         "track 1's header is damaged", ""},
        {"flux data past the end", [](std::vector<uint8_t>& f) { f.resize(f.size() - 1); },
         "track 1's flux data runs past the end of the file", ""},
        {"flux offset past the end",
         [&](std::vector<uint8_t>& f) { WriteLittle32(&f[track1 + 12], 0xFFFFFFF0); },
         "track 1's flux data runs past the end of the file", ""},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> bytes = valid;
        c.damage(bytes);
        ScpDisk read;
        const FileCheck check = ReadScp(bytes.data(), bytes.size(), &read);
        EXPECT_EQ(check.error, c.error) << c.what;
        EXPECT_EQ(check.warning.substr(0, c.warning.size()), c.warning) << c.what;
        if (!check.ok()) continue;
        EXPECT_EQ(read.tracks[0].revolutionEnds, disk.tracks[0].revolutionEnds) << c.what;
        EXPECT_EQ(read.tracks[1].revolutionEnds, disk.tracks[1].revolutionEnds) << c.what;
        EXPECT_EQ(read.tracks[1].intervals, disk.tracks[1].intervals) << c.what;
    }
}
