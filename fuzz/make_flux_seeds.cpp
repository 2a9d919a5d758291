// Writes the seed corpus of the flux image fuzz target: small HFE and SCP files made by the
// suite's own writers from random MFM cells, so that the fuzzer starts from files every reader
// check passes.
//   make_flux_fuzz_seeds <folder>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "flux/flux_cells.h"
#include "flux/hfe.h"
#include "flux/scp.h"
#include "tests/flux/flux_test_support.h"
#include "tests/support/temp_folder.h"

namespace {

namespace fs = std::filesystem;

// Tracks far shorter than a real revolution keep the seeds within the fuzzer's input length.
constexpr uint32_t kSeedCells = 2048;

bool WriteHfeSeed(const fs::path& folder, const char* name, uint8_t cylinders, uint8_t sides) {
    HfeDisk disk;
    disk.cylinders = cylinders;
    disk.sides = sides;
    for (uint32_t track = 0; track < static_cast<uint32_t>(cylinders) * sides; ++track)
        disk.tracks.push_back(RandomMfmCells(track, kSeedCells));
    std::vector<uint8_t> bytes;
    if (!WriteHfe(disk, &bytes).ok()) return false;
    WriteWholeFile((folder / name).string(), bytes);
    return true;
}

bool WriteScpSeed(const fs::path& folder, const char* name, const std::vector<uint32_t>& numbers,
                  uint32_t revolutions) {
    ScpDisk disk;
    for (uint32_t number : numbers)
        disk.tracks[number] = CellsToFlux(RandomMfmCells(number, kSeedCells), revolutions);
    std::vector<uint8_t> bytes;
    if (!WriteScp(disk, &bytes).ok()) return false;
    WriteWholeFile((folder / name).string(), bytes);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_flux_fuzz_seeds <folder>\n");
        return 2;
    }
    const fs::path folder = argv[1];
    fs::remove_all(folder);
    fs::create_directories(folder);
    // A track of long intervals, written with overflow entries.
    ScpDisk slow;
    slow.tracks[3].intervals = {70000, 65536, 160, 240, 320, 131072};
    slow.tracks[3].revolutionEnds = {3, 6};
    slow.tracks[3].revolutionTicks = {135700, 131700};
    std::vector<uint8_t> slowBytes;
    const bool written =
        WriteHfeSeed(folder, "two-cylinders.hfe", 2, 2) && WriteHfeSeed(folder, "one-side.hfe", 3, 1) &&
        WriteScpSeed(folder, "two-tracks.scp", {0, 1}, 2) &&
        WriteScpSeed(folder, "three-revolutions.scp", {5}, 3) && WriteScp(slow, &slowBytes).ok();
    if (!written) {
        std::fprintf(stderr, "make_flux_fuzz_seeds: a writer refused its seed disk\n");
        return 1;
    }
    WriteWholeFile((folder / "long-intervals.scp").string(), slowBytes);
    std::fprintf(stderr, "make_flux_fuzz_seeds: 5 seeds in %s\n", folder.string().c_str());
    return 0;
}
