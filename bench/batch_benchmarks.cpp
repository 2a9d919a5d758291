// VELTRA in batch mode, as a user runs it, on a folder of 100 full-size banks. Its console lines
// are captured, so the benchmark report stays readable; the summary line must count every bank.
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>

#include "bench/bench_files.h"
#include "bench/benchmark_registry.h"
#include "convert/veltra.h"
#include "tests/support/console_capture.h"

namespace {

constexpr int32_t kBatchBanks = 100;

// Leaves only the Emulator II images in the folder, so every run converts the same banks to the
// same output names.
void RemoveOutputs(const TempFolder& folder) {
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder.path(), error))
        if (entry.path().extension() != ".EII") std::filesystem::remove(entry.path(), error);
}

void VeltraBatchOf100Banks(benchmark::State& state) {
    const BenchFiles& files = SharedBenchFiles();
    TempFolder folder;
    for (int32_t n = 0; n < kBatchBanks; ++n) {
        char name[16];
        std::snprintf(name, sizeof name, "BANK%03d.EII", static_cast<int>(n));
        WriteWholeFile(folder.File(name), files.bank.image);
    }
    char summary[96];
    std::snprintf(summary, sizeof summary, "VELTRA has succesfully converted %d EII-files into DPX-files",
                  static_cast<int>(kBatchBanks));
    folder.Enter();
    const char* const arguments[] = {"VELTRA", "B"};
    std::chrono::duration<double, std::milli> converting{0.0};
    for (auto _ : state) {
        const auto started = std::chrono::steady_clock::now();
        StartConsoleCapture();
        RunVeltra(2, arguments);
        const std::string console = StopConsoleCapture();
        converting += std::chrono::steady_clock::now() - started;
        state.PauseTiming();
        if (console.find(summary) == std::string::npos) {
            state.SkipWithError("VELTRA did not convert every bank of the batch");
            break;
        }
        RemoveOutputs(folder);
        state.ResumeTiming();
    }
    if (state.iterations() > 0)
        state.counters["ms_per_bank"] =
            converting.count() / (static_cast<double>(state.iterations()) * kBatchBanks);
}

}  // namespace

void RegisterBatchBenchmarks() {
    benchmark::RegisterBenchmark("VeltraBatchOf100Banks", VeltraBatchOf100Banks)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
}
