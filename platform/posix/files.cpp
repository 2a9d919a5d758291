#include "platform/files.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/fault_injection.h"
#include "platform/posix/last_error.h"

namespace {

int Descriptor(FileHandle file) {
    return static_cast<int>(file.value);
}

// A file is held without sharing through an exclusive lock taken right after opening; a file
// that another opener holds reports the sharing violation, as the Windows file system does.
bool LockExclusively(int descriptor) {
    if (flock(descriptor, LOCK_EX | LOCK_NB) == 0) return true;
    if (errno == EWOULDBLOCK)
        RecordSystemError(kSharingViolation);
    else
        RecordErrno();
    close(descriptor);
    return false;
}

// Opens without waiting: a fifo without a partner would otherwise block the program for ever.
// The descriptor goes back to ordinary blocking transfers once it is open.
int OpenWithoutWaiting(const char* path, int flags) {
    int descriptor = open(path, flags | O_NONBLOCK | O_CLOEXEC, 0666);
    if (descriptor < 0) {
        RecordErrno();
        return -1;
    }
    int status = fcntl(descriptor, F_GETFL);
    if (status >= 0) fcntl(descriptor, F_SETFL, status & ~O_NONBLOCK);
    return descriptor;
}

}  // namespace

bool OpenForReadingUnshared(const char* path, FileHandle* file) {
    if (!PassesInjectedFaults(PlatformCall::kOpenForReading)) return false;
    int descriptor = OpenWithoutWaiting(path, O_RDONLY);
    if (descriptor < 0) return false;
    struct stat information {};
    if (fstat(descriptor, &information) == 0 && !S_ISREG(information.st_mode)) {
        // Only a regular file is an image: a folder, a device or a fifo is refused.
        close(descriptor);
        RecordSystemError(S_ISDIR(information.st_mode) ? EISDIR : ENXIO);
        return false;
    }
    if (!LockExclusively(descriptor)) return false;
    file->value = descriptor;
    return true;
}

bool CreateForWritingUnshared(const char* path, FileHandle* file) {
    if (!PassesInjectedFaults(PlatformCall::kCreateForWriting)) return false;
    // Open without truncating first, so that a file another program holds is not emptied
    // before the lock is refused.
    int descriptor = OpenWithoutWaiting(path, O_WRONLY | O_CREAT);
    if (descriptor < 0) return false;
    if (!LockExclusively(descriptor)) return false;
    // Only a regular file is emptied; a device (a disk that is full, the null device) is written
    // as it is, as opening with truncation would do.
    struct stat information {};
    const bool regular = fstat(descriptor, &information) == 0 && S_ISREG(information.st_mode);
    if (regular && ftruncate(descriptor, 0) != 0) {
        RecordErrno();
        close(descriptor);
        return false;
    }
    file->value = descriptor;
    return true;
}

bool QueryFileSize(FileHandle file, uint32_t* low, uint32_t* high) {
    if (!PassesInjectedFaults(PlatformCall::kQueryFileSize)) return false;
    struct stat information {};
    if (fstat(Descriptor(file), &information) != 0) {
        RecordErrno();
        return false;
    }
    uint64_t size = static_cast<uint64_t>(information.st_size);
    *low = static_cast<uint32_t>(size);
    *high = static_cast<uint32_t>(size >> 32);
    return true;
}

bool MoveFilePosition(FileHandle file, int32_t offset) {
    if (!PassesInjectedFaults(PlatformCall::kMoveFilePosition)) return false;
    if (lseek(Descriptor(file), offset, SEEK_CUR) < 0) {
        RecordErrno();
        return false;
    }
    return true;
}

bool ReadFromFile(FileHandle file, void* buffer, uint32_t count, uint32_t* done) {
    *done = 0;
    if (!PassesInjectedFaults(PlatformCall::kReadFromFile, &count)) return false;
    uint32_t total = 0;
    auto* bytes = static_cast<unsigned char*>(buffer);
    while (total < count) {
        ssize_t got = read(Descriptor(file), bytes + total, count - total);
        if (got < 0) {
            if (errno == EINTR) continue;
            RecordErrno();
            *done = total;
            return false;
        }
        if (got == 0) break;
        total += static_cast<uint32_t>(got);
    }
    *done = total;
    return true;
}

bool WriteToFile(FileHandle file, const void* buffer, uint32_t count, uint32_t* done) {
    *done = 0;
    if (!PassesInjectedFaults(PlatformCall::kWriteToFile, &count)) return false;
    uint32_t total = 0;
    const auto* bytes = static_cast<const unsigned char*>(buffer);
    while (total < count) {
        ssize_t put = write(Descriptor(file), bytes + total, count - total);
        if (put < 0) {
            if (errno == EINTR) continue;
            RecordErrno();
            *done = total;
            return false;
        }
        if (put == 0) break;
        total += static_cast<uint32_t>(put);
    }
    *done = total;
    return true;
}

void CloseFile(FileHandle file) {
    if (file.value >= 0) close(Descriptor(file));
}

bool PathAttributesReadable(const char* path) {
    struct stat information {};
    if (stat(path, &information) != 0) {
        RecordErrno();
        return false;
    }
    return true;
}

bool DeleteNamedFile(const char* path) {
    if (!PassesInjectedFaults(PlatformCall::kDeleteFile)) return false;
    if (unlink(path) != 0) {
        RecordErrno();
        return false;
    }
    return true;
}
