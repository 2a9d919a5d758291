// The bit-cell track work on a whole disk: the 160 DPX-1 tracks encoded as cells, and scanned
// back into sectors, once as one-revolution rings and once as streams of two revolutions.
#include <cstdint>
#include <random>
#include <vector>

#include "bench/benchmark_registry.h"
#include "floppy/layout.h"
#include "flux/dpx_track.h"
#include "flux/sector_scan.h"

namespace {

// A disk's worth of seeded random bytes, made once.
const std::vector<uint8_t>& DiskBytes() {
    static const std::vector<uint8_t> bytes = [] {
        std::mt19937 generator(1987);
        std::vector<uint8_t> disk(kDiskBytes);
        for (uint8_t& byte : disk) byte = static_cast<uint8_t>(generator());
        return disk;
    }();
    return bytes;
}

std::vector<CellTrack> EncodeDisk() {
    std::vector<CellTrack> tracks;
    for (int32_t cylinder = 0; cylinder < kCylinders; ++cylinder)
        for (int32_t head = 0; head < kHeads; ++head)
            tracks.push_back(
                EncodeDpxTrack(cylinder, head, DiskBytes().data() + TrackOffset(cylinder, head)));
    return tracks;
}

// Each track encoded in turn into the same cells, as an image writer does.
void EncodeDiskToCells(benchmark::State& state) {
    DiskBytes();
    for (auto _ : state) {
        for (int32_t cylinder = 0; cylinder < kCylinders; ++cylinder) {
            for (int32_t head = 0; head < kHeads; ++head) {
                const CellTrack track =
                    EncodeDpxTrack(cylinder, head, DiskBytes().data() + TrackOffset(cylinder, head));
                benchmark::DoNotOptimize(track.cells.data());
            }
        }
    }
    state.SetBytesProcessed(state.iterations() * kDiskBytes);
}

// Scans every track and fails the benchmark unless all 960 sectors come back good.
void ScanDisk(benchmark::State& state, const std::vector<CellTrack>& tracks) {
    for (auto _ : state) {
        int32_t good = 0;
        for (size_t track = 0; track < tracks.size(); ++track) {
            const SectorTrack sectors = ScanDpxTrack(tracks[track], static_cast<int32_t>(track) / kHeads,
                                                     static_cast<int32_t>(track) % kHeads);
            for (const ScannedSector& sector : sectors.sectors) good += sector.state == SectorState::kGood;
        }
        if (good != kTracks * 6) {
            state.SkipWithError("sectors lost in the scan");
            break;
        }
    }
    state.SetBytesProcessed(state.iterations() * kDiskBytes);
}

void ScanDiskOfRings(benchmark::State& state) {
    ScanDisk(state, EncodeDisk());
}

void ScanDiskOfTwoRevolutions(benchmark::State& state) {
    std::vector<CellTrack> tracks = EncodeDisk();
    for (CellTrack& track : tracks) {
        const std::vector<uint8_t> revolution = track.cells;
        track.cells.insert(track.cells.end(), revolution.begin(), revolution.end());
        track.indexCells = {0, kDpxCellsPerRevolution};
        track.ring = false;
    }
    ScanDisk(state, tracks);
}

}  // namespace

void RegisterCellBenchmarks() {
    benchmark::RegisterBenchmark("EncodeDiskToCells", EncodeDiskToCells)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
    benchmark::RegisterBenchmark("ScanDiskOfRings", ScanDiskOfRings)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
    benchmark::RegisterBenchmark("ScanDiskOfTwoRevolutions", ScanDiskOfTwoRevolutions)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
}
