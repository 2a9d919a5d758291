// The floppy driver of the system the programs run on: the FDRAWCMD driver on Windows
// (platform/win32/floppy_driver.cpp), the kernel floppy driver on Linux
// (platform/posix/floppy_driver.cpp). Other systems get a driver that reports itself missing.
#pragma once

#include "floppy/driver.h"

// The one driver object of the program; it lives until the program ends, and so do the drives it
// opens.
FloppyDriver& PlatformFloppyDriver();

// The driver a floppy program works with, chosen once from its command line and environment: the
// emulated drive and controller of flux/controller.h on an HFE image file when the variable
// DPX_DRIVE_A (DPX_DRIVE_B for drive B:) names one, turning at DPX_DRIVE_RPM (300 when not set);
// the system's driver otherwise. A file that does not exist is a blank disk. A file that cannot be
// used, or a speed that makes no sense, gives a driver that reports why as soon as it is opened.
FloppyDriver& ProgramFloppyDriver(int argc, const char* const* argv);
// Ends the program's use of its driver: an emulated disk that was written to is saved to its file,
// whole or not at all, also after a failure. Prints a line when the file cannot be written.
void EndProgramFloppyDriver();
