// The samples of an Emulator II bank. The bank keeps no sample table: every voice block names
// the start and size of the sample it plays, and voices that name the same start share it.
#pragma once

#include <cstdint>

#include "common/status.h"
#include "eii/bank_model.h"

// Offsets in a 256-byte voice block of the sample fields: the three-byte address of the sample
// start and the 24-bit little-endian sample size.
constexpr int32_t kVoiceSampleStartField = 199;
constexpr int32_t kVoiceSampleSizeField = 202;
constexpr int32_t kVoiceSampleFieldsEnd = 205;

// Fills `sample` with the n-th (1-based) distinct sample of the bank. The samples are numbered
// in voice order: a voice whose sample start equals that of a lower-numbered voice adds none,
// and each sample takes its size from the first voice that names it. `parameters` holds image
// bytes 0..StartSampleAddress - 1; a voice whose sample fields do not lie inside them names no
// sample. Returns 574 (sample not found, record untouched) when there are fewer than n samples,
// 573 with ValidCode 1 when the start or size is out of range, else success with ValidCode 99.
StatusRecord GetEmuIIBankSampleDetails(int8_t trace, int32_t context, uint8_t passThrough,
                                       const uint8_t* parameters, int32_t n, SampleOverview* sample,
                                       BankBasicDetails header);
