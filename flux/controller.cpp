#include "flux/controller.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

#include "floppy/controller_commands.h"
#include "floppy/error_numbers.h"
#include "floppy/layout.h"
#include "flux/dpx_track.h"
#include "flux/flux_cells.h"
#include "flux/mfm.h"
#include "flux/sector_scan.h"

namespace {

constexpr int32_t kEmulatedDrives = 2;
constexpr uint32_t kEmulatedVersion = 0x01000000;

// What a format lays before the first ID field and between ID and data field.
constexpr TrackGaps kFormatGaps = {80, 50, 22, 0, true};
// The byte or so of gap a write lays after the CRC before the write gate drops.
constexpr uint32_t kWriteTailBytes = 1;
// A data field's mark, data and CRC after its three A1 marks.
constexpr uint32_t kDataOverheadBytes = kMarkBytes + 1 + 2;

// The flux a search decodes first: a sixteenth of a revolution (390 bytes) after where the disk
// stands, which holds the next sector in every run of the floppy programs; only when the sector is
// not in it does the search read on to the second index pulse.
constexpr double kFirstLook = kMediumRevolution / 16.0;

// Controller cells a second at each data-rate code: 500, 300, 250 and 1,000 kbit/s.
constexpr uint32_t kCellRates[] = {1000000, 600000, 500000, 2000000};

DriverResult Ended(uint8_t st1, uint8_t st2) {
    return DriverFailure(ControllerStatusError(st1, st2));
}

// The ID field of the transfer's sector number `next`, counted from its first sector.
SectorIdField NthSectorId(const TransferParameters& parameters, uint32_t next) {
    return SectorIdField{parameters.cylinder, parameters.head, static_cast<uint8_t>(parameters.sector + next),
                         parameters.sizeCode};
}

}  // namespace

// The cells the controller's loop made of the flux from `start` on.
struct EmulatedFloppyDriver::Window {
    double start = 0;  // medium units, where cell 0 begins
    CellTrack cells;
    TrackScan scan;
    IdField id;  // the ID field found
};

CellTrack FormatCells(const FormatParameters& parameters, uint32_t cells) {
    TrackGaps gaps = kFormatGaps;
    gaps.gap3 = parameters.gapLength;
    const std::vector<uint8_t> fill(SectorBytes(parameters.sizeCode), parameters.fillByte);
    std::vector<TrackSector> sectors;
    for (int32_t index = 0; index < parameters.sectorCount && index < kFormatIdFieldCount; ++index) {
        const SectorIdField& id = parameters.ids[index];
        TrackSector sector;
        sector.cylinder = id.cylinder;
        sector.head = id.head;
        sector.sector = id.sector;
        sector.sizeCode = id.sizeCode;
        sector.data = fill.data();
        sector.dataBytes = static_cast<uint32_t>(fill.size());
        sectors.push_back(sector);
    }
    return EncodeMfmTrack(gaps, sectors, cells);
}

CellTrack DataFieldCells(const uint8_t* data, uint32_t bytes) {
    CellTrack track;
    CellWriter writer(&track);
    writer.Sync();
    writer.Field(kDataMark, data, bytes);
    writer.Gap(kWriteTailBytes);
    return track;
}

EmulatedFloppyDriver::EmulatedFloppyDriver(const FloppyDriverTexts& texts, const EmulatedDisk& disk,
                                           double rpm)
    : FloppyDriver(texts), disk_(disk), rpm_(rpm) {}

void EmulatedFloppyDriver::PlaceHead(int32_t cylinder) {
    head_ = std::min(std::max(cylinder, 0), kHeadTravel - 1);
}

uint32_t EmulatedFloppyDriver::CellRate() const {
    return kCellRates[rate_ < 4 ? rate_ : kDpxDataRate];
}

uint32_t EmulatedFloppyDriver::UnitsPerSecond() const {
    return static_cast<uint32_t>(std::llround(kMediumUnitsPerSecond * rpm_ / kNominalRpm));
}

double EmulatedFloppyDriver::UnitsPerCell() const {
    return static_cast<double>(UnitsPerSecond()) / CellRate();
}

DriverResult EmulatedFloppyDriver::QueryVersion(uint32_t* version) {
    *version = kEmulatedVersion;
    return DriverSuccess();
}

DriverResult EmulatedFloppyDriver::OpenDrive(const char* deviceName, FloppyHandle* handle) {
    for (int32_t drive = 0; drive < kEmulatedDrives; ++drive) {
        char name[64];
        std::snprintf(name, sizeof name, texts().deviceNameFormat, drive);
        if (std::strcmp(name, deviceName) == 0) {
            open_ = true;
            handle_ = kEmulatedHandleBase + drive;
            handle->value = handle_;
            return DriverSuccess();
        }
    }
    return DriverFailure(kErrorFileNotFound);
}

DriverResult EmulatedFloppyDriver::SetDataRate(FloppyHandle handle, uint8_t rate) {
    if (!IsOpenDrive(handle)) return DriverFailure(kErrorInvalidHandle);
    if (rate > 3) return DriverFailure(kErrorInvalidParameter);
    rate_ = rate;
    return DriverSuccess();
}

DriverResult EmulatedFloppyDriver::ProbeDrive(FloppyHandle handle) {
    return IsOpenDrive(handle) ? DriverSuccess() : DriverFailure(kErrorInvalidHandle);
}

DriverResult EmulatedFloppyDriver::ResetController(FloppyHandle handle) {
    if (!IsOpenDrive(handle)) return DriverFailure(kErrorInvalidHandle);
    counter_ = 0;
    return DriverSuccess();
}

DriverResult EmulatedFloppyDriver::Recalibrate(FloppyHandle handle) {
    if (!IsOpenDrive(handle)) return DriverFailure(kErrorInvalidHandle);
    head_ -= std::min(head_, kRecalibrateSteps);
    counter_ = 0;
    return head_ == 0 ? DriverSuccess() : DriverFailure(kErrorSeek);
}

DriverResult EmulatedFloppyDriver::Seek(FloppyHandle handle, uint8_t cylinder, uint8_t head) {
    if (!IsOpenDrive(handle)) return DriverFailure(kErrorInvalidHandle);
    if (cylinder >= kCylinders || head >= kHeads) return DriverFailure(kErrorSeek);
    PlaceHead(head_ + cylinder - counter_);
    counter_ = cylinder;
    return DriverSuccess();
}

DriverResult EmulatedFloppyDriver::CheckTransfer(FloppyHandle handle, const TransferParameters& parameters,
                                                 uint32_t length) {
    if (!IsOpenDrive(handle)) return DriverFailure(kErrorInvalidHandle);
    const uint32_t sectorBytes = SectorBytes(parameters.sizeCode);
    if (parameters.physicalHead >= kHeads || sectorBytes == 0 || length == 0 || length % sectorBytes != 0)
        return DriverFailure(kErrorInvalidParameter);
    // The transfer runs from the first sector up to, not including, the end-of-track number.
    if (static_cast<uint32_t>(parameters.endOfTrack) != parameters.sector + length / sectorBytes)
        return DriverFailure(kErrorInvalidParameter);
    return DriverSuccess();
}

DriverResult EmulatedFloppyDriver::FindIdField(uint8_t physicalHead, const SectorIdField& wanted,
                                               uint32_t reach, Window* window) {
    const MediumTrack& track = disk_.Track(head_, physicalHead);
    const double unitsPerCell = UnitsPerCell();
    const double reachUnits = reach * kCellsPerByte * unitsPerCell;
    const double toSecondIndex = 2.0 * kMediumRevolution - angle_;
    bool sawId = false;
    bool sawBadCrc = false;
    uint8_t st2 = 0;
    for (const double look : {kFirstLook, toSecondIndex}) {
        // A field found must begin before `limit`, the second index pulse on the full search.
        window->start = angle_;
        window->cells = FluxToCells(ReadMediumFlux(track, angle_, look + reachUnits, UnitsPerSecond()),
                                    CellRate(), kPllNormal);
        window->scan = ScanTrack(window->cells);
        const std::vector<uint32_t>& pulses = window->cells.indexCells;
        const double limit = look == kFirstLook  ? look / unitsPerCell
                             : pulses.size() > 2 ? pulses[2]
                                                 : static_cast<double>(window->cells.cells.size());
        for (const IdField& id : window->scan.idFields) {
            if (id.cell >= limit) break;
            sawId = true;
            const bool same = id.cylinder == wanted.cylinder && id.head == wanted.head &&
                              id.sector == wanted.sector && id.sizeCode == wanted.sizeCode;
            if (same && id.crcOk) {
                window->id = id;
                return DriverSuccess();
            }
            if (same) sawBadCrc = true;
            if (id.crcOk && id.cylinder != wanted.cylinder)
                st2 |= id.cylinder == 0xFF ? kSt2BadCylinder : kSt2WrongCylinder;
        }
        if (look >= toSecondIndex) break;
    }
    if (!sawId) return Ended(kSt1MissingAddressMark, 0);
    return Ended(sawBadCrc ? kSt1DataError : kSt1NoData, st2);
}

DriverResult EmulatedFloppyDriver::ReadData(FloppyHandle handle, const TransferParameters& parameters,
                                            uint8_t* data, uint32_t length) {
    const DriverResult checked = CheckTransfer(handle, parameters, length);
    if (!checked.ok) return checked;
    // This controller reads MFM only: an FM read finds no ID field.
    if ((parameters.flags & kMfm) == 0) return Ended(kSt1MissingAddressMark, 0);
    const uint32_t sectorBytes = SectorBytes(parameters.sizeCode);
    const uint32_t reach =
        kIdFieldBytes + kDataMarkWindowBytes + kSyncBytes + kDataOverheadBytes + sectorBytes;
    for (uint32_t next = 0; next < length / sectorBytes; ++next) {
        const SectorIdField wanted = NthSectorId(parameters, next);
        Window window;
        const DriverResult found = FindIdField(parameters.physicalHead, wanted, reach, &window);
        if (!found.ok) return found;
        if (window.id.dataField < 0) return Ended(kSt1MissingAddressMark, kSt2MissingDataMark);
        DataField field;
        const uint32_t fieldCell = window.scan.dataFields[static_cast<size_t>(window.id.dataField)].cell;
        if (!ReadDataField(window.cells, fieldCell, sectorBytes, &field) || !field.crcOk)
            return Ended(kSt1DataError, kSt2DataErrorInData);
        std::memcpy(data + next * sectorBytes, field.data.data(), sectorBytes);
        const uint32_t endCell = fieldCell + (kDataOverheadBytes + sectorBytes) * kCellsPerByte;
        angle_ = std::fmod(window.start + endCell * UnitsPerCell(), kMediumRevolution);
    }
    return DriverSuccess();
}

DriverResult EmulatedFloppyDriver::WriteData(FloppyHandle handle, const TransferParameters& parameters,
                                             const uint8_t* data, uint32_t length) {
    const DriverResult checked = CheckTransfer(handle, parameters, length);
    if (!checked.ok) return checked;
    if (!disk_.header.writeAllowed) return Ended(kSt1NotWritable, 0);
    if ((parameters.flags & kMfm) == 0) return Ended(kSt1MissingAddressMark, 0);
    const uint32_t sectorBytes = SectorBytes(parameters.sizeCode);
    // Each sector is looked for after the one before it was written, which may have run over it.
    for (uint32_t next = 0; next < length / sectorBytes; ++next) {
        const SectorIdField wanted = NthSectorId(parameters, next);
        Window window;
        const DriverResult found = FindIdField(parameters.physicalHead, wanted, kWriteStartBytes, &window);
        if (!found.ok) return found;
        const CellTrack field = DataFieldCells(data + next * sectorBytes, sectorBytes);
        const double start =
            window.start + (window.id.cell + kWriteStartBytes * kCellsPerByte) * UnitsPerCell();
        WriteMediumCells(&TrackUnderHead(parameters.physicalHead), start, field.cells.data(),
                         field.cells.size(), UnitsPerCell());
        disk_.changed = true;
        angle_ = std::fmod(start + field.cells.size() * UnitsPerCell(), kMediumRevolution);
    }
    return DriverSuccess();
}

DriverResult EmulatedFloppyDriver::Format(FloppyHandle handle, const FormatParameters& parameters) {
    if (!IsOpenDrive(handle)) return DriverFailure(kErrorInvalidHandle);
    if (parameters.physicalHead >= kHeads || (parameters.flags & kMfm) == 0 || parameters.sectorCount == 0 ||
        parameters.sectorCount > kFormatIdFieldCount || SectorBytes(parameters.sizeCode) == 0)
        return DriverFailure(kErrorInvalidParameter);
    if (!disk_.header.writeAllowed) return Ended(kSt1NotWritable, 0);
    // From index pulse to index pulse: the whole track is written anew.
    const double unitsPerCell = UnitsPerCell();
    const uint32_t cells = static_cast<uint32_t>(kMediumRevolution / unitsPerCell);
    const CellTrack laid = FormatCells(parameters, cells);
    MediumTrack& track = TrackUnderHead(parameters.physicalHead);
    track.flux.clear();
    WriteMediumCells(&track, 0, laid.cells.data(), laid.cells.size(), unitsPerCell);
    disk_.changed = true;
    angle_ = 0;
    return DriverSuccess();
}
