// The image level: deciding whether a file is a usable Emulator II image, and reading byte
// ranges from an image file.
#pragma once

#include <cstdint>

#include "common/status.h"
#include "eii/bank_model.h"
#include "eii/image_overview.h"

// Status code of a file name longer than the name buffers admit.
constexpr int32_t kFileNameTooLongCode = 701;

// The geometry of an image file: always one cluster as large as the file, with its data at 0.
struct ImageIndex {
    int8_t EmaxType;
    ImageOverview overview;  // copy of the overview passed in (its link is not used)
    char Name[kEmuNameLength + 1];
    int32_t DiskCapacity;
    int32_t BankMapAddr;
    int32_t BankIndexAddr;
    int32_t ClusterMapAddr;
    int32_t ClusterSize;
    int32_t NumberOfClusters;
    int32_t DataAddr;
    int32_t OSSpaceSize;
    uint8_t table[1024];
};

// An image file's bytes, read whole once and served to every later ReadImageData of the file.
// Files larger than kLargestImageHeld are read range by range instead.
constexpr int32_t kLargestImageHeld = 1048576;
struct ImageContents {
    uint8_t* Bytes;  // none until the file has been read
    int32_t Size;
};
// Releases the bytes; the record is empty again.
void FreeImageContentsMem(ImageContents* contents);

// Success when the name fits the name buffers (at most 256 characters), else code 701.
StatusRecord CheckFileNameLength(const char* name);

StatusRecord GetImageIndex(int8_t trace, ImageOverview overview, ImageIndex* index);

// Fills the overview for the named file and, for a file that passes the size check (when
// sizeCheck is 1), reads and checks its bank header into the header record. A file that is not
// an Emulator II image is not a failure: the status is success and the overview's validation
// result says why (17 wrong size, 60..65 header rejected). When the overview links an empty
// ImageContents, a file that passes the size check is read whole into it first, with the
// messages of ReadImageData when that fails (9 open, 11 read).
StatusRecord ValidateImage(int8_t trace, const char* fileName, ImageOverview* overview,
                           BankBasicDetails* header, int32_t sizeCheck);

// Reads the inclusive byte range first..last of the image file into buffer, which holds
// last - first + 1 bytes. A range that runs past the end of the file is not a failure; the
// bytes beyond the end keep what the buffer held. Served from the overview's contents when they
// hold the file.
StatusRecord ReadImageData(int8_t trace, ImageOverview overview, int32_t first, int32_t last,
                           uint8_t* buffer);
