#include "floppy/driver_virtual.h"

#include <cstring>

#include "floppy/error_numbers.h"
#include "floppy/fdrawcmd.h"
#include "floppy/format_track.h"
#include "flux/mfm.h"
#include "flux/sector_scan.h"

namespace {

// The largest data field a view of a track looks for: size code 6, 8,192 bytes.
constexpr uint8_t kLargestViewedSizeCode = 6;

int32_t TrackIndex(int32_t cylinder, int32_t head) {
    return cylinder * kHeads + head;
}

bool Matches(int32_t wanted, int32_t actual) {
    return wanted == kAnyTrack || wanted == actual;
}

// Puts `cells` into the ring from `cell` on, through the index.
void PutCells(CellTrack* ring, uint32_t cell, const CellTrack& cells) {
    const size_t size = ring->cells.size();
    size_t at = cell % size;
    for (uint8_t value : cells.cells) {
        ring->cells[at] = value;
        if (++at == size) at = 0;
    }
}

// The ID field of the sector with a good CRC, or null.
const IdField* FindId(const TrackScan& scan, const SectorIdField& wanted) {
    for (const IdField& id : scan.idFields)
        if (id.crcOk && id.cylinder == wanted.cylinder && id.head == wanted.head &&
            id.sector == wanted.sector && id.sizeCode == wanted.sizeCode)
            return &id;
    return nullptr;
}

SectorIdField DpxSectorId(int32_t cylinder, int32_t head, uint8_t sector) {
    const uint8_t sizeCode = sector == kSmallSector ? kSmallSizeCode : kLargeSizeCode;
    return SectorIdField{static_cast<uint8_t>(cylinder), static_cast<uint8_t>(head), sector, sizeCode};
}

}  // namespace

VirtualFloppyDriver::VirtualFloppyDriver() : EmulatedFloppyDriver(kFdrawcmdTexts, BlankEmulatedDisk()) {}

// A DPX-1 track as NIMROSE's format and TOLVAN's write leave it on a drive at 300 rpm: the same
// cells the emulated controller lays, put down in one go.
void VirtualFloppyDriver::LayOutDpxTrack(int32_t cylinder, int32_t head, const uint8_t* bytes) {
    CellTrack ring = FormatCells(BuildFormatParameters(head, cylinder), kDpxCellsPerRevolution);
    const std::vector<uint8_t> zeros(kTrackBytes, 0);
    const uint8_t* track = bytes != nullptr ? bytes : zeros.data();
    // The writes run over dummy ID fields only, never over a real one: one look at the track does.
    const TrackScan scan = ScanTrack(ring);
    for (uint8_t sector = 0; sector <= kSmallSector; ++sector) {
        const IdField* id = FindId(scan, DpxSectorId(cylinder, head, sector));
        if (id == nullptr) continue;
        const uint32_t bytesOfSector = SectorBytes(DpxSectorId(cylinder, head, sector).sizeCode);
        PutCells(&ring, id->cell + kWriteStartBytes * kCellsPerByte,
                 DataFieldCells(track + sector * kLargeSectorBytes, bytesOfSector));
    }
    PutMediumRing(&Disk().Track(cylinder, head), ring);
    formats_[static_cast<size_t>(TrackIndex(cylinder, head))] = FormatParameters{};
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
            const SectorTrack read =
                ScanDpxTrack(MediumRing(Disk().Track(cylinder, head), kDpxCellRate), cylinder, head);
            for (size_t sector = 0; sector < read.sectors.size(); ++sector) {
                const ScannedSector& found = read.sectors[sector];
                if (found.state != SectorState::kGood) continue;
                std::memcpy(image.data() + TrackOffset(cylinder, head) + sector * kLargeSectorBytes,
                            found.data.data(), found.data.size());
            }
        }
    }
    return image;
}

// Turns the first data byte of the sector's data field into another, leaving its CRC as it was.
void VirtualFloppyDriver::MarkUnreadable(int32_t cylinder, int32_t head, uint8_t sector) {
    MediumTrack& track = Disk().Track(cylinder, head);
    CellTrack ring = MediumRing(track, kDpxCellRate);
    const TrackScan scan = ScanTrack(ring);
    const IdField* id = FindId(scan, DpxSectorId(cylinder, head, sector));
    if (id == nullptr || id->dataField < 0) return;
    const uint32_t dataCell = scan.dataFields[static_cast<size_t>(id->dataField)].cell + 4 * kCellsPerByte;
    uint8_t byte = 0;
    ReadMfmBytes(ring, dataCell, 1, &byte);
    CellTrack changed;
    CellWriter writer(&changed);
    writer.Byte(static_cast<uint8_t>(byte ^ 0xFF));
    PutCells(&ring, dataCell, changed);
    PutMediumRing(&track, ring);
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
    VirtualTrack& view = views_[static_cast<size_t>(TrackIndex(cylinder, head))];
    view.lastFormat = formats_[static_cast<size_t>(TrackIndex(cylinder, head))];
    view.sectors.clear();
    const CellTrack ring = MediumRing(Disk().Track(cylinder, head), kDpxCellRate);
    const TrackScan scan = ScanTrack(ring);
    for (const IdField& id : scan.idFields) {
        if (!id.crcOk) continue;
        VirtualSector sector{{id.cylinder, id.head, id.sector, id.sizeCode},
                             static_cast<int32_t>(id.cell / kCellsPerByte),
                             0,
                             {}};
        for (uint8_t sizeCode = 0; id.dataField >= 0 && sizeCode <= kLargestViewedSizeCode; ++sizeCode) {
            DataField field;
            const uint32_t cell = scan.dataFields[static_cast<size_t>(id.dataField)].cell;
            if (ReadDataField(ring, cell, SectorBytes(sizeCode), &field) && field.crcOk) {
                sector.fieldBytes = SectorBytes(sizeCode);
                sector.data = field.data;
                break;
            }
        }
        view.sectors.push_back(sector);
    }
    return view;
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
    if (!IsOpenDrive(handle)) {
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
    return EmulatedFloppyDriver::OpenDrive(deviceName, handle);
}

DriverResult VirtualFloppyDriver::SetDataRate(FloppyHandle handle, uint8_t rate) {
    const DriverResult result = EnterOnDrive(VirtualCall::kDataRate, handle, kAnyTrack, kAnyTrack);
    return result.ok ? EmulatedFloppyDriver::SetDataRate(handle, rate) : result;
}

DriverResult VirtualFloppyDriver::ProbeDrive(FloppyHandle handle) {
    const DriverResult result = EnterOnDrive(VirtualCall::kProbe, handle, kAnyTrack, kAnyTrack);
    return result.ok ? EmulatedFloppyDriver::ProbeDrive(handle) : result;
}

DriverResult VirtualFloppyDriver::ResetController(FloppyHandle handle) {
    const DriverResult result = EnterOnDrive(VirtualCall::kReset, handle, kAnyTrack, kAnyTrack);
    return result.ok ? EmulatedFloppyDriver::ResetController(handle) : result;
}

DriverResult VirtualFloppyDriver::Recalibrate(FloppyHandle handle) {
    const DriverResult result = EnterOnDrive(VirtualCall::kRecalibrate, handle, kAnyTrack, kAnyTrack);
    return result.ok ? EmulatedFloppyDriver::Recalibrate(handle) : result;
}

DriverResult VirtualFloppyDriver::Seek(FloppyHandle handle, uint8_t cylinder, uint8_t head) {
    const DriverResult result = EnterOnDrive(VirtualCall::kSeek, handle, cylinder, head);
    return result.ok ? EmulatedFloppyDriver::Seek(handle, cylinder, head) : result;
}

DriverResult VirtualFloppyDriver::ReadData(FloppyHandle handle, const TransferParameters& parameters,
                                           uint8_t* data, uint32_t length) {
    transfers_.push_back(VirtualTransfer{VirtualCall::kRead, parameters, length});
    const DriverResult result =
        EnterOnDrive(VirtualCall::kRead, handle, HeadCylinder(), parameters.physicalHead);
    return result.ok ? EmulatedFloppyDriver::ReadData(handle, parameters, data, length) : result;
}

DriverResult VirtualFloppyDriver::WriteData(FloppyHandle handle, const TransferParameters& parameters,
                                            const uint8_t* data, uint32_t length) {
    transfers_.push_back(VirtualTransfer{VirtualCall::kWrite, parameters, length});
    const DriverResult result =
        EnterOnDrive(VirtualCall::kWrite, handle, HeadCylinder(), parameters.physicalHead);
    return result.ok ? EmulatedFloppyDriver::WriteData(handle, parameters, data, length) : result;
}

DriverResult VirtualFloppyDriver::Format(FloppyHandle handle, const FormatParameters& parameters) {
    const DriverResult result =
        EnterOnDrive(VirtualCall::kFormat, handle, HeadCylinder(), parameters.physicalHead);
    if (!result.ok) return result;
    const DriverResult formatted = EmulatedFloppyDriver::Format(handle, parameters);
    if (formatted.ok && parameters.physicalHead < kHeads)
        formats_[static_cast<size_t>(TrackIndex(HeadCylinder(), parameters.physicalHead))] = parameters;
    return formatted;
}
