#include "flux/crc16.h"

#include <gtest/gtest.h>

#include <vector>

TEST(Crc16Test, GivesTheCheckValuesOfTheFields) {
    std::vector<uint8_t> dataField = {0xA1, 0xA1, 0xA1, 0xFB};
    dataField.resize(4 + 1024, 0x00);
    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
        uint16_t crc;
    };
    const Case cases[] = {
        {"three A1 marks", {0xA1, 0xA1, 0xA1}, 0xCDB4},
        {"ID field 0 0 0 3", {0xA1, 0xA1, 0xA1, 0xFE, 0x00, 0x00, 0x00, 0x03}, 0xE97F},
        {"ID field 7 1 5 2", {0xA1, 0xA1, 0xA1, 0xFE, 0x07, 0x01, 0x05, 0x02}, 0x60B6},
        {"data field of 1,024 zeros", dataField, 0x2722},
        {"a field followed by its CRC", {0xA1, 0xA1, 0xA1, 0xFE, 0x07, 0x01, 0x05, 0x02, 0x60, 0xB6}, 0x0000},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.what);
        EXPECT_EQ(Crc16(test.bytes.data(), test.bytes.size()), test.crc);
        // The same CRC continued from the three marks, as the fields' checks use it.
        if (test.bytes.size() > 3) {
            EXPECT_EQ(Crc16(test.bytes.data() + 3, test.bytes.size() - 3, kCrc16AfterA1Marks), test.crc);
        }
    }
}
