#include "dpx/writers.h"

#include "common/trace.h"
#include "dpx/layout.h"
#include "eii/bank_model.h"

namespace {

// What one kind of image file is: its name in the trace lines, its size and its failure codes.
struct ImageFileKind {
    const char* operation;
    uint32_t size;
    int32_t createFailureCode;
    int32_t writeFailureCode;
    int32_t flushFailureCode;
    int32_t placeFailureCode;
    int32_t nameTakenCode;
};

constexpr ImageFileKind kDpxImageFile = {"WriteDPXImage",  kDpxImageSize, 804, 805, 807, 808,
                                         kDpxNameTakenCode};
constexpr ImageFileKind kEmuImageFile = {"WriteEIIImage", kEmuImageSize,    20030, 20031, 20032,
                                         20033,           kEmuNameTakenCode};

StatusRecord ImageFileFailure(const ImageFileKind& kind, const char* fileName, OutputOutcome outcome) {
    switch (outcome.failedStep) {
        case OutputStep::kFlush:
            return MakeStatus(kind.flushFailureCode, 'E', "Problem storing file %s on the disk. Error is %u.",
                              fileName, outcome.systemError);
        case OutputStep::kPlace:
            if (outcome.nameTaken)
                return MakeStatus(kind.nameTakenCode, 'E',
                                  "File %s was made by another program meanwhile and has been left as it is.",
                                  fileName);
            return MakeStatus(kind.placeFailureCode, 'E', "Problem putting file %s in place. Error is %u.",
                              fileName, outcome.systemError);
        case OutputStep::kWrite:
            return MakeStatus(kind.writeFailureCode, 'E', "Problem writing file %s. Error is %u.", fileName,
                              outcome.systemError);
        default:
            return MakeStatus(kind.createFailureCode, 'E', "Problem writing file %s. Error is %u.", fileName,
                              outcome.systemError);
    }
}

// Writes the whole image in one call into a new file beside the output and puts it in place.
StatusRecord WriteImageFile(int8_t trace, const ImageFileKind& kind, const char* fileName,
                            const uint8_t* image, ExistingName existing) {
    TraceEnter(trace, kind.operation);
    const OutputOutcome outcome = WriteFileSafely(fileName, image, kind.size, existing);
    if (!outcome.ok) return ImageFileFailure(kind, fileName, outcome);
    TraceEnd(trace, kind.operation);
    return InitStatusRecord();
}

}  // namespace

StatusRecord WriteDPXImage(int8_t trace, const char* fileName, const uint8_t* image, ExistingName existing) {
    return WriteImageFile(trace, kDpxImageFile, fileName, image, existing);
}

StatusRecord WriteEIIImage(int8_t trace, const char* fileName, const uint8_t* image, ExistingName existing) {
    return WriteImageFile(trace, kEmuImageFile, fileName, image, existing);
}
