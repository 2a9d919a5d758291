#include "dpx/writers.h"

#include "common/trace.h"
#include "dpx/layout.h"
#include "eii/bank_model.h"
#include "platform/files.h"

namespace {

// What one kind of image file is: its name in the trace lines, its size and its failure codes.
struct ImageFileKind {
    const char* operation;
    uint32_t size;
    int32_t createFailureCode;
    int32_t writeFailureCode;
};

constexpr ImageFileKind kDpxImageFile = {"WriteDPXImage", kDpxImageSize, 804, 805};
constexpr ImageFileKind kEmuImageFile = {"WriteEIIImage", kEmuImageSize, 20030, 20031};

// Creates the file, writes the whole image in one call and closes it. A write that fails or
// delivers fewer bytes than the image holds removes the file again, so that no truncated image
// is left behind that looks like output.
StatusRecord WriteImageFile(int8_t trace, const ImageFileKind& kind, const char* fileName,
                            const uint8_t* image) {
    TraceEnter(trace, kind.operation);
    FileHandle file;
    if (!CreateForWritingUnshared(fileName, &file))
        return MakeStatus(kind.createFailureCode, 'E', "Problem writing file %s. Error is %u.", fileName,
                          LastSystemError());
    uint32_t written = 0;
    const bool writeOk = WriteToFile(file, image, kind.size, &written);
    if (!writeOk || written != kind.size) {
        // A short write that the system reports as done carries no error number of its own.
        const uint32_t error = writeOk ? 0 : LastSystemError();
        CloseFile(file);
        DeleteNamedFile(fileName);
        return MakeStatus(kind.writeFailureCode, 'E', "Problem writing file %s. Error is %u.", fileName,
                          error);
    }
    CloseFile(file);
    TraceEnd(trace, kind.operation);
    return InitStatusRecord();
}

}  // namespace

StatusRecord WriteDPXImage(int8_t trace, const char* fileName, const uint8_t* image) {
    return WriteImageFile(trace, kDpxImageFile, fileName, image);
}

StatusRecord WriteEIIImage(int8_t trace, const char* fileName, const uint8_t* image) {
    return WriteImageFile(trace, kEmuImageFile, fileName, image);
}
