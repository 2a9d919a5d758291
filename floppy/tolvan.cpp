#include "floppy/tolvan.h"

#include <cstdio>
#include <vector>

#include "common/status.h"
#include "common/trace.h"
#include "floppy/access.h"
#include "floppy/layout.h"
#include "floppy/sectors.h"
#include "floppy/tool_console.h"
#include "platform/files.h"

namespace {

constexpr const char* kBanner = "* * * OBERHEIM DPX DISK WRITE UTILITY V01.02.4 * * *\n\n";

constexpr const char* kUsageLines[] = {
    "\n",
    "ERROR: incorrect parameter list\n\n",
    "USAGE: TOLVAN <drive:> <inputfile>\n",
    " e.g.: TOLVAN A: MYFILE.IMG\n\n",
    "NOTES: - only drives A and B are supported.\n",
    "       - put filename between \" \" if it contains spaces.\n\n",
    "Press a key...\n",
};
constexpr int32_t kUsageLineCount = sizeof kUsageLines / sizeof kUsageLines[0];

// Reads the first 901,120 bytes of the input file; anything after them is ignored. A shorter file is
// refused here, before the disk is touched, so that it never ends up half overwritten.
StatusRecord LoadImage(const char* fileName, std::vector<uint8_t>* image) {
    FileHandle file;
    if (!OpenForReadingUnshared(fileName, &file))
        return MakeStatus(9, 'E', "Input file %s can not be opened.", fileName);
    image->assign(kDiskBytes, 0);
    // A read that fails counts as one that ends early: the image is not there in full.
    uint32_t error = 0;
    const bool complete = ReadExactly(file, image->data(), kDiskBytes, &error);
    CloseFile(file);
    if (!complete)
        return MakeStatus(12, 'E', "Inputfile has wrong size - it's probably not an Oberheim DPX diskimage.");
    return InitStatusRecord();
}

// Writes the 160 tracks in image order, showing the progress bar.
StatusRecord WriteDisk(int8_t trace, FloppyDriver& driver, const char* drive, const uint8_t* image) {
    FloppyHandle handle;
    StatusRecord status = PrepareDrive(trace, driver, drive, &handle);
    if (status.code != 0) return status;

    StartProgress();
    for (int32_t cylinder = 0; cylinder < kCylinders; ++cylinder) {
        for (int32_t head = 0; head < kHeads; ++head) {
            status = MoveToTrack(trace, driver, handle, cylinder, head, "Writing");
            if (status.code != 0) return status;
            uint32_t transferred = 0;
            status = WriteTrack(trace, driver, handle, head, cylinder, image + TrackOffset(cylinder, head),
                                &transferred);
            if (status.code != 0) return status;
        }
    }
    EndProgress();
    return status;
}

}  // namespace

int RunTolvan(int argc, const char* const* argv, FloppyDriver& driver) {
    const int8_t trace = kProgramTraceLevel;
    if (!StartFloppyTool(kBanner, kUsageLines, kUsageLineCount, argc, argv, 2)) return 0;
    const char* drive = argv[1];
    const char* fileName = argv[2];
    std::printf("Writing file %s to OBERHEIM DPX Disk in drive %s...\n", fileName, drive);

    std::vector<uint8_t> image;
    StatusRecord status = LoadImage(fileName, &image);
    if (status.code == 0) status = WriteDisk(trace, driver, drive, image.data());
    FinishFloppyTool(status);
    return 0;
}
