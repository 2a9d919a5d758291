// A bank's samples ordered by start address. Both translations walk the sample area in address
// order and restart the running value at every sample start found here; VELTRA also finds the
// start of each voice's sample in it.
#pragma once

#include <cstdint>

#include "common/status.h"
#include "eii/bank_model.h"

// 100 entries; entry 0 doubles as the starting point of the selection, so at most 99 samples.
// The status code of a bank whose records contradict each other.
constexpr int32_t kInconsistencyCode = 803;
constexpr int32_t kSortedSampleEntries = 100;
constexpr int32_t kMaxSortedSamples = 99;
// Only samples starting below this bank offset are selected.
constexpr uint32_t kSortedSampleStartBound = 500000;

struct SortedSample {
    int32_t SampleNumber;  // 0 in an entry the selection could not fill: no sample has it
    int32_t Start;
    int32_t End;     // one past the last byte
    int32_t GapSum;  // bytes between the samples so far (diagnostic only)
    int32_t Parity;  // diagnostic only
};

struct SortedSampleList {
    SortedSample Entries[kSortedSampleEntries];
    int32_t Count;   // entries in use: the bank's NumberOfSamples, held within 0..99
    int32_t Filled;  // entries 0..Filled-1 hold samples, in strictly ascending start order
};

// True when the bank's sample area lies inside the Emulator II image (0 <= S <= E <= 485,887,
// with TotalSampleSize = E - S) and its sample count fits the list. Both translations refuse a
// bank that breaks this before they read or write any sample data.
bool SampleAreaIsConsistent(const Bank& bank);

// The refusal of a bank whose records contradict each other: 803, severity 'F',
// "Inconsistency error.".
StatusRecord InconsistentBank();

// Orders the first numberOfSamples samples by repeated selection: each entry takes the sample
// with the smallest start (compared unsigned) above the previous entry's start and below
// 500,000; of samples with equal starts the first in list order wins. When no sample is left,
// the remaining entries keep sample number 0, start 0 and end 0.
void BuildSortedSampleList(int32_t numberOfSamples, const SampleOverview* samples, SortedSampleList* list);

// The index of the first filled entry holding sampleNumber, or -1.
int32_t FindSortedSample(const SortedSampleList& list, int32_t sampleNumber);

// Where the next sample start lies while the sample area is walked in ascending address order.
struct SampleStartWalk {
    int32_t next;  // the first filled entry not passed yet
};

// The entry of the sample that starts at address, or -1. The walk starts as {0} and is asked
// about ascending addresses. Asked for every byte of the sample area, so inline.
inline int32_t SampleStartingAt(const SortedSampleList& list, int32_t address, SampleStartWalk* walk) {
    while (walk->next < list.Filled && list.Entries[walk->next].Start < address) ++walk->next;
    if (walk->next < list.Filled && list.Entries[walk->next].Start == address) return walk->next++;
    return -1;
}

// "--Sorted sample list (%d samples)--" and the five columns of every entry in use, then a key
// wait, when trace reaches threshold.
void TraceSortedSampleList(int8_t trace, int8_t threshold, const SortedSampleList& list);
