#include "platform/win32/last_error.h"

#include <windows.h>

#include "platform/files.h"

namespace {
uint32_t g_lastError = 0;
}

void RecordSystemError(uint32_t error) {
    g_lastError = error;
}

void RecordLastError() {
    g_lastError = GetLastError();
}

uint32_t LastSystemError() {
    return g_lastError;
}
