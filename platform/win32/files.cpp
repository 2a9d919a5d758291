#include "platform/files.h"

#include <windows.h>

#include "platform/fault_injection.h"
#include "platform/win32/last_error.h"

namespace {

HANDLE Native(FileHandle file) {
    return reinterpret_cast<HANDLE>(file.value);
}

bool Open(const char* path, DWORD access, DWORD disposition, FileHandle* file) {
    // Share mode 0: no other opener is admitted while the file is open.
    HANDLE handle = CreateFileA(path, access, 0, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        RecordLastError();
        return false;
    }
    file->value = reinterpret_cast<intptr_t>(handle);
    return true;
}

FileIdentity IdentityOf(const BY_HANDLE_FILE_INFORMATION& information) {
    return FileIdentity{
        information.dwVolumeSerialNumber,
        (static_cast<uint64_t>(information.nFileIndexHigh) << 32) | information.nFileIndexLow};
}

bool IsMissingError(DWORD error) {
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

}  // namespace

bool OpenForReadingUnshared(const char* path, FileHandle* file) {
    if (!PassesInjectedFaults(PlatformCall::kOpenForReading)) return false;
    return Open(path, GENERIC_READ, OPEN_EXISTING, file);
}

bool CreateForWritingUnshared(const char* path, FileHandle* file) {
    if (!PassesInjectedFaults(PlatformCall::kCreateForWriting)) return false;
    return Open(path, GENERIC_WRITE, CREATE_ALWAYS, file);
}

bool QueryFileSize(FileHandle file, uint32_t* low, uint32_t* high) {
    if (!PassesInjectedFaults(PlatformCall::kQueryFileSize)) return false;
    LARGE_INTEGER size;
    if (!GetFileSizeEx(Native(file), &size)) {
        RecordLastError();
        return false;
    }
    *low = static_cast<uint32_t>(size.LowPart);
    *high = static_cast<uint32_t>(size.HighPart);
    return true;
}

bool MoveFilePosition(FileHandle file, int32_t offset) {
    if (!PassesInjectedFaults(PlatformCall::kMoveFilePosition)) return false;
    SetLastError(NO_ERROR);
    DWORD result = SetFilePointer(Native(file), offset, nullptr, FILE_CURRENT);
    if (result == INVALID_SET_FILE_POINTER && GetLastError() != NO_ERROR) {
        RecordLastError();
        return false;
    }
    return true;
}

bool ReadFromFile(FileHandle file, void* buffer, uint32_t count, uint32_t* done) {
    *done = 0;
    if (!PassesInjectedFaults(PlatformCall::kReadFromFile, &count)) return false;
    DWORD got = 0;
    BOOL ok = ReadFile(Native(file), buffer, count, &got, nullptr);
    *done = got;
    if (!ok) {
        RecordLastError();
        return false;
    }
    return true;
}

bool WriteToFile(FileHandle file, const void* buffer, uint32_t count, uint32_t* done) {
    *done = 0;
    if (!PassesInjectedFaults(PlatformCall::kWriteToFile, &count)) return false;
    DWORD put = 0;
    BOOL ok = WriteFile(Native(file), buffer, count, &put, nullptr);
    *done = put;
    if (!ok) {
        RecordLastError();
        return false;
    }
    return true;
}

void CloseFile(FileHandle file) {
    if (file.value != -1) CloseHandle(Native(file));
}

bool PathAttributesReadable(const char* path) {
    if (GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES) {
        RecordLastError();
        return false;
    }
    return true;
}

bool DeleteNamedFile(const char* path) {
    if (!PassesInjectedFaults(PlatformCall::kDeleteFile)) return false;
    if (!DeleteFileA(path)) {
        RecordLastError();
        return false;
    }
    return true;
}

bool QueryPathKind(const char* path, PathKind* kind, FileIdentity* identity) {
    if (!PassesInjectedFaults(PlatformCall::kQueryIdentity)) return false;
    // Opened for its attributes only, which a file held without sharing admits; links are
    // followed, folders need the backup flag.
    HANDLE handle = CreateFileA(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        if (!IsMissingError(error)) {
            RecordSystemError(error);
            return false;
        }
        // Nothing at the end of the name: the name itself may still be a link that leads nowhere.
        *kind = GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES ? PathKind::kMissing
                                                                    : PathKind::kDanglingLink;
        return true;
    }
    BY_HANDLE_FILE_INFORMATION information;
    const bool disk = GetFileType(handle) == FILE_TYPE_DISK;
    if (!GetFileInformationByHandle(handle, &information)) {
        // Devices such as NUL have no file information: they are no regular file.
        CloseHandle(handle);
        if (disk) {
            RecordLastError();
            return false;
        }
        *kind = PathKind::kNotRegular;
        *identity = FileIdentity{};
        return true;
    }
    CloseHandle(handle);
    const bool folder = (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    *kind = disk && !folder ? PathKind::kRegularFile : PathKind::kNotRegular;
    *identity = IdentityOf(information);
    return true;
}

bool QueryOpenFileIdentity(FileHandle file, FileIdentity* identity) {
    if (!PassesInjectedFaults(PlatformCall::kQueryIdentity)) return false;
    BY_HANDLE_FILE_INFORMATION information;
    if (!GetFileInformationByHandle(Native(file), &information)) {
        RecordLastError();
        return false;
    }
    *identity = IdentityOf(information);
    return true;
}

bool CreateExclusively(const char* path, FileHandle* file) {
    if (!PassesInjectedFaults(PlatformCall::kCreateExclusively)) return false;
    return Open(path, GENERIC_WRITE, CREATE_NEW, file);
}

bool IsAlreadyExistsError(uint32_t error) {
    return error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS;
}

bool FlushToDisk(FileHandle file) {
    if (!PassesInjectedFaults(PlatformCall::kFlushToDisk)) return false;
    if (!FlushFileBuffers(Native(file))) {
        RecordLastError();
        return false;
    }
    return true;
}

bool ReplaceNamedFile(const char* from, const char* to) {
    if (!PassesInjectedFaults(PlatformCall::kRenameFile)) return false;
    if (!MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        RecordLastError();
        return false;
    }
    return true;
}

bool RenameWithoutReplacing(const char* from, const char* to) {
    if (!PassesInjectedFaults(PlatformCall::kRenameFile)) return false;
    if (!MoveFileExA(from, to, MOVEFILE_WRITE_THROUGH)) {
        RecordLastError();
        return false;
    }
    return true;
}
