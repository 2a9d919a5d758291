// The error number that LastSystemError reports, kept by the Win32 implementation.
#pragma once

#include <cstdint>

void RecordSystemError(uint32_t error);
// Records GetLastError().
void RecordLastError();
