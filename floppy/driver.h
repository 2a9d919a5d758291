// The floppy driver interface: the few controller calls the floppy programs make, each answering
// success or failure with an error number. Three drivers implement it: the FDRAWCMD driver on
// Windows, the kernel floppy driver on Linux (both in platform/, reached through
// floppy/platform_driver.h) and the in-memory drive of floppy/driver_virtual.h.
#pragma once

#include <cstdint>

// An open drive, as the driver delivers it (a Windows handle or a file descriptor).
struct FloppyHandle {
    intptr_t value = -1;
};

// The outcome of one driver call: ok, or the error number that tells what failed.
struct DriverResult {
    bool ok;
    uint32_t error;
};

inline DriverResult DriverSuccess() {
    return DriverResult{true, 0};
}
inline DriverResult DriverFailure(uint32_t error) {
    return DriverResult{false, error};
}

// Parameters of one controller read or write of consecutive sectors of a track, laid out byte for
// byte as the FDRAWCMD driver takes them.
struct TransferParameters {
    uint8_t flags;         // 0x40: MFM recording
    uint8_t physicalHead;  // the head that reads or writes
    uint8_t cylinder;      // ID field C
    uint8_t head;          // ID field H
    uint8_t sector;        // ID field R of the first sector
    uint8_t sizeCode;      // ID field N: 128 << N bytes per sector
    uint8_t endOfTrack;    // one past the last sector ID: first ID + count
    uint8_t gapLength;
    uint8_t dataLength;
};
static_assert(sizeof(TransferParameters) == 9, "the transfer parameters are 9 bytes");

// One ID field that a format lays down before a sector's data field.
struct SectorIdField {
    uint8_t cylinder;
    uint8_t head;
    uint8_t sector;
    uint8_t sizeCode;
};

constexpr int32_t kFormatIdFieldCount = 11;

// Parameters of one track format, laid out byte for byte as the FDRAWCMD driver takes them.
struct FormatParameters {
    uint8_t flags;         // 0x40: MFM recording
    uint8_t physicalHead;  // the head that formats
    uint8_t sizeCode;      // size code of the data fields laid down
    uint8_t sectorCount;   // number of ID fields used
    uint8_t gapLength;
    uint8_t fillByte;
    SectorIdField ids[kFormatIdFieldCount];
};
static_assert(sizeof(FormatParameters) == 50, "the format parameters are 50 bytes");

// The texts that differ from driver to driver.
struct FloppyDriverTexts {
    const char* deviceNameFormat;  // printf format of a drive's device name, given the drive number
    const char* notInstalled;      // why the driver cannot be found, and where it comes from
    const char* tooOld;            // why the driver found is not good enough
    const char* commandsRefused;   // the driver is there but passes no controller commands
};

// What every driver, real or virtual, does with the drive's head. The controller keeps a cylinder
// counter per drive; the head itself is where the last step left it, which the counter does not
// know:
// - ResetController sets the counter to 0 and leaves the head where it stands (after the last run
//   perhaps on cylinder 79);
// - Seek steps the head by (target - counter) and sets the counter to the target, so after a
//   reset without a recalibration every seek lands that many cylinders off;
// - Recalibrate steps the head outward until the drive reports cylinder 0, at most 77 steps on
//   older controllers (so a head further in needs two), then sets the counter to 0; it fails when
//   cylinder 0 was not reached;
// - the head cannot step past the end of its travel: cylinder 0 outward, about cylinder 82 inward.
// A format lays down the ID fields it is given, each followed by a data field of the format's own
// size code (128 << N bytes of the fill byte), whatever size the ID field announces. A read or
// write finds a sector by all four bytes of its ID field; a read succeeds only when the data field
// has the size of the read's size code (anything else ends in a CRC error), and a write lays down a
// data field of its own size, running over whatever follows on the track.

class FloppyDriver {
  public:
    explicit FloppyDriver(const FloppyDriverTexts& texts) : texts_(texts) {}
    virtual ~FloppyDriver() = default;
    FloppyDriver(const FloppyDriver&) = delete;
    FloppyDriver& operator=(const FloppyDriver&) = delete;

    const FloppyDriverTexts& texts() const { return texts_; }

    // The driver's 32-bit version; fails when no driver is there.
    virtual DriverResult QueryVersion(uint32_t* version) = 0;
    // Opens a drive by its device name for reading and writing, without sharing.
    virtual DriverResult OpenDrive(const char* deviceName, FloppyHandle* handle) = 0;
    // Sets the controller's data-rate code for the transfers that follow (2 = 250 kbit/s MFM).
    virtual DriverResult SetDataRate(FloppyHandle handle, uint8_t rate) = 0;
    // Asks the controller for the drive's status (SENSE DRIVE STATUS), which moves nothing and
    // touches no disk: proves that the driver passes controller commands at all. Fails with
    // kErrorNotSupported when the system refuses them.
    virtual DriverResult ProbeDrive(FloppyHandle handle) = 0;
    // Resets the controller: the cylinder counter goes to 0, the head stays where it is.
    virtual DriverResult ResetController(FloppyHandle handle) = 0;
    // One controller recalibration (at most 77 steps outward); the step rate and head settle time
    // are set before the head moves, and the head has settled when the call returns.
    virtual DriverResult Recalibrate(FloppyHandle handle) = 0;
    // Steps the drive's head to the cylinder as the controller counts it; head selects the side.
    // The head has settled when the call returns.
    virtual DriverResult Seek(FloppyHandle handle, uint8_t cylinder, uint8_t head) = 0;
    // Reads the sectors the parameters name into data, length bytes in all.
    virtual DriverResult ReadData(FloppyHandle handle, const TransferParameters& parameters, uint8_t* data,
                                  uint32_t length) = 0;
    // Writes length bytes from data to the sectors the parameters name.
    virtual DriverResult WriteData(FloppyHandle handle, const TransferParameters& parameters,
                                   const uint8_t* data, uint32_t length) = 0;
    // Lays out the track under the head with the ID fields of the parameters and data fields of
    // the parameters' size code.
    virtual DriverResult Format(FloppyHandle handle, const FormatParameters& parameters) = 0;

  private:
    FloppyDriverTexts texts_;
};
