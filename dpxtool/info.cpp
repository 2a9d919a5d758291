// dpxtool info FILE [--json]: what a bank holds, or what a disk image is.
#include <CLI/CLI.hpp>
#include <cstdio>
#include <memory>

#include "dpxtool/command.h"
#include "dpxtool/disk_image_info.h"
#include "inspect/bank_file.h"
#include "inspect/bank_listing.h"

namespace {

struct InfoArguments {
    std::string file;
    bool json = false;
};

int RunInfo(const InfoArguments& arguments) {
    BankFile file;
    StatusRecord status = OpenBankFile(kToolTrace, arguments.file.c_str(), &file);
    if (status.code != 0) {
        ReportFailure(arguments.file, status);
        CloseBankFile(kToolTrace, &file);
        return kExitNothingDone;
    }
    int exitCode = kExitDone;
    if (file.kind == BankFileKind::kOther || file.kind == BankFileKind::kDpxOther) {
        exitCode = DescribeDiskImage(arguments.file, file.kind == BankFileKind::kDpxOther, arguments.json);
    } else {
        const BankListing listing = BuildBankListing(file);
        const std::string text = arguments.json ? FormatListingJson(listing) : FormatListingText(listing);
        std::fwrite(text.data(), 1, text.size(), stdout);
        if (!listing.problems.empty()) exitCode = kExitLosses;
    }
    CloseBankFile(kToolTrace, &file);
    return exitCode;
}

}  // namespace

void AddInfoCommand(CLI::App& tool, int* exitCode) {
    auto arguments = std::make_shared<InfoArguments>();
    CLI::App* command = tool.add_subcommand("info", "List what a bank or disk image holds.");
    command->add_option("FILE", arguments->file, "bank or disk image")->required();
    command->add_flag("--json", arguments->json, "print the same as one JSON document");
    command->footer(
        "List what a bank holds: the bank's numbers, every preset with its key areas (key numbers and note\n"
        "names), every voice with its sample, loop and parameters, every sample with the voices that play\n"
        "it, and every problem of a damaged bank on its own line. FILE is an Emulator II bank (.EII) or a\n"
        "DPX-1 image (.DPX) that carries one. Exit code 1 when the bank is damaged."
        "\n\n"
        "Examples:\n  dpxtool info PIANO.EII\n  dpxtool info --json PIANO.DPX > piano.json");
    command->callback([arguments, exitCode] { *exitCode = RunInfo(*arguments); });
}
