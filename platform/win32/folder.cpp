#include "platform/folder.h"

#include <windows.h>

#include <cstdio>

#include "platform/fault_injection.h"
#include "platform/win32/last_error.h"

namespace {

void Deliver(const WIN32_FIND_DATAA& found, FolderEntry* entry) {
    std::snprintf(entry->name, sizeof entry->name, "%s", found.cFileName);
    entry->attributes = found.dwFileAttributes;
}

}  // namespace

bool StartFolderListing(FolderListing* listing, FolderEntry* first) {
    if (!PassesInjectedFaults(PlatformCall::kStartFolderListing)) return false;
    WIN32_FIND_DATAA found;
    HANDLE handle = FindFirstFileA("*", &found);
    if (handle == INVALID_HANDLE_VALUE) {
        RecordLastError();
        return false;
    }
    Deliver(found, first);
    listing->handle = handle;
    return true;
}

bool NextFolderEntry(FolderListing* listing, FolderEntry* entry) {
    if (!PassesInjectedFaults(PlatformCall::kNextFolderEntry)) return false;
    WIN32_FIND_DATAA found;
    if (!FindNextFileA(static_cast<HANDLE>(listing->handle), &found)) {
        if (GetLastError() != ERROR_NO_MORE_FILES) RecordLastError();
        return false;
    }
    Deliver(found, entry);
    return true;
}

void EndFolderListing(FolderListing* listing) {
    if (listing->handle != nullptr) FindClose(static_cast<HANDLE>(listing->handle));
    listing->handle = nullptr;
}
