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
