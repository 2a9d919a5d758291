// The DPX-1 floppy layout: 80 cylinders, 2 heads, MFM at 250 kbit/s, and per track five
// 1,024-byte sectors (IDs 0 to 4) followed by one 512-byte sector (ID 5). An image file holds the
// tracks in the order cylinder 0 head 0, cylinder 0 head 1, cylinder 1 head 0, ...
#pragma once

#include <cstdint>

constexpr int32_t kCylinders = 80;
constexpr int32_t kHeads = 2;
constexpr int32_t kTracks = kCylinders * kHeads;

// Controller data-rate code of the DPX-1 disk (250 kbit/s).
constexpr uint8_t kDpxDataRate = 2;
// Flag byte of transfers and formats: MFM recording.
constexpr uint8_t kMfm = 0x40;

// The five large sectors at the start of a track.
constexpr uint8_t kLargeFirstSector = 0;
constexpr uint8_t kLargeSectorCount = 5;
constexpr uint8_t kLargeSizeCode = 3;
constexpr int32_t kLargeSectorBytes = 1024;
// The one small sector at the end of a track.
constexpr uint8_t kSmallSector = 5;
constexpr uint8_t kSmallSizeCode = 2;
constexpr int32_t kSmallSectorBytes = 512;

constexpr int32_t kLargeSectorsBytes = kLargeSectorCount * kLargeSectorBytes;  // 5,120
constexpr int32_t kTrackBytes = kLargeSectorsBytes + kSmallSectorBytes;        // 5,632
constexpr int32_t kDiskBytes = kTracks * kTrackBytes;                          // 901,120

// Bytes of one sector of the given size code (0 for codes no controller knows).
constexpr uint32_t SectorBytes(uint8_t sizeCode) {
    return sizeCode <= 7 ? 128u << sizeCode : 0;
}

// Offset of a track in an image file.
constexpr int32_t TrackOffset(int32_t cylinder, int32_t head) {
    return (cylinder * kHeads + head) * kTrackBytes;
}
