// An in-memory floppy drive with a disk in it, behind the FDRAWCMD driver's interface, for running
// the floppy programs without hardware: the emulated drive and controller of flux/controller.h on a
// disk of bit cells, turning at 300 rpm, so that it fails where a controller and drive fail (see
// floppy/driver.h). Besides, any call can be made to fail, on every track or on one, and the disk
// can be laid out, damaged and read back whole.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "floppy/driver.h"
#include "floppy/layout.h"
#include "flux/controller.h"

enum class VirtualCall : int32_t {
    kVersion,
    kOpen,
    kDataRate,
    kReset,
    kSeek,
    kRead,
    kWrite,
    kFormat,
    kProbe,
    kRecalibrate,
};
constexpr int32_t kVirtualCallKinds = 10;

// A fault on every track, or on every cylinder or head.
constexpr int32_t kAnyTrack = -1;

// The version the virtual driver reports unless told otherwise.
constexpr uint32_t kVirtualDriverVersion = 0x01000000;
// Handle of drive n (0 = A, 1 = B).
constexpr intptr_t kVirtualHandleBase = kEmulatedHandleBase;

// A sector as a read of the track at 300 rpm finds it.
struct VirtualSector {
    SectorIdField id;     // an ID field with a good CRC
    int32_t position;     // where its first A1 mark begins, in bytes from the index
    uint32_t fieldBytes;  // size of the data field after it whose CRC is good; 0 for none
    std::vector<uint8_t> data;
};

struct VirtualTrack {
    std::vector<VirtualSector> sectors;  // empty while the track was never formatted
    FormatParameters lastFormat;         // the format call that laid it down; zero when laid by the test
};

// One read or write as the drive received it.
struct VirtualTransfer {
    VirtualCall call;
    TransferParameters parameters;
    uint32_t length;
};

class VirtualFloppyDriver : public EmulatedFloppyDriver {
  public:
    // The driver installed, drives A: and B:, a blank (never formatted) disk.
    VirtualFloppyDriver();

    // Lays every track out as a DPX-1 track full of zeros, without a format call.
    void LayOutDpxTracks();
    // Lays every track out as a DPX-1 track holding an image (kDiskBytes bytes, image order).
    void PutImage(const std::vector<uint8_t>& image);
    // The disk's DPX-1 sectors in image order; bytes of sectors the disk lacks are 0.
    std::vector<uint8_t> TakeImage() const;
    // Reads of the sector fail with a CRC error until it is written again.
    void MarkUnreadable(int32_t cylinder, int32_t head, uint8_t sector);
    void SetVersion(uint32_t version);
    // Calls of the kind on the track (kAnyTrack for every cylinder or head) fail with the error.
    // Track-less calls (version, open, data rate, reset) take kAnyTrack.
    void FailCall(VirtualCall call, uint32_t error, int32_t cylinder = kAnyTrack, int32_t head = kAnyTrack);

    int32_t CallCount(VirtualCall call) const;
    const std::string& OpenedDevice() const { return openedDevice_; }
    const std::vector<VirtualTransfer>& Transfers() const { return transfers_; }
    // What a read of the track at 300 rpm finds on it, and the format that laid it down.
    const VirtualTrack& Track(int32_t cylinder, int32_t head) const;

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

  private:
    struct Fault {
        VirtualCall call;
        uint32_t error;
        int32_t cylinder;
        int32_t head;
    };

    // Counts the call and gives the fault set for it on the track, or success.
    DriverResult Enter(VirtualCall call, int32_t cylinder, int32_t head);
    // As Enter, for calls on an open drive: a handle that is not the open drive's fails first.
    DriverResult EnterOnDrive(VirtualCall call, FloppyHandle handle, int32_t cylinder, int32_t head);
    void LayOutDpxTrack(int32_t cylinder, int32_t head, const uint8_t* bytes);

    uint32_t version_ = kVirtualDriverVersion;
    std::vector<Fault> faults_;
    std::array<int32_t, kVirtualCallKinds> calls_{};
    std::string openedDevice_;
    std::array<FormatParameters, kHeadTravel * kHeads> formats_{};
    mutable std::array<VirtualTrack, kHeadTravel * kHeads> views_{};
    std::vector<VirtualTransfer> transfers_;
};
