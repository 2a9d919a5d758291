#include "platform/posix/last_error.h"

#include <cerrno>

#include "platform/files.h"

namespace {
uint32_t g_lastError = 0;
}

void RecordSystemError(uint32_t error) {
    g_lastError = error;
}

void RecordErrno() {
    g_lastError = static_cast<uint32_t>(errno);
}

uint32_t LastSystemError() {
    return g_lastError;
}
