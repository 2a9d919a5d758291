// The console services the programs need: clearing the window and waiting for one key.
#pragma once

// Clears the console window. Output that is not a console (a file, a pipe) is left alone, so
// redirected output never holds control codes.
void ClearConsole();

// Waits for one key, without echo and without Enter. When standard input is not a console it
// consumes one byte if there is one and returns at the end of the input, so the programs run
// unattended with their input redirected. Standard output is flushed first.
void WaitForKey();

// True when standard error is a console window or terminal, where a progress bar can be redrawn
// in place; false for a file, a pipe or the null device.
bool StandardErrorIsConsole();
