// The DPX-1 disk image: 160 track images, the linear data space that their 1,024-byte sectors
// form, the addresses of the areas inside it, and the two structured pieces VELTRA writes into
// it: the 512-byte file-system block and the 40-byte voice records. Every number inside the
// image is big-endian.
#pragma once

#include <cstdint>

#include "common/status.h"
#include "eii/bank_model.h"

// Image geometry: 80 cylinders, 2 heads; each track image holds five 1,024-byte sectors and then
// one 512-byte sector. Track image t holds cylinder t / 2, head t mod 2.
constexpr int32_t kDpxImageSize = 901120;
constexpr int32_t kDpxTrackCount = 160;
constexpr int32_t kDpxTrackSize = 5632;
constexpr int32_t kDpxTrackDataSize = 5120;
constexpr int32_t kDpxSectorSize = 1024;
constexpr int32_t kDpxCylinderDataSize = 10240;
// The 1,024-byte sectors of all tracks in image order: data addresses 0..819,199.
constexpr int32_t kDpxDataSpaceSize = 819200;
// The file-system block is the 512-byte sector of track image 0.
constexpr int32_t kDpxFileSystemOffset = 5120;
constexpr int32_t kDpxFileSystemSize = 512;

// The Emulator II leading area is counted in units of 14 pages of 256 bytes.
constexpr int32_t kDpxHeaderUnit = 3584;
constexpr int32_t kDpxHeaderUnitPages = 14;

// The voice table: 40-byte slots, each a 36-byte record followed by the link to the next slot;
// the last record is followed by the end mark.
constexpr int32_t kDpxVoiceSlotSize = 40;
constexpr int32_t kDpxVoiceRecordSize = 36;
constexpr uint8_t kDpxVoiceTableEndMark = 0x80;

// Sample point i of the sample data lies at sample-memory address 0x800000 + 2i.
constexpr uint32_t kDpxSampleMemoryBase = 0x800000;

// Where the voice table starts: S rounded up to a multiple of 3,584, then of 1,024.
int32_t ComputeVoiceTableAddress(int32_t sampleAreaStart);
// Where the sample data starts: the first 1,024-byte boundary at or after the end mark of a
// table of voiceCount records (voiceTableAddress + 40n - 3). Without voices at data address 0
// this is 0.
int32_t ComputeSampleDataAddress(int32_t voiceTableAddress, int32_t voiceCount);
// The image offset of data address L: (L / 5,120) x 5,632 + L mod 5,120.
int32_t ImageOffsetOfDataAddress(int32_t dataAddress);
// 0x800000 + 2 x point, kept to 32 bits.
uint32_t SampleMemoryAddress(int64_t point);

// A disk address is 3 bytes (cylinder, sector, head) naming the 1,024-byte sector where an area
// starts: cylinder x 10,240 + head x 5,120 + sector x 1,024.
void EncodeDiskAddress(int32_t dataAddress, uint8_t* bytes);
int32_t DecodeDiskAddress(const uint8_t* bytes);

// The amplitude field of the file-system block for the peak amplitude M: a = trunc(M x 10,751 /
// 32,768), then a rounded down to a multiple of 16, plus 15.
int32_t ComputeAmplitudeField(int32_t peakAmplitude);

// The peak amplitude that an amplitude field A stands for: trunc(((A - 15) / 16) x 16 x 32,768 /
// 10,751), the division by 16 an integer one and the rest in double precision. Every field below
// 31 gives 0. The field VELTRA writes for M reads back slightly below M (0x29FF gives 32,722).
int32_t PeakAmplitudeFromField(int32_t amplitudeField);

// The numbers a reader takes back from a file-system block.
struct DpxFileSystemFields {
    int32_t VoiceTableAddress;  // data address of the voice table
    int32_t SampleDataAddress;  // data address of the sample data, a multiple of 1,024
    int32_t VoiceCount;         // the voice table length / 40
    int32_t AmplitudeField;     // A, 16-bit
};
DpxFileSystemFields ReadDPXFileSystem(const uint8_t* block);

// Fills the 512-byte file-system block for a bank whose leading area ends at its
// StartSampleAddress. Always succeeds.
StatusRecord CreateDPXFileSystem(int8_t trace, BankBasicDetails header, int32_t sampleDataAddress,
                                 int32_t voiceTableAddress, int32_t peakAmplitude, uint8_t* block);

// Writes the voice record of slot `slotIndex`. For slot 0 the 36-byte record goes to bytes
// 0..35 of `output`; for a later slot the previous slot's 4-byte link comes first and the record
// follows, 40 bytes in all. `sampleAreaStart` is S, `sampleStart` the start of the sample the
// voice plays. Always succeeds.
StatusRecord CreateDPXVoice(int8_t trace, VoiceOverview voice, uint8_t* output, int32_t slotIndex,
                            int32_t sampleAreaStart, int32_t sampleStart);

// Lays the data space out over the 160 track images of `image` and puts the file-system block
// into the 512-byte sector of track image 0; the other 512-byte sectors are left as they are.
void SpreadDataSpace(const uint8_t* dataSpace, const uint8_t* fileSystemBlock, uint8_t* image);
