// libFuzzer target: an Emulator II image file through the bank reading chain and the
// translation into a DPX image, as VELTRA converts one file, and through everything dpxtool
// shows of a bank (listing, WAV files, report), built in memory. The input describes the image as
// fuzz/fuzz_input.h tells.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "dpx/layout.h"
#include "eii/bank_model.h"
#include "fuzz/fuzz_chains.h"
#include "fuzz/fuzz_input.h"
#include "tests/support/temp_folder.h"

namespace {

// What lives from the first input to the end of the process: the folder of this process (removed
// at exit), the image file in it and the buffer the DPX image is built in.
struct EiiTarget {
    TempFolder folder;
    FuzzImageFile image = InitFuzzImageFile(folder.File("FUZZ.EII"), kEmuImageSize);
    std::vector<uint8_t> dpxImage = std::vector<uint8_t>(kDpxImageSize);
};

EiiTarget* target = nullptr;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    SilenceConsoleOutput();
    static EiiTarget state;
    target = &state;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    WriteFuzzImageFile(&target->image, data, size);
    ConvertEIIImage(target->image.path.c_str(), target->dpxImage.data());
    InspectBankFile(target->image.path.c_str());
    return 0;
}
