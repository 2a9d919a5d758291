#include "eii/image.h"

#include <cstdio>
#include <cstring>

#include "common/trace.h"
#include "eii/bank_header.h"
#include "platform/files.h"

namespace {

// The header checks whose failure means "not an Emulator II image": the validation result is
// the status code minus this offset (567 gives 60 ... 572 gives 65).
constexpr int32_t kFirstHeaderCheckCode = 567;
constexpr int32_t kLastHeaderCheckCode = 572;
constexpr int32_t kHeaderCheckResultOffset = 507;

// True when the open file ends before the range does, so that a read of the range stops early at
// the end of the file. A size that cannot be read counts as a file that holds the range.
bool RangeRunsPastEnd(FileHandle file, int32_t first, uint32_t wanted) {
    uint32_t low = 0;
    uint32_t high = 0;
    if (!QueryFileSize(file, &low, &high)) return false;
    const uint64_t size = (static_cast<uint64_t>(high) << 32) | low;
    return static_cast<uint64_t>(first) + wanted > size;
}

}  // namespace

StatusRecord CheckFileNameLength(const char* name) {
    if (std::strlen(name) <= static_cast<size_t>(kMaxFileNameLength)) return InitStatusRecord();
    return MakeStatus(kFileNameTooLongCode, 'E', "The file name %.60s... is longer than %d characters.", name,
                      kMaxFileNameLength);
}

StatusRecord GetImageIndex(int8_t trace, ImageOverview overview, ImageIndex* index) {
    TraceEnter(trace, "GetImageIndex");
    FileHandle file;
    if (!OpenForReadingUnshared(overview.Path, &file))
        return MakeOpenFailure(566, overview.Path, LastSystemError());
    uint32_t low = 0;
    uint32_t high = 0;
    if (!QueryFileSize(file, &low, &high)) {
        StatusRecord status = MakeStatus(565, 'E', "Problem reading size of file %s. Error is %u.",
                                         overview.Path, LastSystemError());
        CloseFile(file);
        return status;
    }
    TraceLine(trace, kTraceCalls, "GetImageIndex: Size of %s: %d (low) - %d (high)\n", overview.Name,
              static_cast<int32_t>(low), static_cast<int32_t>(high));

    std::memset(index, 0, sizeof *index);
    index->EmaxType = 4;
    index->overview = overview;
    index->overview.next = nullptr;
    index->DiskCapacity = static_cast<int32_t>(low);
    index->ClusterSize = static_cast<int32_t>(low);
    index->NumberOfClusters = 1;
    CloseFile(file);

    TraceLine(trace, kTraceDetails, "GetImageIndex: image = %s (%s) --> EmaxType = %d -- ImageType = %d\n",
              overview.Name, overview.Path, index->EmaxType, overview.ImageType);
    TraceLine(trace, kTraceDetails, "               DiskCapacity = %d -- BankIndexAddr = %d\n",
              index->DiskCapacity, index->BankIndexAddr);
    TraceLine(trace, kTraceDetails,
              "               ClusterMapAddr = %d -- DataAddr = %d -- BankMapAddr = %d\n",
              index->ClusterMapAddr, index->DataAddr, index->BankMapAddr);
    TraceLine(trace, kTraceDetails, "               ClusterSize = %d -- NumberOfClusters = %d\n",
              index->ClusterSize, index->NumberOfClusters);
    TraceLine(trace, kTraceDetails, "               OSSpaceSize = %d -- Name = %s\n", index->OSSpaceSize,
              index->Name);
    TraceWait(trace, kTraceDetails);
    TraceWait(trace, kTraceDetails);
    TraceEnd(trace, "GetImageIndex");
    return InitStatusRecord();
}

StatusRecord ValidateImage(int8_t trace, const char* fileName, ImageOverview* overview,
                           BankBasicDetails* header, int32_t sizeCheck) {
    TraceEnter(trace, "ValidateImage");
    StatusRecord status = CheckFileNameLength(fileName);
    if (status.code != 0) return status;

    overview->Reserved = 0;
    overview->DescriptorByte = 0;
    overview->DescriptorSize = 512;
    std::memset(overview->DescriptorText, 0, sizeof overview->DescriptorText);
    std::memcpy(overview->DescriptorText, "HARDDISK", 8);
    overview->DescriptorTail[0] = 0;
    overview->DescriptorTail[1] = 0;
    overview->DescriptorTail[2] = 1;
    overview->ImageType = kImageTypeFile;
    overview->ValidationResult = kNotValidated;
    std::snprintf(overview->Name, sizeof overview->Name, "%s", fileName);
    std::snprintf(overview->Path, sizeof overview->Path, "%s", fileName);

    ImageIndex* index = new ImageIndex();
    status = GetImageIndex(trace, *overview, index);
    int32_t capacity = index->DiskCapacity;
    delete index;
    if (status.code != 0) return status;

    if (sizeCheck == 1 && capacity != kEmuImageSize) {
        overview->ValidationResult = kWrongImageSize;
    } else {
        status = GetEmuIIBankBasicDetails(trace, *overview, header);
        if (status.code == 0) {
            overview->ValidationResult = kUsableEmuImage;
        } else if (status.code >= kFirstHeaderCheckCode && status.code <= kLastHeaderCheckCode) {
            overview->ValidationResult = static_cast<uint8_t>(status.code - kHeaderCheckResultOffset);
            status = InitStatusRecord();
        } else {
            return status;
        }
    }
    TraceEnd(trace, "ValidateImage");
    return status;
}

StatusRecord ReadImageData(int8_t trace, ImageOverview overview, int32_t first, int32_t last,
                           uint8_t* buffer) {
    TraceEnter(trace, "ReadImageData");
    FileHandle file;
    if (!OpenForReadingUnshared(overview.Path, &file))
        return MakeStatus(9, 'E', "Problem opening file %s. Error is %u.", overview.Path, LastSystemError());
    if (!MoveFilePosition(file, first)) {
        StatusRecord status = MakeStatus(12, 'E', "Problem positioning file read %s. Error is %u.",
                                         overview.Path, LastSystemError());
        CloseFile(file);
        return status;
    }
    // An empty or reversed range reads nothing.
    uint32_t wanted = last >= first ? static_cast<uint32_t>(last - first + 1) : 0;
    uint32_t delivered = 0;
    bool readOk = wanted == 0 || ReadFromFile(file, buffer, wanted, &delivered);
    TraceLine(trace, kTraceDetails, "just read %d bytes -- returncode = %d -- lasterror = %d\n",
              static_cast<int32_t>(delivered), readOk ? 1 : 0, static_cast<int32_t>(LastSystemError()));
    // A read that stops early inside the file has failed as surely as one that reports it: the
    // bytes it left out would otherwise pass for the file's contents. Such a read carries no error
    // number of its own. Stopping at the end of the file is no failure.
    const bool endedInside = readOk && delivered < wanted && !RangeRunsPastEnd(file, first, wanted);
    if (!readOk || endedInside) {
        StatusRecord status = MakeStatus(11, 'E', "Problem reading file %s. Error is %u.", overview.Path,
                                         readOk ? 0u : LastSystemError());
        CloseFile(file);
        return status;
    }
    CloseFile(file);
    TraceEnd(trace, "ReadImageData");
    return InitStatusRecord();
}
