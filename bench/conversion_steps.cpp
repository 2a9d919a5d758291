#include "bench/conversion_steps.h"

#include "common/trace.h"
#include "dpx/layout.h"
#include "dpx/temporary_image.h"
#include "dpx/to_dpx.h"
#include "dpx/to_eii.h"
#include "dpx/writers.h"
#include "eii/bank.h"
#include "eii/bank_model.h"
#include "eii/image.h"
#include "platform/files.h"

namespace {

// Failures of the benchmark's own steps; the converters' calls report with their own codes.
constexpr int32_t kNotAnEmuImageCode = 1;
constexpr int32_t kCopyFailureCode = 2;

}  // namespace

StatusRecord ReadCheckedBank(int8_t trace, const char* imagePath, int32_t sizeCheck, ImageOverview* overview,
                             BankInProgress* progress) {
    progress->header = InitBankBasicDetails(trace, kContextNumber, kPassThroughByte, nullptr);
    progress->bank = nullptr;
    overview->Contents = &progress->contents;
    StatusRecord status = ValidateImage(trace, imagePath, overview, progress->header, sizeCheck);
    if (status.code == 0 && overview->ValidationResult != kUsableEmuImage)
        status = MakeStatus(kNotAnEmuImageCode, 'E', "%s is not an Emulator II image (RC %d).", imagePath,
                            overview->ValidationResult);
    if (status.code == 0) {
        progress->bank = InitBank(trace, kContextNumber, kPassThroughByte);
        status = GetBankDetails(trace, *overview, *progress->header, progress->bank);
    }
    if (status.code == 0) status = ValidateBank(trace, progress->bank);
    if (status.code != 0) ReleaseBankInProgress(trace, progress);
    return status;
}

StatusRecord ConvertEIIFileToDPX(int8_t trace, const char* eiiPath, const char* dpxPath) {
    ImageOverview overview{};
    BankInProgress progress{nullptr, nullptr};
    StatusRecord status = ReadCheckedBank(trace, eiiPath, 1, &overview, &progress);
    if (status.code != 0) return status;
    uint8_t* image = AllocateImageBuffer(kDpxImageSize, eiiPath, &status);
    if (image != nullptr) status = TranslateEIIToDPX(trace, overview, progress.bank, image);
    if (status.code == 0) status = WriteDPXImage(trace, dpxPath, image);
    delete[] image;
    ReleaseBankInProgress(trace, &progress);
    return status;
}

StatusRecord ConvertDPXFileToEII(int8_t trace, const char* dpxPath, const char* temporaryPath,
                                 const char* eiiPath) {
    uint8_t fileSystemBlock[kDpxFileSystemSize];
    StatusRecord status = CreateTemporaryImage(trace, dpxPath, temporaryPath, fileSystemBlock);
    ImageOverview overview{};
    BankInProgress progress{nullptr, nullptr};
    if (status.code == 0) status = ReadCheckedBank(trace, temporaryPath, 0, &overview, &progress);
    if (status.code == 0) {
        uint8_t* image = AllocateImageBuffer(kEmuImageSize, dpxPath, &status);
        if (image != nullptr)
            status = TranslateDPXToEII(trace, dpxPath, overview, progress.bank, image, fileSystemBlock);
        if (status.code == 0) status = WriteEIIImage(trace, eiiPath, image);
        delete[] image;
        ReleaseBankInProgress(trace, &progress);
    }
    DeleteNamedFile(temporaryPath);
    return status;
}

StatusRecord CopyFileBytes(const char* inputPath, int32_t inputSize, const char* outputPath,
                           int32_t outputSize, uint8_t* buffer) {
    FileHandle input;
    if (!OpenForReadingUnshared(inputPath, &input))
        return MakeOpenFailure(kCopyFailureCode, inputPath, LastSystemError());
    uint32_t done = 0;
    const bool readOk = ReadFromFile(input, buffer, static_cast<uint32_t>(inputSize), &done);
    CloseFile(input);
    if (!readOk || done != static_cast<uint32_t>(inputSize))
        return MakeStatus(kCopyFailureCode, 'E', "Problem reading file %s. Error is %u.", inputPath,
                          LastSystemError());

    FileHandle output;
    if (!CreateForWritingUnshared(outputPath, &output))
        return MakeOpenFailure(kCopyFailureCode, outputPath, LastSystemError());
    const bool writeOk = WriteToFile(output, buffer, static_cast<uint32_t>(outputSize), &done);
    CloseFile(output);
    if (!writeOk || done != static_cast<uint32_t>(outputSize))
        return MakeStatus(kCopyFailureCode, 'E', "Problem writing file %s. Error is %u.", outputPath,
                          LastSystemError());
    return InitStatusRecord();
}
