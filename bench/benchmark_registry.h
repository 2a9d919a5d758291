// The benchmarks of this executable, registered in the order they are run and reported.
#pragma once

#include <benchmark/benchmark.h>

#include "common/status.h"

// Each converter on the full-size bank next to copying its input and output bytes.
void RegisterConversionBenchmarks();
// VELTRA in batch mode on a folder of 100 full-size banks.
void RegisterBatchBenchmarks();
// The parts of the converters' work alone, on the same bank.
void RegisterPartBenchmarks();
// The flux image files of a full disk: SCP read and decoded to cells, HFE written from cells.
void RegisterFluxBenchmarks();
// The DPX-1 disk as bit cells: encoding all tracks, scanning them back.
void RegisterCellBenchmarks();
// A whole disk decoded from SCP and encoded to HFE, beside durable writes of those files.
void RegisterDiskImageBenchmarks();

// Marks the benchmark skipped with the status's message when the status is a failure; true then.
bool SkipOnFailure(benchmark::State& state, const StatusRecord& status);
