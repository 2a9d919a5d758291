#include "common/safe_output.h"

#include <string>

namespace {

// New files beside an output are tried under ".~OUT1.TMP" to ".~OUT999.TMP"; a name in use
// (a file left by a power cut, another program's) is passed over, never touched.
constexpr int32_t kTemporaryNameTries = 999;

OutputOutcome Succeeded() {
    return OutputOutcome{true, OutputStep::kNone, 0, false};
}

OutputOutcome Failed(OutputStep step, uint32_t error) {
    return OutputOutcome{false, step, error, false};
}

// The folder part of a path, separator included; empty for a name in the current folder.
std::string FolderOf(const char* path) {
    const std::string name = path;
    const size_t separator = name.find_last_of("/\\:");
    return separator == std::string::npos ? std::string() : name.substr(0, separator + 1);
}

}  // namespace

OutputOutcome StartSafeOutput(const char* outputPath, SafeOutput* output) {
    const std::string folder = FolderOf(outputPath);
    uint32_t error = 0;
    for (int32_t number = 1; number <= kTemporaryNameTries; ++number) {
        output->temporaryPath = folder + ".~OUT" + std::to_string(number) + ".TMP";
        if (CreateExclusively(output->temporaryPath.c_str(), &output->file)) {
            output->open = true;
            return Succeeded();
        }
        error = LastSystemError();
        if (!IsAlreadyExistsError(error)) break;
    }
    output->temporaryPath.clear();
    return Failed(OutputStep::kCreate, error);
}

OutputOutcome AppendToSafeOutput(SafeOutput* output, const void* bytes, uint32_t count) {
    uint32_t written = 0;
    const bool writeOk = WriteToFile(output->file, bytes, count, &written);
    if (!writeOk || written != count) return Failed(OutputStep::kWrite, writeOk ? 0 : LastSystemError());
    return Succeeded();
}

OutputOutcome CloseSafeOutput(SafeOutput* output) {
    const bool flushed = FlushToDisk(output->file);
    const uint32_t error = flushed ? 0 : LastSystemError();
    CloseFile(output->file);
    output->open = false;
    return flushed ? Succeeded() : Failed(OutputStep::kFlush, error);
}

OutputOutcome PlaceSafeOutput(SafeOutput* output, const char* path, ExistingName existing) {
    const char* from = output->temporaryPath.c_str();
    const bool placed = existing == ExistingName::kReplace ? ReplaceNamedFile(from, path)
                                                           : RenameWithoutReplacing(from, path);
    if (placed) {
        output->temporaryPath.clear();
        return Succeeded();
    }
    OutputOutcome outcome = Failed(OutputStep::kPlace, LastSystemError());
    outcome.nameTaken = existing == ExistingName::kKeep && IsAlreadyExistsError(outcome.systemError);
    return outcome;
}

void DiscardSafeOutput(SafeOutput* output) {
    if (output->open) CloseFile(output->file);
    output->open = false;
    if (!output->temporaryPath.empty()) DeleteNamedFile(output->temporaryPath.c_str());
    output->temporaryPath.clear();
}

OutputOutcome WriteFileSafely(const char* path, const void* bytes, uint32_t size, ExistingName existing) {
    SafeOutput output;
    OutputOutcome outcome = StartSafeOutput(path, &output);
    if (outcome.ok) outcome = AppendToSafeOutput(&output, bytes, size);
    if (outcome.ok) outcome = CloseSafeOutput(&output);
    if (outcome.ok) outcome = PlaceSafeOutput(&output, path, existing);
    if (!outcome.ok) DiscardSafeOutput(&output);
    return outcome;
}

OutputNameCheck CheckOutputName(const char* outputPath, const char* inputPath, uint32_t* error) {
    *error = 0;
    PathKind kind = PathKind::kMissing;
    FileIdentity outputIdentity;
    if (!QueryPathKind(outputPath, &kind, &outputIdentity)) {
        *error = LastSystemError();
        return OutputNameCheck::kUnknown;
    }
    // A link that leads nowhere is refused like a device: writing through it would make a file
    // somewhere else, and replacing it would lose the link.
    if (kind == PathKind::kNotRegular || kind == PathKind::kDanglingLink) return OutputNameCheck::kNotRegular;
    if (kind == PathKind::kMissing || inputPath == nullptr) return OutputNameCheck::kUsable;
    PathKind inputKind = PathKind::kMissing;
    FileIdentity inputIdentity;
    if (!QueryPathKind(inputPath, &inputKind, &inputIdentity)) {
        *error = LastSystemError();
        return OutputNameCheck::kUnknown;
    }
    if (inputKind == PathKind::kRegularFile && SameFile(inputIdentity, outputIdentity))
        return OutputNameCheck::kSameAsInput;
    return OutputNameCheck::kUsable;
}

const char* OutputStepWord(OutputStep step) {
    switch (step) {
        case OutputStep::kCheck:
            return "examining";
        case OutputStep::kCreate:
            return "creating";
        case OutputStep::kWrite:
            return "writing";
        case OutputStep::kFlush:
            return "flushing";
        case OutputStep::kPlace:
            return "renaming";
        case OutputStep::kNone:
            break;
    }
    return "";
}
