#include "flux/disk_image.h"

#include <algorithm>
#include <cstring>

#include "floppy/layout.h"
#include "flux/dpx_track.h"
#include "flux/flux_cells.h"
#include "flux/hfe.h"
#include "flux/scp.h"
#include "flux/sector_scan.h"

namespace {

// Revolutions of flux given to every track of an SCP image this suite writes, and to a bit-cell
// track that is read once more through the loop: with two, a sector lying across the index is
// read whole from the stream.
constexpr uint32_t kFluxRevolutions = 2;

// Past the end of the first revolution, the flux of this share of it is decoded with it, enough
// for the ID and data fields of a sector that lies across the index: a quarter, 25,000 cells, where
// the longest sector takes some 17,000.
constexpr uint32_t kReadPastIndexDivisor = 4;

// The first revolution of a flux track of several and the stretch past its end, as a track of its
// own whose second revolution is that stretch. False when the track has one revolution or too
// little flux after the first for a stretch that long.
bool FirstRevolutionOf(const FluxTrack& flux, FluxTrack* opening) {
    if (flux.revolutionEnds.size() < 2 || flux.revolutionTicks.empty()) return false;
    const size_t firstEnd = flux.revolutionEnds[0];
    const uint64_t wanted = flux.revolutionTicks[0] / kReadPastIndexDivisor;
    uint64_t past = 0;
    size_t end = firstEnd;
    while (end < flux.intervals.size() && past < wanted) past += flux.intervals[end++];
    if (past < wanted || end >= flux.revolutionEnds[1]) return false;
    opening->ticksPerSecond = flux.ticksPerSecond;
    opening->intervals.assign(flux.intervals.begin(), flux.intervals.begin() + static_cast<ptrdiff_t>(end));
    opening->revolutionEnds = {static_cast<uint32_t>(firstEnd), static_cast<uint32_t>(end)};
    opening->revolutionTicks = {flux.revolutionTicks[0], static_cast<uint32_t>(past)};
    return true;
}

// Offset of a sector within its track in the plain image: five of 1,024 bytes, then the small one.
constexpr int32_t SectorOffset(int32_t sector) {
    return sector * kLargeSectorBytes;
}
constexpr int32_t SectorSize(int32_t sector) {
    return sector == kSmallSector ? kSmallSectorBytes : kLargeSectorBytes;
}

// Where a track's first sector stands in the report of the disk.
size_t FirstSectorOfTrack(int32_t cylinder, int32_t head) {
    return static_cast<size_t>((cylinder * kHeads + head) * kSectorsPerTrack);
}

bool AllGood(const SectorTrack& track) {
    return std::all_of(track.sectors.begin(), track.sectors.end(),
                       [](const ScannedSector& sector) { return sector.state == SectorState::kGood; });
}

// A second reading's sectors in place of the first's where they are good, or where the first
// found nothing at all of the sector.
void TakeBetterSectors(SectorTrack&& retry, SectorTrack* track) {
    for (size_t index = 0; index < track->sectors.size(); ++index) {
        ScannedSector& sector = track->sectors[index];
        ScannedSector& second = retry.sectors[index];
        if (sector.state == SectorState::kGood) continue;
        if (second.state == SectorState::kGood ||
            (sector.state == SectorState::kMissing && second.state != SectorState::kMissing))
            sector = std::move(second);
    }
}

// Places the track's sectors in the image and in the report: good ones with their bytes, the
// others as zeros.
void PlaceTrack(const SectorTrack& track, int32_t cylinder, int32_t head, DiskImage* image) {
    uint8_t* trackBytes = image->bytes.data() + TrackOffset(cylinder, head);
    for (int32_t number = 0; number < kSectorsPerTrack; ++number) {
        const ScannedSector& sector = track.sectors[static_cast<size_t>(number)];
        SectorReport& report =
            image->sectors[FirstSectorOfTrack(cylinder, head) + static_cast<size_t>(number)];
        report.state = sector.state;
        const size_t size = static_cast<size_t>(SectorSize(number));
        if (sector.state == SectorState::kGood && sector.data.size() >= size)
            std::memcpy(trackBytes + SectorOffset(number), sector.data.data(), size);
        else
            report.state = sector.state == SectorState::kGood ? SectorState::kDataCrcError : sector.state;
    }
}

// A blank image with a report of every sector as missing, for the readers to fill in.
void StartImage(DiskImage* image) {
    image->bytes.assign(static_cast<size_t>(kDiskBytes), 0);
    image->sectors.clear();
    for (int32_t cylinder = 0; cylinder < kCylinders; ++cylinder)
        for (int32_t head = 0; head < kHeads; ++head)
            for (int32_t sector = 0; sector < kSectorsPerTrack; ++sector)
                image->sectors.push_back({static_cast<uint8_t>(cylinder), static_cast<uint8_t>(head),
                                          static_cast<uint8_t>(sector), SectorState::kMissing});
    image->geometry = DiskFileGeometry();
}

void Report(const TrackProgress& progress, int32_t done) {
    if (progress) progress(done, kTracks);
}

FileCheck ReadHfeImage(const uint8_t* bytes, size_t size, DiskImage* image, const TrackProgress& progress) {
    HfeDisk disk;
    FileCheck check = ReadHfe(bytes, size, &disk);
    if (!check.ok()) return check;
    image->geometry.cylinders = disk.cylinders;
    image->geometry.sides = disk.sides;
    image->geometry.revolutions = 1;
    image->geometry.bitRate = disk.bitRate;
    image->geometry.rpm = disk.rpm;
    image->geometry.indexAligned = true;
    for (int32_t cylinder = 0; cylinder < kCylinders; ++cylinder) {
        for (int32_t head = 0; head < kHeads; ++head) {
            if (cylinder < disk.cylinders && head < disk.sides)
                PlaceTrack(ReadCellTrack(disk.tracks[static_cast<size_t>(cylinder * disk.sides + head)],
                                         cylinder, head),
                           cylinder, head, image);
            Report(progress, cylinder * kHeads + head + 1);
        }
    }
    return check;
}

FileCheck ReadScpImage(const uint8_t* bytes, size_t size, DiskImage* image, const TrackProgress& progress) {
    ScpDisk disk;
    FileCheck check = ReadScp(bytes, size, &disk);
    if (!check.ok()) return check;
    DiskFileGeometry& geometry = image->geometry;
    geometry.indexAligned = disk.indexAligned;
    bool sides[2] = {false, false};
    for (size_t number = 0; number < disk.tracks.size(); ++number) {
        const FluxTrack& track = disk.tracks[number];
        if (track.revolutionEnds.empty()) continue;
        geometry.cylinders = std::max(geometry.cylinders, static_cast<int32_t>(number / 2 + 1));
        geometry.revolutions =
            std::max(geometry.revolutions, static_cast<int32_t>(track.revolutionEnds.size()));
        sides[number % 2] = true;
    }
    geometry.sides = sides[0] && sides[1] ? 2 : 1;
    for (int32_t cylinder = 0; cylinder < kCylinders; ++cylinder) {
        for (int32_t head = 0; head < kHeads; ++head) {
            const FluxTrack& track = disk.tracks[static_cast<size_t>(cylinder * kHeads + head)];
            if (!track.revolutionEnds.empty())
                PlaceTrack(ReadFluxTrack(track, cylinder, head), cylinder, head, image);
            Report(progress, cylinder * kHeads + head + 1);
        }
    }
    return check;
}

}  // namespace

SectorTrack ReadFluxTrack(const FluxTrack& flux, int32_t cylinder, int32_t head) {
    // Most tracks give all their sectors in the first revolution: the rest of the flux is decoded
    // only for a track that does not.
    FluxTrack opening;
    if (FirstRevolutionOf(flux, &opening)) {
        SectorTrack track = ScanDpxTrack(FluxToCells(opening, kDpxCellRate, kPllNormal), cylinder, head);
        if (AllGood(track)) return track;
    }
    SectorTrack track = ScanDpxTrack(FluxToCells(flux, kDpxCellRate, kPllNormal), cylinder, head);
    if (!AllGood(track))
        TakeBetterSectors(ScanDpxTrack(FluxToCells(flux, kDpxCellRate, kPllSteady), cylinder, head), &track);
    return track;
}

SectorTrack ReadCellTrack(const CellTrack& cells, int32_t cylinder, int32_t head) {
    SectorTrack track = ScanDpxTrack(cells, cylinder, head);
    if (!AllGood(track))
        TakeBetterSectors(ReadFluxTrack(CellsToFlux(cells, kFluxRevolutions), cylinder, head), &track);
    return track;
}

FileCheck ReadDiskImage(DiskFileFormat format, const uint8_t* bytes, size_t size, DiskImage* image,
                        const TrackProgress& progress) {
    FileCheck check = CheckDiskFile(format, bytes, size);
    if (!check.ok()) return check;
    StartImage(image);
    switch (format) {
        case DiskFileFormat::kPlainImage:
            std::memcpy(image->bytes.data(), bytes, image->bytes.size());
            for (SectorReport& sector : image->sectors) sector.state = SectorState::kGood;
            image->geometry.cylinders = kCylinders;
            image->geometry.sides = kHeads;
            Report(progress, kTracks);
            return check;
        case DiskFileFormat::kHfe:
            return ReadHfeImage(bytes, size, image, progress);
        case DiskFileFormat::kScp:
            return ReadScpImage(bytes, size, image, progress);
        case DiskFileFormat::kUnknown:
            break;
    }
    return check;
}

FileCheck WriteDiskImage(DiskFileFormat format, const uint8_t* image, std::vector<uint8_t>* bytes,
                         const TrackProgress& progress) {
    switch (format) {
        case DiskFileFormat::kPlainImage:
            bytes->assign(image, image + kDiskBytes);
            Report(progress, kTracks);
            return FileCheck();
        case DiskFileFormat::kHfe: {
            HfeDisk disk;
            disk.cylinders = static_cast<uint8_t>(kCylinders);
            disk.sides = static_cast<uint8_t>(kHeads);
            // One track at a time, encoded straight into its packed cells.
            HfePackedTrack packed;
            return WriteHfePacked(
                disk,
                [&](int32_t cylinder, int32_t head) -> const HfePackedTrack& {
                    const int32_t track = cylinder * kHeads + head;
                    EncodePackedDpxTrack(cylinder, head, image + track * kTrackBytes, &packed.bits);
                    Report(progress, track + 1);
                    return packed;
                },
                bytes);
        }
        case DiskFileFormat::kScp: {
            ScpDisk disk;
            disk.indexAligned = true;
            for (int32_t track = 0; track < kTracks; ++track) {
                disk.tracks[static_cast<size_t>(track)] =
                    CellsToFlux(EncodeDpxTrack(track / kHeads, track % kHeads, image + track * kTrackBytes),
                                kFluxRevolutions);
                Report(progress, track + 1);
            }
            return WriteScp(disk, bytes);
        }
        case DiskFileFormat::kUnknown:
            break;
    }
    return CheckDiskFile(format, nullptr, 0);
}

int32_t GoodSectors(const DiskImage& image) {
    return static_cast<int32_t>(
        std::count_if(image.sectors.begin(), image.sectors.end(),
                      [](const SectorReport& s) { return s.state == SectorState::kGood; }));
}

int32_t GoodSectorsOfTrack(const DiskImage& image, int32_t cylinder, int32_t head) {
    const size_t first = FirstSectorOfTrack(cylinder, head);
    if (first + kSectorsPerTrack > image.sectors.size()) return 0;
    return static_cast<int32_t>(
        std::count_if(image.sectors.begin() + static_cast<std::ptrdiff_t>(first),
                      image.sectors.begin() + static_cast<std::ptrdiff_t>(first) + kSectorsPerTrack,
                      [](const SectorReport& s) { return s.state == SectorState::kGood; }));
}
