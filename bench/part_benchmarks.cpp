// The parts of the converters' work on the full-size bank, timed alone so that their costs can be
// told apart: reading and checking the bank, making MORVEX's temporary image, each translation
// from a bank already read (the translations still read their source files themselves), and the
// companding coder over a whole sample area.
#include <string>
#include <vector>

#include "bench/bench_files.h"
#include "bench/benchmark_registry.h"
#include "bench/conversion_steps.h"
#include "common/trace.h"
#include "dpx/companding.h"
#include "dpx/layout.h"
#include "dpx/temporary_image.h"
#include "dpx/to_dpx.h"
#include "dpx/to_eii.h"
#include "eii/bank_model.h"
#include "platform/files.h"

namespace {

// ValidateImage, GetBankDetails and ValidateBank on the Emulator II image, and the records released.
void ReadCheckedBankAlone(benchmark::State& state) {
    const BenchFiles& files = SharedBenchFiles();
    for (auto _ : state) {
        ImageOverview overview{};
        BankInProgress progress{nullptr, nullptr};
        const StatusRecord status =
            ReadCheckedBank(kProgramTraceLevel, files.eiiPath.c_str(), 1, &overview, &progress);
        if (SkipOnFailure(state, status)) break;
        ReleaseBankInProgress(kProgramTraceLevel, &progress);
    }
}

// MORVEX's first step: the data space of the DPX image written as the temporary image.
void CreateTemporaryImageAlone(benchmark::State& state) {
    const BenchFiles& files = SharedBenchFiles();
    if (SkipOnFailure(state, files.status)) return;
    const std::string temporary = files.File("_ALONETMP_.IMG");
    for (auto _ : state) {
        const StatusRecord status =
            CreateTemporaryImage(kProgramTraceLevel, files.dpxPath.c_str(), temporary.c_str());
        if (SkipOnFailure(state, status)) break;
        // MORVEX deletes it after every file; so does this run, to write a new one each time.
        DeleteNamedFile(temporary.c_str());
    }
}

void TranslateEIIToDPXAlone(benchmark::State& state) {
    const BenchFiles& files = SharedBenchFiles();
    ImageOverview overview{};
    BankInProgress progress{nullptr, nullptr};
    if (SkipOnFailure(state,
                      ReadCheckedBank(kProgramTraceLevel, files.eiiPath.c_str(), 1, &overview, &progress)))
        return;
    std::vector<uint8_t> image(static_cast<size_t>(kDpxImageSize));
    for (auto _ : state) {
        const StatusRecord status =
            TranslateEIIToDPX(kProgramTraceLevel, overview, progress.bank, image.data());
        benchmark::DoNotOptimize(image.data());
        if (SkipOnFailure(state, status)) break;
    }
    ReleaseBankInProgress(kProgramTraceLevel, &progress);
}

void TranslateDPXToEIIAlone(benchmark::State& state) {
    const BenchFiles& files = SharedBenchFiles();
    if (SkipOnFailure(state, files.status)) return;
    const std::string temporary = files.File("_ALONETMP_.IMG");
    ImageOverview overview{};
    BankInProgress progress{nullptr, nullptr};
    uint8_t fileSystemBlock[kDpxFileSystemSize];
    StatusRecord status =
        CreateTemporaryImage(kProgramTraceLevel, files.dpxPath.c_str(), temporary.c_str(), fileSystemBlock);
    if (status.code == 0)
        status = ReadCheckedBank(kProgramTraceLevel, temporary.c_str(), 0, &overview, &progress);
    if (!SkipOnFailure(state, status)) {
        std::vector<uint8_t> image(static_cast<size_t>(kEmuImageSize));
        for (auto _ : state) {
            status = TranslateDPXToEII(kProgramTraceLevel, files.dpxPath.c_str(), overview, progress.bank,
                                       image.data(), fileSystemBlock);
            benchmark::DoNotOptimize(image.data());
            if (SkipOnFailure(state, status)) break;
        }
        ReleaseBankInProgress(kProgramTraceLevel, &progress);
    }
    DeleteNamedFile(temporary.c_str());
}

// One mark per byte of the sample area: 1 where a sample starts and the running value restarts.
std::vector<uint8_t> SampleStartMarks(const FullSizeBank& bank) {
    std::vector<uint8_t> marks(static_cast<size_t>(bank.sampleAreaEnd - bank.sampleAreaStart), 0);
    for (int32_t start : bank.sampleStarts) marks[static_cast<size_t>(start - bank.sampleAreaStart)] = 1;
    return marks;
}

// The 16-bit values the bank's sample bytes decode to, one per mark: what MORVEX codes again.
void DecodeSampleArea(const FullSizeBank& bank, const std::vector<uint8_t>& marks, int32_t* values) {
    int32_t running = 0;
    for (size_t i = 0; i < marks.size(); ++i) {
        if (marks[i] != 0) running = 0;
        running = DecodeCompandedSample(kProgramTraceLevel, running,
                                        bank.image[static_cast<size_t>(bank.sampleAreaStart) + i]);
        values[i] = running;
    }
}

using Encoder = int32_t (*)(int8_t trace, int32_t prev, int32_t wantedChange, EncodedSample* output);

// An encoder over every point of a full-size bank, each sample from a running value of 0.
void EncodeFullSampleArea(benchmark::State& state, Encoder encode) {
    const FullSizeBank& bank = SharedBenchFiles().bank;
    InitCompandingTable();
    const std::vector<uint8_t> marks = SampleStartMarks(bank);
    std::vector<int32_t> targets(marks.size());
    DecodeSampleArea(bank, marks, targets.data());
    std::vector<uint8_t> codes(targets.size());
    for (auto _ : state) {
        int32_t running = 0;
        for (size_t i = 0; i < targets.size(); ++i) {
            if (marks[i] != 0) running = 0;
            EncodedSample encoded{};
            codes[i] =
                static_cast<uint8_t>(encode(kProgramTraceLevel, running, targets[i] - running, &encoded));
            running += encoded.step;
        }
        benchmark::DoNotOptimize(codes.data());
        benchmark::ClobberMemory();
    }
}

// The encoder the converters use, and the reference scan of all 256 codes it is checked against.
void EncodeFullSampleAreaByTable(benchmark::State& state) {
    EncodeFullSampleArea(state, EncodeCompandedSample);
}
void EncodeFullSampleAreaByScan(benchmark::State& state) {
    EncodeFullSampleArea(state, EncodeCompandedSampleByScan);
}

// The decoder over every sample byte of a full-size bank; VELTRA decodes each byte twice (the
// peak pass and the re-coding pass).
void DecodeFullSampleArea(benchmark::State& state) {
    const FullSizeBank& bank = SharedBenchFiles().bank;
    InitCompandingTable();
    const std::vector<uint8_t> marks = SampleStartMarks(bank);
    std::vector<int32_t> values(marks.size());
    for (auto _ : state) {
        DecodeSampleArea(bank, marks, values.data());
        benchmark::DoNotOptimize(values.data());
        benchmark::ClobberMemory();
    }
}

}  // namespace

void RegisterPartBenchmarks() {
    benchmark::RegisterBenchmark("ReadCheckedBankAlone", ReadCheckedBankAlone)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
    benchmark::RegisterBenchmark("CreateTemporaryImageAlone", CreateTemporaryImageAlone)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
    benchmark::RegisterBenchmark("TranslateEIIToDPXAlone", TranslateEIIToDPXAlone)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
    benchmark::RegisterBenchmark("TranslateDPXToEIIAlone", TranslateDPXToEIIAlone)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
    benchmark::RegisterBenchmark("EncodeFullSampleArea", EncodeFullSampleAreaByTable)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
    benchmark::RegisterBenchmark("EncodeFullSampleAreaByScan", EncodeFullSampleAreaByScan)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
    benchmark::RegisterBenchmark("DecodeFullSampleArea", DecodeFullSampleArea)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
}
