// ImageOverview: the descriptor of one image file, and the node of a batch file list.
#pragma once

#include <cstdint>

// Name buffers hold at most kMaxFileNameLength characters and the terminator.
constexpr int32_t kMaxFileNameLength = 256;
constexpr int32_t kFileNameBufferSize = 261;

// Validation results that ValidateImage stores.
constexpr uint8_t kNotValidated = 0;
constexpr uint8_t kUsableEmuImage = 1;
constexpr uint8_t kWrongImageSize = 17;

// Image type of every image file this system reads.
constexpr uint8_t kImageTypeFile = 22;

// The bytes of an image file held in memory (eii/image.h).
struct ImageContents;

struct ImageOverview {
    int32_t Reserved;
    char Name[kFileNameBufferSize];  // as given on the command line or by the folder listing
    char Path[kFileNameBufferSize];  // the name used to open the file
    uint8_t ValidationResult;        // 0 before, 1 usable, 17 wrong size, 60..65 header rejected
    uint8_t ImageType;
    // Fixed descriptor values written by ValidateImage; nothing reads them.
    uint8_t DescriptorByte;
    int32_t DescriptorSize;
    char DescriptorText[10];
    uint8_t DescriptorTail[3];
    // Where ValidateImage puts the file's bytes once it has recognised the size, and from where
    // every later ReadImageData of the file is served; none when the caller reads from the file.
    // The caller owns it; ValidateImage leaves the link itself as it is.
    ImageContents* Contents;
    ImageOverview* next;
};

// A new list node with no successor.
ImageOverview* InitImageOverview(int8_t trace, int32_t context, uint8_t passThrough);
// Releases the node and all its successors; an empty list is allowed.
void FreeImageOverviewMem(int8_t trace, int32_t context, uint8_t passThrough, ImageOverview* first);
// A new list with one copy of every node, linked in the same order.
ImageOverview* CopyImageOverview(int8_t trace, int32_t context, uint8_t passThrough,
                                 const ImageOverview* first);
