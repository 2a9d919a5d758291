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
    int32_t outNameGiven;  // 1 when single mode names its output: only that name replaces a file
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

// Refuses an output name before any work on the file: 702 when it is no regular file (a folder,
// device, fifo, socket or a link that leads nowhere), 703 when it is the input file itself under
// another name or through a link, 704 when it cannot be examined. The output is left as it is.
StatusRecord CheckConverterOutput(const char* inName, const char* outName);

// Writes the finished image (DPX for kind 'D', EII for kind 'E') under outName. A name given on
// the command line replaces an existing file; a name the program chose is never put over a file
// that appeared meanwhile: the image then takes the next free name, written back into outName.
StatusRecord WriteConvertedImage(int8_t trace, const ConverterTexts& texts, const ConverterRun& run,
                                 const char* inName, char* outName, const uint8_t* image);

// Releases the file list and prints the summary lines and the closing key wait.
void FinishConverterRun(int8_t trace, const ConverterTexts& texts, ConverterRun* run, int32_t converted);
