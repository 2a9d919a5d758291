#include "tests/support/run_program.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "tests/support/temp_folder.h"

namespace fs = std::filesystem;

namespace {

fs::path g_programFolder;

std::string Quoted(const std::string& text) {
    return "\"" + text + "\"";
}

// The text a program wrote, with line ends as "\n"; empty when it wrote nothing.
std::string ReadConsoleText(const std::string& path) {
    std::string text;
    if (!fs::exists(path)) return text;
    std::vector<uint8_t> bytes = ReadWholeFile(path);
    text.assign(bytes.begin(), bytes.end());
    text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
    return text;
}

}  // namespace

void RememberProgramFolder(const char* testProgram) {
    g_programFolder = fs::absolute(fs::path(testProgram)).parent_path();
}

ProgramRun RunProgram(const std::string& program, const std::vector<std::string>& arguments,
                      const std::string& folder) {
    TempFolder outputFolder;
    std::string outputFile = outputFolder.File("console.txt");
    std::string errorFile = outputFolder.File("errors.txt");
    std::string executable = (g_programFolder / (program + SUITE_EXE_SUFFIX)).string();
    std::string command;
#ifdef _WIN32
    command = "cd /d " + Quoted(folder) + " && " + Quoted(executable);
    for (const std::string& argument : arguments) command += " " + Quoted(argument);
    command += " <NUL >" + Quoted(outputFile) + " 2>" + Quoted(errorFile);
    command = "\"" + command + "\"";
#else
    command = "cd " + Quoted(folder) + " && " + Quoted(executable);
    for (const std::string& argument : arguments) command += " " + Quoted(argument);
    command += " </dev/null >" + Quoted(outputFile) + " 2>" + Quoted(errorFile);
#endif
    ProgramRun run;
    int status = std::system(command.c_str());
#ifdef _WIN32
    run.exitCode = status;
#else
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
#endif
    run.output = ReadConsoleText(outputFile);
    run.errors = ReadConsoleText(errorFile);
    return run;
}
