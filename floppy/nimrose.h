// NIMROSE: formats a floppy disk in drive A: or B: with the DPX-1 track layout, fills it with zeros
// and writes the identification block of an empty DPX-1 disk.
#pragma once

#include "floppy/driver.h"

// Runs the whole program on its command line against the driver; always returns the exit code 0.
int RunNimrose(int argc, const char* const* argv, FloppyDriver& driver);
