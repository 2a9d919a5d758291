#include "convert/veltra.h"

#include <cstdio>

#include "common/status.h"
#include "common/trace.h"
#include "convert/front_end.h"
#include "eii/bank.h"
#include "eii/bank_model.h"
#include "eii/image.h"

namespace {

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
    "VELTRA",    "* * * * EII TO OBERHEIM DPX DISK IMAGE TRANSLATION UTILITY V01.02.4 * * * *\n\n",
    kUsageLines, static_cast<int32_t>(sizeof kUsageLines / sizeof kUsageLines[0]),
    "EII",       "DPX",
    'D',
};

// Releases a header record that the front end made: its image list, then the record itself.
void ReleaseHeader(int8_t trace, BankBasicDetails* header) {
    FreeBankBasicDetailsMem(trace, kContextNumber, kPassThroughByte, header);
    delete header;
}

// Runs one file through the pipeline. Every failure is reported without a key wait and skips the
// file. Returns 1 when the file was converted.
int32_t ConvertOneFile(int8_t trace, const ConverterRun& run, const char* inName, ImageOverview* overview) {
    char outName[kFileNameBufferSize];
    StatusRecord status = ChooseOutputName(trace, kVeltraTexts, run, inName, outName);
    if (status.code != 0) {
        ReportStatus(status, 0);
        return 0;
    }

    BankBasicDetails* header = InitBankBasicDetails(trace, kContextNumber, kPassThroughByte, nullptr);
    status = ValidateImage(trace, inName, overview, header, 1);
    if (status.code != 0) {
        ReleaseHeader(trace, header);
        ReportStatus(status, 0);
        return 0;
    }
    if (overview->ValidationResult != kUsableEmuImage) {
        ReleaseHeader(trace, header);
        ReportStatus(MakeStatus(800, 'W', "%s is not an EII file and has been ignored. RC %d.", inName,
                                overview->ValidationResult),
                     0);
        return 0;
    }
    std::printf("Processing file %s...\n", inName);

    Bank* bank = InitBank(trace, kContextNumber, kPassThroughByte);
    status = GetBankDetails(trace, *overview, *header, bank);
    if (status.code == 0) status = ValidateBank(trace, bank);
    // The bank is read and checked. Its translation into a DPX image and the writing of that
    // image come here; until they do, the file is released and not counted as converted.
    ReleaseHeader(trace, header);
    FreeBankMem(trace, kContextNumber, kPassThroughByte, bank);
    if (status.code != 0) ReportStatus(status, 0);
    return 0;
}

}  // namespace

int RunVeltra(int argc, const char* const* argv) {
    const int8_t trace = kProgramTraceLevel;
    ConverterRun run;
    if (!StartConverterRun(trace, kVeltraTexts, argc, argv, &run)) return 0;

    ImageOverview* overview = InitImageOverview(trace, kContextNumber, kPassThroughByte);
    int32_t converted = 0;
    for (const ImageOverview* node = run.files; node != nullptr; node = node->next)
        converted += ConvertOneFile(trace, run, node->Name, overview);
    FreeImageOverviewMem(trace, kContextNumber, kPassThroughByte, overview);

    FinishConverterRun(trace, kVeltraTexts, &run, converted);
    return 0;
}
