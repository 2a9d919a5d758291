// MORVEX reads a DPX-1 image through the Emulator II reading chain, which reads files: the
// image's data space (the five 1,024-byte sectors of every track, in track order) is first
// written to a temporary image file, in which byte L is data address L.
#pragma once

#include <cstdint>

#include "common/status.h"

// Checks that dpxPath is a DPX-1 image (exactly 901,120 bytes, "Oberheim" in its identification
// text) and writes its 819,200-byte data space to temporaryPath, replacing any file of that name.
// A file of the wrong size is a warning (11001); other failures are errors 11000..11008. The DPX
// file is read once; when fileSystemBlock is given, its 512 bytes receive the image's file-system
// block, which the translation back needs (TranslateDPXToEII), so that it need not read it again.
StatusRecord CreateTemporaryImage(int8_t trace, const char* dpxPath, const char* temporaryPath,
                                  uint8_t* fileSystemBlock = nullptr);
