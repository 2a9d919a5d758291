#include "common/status.h"

#include <cstdarg>
#include <cstdio>

#include "platform/console.h"
#include "platform/files.h"

StatusRecord InitStatusRecord() {
    StatusRecord status;
    status.code = 0;
    status.severity = ' ';
    status.message[0] = '\0';
    return status;
}

StatusRecord MakeStatus(int32_t code, char severity, const char* format, ...) {
    StatusRecord status = InitStatusRecord();
    status.code = code;
    status.severity = severity;
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(status.message, sizeof status.message, format, arguments);
    va_end(arguments);
    return status;
}

StatusRecord MakeOpenFailure(int32_t code, const char* path, uint32_t error) {
    if (error == kSharingViolation)
        return MakeStatus(code, 'E', "File %s is probably in use by another program. Error is %u.", path,
                          error);
    return MakeStatus(code, 'E', "Problem opening file %s. Error is %u.", path, error);
}

const char* SeverityWord(char severity) {
    switch (severity) {
        case 'F':
            return "FATAL";
        case 'W':
            return "WARNING";
        default:
            return "ERROR";
    }
}

void ReportStatus(StatusRecord status, int32_t waitForKey) {
    std::printf("%s: %s (%d)\n", SeverityWord(status.severity), status.message, status.code);
    if (waitForKey == 1) {
        std::printf("\nPress a key...\n");
        WaitForKey();
    }
}
