// A whole disk through dpxtool convert's chain, beside a durable write of the same file: decoding
// an SCP of two revolutions per track, as a drive 3 % slow with ±10 % jitter on every interval
// gives it, to the plain image; encoding the plain image to HFE.
#include <string>
#include <vector>

#include "bench/benchmark_registry.h"
#include "common/safe_output.h"
#include "floppy/layout.h"
#include "flux/disk_image.h"
#include "flux/scp.h"
#include "tests/flux/flux_test_support.h"
#include "tests/support/temp_folder.h"

namespace {

// The SCP file of the random disk as read by a drive, and the HFE file of it.
struct DiskFiles {
    std::vector<uint8_t> image = RandomDiskImage(0);
    std::vector<uint8_t> scp;
    std::vector<uint8_t> hfe;
    bool ok = false;

    DiskFiles() {
        std::vector<uint8_t> written;
        ScpDisk disk;
        if (!WriteDiskImage(DiskFileFormat::kScp, image.data(), &written).ok() ||
            !ReadScp(written.data(), written.size(), &disk).ok())
            return;
        for (uint32_t number = 0; number < kTracks; ++number)
            disk.tracks[number] = ReadLikeADrive(disk.tracks[number], 0.97, 0.10, number);
        ok = WriteScp(disk, &scp).ok() && WriteDiskImage(DiskFileFormat::kHfe, image.data(), &hfe).ok();
    }
};

const DiskFiles& SharedDiskFiles() {
    static const DiskFiles files;
    return files;
}

void DecodeDiskFromScp(benchmark::State& state) {
    const DiskFiles& files = SharedDiskFiles();
    if (!files.ok) return state.SkipWithError("the disk files were not made");
    for (auto _ : state) {
        DiskImage image;
        if (!ReadDiskImage(DiskFileFormat::kScp, files.scp.data(), files.scp.size(), &image).ok() ||
            GoodSectors(image) != 960)
            return state.SkipWithError("the SCP image lost sectors");
        benchmark::DoNotOptimize(image.bytes.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * files.scp.size()));
}

void EncodeDiskToHfe(benchmark::State& state) {
    const DiskFiles& files = SharedDiskFiles();
    std::vector<uint8_t> bytes;
    for (auto _ : state) {
        if (!WriteDiskImage(DiskFileFormat::kHfe, files.image.data(), &bytes).ok())
            return state.SkipWithError("the HFE image was not written");
        benchmark::DoNotOptimize(bytes.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes.size()));
}

// A file written and passed on to the disk, as `dd ... conv=fsync` or the safe output does.
void DurableWrite(benchmark::State& state, const std::vector<uint8_t>& bytes) {
    TempFolder folder;
    const std::string path = folder.File("COPY");
    for (auto _ : state)
        if (!WriteFileSafely(path.c_str(), bytes.data(), static_cast<uint32_t>(bytes.size()),
                             ExistingName::kReplace)
                 .ok)
            return state.SkipWithError("the file was not written");
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes.size()));
}

void DurableWriteOfScp(benchmark::State& state) {
    DurableWrite(state, SharedDiskFiles().scp);
}

void DurableWriteOfHfe(benchmark::State& state) {
    DurableWrite(state, SharedDiskFiles().hfe);
}

}  // namespace

void RegisterDiskImageBenchmarks() {
    benchmark::RegisterBenchmark("DecodeDiskFromScp", DecodeDiskFromScp)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("DurableWriteOfScp", DurableWriteOfScp)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("EncodeDiskToHfe", EncodeDiskToHfe)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("DurableWriteOfHfe", DurableWriteOfHfe)->Unit(benchmark::kMillisecond);
}
