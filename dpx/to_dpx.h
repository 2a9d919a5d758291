// Translation of an Emulator II bank, read and validated, into a complete DPX-1 disk image in
// memory.
#pragma once

#include <cstdint>

#include "common/status.h"
#include "eii/bank_model.h"
#include "eii/image_overview.h"

// Code of a bank that cannot be laid out: a voice whose sample is not among the bank's samples,
// or counts and addresses that contradict each other.

// Builds the 901,120-byte DPX image of `bank` in `output`: the bank's leading area (every image
// byte before the sample area) copied unchanged, the voice table, every byte of the sample area
// re-coded as a 12-bit point normalised to the bank's peak amplitude, and the file-system block.
// The source image is read again through `overview`. On failure the output is not an image.
StatusRecord TranslateEIIToDPX(int8_t trace, ImageOverview overview, Bank* bank, uint8_t* output);
