#include "dpx/point_packing.h"

#include "dpx/layout.h"

PointCursor InitPointCursor(int32_t sampleDataAddress) {
    return PointCursor{sampleDataAddress, kFirstPointOfGroup};
}

int32_t PointFromValue(int32_t value) {
    int32_t point = (value + 32768) / 16;
    if (point < kDpxPointMinimum) return kDpxPointMinimum;
    if (point > kDpxPointMaximum) return kDpxPointMaximum;
    return point;
}

int32_t PackedPointSpan(int32_t points) {
    if (points <= 0) return 0;
    const int32_t fullBlocks = points / kDpxPointsPerBlock;
    const int32_t rest = points % kDpxPointsPerBlock;
    return fullBlocks * kDpxSectorSize + (rest + 1) / 2 * 3;
}
