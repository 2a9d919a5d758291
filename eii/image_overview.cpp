#include "eii/image_overview.h"

#include "common/trace.h"
#include "eii/list_copy.h"

ImageOverview* InitImageOverview(int8_t trace, int32_t, uint8_t) {
    TraceInitEnter(trace, "InitImageOverview");
    ImageOverview* node = new ImageOverview();
    node->next = nullptr;
    TraceInitEnd(trace, "InitImageOverview");
    return node;
}

static ImageOverview* InitListNode(int8_t trace, int32_t context, uint8_t passThrough, ImageOverview*) {
    return InitImageOverview(trace, context, passThrough);
}

void FreeImageOverviewMem(int8_t trace, int32_t, uint8_t, ImageOverview* first) {
    TraceEnter(trace, "FreeImageOverviewMem");
    FreeList(first);
    TraceLine(trace, kTraceCalls, "--END:FreeImageOverviewMem--\n");
}

ImageOverview* CopyImageOverview(int8_t trace, int32_t context, uint8_t passThrough,
                                 const ImageOverview* first) {
    return CopyList(trace, context, passThrough, first);
}
