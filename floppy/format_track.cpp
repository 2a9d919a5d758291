#include "floppy/format_track.h"

#include <cstring>

#include "common/trace.h"
#include "floppy/layout.h"
#include "floppy/sectors.h"

namespace {

constexpr uint8_t kFormatSizeCode = 1;
constexpr uint8_t kFormatGapLength = 0xF1;
constexpr uint8_t kFormatFillByte = 0x00;
// The ID that follows every real sector ID on a DPX-1 track.
constexpr uint8_t kDummySectorId = 0x99;

// Bytes 0 to 107 of the identification block; the rest is the pair 4A FB up to byte 343, one more
// 4A at byte 344, and zeros.
constexpr uint8_t kIdentificationHead[] = {
    '(',  'c',  ')',  '1',  '9',  '8',  '7',  ' ',  'O',  'b',  'e',  'r',  'h',  'e',  'i',  'm',
    '/',  'E',  'C',  'C',  ' ',  'D',  'P',  'X',  '-',  '1',  0x20, 0x20, 0x09, 0x32, 0x32, 0x00,
    0x20, 0x00, 0x00, 0x41, 0x0B, 0xBC, 0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0x00, 0x00, 0x01,
    0xE4, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x4F, 0x00, 0x00, 0x00, 0x05, 0x00, 0x00,
    0x00, 0x01, 0x00, 0x40, 0x1D, 0x9E, 0x00, 0x40, 0x17, 0xAE, 0x00, 0x40, 0x1D, 0xD0, 0x00, 0x00,
    0x00, 0x00, 0x00, 0x00, 0x00, 0x38, 0xFF, 0xFF, 0x05, 0xB8, 0xFF, 0xFF, 0x72, 0x10, 0x00, 0x40,
    0x1D, 0x9E, 0x00, 0x40, 0x17, 0xBC, 0x00, 0x00, 0x00, 0x40, 0x09, 0x44,
};
constexpr int32_t kIdentificationHeadBytes = sizeof kIdentificationHead;
constexpr int32_t kFillerPairs = 118;
constexpr uint8_t kFillerFirst = 0x4A;
constexpr uint8_t kFillerSecond = 0xFB;
static_assert(kIdentificationHeadBytes == 108, "the fixed head of the identification block");

constexpr std::array<uint8_t, kIdentificationBlockBytes> MakeIdentificationBlock() {
    std::array<uint8_t, kIdentificationBlockBytes> block{};
    int32_t at = 0;
    for (; at < kIdentificationHeadBytes; ++at) block[at] = kIdentificationHead[at];
    for (int32_t pair = 0; pair < kFillerPairs; ++pair) {
        block[at++] = kFillerFirst;
        block[at++] = kFillerSecond;
    }
    block[at] = kFillerFirst;  // byte 344
    return block;
}

}  // namespace

const std::array<uint8_t, kIdentificationBlockBytes> kEmptyDiskIdentificationBlock =
    MakeIdentificationBlock();

FormatParameters BuildFormatParameters(int32_t head, int32_t cylinder) {
    FormatParameters parameters{};
    parameters.flags = kMfm;
    parameters.physicalHead = static_cast<uint8_t>(head);
    parameters.sizeCode = kFormatSizeCode;
    parameters.sectorCount = kFormatIdFieldCount;
    parameters.gapLength = kFormatGapLength;
    parameters.fillByte = kFormatFillByte;
    for (int32_t index = 0; index < kFormatIdFieldCount; ++index) {
        SectorIdField& id = parameters.ids[index];
        id.cylinder = static_cast<uint8_t>(cylinder);
        id.head = static_cast<uint8_t>(head);
        id.sector = index % 2 == 0 ? static_cast<uint8_t>(index / 2) : kDummySectorId;
        id.sizeCode = id.sector == kSmallSector ? kSmallSizeCode : kLargeSizeCode;
    }
    return parameters;
}

StatusRecord FormatTrack(int8_t trace, FloppyDriver& driver, FloppyHandle handle, int32_t head,
                         int32_t cylinder) {
    TraceEnter(trace, "FormatTrack");
    const FormatParameters parameters = BuildFormatParameters(head, cylinder);
    const DriverResult result = driver.Format(handle, parameters);
    if (!result.ok)
        return MakeStatus(12, 'E', "Formatting was not successful, code %d.", static_cast<int>(result.error));

    std::array<uint8_t, kTrackBytes> track{};
    if (head == 0 && cylinder == 0)
        std::memcpy(track.data() + kLargeSectorsBytes, kEmptyDiskIdentificationBlock.data(),
                    kEmptyDiskIdentificationBlock.size());
    uint32_t written = 0;
    StatusRecord status = WriteTrack(trace, driver, handle, head, cylinder, track.data(), &written);
    // The end line comes after a failed write too.
    TraceEnd(trace, "FormatTrack");
    return status;
}
