// Output files are written completely or not at all, through the suite's safe whole-file write:
// the bytes go to a new file beside the target, which takes the target's name only when complete.
// A failure leaves the target as it was; a name that is not a regular file is never written.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "common/status.h"

// Code of an output file that could not be written.
constexpr int32_t kOutputFileCode = 11040;

// The one place dpxtool writes a whole output file. An existing file of that name is replaced,
// unless it is the input file inputPath (when given) under this or another name.
StatusRecord WriteOutputFile(const std::string& path, const std::vector<uint8_t>& bytes,
                             const char* inputPath = nullptr);
