// Writing finished images to disk: the DPX-1 image that VELTRA builds and the Emulator II image
// that MORVEX builds. A file is written whole or not at all: the image goes into a new file beside
// the output, which takes the output's name only when it is complete and on the disk; on any
// failure that file is removed and the output name is left exactly as it was.
#pragma once

#include <cstdint>

#include "common/safe_output.h"
#include "common/status.h"

// The codes of an image file that appeared under a name the program chose while it was written.
constexpr int32_t kDpxNameTakenCode = 809;
constexpr int32_t kEmuNameTakenCode = 20034;

// Writes the 901,120-byte DPX image as the named file. With kReplace an existing file of that name
// is replaced; with kKeep an existing one is left and the write fails with code 809. Code 804 when
// the new file cannot be created, 805 when the write fails or falls short, 807 when it cannot be
// passed on to the disk, 808 when it cannot take the name.
StatusRecord WriteDPXImage(int8_t trace, const char* fileName, const uint8_t* image,
                           ExistingName existing = ExistingName::kReplace);

// Writes the 485,887-byte Emulator II image as the named file, as WriteDPXImage does, with the
// codes 20030 (create), 20031 (write), 20032 (disk), 20033 (name) and 20034 (name taken).
StatusRecord WriteEIIImage(int8_t trace, const char* fileName, const uint8_t* image,
                           ExistingName existing = ExistingName::kReplace);
