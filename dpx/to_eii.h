// Translation of a DPX-1 image that carries an Emulator II bank back into a complete Emulator II
// image in memory. By the time it runs, the image's data space has been written to a temporary
// image file and the bank has been read from that file.
#pragma once

#include <cstdint>

#include "common/status.h"
#include "eii/bank_model.h"
#include "eii/image_overview.h"

// Code of a file-system block whose sample data would run past the end of the data space.
constexpr int32_t kInvalidSampleDataAddressCode = 11013;

// Builds the 485,887-byte Emulator II image of `bank` in `output`: the leading area (every byte
// before the sample area) copied from the temporary image with the sequence table cleared and
// the sequence area moved to the end of the image, and every 12-bit point of the sample data
// scaled back by the peak amplitude of the file-system block and coded again as one Emulator II
// sample byte. The bytes after the sample area are zero. The file-system block is the one given,
// or else read from dpxPath; the data space is the temporary image's bytes that `overview` holds
// (ImageContents), or else read from the temporary image that it names. On failure the output is
// not an image.
StatusRecord TranslateDPXToEII(int8_t trace, const char* dpxPath, ImageOverview overview, Bank* bank,
                               uint8_t* output, const uint8_t* fileSystemBlock = nullptr);
