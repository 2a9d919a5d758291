// `dpxtool info` for a file that carries no Emulator II bank of its own: what kind of disk image it
// is (plain, HFE, SCP), its geometry, the good sectors of every track, and what the disk holds.
#pragma once

#include <string>

// Prints what the file is and returns the exit code: 0, or 1 when sectors could not be read, or 2
// (after one line on standard error) when it is no disk image. isDpxImage: the file has the size
// of a plain image; a name without a known extension is then read as one. An HFE or SCP image that
// decodes to a DPX-1 image carrying a bank is followed by the bank's listing.
int DescribeDiskImage(const std::string& path, bool isDpxImage, bool json);
