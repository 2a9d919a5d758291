#include "platform/files.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <string>

#ifdef __linux__
#include <sys/syscall.h>
#endif

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

FileIdentity IdentityOf(const struct stat& information) {
    return FileIdentity{static_cast<uint64_t>(information.st_dev), static_cast<uint64_t>(information.st_ino)};
}

// Passes a rename on to the disk: the folder that holds the new name is flushed. A folder that
// cannot be opened or flushed (some network file systems) leaves the rename as the system keeps it.
void FlushFolderOf(const char* path) {
    std::string folder = path;
    const size_t slash = folder.find_last_of('/');
    folder = slash == std::string::npos ? "." : slash == 0 ? "/" : folder.substr(0, slash);
    int descriptor = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (descriptor < 0) return;
    fsync(descriptor);
    close(descriptor);
}

// renameat2 with RENAME_NOREPLACE where the kernel and the file system know it; -1 with errno
// EINVAL or ENOSYS where they do not.
int RenameNoReplace(const char* from, const char* to) {
#if defined(__linux__) && defined(SYS_renameat2)
    constexpr unsigned int kRenameNoReplace = 1;
    return static_cast<int>(syscall(SYS_renameat2, AT_FDCWD, from, AT_FDCWD, to, kRenameNoReplace));
#else
    errno = ENOSYS;
    return -1;
#endif
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

bool QueryPathKind(const char* path, PathKind* kind, FileIdentity* identity) {
    if (!PassesInjectedFaults(PlatformCall::kQueryIdentity)) return false;
    struct stat information {};
    if (stat(path, &information) == 0) {
        *kind = S_ISREG(information.st_mode) ? PathKind::kRegularFile : PathKind::kNotRegular;
        *identity = IdentityOf(information);
        return true;
    }
    if (errno != ENOENT) {
        RecordErrno();
        return false;
    }
    // Nothing at the end of the name: the name itself may still be a link that leads nowhere.
    if (lstat(path, &information) == 0) {
        *kind = PathKind::kDanglingLink;
        return true;
    }
    if (errno != ENOENT) {
        RecordErrno();
        return false;
    }
    *kind = PathKind::kMissing;
    return true;
}

bool QueryOpenFileIdentity(FileHandle file, FileIdentity* identity) {
    if (!PassesInjectedFaults(PlatformCall::kQueryIdentity)) return false;
    struct stat information {};
    if (fstat(Descriptor(file), &information) != 0) {
        RecordErrno();
        return false;
    }
    *identity = IdentityOf(information);
    return true;
}

bool CreateExclusively(const char* path, FileHandle* file) {
    if (!PassesInjectedFaults(PlatformCall::kCreateExclusively)) return false;
    // O_EXCL also refuses a link of that name, wherever it leads.
    int descriptor = open(path, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (descriptor < 0) {
        RecordErrno();
        return false;
    }
    if (!LockExclusively(descriptor)) {
        unlink(path);
        return false;
    }
    file->value = descriptor;
    return true;
}

bool IsAlreadyExistsError(uint32_t error) {
    return error == EEXIST;
}

bool FlushToDisk(FileHandle file) {
    if (!PassesInjectedFaults(PlatformCall::kFlushToDisk)) return false;
    if (fsync(Descriptor(file)) != 0) {
        RecordErrno();
        return false;
    }
    return true;
}

bool ReplaceNamedFile(const char* from, const char* to) {
    if (!PassesInjectedFaults(PlatformCall::kRenameFile)) return false;
    if (rename(from, to) != 0) {
        RecordErrno();
        return false;
    }
    FlushFolderOf(to);
    return true;
}

bool RenameWithoutReplacing(const char* from, const char* to) {
    if (!PassesInjectedFaults(PlatformCall::kRenameFile)) return false;
    if (RenameNoReplace(from, to) == 0) {
        FlushFolderOf(to);
        return true;
    }
    if (errno != EINVAL && errno != ENOSYS) {
        RecordErrno();
        return false;
    }
    // Without renameat2: a hard link fails when the new name exists; the old name then goes.
    if (link(from, to) != 0) {
        RecordErrno();
        return false;
    }
    unlink(from);
    FlushFolderOf(to);
    return true;
}
