// VELTRA: converts Emulator II disk images (.EII) into DPX-1 disk images (.DPX).
#pragma once

// Runs the whole program on its command line; always returns the exit code 0.
int RunVeltra(int argc, const char* const* argv);
