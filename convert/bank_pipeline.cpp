#include "convert/bank_pipeline.h"

#include <cstdio>
#include <new>

#include "common/trace.h"
#include "eii/bank.h"
#include "eii/image.h"

namespace {

constexpr int32_t kOutOfMemoryCode = 806;

}  // namespace

StatusRecord ReadRecognisedBank(int8_t trace, const char* imagePath, const char* displayName,
                                int32_t sizeCheck, int32_t warningCode, const char* kindName,
                                ImageOverview* overview, BankInProgress* progress) {
    progress->header = InitBankBasicDetails(trace, kContextNumber, kPassThroughByte, nullptr);
    progress->bank = nullptr;
    overview->Contents = &progress->contents;
    StatusRecord status = ValidateImage(trace, imagePath, overview, progress->header, sizeCheck);
    if (status.code == 0 && overview->ValidationResult != kUsableEmuImage)
        status = MakeStatus(warningCode, 'W', "%s is not an %s file and has been ignored. RC %d.",
                            displayName, kindName, overview->ValidationResult);
    if (status.code == 0) {
        std::printf("Processing file %s...\n", displayName);
        progress->bank = InitBank(trace, kContextNumber, kPassThroughByte);
        status = GetBankDetails(trace, *overview, *progress->header, progress->bank);
    }
    if (status.code == 0) status = ValidateBank(trace, progress->bank);
    if (status.code != 0) ReleaseBankInProgress(trace, progress);
    return status;
}

void ReleaseBankInProgress(int8_t trace, BankInProgress* progress) {
    if (progress->header != nullptr) {
        FreeBankBasicDetailsMem(trace, kContextNumber, kPassThroughByte, progress->header);
        delete progress->header;
    }
    FreeBankMem(trace, kContextNumber, kPassThroughByte, progress->bank);
    FreeImageContentsMem(&progress->contents);
    progress->header = nullptr;
    progress->bank = nullptr;
}

uint8_t* AllocateImageBuffer(int32_t size, const char* fileName, StatusRecord* status) {
    uint8_t* buffer = new (std::nothrow) uint8_t[static_cast<size_t>(size)];
    if (buffer == nullptr)
        *status = MakeStatus(kOutOfMemoryCode, 'E', "Not enough memory to convert file %s.", fileName);
    return buffer;
}
