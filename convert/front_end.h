// What the two converters share around their per-file pipelines: the command line, the file
// list of a single or batch run, the output names and the closing summary.
#pragma once

#include <cstdint>

#include "common/status.h"
#include "eii/image_overview.h"

struct ConverterTexts {
    const char* programName;        // "VELTRA"
    const char* banner;             // the first console line, line breaks included
    const char* const* usageLines;  // the usage text, printed line by line after a rejection
    int32_t usageLineCount;
    const char* inputKind;   // "EII": the kind of file read
    const char* outputKind;  // "DPX": the kind of file written
    char outNameKind;        // 'D' or 'E' for DetermineOutFileName
};

struct ConverterRun {
    int32_t batchMode;
    char inName[kFileNameBufferSize];
    char outName[kFileNameBufferSize];
    ImageOverview* files;  // the candidates, fixed before the first conversion
    int32_t count;
};

// Clears the console, prints the banner, checks the command line and builds the file list.
// Returns false when the run has already ended: the usage text was shown, or a failure before
// the first file (input missing, folder not searchable, name too long) was reported with a key
// wait. On true the caller converts run->count files and then calls FinishConverterRun.
bool StartConverterRun(int8_t trace, const ConverterTexts& texts, int argc, const char* const* argv,
                       ConverterRun* run);

// The output name of one input file: the run's own in single mode, a derived free name in batch
// mode. Fails with code 701 when no name of at most 256 characters can be made.
StatusRecord ChooseOutputName(int8_t trace, const ConverterTexts& texts, const ConverterRun& run,
                              const char* inName, char* outName);

// Releases the file list and prints the summary lines and the closing key wait.
void FinishConverterRun(int8_t trace, const ConverterTexts& texts, ConverterRun* run, int32_t converted);
