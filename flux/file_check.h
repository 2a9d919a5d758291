// What a disk file reader or writer says about the bytes it was given. The texts are single lines
// without the file name, for the caller to prefix: "file.hfe: track list runs past the end of the
// file".
#pragma once

#include <string>

struct FileCheck {
    std::string error;    // empty when the bytes were read or written
    std::string warning;  // something worth saying that did not stop the reading
    bool ok() const { return error.empty(); }
};

// A refusal, its text formatted printf-style.
FileCheck FileError(const char* format, ...) __attribute__((format(printf, 1, 2)));
