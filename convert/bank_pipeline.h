// The stretch of the per-file pipeline that both converters share: recognising an Emulator II
// image, announcing it, reading its whole bank and checking it. Every record it makes is either
// handed to the caller or released before it returns, so each is released exactly once.
#pragma once

#include <cstdint>

#include "common/status.h"
#include "eii/bank_model.h"
#include "eii/image.h"
#include "eii/image_overview.h"

struct BankInProgress {
    BankBasicDetails* header;
    Bank* bank;
    // The image file's bytes, read once when the file is recognised by its size.
    ImageContents contents = {nullptr, 0};
};

// Validates the image at imagePath (with the size check when sizeCheck is 1) into overview and
// a new header. An image that is not an Emulator II bank gives a warning with warningCode:
// "<displayName> is not an <kindName> file and has been ignored. RC <result>.". A recognised
// image prints "Processing file <displayName>..." and its bank is read and validated.
// The image is read from its file once: overview->Contents links progress->contents, from which
// every later read of the image (the translation's too) is served until the progress is released.
// On success *progress holds the header and the bank; on failure nothing stays allocated.
StatusRecord ReadRecognisedBank(int8_t trace, const char* imagePath, const char* displayName,
                                int32_t sizeCheck, int32_t warningCode, const char* kindName,
                                ImageOverview* overview, BankInProgress* progress);

// Releases the header (its image list, then the record), the bank and the image's bytes; each may
// be none.
void ReleaseBankInProgress(int8_t trace, BankInProgress* progress);

// A buffer for a finished image, left as it comes (the translations write or clear every byte),
// or none when memory runs out; *status then says so (code 806) for the named file.
uint8_t* AllocateImageBuffer(int32_t size, const char* fileName, StatusRecord* status);
