#include "flux/emulated_disk.h"

#include <algorithm>
#include <cmath>

#include "floppy/layout.h"
#include "flux/flux_cells.h"

namespace {

constexpr int64_t kRevolution = kMediumRevolution;

// The position on the ring of an unrolled position.
uint32_t OnRing(int64_t position) {
    return static_cast<uint32_t>(((position % kRevolution) + kRevolution) % kRevolution);
}

// Unrolled positions, ascending and within one revolution, as positions on the ring, ascending:
// the part past a multiple of the revolution comes first.
void AppendRing(std::vector<uint32_t>* out, const std::vector<int64_t>& unrolled) {
    size_t split = 0;
    while (split < unrolled.size() && (split == 0 || OnRing(unrolled[split]) >= OnRing(unrolled[split - 1])))
        ++split;
    for (size_t at = split; at < unrolled.size(); ++at) out->push_back(OnRing(unrolled[at]));
    for (size_t at = 0; at < split; ++at) out->push_back(OnRing(unrolled[at]));
}

bool OnNominalGrid(const MediumTrack& track) {
    for (uint32_t position : track.flux)
        if (position % kMediumUnitsPerCell != kMediumUnitsPerCell / 2) return false;
    return true;
}

}  // namespace

void WriteMediumCells(MediumTrack* track, double start, const uint8_t* cells, size_t count,
                      double unitsPerCell) {
    const double from = std::fmod(std::fmod(start, kRevolution) + kRevolution, kRevolution);
    const int64_t first = std::llround(from);
    const int64_t end =
        std::max<int64_t>(first, std::llround(from + static_cast<double>(count) * unitsPerCell));
    // The new transitions, unrolled from `first` on; a write of more than a revolution keeps only
    // what its last revolution laid down.
    std::vector<int64_t> fresh;
    const int64_t keptFrom = std::max<int64_t>(first, end - kRevolution);
    for (size_t cell = 0; cell < count; ++cell) {
        if (cells[cell] == 0) continue;
        const int64_t position = std::clamp<int64_t>(
            std::llround(from + (static_cast<double>(cell) + 0.5) * unitsPerCell), first, end - 1);
        if (position >= keptFrom) fresh.push_back(position);
    }
    std::vector<uint32_t>& flux = track->flux;
    std::vector<uint32_t> result;
    result.reserve(flux.size() + fresh.size());
    if (end - first >= kRevolution) {
        AppendRing(&result, fresh);
    } else if (end <= kRevolution) {
        const auto erased = std::lower_bound(flux.begin(), flux.end(), static_cast<uint32_t>(first));
        const auto kept = std::lower_bound(erased, flux.end(), static_cast<uint32_t>(end));
        result.insert(result.end(), flux.begin(), erased);
        for (int64_t position : fresh) result.push_back(static_cast<uint32_t>(position));
        result.insert(result.end(), kept, flux.end());
    } else {
        // Through the index: the ring keeps only the stretch between the write's end and its start.
        const uint32_t wrappedEnd = OnRing(end);
        const auto kept = std::lower_bound(flux.begin(), flux.end(), wrappedEnd);
        const auto erased = std::lower_bound(kept, flux.end(), static_cast<uint32_t>(first));
        std::vector<uint32_t> written;
        AppendRing(&written, fresh);
        const auto split = std::find_if(written.begin(), written.end(),
                                        [&](uint32_t position) { return position >= wrappedEnd; });
        result.insert(result.end(), written.begin(), split);
        result.insert(result.end(), kept, erased);
        result.insert(result.end(), split, written.end());
    }
    flux.swap(result);
}

FluxTrack ReadMediumFlux(const MediumTrack& track, double start, double length, uint32_t ticksPerSecond) {
    FluxTrack flux;
    flux.ticksPerSecond = ticksPerSecond;
    const double from = std::fmod(std::fmod(start, kRevolution) + kRevolution, kRevolution);
    const int64_t first = std::llround(from) % kRevolution;
    const int64_t end = first + std::max<int64_t>(0, std::llround(length));
    int64_t revolutionStart = first;
    int64_t nextIndex = kRevolution;
    int64_t last = first;
    // Every index pulse before `position` ends a revolution after the intervals so far.
    auto passIndexes = [&](int64_t position) {
        while (nextIndex <= position && nextIndex < end) {
            flux.revolutionEnds.push_back(static_cast<uint32_t>(flux.intervals.size()));
            flux.revolutionTicks.push_back(static_cast<uint32_t>(nextIndex - revolutionStart));
            revolutionStart = nextIndex;
            nextIndex += kRevolution;
        }
    };
    const std::vector<uint32_t>& ring = track.flux;
    if (!ring.empty()) {
        size_t at = static_cast<size_t>(
            std::lower_bound(ring.begin(), ring.end(), static_cast<uint32_t>(first)) - ring.begin());
        int64_t base = 0;
        for (;;) {
            if (at == ring.size()) {
                at = 0;
                base += kRevolution;
            }
            const int64_t position = base + ring[at];
            if (position >= end) break;
            passIndexes(position);
            flux.intervals.push_back(static_cast<uint32_t>(position - last));
            last = position;
            ++at;
        }
    }
    passIndexes(end);
    flux.revolutionEnds.push_back(static_cast<uint32_t>(flux.intervals.size()));
    flux.revolutionTicks.push_back(static_cast<uint32_t>(end - revolutionStart));
    return flux;
}

CellTrack MediumRing(const MediumTrack& track, uint32_t cellRate) {
    CellTrack ring;
    ring.cellRate = cellRate;
    ring.ring = true;
    ring.indexCells = {0};
    const uint32_t ticksPerSecond = kMediumUnitsPerSecond;
    if (cellRate == kDpxCellRate && OnNominalGrid(track)) {
        ring.cells.assign(kDpxCellsPerRevolution, 0);
        for (uint32_t position : track.flux) ring.cells[position / kMediumUnitsPerCell] = 1;
        return ring;
    }
    const uint32_t revolutionCells =
        static_cast<uint32_t>(static_cast<uint64_t>(kDpxCellsPerRevolution) * cellRate / kDpxCellRate);
    if (track.flux.empty()) {
        ring.cells.assign(revolutionCells, 0);
        return ring;
    }
    // Two revolutions through the loop, as a flux reader reads them; the first is the ring.
    const CellTrack read =
        FluxToCells(ReadMediumFlux(track, 0, 2.0 * kRevolution, ticksPerSecond), cellRate, kPllNormal);
    const size_t cells = read.indexCells.size() >= 2 ? read.indexCells[1] : read.cells.size();
    ring.cells.assign(read.cells.begin(), read.cells.begin() + static_cast<std::ptrdiff_t>(cells));
    if (ring.cells.empty()) ring.cells.assign(revolutionCells, 0);
    return ring;
}

void PutMediumRing(MediumTrack* track, const CellTrack& ring) {
    track->flux.clear();
    if (ring.cells.empty()) return;
    const double unitsPerCell = static_cast<double>(kRevolution) / static_cast<double>(ring.cells.size());
    for (size_t cell = 0; cell < ring.cells.size(); ++cell)
        if (ring.cells[cell] != 0)
            track->flux.push_back(static_cast<uint32_t>(std::min<int64_t>(
                std::llround((static_cast<double>(cell) + 0.5) * unitsPerCell), kRevolution - 1)));
}

EmulatedDisk BlankEmulatedDisk() {
    EmulatedDisk disk;
    disk.header.cylinders = static_cast<uint8_t>(kCylinders);
    disk.header.sides = static_cast<uint8_t>(kHeads);
    return disk;
}

FileCheck LoadEmulatedDisk(const uint8_t* bytes, size_t size, EmulatedDisk* disk) {
    HfeDisk file;
    FileCheck check = ReadHfe(bytes, size, &file);
    if (!check.ok()) return check;
    EmulatedDisk loaded = BlankEmulatedDisk();
    loaded.tracks.resize(static_cast<size_t>(std::max<int32_t>(kEmulatedCylinders, file.cylinders)) *
                         kEmulatedHeads);
    for (int32_t cylinder = 0; cylinder < file.cylinders; ++cylinder)
        for (int32_t side = 0; side < file.sides; ++side)
            PutMediumRing(&loaded.Track(cylinder, side),
                          file.tracks[static_cast<size_t>(cylinder * file.sides + side)]);
    file.tracks.clear();
    loaded.header = file;
    *disk = std::move(loaded);
    return check;
}

FileCheck SaveEmulatedDisk(const EmulatedDisk& disk, std::vector<uint8_t>* bytes) {
    HfeDisk file = disk.header;
    file.tracks.clear();
    int32_t cylinders = std::max<int32_t>(kCylinders, file.cylinders);
    int32_t sides = file.sides;
    const int32_t held = static_cast<int32_t>(disk.tracks.size()) / kEmulatedHeads;
    for (int32_t cylinder = 0; cylinder < held; ++cylinder) {
        for (int32_t head = 0; head < kEmulatedHeads; ++head) {
            if (disk.Track(cylinder, head).flux.empty()) continue;
            cylinders = std::max(cylinders, cylinder + 1);
            sides = std::max(sides, head + 1);
        }
    }
    if (cylinders > 255) return FileError("%d cylinders do not fit an HFE image", cylinders);
    file.cylinders = static_cast<uint8_t>(cylinders);
    file.sides = static_cast<uint8_t>(sides);
    const uint32_t cellRate = file.bitRate * 2000u;
    static const MediumTrack kNoFlux;
    for (int32_t cylinder = 0; cylinder < cylinders; ++cylinder)
        for (int32_t side = 0; side < sides; ++side)
            file.tracks.push_back(
                MediumRing(cylinder < held ? disk.Track(cylinder, side) : kNoFlux, cellRate));
    return WriteHfe(file, bytes);
}
