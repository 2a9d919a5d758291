// dpxtool wav FILE OUTDIR: one WAV file per voice of a bank.
#include "inspect/wav.h"

#include <CLI/CLI.hpp>
#include <cstdio>
#include <memory>

#include "dpxtool/command.h"
#include "inspect/bank_file.h"
#include "inspect/bank_listing.h"
#include "platform/files.h"
#include "platform/scratch_files.h"

namespace {

// An output folder that does not exist and cannot be made.
constexpr int32_t kOutputFolderCode = 11041;

struct WavArguments {
    std::string file;
    std::string folder;
};

int ExportVoices(const BankFile& file, const WavArguments& arguments) {
    if (!HasBank(file)) {
        ReportProblem(arguments.file,
                      file.kind == BankFileKind::kOther || file.kind == BankFileKind::kDpxOther
                          ? "holds no Emulator II bank"
                          : "the bank cannot be read");
        return kExitNothingDone;
    }
    if (!MakeFolder(arguments.folder.c_str())) {
        ReportFailure(
            arguments.folder,
            MakeStatus(kOutputFolderCode, 'E', "The folder cannot be made. Error is %u.", LastSystemError()));
        return kExitNothingDone;
    }
    const BankListing listing = BuildBankListing(file);
    const WavExport result = WriteVoiceWavs(kToolTrace, file, listing, arguments.folder);
    for (const std::string& line : result.skipped) ReportProblem(arguments.file, line);
    if (result.failure.code != 0) ReportFailure(arguments.file, result.failure);
    std::printf("%d WAV file%s written to %s\n", result.written, result.written == 1 ? "" : "s",
                arguments.folder.c_str());
    if (result.written == 0 && !listing.voices.empty()) return kExitNothingDone;
    return result.skipped.empty() && result.failure.code == 0 ? kExitDone : kExitLosses;
}

int RunWav(const WavArguments& arguments) {
    BankFile file;
    StatusRecord status = OpenBankFile(kToolTrace, arguments.file.c_str(), &file);
    int exitCode = kExitNothingDone;
    if (status.code != 0)
        ReportFailure(arguments.file, status);
    else
        exitCode = ExportVoices(file, arguments);
    CloseBankFile(kToolTrace, &file);
    return exitCode;
}

}  // namespace

void AddWavCommand(CLI::App& tool, int* exitCode) {
    auto arguments = std::make_shared<WavArguments>();
    CLI::App* command = tool.add_subcommand("wav", "Write every voice of a bank as a WAV file.");
    command->add_option("FILE", arguments->file, "bank (.EII) or DPX-1 image carrying one (.DPX)")
        ->required();
    command->add_option("OUTDIR", arguments->folder, "folder for the WAV files")->required();
    command->footer(
        "Write one 16-bit mono WAV file at 27,778 Hz per voice of a bank into OUTDIR (made if missing),\n"
        "named by voice number and name, e.g. '03 SQUARE LEAD.wav'. It holds the voice's whole sample:\n"
        "from an .EII bank decoded as the converters decode it, from a .DPX image from its 12-bit points.\n"
        "A looping voice carries its loop in a 'smpl' chunk. Exit code 1 when a voice has no file."
        "\n\n"
        "Example:\n  dpxtool wav PIANO.EII piano-voices");
    command->callback([arguments, exitCode] { *exitCode = RunWav(*arguments); });
}
