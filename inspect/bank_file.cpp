#include "inspect/bank_file.h"

#include <cstring>

#include "common/trace.h"
#include "convert/bank_pipeline.h"
#include "dpx/companding.h"
#include "dpx/layout.h"
#include "dpx/point_packing.h"
#include "dpx/temporary_image.h"
#include "eii/bank.h"
#include "eii/bank_header.h"
#include "eii/image.h"
#include "platform/files.h"
#include "platform/scratch_files.h"

namespace {

// CreateTemporaryImage's refusals of a file that is not a DPX-1 image.
constexpr int32_t kDpxWrongSizeCode = 11001;
constexpr int32_t kDpxWrongIdCode = 11004;
// The scratch file could not be made.
constexpr int32_t kScratchFileCode = 11030;

// Replaces every mention of the temporary image in a message by the user's file.
StatusRecord NamingUserFile(StatusRecord status, const std::string& temporaryPath, const std::string& path) {
    if (temporaryPath.empty()) return status;
    std::string text = status.message;
    for (size_t at = text.find(temporaryPath); at != std::string::npos;
         at = text.find(temporaryPath, at + path.size()))
        text.replace(at, temporaryPath.size(), path);
    std::snprintf(status.message, sizeof status.message, "%s", text.c_str());
    return status;
}

// A header that ValidateImage rejected is read again on its own, for the reason.
StatusRecord HeaderRejection(int8_t trace, const ImageOverview& overview) {
    BankBasicDetails* scratch = InitBankBasicDetails(trace, kContextNumber, kPassThroughByte, nullptr);
    StatusRecord status = GetEmuIIBankBasicDetails(trace, overview, scratch);
    FreeBankBasicDetailsMem(trace, kContextNumber, kPassThroughByte, scratch);
    delete scratch;
    return status;
}

// Reads the header and the bank of a validated image into file, and the image's first `size`
// bytes into file->bytes. The image is read whole once and every later read served from memory,
// as the converters do.
StatusRecord ReadBank(int8_t trace, const char* imagePath, int32_t sizeCheck, int32_t size, BankFile* file) {
    ImageContents contents{nullptr, 0};
    ImageOverview overview{};
    overview.Contents = &contents;
    file->header = InitBankBasicDetails(trace, kContextNumber, kPassThroughByte, nullptr);
    StatusRecord status = ValidateImage(trace, imagePath, &overview, file->header, sizeCheck);
    if (status.code == 0 && overview.ValidationResult != kUsableEmuImage) {
        file->headerStatus = HeaderRejection(trace, overview);
        if (file->headerStatus.code == 0)
            file->headerStatus = MakeStatus(overview.ValidationResult, 'E', "The bank header is rejected.");
        CloseBankFile(trace, file);
    } else if (status.code == 0) {
        file->bank = InitBank(trace, kContextNumber, kPassThroughByte);
        file->readStatus = GetBankDetails(trace, overview, *file->header, file->bank);
        if (file->readStatus.code == 0) file->validateStatus = ValidateBank(trace, file->bank);
        file->bytes.assign(static_cast<size_t>(size), 0);
        status = ReadImageData(trace, overview, 0, size - 1, file->bytes.data());
    }
    FreeImageContentsMem(&contents);
    return status;
}

// Reads the sample data address from the file-system block of the DPX-1 image.
StatusRecord ReadSampleDataAddress(int8_t trace, const char* path, int32_t* address) {
    ImageOverview overview{};
    std::snprintf(overview.Name, sizeof overview.Name, "%s", path);
    std::snprintf(overview.Path, sizeof overview.Path, "%s", path);
    uint8_t block[kDpxFileSystemSize] = {};
    StatusRecord status = ReadImageData(trace, overview, kDpxFileSystemOffset,
                                        kDpxFileSystemOffset + kDpxFileSystemSize - 1, block);
    if (status.code == 0) *address = ReadDPXFileSystem(block).SampleDataAddress;
    return status;
}

StatusRecord OpenDpxImage(int8_t trace, const char* path, BankFile* file) {
    char temporaryPath[kFileNameBufferSize];
    if (!CreateScratchFile(temporaryPath, kMaxFileNameLength + 1))
        return MakeStatus(kScratchFileCode, 'E', "No temporary file can be made for %s. Error is %u.", path,
                          LastSystemError());
    // The scratch file only reserves a name no other file has: the temporary image is made under
    // it exclusively, and only a file this run made is removed afterwards.
    DeleteNamedFile(temporaryPath);
    TemporaryImage temporary{temporaryPath, false, {}};
    StatusRecord status = CreateTemporaryImage(trace, path, &temporary);
    if (status.code == kDpxWrongSizeCode || status.code == kDpxWrongIdCode) {
        file->kind = status.code == kDpxWrongIdCode ? BankFileKind::kDpxOther : BankFileKind::kOther;
        status = InitStatusRecord();
    } else if (status.code == 0) {
        status = ReadBank(trace, temporaryPath, 0, kDpxDataSpaceSize, file);
        file->kind = file->header != nullptr ? BankFileKind::kDpxBank : BankFileKind::kDpxOther;
        if (status.code == 0) status = ReadSampleDataAddress(trace, path, &file->sampleDataAddress);
    }
    RemoveTemporaryImage(&temporary);
    file->headerStatus = NamingUserFile(file->headerStatus, temporaryPath, path);
    file->readStatus = NamingUserFile(file->readStatus, temporaryPath, path);
    return NamingUserFile(status, temporaryPath, path);
}

}  // namespace

StatusRecord OpenBankFile(int8_t trace, const char* path, BankFile* file) {
    file->path = path;
    ImageOverview overview{};
    BankBasicDetails* probe = InitBankBasicDetails(trace, kContextNumber, kPassThroughByte, nullptr);
    // Only the size decides here; the header is read again below.
    StatusRecord status = ValidateImage(trace, path, &overview, probe, 1);
    FreeBankBasicDetailsMem(trace, kContextNumber, kPassThroughByte, probe);
    delete probe;
    if (status.code != 0) return status;
    if (overview.ValidationResult == kWrongImageSize) return OpenDpxImage(trace, path, file);
    file->kind = BankFileKind::kEmuImage;
    status = ReadBank(trace, path, 1, kEmuImageSize, file);
    if (status.code == 0 && file->header != nullptr)
        file->sampleDataAddress = file->header->StartSampleAddress;
    return status;
}

void CloseBankFile(int8_t trace, BankFile* file) {
    BankInProgress progress{file->header, file->bank};
    ReleaseBankInProgress(trace, &progress);
    file->header = nullptr;
    file->bank = nullptr;
}

const SampleOverview* FindSample(const Bank& bank, int32_t sampleNumber) {
    for (const SampleOverview* sample = bank.Samples; sample != nullptr; sample = sample->next)
        if (sample->SampleNumber == sampleNumber) return sample;
    return nullptr;
}

bool DecodeSampleValues(int8_t trace, const BankFile& file, const SampleOverview& sample,
                        std::vector<int16_t>* values) {
    values->clear();
    if (!HasBank(file) || sample.ValidCode != kValidRecord) return false;
    const int64_t size = static_cast<int64_t>(file.bytes.size());
    if (file.kind == BankFileKind::kEmuImage) {
        if (sample.SampleStart < 0 || sample.SampleEnd > size || sample.SampleEnd < sample.SampleStart)
            return false;
        int32_t running = 0;
        for (int32_t offset = sample.SampleStart; offset < sample.SampleEnd; ++offset) {
            running = DecodeCompandedSample(trace, running, file.bytes[static_cast<size_t>(offset)]);
            values->push_back(static_cast<int16_t>(running));
        }
        return true;
    }
    // Point i of the sample data holds the Emulator II sample byte at S + i.
    const int32_t firstPoint = sample.SampleStart - file.bank->StartSampleAddress;
    if (firstPoint < 0 || sample.SampleSize < 0 || file.sampleDataAddress < 0 ||
        file.sampleDataAddress % kDpxSectorSize != 0)
        return false;
    const int64_t endPoint = static_cast<int64_t>(firstPoint) + sample.SampleSize;
    if (endPoint > kDpxDataSpaceSize) return false;
    if (file.sampleDataAddress + int64_t{PackedPointSpan(static_cast<int32_t>(endPoint))} > size)
        return false;
    // A second point of a group is read from the group's byte 1.
    const int32_t block = firstPoint / kDpxPointsPerBlock;
    const int32_t within = firstPoint % kDpxPointsPerBlock;
    PointCursor cursor{file.sampleDataAddress + block * kDpxSectorSize + within / 2 * 3 + within % 2,
                       within % 2};
    for (int32_t index = 0; index < sample.SampleSize; ++index) {
        const int32_t point = UnpackPoint(file.bytes.data(), &cursor);
        values->push_back(static_cast<int16_t>(16 * point - 32768));
    }
    return true;
}
