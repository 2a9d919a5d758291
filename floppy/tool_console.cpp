#include "floppy/tool_console.h"

#include <cstdio>
#include <cstring>

#include "common/trace.h"
#include "floppy/access.h"
#include "platform/console.h"

namespace {

constexpr const char* kDriveArguments[] = {"a:", "A:", "b:", "B:"};
constexpr int32_t kRulerDashes = 40;

}  // namespace

bool IsDriveArgument(const char* argument) {
    for (const char* accepted : kDriveArguments)
        if (std::strcmp(argument, accepted) == 0) return true;
    return false;
}

bool StartFloppyTool(const char* banner, const char* const* usageLines, int32_t usageLineCount, int argc,
                     const char* const* argv, int32_t arguments) {
    ClearConsole();
    std::fputs(banner, stdout);
    if (argc > arguments && IsDriveArgument(argv[1])) return true;
    for (int32_t line = 0; line < usageLineCount; ++line) std::fputs(usageLines[line], stdout);
    WaitForKey();
    return false;
}

void StartProgress() {
    std::printf("\n0");
    for (int32_t dash = 0; dash < kRulerDashes; ++dash) std::putchar('-');
    std::printf("100\n");
    std::putchar('|');
    std::fflush(stdout);
}

void ShowTrackProgress(int32_t cylinder, int32_t head) {
    if (head != 0 || cylinder % 2 != 0) return;
    std::putchar('|');
    std::fflush(stdout);
}

StatusRecord MoveToTrack(int8_t trace, FloppyDriver& driver, FloppyHandle handle, int32_t cylinder,
                         int32_t head, const char* activity) {
    ShowTrackProgress(cylinder, head);
    StatusRecord status = SeekFloppy(trace, driver, handle, head, cylinder);
    if (status.code == 0) TraceLine(trace, kTraceCalls, "%s track %d %d\n", activity, head, cylinder);
    return status;
}

void EndProgress() {
    std::printf("|||\n\n");
}

void FinishFloppyTool(StatusRecord status) {
    if (status.code != 0) {
        ReportFloppyStatus(status);
        return;
    }
    std::printf("Press a key...\n");
    WaitForKey();
}

StatusRecord PrepareDrive(int8_t trace, FloppyDriver& driver, const char* drive, FloppyHandle* handle) {
    StatusRecord status = OpenFloppy(trace, driver, drive, handle);
    if (status.code != 0) return status;
    return ResetFloppy(trace, driver, *handle);
}
