#include "convert/veltra.h"

#include <cstdio>

#include "common/status.h"
#include "common/trace.h"
#include "convert/bank_pipeline.h"
#include "convert/front_end.h"
#include "dpx/layout.h"
#include "dpx/to_dpx.h"

namespace {

// The warning for a file that is not an Emulator II image.
constexpr int32_t kNotAnEiiFileCode = 800;

constexpr const char* kUsageLines[] = {
    "\n",
    "    ERROR: incorrect parameter list\n\n",
    "    USAGE: VELTRA <B|S> [<EII-file>] [<DPX-file>]\n\n",
    "     with: B        = Batch  (all EII files in folder will be processed)\n",
    "           S        = Single (only the input EII file will be processed)\n",
    "           EII-file = Input  EII file (required in Single mode,\n",
    "                                       ignored in Batch mode)\n",
    "           DPX-file = Output DPX file (optional in Single mode,\n",
    "                                       ignored in Batch mode)\n\n",
    "           [Note 1: put filenames between \" \" if they contain spaces]\n",
    "           [Note 2: filenames should not exceed 256 characters]\n\n",
    "     e.g.: VELTRA S PIANO.EII GRAND.DPX\n",
    "            (will convert file PIANO.EII to GRAND.DPX)\n",
    "           VELTRA S \"PIANO 1.EII\"\n",
    "            (will convert file PIANO 1.EII to PIANO 1.DPX)\n",
    "           VELTRA B\n",
    "            (will convert all EII files in the folder)\n\n",
    "Press a key...\n",
};

constexpr ConverterTexts kVeltraTexts = {
    "VELTRA",  // program name
    "* * * * EII TO OBERHEIM DPX DISK IMAGE TRANSLATION UTILITY V01.02.4 * * * *\n\n",
    kUsageLines,                                                       // usage text
    static_cast<int32_t>(sizeof kUsageLines / sizeof kUsageLines[0]),  // its lines
    "EII",                                                             // input kind
    "DPX",                                                             // output kind
    'D',                                                               // output name kind
};

// Runs one file through the pipeline. Every failure is reported without a key wait and skips the
// file. Returns 1 when the file was converted.
int32_t ConvertOneFile(int8_t trace, const ConverterRun& run, const char* inName, ImageOverview* overview) {
    char outName[kFileNameBufferSize];
    StatusRecord status = ChooseOutputName(trace, kVeltraTexts, run, inName, outName);
    if (status.code == 0) status = CheckConverterOutput(inName, outName);
    BankInProgress progress{nullptr, nullptr};
    if (status.code == 0)
        status = ReadRecognisedBank(trace, inName, inName, 1, kNotAnEiiFileCode, "EII", overview, &progress);
    if (status.code != 0) {
        ReportStatus(status, 0);
        return 0;
    }

    uint8_t* image = AllocateImageBuffer(kDpxImageSize, inName, &status);
    if (image != nullptr) status = TranslateEIIToDPX(trace, *overview, progress.bank, image);
    if (status.code == 0) status = WriteConvertedImage(trace, kVeltraTexts, run, inName, outName, image);
    delete[] image;
    if (status.code == 0) std::printf("...DPX file %s has been created.\n", outName);
    ReleaseBankInProgress(trace, &progress);
    if (status.code != 0) ReportStatus(status, 0);
    return status.code == 0 ? 1 : 0;
}

}  // namespace

int RunVeltra(int argc, const char* const* argv) {
    const int8_t trace = kProgramTraceLevel;
    ConverterRun run;
    if (!StartConverterRun(trace, kVeltraTexts, argc, argv, &run)) return 0;

    ImageOverview overview{};  // the front end's own descriptor, reused for every file
    int32_t converted = 0;
    for (const ImageOverview* node = run.files; node != nullptr; node = node->next)
        converted += ConvertOneFile(trace, run, node->Name, &overview);

    FinishConverterRun(trace, kVeltraTexts, &run, converted);
    return 0;
}
