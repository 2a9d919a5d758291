// MORVEX reads a DPX-1 image through the Emulator II reading chain, which reads files: the
// image's data space (the five 1,024-byte sectors of every track, in track order) is first
// written to a temporary image file, in which byte L is data address L.
#pragma once

#include <cstdint>

#include "common/status.h"
#include "platform/files.h"

// The temporary image of a run: its name and, while the run has a file of that name that it
// made itself, which file that is. Only such a file is ever deleted.
struct TemporaryImage {
    const char* path;
    bool created;           // this run made the file now under path and has not removed it
    FileIdentity identity;  // the file it made
};

// Whether the first track of a DPX-1 image (its 5,632 bytes) carries the maker's name in the
// identification text of its file-system block, as every DPX-1 disk and converted bank does.
bool HasDpxIdentification(const uint8_t* firstTrack);

// Checks that dpxPath is a DPX-1 image (exactly 901,120 bytes, "Oberheim" in its identification
// text) and writes its 819,200-byte data space to a new file temporary->path, created
// exclusively. A file of the wrong size is a warning (11001); other failures are errors
// 11000..11008. A file of that name that exists already is left as it is: 11016 when it is the
// DPX image itself, 11015 otherwise. Once the file is made, temporary->created is set, also when
// the copy then fails. The DPX file is read once; when fileSystemBlock is given, its 512 bytes
// receive the image's file-system block, which the translation back needs (TranslateDPXToEII),
// so that it need not read it again.
StatusRecord CreateTemporaryImage(int8_t trace, const char* dpxPath, TemporaryImage* temporary,
                                  uint8_t* fileSystemBlock = nullptr);

// The same for a caller that deletes the file itself once it is done with it.
StatusRecord CreateTemporaryImage(int8_t trace, const char* dpxPath, const char* temporaryPath,
                                  uint8_t* fileSystemBlock = nullptr);

// Deletes the temporary image when this run made it and the name still leads to that file; a
// file that took its place is left alone. temporary->created stays set when the delete fails,
// so that a later call tries again.
void RemoveTemporaryImage(TemporaryImage* temporary);
