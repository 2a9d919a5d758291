// Output files that are complete or untouched. The bytes go into a new file beside the output,
// created exclusively, passed on to the disk and closed; only then does that file take the
// output's name, in one step. Until that step the output name is exactly as it was; after it, it
// is the complete new file. A power cut in between leaves at most a hidden ".~OUTn.TMP" beside it.
#pragma once

#include <cstdint>
#include <string>

#include "platform/files.h"

// The step of a safe write that failed.
enum class OutputStep : int32_t {
    kNone,    // nothing failed
    kCheck,   // the output name could not be examined
    kCreate,  // the new file beside the output could not be created
    kWrite,   // a write failed or fell short
    kFlush,   // the bytes could not be passed on to the disk
    kPlace,   // the new file could not take the output's name
};

// What a safe write reports: enough for a one-line message.
struct OutputOutcome {
    bool ok;
    OutputStep failedStep;
    uint32_t systemError;  // 0 on success, and for a write that fell short without an error
    bool nameTaken;        // kPlace without replacing: something of that name was there
};

// Whether an existing file of the output's name may be replaced. A name the program chose itself
// because it was free is never replaced by a file that appeared meanwhile.
enum class ExistingName : int32_t { kReplace, kKeep };

// A safe write under way: the new file beside the output and its name.
struct SafeOutput {
    std::string temporaryPath;
    FileHandle file;
    bool open = false;
};

// Creates the new file in the folder of outputPath (failing step kCreate).
OutputOutcome StartSafeOutput(const char* outputPath, SafeOutput* output);
// Appends count bytes (failing step kWrite).
OutputOutcome AppendToSafeOutput(SafeOutput* output, const void* bytes, uint32_t count);
// Passes the bytes on to the disk and closes the new file (failing step kFlush).
OutputOutcome CloseSafeOutput(SafeOutput* output);
// Gives the closed new file the name path (failing step kPlace). With kKeep a name that exists
// fails with nameTaken set and the new file stays, so that another name can be tried.
OutputOutcome PlaceSafeOutput(SafeOutput* output, const char* path, ExistingName existing);
// Closes and removes the new file after a failure; the output name was never touched.
void DiscardSafeOutput(SafeOutput* output);

// The whole write in one call, for a file held in memory: start, append, close and place under
// path; on any failure the new file is removed and path is left exactly as it was.
OutputOutcome WriteFileSafely(const char* path, const void* bytes, uint32_t size, ExistingName existing);

// What an output name stands for before anything is converted.
enum class OutputNameCheck : int32_t {
    kUsable,       // nothing of that name, or a regular file that is not the input
    kNotRegular,   // a folder, device, fifo, socket or a link that leads nowhere: never written
    kSameAsInput,  // the input file itself under this name, through a link or another path
    kUnknown,      // the name could not be examined; *error holds the system's error
};

// Examines outputPath before any work; inputPath may be null when there is no input file.
OutputNameCheck CheckOutputName(const char* outputPath, const char* inputPath, uint32_t* error);

// The words for a failed step in messages: "creating", "writing", "flushing", "renaming".
const char* OutputStepWord(OutputStep step);
