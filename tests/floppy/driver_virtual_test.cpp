#include "floppy/driver_virtual.h"

#include <gtest/gtest.h>

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

    Bytes data(5120);
    ASSERT_TRUE(driver.ReadData(handle, BuildTransferParameters(1, 7, 0, 5, 3), data.data(), 5120).ok);
    EXPECT_EQ(data, Bytes(5120, 0xE5));
    const Bytes written(512, 0x3C);
    ASSERT_TRUE(driver.WriteData(handle, BuildTransferParameters(1, 7, 5, 1, 2), written.data(), 512).ok);
    data.resize(512);
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
