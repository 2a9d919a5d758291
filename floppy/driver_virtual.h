// An in-memory floppy drive with a disk in it, behind the FDRAWCMD driver's interface, for running
// the floppy programs without hardware. It fails where a controller and drive fail (see driver.h):
// the head and the controller's cylinder counter are kept apart, and a track is a ring of
// kRingBytes bytes on which a format lays its ID fields and data fields of the format's size one
// after the other from the index, and a write lays a data field of its own size after the ID it
// found, destroying whatever ID or data field it runs over. A read finds the sector by its whole ID
// field on the track under the head and succeeds only when the data field has the size it asks
// for. Any call can be made to fail, on every track or on one.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "floppy/driver.h"
#include "floppy/layout.h"

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
constexpr intptr_t kVirtualHandleBase = 1000;

// The cylinders the head can reach, 0 to 82, and the most steps of one recalibration.
constexpr int32_t kHeadTravel = 83;
constexpr int32_t kRecalibrateSteps = 77;
// Bytes of one turn of a track at 250 kbit/s and 300 rpm.
constexpr int32_t kRingBytes = 6250;

struct VirtualSector {
    SectorIdField id;
    int32_t position;     // where its ID field's sync begins, in bytes from the index
    uint32_t fieldBytes;  // size of its data field; 0 when its data mark was overwritten
    bool unreadable;      // its data field gives a CRC error until it is written again
    std::vector<uint8_t> data;
};

struct VirtualTrack {
    uint8_t rate;                        // data rate the track was formatted at
    std::vector<VirtualSector> sectors;  // empty while the track was never formatted
    FormatParameters lastFormat;         // the format call that laid it down; zero when laid by the test
};

// One read or write as the drive received it.
struct VirtualTransfer {
    VirtualCall call;
    TransferParameters parameters;
    uint32_t length;
};

class VirtualFloppyDriver : public FloppyDriver {
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
    // Puts the head on a cylinder (0 to kHeadTravel - 1), as the last run left it.
    void PlaceHead(int32_t cylinder);
    int32_t HeadCylinder() const { return head_; }

    void SetVersion(uint32_t version);
    // Calls of the kind on the track (kAnyTrack for every cylinder or head) fail with the error.
    // Track-less calls (version, open, data rate, reset) take kAnyTrack.
    void FailCall(VirtualCall call, uint32_t error, int32_t cylinder = kAnyTrack, int32_t head = kAnyTrack);

    int32_t CallCount(VirtualCall call) const;
    const std::string& OpenedDevice() const { return openedDevice_; }
    const std::vector<VirtualTransfer>& Transfers() const { return transfers_; }
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
    // Checks a transfer's parameters against its length and the track under the head.
    DriverResult CheckTransfer(const TransferParameters& parameters, uint32_t length);
    // The sector numbered next after the transfer's first, on the track under the head.
    DriverResult FindSector(const TransferParameters& parameters, uint32_t next, size_t* found);
    VirtualTrack& TrackAt(int32_t cylinder, int32_t head);
    void LayOutDpxTrack(int32_t cylinder, int32_t head, const uint8_t* bytes);
    // Lays the format's ID and data fields on the track, from the index on.
    static void LayDown(VirtualTrack* track, const FormatParameters& parameters);
    // Writes a data field of length bytes after the sector's ID field.
    static void WriteField(VirtualTrack* track, size_t sector, const uint8_t* data, uint32_t length);
    // Destroys the ID fields and data fields of the track that bytes [start, start + length) of the
    // ring run over, except those of the sector numbered spared.
    static void Overwrite(VirtualTrack* track, int32_t start, int32_t length, size_t spared);

    uint32_t version_ = kVirtualDriverVersion;
    std::vector<Fault> faults_;
    std::array<int32_t, kVirtualCallKinds> calls_{};
    std::string openedDevice_;
    bool open_ = false;
    intptr_t handle_ = -1;
    uint8_t rate_ = 0xFF;  // none set yet
    int32_t head_ = 0;     // cylinder the head is on
    int32_t counter_ = 0;  // cylinder the controller believes the head is on
    std::array<VirtualTrack, kHeadTravel * kHeads> tracks_{};
    std::vector<VirtualTransfer> transfers_;
};
