// The floppy access layer that BRESKA, TOLVAN and NIMROSE share: opening a drive, resetting the
// controller, seeking, and the console report of a failure. Every operation takes the trace level
// first and the driver that reaches the controller second.
#pragma once

#include <cstdint>

#include "common/status.h"
#include "floppy/driver.h"

// Lowest driver version accepted, in the version's high 16 bits.
constexpr uint32_t kLowestDriverVersion = 0x0100;

// Checks the driver, opens the drive named by drive ("A:" or "B:", either case) and sets the DPX-1
// data rate. Codes: 2 no driver, or one that refuses controller commands; 3 driver too old; 6 drive
// cannot be opened or does not answer; 7 data rate refused.
StatusRecord OpenFloppy(int8_t trace, FloppyDriver& driver, const char* drive, FloppyHandle* handle);

// Resets the controller and recalibrates the drive twice, so that head and cylinder counter are
// both on cylinder 0. Code 8 on failure.
StatusRecord ResetFloppy(int8_t trace, FloppyDriver& driver, FloppyHandle handle);

// Moves the head of the drive to the cylinder. Code 10 on failure.
StatusRecord SeekFloppy(int8_t trace, FloppyDriver& driver, FloppyHandle handle, int32_t head,
                        int32_t cylinder);

// Prints "  <WORD>: <code>: <message>", an empty line and "Press a key...", then waits for a key.
void ReportFloppyStatus(StatusRecord status);
