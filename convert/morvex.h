// MORVEX: converts DPX-1 disk images that carry an Emulator II bank (.DPX) back into Emulator II
// disk images (.EII).
#pragma once

// Runs the whole program on its command line; always returns the exit code 0.
int RunMorvex(int argc, const char* const* argv);
