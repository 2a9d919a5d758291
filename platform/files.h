// Whole-file access for the converters: files opened without sharing, 64-bit sizes, relative
// positioning, raw reads and writes, attributes and deletion. Every failing call records the
// system's error number, which LastSystemError returns.
#pragma once

#include <cstdint>

// Error number of a file that another program holds open (the sharing violation).
constexpr uint32_t kSharingViolation = 32;

struct FileHandle {
    intptr_t value = -1;
};

// Opens an existing file for reading; no other opener is admitted while it is open.
bool OpenForReadingUnshared(const char* path, FileHandle* file);
// Creates a file for writing, replacing an existing one; no other opener is admitted.
bool CreateForWritingUnshared(const char* path, FileHandle* file);
// The 64-bit size of an open file.
bool QueryFileSize(FileHandle file, uint32_t* low, uint32_t* high);
// Moves the file position forward by offset bytes from the current position.
bool MoveFilePosition(FileHandle file, int32_t offset);
// Reads up to count bytes; *done receives the number delivered (fewer at the end of the file).
bool ReadFromFile(FileHandle file, void* buffer, uint32_t count, uint32_t* done);
// Writes count bytes; *done receives the number written.
bool WriteToFile(FileHandle file, const void* buffer, uint32_t count, uint32_t* done);
void CloseFile(FileHandle file);

// The identity of a file, the same for every name and link that leads to it: device and inode,
// or on Windows the volume serial number and the file index.
struct FileIdentity {
    uint64_t volume = 0;
    uint64_t index = 0;
};

inline bool SameFile(FileIdentity first, FileIdentity second) {
    return first.volume == second.volume && first.index == second.index;
}

// What a name stands for when a program is about to write there.
enum class PathKind : int32_t {
    kMissing,       // nothing of that name
    kRegularFile,   // a regular file, or a link to one
    kNotRegular,    // a folder, a device, a fifo, a socket, or a link to one of those
    kDanglingLink,  // a symbolic link whose target does not exist
};

// Finds out what the name stands for, following links; *identity is set for every kind but
// kMissing and kDanglingLink. False (with the system's error) when the name cannot be examined.
bool QueryPathKind(const char* path, PathKind* kind, FileIdentity* identity);
// The identity of an open file.
bool QueryOpenFileIdentity(FileHandle file, FileIdentity* identity);

// Creates a new file for writing; fails with the error that IsAlreadyExistsError recognises when
// anything of that name exists already, a dangling link included. No other opener is admitted.
bool CreateExclusively(const char* path, FileHandle* file);
// True for the error numbers that mean "a file of that name exists already".
bool IsAlreadyExistsError(uint32_t error);
// Passes what was written to the file on to the disk itself (fsync, FlushFileBuffers).
bool FlushToDisk(FileHandle file);
// Gives the file named from the name to, replacing a file of that name in one step; the rename
// itself reaches the disk before the call returns.
bool ReplaceNamedFile(const char* from, const char* to);
// Gives the file named from the name to only when nothing of that name exists; otherwise fails
// with the error that IsAlreadyExistsError recognises and leaves both names as they were.
bool RenameWithoutReplacing(const char* from, const char* to);

// True when the attributes of the named file or folder can be read (it exists).
bool PathAttributesReadable(const char* path);
// Deletes a file; false when it could not be deleted.
bool DeleteNamedFile(const char* path);

// The error number of the last failing system call made through this layer.
uint32_t LastSystemError();

// Reads exactly count bytes. A read that ends early without a system error has no error number
// of its own: *error is then 0, as it is on success.
inline bool ReadExactly(FileHandle file, void* buffer, uint32_t count, uint32_t* error) {
    uint32_t delivered = 0;
    const bool readOk = ReadFromFile(file, buffer, count, &delivered);
    *error = readOk ? 0 : LastSystemError();
    return readOk && delivered == count;
}
