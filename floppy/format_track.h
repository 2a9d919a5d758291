// Formatting one track with the DPX-1 layout, as NIMROSE does it, and the DPX-1 identification
// block that an empty disk carries.
#pragma once

#include <array>
#include <cstdint>

#include "common/status.h"
#include "floppy/driver.h"

constexpr int32_t kIdentificationBlockBytes = 512;

// The identification block of an empty DPX-1 disk: sector 5 of cylinder 0, head 0.
extern const std::array<uint8_t, kIdentificationBlockBytes> kEmptyDiskIdentificationBlock;

// The format of one track: 256-byte data fields under eleven ID fields, the real sector IDs 0 to 5
// (size code 3, and 2 for sector 5) each followed by the dummy ID 0x99, gap 0xF1, fill byte 0. The
// whole-track write that follows the format gives each real sector its announced size.
FormatParameters BuildFormatParameters(int32_t head, int32_t cylinder);

// Formats the track under the head and writes it: zeros, and the identification block in sector 5
// of cylinder 0, head 0. Code 12 when the format fails, code 11 when the write fails.
StatusRecord FormatTrack(int8_t trace, FloppyDriver& driver, FloppyHandle handle, int32_t head,
                         int32_t cylinder);
