#include "convert/front_end.h"

#include <cstdio>
#include <cstring>

#include "common/trace.h"
#include "convert/file_list.h"
#include "convert/out_name.h"
#include "dpx/writers.h"
#include "eii/image.h"
#include "platform/console.h"

namespace {

// The tries of a chosen output name before a file that keeps appearing under the next free name
// is reported.
constexpr int32_t kChosenNameTries = 8;

void ShowUsage(const ConverterTexts& texts) {
    for (int32_t line = 0; line < texts.usageLineCount; ++line) std::fputs(texts.usageLines[line], stdout);
    WaitForKey();
}

// The mode is compared as an exact, case-sensitive string: B, b, S or s.
bool IsMode(const char* argument, char mode) {
    return std::strlen(argument) == 1 && (argument[0] == mode || argument[0] == mode + ('a' - 'A'));
}

StatusRecord DerivedNameTooLong(const char* inName) {
    return MakeStatus(kFileNameTooLongCode, 'E',
                      "No output file name of at most %d characters can be made from %s.", kMaxFileNameLength,
                      inName);
}

// A free output name derived from the input name.
StatusRecord DeriveOutputName(int8_t trace, const ConverterTexts& texts, const char* inName, char* outName) {
    char derived[kOutNameBufferSize];
    DetermineOutFileName(trace, inName, derived, texts.outNameKind);
    if (derived[0] == '\0') return DerivedNameTooLong(inName);
    std::snprintf(outName, kFileNameBufferSize, "%s", derived);
    return InitStatusRecord();
}

// Single mode: the named input must exist; the output name is the third argument or derived.
StatusRecord PrepareSingleMode(int8_t trace, const ConverterTexts& texts, int argc, const char* const* argv,
                               ConverterRun* run) {
    StatusRecord status = CheckFileNameLength(argv[2]);
    if (status.code != 0) return status;
    std::snprintf(run->inName, sizeof run->inName, "%s", argv[2]);
    if (FileExists(trace, run->inName) == 1)
        return MakeStatus(700, 'E', "The input file (%s) can not be found.", run->inName);
    if (argc > 3) {
        status = CheckFileNameLength(argv[3]);
        if (status.code != 0) return status;
        std::snprintf(run->outName, sizeof run->outName, "%s", argv[3]);
        run->outNameGiven = 1;
        return status;
    }
    return DeriveOutputName(trace, texts, run->inName, run->outName);
}

}  // namespace

bool StartConverterRun(int8_t trace, const ConverterTexts& texts, int argc, const char* const* argv,
                       ConverterRun* run) {
    run->batchMode = 1;
    run->inName[0] = '\0';
    run->outName[0] = '\0';
    run->outNameGiven = 0;
    run->files = nullptr;
    run->count = 0;

    ClearConsole();
    std::fputs(texts.banner, stdout);

    bool single = argc >= 2 && IsMode(argv[1], 'S');
    bool batch = argc >= 2 && IsMode(argv[1], 'B');
    if (!(single || batch) || (single && argc < 3)) {
        ShowUsage(texts);
        return false;
    }
    run->batchMode = single ? 0 : 1;

    if (single) {
        StatusRecord status = PrepareSingleMode(trace, texts, argc, argv, run);
        if (status.code != 0) {
            ReportStatus(status, 1);
            return false;
        }
    }
    TraceLine(trace, kTraceDetails, "BatchMode = %d, InFileName = %s, OutFileName = %s\n", run->batchMode,
              run->inName, run->outName);

    run->files = InitImageOverview(trace, kContextNumber, kPassThroughByte);
    if (single) {
        std::snprintf(run->files->Name, sizeof run->files->Name, "%s", run->inName);
        run->count = 1;
        return true;
    }
    StatusRecord status = GetFileOverview(trace, run->files, &run->count);
    if (status.code != 0) {
        FreeImageOverviewMem(trace, kContextNumber, kPassThroughByte, run->files);
        run->files = nullptr;
        ReportStatus(status, 1);
        return false;
    }
    if (run->count == 0) {
        FreeImageOverviewMem(trace, kContextNumber, kPassThroughByte, run->files);
        run->files = nullptr;
    }
    return true;
}

StatusRecord ChooseOutputName(int8_t trace, const ConverterTexts& texts, const ConverterRun& run,
                              const char* inName, char* outName) {
    if (run.batchMode == 0) {
        std::snprintf(outName, kFileNameBufferSize, "%s", run.outName);
        return InitStatusRecord();
    }
    return DeriveOutputName(trace, texts, inName, outName);
}

StatusRecord CheckConverterOutput(const char* inName, const char* outName) {
    uint32_t error = 0;
    switch (CheckOutputName(outName, inName, &error)) {
        case OutputNameCheck::kNotRegular:
            return MakeStatus(
                702, 'E', "The output file %s is not a regular file and has been left as it is.", outName);
        case OutputNameCheck::kSameAsInput:
            return MakeStatus(703, 'E', "The output file %s is the input file %s.", outName, inName);
        case OutputNameCheck::kUnknown:
            return MakeStatus(704, 'E', "Problem examining file %s. Error is %u.", outName, error);
        case OutputNameCheck::kUsable:
            break;
    }
    return InitStatusRecord();
}

StatusRecord WriteConvertedImage(int8_t trace, const ConverterTexts& texts, const ConverterRun& run,
                                 const char* inName, char* outName, const uint8_t* image) {
    const bool dpx = texts.outNameKind == 'D';
    if (run.outNameGiven == 1)
        return dpx ? WriteDPXImage(trace, outName, image) : WriteEIIImage(trace, outName, image);
    const int32_t takenCode = dpx ? kDpxNameTakenCode : kEmuNameTakenCode;
    StatusRecord status = InitStatusRecord();
    for (int32_t attempt = 0; attempt < kChosenNameTries; ++attempt) {
        if (attempt > 0) {
            // The name was free when it was chosen: the next free one is made the same way.
            status = DeriveOutputName(trace, texts, inName, outName);
            if (status.code != 0) return status;
        }
        status = dpx ? WriteDPXImage(trace, outName, image, ExistingName::kKeep)
                     : WriteEIIImage(trace, outName, image, ExistingName::kKeep);
        if (status.code != takenCode) return status;
    }
    return status;
}

void FinishConverterRun(int8_t trace, const ConverterTexts& texts, ConverterRun* run, int32_t converted) {
    FreeImageOverviewMem(trace, kContextNumber, kPassThroughByte, run->files);
    run->files = nullptr;
    std::printf("\n\n");
    if (converted == 0)
        std::printf("%s did not convert any %s-file\n\n", texts.programName, texts.inputKind);
    else
        std::printf("%s has succesfully converted %d %s-files into %s-files\n\n", texts.programName,
                    converted, texts.inputKind, texts.outputKind);
    std::printf("* * * * * * * * * * * * THANK YOU FOR USING %s * * * * * * ** * * * * *\n\n",
                texts.programName);
    std::printf("Press a key...\n");
    WaitForKey();
}
