#include "dpx/layout.h"

#include <cstring>

#include "common/bytes.h"
#include "common/trace.h"
#include "eii/voice.h"

namespace {

// File-system block fields.
constexpr int32_t kHeaderPagesField = 54;
constexpr int32_t kVoiceTableLengthField = 66;
constexpr int32_t kVoiceTableAddressField = 68;
constexpr int32_t kSampleAreaSpanField = 73;
constexpr int32_t kSampleDataAddressField = 76;
constexpr int32_t kPagesPlusField = 362;  // the header page count plus 162
constexpr int32_t kSampleMemoryEndField = 372;
constexpr int32_t kEmuSampleStartField = 376;
constexpr int32_t kAmplitudeField = 383;
constexpr int32_t kPagesPlusOffset = 162;

// The identification text and two spaces, then 0x03, "22" and a zero byte: offsets 0..31.
constexpr char kIdentification[] =
    "(c)1987 Oberheim/ECC DPX-1  \x03"
    "22";
static_assert(sizeof kIdentification == 32, "the identification fills offsets 0..31");

// Voice record fields; addresses are sample-memory addresses, 32-bit.
constexpr int32_t kVoiceNumberField = 0;  // zero-based
constexpr int32_t kPlayStartField = 6;
constexpr int32_t kPlayLastField = 10;  // the last point played, inclusive
constexpr int32_t kLoopStartField = 18;
constexpr int32_t kLoopEndField = 22;

// Fixed bytes of the block, each at its offset.
struct FixedBytes {
    int32_t offset;
    int32_t size;
    uint8_t bytes[16];
};
constexpr FixedBytes kFixedFields[] = {
    {79, 3, {0x00, 0x00, 0x2A}},
    {346,
     16,
     {0x00, 0xA2, 0x66, 0x00, 0x00, 0x0C, 0x66, 0x00, 0x00, 0xA5, 0x35, 0x00, 0x00, 0xA5, 0x98, 0x00}},
    {364, 8, {0x66, 0x00, 0xFB, 0x00, 0x80, 0x00, 0x00, 0x00}},
    {379, 4, {0x4A, 0xFB, 0x4A, 0xFB}},
    {385, 2, {0x4A, 0xFB}},
};

// Fixed bytes of a voice record, at offsets within the 36-byte record.
constexpr FixedBytes kVoiceFixedFields[] = {
    {2, 4, {0x01, 0x6C, 0x4A, 0xFB}},
    {14, 4, {0x01, 0x01, 0xFF, 0xFF}},
    {26, 10, {0x4A, 0x00, 0x4A, 0xFB, 0x4A, 0xFB, 0x4A, 0xFB, 0x4A, 0xFB}},
};

void WriteFixed(uint8_t* target, const FixedBytes& field) {
    std::memcpy(target + field.offset, field.bytes, static_cast<size_t>(field.size));
}

// ceil(value / unit) for either sign of value: -3 / 1,024 gives 0, not 1.
int64_t CeilDivide(int64_t value, int64_t unit) {
    if (value >= 0) return (value + unit - 1) / unit;
    return -((-value) / unit);
}

int64_t RoundUp(int64_t value, int64_t unit) {
    return CeilDivide(value, unit) * unit;
}

}  // namespace

int32_t ComputeVoiceTableAddress(int32_t sampleAreaStart) {
    return static_cast<int32_t>(RoundUp(RoundUp(sampleAreaStart, kDpxHeaderUnit), kDpxSectorSize));
}

int32_t ComputeSampleDataAddress(int32_t voiceTableAddress, int32_t voiceCount) {
    int64_t endMark = static_cast<int64_t>(voiceTableAddress) +
                      static_cast<int64_t>(kDpxVoiceSlotSize) * voiceCount -
                      (kDpxVoiceSlotSize - kDpxVoiceRecordSize - 1);
    return static_cast<int32_t>(RoundUp(endMark, kDpxSectorSize));
}

int32_t ImageOffsetOfDataAddress(int32_t dataAddress) {
    return (dataAddress / kDpxTrackDataSize) * kDpxTrackSize + dataAddress % kDpxTrackDataSize;
}

uint32_t SampleMemoryAddress(int64_t point) {
    return static_cast<uint32_t>(static_cast<uint64_t>(kDpxSampleMemoryBase + 2 * point));
}

void EncodeDiskAddress(int32_t dataAddress, uint8_t* bytes) {
    bytes[0] = static_cast<uint8_t>(dataAddress / kDpxCylinderDataSize);
    bytes[1] = static_cast<uint8_t>((dataAddress % kDpxTrackDataSize) / kDpxSectorSize);
    bytes[2] = static_cast<uint8_t>((dataAddress % kDpxCylinderDataSize) / kDpxTrackDataSize);
}

int32_t DecodeDiskAddress(const uint8_t* bytes) {
    return bytes[0] * kDpxCylinderDataSize + bytes[1] * kDpxSectorSize + bytes[2] * kDpxTrackDataSize;
}

int32_t ComputeAmplitudeField(int32_t peakAmplitude) {
    // Exact in double precision: the product is an integer below 2^53 and 32,768 a power of two.
    int32_t scaled = static_cast<int32_t>(static_cast<double>(peakAmplitude) * 10751.0 / 32768.0);
    return (scaled / 16) * 16 + 15;
}

int32_t PeakAmplitudeFromField(int32_t amplitudeField) {
    const int32_t steps = (amplitudeField - 15) / 16;
    return static_cast<int32_t>(static_cast<double>(steps * 16) * 32768.0 / 10751.0);
}

DpxFileSystemFields ReadDPXFileSystem(const uint8_t* block) {
    DpxFileSystemFields fields;
    fields.VoiceTableAddress = DecodeDiskAddress(block + kVoiceTableAddressField);
    fields.SampleDataAddress = DecodeDiskAddress(block + kSampleDataAddressField);
    fields.VoiceCount = ReadBig16(block + kVoiceTableLengthField) / kDpxVoiceSlotSize;
    fields.AmplitudeField = ReadBig16(block + kAmplitudeField);
    return fields;
}

StatusRecord CreateDPXFileSystem(int8_t trace, BankBasicDetails header, int32_t sampleDataAddress,
                                 int32_t voiceTableAddress, int32_t peakAmplitude, uint8_t* block) {
    TraceEnter(trace, "CreateDPXFileSystem");
    const int64_t start = header.StartSampleAddress;
    std::memset(block, 0, kDpxFileSystemSize);
    std::memcpy(block, kIdentification, sizeof kIdentification);

    const int64_t headerPages = CeilDivide(start, kDpxHeaderUnit) * kDpxHeaderUnitPages;
    // The sample area's end rounded up to a multiple of 3,584, counted from S.
    const int64_t sampleAreaSpan = RoundUp(start + header.TotalSampleSize, kDpxHeaderUnit) - start;

    block[kHeaderPagesField] = static_cast<uint8_t>(headerPages);
    WriteBig16(block + kVoiceTableLengthField,
               static_cast<uint32_t>(static_cast<int64_t>(kDpxVoiceSlotSize) * header.NumberOfVoices));
    EncodeDiskAddress(voiceTableAddress, block + kVoiceTableAddressField);
    WriteBig24(block + kSampleAreaSpanField, static_cast<uint32_t>(sampleAreaSpan));
    EncodeDiskAddress(sampleDataAddress, block + kSampleDataAddressField);
    for (const FixedBytes& field : kFixedFields) WriteFixed(block, field);
    WriteBig16(block + kPagesPlusField, static_cast<uint32_t>(headerPages + kPagesPlusOffset));
    WriteBig24(block + kSampleMemoryEndField, SampleMemoryAddress(sampleAreaSpan));
    WriteBig24(block + kEmuSampleStartField, static_cast<uint32_t>(start + kEmuAddressBias));

    const int32_t amplitude = ComputeAmplitudeField(peakAmplitude);
    WriteBig16(block + kAmplitudeField, static_cast<uint32_t>(amplitude));
    TraceLine(trace, kTraceCalls, "Max ampl in DPX format: %d (%X %X)\n", amplitude, block[kAmplitudeField],
              block[kAmplitudeField + 1]);
    TraceWait(trace, kTraceCalls);

    TraceLine(trace, kTraceDetails, "DPX Filesystem (%d bytes):\n", kDpxFileSystemSize);
    if (trace >= kTraceDetails) {
        for (int32_t offset = 0; offset < kDpxFileSystemSize; offset += 2) {
            TraceLine(trace, kTraceDetails, "%X%X ", block[offset], block[offset + 1]);
            if (offset % 30 == 0) TraceLine(trace, kTraceDetails, "\n");
        }
    }
    TraceLine(trace, kTraceDetails, "\n");
    TraceWait(trace, kTraceDetails);
    TraceEnd(trace, "CreateDPXFileSystem");
    return InitStatusRecord();
}

StatusRecord CreateDPXVoice(int8_t trace, VoiceOverview voice, uint8_t* output, int32_t slotIndex,
                            int32_t sampleAreaStart, int32_t sampleStart) {
    TraceEnter(trace, "CreateDPXVoice");
    uint8_t* record = output;
    if (slotIndex > 0) {
        // The link of the previous slot: the offset of this slot from the start of the table.
        WriteBig16(output, 0);
        WriteBig16(output + 2, static_cast<uint32_t>(static_cast<int64_t>(kDpxVoiceSlotSize) * slotIndex));
        record = output + (kDpxVoiceSlotSize - kDpxVoiceRecordSize);
    }
    const int64_t start = sampleAreaStart;
    const int64_t playStart = voice.Param[kVoicePlayStartSlot];
    const int64_t playLast = static_cast<int64_t>(voice.Param[kVoicePlayEndSlot]) - 1;
    const uint32_t sampleEnd = SampleMemoryAddress(playLast - start);
    // Without a loop both loop addresses repeat the sample end.
    uint32_t loopStart = sampleEnd;
    uint32_t loopEnd = sampleEnd;
    if (voice.Param[kVoiceLoopOnSlot] == 1) {
        const int64_t loopFirst = static_cast<int64_t>(sampleStart) + voice.Param[kVoiceLoopStartSlot];
        loopStart = SampleMemoryAddress(loopFirst - start);
        loopEnd = SampleMemoryAddress(loopFirst + voice.Param[kVoiceLoopLengthSlot] - 1 - start);
    }

    WriteBig16(record + kVoiceNumberField,
               static_cast<uint32_t>(static_cast<int64_t>(voice.VoiceNumber) - 1));
    WriteBig32(record + kPlayStartField, SampleMemoryAddress(playStart - start));
    WriteBig32(record + kPlayLastField, sampleEnd);
    WriteBig32(record + kLoopStartField, loopStart);
    WriteBig32(record + kLoopEndField, loopEnd);
    for (const FixedBytes& field : kVoiceFixedFields) WriteFixed(record, field);

    const uint8_t* number = record + kVoiceNumberField;
    const uint8_t* first = record + kPlayStartField;
    const uint8_t* last = record + kPlayLastField;
    TraceLine(trace, kTraceDetails, "..Voice %d (%X %X): [Offset=%d, Shift=%d]\n", voice.VoiceNumber - 1,
              number[0], number[1], sampleAreaStart, 0);
    TraceLine(trace, kTraceDetails, " START: 8b=%d-->16b=%d (%X %X %X %X) --",
              voice.Param[kVoicePlayStartSlot], static_cast<int32_t>(2 * (playStart - start)), first[0],
              first[1], first[2], first[3]);
    TraceLine(trace, kTraceDetails, " END: 8b=%d-->16b=%d (%X %X %X %X)\n", voice.Param[kVoicePlayEndSlot],
              static_cast<int32_t>(2 * (playLast - start)), last[0], last[1], last[2], last[3]);
    TraceEnd(trace, "CreateDPXVoice");
    return InitStatusRecord();
}

void SpreadDataSpace(const uint8_t* dataSpace, const uint8_t* fileSystemBlock, uint8_t* image) {
    for (int32_t track = 0; track < kDpxTrackCount; ++track)
        std::memcpy(image + track * kDpxTrackSize, dataSpace + track * kDpxTrackDataSize, kDpxTrackDataSize);
    std::memcpy(image + kDpxFileSystemOffset, fileSystemBlock, kDpxFileSystemSize);
}
