// BRESKA: reads a DPX-1 floppy disk in drive A: or B: into an image file of 901,120 bytes.
#pragma once

#include "floppy/driver.h"

// Runs the whole program on its command line against the driver; always returns the exit code 0.
int RunBreska(int argc, const char* const* argv, FloppyDriver& driver);
