// Output files are written completely or not at all: the bytes go to a new file beside the
// target, which is flushed and closed and only then takes the target's name. A failure leaves the
// target as it was.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "common/status.h"

// Code of an output file that could not be written.
constexpr int32_t kOutputFileCode = 11040;

// The one place dpxtool writes a whole output file.
StatusRecord WriteOutputFile(const std::string& path, const std::vector<uint8_t>& bytes);
