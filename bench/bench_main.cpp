// Google Benchmark timings of the converters on a full-size bank. Not run by CTest.
//
//   suite_benchmarks [--benchmark_filter=<regex>] [--benchmark_repetitions=<n>] ...
#include <benchmark/benchmark.h>

#include <cstdio>

#include "bench/benchmark_registry.h"

bool SkipOnFailure(benchmark::State& state, const StatusRecord& status) {
    if (status.code == 0) return false;
    char text[kStatusMessageSize + 32];
    std::snprintf(text, sizeof text, "%s (%d)", status.message, static_cast<int>(status.code));
    state.SkipWithError(text);
    return true;
}

int main(int argc, char** argv) {
    // Standard input is the null device, so the converters' key waits return at once.
#ifdef _WIN32
    std::FILE* input = std::freopen("NUL", "r", stdin);
#else
    std::FILE* input = std::freopen("/dev/null", "r", stdin);
#endif
    (void)input;
    // The batch runs right after the single conversions: the parts' large buffers, freed, change how
    // the C library hands out memory later in the process, and so the converters' times.
    RegisterConversionBenchmarks();
    RegisterBatchBenchmarks();
    RegisterPartBenchmarks();
    RegisterFluxBenchmarks();
    RegisterCellBenchmarks();
    RegisterDiskImageBenchmarks();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
