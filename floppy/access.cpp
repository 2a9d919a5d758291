#include "floppy/access.h"

#include <cstdio>

#include "common/trace.h"
#include "floppy/error_numbers.h"
#include "floppy/layout.h"
#include "platform/console.h"

namespace {

constexpr int32_t kDeviceNameSize = 64;

// The drive's number: its letter's place in the alphabet from 0, case ignored; -1 for no letter.
int32_t DriveNumber(const char* drive) {
    const char letter = drive[0];
    if (letter >= 'A' && letter <= 'Z') return letter - 'A';
    if (letter >= 'a' && letter <= 'z') return letter - 'a';
    return -1;
}

}  // namespace

StatusRecord OpenFloppy(int8_t trace, FloppyDriver& driver, const char* drive, FloppyHandle* handle) {
    TraceEnter(trace, "OpenFloppy");
    StatusRecord status = InitStatusRecord();

    uint32_t version = 0;
    if (!driver.QueryVersion(&version).ok) version = 0;
    if (version == 0) return MakeStatus(2, 'E', "%s", driver.texts().notInstalled);
    if ((version >> 16) < kLowestDriverVersion) return MakeStatus(3, 'E', "%s", driver.texts().tooOld);

    const int32_t number = DriveNumber(drive);
    if (number < 0) return MakeStatus(6, 'E', "Could not open drive %s.", drive);
    char deviceName[kDeviceNameSize];
    std::snprintf(deviceName, sizeof deviceName, driver.texts().deviceNameFormat, number);

    FloppyHandle opened;
    if (!driver.OpenDrive(deviceName, &opened).ok)
        return MakeStatus(6, 'E', "Could not open drive %s.", deviceName);
    // A driver that is there may still refuse controller commands (a Linux kernel built without
    // them): find out before anything moves.
    const DriverResult probe = driver.ProbeDrive(opened);
    if (!probe.ok && probe.error == kErrorNotSupported)
        return MakeStatus(2, 'E', "%s", driver.texts().commandsRefused);
    if (!probe.ok) return MakeStatus(6, 'E', "Could not open drive %s.", deviceName);
    // A refused data rate leaves the drive open until the program ends.
    if (!driver.SetDataRate(opened, kDpxDataRate).ok)
        return MakeStatus(7, 'E', "Error setting the data rate.");

    *handle = opened;
    TraceLine(trace, kTraceCalls, "Drive is %s\n", deviceName);
    TraceEnd(trace, "OpenFloppy");
    return status;
}

StatusRecord ResetFloppy(int8_t trace, FloppyDriver& driver, FloppyHandle handle) {
    TraceEnter(trace, "ResetFloppy");
    if (!driver.ResetController(handle).ok)
        return MakeStatus(8, 'E', "Floppy reset failed. %d.", static_cast<int>(handle.value));
    // The reset cleared the controller's cylinder counter but left the head where it was: bring
    // both to cylinder 0. One recalibration steps at most 77 cylinders, so a head further in needs
    // the second; only the second one must reach cylinder 0.
    driver.Recalibrate(handle);
    const DriverResult recalibrated = driver.Recalibrate(handle);
    if (!recalibrated.ok) return MakeStatus(8, 'E', "Floppy recalibration failed. %u.", recalibrated.error);
    TraceEnd(trace, "ResetFloppy");
    return InitStatusRecord();
}

StatusRecord SeekFloppy(int8_t trace, FloppyDriver& driver, FloppyHandle handle, int32_t head,
                        int32_t cylinder) {
    TraceEnter(trace, "SeekFloppy");
    if (!driver.Seek(handle, static_cast<uint8_t>(cylinder), static_cast<uint8_t>(head)).ok)
        return MakeStatus(10, 'E', "The floppy seek was not successful.");
    TraceEnd(trace, "SeekFloppy");
    return InitStatusRecord();
}

void ReportFloppyStatus(StatusRecord status) {
    std::printf("  %s: ", SeverityWord(status.severity));
    std::printf("%d: %s\n\n", status.code, status.message);
    std::printf("Press a key...\n");
    WaitForKey();
}
