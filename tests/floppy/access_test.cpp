#include "floppy/access.h"

#include <gtest/gtest.h>

#include <string>

#include "floppy/driver_virtual.h"
#include "floppy/error_numbers.h"
#include "tests/support/console_capture.h"

namespace {

const char* const kNotInstalled =
    "The FDRAWCMD floppy driver is not installed. You can download the driver from "
    "http://simonowen.com/fdrawcmd/FdInstall.exe";
const char* const kTooOld =
    "The installed FDRAWCMD floppy driver is too old. You can download a new version from "
    "http://simonowen.com/fdrawcmd/FdInstall.exe";

constexpr int32_t kNoFault = -1;

}  // namespace

TEST(OpenFloppyTest, ChecksTheDriverOpensTheDriveAndSetsTheDataRate) {
    struct Case {
        const char* what;
        int32_t failingCall;  // a VirtualCall, or kNoFault
        uint32_t version;
        const char* drive;
        int32_t code;
        std::string message;
        const char* device;  // the device the drive was opened as; "" when none was opened
        intptr_t handle;
    };
    const Case cases[] = {
        {"driver missing", static_cast<int32_t>(VirtualCall::kVersion), kVirtualDriverVersion, "A:", 2,
         kNotInstalled, "", -1},
        {"version 0", kNoFault, 0, "A:", 2, kNotInstalled, "", -1},
        {"version 00FF", kNoFault, 0x00FFFFFF, "A:", 3, kTooOld, "", -1},
        {"version 0100", kNoFault, 0x01000000, "a:", 0, "", "\\\\.\\fdraw0", 1000},
        {"version 0203", kNoFault, 0x02030001, "A:", 0, "", "\\\\.\\fdraw0", 1000},
        {"drive b:", kNoFault, kVirtualDriverVersion, "b:", 0, "", "\\\\.\\fdraw1", 1001},
        {"drive B:", kNoFault, kVirtualDriverVersion, "B:", 0, "", "\\\\.\\fdraw1", 1001},
        {"no drive C", kNoFault, kVirtualDriverVersion, "C:", 6, "Could not open drive \\\\.\\fdraw2.",
         "\\\\.\\fdraw2", -1},
        {"open refused", static_cast<int32_t>(VirtualCall::kOpen), kVirtualDriverVersion, "A:", 6,
         "Could not open drive \\\\.\\fdraw0.", "\\\\.\\fdraw0", -1},
        {"data rate refused", static_cast<int32_t>(VirtualCall::kDataRate), kVirtualDriverVersion, "A:", 7,
         "Error setting the data rate.", "\\\\.\\fdraw0", -1},
    };
    for (const Case& c : cases) {
        VirtualFloppyDriver driver;
        driver.SetVersion(c.version);
        if (c.failingCall != kNoFault)
            driver.FailCall(static_cast<VirtualCall>(c.failingCall), kErrorFileNotFound);
        FloppyHandle handle;
        const StatusRecord status = OpenFloppy(0, driver, c.drive, &handle);
        EXPECT_EQ(status.code, c.code) << c.what;
        EXPECT_EQ(status.severity, c.code == 0 ? ' ' : 'E') << c.what;
        EXPECT_EQ(std::string(status.message), c.message) << c.what;
        EXPECT_EQ(driver.OpenedDevice(), c.device) << c.what;
        EXPECT_EQ(handle.value, c.handle) << c.what;
    }
}

TEST(OpenFloppyTest, ADriveThatTakesNoControllerCommandsIsFoundBeforeAnythingMoves) {
    struct Case {
        const char* what;
        uint32_t probeError;  // 0: the probe succeeds
        int32_t code;
        const char* message;
    };
    const Case cases[] = {
        {"commands taken", 0, 0, ""},
        {"commands refused", kErrorNotSupported, 2,
         "The installed FDRAWCMD floppy driver refuses controller commands. You can download the driver "
         "again "
         "from http://simonowen.com/fdrawcmd/FdInstall.exe"},
        {"no answer", kErrorNotReady, 6, "Could not open drive \\\\.\\fdraw0."},
    };
    for (const Case& c : cases) {
        VirtualFloppyDriver driver;
        if (c.probeError != 0) driver.FailCall(VirtualCall::kProbe, c.probeError);
        FloppyHandle handle;
        const StatusRecord status = OpenFloppy(0, driver, "A:", &handle);
        EXPECT_EQ(status.code, c.code) << c.what;
        EXPECT_EQ(std::string(status.message), c.message) << c.what;
        EXPECT_EQ(driver.CallCount(VirtualCall::kDataRate), c.code == 0 ? 1 : 0) << c.what;
    }
}

TEST(ResetFloppyTest, BringsTheHeadToCylinderZeroWhereverTheLastRunLeftIt) {
    // The last run left the head on cylinder 0, on its last cylinder, at the end of its travel.
    for (const int32_t headAt : {0, 79, 82}) {
        VirtualFloppyDriver driver;
        driver.PlaceHead(headAt);
        FloppyHandle handle;
        ASSERT_EQ(OpenFloppy(0, driver, "A:", &handle).code, 0);
        EXPECT_EQ(ResetFloppy(0, driver, handle).code, 0) << headAt;
        ASSERT_EQ(SeekFloppy(0, driver, handle, 1, 5).code, 0);
        EXPECT_EQ(driver.HeadCylinder(), 5) << headAt;
    }
}

TEST(OpenFloppyTest, TracesTheDriveFromLevelOne) {
    struct Case {
        int8_t trace;
        const char* expected;
    };
    const Case cases[] = {
        {0, ""},
        {1, "--OpenFloppy--\nDrive is \\\\.\\fdraw1\n--END: OpenFloppy--\n"},
    };
    for (const Case& c : cases) {
        VirtualFloppyDriver driver;
        FloppyHandle handle;
        StartConsoleCapture();
        OpenFloppy(c.trace, driver, "b:", &handle);
        EXPECT_EQ(StopConsoleCapture(), c.expected) << int{c.trace};
    }
}

TEST(ResetAndSeekTest, FailuresCarryTheirCodesAndMessages) {
    struct Case {
        const char* what;
        VirtualCall failing;
        int32_t failCylinder;
        int32_t failHead;
        bool reset;  // else a seek to cylinder 3, head 1
        int32_t code;
        const char* message;
        const char* trace;
    };
    const Case cases[] = {
        {"reset refused", VirtualCall::kReset, kAnyTrack, kAnyTrack, true, 8, "Floppy reset failed. 1000.",
         "--ResetFloppy--\n"},
        {"reset while seeks fail", VirtualCall::kSeek, kAnyTrack, kAnyTrack, true, 0, "",
         "--ResetFloppy--\n--END: ResetFloppy--\n"},
        {"recalibration fails", VirtualCall::kRecalibrate, kAnyTrack, kAnyTrack, true, 8,
         "Floppy recalibration failed. 25.", "--ResetFloppy--\n"},
        {"seek refused here", VirtualCall::kSeek, 3, 1, false, 10, "The floppy seek was not successful.",
         "--SeekFloppy--\n"},
        {"seek refused on the other head", VirtualCall::kSeek, 3, 0, false, 0, "",
         "--SeekFloppy--\n--END: SeekFloppy--\n"},
        {"seek refused elsewhere", VirtualCall::kSeek, 4, 1, false, 0, "",
         "--SeekFloppy--\n--END: SeekFloppy--\n"},
    };
    for (const Case& c : cases) {
        VirtualFloppyDriver driver;
        FloppyHandle handle;
        ASSERT_EQ(OpenFloppy(0, driver, "A:", &handle).code, 0);
        driver.FailCall(c.failing, kErrorSeek, c.failCylinder, c.failHead);
        StartConsoleCapture();
        const StatusRecord status =
            c.reset ? ResetFloppy(1, driver, handle) : SeekFloppy(1, driver, handle, 1, 3);
        EXPECT_EQ(StopConsoleCapture(), c.trace) << c.what;
        EXPECT_EQ(status.code, c.code) << c.what;
        EXPECT_EQ(std::string(status.message), c.message) << c.what;
    }
}

TEST(ReportFloppyStatusTest, PrintsWordCodeMessageAndWaitsForAKey) {
    struct Case {
        char severity;
        const char* expected;
    };
    const Case cases[] = {
        {'E', "  ERROR: 10: The floppy seek was not successful.\n\nPress a key...\n"},
        {'F', "  FATAL: 10: The floppy seek was not successful.\n\nPress a key...\n"},
        {'W', "  WARNING: 10: The floppy seek was not successful.\n\nPress a key...\n"},
    };
    for (const Case& c : cases) {
        StartConsoleCapture();
        ReportFloppyStatus(MakeStatus(10, c.severity, "The floppy seek was not successful."));
        EXPECT_EQ(StopConsoleCapture(), c.expected) << c.severity;
    }
}
