#include "floppy/driver_virtual.h"

#include <cstdio>
#include <cstring>

#include "floppy/error_numbers.h"
#include "floppy/fdrawcmd.h"

namespace {

constexpr int32_t kVirtualDrives = 2;

int32_t TrackIndex(int32_t cylinder, int32_t head) {
    return cylinder * kHeads + head;
}

bool Matches(int32_t wanted, int32_t actual) {
    return wanted == kAnyTrack || wanted == actual;
}

}  // namespace

VirtualFloppyDriver::VirtualFloppyDriver() : FloppyDriver(kFdrawcmdTexts) {}

void VirtualFloppyDriver::LayOutDpxTrack(int32_t cylinder, int32_t head, const uint8_t* bytes) {
    VirtualTrack& track = TrackAt(cylinder, head);
    track = VirtualTrack{};
    track.rate = kDpxDataRate;
    int32_t offset = 0;
    for (uint8_t sector = 0; sector <= kSmallSector; ++sector) {
        const uint8_t sizeCode = sector == kSmallSector ? kSmallSizeCode : kLargeSizeCode;
        VirtualSector laid{};
        laid.id = SectorIdField{static_cast<uint8_t>(cylinder), static_cast<uint8_t>(head), sector, sizeCode};
        laid.data.assign(SectorBytes(sizeCode), 0);
        if (bytes != nullptr) std::memcpy(laid.data.data(), bytes + offset, laid.data.size());
        offset += static_cast<int32_t>(laid.data.size());
        track.sectors.push_back(laid);
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
                        laid.id.sizeCode == sizeCode) {
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

DriverResult VirtualFloppyDriver::ResetController(FloppyHandle handle) {
    return EnterOnDrive(VirtualCall::kReset, handle, kAnyTrack, kAnyTrack);
}

DriverResult VirtualFloppyDriver::Seek(FloppyHandle handle, uint8_t cylinder, uint8_t head) {
    const DriverResult result = EnterOnDrive(VirtualCall::kSeek, handle, cylinder, head);
    if (!result.ok) return result;
    if (cylinder >= kCylinders || head >= kHeads) return DriverFailure(kErrorSeek);
    position_ = cylinder;
    return result;
}

DriverResult VirtualFloppyDriver::FindSectors(const TransferParameters& parameters, uint32_t length,
                                              std::vector<VirtualSector*>* found) {
    const uint32_t sectorBytes = SectorBytes(parameters.sizeCode);
    if (parameters.physicalHead >= kHeads || sectorBytes == 0 || length == 0 || length % sectorBytes != 0)
        return DriverFailure(kErrorInvalidParameter);
    // The driver reads from the first sector up to, not including, the end-of-track number.
    const uint32_t count = length / sectorBytes;
    if (static_cast<uint32_t>(parameters.endOfTrack) != parameters.sector + count)
        return DriverFailure(kErrorInvalidParameter);

    VirtualTrack& track = TrackAt(position_, parameters.physicalHead);
    // An unformatted track, or one recorded in another way, shows no ID field at all.
    if (track.sectors.empty() || (parameters.flags & kMfm) == 0 || track.rate != rate_)
        return DriverFailure(kErrorIdMarkNotFound);
    for (uint32_t next = 0; next < count; ++next) {
        VirtualSector* match = nullptr;
        for (VirtualSector& laid : track.sectors) {
            if (laid.id.cylinder == parameters.cylinder && laid.id.head == parameters.head &&
                static_cast<uint32_t>(laid.id.sector) == parameters.sector + next &&
                laid.id.sizeCode == parameters.sizeCode) {
                match = &laid;
                break;
            }
        }
        if (match == nullptr) return DriverFailure(kErrorSectorNotFound);
        found->push_back(match);
    }
    return DriverSuccess();
}

DriverResult VirtualFloppyDriver::ReadData(FloppyHandle handle, const TransferParameters& parameters,
                                           uint8_t* data, uint32_t length) {
    transfers_.push_back(VirtualTransfer{VirtualCall::kRead, parameters, length});
    DriverResult result = EnterOnDrive(VirtualCall::kRead, handle, position_, parameters.physicalHead);
    if (!result.ok) return result;
    std::vector<VirtualSector*> sectors;
    result = FindSectors(parameters, length, &sectors);
    if (!result.ok) return result;
    for (const VirtualSector* sector : sectors) {
        if (sector->unreadable) return DriverFailure(kErrorCrc);
        std::memcpy(data, sector->data.data(), sector->data.size());
        data += sector->data.size();
    }
    return result;
}

DriverResult VirtualFloppyDriver::WriteData(FloppyHandle handle, const TransferParameters& parameters,
                                            const uint8_t* data, uint32_t length) {
    transfers_.push_back(VirtualTransfer{VirtualCall::kWrite, parameters, length});
    DriverResult result = EnterOnDrive(VirtualCall::kWrite, handle, position_, parameters.physicalHead);
    if (!result.ok) return result;
    std::vector<VirtualSector*> sectors;
    result = FindSectors(parameters, length, &sectors);
    if (!result.ok) return result;
    for (VirtualSector* sector : sectors) {
        std::memcpy(sector->data.data(), data, sector->data.size());
        sector->unreadable = false;
        data += sector->data.size();
    }
    return result;
}

DriverResult VirtualFloppyDriver::Format(FloppyHandle handle, const FormatParameters& parameters) {
    const DriverResult result =
        EnterOnDrive(VirtualCall::kFormat, handle, position_, parameters.physicalHead);
    if (!result.ok) return result;
    if (parameters.physicalHead >= kHeads || (parameters.flags & kMfm) == 0 || parameters.sectorCount == 0 ||
        parameters.sectorCount > kFormatIdFieldCount)
        return DriverFailure(kErrorInvalidParameter);
    VirtualTrack& track = TrackAt(position_, parameters.physicalHead);
    track = VirtualTrack{};
    track.rate = rate_;
    track.lastFormat = parameters;
    for (int32_t index = 0; index < parameters.sectorCount; ++index) {
        VirtualSector laid{};
        laid.id = parameters.ids[index];
        laid.data.assign(SectorBytes(laid.id.sizeCode), parameters.fillByte);
        track.sectors.push_back(laid);
    }
    return result;
}
