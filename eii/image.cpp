#include "eii/image.h"

#include <cstdio>
#include <cstring>
#include <new>

#include "common/trace.h"
#include "eii/bank_header.h"
#include "platform/files.h"

namespace {

// The header checks whose failure means "not an Emulator II image": the validation result is
// the status code minus this offset (567 gives 60 ... 572 gives 65).
constexpr int32_t kFirstHeaderCheckCode = 567;
constexpr int32_t kLastHeaderCheckCode = 572;
constexpr int32_t kHeaderCheckResultOffset = 507;

// The failures of reading an image file, whether a range or the whole file.
constexpr int32_t kImageOpenCode = 9;
constexpr int32_t kImageReadCode = 11;
constexpr int32_t kImagePositionCode = 12;

StatusRecord ImageOpenFailure(const char* path, uint32_t error) {
    return MakeStatus(kImageOpenCode, 'E', "Problem opening file %s. Error is %u.", path, error);
}

StatusRecord ImageReadFailure(const char* path, uint32_t error) {
    return MakeStatus(kImageReadCode, 'E', "Problem reading file %s. Error is %u.", path, error);
}

// True when the open file ends before the range does, so that a read of the range stops early at
// the end of the file. A size that cannot be read counts as a file that holds the range.
bool RangeRunsPastEnd(FileHandle file, int32_t first, uint32_t wanted) {
    uint32_t low = 0;
    uint32_t high = 0;
    if (!QueryFileSize(file, &low, &high)) return false;
    const uint64_t size = (static_cast<uint64_t>(high) << 32) | low;
    return static_cast<uint64_t>(first) + wanted > size;
}

// Reads the whole file of size bytes into the contents. A file too large to hold, or memory that
// runs out, leaves the contents empty: the file is then read range by range, as it would be
// without them.
StatusRecord ReadWholeImage(int8_t trace, const ImageOverview& overview, int32_t size,
                            ImageContents* contents) {
    if (size < 0 || size > kLargestImageHeld) return InitStatusRecord();
    uint8_t* bytes = new (std::nothrow) uint8_t[static_cast<size_t>(size)];
    if (bytes == nullptr) return InitStatusRecord();
    FileHandle file;
    if (!OpenForReadingUnshared(overview.Path, &file)) {
        delete[] bytes;
        return ImageOpenFailure(overview.Path, LastSystemError());
    }
    uint32_t error = 0;
    const bool readOk = size == 0 || ReadExactly(file, bytes, static_cast<uint32_t>(size), &error);
    TraceLine(trace, kTraceDetails, "just read %d bytes -- returncode = %d -- lasterror = %d\n", size,
              readOk ? 1 : 0, static_cast<int32_t>(error));
    CloseFile(file);
    if (!readOk) {
        delete[] bytes;
        return ImageReadFailure(overview.Path, error);
    }
    contents->Bytes = bytes;
    contents->Size = size;
    return InitStatusRecord();
}

// ReadImageData from the file: opened, positioned and read for this range alone.
StatusRecord ReadRangeFromFile(int8_t trace, const ImageOverview& overview, int32_t first, int32_t last,
                               uint8_t* buffer) {
    FileHandle file;
    if (!OpenForReadingUnshared(overview.Path, &file))
        return ImageOpenFailure(overview.Path, LastSystemError());
    if (!MoveFilePosition(file, first)) {
        StatusRecord status =
            MakeStatus(kImagePositionCode, 'E', "Problem positioning file read %s. Error is %u.",
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
    StatusRecord status = InitStatusRecord();
    if (!readOk || endedInside) status = ImageReadFailure(overview.Path, readOk ? 0u : LastSystemError());
    CloseFile(file);
    return status;
}

// ReadImageData from the bytes held: the part of the range inside the file is copied, the rest
// of the buffer keeps what it held, as a read past the end of the file leaves it.
void ReadRangeFromContents(int8_t trace, const ImageContents& contents, int32_t first, int32_t last,
                           uint8_t* buffer) {
    const int32_t end = last < contents.Size - 1 ? last : contents.Size - 1;
    const int32_t delivered = end >= first ? end - first + 1 : 0;
    if (delivered > 0) std::memcpy(buffer, contents.Bytes + first, static_cast<size_t>(delivered));
    TraceLine(trace, kTraceDetails, "just read %d bytes -- returncode = %d -- lasterror = %d\n", delivered, 1,
              0);
}

}  // namespace

void FreeImageContentsMem(ImageContents* contents) {
    delete[] contents->Bytes;
    contents->Bytes = nullptr;
    contents->Size = 0;
}

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
        if (overview->Contents != nullptr) {
            FreeImageContentsMem(overview->Contents);
            status = ReadWholeImage(trace, *overview, capacity, overview->Contents);
            if (status.code != 0) return status;
        }
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
    // A range before the start of the file is left to the file's own positioning to refuse.
    const ImageContents* contents = overview.Contents;
    if (contents != nullptr && contents->Bytes != nullptr && first >= 0) {
        ReadRangeFromContents(trace, *contents, first, last, buffer);
    } else {
        StatusRecord status = ReadRangeFromFile(trace, overview, first, last, buffer);
        if (status.code != 0) return status;
    }
    TraceEnd(trace, "ReadImageData");
    return InitStatusRecord();
}
