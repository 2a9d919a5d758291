// What every dpxtool command shares: its exit codes, its error line, and the way it joins the
// command line. A command is one file that defines Add<Name>Command and one line in
// dpxtool/command_list.h.
#pragma once

#include <cstdint>
#include <string>

#include "common/status.h"

namespace CLI {
class App;
}

constexpr int kExitDone = 0;
constexpr int kExitLosses = 1;
constexpr int kExitNothingDone = 2;

// Library operations run without trace lines.
constexpr int8_t kToolTrace = 0;

// Adds the command to the tool's command line; when the command runs, its exit code goes to
// *exitCode.
using AddCommand = void (*)(CLI::App& tool, int* exitCode);

// One line on standard error: "dpxtool: <file>: <what is wrong>".
void ReportProblem(const std::string& file, const std::string& what);
void ReportFailure(const std::string& file, const StatusRecord& status);
