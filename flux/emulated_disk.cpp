#include "flux/emulated_disk.h"

#include <algorithm>
#include <cmath>

#include "floppy/layout.h"
#include "flux/flux_cells.h"
#include "flux/mfm.h"
#include "flux/sector_scan.h"

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

// The nearest whole unit of a position that is not negative; faster than std::llround.
int64_t Nearest(double position) {
    return static_cast<int64_t>(position + 0.5);
}

bool OnNominalGrid(const MediumTrack& track) {
    for (uint32_t position : track.flux)
        if (position % kMediumUnitsPerCell != kMediumUnitsPerCell / 2) return false;
    return true;
}

// Where a ring of `cells` cells read from the stream may join: the middle of the longest stretch
// of the revolution that no field of the scan covers (sync included), so that the cell or so that
// the join gains or loses falls into a gap.
size_t JoinCell(const TrackScan& scan, size_t cells) {
    std::vector<std::pair<size_t, size_t>> covered;  // [from, to) on the ring, `to` may pass `cells`
    const size_t syncCells = std::min<size_t>(kSyncBytes * kCellsPerByte, cells);
    auto cover = [&](uint32_t mark, size_t bytes) {
        const size_t from = (mark % cells + cells - syncCells) % cells;
        covered.push_back({from, from + syncCells + bytes * kCellsPerByte});
    };
    for (const IdField& id : scan.idFields) cover(id.cell, kIdFieldBytes);
    for (const DataField& data : scan.dataFields) cover(data.cell, kMarkBytes + 1 + data.data.size() + 2);
    if (covered.empty()) return 0;
    // Marks each covered cell once; then the longest run of free cells, round the ring.
    std::vector<uint8_t> busy(cells, 0);
    for (const auto& stretch : covered)
        for (size_t cell = stretch.first; cell < std::min(stretch.second, stretch.first + cells); ++cell)
            busy[cell % cells] = 1;
    size_t bestStart = 0;
    size_t bestLength = 0;
    size_t runStart = 0;
    size_t runLength = 0;
    for (size_t step = 0; step < 2 * cells; ++step) {
        const size_t cell = step % cells;
        if (busy[cell]) {
            runLength = 0;
            continue;
        }
        if (runLength == 0) runStart = cell;
        if (++runLength > bestLength && runLength <= cells) {
            bestLength = runLength;
            bestStart = runStart;
        }
    }
    return (bestStart + bestLength / 2) % cells;
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
            Nearest(from + (static_cast<double>(cell) + 0.5) * unitsPerCell), first, end - 1);
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
    // Two revolutions and a little through the loop, as a flux reader reads them. A revolution seldom holds a
    // whole number of cells, so one revolution of the stream, made a ring, gains or loses a cell
    // where its end meets its start. The revolution is therefore taken from a point in a gap on,
    // where that does no harm, and turned so that it starts at the index; cells of no flux fill
    // it up to whole bytes at the same point, as an HFE track needs.
    const CellTrack read =
        FluxToCells(ReadMediumFlux(track, 0, 2.25 * kRevolution, ticksPerSecond), cellRate, kPllNormal);
    const size_t cells = read.indexCells.size() >= 2 ? read.indexCells[1] : 0;
    if (cells == 0 || read.cells.size() < 2 * cells) {  // no flux in the second revolution
        ring.cells.assign(revolutionCells, 0);
        return ring;
    }
    const size_t join = JoinCell(ScanTrack(read), cells);
    const size_t filler = (8 - cells % 8) % 8;
    const auto stream = read.cells.begin();
    ring.cells.reserve(cells + filler);
    ring.cells.insert(ring.cells.end(), stream + static_cast<std::ptrdiff_t>(cells),
                      stream + static_cast<std::ptrdiff_t>(cells + join));
    ring.cells.insert(ring.cells.end(), filler, 0);
    ring.cells.insert(ring.cells.end(), stream + static_cast<std::ptrdiff_t>(join),
                      stream + static_cast<std::ptrdiff_t>(cells));
    return ring;
}

void PutMediumRing(MediumTrack* track, const CellTrack& ring) {
    track->flux.clear();
    const uint64_t cells = ring.cells.size();
    for (uint64_t cell = 0; cell < cells; ++cell)
        if (ring.cells[cell] != 0)
            track->flux.push_back(static_cast<uint32_t>((2 * cell + 1) * kRevolution / (2 * cells)));
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
