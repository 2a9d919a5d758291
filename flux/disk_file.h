// The disk image files the suite reads and writes, told apart by their file name extension.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "flux/file_check.h"

enum class DiskFileFormat : uint8_t {
    kUnknown,
    kPlainImage,  // .dpx, .img: the 901,120 bytes of the sectors, track by track
    kHfe,         // .hfe: bit cells, version 1
    kScp,         // .scp: flux
};

// The format a file name's extension stands for, whatever its letter case; kUnknown for any other.
DiskFileFormat DiskFileFormatOfName(const std::string& name);

// The format's short name, as messages use it ("plain image", "HFE", "SCP").
const char* DiskFileFormatName(DiskFileFormat format);

// Whether a file's bytes are what its name promises: the signature of an HFE or SCP file, the size
// of a plain image. The refusal says what was found instead.
FileCheck CheckDiskFile(DiskFileFormat format, const uint8_t* bytes, size_t size);
