// Listing the current folder with the attribute bits of each entry.
#pragma once

#include <cstdint>

// Attribute bits of a folder entry, with the values the Windows file system gives them.
constexpr uint32_t kAttributeReadOnly = 0x1;
constexpr uint32_t kAttributeHidden = 0x2;
constexpr uint32_t kAttributeSystem = 0x4;
constexpr uint32_t kAttributeDirectory = 0x10;
constexpr uint32_t kAttributeArchive = 0x20;
constexpr uint32_t kAttributeDevice = 0x40;
constexpr uint32_t kAttributeNormal = 0x80;
constexpr uint32_t kAttributeTemporary = 0x100;
constexpr uint32_t kAttributeSparseFile = 0x200;
constexpr uint32_t kAttributeOffline = 0x1000;
constexpr uint32_t kAttributeEncrypted = 0x4000;
constexpr uint32_t kAttributeVirtual = 0x10000;

constexpr int32_t kFolderEntryNameSize = 261;

struct FolderEntry {
    char name[kFolderEntryNameSize];
    uint32_t attributes;
};

struct FolderListing {
    void* handle = nullptr;
};

// Starts listing the current folder (every name) and delivers the first entry. False when the
// listing cannot start; LastSystemError then tells why.
bool StartFolderListing(FolderListing* listing, FolderEntry* first);
// Delivers the next entry; false at the end of the listing or on an error.
bool NextFolderEntry(FolderListing* listing, FolderEntry* entry);
void EndFolderListing(FolderListing* listing);
