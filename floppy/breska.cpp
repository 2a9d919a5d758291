#include "floppy/breska.h"

#include <array>
#include <cstdio>
#include <string>

#include "common/safe_output.h"
#include "common/status.h"
#include "common/trace.h"
#include "floppy/access.h"
#include "floppy/layout.h"
#include "floppy/sectors.h"
#include "floppy/tool_console.h"
#include "platform/files.h"

namespace {

constexpr const char* kBanner = "* * * OBERHEIM DPX DISK READ UTILITY V01.02.4 * * *\n\n";

constexpr const char* kUsageLines[] = {
    "\n",
    "ERROR: incorrect parameter list\n\n",
    "USAGE: BRESKA <drive:> <outputfile>\n",
    " e.g.: BRESKA A: MYFILE.IMG\n\n",
    "NOTES: - only drives A and B are supported.\n",
    "       - put filename between \" \" if it contains spaces.\n\n",
    "Press a key...\n",
};
constexpr int32_t kUsageLineCount = sizeof kUsageLines / sizeof kUsageLines[0];

StatusRecord OutputNotWritten() {
    return MakeStatus(13, 'E', "Output file can not be written.");
}

// Appends one track. Each track goes to the file as it is read, so that a disk that is full shows
// at the track where it happens: the write fails or takes fewer bytes.
bool AppendTrack(SafeOutput* output, const uint8_t* track) {
    return AppendToSafeOutput(output, track, kTrackBytes).ok;
}

// Reads the 160 tracks in image order and appends each to the new file, showing the progress bar.
// *tracksRead counts the tracks in the file.
StatusRecord ReadDisk(int8_t trace, FloppyDriver& driver, const char* drive, SafeOutput* output,
                      int32_t* tracksRead) {
    FloppyHandle handle;
    StatusRecord status = PrepareDrive(trace, driver, drive, &handle);
    if (status.code != 0) return status;

    StartProgress();
    std::array<uint8_t, kTrackBytes> track{};
    for (int32_t cylinder = 0; cylinder < kCylinders; ++cylinder) {
        for (int32_t head = 0; head < kHeads; ++head) {
            status = MoveToTrack(trace, driver, handle, cylinder, head, "Reading");
            if (status.code != 0) return status;
            uint32_t transferred = 0;
            status = ReadTrack(trace, driver, handle, head, cylinder, track.data(), &transferred);
            if (status.code != 0) return status;
            if (!AppendTrack(output, track.data())) return OutputNotWritten();
            ++*tracksRead;
        }
    }
    EndProgress();
    return status;
}

// The output name must be free or a regular file: a device, fifo, folder or a link that leads
// nowhere is refused before the drive is touched, and left as it is. *existed tells whether a
// file of that name is there.
StatusRecord CheckOutputFile(const char* fileName, bool* existed) {
    PathKind kind = PathKind::kMissing;
    FileIdentity identity;
    if (!QueryPathKind(fileName, &kind, &identity))
        return MakeStatus(15, 'E', "Output file %s can not be examined. Error is %u.", fileName,
                          LastSystemError());
    if (kind == PathKind::kNotRegular || kind == PathKind::kDanglingLink)
        return MakeStatus(14, 'E', "Output file %s is not a regular file and has been left as it is.",
                          fileName);
    *existed = kind == PathKind::kRegularFile;
    return InitStatusRecord();
}

// A complete image takes the output's name, replacing an older file only now.
StatusRecord PutImageInPlace(SafeOutput* output, const char* fileName) {
    OutputOutcome outcome = CloseSafeOutput(output);
    if (!outcome.ok)
        return MakeStatus(16, 'E', "Output file can not be stored on the disk. Error is %u.",
                          outcome.systemError);
    outcome = PlaceSafeOutput(output, fileName, ExistingName::kReplace);
    if (!outcome.ok)
        return MakeStatus(17, 'E', "Output file can not be put in place. Error is %u.", outcome.systemError);
    return InitStatusRecord();
}

// After a failure the tracks read so far are kept: under the output's name when it was free, as
// the salvage of a new disk image; beside an older file of that name, which stays as it was, as
// "<name>.partial" (or the new file's own name when that is taken too), which is reported. Without
// any track read beside an older file there is nothing to keep.
void KeepTracksRead(SafeOutput* output, const char* fileName, bool existed, int32_t tracksRead) {
    if (existed && tracksRead == 0) {
        DiscardSafeOutput(output);
        return;
    }
    if (output->open) CloseSafeOutput(output);
    if (!existed && PlaceSafeOutput(output, fileName, ExistingName::kKeep).ok) return;
    const std::string partial = std::string(fileName) + ".partial";
    if (PlaceSafeOutput(output, partial.c_str(), ExistingName::kKeep).ok) {
        std::printf("\nThe tracks read so far are kept in file %s.\n", partial.c_str());
        return;
    }
    std::printf("\nThe tracks read so far are kept in file %s.\n", output->temporaryPath.c_str());
}

}  // namespace

int RunBreska(int argc, const char* const* argv, FloppyDriver& driver) {
    const int8_t trace = kProgramTraceLevel;
    if (!StartFloppyTool(kBanner, kUsageLines, kUsageLineCount, argc, argv, 2)) return 0;
    const char* drive = argv[1];
    const char* fileName = argv[2];
    std::printf("Reading OBERHEIM DPX Disk in drive %s to file %s...\n", drive, fileName);

    bool existed = false;
    StatusRecord status = CheckOutputFile(fileName, &existed);
    SafeOutput output;
    if (status.code == 0 && !StartSafeOutput(fileName, &output).ok)
        status = MakeStatus(9, 'E', "Output file can not be opened.");
    if (status.code != 0) {
        ReportFloppyStatus(status);
        return 0;
    }
    int32_t tracksRead = 0;
    status = ReadDisk(trace, driver, drive, &output, &tracksRead);
    if (status.code == 0) status = PutImageInPlace(&output, fileName);
    if (status.code != 0) KeepTracksRead(&output, fileName, existed, tracksRead);
    FinishFloppyTool(status);
    return 0;
}
