// `dpxtool info` for a file that carries no Emulator II bank: what kind of disk image it is.
#pragma once

#include <string>

// Prints what the file is and returns the exit code. isDpxImage: the file is a DPX-1 image (the
// size and the maker's identification) without a bank.
int DescribeDiskImage(const std::string& path, bool isDpxImage, bool json);
