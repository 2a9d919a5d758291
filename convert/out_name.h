// Output file names derived from input names without overwriting existing files.
#pragma once

#include <cstdint>

// Size of the output name buffer the callers provide: 256 characters and the terminator.
constexpr int32_t kOutNameBufferSize = 257;

// Writes "<base>.<ext>" into outName, where base is the input name without its last extension
// and ext is "DPX" for kind 'D' or "EII" for kind 'E'; while that file exists, "<base>_1.<ext>",
// "<base>_2.<ext>" and so on. When no free name fits the buffer, outName becomes empty.
void DetermineOutFileName(int8_t trace, const char* inName, char* outName, char kind);
