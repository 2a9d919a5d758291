#include "dpx/point_packing.h"

#include "dpx/layout.h"

namespace {

// The cursor leaves the unused last byte of a block behind and starts a new group.
void SkipBlockEnd(PointCursor* cursor) {
    if ((cursor->position + 1) % kDpxSectorSize == 0) {
        cursor->position += 1;
        cursor->phase = kFirstPointOfGroup;
    }
}

}  // namespace

PointCursor InitPointCursor(int32_t sampleDataAddress) {
    return PointCursor{sampleDataAddress, kFirstPointOfGroup};
}

int32_t PointFromValue(int32_t value) {
    int32_t point = (value + 32768) / 16;
    if (point < kDpxPointMinimum) return kDpxPointMinimum;
    if (point > kDpxPointMaximum) return kDpxPointMaximum;
    return point;
}

void PackPoint(uint8_t* dataSpace, PointCursor* cursor, int32_t point) {
    const uint32_t bits = static_cast<uint32_t>(point) & 0xFFF;
    uint8_t* group = dataSpace + cursor->position;
    if (cursor->phase == kFirstPointOfGroup) {
        group[0] = static_cast<uint8_t>(bits & 0xFF);
        group[1] = static_cast<uint8_t>((bits >> 8) << 4);
        group[2] = 0;
        cursor->position += 1;
        cursor->phase = kSecondPointOfGroup;
    } else {
        group[0] = static_cast<uint8_t>(group[0] | (bits >> 8));
        group[1] = static_cast<uint8_t>(bits & 0xFF);
        cursor->position += 2;
        cursor->phase = kFirstPointOfGroup;
    }
    SkipBlockEnd(cursor);
}

int32_t UnpackPoint(const uint8_t* dataSpace, PointCursor* cursor) {
    const uint8_t* group = dataSpace + cursor->position;
    int32_t point;
    if (cursor->phase == kFirstPointOfGroup) {
        point = ((group[1] >> 4) & 0x0F) * 256 + group[0];
        cursor->position += 1;
        cursor->phase = kSecondPointOfGroup;
    } else {
        point = (group[0] & 0x0F) * 256 + group[1];
        cursor->position += 2;
        cursor->phase = kFirstPointOfGroup;
    }
    SkipBlockEnd(cursor);
    return point;
}

int32_t PackedPointSpan(int32_t points) {
    if (points <= 0) return 0;
    const int32_t fullBlocks = points / kDpxPointsPerBlock;
    const int32_t rest = points % kDpxPointsPerBlock;
    return fullBlocks * kDpxSectorSize + (rest + 1) / 2 * 3;
}
