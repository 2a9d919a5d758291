// dpxtool report FILE REPORT.html: a bank as one self-contained HTML page.
#include <CLI/CLI.hpp>
#include <cstdio>
#include <memory>

#include "dpxtool/command.h"
#include "inspect/bank_file.h"
#include "inspect/bank_listing.h"
#include "inspect/output_file.h"
#include "inspect/report_html.h"

namespace {

struct ReportArguments {
    std::string file;
    std::string page;
};

int RunReport(const ReportArguments& arguments) {
    BankFile file;
    StatusRecord status = OpenBankFile(kToolTrace, arguments.file.c_str(), &file);
    int exitCode = kExitNothingDone;
    if (status.code != 0) {
        ReportFailure(arguments.file, status);
    } else if (file.kind == BankFileKind::kOther || (file.kind == BankFileKind::kDpxOther)) {
        ReportProblem(arguments.file, "holds no Emulator II bank");
    } else {
        const BankListing listing = BuildBankListing(file);
        const std::string html = BuildReportHtml(kToolTrace, file, listing);
        status = WriteOutputFile(arguments.page, std::vector<uint8_t>(html.begin(), html.end()));
        if (status.code != 0) {
            ReportFailure(arguments.page, status);
        } else {
            std::printf("Report written to %s\n", arguments.page.c_str());
            exitCode = listing.problems.empty() ? kExitDone : kExitLosses;
        }
    }
    CloseBankFile(kToolTrace, &file);
    return exitCode;
}

}  // namespace

void AddReportCommand(CLI::App& tool, int* exitCode) {
    auto arguments = std::make_shared<ReportArguments>();
    CLI::App* command = tool.add_subcommand("report", "Draw a bank as one HTML page.");
    command->add_option("FILE", arguments->file, "bank (.EII) or DPX-1 image carrying one (.DPX)")
        ->required();
    command->add_option("REPORT", arguments->page, "the HTML page to write")->required();
    command->footer(
        "Write one self-contained HTML page (no scripts, nothing fetched) showing the bank's numbers, a\n"
        "keyboard for every preset with its key areas coloured by voice, a waveform for every voice with\n"
        "its loop, and the samples; damaged parts are marked. Exit code 1 when the bank is damaged."
        "\n\n"
        "Example:\n  dpxtool report PIANO.EII piano.html");
    command->callback([arguments, exitCode] { *exitCode = RunReport(*arguments); });
}
