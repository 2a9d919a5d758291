// dpxtool convert IN OUT: a disk image from one file format into another (plain image, HFE, SCP).
#include <CLI/CLI.hpp>
#include <cstdio>
#include <memory>

#include "dpxtool/command.h"
#include "dpxtool/disk_reading.h"
#include "inspect/output_file.h"

namespace {

struct ConvertArguments {
    std::string input;
    std::string output;
};

int RunConvert(const ConvertArguments& arguments) {
    const DiskFileFormat outputFormat = DiskFileFormatOfName(arguments.output);
    if (outputFormat == DiskFileFormat::kUnknown) {
        ReportProblem(arguments.output, CheckDiskFile(outputFormat, nullptr, 0).error);
        return kExitNothingDone;
    }
    DiskImage image;
    if (!ReadDiskFile(arguments.input, false, &image)) return kExitNothingDone;

    std::vector<uint8_t> bytes;
    const FileCheck written = WriteDiskImage(outputFormat, image.bytes.data(), &bytes);
    if (!written.ok()) {
        ReportProblem(arguments.output, written.error);
        return kExitNothingDone;
    }
    const StatusRecord status = WriteOutputFile(arguments.output, bytes, arguments.input.c_str());
    if (status.code != 0) {
        ReportFailure(arguments.output, status);
        return kExitNothingDone;
    }
    const int32_t good = GoodSectors(image);
    std::printf("%d of %d sectors good\n", good, static_cast<int>(image.sectors.size()));
    for (const std::string& line : BadSectorLines(image))
        std::printf("%s (zeros in %s)\n", line.c_str(), arguments.output.c_str());
    return good == static_cast<int32_t>(image.sectors.size()) ? kExitDone : kExitLosses;
}

}  // namespace

void AddConvertCommand(CLI::App& tool, int* exitCode) {
    auto arguments = std::make_shared<ConvertArguments>();
    CLI::App* command =
        tool.add_subcommand("convert", "Convert a disk image between .DPX/.IMG, .HFE and .SCP.");
    command->add_option("IN", arguments->input, "disk image to read: .DPX or .IMG (plain), .HFE, .SCP")
        ->required();
    command->add_option("OUT", arguments->output, "disk image to write, its format by its extension")
        ->required();
    command->footer(
        "Read a DPX-1 disk image and write it in another format, chosen by each file's extension: the plain\n"
        "901,120-byte image (.DPX, .IMG) that the other programs use, an HFE image (bit cells, for a Gotek\n"
        "with FlashFloppy or the HxC firmware) or an SCP image (flux, from any flux reader). Every track of "
        "an\n"
        "HFE or SCP image is decoded; the summary says how many of the 960 sectors were good, and every\n"
        "sector that could not be read is listed and left as zeros in the output. OUT is replaced when it\n"
        "exists (never when it is IN). Exit code 1 when sectors were lost, 2 when nothing was written."
        "\n\n"
        "Examples:\n  dpxtool convert DUMP.SCP DISK.DPX\n  dpxtool convert DISK.DPX DISK.HFE");
    command->callback([arguments, exitCode] { *exitCode = RunConvert(*arguments); });
}
