#include "floppy/breska.h"

#include <array>
#include <cstdio>

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
bool AppendTrack(FileHandle file, const uint8_t* track) {
    uint32_t written = 0;
    return WriteToFile(file, track, kTrackBytes, &written) && written == static_cast<uint32_t>(kTrackBytes);
}

// Reads the 160 tracks in image order and appends each to the file, showing the progress bar.
StatusRecord ReadDisk(int8_t trace, FloppyDriver& driver, const char* drive, FileHandle file) {
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
            if (!AppendTrack(file, track.data())) return OutputNotWritten();
        }
    }
    EndProgress();
    return status;
}

}  // namespace

int RunBreska(int argc, const char* const* argv, FloppyDriver& driver) {
    const int8_t trace = kProgramTraceLevel;
    if (!StartFloppyTool(kBanner, kUsageLines, kUsageLineCount, argc, argv, 2)) return 0;
    const char* drive = argv[1];
    const char* fileName = argv[2];
    std::printf("Reading OBERHEIM DPX Disk in drive %s to file %s...\n", drive, fileName);

    FileHandle file;
    if (!CreateForWritingUnshared(fileName, &file)) {
        ReportFloppyStatus(MakeStatus(9, 'E', "Output file can not be opened."));
        return 0;
    }
    const StatusRecord status = ReadDisk(trace, driver, drive, file);
    // Whatever happened, the tracks read so far stay in the file.
    CloseFile(file);
    FinishFloppyTool(status);
    return 0;
}
