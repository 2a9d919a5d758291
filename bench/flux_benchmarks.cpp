// The flux image files on a full disk: an SCP of 160 tracks of two revolutions, read as a drive
// 3 % slow with ±10 % jitter on every interval gives it, read and decoded to cells; and 160 cell
// tracks packed into an HFE image.
#include <string>
#include <vector>

#include "bench/benchmark_registry.h"
#include "flux/flux_cells.h"
#include "flux/hfe.h"
#include "flux/scp.h"
#include "tests/flux/flux_test_support.h"

namespace {

constexpr uint32_t kTracks = 160;

void DecodeFullDiskScp(benchmark::State& state) {
    ScpDisk disk;
    for (uint32_t number = 0; number < kTracks; ++number)
        disk.tracks[number] = ReadLikeADrive(CellsToFlux(RandomMfmCells(number, kDpxCellsPerRevolution), 2),
                                             0.97, 0.10, number);
    std::vector<uint8_t> bytes;
    if (!WriteScp(disk, &bytes).ok()) return state.SkipWithError("the SCP image was not written");
    uint64_t cells = 0;
    for (auto _ : state) {
        ScpDisk read;
        if (!ReadScp(bytes.data(), bytes.size(), &read).ok())
            return state.SkipWithError("the SCP image was refused");
        for (uint32_t number = 0; number < kTracks; ++number)
            cells += FluxToCells(read.tracks[number], kDpxCellRate, kPllNormal).cells.size();
    }
    benchmark::DoNotOptimize(cells);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes.size()));
}

void EncodeFullDiskHfe(benchmark::State& state) {
    HfeDisk disk;
    for (uint32_t number = 0; number < kTracks; ++number)
        disk.tracks.push_back(RandomMfmCells(number, kDpxCellsPerRevolution));
    std::vector<uint8_t> bytes;
    for (auto _ : state) {
        if (!WriteHfe(disk, &bytes).ok()) return state.SkipWithError("the HFE image was not written");
        benchmark::DoNotOptimize(bytes.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes.size()));
}

}  // namespace

void RegisterFluxBenchmarks() {
    benchmark::RegisterBenchmark("DecodeFullDiskScp", DecodeFullDiskScp)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("EncodeFullDiskHfe", EncodeFullDiskHfe)->Unit(benchmark::kMillisecond);
}
