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

// Checks size and identification of the open DPX file.
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

// Copies the data sectors of every track from the DPX file to the temporary file.
StatusRecord CopyDataSpace(FileHandle dpx, FileHandle temporary, const char* dpxPath,
                           const char* temporaryPath, std::vector<uint8_t>& track) {
    for (int32_t trackImage = 0; trackImage < kDpxTrackCount; ++trackImage) {
        uint32_t error = 0;
        if (!ReadExactly(dpx, track.data(), kDpxTrackSize, &error))
            return MakeStatus(11007, 'E', "Problem reading file %s. Error is %u.", dpxPath, error);
        uint32_t written = 0;
        bool ok = WriteToFile(temporary, track.data(), kDpxTrackDataSize, &written);
        if (!ok || written != static_cast<uint32_t>(kDpxTrackDataSize))
            return MakeStatus(11008, 'E', "Problem writing file %s. Error is %u.", temporaryPath,
                              ok ? 0u : LastSystemError());
    }
    return InitStatusRecord();
}

}  // namespace

StatusRecord CreateTemporaryImage(int8_t trace, const char* dpxPath, const char* temporaryPath) {
    TraceEnter(trace, "CreateTemporaryImage");
    std::vector<uint8_t> track(kDpxTrackSize);
    FileHandle dpx;
    if (!OpenForReadingUnshared(dpxPath, &dpx)) return MakeOpenFailure(11002, dpxPath, LastSystemError());
    StatusRecord status = CheckDpxFile(dpx, dpxPath, track);
    CloseFile(dpx);
    if (status.code != 0) return status;

    // Opened again so that the copy starts at the first track.
    if (!OpenForReadingUnshared(dpxPath, &dpx)) return MakeOpenFailure(11005, dpxPath, LastSystemError());
    FileHandle temporary;
    if (!CreateForWritingUnshared(temporaryPath, &temporary)) {
        status = MakeOpenFailure(11006, temporaryPath, LastSystemError());
        CloseFile(dpx);
        return status;
    }
    status = CopyDataSpace(dpx, temporary, dpxPath, temporaryPath, track);
    CloseFile(temporary);
    CloseFile(dpx);
    if (status.code != 0) return status;
    TraceEnd(trace, "CreateTemporaryImage");
    return status;
}
