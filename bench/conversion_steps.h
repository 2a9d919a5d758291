// The per-file work of the two converters, run in-process without their console lines so that it
// can be timed, and the plain file copy it is measured against.
#pragma once

#include <cstdint>

#include "common/status.h"
#include "convert/bank_pipeline.h"
#include "eii/image_overview.h"

// Reads the bank of an Emulator II image (or of MORVEX's temporary image, with sizeCheck 0) and
// checks it, with the calls the converters make: ValidateImage, GetBankDetails, ValidateBank.
// A file that is not an Emulator II image is a failure here. On success *progress holds the
// header and the bank; on failure nothing stays allocated.
StatusRecord ReadCheckedBank(int8_t trace, const char* imagePath, int32_t sizeCheck, ImageOverview* overview,
                             BankInProgress* progress);

// VELTRA's work on one file: the bank read and checked, translated, written as a DPX image.
StatusRecord ConvertEIIFileToDPX(int8_t trace, const char* eiiPath, const char* dpxPath);

// MORVEX's work on one file: the temporary image made from the DPX image, the bank read and
// checked from it, translated back, written as an Emulator II image; the temporary image is
// deleted afterwards whatever happened.
StatusRecord ConvertDPXFileToEII(int8_t trace, const char* dpxPath, const char* temporaryPath,
                                 const char* eiiPath);

// Reads inputSize bytes of the input file into buffer and writes the first outputSize bytes of
// buffer as the output file, replacing any file of that name. The buffer holds at least the
// larger of the two sizes.
StatusRecord CopyFileBytes(const char* inputPath, int32_t inputSize, const char* outputPath,
                           int32_t outputSize, uint8_t* buffer);
