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
