#include "floppy/sectors.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <string>
#include <vector>

#include "floppy/access.h"
#include "floppy/driver_virtual.h"
#include "floppy/error_numbers.h"
#include "floppy/layout.h"
#include "tests/floppy/floppy_test_support.h"
#include "tests/support/console_capture.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes ParameterBytes(const TransferParameters& parameters) {
    const auto* bytes = reinterpret_cast<const uint8_t*>(&parameters);
    return Bytes(bytes, bytes + sizeof parameters);
}

FloppyHandle OpenAndSeek(VirtualFloppyDriver& driver, int32_t head, int32_t cylinder) {
    FloppyHandle handle;
    EXPECT_EQ(OpenFloppy(0, driver, "A:", &handle).code, 0);
    EXPECT_EQ(SeekFloppy(0, driver, handle, head, cylinder).code, 0);
    return handle;
}

}  // namespace

TEST(TrackTransferTest, PassesTwoRunsWithTheirEndOfTrackAndLength) {
    struct Case {
        bool write;
        int32_t head;
        int32_t cylinder;
        Bytes large;  // the 9 parameter bytes of sectors 0 to 4
        Bytes small;  // those of sector 5
    };
    const Case cases[] = {
        {false, 0, 0, {0x40, 0, 0, 0, 0, 3, 5, 0x0A, 0xFF}, {0x40, 0, 0, 0, 5, 2, 6, 0x0A, 0xFF}},
        {false, 1, 7, {0x40, 1, 7, 1, 0, 3, 5, 0x0A, 0xFF}, {0x40, 1, 7, 1, 5, 2, 6, 0x0A, 0xFF}},
        {true, 1, 79, {0x40, 1, 79, 1, 0, 3, 5, 0x0A, 0xFF}, {0x40, 1, 79, 1, 5, 2, 6, 0x0A, 0xFF}},
    };
    for (const Case& c : cases) {
        VirtualFloppyDriver driver;
        driver.LayOutDpxTracks();
        FloppyHandle handle = OpenAndSeek(driver, c.head, c.cylinder);
        std::array<uint8_t, kTrackBytes> track{};
        uint32_t transferred = 0;
        const StatusRecord status =
            c.write ? WriteTrack(0, driver, handle, c.head, c.cylinder, track.data(), &transferred)
                    : ReadTrack(0, driver, handle, c.head, c.cylinder, track.data(), &transferred);
        EXPECT_EQ(status.code, 0);
        EXPECT_EQ(transferred, 5632u);
        const VirtualCall call = c.write ? VirtualCall::kWrite : VirtualCall::kRead;
        ASSERT_EQ(driver.Transfers().size(), 2u);
        EXPECT_EQ(driver.Transfers()[0].call, call);
        EXPECT_EQ(ParameterBytes(driver.Transfers()[0].parameters), c.large);
        EXPECT_EQ(driver.Transfers()[0].length, 5120u);
        EXPECT_EQ(driver.Transfers()[1].call, call);
        EXPECT_EQ(ParameterBytes(driver.Transfers()[1].parameters), c.small);
        EXPECT_EQ(driver.Transfers()[1].length, 512u);
    }
}

TEST(TrackTransferTest, MovesTheSectorsInTrackOrder) {
    const Bytes image = PatternImage();
    struct Case {
        int32_t head;
        int32_t cylinder;
    };
    const Case cases[] = {{0, 0}, {1, 0}, {0, 41}, {1, 79}};
    for (const Case& c : cases) {
        const size_t offset = static_cast<size_t>(TrackOffset(c.cylinder, c.head));
        VirtualFloppyDriver reader;
        reader.PutImage(image);
        FloppyHandle handle = OpenAndSeek(reader, c.head, c.cylinder);
        std::array<uint8_t, kTrackBytes> track{};
        uint32_t transferred = 0;
        ASSERT_EQ(ReadTrack(0, reader, handle, c.head, c.cylinder, track.data(), &transferred).code, 0);
        EXPECT_EQ(std::memcmp(track.data(), image.data() + offset, kTrackBytes), 0);

        VirtualFloppyDriver writer;
        writer.LayOutDpxTracks();
        handle = OpenAndSeek(writer, c.head, c.cylinder);
        ASSERT_EQ(WriteTrack(0, writer, handle, c.head, c.cylinder, image.data() + offset, &transferred).code,
                  0);
        Bytes expected(kDiskBytes, 0);
        std::memcpy(expected.data() + offset, image.data() + offset, kTrackBytes);
        EXPECT_EQ(writer.TakeImage(), expected);
    }
}

TEST(TrackTransferTest, FailuresGiveCode11WithTheDriversErrorNumber) {
    struct Case {
        const char* what;
        bool write;
        bool unreadableSector5;
        int32_t seekCylinder;  // where the head is; the transfer addresses cylinder 3
        VirtualCall failing;
        int32_t failHead;
        const char* message;
        size_t transfers;
    };
    const Case cases[] = {
        {"CRC error in sector 5", false, true, 3, VirtualCall::kSeek, kAnyTrack,
         "Reading sectors was not successful. 23.", 2},
        {"head on another cylinder", false, false, 4, VirtualCall::kSeek, kAnyTrack,
         "Reading sectors was not successful. 27.", 1},
        {"read refused on head 1", false, false, 3, VirtualCall::kRead, 1,
         "Reading sectors was not successful. 19.", 1},
        {"write refused", true, false, 3, VirtualCall::kWrite, kAnyTrack,
         "Writing sectors was not successful. 19.", 1},
        {"write to the other cylinder", true, false, 2, VirtualCall::kSeek, kAnyTrack,
         "Writing sectors was not successful. 27.", 1},
    };
    for (const Case& c : cases) {
        VirtualFloppyDriver driver;
        driver.LayOutDpxTracks();
        if (c.unreadableSector5) driver.MarkUnreadable(3, 1, 5);
        FloppyHandle handle = OpenAndSeek(driver, 1, c.seekCylinder);
        driver.FailCall(c.failing, kErrorWriteProtected, kAnyTrack, c.failHead);
        std::array<uint8_t, kTrackBytes> track{};
        uint32_t transferred = 99;
        const StatusRecord status = c.write ? WriteTrack(0, driver, handle, 1, 3, track.data(), &transferred)
                                            : ReadTrack(0, driver, handle, 1, 3, track.data(), &transferred);
        EXPECT_EQ(status.code, 11) << c.what;
        EXPECT_EQ(status.severity, 'E') << c.what;
        EXPECT_EQ(std::string(status.message), c.message) << c.what;
        EXPECT_EQ(transferred, 0u) << c.what;
        EXPECT_EQ(driver.Transfers().size(), c.transfers) << c.what;
    }
}

TEST(TrackTransferTest, TracesEveryCallFromLevelOne) {
    struct Case {
        int8_t trace;
        bool write;
        bool fail;
        const char* expected;
    };
    const Case cases[] = {
        {0, false, false, ""},
        {1, false, false,
         "--ReadTrack--\n--ReadSectors--\n"
         "Read IOCTL with Head 1, Cyl 7, Start 0, Size 3, EOT 5 --> Returncode 1\n--END: ReadSectors--\n"
         "--ReadSectors--\n"
         "Read IOCTL with Head 1, Cyl 7, Start 5, Size 2, EOT 6 --> Returncode 1\n--END: ReadSectors--\n"
         "--END: ReadTrack--\n"},
        {1, true, false,
         "--WriteTrack--\n--WriteSectors--\n"
         "Write IOCTL with Head 1, Cyl 7, Start 0, Size 3, EOT 5 --> Returncode 1\n--END: WriteSectors--\n"
         "--WriteSectors--\n"
         "Write IOCTL with Head 1, Cyl 7, Start 5, Size 2, EOT 6 --> Returncode 1\n--END: WriteSectors--\n"
         "--END: WriteTrack--\n"},
        {1, false, true,
         "--ReadTrack--\n--ReadSectors--\n"
         "Read IOCTL with Head 1, Cyl 7, Start 0, Size 3, EOT 5 --> Returncode 0\n"},
    };
    for (const Case& c : cases) {
        VirtualFloppyDriver driver;
        driver.LayOutDpxTracks();
        FloppyHandle handle = OpenAndSeek(driver, 1, 7);
        if (c.fail) driver.FailCall(c.write ? VirtualCall::kWrite : VirtualCall::kRead, kErrorCrc);
        std::array<uint8_t, kTrackBytes> track{};
        uint32_t transferred = 0;
        StartConsoleCapture();
        if (c.write)
            WriteTrack(c.trace, driver, handle, 1, 7, track.data(), &transferred);
        else
            ReadTrack(c.trace, driver, handle, 1, 7, track.data(), &transferred);
        EXPECT_EQ(StopConsoleCapture(), c.expected);
    }
}
