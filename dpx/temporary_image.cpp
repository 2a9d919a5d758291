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
    if (!HasDpxIdentification(track.data()))
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

// The refusal of a temporary image name that is taken: the DPX image itself under that name
// (11016), or a file this run did not make (11015); either is left as it is.
StatusRecord TemporaryNameTaken(FileHandle dpx, const char* dpxPath, const char* temporaryPath) {
    PathKind kind = PathKind::kMissing;
    FileIdentity existing;
    FileIdentity input;
    if (QueryPathKind(temporaryPath, &kind, &existing) && QueryOpenFileIdentity(dpx, &input) &&
        kind == PathKind::kRegularFile && SameFile(existing, input))
        return MakeStatus(11016, 'E', "The input file %s is the temporary image of MORVEX.", dpxPath);
    return MakeStatus(11015, 'E',
                      "A file %s that MORVEX did not make is in the way; %s has not been converted.",
                      temporaryPath, dpxPath);
}

}  // namespace

bool HasDpxIdentification(const uint8_t* firstTrack) {
    return std::memcmp(firstTrack + kMakerNameOffset, kMakerName, kMakerNameLength) == 0;
}

StatusRecord CreateTemporaryImage(int8_t trace, const char* dpxPath, TemporaryImage* temporary,
                                  uint8_t* fileSystemBlock) {
    TraceEnter(trace, "CreateTemporaryImage");
    std::vector<uint8_t> image(kDpxImageSize);
    FileHandle dpx;
    if (!OpenForReadingUnshared(dpxPath, &dpx)) return MakeOpenFailure(11002, dpxPath, LastSystemError());
    StatusRecord status = CheckDpxFile(dpx, dpxPath, image);
    if (status.code == 0) status = ReadRemainingTracks(dpx, dpxPath, image);
    if (status.code != 0) {
        CloseFile(dpx);
        return status;
    }
    if (fileSystemBlock != nullptr)
        std::memcpy(fileSystemBlock, image.data() + kDpxFileSystemOffset, kDpxFileSystemSize);

    FileHandle file;
    if (!CreateExclusively(temporary->path, &file)) {
        const uint32_t error = LastSystemError();
        status = IsAlreadyExistsError(error) ? TemporaryNameTaken(dpx, dpxPath, temporary->path)
                                             : MakeOpenFailure(11006, temporary->path, error);
        CloseFile(dpx);
        return status;
    }
    CloseFile(dpx);
    // The file is this run's from here on. Without its identity it could not be told apart from
    // one that takes its name later: it is removed at once, while it is surely this run's.
    if (!QueryOpenFileIdentity(file, &temporary->identity)) {
        status = MakeOpenFailure(11006, temporary->path, LastSystemError());
        CloseFile(file);
        DeleteNamedFile(temporary->path);
        return status;
    }
    temporary->created = true;
    status = WriteDataSpace(file, temporary->path, image);
    CloseFile(file);
    if (status.code != 0) return status;
    TraceEnd(trace, "CreateTemporaryImage");
    return status;
}

StatusRecord CreateTemporaryImage(int8_t trace, const char* dpxPath, const char* temporaryPath,
                                  uint8_t* fileSystemBlock) {
    TemporaryImage temporary{temporaryPath, false, {}};
    return CreateTemporaryImage(trace, dpxPath, &temporary, fileSystemBlock);
}

void RemoveTemporaryImage(TemporaryImage* temporary) {
    if (!temporary->created) return;
    PathKind kind = PathKind::kMissing;
    FileIdentity current;
    if (!QueryPathKind(temporary->path, &kind, &current)) return;
    if (kind == PathKind::kRegularFile && SameFile(current, temporary->identity) &&
        !DeleteNamedFile(temporary->path))
        return;
    temporary->created = false;
}
