// The candidate list of a batch run and the existence test of a file.
#pragma once

#include <cstdint>

#include "common/status.h"
#include "eii/image_overview.h"

// Fills the list that starts at first (made by the caller with InitImageOverview) with every
// visible regular file of the current folder, in listing order, and sets *count. Code 750 when
// the folder cannot be searched (the count is then not set).
StatusRecord GetFileOverview(int8_t trace, ImageOverview* first, int32_t* count);

// 0 when the named file (or folder) exists, 1 when it does not.
int32_t FileExists(int8_t trace, const char* fileName);
