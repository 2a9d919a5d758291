#include "flux/disk_file.h"

#include <cctype>

#include "dpx/layout.h"
#include "flux/hfe.h"
#include "flux/scp.h"

namespace {

struct DiskFileKind {
    const char* extension;  // lower case, with the dot
    DiskFileFormat format;
};

constexpr DiskFileKind kDiskFileKinds[] = {
    {".dpx", DiskFileFormat::kPlainImage},
    {".img", DiskFileFormat::kPlainImage},
    {".hfe", DiskFileFormat::kHfe},
    {".scp", DiskFileFormat::kScp},
};

}  // namespace

DiskFileFormat DiskFileFormatOfName(const std::string& name) {
    const size_t dot = name.find_last_of('.');
    if (dot == std::string::npos || name.find_first_of("/\\", dot) != std::string::npos)
        return DiskFileFormat::kUnknown;
    std::string extension = name.substr(dot);
    for (char& letter : extension)
        letter = static_cast<char>(std::tolower(static_cast<unsigned char>(letter)));
    for (const DiskFileKind& kind : kDiskFileKinds)
        if (extension == kind.extension) return kind.format;
    return DiskFileFormat::kUnknown;
}

const char* DiskFileFormatName(DiskFileFormat format) {
    switch (format) {
        case DiskFileFormat::kPlainImage:
            return "plain image";
        case DiskFileFormat::kHfe:
            return "HFE";
        case DiskFileFormat::kScp:
            return "SCP";
        case DiskFileFormat::kUnknown:
            break;
    }
    return "unknown";
}

FileCheck CheckDiskFile(DiskFileFormat format, const uint8_t* bytes, size_t size) {
    switch (format) {
        case DiskFileFormat::kPlainImage:
            if (size != static_cast<size_t>(kDpxImageSize))
                return FileError("a plain image has %d bytes, this file %llu", kDpxImageSize,
                                 static_cast<unsigned long long>(size));
            return FileCheck();
        case DiskFileFormat::kHfe:
            return CheckHfeSignature(bytes, size);
        case DiskFileFormat::kScp:
            return CheckScpSignature(bytes, size);
        case DiskFileFormat::kUnknown:
            break;
    }
    return FileError("the name ends in none of .dpx, .img, .hfe, .scp");
}
