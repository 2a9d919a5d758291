#include "platform/scratch_files.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "platform/posix/last_error.h"

bool CreateScratchFile(char* path, int32_t size) {
    const char* folder = std::getenv("TMPDIR");
    if (folder == nullptr || folder[0] == '\0') folder = "/tmp";
    const int length = std::snprintf(path, static_cast<size_t>(size), "%s/dpxtool-XXXXXX", folder);
    if (length < 0 || length >= size) {
        RecordSystemError(ENAMETOOLONG);
        return false;
    }
    const int descriptor = mkstemp(path);
    if (descriptor < 0) {
        RecordErrno();
        return false;
    }
    close(descriptor);
    return true;
}

bool IsFolder(const char* path) {
    struct stat information {};
    return stat(path, &information) == 0 && S_ISDIR(information.st_mode);
}

bool MakeFolder(const char* path) {
    if (mkdir(path, 0777) == 0 || (errno == EEXIST && IsFolder(path))) return true;
    RecordErrno();
    return false;
}
