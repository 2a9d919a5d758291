// Writing finished images to disk: the DPX-1 image that VELTRA builds and the Emulator II image
// that MORVEX builds. A file is written whole or not at all: when the write fails or falls
// short, the partial file is removed.
#pragma once

#include <cstdint>

#include "common/status.h"

// Writes the 901,120-byte DPX image as the named file, replacing any file of that name.
// Code 804 when the file cannot be created, 805 when the write fails or falls short.
StatusRecord WriteDPXImage(int8_t trace, const char* fileName, const uint8_t* image);

// Writes the 485,887-byte Emulator II image as the named file, replacing any file of that name.
// Code 20030 when the file cannot be created, 20031 when the write fails or falls short.
StatusRecord WriteEIIImage(int8_t trace, const char* fileName, const uint8_t* image);
