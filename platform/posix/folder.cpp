#include "platform/folder.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "platform/fault_injection.h"
#include "platform/posix/last_error.h"

namespace {

// Gives a POSIX entry the attribute bits a Windows listing would: names beginning with '.' are
// hidden; folders are folders; regular files (and links to them) are normal files; devices,
// fifos, sockets and broken links count as devices, so that no listing accepts them.
uint32_t AttributesOf(const char* name) {
    uint32_t attributes = 0;
    if (name[0] == '.') attributes |= kAttributeHidden;
    struct stat information {};
    if (stat(name, &information) != 0) return attributes | kAttributeDevice;
    if (S_ISDIR(information.st_mode)) return attributes | kAttributeDirectory;
    if (!S_ISREG(information.st_mode)) return attributes | kAttributeDevice;
    attributes |= kAttributeArchive;
    if (access(name, W_OK) != 0) attributes |= kAttributeReadOnly;
    return attributes;
}

bool Deliver(DIR* folder, FolderEntry* entry) {
    errno = 0;
    dirent* found = readdir(folder);
    if (found == nullptr) {
        if (errno != 0) RecordErrno();
        return false;
    }
    std::snprintf(entry->name, sizeof entry->name, "%s", found->d_name);
    entry->attributes = AttributesOf(found->d_name);
    return true;
}

}  // namespace

bool StartFolderListing(FolderListing* listing, FolderEntry* first) {
    if (!PassesInjectedFaults(PlatformCall::kStartFolderListing)) return false;
    DIR* folder = opendir(".");
    if (folder == nullptr) {
        RecordErrno();
        return false;
    }
    if (!Deliver(folder, first)) {
        closedir(folder);
        return false;
    }
    listing->handle = folder;
    return true;
}

bool NextFolderEntry(FolderListing* listing, FolderEntry* entry) {
    if (!PassesInjectedFaults(PlatformCall::kNextFolderEntry)) return false;
    return Deliver(static_cast<DIR*>(listing->handle), entry);
}

void EndFolderListing(FolderListing* listing) {
    if (listing->handle != nullptr) closedir(static_cast<DIR*>(listing->handle));
    listing->handle = nullptr;
}
