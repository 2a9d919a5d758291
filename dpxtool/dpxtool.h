// dpxtool: the suite's command-line tool for today's shells and scripts.
#pragma once

// Parses the command line, runs the command it names and returns the exit code: 0 all done, 1
// done with losses, 2 nothing done.
int RunDpxtool(int argc, const char* const* argv);
