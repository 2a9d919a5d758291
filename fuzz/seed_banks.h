// The Emulator II banks the seed corpora start from, built field by field with the test
// builders: valid banks of several shapes, and banks with one header, sample, voice or preset
// check broken on purpose.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tests/support/emu_image_builder.h"

struct SeedBank {
    std::string name;
    EmuImageBuilder image;
    // The valid bank this one was made from (the bank itself when it is valid): the DPX seed of a
    // bank that VELTRA refuses is built from it.
    EmuImageBuilder base;
    bool valid;
};

std::vector<SeedBank> MakeSeedBanks();
// The valid one-voice bank that every broken bank is made from.
EmuImageBuilder MakeBaseSeedBank();
