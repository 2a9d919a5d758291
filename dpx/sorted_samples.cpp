#include "dpx/sorted_samples.h"

#include <cstring>

#include "common/trace.h"

namespace {

// The selection's pick for the entry after one starting at `previousStart`, or none.
const SampleOverview* NextByStart(const SampleOverview* samples, uint32_t previousStart) {
    const SampleOverview* chosen = nullptr;
    uint32_t best = kSortedSampleStartBound;
    for (const SampleOverview* sample = samples; sample != nullptr; sample = sample->next) {
        uint32_t start = static_cast<uint32_t>(sample->SampleStart);
        if (start > previousStart && start < best) {
            best = start;
            chosen = sample;
        }
    }
    return chosen;
}

int32_t Parity(int64_t value) {
    return static_cast<int32_t>(value % 2);
}

}  // namespace

void BuildSortedSampleList(int32_t numberOfSamples, const SampleOverview* samples, SortedSampleList* list) {
    std::memset(list, 0, sizeof *list);
    list->Count =
        numberOfSamples < 0 ? 0 : (numberOfSamples > kMaxSortedSamples ? kMaxSortedSamples : numberOfSamples);

    uint32_t previousStart = 0;
    for (int32_t index = 0; index < list->Count; ++index) {
        const SampleOverview* sample = NextByStart(samples, previousStart);
        if (sample == nullptr) break;
        SortedSample& entry = list->Entries[index];
        entry.SampleNumber = sample->SampleNumber;
        entry.Start = sample->SampleStart;
        entry.End = sample->SampleEnd;
        entry.Parity = Parity(static_cast<int64_t>(entry.End) - entry.Start);
        previousStart = static_cast<uint32_t>(entry.Start);
        list->Filled = index + 1;
    }

    // Diagnostic columns: the running sum of the gaps before each entry, and the parity of the
    // byte count before it.
    int64_t gapSum = 0;
    int64_t sizeSum = 0;
    for (int32_t index = 0; index + 1 < list->Count; ++index) {
        const SortedSample& entry = list->Entries[index];
        SortedSample& following = list->Entries[index + 1];
        gapSum += static_cast<int64_t>(following.Start) - entry.End;
        following.GapSum = static_cast<int32_t>(gapSum);
        following.Parity = Parity(sizeSum + entry.End - entry.Start);
        sizeSum += static_cast<int64_t>(entry.End) - entry.Start;
    }
}

int32_t FindSortedSample(const SortedSampleList& list, int32_t sampleNumber) {
    for (int32_t index = 0; index < list.Filled; ++index)
        if (list.Entries[index].SampleNumber == sampleNumber) return index;
    return -1;
}

void TraceSortedSampleList(int8_t trace, int8_t threshold, const SortedSampleList& list) {
    TraceLine(trace, threshold, "--Sorted sample list (%d samples)--\n", list.Count);
    for (int32_t index = 0; index < list.Count && trace >= threshold; ++index) {
        const SortedSample& entry = list.Entries[index];
        TraceLine(trace, threshold, "%d %d %d %d %d \n", entry.SampleNumber, entry.Start, entry.End,
                  entry.GapSum, entry.Parity);
    }
    TraceWait(trace, threshold);
}

bool SampleAreaIsConsistent(const Bank& bank) {
    const int32_t start = bank.StartSampleAddress;
    const int32_t end = bank.EndSampleAddress;
    if (start < 0 || end < start || end > kEmuImageSize || bank.TotalSampleSize != end - start) return false;
    return bank.NumberOfSamples >= 0 && bank.NumberOfSamples <= kMaxSortedSamples;
}

StatusRecord InconsistentBank() {
    return MakeStatus(kInconsistencyCode, 'F', "Inconsistency error.");
}
