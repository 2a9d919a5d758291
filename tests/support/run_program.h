// Running a built program of the suite as a separate process, the way a user does.
#pragma once

#include <string>
#include <vector>

// Records the folder of the built programs: the one that holds the running test program.
void RememberProgramFolder(const char* testProgram);

struct ProgramRun {
    int exitCode;
    std::string output;  // standard output, line ends as "\n"
    std::string errors;  // standard error, the same way
};

// Runs the named program (for instance "veltra") with the arguments, in the given folder, with
// standard input closed (the null device), and collects its standard output and error.
ProgramRun RunProgram(const std::string& program, const std::vector<std::string>& arguments,
                      const std::string& folder);
