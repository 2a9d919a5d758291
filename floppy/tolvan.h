// TOLVAN: writes an image file of a DPX-1 disk onto a DPX-1 floppy disk in drive A: or B:.
#pragma once

#include "floppy/driver.h"

// Runs the whole program on its command line against the driver; always returns the exit code 0.
int RunTolvan(int argc, const char* const* argv, FloppyDriver& driver);
