// Reading a disk image file for dpxtool's disk commands: the whole file, its format by its name,
// the tracks decoded with a progress bar, and the words for what was lost.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "flux/disk_image.h"

// Reads the disk image file at path, of the format its name says (unknownAsPlain: a name without
// a known extension is taken as a plain image), into *image. While the tracks of an HFE or SCP
// file are decoded, a progress bar is drawn on standard error when that is a console. False, after
// one line on standard error, when the file cannot be read or is not what its name says.
bool ReadDiskFile(const std::string& path, bool unknownAsPlain, DiskImage* image);

// The bad sectors, one line each: "cylinder 12 head 1 sector 2: data CRC error".
std::vector<std::string> BadSectorLines(const DiskImage& image);

// Whether the plain image is that of an empty disk as NIMROSE formats it (zeros, and the empty
// disk's identification block in sector 5 of cylinder 0, head 0), a converted Emulator II bank
// (the maker's identification and anything else), or neither.
enum class DiskContent { kEmptyDisk, kConvertedBank, kOther };
DiskContent ClassifyDiskContent(const std::vector<uint8_t>& image);
