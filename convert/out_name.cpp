#include "convert/out_name.h"

#include <cstdio>
#include <cstring>

#include "common/trace.h"
#include "convert/file_list.h"
#include "platform/files.h"

namespace {

// True when the formatted name fitted the buffer.
bool Fits(int written) {
    return written >= 0 && written < kOutNameBufferSize;
}

// A name is taken by anything that carries it: a file, a folder, or a link that leads nowhere,
// through which a write would make a file somewhere else.
bool NameTaken(int8_t trace, const char* name) {
    if (FileExists(trace, name) == 0) return true;
    PathKind kind = PathKind::kMissing;
    FileIdentity identity;
    return QueryPathKind(name, &kind, &identity) && kind == PathKind::kDanglingLink;
}

}  // namespace

void DetermineOutFileName(int8_t trace, const char* inName, char* outName, char kind) {
    TraceEnter(trace, "DetermineOutFileName");
    const char* extension = kind == 'E' ? "EII" : "DPX";

    // The base ends at the last '.', searched over the whole name, folder part included; a name
    // whose only '.' is its first character keeps the whole name as its base.
    const char* lastDot = std::strrchr(inName, '.');
    int baseLength =
        static_cast<int>(lastDot != nullptr && lastDot != inName ? lastDot - inName : std::strlen(inName));

    int written = std::snprintf(outName, kOutNameBufferSize, "%.*s.%s", baseLength, inName, extension);
    for (int32_t number = 1; Fits(written) && NameTaken(trace, outName); ++number)
        written =
            std::snprintf(outName, kOutNameBufferSize, "%.*s_%d.%s", baseLength, inName, number, extension);
    if (!Fits(written)) outName[0] = '\0';
    TraceEnd(trace, "DetermineOutFileName");
}
