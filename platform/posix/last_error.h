// The error number that LastSystemError reports, kept by the POSIX implementation.
#pragma once

#include <cstdint>

void RecordSystemError(uint32_t error);
void RecordErrno();
