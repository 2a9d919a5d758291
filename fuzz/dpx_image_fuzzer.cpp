// libFuzzer target: a DPX image file through the temporary image, the bank reading chain and the
// translation back into an Emulator II image, as MORVEX converts one file. The input describes
// the image as fuzz/fuzz_input.h tells.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "dpx/layout.h"
#include "eii/bank_model.h"
#include "fuzz/fuzz_chains.h"
#include "fuzz/fuzz_input.h"
#include "tests/support/temp_folder.h"

namespace {

// What lives from the first input to the end of the process: the folder of this process (removed
// at exit), the DPX image file and the temporary image in it, and the buffer the Emulator II
// image is built in.
struct DpxTarget {
    TempFolder folder;
    FuzzImageFile image = InitFuzzImageFile(folder.File("FUZZ.DPX"), kDpxImageSize);
    std::string temporaryPath = folder.File("FUZZ.IMG");
    std::vector<uint8_t> eiiImage = std::vector<uint8_t>(kEmuImageSize);
};

DpxTarget* target = nullptr;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    SilenceConsoleOutput();
    static DpxTarget state;
    target = &state;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    WriteFuzzImageFile(&target->image, data, size);
    ConvertDPXImage(target->image.path.c_str(), target->temporaryPath.c_str(), target->eiiImage.data());
    return 0;
}
