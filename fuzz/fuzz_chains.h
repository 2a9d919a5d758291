// The two conversion chains that the fuzz targets drive, run on one file as VELTRA and MORVEX run
// them, without choosing output names and without writing the result. Every record a chain
// makes is released before it returns, on every path.
#pragma once

#include <cstdint>

#include "common/status.h"

// Recognises the Emulator II image at eiiPath (with the size check), reads and validates its bank
// and translates it into dpxImage, a buffer of 901,120 bytes. A file that is not an Emulator II
// image gives a warning.
StatusRecord ConvertEIIImage(const char* eiiPath, uint8_t* dpxImage);

// Writes the data space of the DPX image at dpxPath to the temporary image at temporaryPath,
// recognises the bank it carries (without the size check), reads and validates it and translates
// it back into eiiImage, a buffer of 485,887 bytes. The temporary image is left in place.
StatusRecord ConvertDPXImage(const char* dpxPath, const char* temporaryPath, uint8_t* eiiImage);

// Opens the file as dpxtool does and builds everything dpxtool shows of it in memory: the listing
// as text and JSON, every voice's WAV file and the HTML report. Nothing is written.
void InspectBankFile(const char* path);

// Sends standard output to the null device: the bank reading announces every file it reads.
void SilenceConsoleOutput();
