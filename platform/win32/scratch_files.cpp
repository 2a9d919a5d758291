#include "platform/scratch_files.h"

#include <windows.h>

#include "platform/win32/last_error.h"

bool CreateScratchFile(char* path, int32_t size) {
    char folder[MAX_PATH + 1];
    char name[MAX_PATH + 1];
    const DWORD length = GetTempPathA(sizeof folder, folder);
    if (length == 0 || length > sizeof folder) {
        RecordLastError();
        return false;
    }
    // Makes the file under a name of its own in that folder.
    if (GetTempFileNameA(folder, "dpx", 0, name) == 0) {
        RecordLastError();
        return false;
    }
    if (lstrlenA(name) >= size) {
        DeleteFileA(name);
        RecordSystemError(ERROR_FILENAME_EXCED_RANGE);
        return false;
    }
    lstrcpyA(path, name);
    return true;
}

bool IsFolder(const char* path) {
    const DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool MakeFolder(const char* path) {
    if (CreateDirectoryA(path, nullptr) || (GetLastError() == ERROR_ALREADY_EXISTS && IsFolder(path)))
        return true;
    RecordLastError();
    return false;
}
