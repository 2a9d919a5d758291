// A whole Emulator II bank: GetBankDetails reads the samples, voices and presets of an image
// whose header has been read into a Bank, and ValidateBank decides whether the bank can be
// converted.
#pragma once

#include <cstdint>

#include "common/status.h"
#include "eii/bank_model.h"
#include "eii/image_overview.h"

// Reads image bytes 0..StartSampleAddress - 1 (the parameter area) once and fills `bank`, fresh
// from InitBank, with a copy of `header`, its own copy of the header's image list, and the
// sample, voice and preset lists, in that order. Faults inside single samples, voices and
// presets are kept in each record's ValidCode. On failure (the image cannot be read, or a sample
// that the header counted is not found: 574) the bank is left as InitBank made it and nothing
// the call made is left allocated.
StatusRecord GetBankDetails(int8_t trace, ImageOverview overview, BankBasicDetails header, Bank* bank);

// Rejects a bank holding a sample (801) or a voice (802) whose ValidCode is not 99, naming the
// first one and its code. Presets are not examined.
StatusRecord ValidateBank(int8_t trace, const Bank* bank);
