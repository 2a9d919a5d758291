// Places for files that dpxtool makes: a scratch file of its own in the system's temporary folder
// (the user's folders stay clean), and the folders it writes its output into.
#pragma once

#include <cstdint>

// Makes a new, empty file with a name no other file has, in the system's temporary folder, and
// writes its path (at most size - 1 characters) to path. The caller deletes it. False when no
// such file can be made; LastSystemError then tells why.
bool CreateScratchFile(char* path, int32_t size);

// True when the path names an existing folder.
bool IsFolder(const char* path);

// Makes the folder (not its parents); true when it exists afterwards.
bool MakeFolder(const char* path);
