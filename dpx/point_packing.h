// The 12-bit sample points of the DPX-1 sample data. A point is an excess-2,048 code (2,048 is
// silence). Two points share a 3-byte group: byte 0 = low 8 bits of the first point, byte 1 =
// its bits 8..11 in the high nibble and the second point's bits 8..11 in the low nibble, byte 2
// = low 8 bits of the second point. Every 1,024-byte block holds 341 groups (682 points) in its
// bytes 0..1,022; byte 1,023 is never used and the next point starts a new group in the next
// block. An odd last point leaves the low nibble of byte 1 and byte 2 of its group zero: the
// first point of a group writes the whole group.
#pragma once

#include <algorithm>
#include <cstdint>

constexpr int32_t kDpxPointMinimum = 0;
constexpr int32_t kDpxPointMaximum = 4095;
constexpr int32_t kDpxSilentPoint = 2048;
constexpr int32_t kDpxGroupsPerBlock = 341;
constexpr int32_t kDpxPointsPerBlock = 682;

// Where the next point is read or written.
struct PointCursor {
    int32_t position;  // data address of the next byte
    int32_t phase;     // kFirstPointOfGroup or kSecondPointOfGroup
};
constexpr int32_t kFirstPointOfGroup = 0;
constexpr int32_t kSecondPointOfGroup = 1;

// A cursor at the first point of the sample data, which starts on a 1,024-byte boundary.
PointCursor InitPointCursor(int32_t sampleDataAddress);

// The point code of a 16-bit value v: (v + 32,768) / 16, held within 0..4,095.
int32_t PointFromValue(int32_t value);

// The bytes of one 1,024-byte block of the sample data.
constexpr int32_t kDpxPointBlockSize = 1024;

// The cursor leaves the unused last byte of a block behind and starts a new group.
inline void SkipBlockEnd(PointCursor* cursor) {
    if ((cursor->position + 1) % kDpxPointBlockSize == 0) {
        cursor->position += 1;
        cursor->phase = kFirstPointOfGroup;
    }
}

// Stores the low 12 bits of point at the cursor and advances it; a first point also clears the
// rest of its group. The caller makes sure that the data space has room: see PackedPointSpan.
// Called for every point of a bank, so inline.
inline void PackPoint(uint8_t* dataSpace, PointCursor* cursor, int32_t point) {
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

// Packs the points pointAt(0) .. pointAt(count - 1) as PackPoint does one after the other, but
// a whole group at a time wherever two points share one: the inner loop of VELTRA.
template <typename PointAt>
inline void PackPoints(uint8_t* dataSpace, PointCursor* cursor, int32_t count, const PointAt& pointAt) {
    int32_t index = 0;
    if (cursor->phase == kSecondPointOfGroup && index < count) PackPoint(dataSpace, cursor, pointAt(index++));
    while (count - index >= 2) {
        // The groups left in this block before its unused last byte, as far as the points go.
        const int32_t inBlock = cursor->position % kDpxPointBlockSize;
        const int32_t groups = std::min((kDpxPointBlockSize - 1 - inBlock) / 3, (count - index) / 2);
        if (groups == 0) {
            PackPoint(dataSpace, cursor, pointAt(index++));
            continue;
        }
        uint8_t* group = dataSpace + cursor->position;
        for (int32_t left = groups; left > 0; --left, group += 3, index += 2) {
            const uint32_t first = static_cast<uint32_t>(pointAt(index)) & 0xFFF;
            const uint32_t second = static_cast<uint32_t>(pointAt(index + 1)) & 0xFFF;
            group[0] = static_cast<uint8_t>(first & 0xFF);
            group[1] = static_cast<uint8_t>(((first >> 8) << 4) | (second >> 8));
            group[2] = static_cast<uint8_t>(second & 0xFF);
        }
        cursor->position += 3 * groups;
        SkipBlockEnd(cursor);
    }
    if (index < count) PackPoint(dataSpace, cursor, pointAt(index));
}

// Reads the point at the cursor and advances it the same way.
inline int32_t UnpackPoint(const uint8_t* dataSpace, PointCursor* cursor) {
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

// The bytes that `points` points occupy from the start of the sample data, counting every
// block they reach: 1,024 per full block and 3 per group of the last block.
int32_t PackedPointSpan(int32_t points);
