#include "dpxtool/dpxtool.h"

#include <CLI/CLI.hpp>
#include <cstdio>
#include <iostream>
#include <string>

#include "dpxtool/command.h"

#define DPXTOOL_COMMAND(name) void Add##name##Command(CLI::App& tool, int* exitCode);
#include "dpxtool/command_list.h"
#undef DPXTOOL_COMMAND

namespace {

#define DPXTOOL_COMMAND(name) Add##name##Command,
constexpr AddCommand kCommands[] = {
#include "dpxtool/command_list.h"
};
#undef DPXTOOL_COMMAND

constexpr char kDescription[] =
    "dpxtool: Emulator II banks (.EII) and DPX-1 disk images (.DPX) for today's shells and scripts.";
constexpr char kFooter[] =
    "Exit codes: 0 all done, 1 done with losses (a damaged bank, a voice without a file, a sector lost), 2 "
    "nothing done.\n"
    "'dpxtool <command> --help' shows one command.";

}  // namespace

void ReportProblem(const std::string& file, const std::string& what) {
    std::fflush(stdout);
    std::fprintf(stderr, "dpxtool: %s: %s\n", file.c_str(), what.c_str());
}

void ReportFailure(const std::string& file, const StatusRecord& status) {
    ReportProblem(file, std::string(status.message) + " (" + std::to_string(status.code) + ")");
}

int RunDpxtool(int argc, const char* const* argv) {
    CLI::App tool{kDescription, "dpxtool"};
    tool.require_subcommand(1);
    int exitCode = kExitNothingDone;
    for (AddCommand add : kCommands) add(tool, &exitCode);
    // The tool's help ends with every command's examples, taken from the end of its own help.
    std::string footer = "Examples:\n";
    for (const CLI::App* command : tool.get_subcommands({})) {
        const std::string text = command->get_footer();
        const size_t examples = text.find("Example");
        if (examples != std::string::npos) footer += text.substr(text.find('\n', examples) + 1) + "\n";
    }
    tool.footer(footer + "\n" + kFooter);
    try {
        tool.parse(argc, argv);
    } catch (const CLI::CallForHelp&) {
        // The help of the command named before --help, or the tool's own with every command's.
        if (tool.get_subcommands().empty())
            std::cout << tool.help("", CLI::AppFormatMode::All);
        else
            std::cout << tool.help();
        return kExitDone;
    } catch (const CLI::CallForAllHelp&) {
        std::cout << tool.help("", CLI::AppFormatMode::All);
        return kExitDone;
    } catch (const CLI::ParseError& error) {
        std::fprintf(stderr, "dpxtool: %s. Run 'dpxtool --help' for the commands.\n", error.what());
        return kExitNothingDone;
    }
    return exitCode;
}
