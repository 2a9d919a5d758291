// What the three floppy programs show alike: the drive-argument rule, the usage text, the
// progress ruler and bar, and the closing key wait.
#pragma once

#include <cstdint>

#include "common/status.h"
#include "floppy/driver.h"

// True for exactly "a:", "A:", "b:" and "B:".
bool IsDriveArgument(const char* argument);

// The start every floppy program makes: clears the console, prints the banner and checks that
// the command line holds at least `arguments` arguments, the first of them a drive. On a rejected
// command line it prints the usage lines, waits for a key and returns false.
bool StartFloppyTool(const char* banner, const char* const* usageLines, int32_t usageLineCount, int argc,
                     const char* const* argv, int32_t arguments);

// "\n0", forty "-", "100\n", then the first "|" of the bar.
void StartProgress();
// One "|" before every even-numbered cylinder, shown as its first track (head 0) begins.
void ShowTrackProgress(int32_t cylinder, int32_t head);
// The start of every track's work: the progress bar, the seek, and the trace line
// "<activity> track <head> <cylinder>" (activity is "Reading", "Writing" or "Formatting").
StatusRecord MoveToTrack(int8_t trace, FloppyDriver& driver, FloppyHandle handle, int32_t cylinder,
                         int32_t head, const char* activity);
// "|||\n\n": the bar is then as wide as the ruler.
void EndProgress();

// The end every floppy program makes: a failure is reported with ReportFloppyStatus (which
// waits for a key itself); a success ends with "Press a key...\n" and a key wait.
void FinishFloppyTool(StatusRecord status);

// OpenFloppy, then ResetFloppy.
StatusRecord PrepareDrive(int8_t trace, FloppyDriver& driver, const char* drive, FloppyHandle* handle);
