#include "floppy/driver_virtual.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "floppy/error_numbers.h"
#include "floppy/fdrawcmd.h"
#include "floppy/format_track.h"

namespace {

constexpr int32_t kVirtualDrives = 2;

// The MFM track from the index: gap 4a (80), sync (12), index mark (4) and gap 1 (50) come before
// the first ID field. An ID field is sync, mark, C H R N and CRC (22 bytes); gap 2 (22 bytes)
// separates it from the data field's sync and mark (16 bytes), then come the data and their CRC.
constexpr int32_t kIndexBytes = 146;
constexpr int32_t kIdFieldBytes = 22;
constexpr int32_t kDataFieldStart = kIdFieldBytes + 22;  // from the ID field's sync
constexpr int32_t kDataMarkBytes = 16;
constexpr int32_t kCrcBytes = 2;
// The byte or so a write runs on after the CRC before the write gate drops.
constexpr int32_t kWriteTailBytes = 1;
constexpr size_t kNoSector = static_cast<size_t>(-1);

int32_t RingPosition(int32_t position) {
    return ((position % kRingBytes) + kRingBytes) % kRingBytes;
}

// Whether two stretches of the ring share a byte.
bool Overlaps(int32_t start, int32_t length, int32_t otherStart, int32_t otherLength) {
    if (length >= kRingBytes || otherLength >= kRingBytes) return true;
    start = RingPosition(start);
    otherStart = RingPosition(otherStart);
    for (int32_t shift = -kRingBytes; shift <= kRingBytes; shift += kRingBytes)
        if (start < otherStart + shift + otherLength && otherStart + shift < start + length) return true;
    return false;
}

int32_t TrackIndex(int32_t cylinder, int32_t head) {
    return cylinder * kHeads + head;
}

bool Matches(int32_t wanted, int32_t actual) {
    return wanted == kAnyTrack || wanted == actual;
}

}  // namespace

VirtualFloppyDriver::VirtualFloppyDriver() : FloppyDriver(kFdrawcmdTexts) {}

void VirtualFloppyDriver::Overwrite(VirtualTrack* track, int32_t start, int32_t length, size_t spared) {
    std::vector<VirtualSector> kept;
    for (size_t index = 0; index < track->sectors.size(); ++index) {
        VirtualSector& sector = track->sectors[index];
        if (index != spared) {
            if (Overlaps(start, length, sector.position, kIdFieldBytes)) continue;
            const int32_t field = sector.position + kDataFieldStart;
            if (sector.fieldBytes > 0 && Overlaps(start, length, field, kDataMarkBytes))
                sector.fieldBytes = 0;
            if (sector.fieldBytes > 0 && Overlaps(start, length, field + kDataMarkBytes,
                                                  static_cast<int32_t>(sector.fieldBytes) + kCrcBytes))
                sector.unreadable = true;
        }
        kept.push_back(sector);
    }
    track->sectors.swap(kept);
}

void VirtualFloppyDriver::LayDown(VirtualTrack* track, const FormatParameters& parameters) {
    track->sectors.clear();
    const uint32_t fieldBytes = SectorBytes(parameters.sizeCode);
    const int32_t slot = kDataFieldStart + kDataMarkBytes + static_cast<int32_t>(fieldBytes) + kCrcBytes +
                         parameters.gapLength;
    int32_t position = kIndexBytes;
    for (int32_t index = 0; index < parameters.sectorCount; ++index) {
        // A track laid out longer than one turn runs over its own beginning.
        Overwrite(track, position, slot, kNoSector);
        VirtualSector laid{};
        laid.id = parameters.ids[index];
        laid.position = RingPosition(position);
        laid.fieldBytes = fieldBytes;
        laid.data.assign(fieldBytes, parameters.fillByte);
        track->sectors.push_back(laid);
        position += slot;
    }
}

void VirtualFloppyDriver::WriteField(VirtualTrack* track, size_t sector, const uint8_t* data,
                                     uint32_t length) {
    VirtualSector& written = track->sectors[sector];
    written.fieldBytes = length;
    written.unreadable = false;
    written.data.assign(data, data + length);
    Overwrite(track, written.position + kDataFieldStart,
              kDataMarkBytes + static_cast<int32_t>(length) + kCrcBytes + kWriteTailBytes, sector);
}

// A DPX-1 track as NIMROSE's format and TOLVAN's write leave it.
void VirtualFloppyDriver::LayOutDpxTrack(int32_t cylinder, int32_t head, const uint8_t* bytes) {
    VirtualTrack& track = TrackAt(cylinder, head);
    track = VirtualTrack{};
    track.rate = kDpxDataRate;
    LayDown(&track, BuildFormatParameters(head, cylinder));
    const std::vector<uint8_t> zeros(kLargeSectorBytes, 0);
    for (uint8_t sector = 0; sector <= kSmallSector; ++sector) {
        const uint8_t sizeCode = sector == kSmallSector ? kSmallSizeCode : kLargeSizeCode;
        const SectorIdField id{static_cast<uint8_t>(cylinder), static_cast<uint8_t>(head), sector, sizeCode};
        for (size_t index = 0; index < track.sectors.size(); ++index) {
            const SectorIdField& laid = track.sectors[index].id;
            if (laid.sector != id.sector) continue;
            const uint8_t* data = bytes != nullptr ? bytes + sector * kLargeSectorBytes : zeros.data();
            WriteField(&track, index, data, SectorBytes(sizeCode));
            break;
        }
    }
}

void VirtualFloppyDriver::LayOutDpxTracks() {
    for (int32_t cylinder = 0; cylinder < kCylinders; ++cylinder)
        for (int32_t head = 0; head < kHeads; ++head) LayOutDpxTrack(cylinder, head, nullptr);
}

void VirtualFloppyDriver::PutImage(const std::vector<uint8_t>& image) {
    for (int32_t cylinder = 0; cylinder < kCylinders; ++cylinder) {
        for (int32_t head = 0; head < kHeads; ++head) {
            const size_t offset = static_cast<size_t>(TrackOffset(cylinder, head));
            const bool present = image.size() >= offset + kTrackBytes;
            LayOutDpxTrack(cylinder, head, present ? image.data() + offset : nullptr);
        }
    }
}

std::vector<uint8_t> VirtualFloppyDriver::TakeImage() const {
    std::vector<uint8_t> image(kDiskBytes, 0);
    for (int32_t cylinder = 0; cylinder < kCylinders; ++cylinder) {
        for (int32_t head = 0; head < kHeads; ++head) {
            const VirtualTrack& track = Track(cylinder, head);
            for (uint8_t sector = 0; sector <= kSmallSector; ++sector) {
                const uint8_t sizeCode = sector == kSmallSector ? kSmallSizeCode : kLargeSizeCode;
                const size_t offset =
                    static_cast<size_t>(TrackOffset(cylinder, head) + sector * kLargeSectorBytes);
                for (const VirtualSector& laid : track.sectors) {
                    if (laid.id.cylinder == cylinder && laid.id.head == head && laid.id.sector == sector &&
                        laid.id.sizeCode == sizeCode && laid.fieldBytes == SectorBytes(sizeCode)) {
                        std::memcpy(image.data() + offset, laid.data.data(), laid.data.size());
                        break;
                    }
                }
            }
        }
    }
    return image;
}

void VirtualFloppyDriver::MarkUnreadable(int32_t cylinder, int32_t head, uint8_t sector) {
    for (VirtualSector& laid : TrackAt(cylinder, head).sectors)
        if (laid.id.sector == sector) laid.unreadable = true;
}

void VirtualFloppyDriver::PlaceHead(int32_t cylinder) {
    head_ = std::min(std::max(cylinder, 0), kHeadTravel - 1);
}

void VirtualFloppyDriver::SetVersion(uint32_t version) {
    version_ = version;
}

void VirtualFloppyDriver::FailCall(VirtualCall call, uint32_t error, int32_t cylinder, int32_t head) {
    faults_.push_back(Fault{call, error, cylinder, head});
}

int32_t VirtualFloppyDriver::CallCount(VirtualCall call) const {
    return calls_[static_cast<size_t>(call)];
}

const VirtualTrack& VirtualFloppyDriver::Track(int32_t cylinder, int32_t head) const {
    return tracks_[static_cast<size_t>(TrackIndex(cylinder, head))];
}

VirtualTrack& VirtualFloppyDriver::TrackAt(int32_t cylinder, int32_t head) {
    return tracks_[static_cast<size_t>(TrackIndex(cylinder, head))];
}

DriverResult VirtualFloppyDriver::Enter(VirtualCall call, int32_t cylinder, int32_t head) {
    ++calls_[static_cast<size_t>(call)];
    for (const Fault& fault : faults_)
        if (fault.call == call && Matches(fault.cylinder, cylinder) && Matches(fault.head, head))
            return DriverFailure(fault.error);
    return DriverSuccess();
}

DriverResult VirtualFloppyDriver::EnterOnDrive(VirtualCall call, FloppyHandle handle, int32_t cylinder,
                                               int32_t head) {
    if (!open_ || handle.value != handle_) {
        ++calls_[static_cast<size_t>(call)];
        return DriverFailure(kErrorInvalidHandle);
    }
    return Enter(call, cylinder, head);
}

DriverResult VirtualFloppyDriver::QueryVersion(uint32_t* version) {
    const DriverResult result = Enter(VirtualCall::kVersion, kAnyTrack, kAnyTrack);
    if (result.ok) *version = version_;
    return result;
}

DriverResult VirtualFloppyDriver::OpenDrive(const char* deviceName, FloppyHandle* handle) {
    openedDevice_ = deviceName;
    const DriverResult result = Enter(VirtualCall::kOpen, kAnyTrack, kAnyTrack);
    if (!result.ok) return result;
    for (int32_t drive = 0; drive < kVirtualDrives; ++drive) {
        char name[32];
        std::snprintf(name, sizeof name, texts().deviceNameFormat, drive);
        if (std::strcmp(name, deviceName) == 0) {
            open_ = true;
            handle_ = kVirtualHandleBase + drive;
            handle->value = handle_;
            return DriverSuccess();
        }
    }
    return DriverFailure(kErrorFileNotFound);
}

DriverResult VirtualFloppyDriver::SetDataRate(FloppyHandle handle, uint8_t rate) {
    const DriverResult result = EnterOnDrive(VirtualCall::kDataRate, handle, kAnyTrack, kAnyTrack);
    if (!result.ok) return result;
    if (rate > 3) return DriverFailure(kErrorInvalidParameter);
    rate_ = rate;
    return result;
}

DriverResult VirtualFloppyDriver::ProbeDrive(FloppyHandle handle) {
    return EnterOnDrive(VirtualCall::kProbe, handle, kAnyTrack, kAnyTrack);
}

DriverResult VirtualFloppyDriver::ResetController(FloppyHandle handle) {
    const DriverResult result = EnterOnDrive(VirtualCall::kReset, handle, kAnyTrack, kAnyTrack);
    if (result.ok) counter_ = 0;
    return result;
}

DriverResult VirtualFloppyDriver::Recalibrate(FloppyHandle handle) {
    const DriverResult result = EnterOnDrive(VirtualCall::kRecalibrate, handle, kAnyTrack, kAnyTrack);
    if (!result.ok) return result;
    head_ -= std::min(head_, kRecalibrateSteps);
    counter_ = 0;
    return head_ == 0 ? result : DriverFailure(kErrorSeek);
}

DriverResult VirtualFloppyDriver::Seek(FloppyHandle handle, uint8_t cylinder, uint8_t head) {
    const DriverResult result = EnterOnDrive(VirtualCall::kSeek, handle, cylinder, head);
    if (!result.ok) return result;
    if (cylinder >= kCylinders || head >= kHeads) return DriverFailure(kErrorSeek);
    PlaceHead(head_ + cylinder - counter_);
    counter_ = cylinder;
    return result;
}

DriverResult VirtualFloppyDriver::CheckTransfer(const TransferParameters& parameters, uint32_t length) {
    const uint32_t sectorBytes = SectorBytes(parameters.sizeCode);
    if (parameters.physicalHead >= kHeads || sectorBytes == 0 || length == 0 || length % sectorBytes != 0)
        return DriverFailure(kErrorInvalidParameter);
    // The driver reads from the first sector up to, not including, the end-of-track number.
    if (static_cast<uint32_t>(parameters.endOfTrack) != parameters.sector + length / sectorBytes)
        return DriverFailure(kErrorInvalidParameter);
    const VirtualTrack& track = TrackAt(head_, parameters.physicalHead);
    // An unformatted track, or one recorded in another way, shows no ID field at all.
    if (track.sectors.empty() || (parameters.flags & kMfm) == 0 || track.rate != rate_)
        return DriverFailure(kErrorIdMarkNotFound);
    return DriverSuccess();
}

DriverResult VirtualFloppyDriver::FindSector(const TransferParameters& parameters, uint32_t next,
                                             size_t* found) {
    const VirtualTrack& track = TrackAt(head_, parameters.physicalHead);
    for (size_t index = 0; index < track.sectors.size(); ++index) {
        const SectorIdField& id = track.sectors[index].id;
        if (id.cylinder == parameters.cylinder && id.head == parameters.head &&
            static_cast<uint32_t>(id.sector) == parameters.sector + next &&
            id.sizeCode == parameters.sizeCode) {
            // A data field whose mark was overwritten is not found either.
            if (track.sectors[index].fieldBytes == 0) return DriverFailure(kErrorSectorNotFound);
            *found = index;
            return DriverSuccess();
        }
    }
    return DriverFailure(kErrorSectorNotFound);
}

DriverResult VirtualFloppyDriver::ReadData(FloppyHandle handle, const TransferParameters& parameters,
                                           uint8_t* data, uint32_t length) {
    transfers_.push_back(VirtualTransfer{VirtualCall::kRead, parameters, length});
    DriverResult result = EnterOnDrive(VirtualCall::kRead, handle, head_, parameters.physicalHead);
    if (result.ok) result = CheckTransfer(parameters, length);
    const uint32_t sectorBytes = SectorBytes(parameters.sizeCode);
    for (uint32_t next = 0; result.ok && next < length / sectorBytes; ++next) {
        size_t index = 0;
        result = FindSector(parameters, next, &index);
        if (!result.ok) break;
        const VirtualSector& sector = TrackAt(head_, parameters.physicalHead).sectors[index];
        // A data field of another size ends where its CRC does not match.
        if (sector.unreadable || sector.fieldBytes != sectorBytes) return DriverFailure(kErrorCrc);
        std::memcpy(data + next * sectorBytes, sector.data.data(), sectorBytes);
    }
    return result;
}

DriverResult VirtualFloppyDriver::WriteData(FloppyHandle handle, const TransferParameters& parameters,
                                            const uint8_t* data, uint32_t length) {
    transfers_.push_back(VirtualTransfer{VirtualCall::kWrite, parameters, length});
    DriverResult result = EnterOnDrive(VirtualCall::kWrite, handle, head_, parameters.physicalHead);
    if (result.ok) result = CheckTransfer(parameters, length);
    const uint32_t sectorBytes = SectorBytes(parameters.sizeCode);
    // Each sector is found after the one before it was written, which may have run over its ID.
    for (uint32_t next = 0; result.ok && next < length / sectorBytes; ++next) {
        size_t index = 0;
        result = FindSector(parameters, next, &index);
        if (result.ok)
            WriteField(&TrackAt(head_, parameters.physicalHead), index, data + next * sectorBytes,
                       sectorBytes);
    }
    return result;
}

DriverResult VirtualFloppyDriver::Format(FloppyHandle handle, const FormatParameters& parameters) {
    const DriverResult result = EnterOnDrive(VirtualCall::kFormat, handle, head_, parameters.physicalHead);
    if (!result.ok) return result;
    if (parameters.physicalHead >= kHeads || (parameters.flags & kMfm) == 0 || parameters.sectorCount == 0 ||
        parameters.sectorCount > kFormatIdFieldCount)
        return DriverFailure(kErrorInvalidParameter);
    VirtualTrack& track = TrackAt(head_, parameters.physicalHead);
    track = VirtualTrack{};
    track.rate = rate_;
    track.lastFormat = parameters;
    LayDown(&track, parameters);
    return result;
}
