// The full-size bank as files, made once per run in a temporary folder that is removed when the
// process ends: the Emulator II image, and the DPX image VELTRA's work makes of it.
#pragma once

#include <string>

#include "bench/full_size_bank.h"
#include "common/status.h"
#include "tests/support/temp_folder.h"

struct BenchFiles {
    TempFolder folder;
    FullSizeBank bank;
    std::string eiiPath;
    std::string dpxPath;
    // Of converting the image into the DPX image; a benchmark that finds a failure here skips.
    StatusRecord status;

    // A further file name in the folder.
    std::string File(const char* name) const { return folder.File(name); }
};

// Made on the first call.
const BenchFiles& SharedBenchFiles();
