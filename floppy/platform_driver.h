// The floppy driver of the system the programs run on: the FDRAWCMD driver on Windows
// (platform/win32/floppy_driver.cpp), the kernel floppy driver on Linux
// (platform/posix/floppy_driver.cpp). Other systems get a driver that reports itself missing.
#pragma once

#include "floppy/driver.h"

// The one driver object of the program; it lives until the program ends, and so do the drives it
// opens.
FloppyDriver& PlatformFloppyDriver();
