#include "floppy/nimrose.h"

#include <cstdio>

#include "common/status.h"
#include "common/trace.h"
#include "floppy/access.h"
#include "floppy/format_track.h"
#include "floppy/layout.h"
#include "floppy/tool_console.h"

namespace {

constexpr const char* kBanner = "* * * OBERHEIM DPX DISK FORMAT UTILITY V01.02.4 * * *\n\n";

constexpr const char* kUsageLines[] = {
    "\n",
    "ERROR: incorrect parameter list\n\n",
    "USAGE: NIMROSE <drive:>\n",
    " e.g.: NIMROSE A:\n\n",
    "NOTE:  only drives A and B are supported.\n\n",
    "Press a key...\n",
};
constexpr int32_t kUsageLineCount = sizeof kUsageLines / sizeof kUsageLines[0];

// Formats and writes the 160 tracks in image order, showing the progress bar.
StatusRecord FormatDisk(int8_t trace, FloppyDriver& driver, const char* drive) {
    FloppyHandle handle;
    StatusRecord status = PrepareDrive(trace, driver, drive, &handle);
    if (status.code != 0) return status;

    StartProgress();
    for (int32_t cylinder = 0; cylinder < kCylinders; ++cylinder) {
        for (int32_t head = 0; head < kHeads; ++head) {
            status = MoveToTrack(trace, driver, handle, cylinder, head, "Formatting");
            if (status.code != 0) return status;
            status = FormatTrack(trace, driver, handle, head, cylinder);
            if (status.code != 0) return status;
        }
    }
    EndProgress();
    return status;
}

}  // namespace

int RunNimrose(int argc, const char* const* argv, FloppyDriver& driver) {
    const int8_t trace = kProgramTraceLevel;
    if (!StartFloppyTool(kBanner, kUsageLines, kUsageLineCount, argc, argv, 1)) return 0;
    const char* drive = argv[1];
    std::printf("Formatting OBERHEIM DPX Disk in drive %s...\n", drive);

    const StatusRecord status = FormatDisk(trace, driver, drive);
    FinishFloppyTool(status);
    return 0;
}
