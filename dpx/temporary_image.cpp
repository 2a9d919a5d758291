#include "dpx/temporary_image.h"

#include <cstring>
#include <vector>

#include "common/trace.h"
#include "dpx/layout.h"
#include "platform/files.h"

namespace {

// The identification text of the file-system block holds the maker's name at block offsets
// 8..15 (image offsets 5,128..5,135).
constexpr int32_t kMakerNameOffset = 5128;
constexpr char kMakerName[] = "Oberheim";
constexpr int32_t kMakerNameLength = 8;

// Checks size and identification of the open DPX file, reading its first track into the image.
StatusRecord CheckDpxFile(FileHandle file, const char* dpxPath, std::vector<uint8_t>& track) {
    uint32_t low = 0;
    uint32_t high = 0;
    if (!QueryFileSize(file, &low, &high))
        return MakeStatus(11000, 'E', "Problem reading size of file %s. Error is %u.", dpxPath,
                          LastSystemError());
    if (high != 0 || low != static_cast<uint32_t>(kDpxImageSize))
        return MakeStatus(11001, 'W', "%s is not a DPX file (wrong size)", dpxPath);
    uint32_t error = 0;
    if (!ReadExactly(file, track.data(), kDpxTrackSize, &error))
        return MakeStatus(11003, 'E', "Problem reading file %s. Error is %u.", dpxPath, error);
    if (std::memcmp(&track[kMakerNameOffset], kMakerName, kMakerNameLength) != 0)
        return MakeStatus(11004, 'E', "File %s is not a DPX file (wrong ID)", dpxPath);
    return InitStatusRecord();
}

// Reads the tracks after the first, already read, in one piece: with it the whole image is held.
StatusRecord ReadRemainingTracks(FileHandle dpx, const char* dpxPath, std::vector<uint8_t>& image) {
    uint32_t error = 0;
    if (!ReadExactly(dpx, image.data() + kDpxTrackSize, kDpxImageSize - kDpxTrackSize, &error))
        return MakeStatus(11007, 'E', "Problem reading file %s. Error is %u.", dpxPath, error);
    return InitStatusRecord();
}

// Moves the data sectors of every track together at the start of the image, so that they form the
// data space, and writes it in one piece. The file-system block is overwritten by the move.
StatusRecord WriteDataSpace(FileHandle temporary, const char* temporaryPath, std::vector<uint8_t>& image) {
    for (int32_t trackImage = 1; trackImage < kDpxTrackCount; ++trackImage)
        std::memmove(image.data() + trackImage * kDpxTrackDataSize, image.data() + trackImage * kDpxTrackSize,
                     kDpxTrackDataSize);
    uint32_t written = 0;
    const bool ok = WriteToFile(temporary, image.data(), kDpxDataSpaceSize, &written);
    if (!ok || written != static_cast<uint32_t>(kDpxDataSpaceSize))
        return MakeStatus(11008, 'E', "Problem writing file %s. Error is %u.", temporaryPath,
                          ok ? 0u : LastSystemError());
    return InitStatusRecord();
}

}  // namespace

StatusRecord CreateTemporaryImage(int8_t trace, const char* dpxPath, const char* temporaryPath,
                                  uint8_t* fileSystemBlock) {
    TraceEnter(trace, "CreateTemporaryImage");
    std::vector<uint8_t> image(kDpxImageSize);
    FileHandle dpx;
    if (!OpenForReadingUnshared(dpxPath, &dpx)) return MakeOpenFailure(11002, dpxPath, LastSystemError());
    StatusRecord status = CheckDpxFile(dpx, dpxPath, image);
    if (status.code == 0) status = ReadRemainingTracks(dpx, dpxPath, image);
    CloseFile(dpx);
    if (status.code != 0) return status;
    if (fileSystemBlock != nullptr)
        std::memcpy(fileSystemBlock, image.data() + kDpxFileSystemOffset, kDpxFileSystemSize);

    FileHandle temporary;
    if (!CreateForWritingUnshared(temporaryPath, &temporary))
        return MakeOpenFailure(11006, temporaryPath, LastSystemError());
    status = WriteDataSpace(temporary, temporaryPath, image);
    CloseFile(temporary);
    if (status.code != 0) return status;
    TraceEnd(trace, "CreateTemporaryImage");
    return status;
}
