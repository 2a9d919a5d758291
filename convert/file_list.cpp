#include "convert/file_list.h"

#include <cstdio>

#include "common/trace.h"
#include "platform/console.h"
#include "platform/files.h"
#include "platform/folder.h"

namespace {

// Entries with any of these attributes are not candidates: hidden, system, folders, devices,
// temporary, sparse, offline, encrypted and virtual files.
constexpr uint32_t kRejectedAttributes = kAttributeHidden | kAttributeSystem | kAttributeDirectory |
                                         kAttributeDevice | kAttributeTemporary | kAttributeSparseFile |
                                         kAttributeOffline | kAttributeEncrypted | kAttributeVirtual;

// The file overview trace pauses after every this many listed names.
constexpr int32_t kListLinesPerPage = 50;

}  // namespace

StatusRecord GetFileOverview(int8_t trace, ImageOverview* first, int32_t* count) {
    TraceEnter(trace, "GetFileOverview");
    FolderListing listing;
    FolderEntry entry;
    if (!StartFolderListing(&listing, &entry))
        return MakeStatus(750, 'E', "Can not search files in current folder. Error is %u.",
                          LastSystemError());

    int32_t accepted = 0;
    ImageOverview* last = first;
    do {
        TraceLine(trace, kTraceDetails, "*DEBUGGING* %s [%X]", entry.name, entry.attributes);
        if ((entry.attributes & kRejectedAttributes) != 0) {
            TraceLine(trace, kTraceDetails, "[N]\n");
            continue;
        }
        TraceLine(trace, kTraceDetails, "[Y]\n");
        if (accepted > 0) {
            last->next = InitImageOverview(trace, kContextNumber, kPassThroughByte);
            last = last->next;
        }
        std::snprintf(last->Name, sizeof last->Name, "%s", entry.name);
        ++accepted;
    } while (NextFolderEntry(&listing, &entry));
    EndFolderListing(&listing);
    *count = accepted;

    TraceLine(trace, kTraceDetails, "No of files in current folder: %d\n", accepted);
    if (trace >= kTraceDetails && accepted > 0) {
        int32_t number = 1;
        for (const ImageOverview* node = first; node != nullptr; node = node->next, ++number) {
            std::printf("%d - %s\n", number, node->Name);
            if (number % kListLinesPerPage == 0) WaitForKey();
        }
    }
    TraceEnd(trace, "GetFileOverview");
    return InitStatusRecord();
}

int32_t FileExists(int8_t trace, const char* fileName) {
    int32_t result = PathAttributesReadable(fileName) ? 0 : 1;
    TraceLine(trace, kTraceDetails, "File exists ? (0 = yes, 1 = no) --> %d\n", result);
    TraceWait(trace, kTraceDetails);
    return result;
}
