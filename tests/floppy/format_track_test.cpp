#include "floppy/format_track.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "floppy/access.h"
#include "floppy/driver_virtual.h"
#include "floppy/error_numbers.h"
#include "floppy/layout.h"
#include "tests/support/console_capture.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes FormatBytes(const FormatParameters& parameters) {
    const auto* bytes = reinterpret_cast<const uint8_t*>(&parameters);
    return Bytes(bytes, bytes + sizeof parameters);
}

}  // namespace

TEST(FormatParametersTest, LayEveryRealSectorFollowedByTheDummyId) {
    struct Case {
        int32_t head;
        int32_t cylinder;
        Bytes expected;
    };
    const Case cases[] = {
        {1, 7, {0x40, 0x01, 0x01, 0x0B, 0xF1, 0x00,  //
                0x07, 0x01, 0x00, 0x03, 0x07, 0x01, 0x99, 0x03, 0x07, 0x01, 0x01, 0x03, 0x07, 0x01, 0x99,
                0x03, 0x07, 0x01, 0x02, 0x03, 0x07, 0x01, 0x99, 0x03, 0x07, 0x01, 0x03, 0x03, 0x07, 0x01,
                0x99, 0x03, 0x07, 0x01, 0x04, 0x03, 0x07, 0x01, 0x99, 0x03, 0x07, 0x01, 0x05, 0x02}},
        {0, 79, {0x40, 0x00, 0x01, 0x0B, 0xF1, 0x00,  //
                 0x4F, 0x00, 0x00, 0x03, 0x4F, 0x00, 0x99, 0x03, 0x4F, 0x00, 0x01, 0x03, 0x4F, 0x00, 0x99,
                 0x03, 0x4F, 0x00, 0x02, 0x03, 0x4F, 0x00, 0x99, 0x03, 0x4F, 0x00, 0x03, 0x03, 0x4F, 0x00,
                 0x99, 0x03, 0x4F, 0x00, 0x04, 0x03, 0x4F, 0x00, 0x99, 0x03, 0x4F, 0x00, 0x05, 0x02}},
    };
    for (const Case& c : cases) EXPECT_EQ(FormatBytes(BuildFormatParameters(c.head, c.cylinder)), c.expected);
}

TEST(IdentificationBlockTest, HoldsTheFixedBytesOfAnEmptyDisk) {
    const std::string text = "(c)1987 Oberheim/ECC DPX-1";
    Bytes expected(text.begin(), text.end());
    const Bytes rest = {0x20, 0x20, 0x09, 0x32, 0x32, 0x00,                                      //
                        0x20, 0x00, 0x00, 0x41, 0x0B, 0xBC, 0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00,  // 32..
                        0x00, 0x00, 0x00, 0x01, 0xE4, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,  //
                        0x00, 0x4F, 0x00, 0x00, 0x00, 0x05, 0x00, 0x00, 0x00, 0x01, 0x00, 0x40,  // ..67
                        0x1D, 0x9E, 0x00, 0x40, 0x17, 0xAE, 0x00, 0x40, 0x1D, 0xD0, 0x00, 0x00,  //
                        0x00, 0x00, 0x00, 0x00, 0x00, 0x38, 0xFF, 0xFF, 0x05, 0xB8, 0xFF, 0xFF,  // ..91
                        0x72, 0x10, 0x00, 0x40, 0x1D, 0x9E, 0x00, 0x40, 0x17, 0xBC, 0x00, 0x00,  //
                        0x00, 0x40, 0x09, 0x44};
    expected.insert(expected.end(), rest.begin(), rest.end());
    ASSERT_EQ(expected.size(), 108u);
    for (int pair = 0; pair < 118; ++pair) {
        expected.push_back(0x4A);
        expected.push_back(0xFB);
    }
    expected.push_back(0x4A);
    expected.resize(512, 0x00);
    EXPECT_EQ(Bytes(kEmptyDiskIdentificationBlock.begin(), kEmptyDiskIdentificationBlock.end()), expected);
}

TEST(FormatTrackTest, FormatsThenWritesZerosAndTheIdentificationBlock) {
    struct Case {
        int32_t head;
        int32_t cylinder;
        bool identification;
    };
    const Case cases[] = {{0, 0, true}, {1, 0, false}, {0, 1, false}, {1, 7, false}};
    for (const Case& c : cases) {
        VirtualFloppyDriver driver;
        // Old contents that the format must clear.
        driver.PutImage(Bytes(kDiskBytes, 0x6D));
        FloppyHandle handle;
        ASSERT_EQ(OpenFloppy(0, driver, "A:", &handle).code, 0);
        ASSERT_EQ(SeekFloppy(0, driver, handle, c.head, c.cylinder).code, 0);
        const StatusRecord status = FormatTrack(0, driver, handle, c.head, c.cylinder);
        EXPECT_EQ(status.code, 0);
        EXPECT_EQ(FormatBytes(driver.Track(c.cylinder, c.head).lastFormat),
                  FormatBytes(BuildFormatParameters(c.head, c.cylinder)));
        const Bytes image = driver.TakeImage();
        const auto track = image.begin() + TrackOffset(c.cylinder, c.head);
        Bytes expected(kTrackBytes, 0);
        if (c.identification)
            std::copy(kEmptyDiskIdentificationBlock.begin(), kEmptyDiskIdentificationBlock.end(),
                      expected.begin() + kLargeSectorsBytes);
        EXPECT_EQ(Bytes(track, track + kTrackBytes), expected) << c.head << " " << c.cylinder;
        // The 1,024-byte data fields ran over the dummy ID fields: the six real ones are left.
        EXPECT_EQ(driver.Track(c.cylinder, c.head).sectors.size(), 6u);
    }
}

TEST(FormatTrackTest, FailuresAndTheirTraceLines) {
    struct Case {
        const char* what;
        VirtualCall failing;
        int32_t code;
        const char* message;
        const char* trace;
    };
    const Case cases[] = {
        {"format refused", VirtualCall::kFormat, 12, "Formatting was not successful, code 19.",
         "--FormatTrack--\n"},
        {"write refused", VirtualCall::kWrite, 11, "Writing sectors was not successful. 19.",
         "--FormatTrack--\n--WriteTrack--\n--WriteSectors--\n"
         "Write IOCTL with Head 1, Cyl 2, Start 0, Size 3, EOT 5 --> Returncode 0\n"
         "--END: FormatTrack--\n"},
    };
    for (const Case& c : cases) {
        VirtualFloppyDriver driver;
        FloppyHandle handle;
        ASSERT_EQ(OpenFloppy(0, driver, "A:", &handle).code, 0);
        ASSERT_EQ(SeekFloppy(0, driver, handle, 1, 2).code, 0);
        driver.FailCall(c.failing, kErrorWriteProtected, 2, 1);
        StartConsoleCapture();
        const StatusRecord status = FormatTrack(1, driver, handle, 1, 2);
        EXPECT_EQ(StopConsoleCapture(), c.trace) << c.what;
        EXPECT_EQ(status.code, c.code) << c.what;
        EXPECT_EQ(status.severity, 'E') << c.what;
        EXPECT_EQ(std::string(status.message), c.message) << c.what;
    }
}
