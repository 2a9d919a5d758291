#include "convert/morvex.h"

#include <cctype>
#include <cstdio>

#include "common/status.h"
#include "common/trace.h"
#include "convert/bank_pipeline.h"
#include "convert/front_end.h"
#include "dpx/layout.h"
#include "dpx/temporary_image.h"
#include "dpx/to_eii.h"
#include "eii/bank_model.h"
#include "platform/files.h"

namespace {

// The warning for a DPX image whose data space holds no Emulator II bank.
constexpr int32_t kNotAnEiiDpxFileCode = 11008;

// An explicit output name that is the temporary image's own.
constexpr int32_t kReservedOutputNameCode = 11014;

// The data space of the DPX image being converted, in the current folder; made new for every
// input file and deleted after it.
constexpr char kTemporaryImageName[] = "_MORVEXTMP_.IMG";

constexpr const char* kUsageLines[] = {
    "\n",
    "    ERROR: incorrect parameter list\n\n",
    "    USAGE: MORVEX <B|S> [<DPX-file>] [<EII-file>]\n\n",
    "     with: B        = Batch  (all DPX files in folder will be processed)\n",
    "           S        = Single (only the input DPX file will be processed)\n",
    "           DPX-file = Input  DPX file (required in Single mode,\n",
    "                                       ignored in Batch mode)\n",
    "           EII-file = Output EII file (optional in Single mode,\n",
    "                                       ignored in Batch mode)\n\n",
    "           [Note 1: put filenames between \" \" if they contain spaces]\n",
    "           [Note 2: filenames should not exceed 256 characters]\n\n",
    "     e.g.: MORVEX S PIANO.DPX GRAND.EII\n",
    "            (will convert file PIANO.DPX to GRAND.EII)\n",
    "           MORVEX S \"PIANO 1.DPX\"\n",
    "            (will convert file PIANO 1.DPX to PIANO 1.EII)\n",
    "           MORVEX B\n",
    "            (will convert all DPX files in the folder)\n\n",
    "Press a key...\n",
};

constexpr ConverterTexts kMorvexTexts = {
    "MORVEX",  // program name
    "* * * * OBERHEIM DPX TO EII DISK IMAGE TRANSLATION UTILITY V01.02.4 * * * *\n\n",
    kUsageLines,                                                       // usage text
    static_cast<int32_t>(sizeof kUsageLines / sizeof kUsageLines[0]),  // its lines
    "DPX",                                                             // input kind
    "EII",                                                             // output kind
    'E',                                                               // output name kind
};

StatusRecord ReservedOutputName(const char* outName) {
    return MakeStatus(kReservedOutputNameCode, 'E', "The output file %s is the temporary image of MORVEX.",
                      outName);
}

// The output name that single mode accepts must not be the temporary image's, which is deleted
// after every file (compared without case, as the Windows file system does).
bool IsTemporaryImageName(const char* name) {
    const char* reserved = kTemporaryImageName;
    for (; *name != '\0' && *reserved != '\0'; ++name, ++reserved)
        if (std::tolower(static_cast<unsigned char>(*name)) !=
            std::tolower(static_cast<unsigned char>(*reserved)))
            return false;
    return *name == '\0' && *reserved == '\0';
}

// The output must not lead to the temporary image by another path or a link: checked once the
// image exists, as the file it is.
StatusRecord CheckAgainstTemporaryImage(const char* outName, const TemporaryImage& temporary) {
    PathKind kind = PathKind::kMissing;
    FileIdentity identity;
    if (!QueryPathKind(outName, &kind, &identity))
        return MakeStatus(704, 'E', "Problem examining file %s. Error is %u.", outName, LastSystemError());
    if (kind == PathKind::kRegularFile && SameFile(identity, temporary.identity))
        return ReservedOutputName(outName);
    return InitStatusRecord();
}

// The pipeline of one file from its temporary image to the written Emulator II image. The header
// and bank it reads stay in *progress for the caller to release.
StatusRecord ConvertThroughTemporaryImage(int8_t trace, const ConverterRun& run, const char* inName,
                                          char* outName, ImageOverview* overview, BankInProgress* progress,
                                          TemporaryImage* temporary) {
    uint8_t fileSystemBlock[kDpxFileSystemSize];  // the DPX image is read once
    StatusRecord status = CreateTemporaryImage(trace, inName, temporary, fileSystemBlock);
    if (status.code == 0) status = CheckAgainstTemporaryImage(outName, *temporary);
    if (status.code != 0) return status;
    status = ReadRecognisedBank(trace, temporary->path, inName, 0, kNotAnEiiDpxFileCode, "EII-DPX", overview,
                                progress);
    if (status.code != 0) return status;
    uint8_t* image = AllocateImageBuffer(kEmuImageSize, inName, &status);
    if (image != nullptr)
        status = TranslateDPXToEII(trace, inName, *overview, progress->bank, image, fileSystemBlock);
    if (status.code == 0) status = WriteConvertedImage(trace, kMorvexTexts, run, inName, outName, image);
    delete[] image;
    return status;
}

// Runs one file through the pipeline. Every failure releases what the file holds and is reported
// without a key wait, and the file is skipped; the temporary image this run made never outlives
// the file, and no other file of its name is touched. Returns 1 when the file was converted.
int32_t ConvertOneFile(int8_t trace, const ConverterRun& run, const char* inName, ImageOverview* overview,
                       TemporaryImage* temporary) {
    char outName[kFileNameBufferSize];
    StatusRecord status = ChooseOutputName(trace, kMorvexTexts, run, inName, outName);
    if (status.code == 0 && IsTemporaryImageName(outName)) status = ReservedOutputName(outName);
    if (status.code == 0) status = CheckConverterOutput(inName, outName);
    // A temporary image of an earlier file that could not be deleted then is tried again.
    RemoveTemporaryImage(temporary);
    BankInProgress progress{nullptr, nullptr};
    if (status.code == 0)
        status = ConvertThroughTemporaryImage(trace, run, inName, outName, overview, &progress, temporary);
    if (status.code != 0) {
        ReleaseBankInProgress(trace, &progress);
        ReportStatus(status, 0);
    } else {
        std::printf("...EII file %s has been created.\n", outName);
    }
    RemoveTemporaryImage(temporary);
    ReleaseBankInProgress(trace, &progress);
    return status.code == 0 ? 1 : 0;
}

}  // namespace

int RunMorvex(int argc, const char* const* argv) {
    const int8_t trace = kProgramTraceLevel;
    ConverterRun run;
    if (!StartConverterRun(trace, kMorvexTexts, argc, argv, &run)) return 0;

    ImageOverview overview{};  // the front end's own descriptor, reused for every file
    TemporaryImage temporary{kTemporaryImageName, false, {}};
    int32_t converted = 0;
    for (const ImageOverview* node = run.files; node != nullptr; node = node->next)
        converted += ConvertOneFile(trace, run, node->Name, &overview, &temporary);

    FinishConverterRun(trace, kMorvexTexts, &run, converted);
    return 0;
}
