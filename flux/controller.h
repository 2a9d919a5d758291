// An emulated floppy drive and controller over an EmulatedDisk, behind the floppy driver interface:
// what BRESKA, TOLVAN and NIMROSE drive when a disk image file stands in for the floppy disk.
//
// The drive turns at a set speed; the controller works in cells of 2 µs (at the DPX-1's data rate)
// by its own clock, so at R rpm one of its cells covers R / 300 nominal cells of the medium. It does
// what a PC floppy controller does, on the bit cells:
// - FORMAT waits for the index and writes, for one revolution: gap 4a (80), sync, index mark, gap 1
//   (50), then per ID field sync, ID mark, C H R N, CRC, gap 2 (22), sync, data mark, 128 << N bytes
//   of the fill byte (N of the command), CRC and the command's gap; then gap up to the index.
// - READ DATA and WRITE DATA look for the ID field with the C, H, R and N asked for and a good CRC
//   in the flux passing the head, read through the controller's loop (flux/flux_cells.h) from where
//   the last command left the disk; two index pulses without it end the command. WRITE DATA lets
//   the 22 bytes of gap 2 pass and writes sync, data mark, data, CRC and a byte of gap, through the
//   index if the sector lies across it; READ DATA takes the data field whose mark comes within 43
//   bytes of the ID field's CRC and checks its CRC. Both go on with R + 1 until the byte count is
//   done.
// - SEEK, RECALIBRATE and reset keep the head and the controller's cylinder counter apart (see
//   floppy/driver.h).
// Faults end a command with the status bits a controller sets, reported with the error numbers
// every driver of the suite uses for them.
#pragma once

#include <cstdint>

#include "floppy/driver.h"
#include "flux/cell_track.h"
#include "flux/emulated_disk.h"

constexpr double kNominalRpm = 300.0;
// The speeds an emulated drive may be given.
constexpr double kSlowestRpm = 150.0;
constexpr double kFastestRpm = 600.0;

// The cylinders the head can reach, 0 to 82, and the most steps of one recalibration.
constexpr int32_t kHeadTravel = kEmulatedCylinders;
constexpr int32_t kRecalibrateSteps = 77;
// Handle of drive n (0 = A, 1 = B).
constexpr intptr_t kEmulatedHandleBase = 1000;

// From the first A1 mark of an ID field to where a write of its data field starts: the ID field
// (A1 A1 A1 FE C H R N CRC, 10 bytes) and gap 2 (22 bytes).
constexpr uint32_t kWriteStartBytes = 10 + 22;

// The cells a format lays down from the index, `cells` of them (one revolution of the controller's
// cells): what does not fit before the index is not written.
CellTrack FormatCells(const FormatParameters& parameters, uint32_t cells);
// The cells a write lays down after gap 2: sync, data mark, the data, CRC and a byte of gap.
CellTrack DataFieldCells(const uint8_t* data, uint32_t bytes);

class EmulatedFloppyDriver : public FloppyDriver {
  public:
    EmulatedFloppyDriver(const FloppyDriverTexts& texts, const EmulatedDisk& disk, double rpm = kNominalRpm);

    EmulatedDisk& Disk() { return disk_; }
    const EmulatedDisk& Disk() const { return disk_; }
    double Rpm() const { return rpm_; }
    // Puts the head on a cylinder (0 to kHeadTravel - 1), as the last run left it.
    void PlaceHead(int32_t cylinder);
    int32_t HeadCylinder() const { return head_; }

    DriverResult QueryVersion(uint32_t* version) override;
    DriverResult OpenDrive(const char* deviceName, FloppyHandle* handle) override;
    DriverResult SetDataRate(FloppyHandle handle, uint8_t rate) override;
    DriverResult ProbeDrive(FloppyHandle handle) override;
    DriverResult ResetController(FloppyHandle handle) override;
    DriverResult Recalibrate(FloppyHandle handle) override;
    DriverResult Seek(FloppyHandle handle, uint8_t cylinder, uint8_t head) override;
    DriverResult ReadData(FloppyHandle handle, const TransferParameters& parameters, uint8_t* data,
                          uint32_t length) override;
    DriverResult WriteData(FloppyHandle handle, const TransferParameters& parameters, const uint8_t* data,
                           uint32_t length) override;
    DriverResult Format(FloppyHandle handle, const FormatParameters& parameters) override;

  protected:
    // Whether the handle is that of the open drive.
    bool IsOpenDrive(FloppyHandle handle) const { return open_ && handle.value == handle_; }

  private:
    struct Window;

    // Checks a transfer's parameters against its length and the drive.
    DriverResult CheckTransfer(FloppyHandle handle, const TransferParameters& parameters, uint32_t length);
    // Looks for the ID field from where the disk stands, decoding enough flux after it that `reach`
    // bytes from its first A1 mark on are cells of the window.
    DriverResult FindIdField(uint8_t physicalHead, const SectorIdField& wanted, uint32_t reach,
                             Window* window);
    MediumTrack& TrackUnderHead(uint8_t physicalHead) { return disk_.Track(head_, physicalHead); }
    uint32_t CellRate() const;
    // Medium units that pass in one second, and in one of the controller's cells.
    uint32_t UnitsPerSecond() const;
    double UnitsPerCell() const;

    EmulatedDisk disk_;
    double rpm_;
    bool open_ = false;
    intptr_t handle_ = -1;
    uint8_t rate_ = 0xFF;  // none set yet
    int32_t head_ = 0;     // cylinder the head is on
    int32_t counter_ = 0;  // cylinder the controller believes the head is on
    double angle_ = 0;     // where the disk stands under the head, in medium units from the index
};
