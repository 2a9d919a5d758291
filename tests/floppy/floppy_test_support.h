// What the floppy tests share: running a program in-process against the virtual drive, a disk
// image whose every track differs, and the progress texts.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "floppy/driver_virtual.h"

using FloppyProgram = int (*)(int argc, const char* const* argv, FloppyDriver& driver);

struct FloppyRun {
    int exitCode;
    std::string output;
};

// Runs the program with the arguments after its name and collects what it prints.
FloppyRun RunFloppyProgram(FloppyProgram program, const std::vector<std::string>& arguments,
                           VirtualFloppyDriver& driver);

// 901,120 bytes in which no two tracks and no two sectors of a track are alike.
std::vector<uint8_t> PatternImage();

// The ruler and the bar up to and including cylinder's mark; the whole finished bar for 80.
std::string ProgressUpTo(int32_t cylinder);
std::string FullProgress();

// The report of a failure with its key wait.
std::string Report(int32_t code, const std::string& message);
