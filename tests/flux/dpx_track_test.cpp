#include "flux/dpx_track.h"

#include <gtest/gtest.h>

#include <vector>

#include "flux/mfm.h"
#include "tests/flux/flux_test_support.h"

TEST(DpxTrackTest, LaysOutTheTrackOfImagesInOneRevolution) {
    const std::vector<uint8_t> content = RandomTrackBytes(7);
    const CellTrack track = EncodeDpxTrack(79, 1, content.data());
    ASSERT_EQ(track.cells.size(), 100000u);
    EXPECT_TRUE(track.ring);
    EXPECT_EQ(track.indexCells, std::vector<uint32_t>{0});
    std::vector<uint8_t> bytes(6250);
    ASSERT_TRUE(ReadMfmBytes(track, 0, 6250, bytes.data()));

    const std::vector<uint8_t> gap(24, 0x4E), sync(12, 0x00);
    struct Case {
        const char* what;
        uint32_t offset;
        std::vector<uint8_t> bytes;
    };
    const Case cases[] = {
        {"gap 4a", 0, std::vector<uint8_t>(20, 0x4E)},
        {"sync, index mark",
         20,
         {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xC2, 0xC2, 0xC2, 0xFC}},
        {"gap 1, sync", 36, {0x4E, 0x4E, 0x4E, 0x4E, 0x4E, 0x4E, 0x4E, 0x4E, 0x4E, 0x4E, 0x4E,
                             0x4E, 0x4E, 0x4E, 0x4E, 0x4E, 0x4E, 0x4E, 0x4E, 0x4E, 0x00, 0x00,
                             0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00}},
        {"ID of sector 0", DpxIdByte(0), {0xA1, 0xA1, 0xA1, 0xFE, 79, 1, 0, 3}},
        {"gap 2", DpxIdByte(0) + 10, std::vector<uint8_t>(gap.begin(), gap.begin() + 22)},
        {"data mark of sector 0",
         DpxDataByte(0) - 12,
         {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xA1, 0xA1, 0xA1, 0xFB}},
        {"data of sector 0", DpxDataByte(0) + 4,
         std::vector<uint8_t>(content.begin(), content.begin() + 1024)},
        {"gap 3 after sector 2", DpxDataByte(2) + 4 + 1024 + 2, gap},
        {"ID of sector 5", DpxIdByte(5), {0xA1, 0xA1, 0xA1, 0xFE, 79, 1, 5, 2}},
        {"data of sector 5", DpxDataByte(5) + 4, std::vector<uint8_t>(content.end() - 512, content.end())},
        {"gap 3 and gap 4b", 6180, std::vector<uint8_t>(24 + 46, 0x4E)},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.what);
        EXPECT_EQ(std::vector<uint8_t>(bytes.begin() + test.offset,
                                       bytes.begin() + test.offset + test.bytes.size()),
                  test.bytes);
    }
}
