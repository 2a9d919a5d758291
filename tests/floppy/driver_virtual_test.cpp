#include "floppy/driver_virtual.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "floppy/error_numbers.h"
#include "floppy/format_track.h"
#include "floppy/sectors.h"

namespace {

using Bytes = std::vector<uint8_t>;

FloppyHandle OpenDriveA(VirtualFloppyDriver& driver, uint8_t rate) {
    FloppyHandle handle;
    EXPECT_TRUE(driver.OpenDrive("\\\\.\\fdraw0", &handle).ok);
    EXPECT_TRUE(driver.SetDataRate(handle, rate).ok);
    return handle;
}

}  // namespace

TEST(VirtualDriveTest, ReadsFindSectorsByTheirIdFieldsOnTheTrackUnderTheHead) {
    struct Case {
        const char* what;
        bool laidOut;
        uint8_t rate;
        uint8_t seekCylinder;
        TransferParameters parameters;
        uint32_t length;
        bool ok;
        uint32_t error;
    };
    const Case cases[] = {
        {"sectors 0 to 4", true, 2, 3, BuildTransferParameters(1, 3, 0, 5, 3), 5120, true, 0},
        {"sector 5", true, 2, 3, BuildTransferParameters(1, 3, 5, 1, 2), 512, true, 0},
        {"sectors 1 and 2", true, 2, 3, BuildTransferParameters(0, 3, 1, 2, 3), 2048, true, 0},
        {"sector 5 as 1,024 bytes", true, 2, 3, BuildTransferParameters(1, 3, 5, 1, 3), 1024, false,
         kErrorSectorNotFound},
        {"sectors 4 to 5 as 1,024 bytes", true, 2, 3, BuildTransferParameters(1, 3, 4, 2, 3), 2048, false,
         kErrorSectorNotFound},
        {"sector 6", true, 2, 3, BuildTransferParameters(1, 3, 6, 1, 2), 512, false, kErrorSectorNotFound},
        {"head on cylinder 4", true, 2, 4, BuildTransferParameters(1, 3, 0, 5, 3), 5120, false,
         kErrorSectorNotFound},
        {"never formatted", false, 2, 3, BuildTransferParameters(1, 3, 0, 5, 3), 5120, false,
         kErrorIdMarkNotFound},
        {"other data rate", true, 0, 3, BuildTransferParameters(1, 3, 0, 5, 3), 5120, false,
         kErrorIdMarkNotFound},
        {"end of track not one past the last", true, 2, 3, BuildTransferParameters(1, 3, 0, 4, 3), 5120,
         false, kErrorInvalidParameter},
        {"length not whole sectors", true, 2, 3, BuildTransferParameters(1, 3, 0, 5, 3), 5000, false,
         kErrorInvalidParameter},
    };
    for (const Case& c : cases) {
        VirtualFloppyDriver driver;
        if (c.laidOut) driver.LayOutDpxTracks();
        FloppyHandle handle = OpenDriveA(driver, c.rate);
        ASSERT_TRUE(driver.Seek(handle, c.seekCylinder, 1).ok);
        Bytes data(c.length);
        const DriverResult result = driver.ReadData(handle, c.parameters, data.data(), c.length);
        EXPECT_EQ(result.ok, c.ok) << c.what;
        EXPECT_EQ(result.error, c.error) << c.what;
    }
}

TEST(VirtualDriveTest, AFormatLaysDownItsIdFieldsAndTheFillByte) {
    VirtualFloppyDriver driver;
    FloppyHandle handle = OpenDriveA(driver, 2);
    ASSERT_TRUE(driver.Seek(handle, 7, 1).ok);
    FormatParameters format = BuildFormatParameters(1, 7);
    format.fillByte = 0xE5;
    ASSERT_TRUE(driver.Format(handle, format).ok);

    // Eleven ID fields, each with a data field of the format's 256 bytes.
    ASSERT_EQ(driver.Track(7, 1).sectors.size(), 11u);
    for (const VirtualSector& laid : driver.Track(7, 1).sectors) EXPECT_EQ(laid.data, Bytes(256, 0xE5));
    Bytes data(512);
    const Bytes written(512, 0x3C);
    ASSERT_TRUE(driver.WriteData(handle, BuildTransferParameters(1, 7, 5, 1, 2), written.data(), 512).ok);
    ASSERT_TRUE(driver.ReadData(handle, BuildTransferParameters(1, 7, 5, 1, 2), data.data(), 512).ok);
    EXPECT_EQ(data, written);
    // The other head's track stays unformatted.
    EXPECT_TRUE(driver.Track(7, 0).sectors.empty());
    EXPECT_EQ(driver.CallCount(VirtualCall::kFormat), 1);
}

TEST(VirtualDriveTest, FaultsHitTheirCallOnTheirTrackOnly) {
    struct Case {
        const char* what;
        int32_t faultCylinder;
        int32_t faultHead;
        uint8_t readCylinder;
        uint8_t readHead;
        bool ok;
    };
    const Case cases[] = {
        {"the track", 5, 1, 5, 1, false},
        {"the other head", 5, 1, 5, 0, true},
        {"another cylinder", 5, 1, 6, 1, true},
        {"every head of 5", 5, kAnyTrack, 5, 0, false},
        {"every track", kAnyTrack, kAnyTrack, 0, 0, false},
    };
    for (const Case& c : cases) {
        VirtualFloppyDriver driver;
        driver.LayOutDpxTracks();
        driver.FailCall(VirtualCall::kRead, kErrorCrc, c.faultCylinder, c.faultHead);
        FloppyHandle handle = OpenDriveA(driver, 2);
        ASSERT_TRUE(driver.Seek(handle, c.readCylinder, c.readHead).ok);
        Bytes data(512);
        const DriverResult result = driver.ReadData(
            handle, BuildTransferParameters(c.readHead, c.readCylinder, 5, 1, 2), data.data(), 512);
        EXPECT_EQ(result.ok, c.ok) << c.what;
        EXPECT_EQ(result.error, c.ok ? 0u : kErrorCrc) << c.what;
    }
}

TEST(VirtualDriveTest, CallsOnADriveThatIsNotOpenFail) {
    VirtualFloppyDriver driver;
    driver.LayOutDpxTracks();
    FloppyHandle stranger;
    stranger.value = 1000;
    Bytes data(512);
    EXPECT_EQ(driver.SetDataRate(stranger, 2).error, kErrorInvalidHandle);
    EXPECT_EQ(driver.ResetController(stranger).error, kErrorInvalidHandle);
    EXPECT_EQ(driver.Seek(stranger, 1, 0).error, kErrorInvalidHandle);
    EXPECT_EQ(driver.ReadData(stranger, BuildTransferParameters(0, 0, 5, 1, 2), data.data(), 512).error,
              kErrorInvalidHandle);
    FloppyHandle handle = OpenDriveA(driver, 2);
    EXPECT_EQ(handle.value, 1000);
    EXPECT_FALSE(driver.Seek(handle, 80, 0).ok);
}

// What a real controller and drive refuse, the test drive refuses too.
TEST(VirtualDriveTest, FailsWhereHardwareFails) {
    enum class Step { kResetOnly, kRecalibrateOnce, kRecalibrateTwice, kFormatOnly, kFormatAndWrite };
    struct Case {
        const char* what;
        int32_t headAt;  // where the last run left the head
        Step step;
        uint8_t formatSizeCode;
        uint32_t error;  // of the track's read; 0 when it reads back
    };
    const Case cases[] = {
        {"reset without recalibration", 30, Step::kResetOnly, 1, kErrorSectorNotFound},
        {"one recalibration from the end of travel", 82, Step::kRecalibrateOnce, 1, kErrorSectorNotFound},
        {"two recalibrations", 82, Step::kRecalibrateTwice, 1, 0},
        {"format without the write pass", 0, Step::kFormatOnly, 1, kErrorCrc},
        {"format and write", 0, Step::kFormatAndWrite, 1, 0},
        {"format with 128-byte data fields", 0, Step::kFormatAndWrite, 0, kErrorSectorNotFound},
        {"format with 512-byte data fields", 0, Step::kFormatAndWrite, 2, kErrorSectorNotFound},
        {"format with 1,024-byte data fields", 0, Step::kFormatAndWrite, 3, kErrorSectorNotFound},
    };
    const Bytes image = std::vector<uint8_t>(kDiskBytes, 0x5A);
    for (const Case& c : cases) {
        VirtualFloppyDriver driver;
        driver.PutImage(image);
        driver.PlaceHead(c.headAt);
        FloppyHandle handle = OpenDriveA(driver, 2);
        ASSERT_TRUE(driver.ResetController(handle).ok);
        // 77 steps do not reach cylinder 0 from cylinder 82; the second recalibration does.
        if (c.step == Step::kRecalibrateOnce || c.step == Step::kRecalibrateTwice) {
            EXPECT_EQ(driver.Recalibrate(handle).error, kErrorSeek) << c.what;
        }
        if (c.step == Step::kRecalibrateTwice) {
            EXPECT_TRUE(driver.Recalibrate(handle).ok) << c.what;
        }
        ASSERT_TRUE(driver.Seek(handle, 5, 1).ok) << c.what;
        Bytes track(kTrackBytes, 0x5A);
        uint32_t moved = 0;
        if (c.step == Step::kFormatOnly || c.step == Step::kFormatAndWrite) {
            FormatParameters format = BuildFormatParameters(1, 5);
            format.sizeCode = c.formatSizeCode;
            ASSERT_TRUE(driver.Format(handle, format).ok) << c.what;
        }
        if (c.step == Step::kFormatAndWrite) {
            std::fill(track.begin(), track.end(), 0xC3);
            WriteTrack(0, driver, handle, 1, 5, track.data(), &moved);
        }
        Bytes read(kTrackBytes, 0);
        const StatusRecord status = ReadTrack(0, driver, handle, 1, 5, read.data(), &moved);
        EXPECT_EQ(status.code, c.error == 0 ? 0 : 11) << c.what;
        const std::string failure = "Reading sectors was not successful. " + std::to_string(c.error) + ".";
        EXPECT_EQ(std::string(status.message), c.error == 0 ? "" : failure) << c.what;
        if (c.error == 0) {
            EXPECT_EQ(read, track) << c.what;
        }
    }
}
