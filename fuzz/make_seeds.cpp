// Writes the seed corpora of the two fuzz targets, each seed in the input form of
// fuzz/fuzz_input.h:
//   <folder>/eii  the Emulator II banks of fuzz/seed_banks.h;
//   <folder>/dpx  the DPX images VELTRA makes of them. A bank that VELTRA refuses gets the image of
//                 the valid bank it was made from, carrying its own leading area in the data
//                 space, so that MORVEX meets the same fault; a few images have a file-system
//                 block spoiled on purpose.
// Every valid bank must convert into a DPX image and back, or no seed is trusted: the generator
// then fails.
//   make_fuzz_seeds <folder>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "common/bytes.h"
#include "dpx/layout.h"
#include "eii/bank_model.h"
#include "fuzz/fuzz_chains.h"
#include "fuzz/fuzz_input.h"
#include "fuzz/seed_banks.h"
#include "tests/support/temp_folder.h"

namespace {

namespace fs = std::filesystem;

// Header bytes 1216..1217 hold the sample area start, the end of the leading area.
constexpr int32_t kSampleAreaStartField = 1216;
// File-system block fields, as image offsets: the maker's name in the identification text, the
// disk address of the sample data and the amplitude field.
constexpr int32_t kMakerNameOffset = kDpxFileSystemOffset + 8;
constexpr int32_t kSampleDataAddressOffset = kDpxFileSystemOffset + 76;
constexpr int32_t kAmplitudeFieldOffset = kDpxFileSystemOffset + 383;

struct Converter {
    TempFolder folder;
    std::string eiiPath = folder.File("SEED.EII");
    std::string dpxPath = folder.File("SEED.DPX");
    std::string temporaryPath = folder.File("SEED.IMG");
};

int32_t CountFiles(const fs::path& folder) {
    int32_t count = 0;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder))
        count += entry.is_regular_file() ? 1 : 0;
    return count;
}

bool ToDpx(Converter& converter, const std::vector<uint8_t>& eii, std::vector<uint8_t>* dpx) {
    WriteWholeFile(converter.eiiPath, eii);
    dpx->assign(kDpxImageSize, 0);
    return ConvertEIIImage(converter.eiiPath.c_str(), dpx->data()).code == 0;
}

bool BackToEii(Converter& converter, const std::vector<uint8_t>& dpx) {
    WriteWholeFile(converter.dpxPath, dpx);
    std::vector<uint8_t> eii(kEmuImageSize, 0);
    return ConvertDPXImage(converter.dpxPath.c_str(), converter.temporaryPath.c_str(), eii.data()).code == 0;
}

// Puts image bytes 0..S - 1 of the Emulator II image into the data space of the DPX image, S being
// the sample area start of the bank the DPX image was made from.
void PutLeadingArea(const std::vector<uint8_t>& eii, int32_t sampleAreaStart, std::vector<uint8_t>* dpx) {
    for (int32_t address = 0; address < sampleAreaStart; ++address)
        (*dpx)[static_cast<size_t>(ImageOffsetOfDataAddress(address))] = eii[static_cast<size_t>(address)];
}

void WriteSeed(const fs::path& folder, const std::string& name, const std::vector<uint8_t>& image) {
    WriteWholeFile((folder / name).string(), DescribeImage(image));
}

// DPX images with one file-system field spoiled, made from a valid one.
void WriteSpoiledDpxSeeds(const fs::path& folder, const std::vector<uint8_t>& valid) {
    std::vector<uint8_t> wrongId = valid;
    wrongId[kMakerNameOffset] = 'o';
    WriteSeed(folder, "fs-wrong-id", wrongId);

    // Cylinder 79, sector 4, head 1: the last sector of the data space.
    std::vector<uint8_t> lateSampleData = valid;
    std::memcpy(&lateSampleData[kSampleDataAddressOffset], "\x4F\x04\x01", 3);
    WriteSeed(folder, "fs-sample-data-at-the-end", lateSampleData);

    std::vector<uint8_t> loud = valid;
    WriteBig16(&loud[kAmplitudeFieldOffset], 0xFFFF);
    WriteSeed(folder, "fs-amplitude-highest", loud);

    std::vector<uint8_t> silent = valid;
    WriteBig16(&silent[kAmplitudeFieldOffset], 0x000F);
    WriteSeed(folder, "fs-amplitude-silent", silent);

    // The identification alone: a data space without a bank.
    std::vector<uint8_t> noBank(kDpxImageSize, 0);
    std::memcpy(&noBank[kDpxFileSystemOffset], &valid[kDpxFileSystemOffset], kDpxFileSystemSize);
    WriteSeed(folder, "fs-no-bank", noBank);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_fuzz_seeds <folder>\n");
        return 2;
    }
    SilenceConsoleOutput();
    const fs::path eiiFolder = fs::path(argv[1]) / "eii";
    const fs::path dpxFolder = fs::path(argv[1]) / "dpx";
    for (const fs::path& folder : {eiiFolder, dpxFolder}) {
        fs::remove_all(folder);
        fs::create_directories(folder);
    }

    Converter converter;
    const std::vector<SeedBank> banks = MakeSeedBanks();
    for (const SeedBank& bank : banks) {
        WriteSeed(eiiFolder, bank.name, bank.image.bytes());
        std::vector<uint8_t> dpx;
        if (ToDpx(converter, bank.image.bytes(), &dpx)) {
            if (bank.valid && !BackToEii(converter, dpx)) {
                std::fprintf(stderr, "make_fuzz_seeds: the DPX image of %s does not convert back\n",
                             bank.name.c_str());
                return 1;
            }
        } else if (bank.valid || !ToDpx(converter, bank.base.bytes(), &dpx)) {
            std::fprintf(stderr, "make_fuzz_seeds: %s does not convert\n", bank.name.c_str());
            return 1;
        } else {
            PutLeadingArea(bank.image.bytes(), DecodeEmuAddress16(&bank.base.bytes()[kSampleAreaStartField]),
                           &dpx);
        }
        WriteSeed(dpxFolder, bank.name, dpx);
    }
    std::vector<uint8_t> baseDpx;
    if (!ToDpx(converter, MakeBaseSeedBank().bytes(), &baseDpx)) {
        std::fprintf(stderr, "make_fuzz_seeds: the base bank does not convert\n");
        return 1;
    }
    WriteSpoiledDpxSeeds(dpxFolder, baseDpx);

    std::fprintf(stderr, "make_fuzz_seeds: %d Emulator II seeds in %s, %d DPX seeds in %s\n",
                 CountFiles(eiiFolder), eiiFolder.string().c_str(), CountFiles(dpxFolder),
                 dpxFolder.string().c_str());
    return 0;
}
