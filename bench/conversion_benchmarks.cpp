// Each converter's whole per-file work on the full-size bank, next to the time it takes to read
// its input file and write an output file of its output size: the converters' goal is to stay
// within three times that copy.
#include <string>
#include <vector>

#include "bench/bench_files.h"
#include "bench/benchmark_registry.h"
#include "bench/conversion_steps.h"
#include "common/trace.h"
#include "dpx/layout.h"
#include "eii/bank_model.h"
#include "platform/files.h"

namespace {

// Every run writes a new output file, as a batch run does: the previous one is removed while the
// clock is stopped. Replacing a file instead would time the file system's flush of a file that
// was emptied and written again, which some file systems start when it is closed.
void RemoveOutputUntimed(benchmark::State& state, const std::string& output) {
    state.PauseTiming();
    DeleteNamedFile(output.c_str());
    state.ResumeTiming();
}

void VeltraFullSizeBank(benchmark::State& state) {
    const BenchFiles& files = SharedBenchFiles();
    if (SkipOnFailure(state, files.status)) return;
    const std::string output = files.File("VELTRA-OUT.DPX");
    for (auto _ : state) {
        const StatusRecord status =
            ConvertEIIFileToDPX(kProgramTraceLevel, files.eiiPath.c_str(), output.c_str());
        if (SkipOnFailure(state, status)) break;
        RemoveOutputUntimed(state, output);
    }
}

void MorvexFullSizeBank(benchmark::State& state) {
    const BenchFiles& files = SharedBenchFiles();
    if (SkipOnFailure(state, files.status)) return;
    const std::string temporary = files.File("_MORVEXTMP_.IMG");
    const std::string output = files.File("MORVEX-OUT.EII");
    for (auto _ : state) {
        const StatusRecord status =
            ConvertDPXFileToEII(kProgramTraceLevel, files.dpxPath.c_str(), temporary.c_str(), output.c_str());
        if (SkipOnFailure(state, status)) break;
    }
}

// Reads the input file whole and writes outputSize bytes as a new file, as a plain copy would.
void CopyBytes(benchmark::State& state, const std::string& input, int32_t inputSize,
               const std::string& output, int32_t outputSize) {
    std::vector<uint8_t> buffer(static_cast<size_t>(kDpxImageSize));
    for (auto _ : state) {
        const StatusRecord status =
            CopyFileBytes(input.c_str(), inputSize, output.c_str(), outputSize, buffer.data());
        if (SkipOnFailure(state, status)) break;
        RemoveOutputUntimed(state, output);
    }
}

// VELTRA's bytes: an Emulator II image in, a DPX image out.
void CopyBytesOfVeltra(benchmark::State& state) {
    const BenchFiles& files = SharedBenchFiles();
    if (SkipOnFailure(state, files.status)) return;
    CopyBytes(state, files.eiiPath, kEmuImageSize, files.File("COPY-OUT.DPX"), kDpxImageSize);
}

// MORVEX's bytes: a DPX image in, an Emulator II image out.
void CopyBytesOfMorvex(benchmark::State& state) {
    const BenchFiles& files = SharedBenchFiles();
    if (SkipOnFailure(state, files.status)) return;
    CopyBytes(state, files.dpxPath, kDpxImageSize, files.File("COPY-OUT.EII"), kEmuImageSize);
}

}  // namespace

void RegisterConversionBenchmarks() {
    benchmark::RegisterBenchmark("VeltraFullSizeBank", VeltraFullSizeBank)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
    benchmark::RegisterBenchmark("CopyBytesOfVeltra", CopyBytesOfVeltra)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
    benchmark::RegisterBenchmark("MorvexFullSizeBank", MorvexFullSizeBank)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
    benchmark::RegisterBenchmark("CopyBytesOfMorvex", CopyBytesOfMorvex)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
}
