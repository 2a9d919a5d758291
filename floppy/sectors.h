// Sector and track transfers on an open drive: one controller read or write of consecutive
// sectors, and one whole DPX-1 track (five 1,024-byte sectors, then the 512-byte sector).
#pragma once

#include <cstdint>

#include "common/status.h"
#include "floppy/driver.h"

// The parameters of a transfer of count sectors from firstSector on, with the ID fields of the
// track itself: end of track is firstSector + count, gap 0x0A, data length 0xFF.
TransferParameters BuildTransferParameters(int32_t head, int32_t cylinder, uint8_t firstSector, uint8_t count,
                                           uint8_t sizeCode);

// Reads count sectors of (128 << sizeCode) bytes into buffer; *transferred receives the bytes
// delivered. Code 11 on failure, with the driver's error number.
StatusRecord ReadSectors(int8_t trace, FloppyDriver& driver, FloppyHandle handle, int32_t head,
                         int32_t cylinder, uint8_t firstSector, uint8_t count, uint8_t sizeCode,
                         uint8_t* buffer, uint32_t* transferred);
// Writes count sectors of (128 << sizeCode) bytes from buffer. Code 11 on failure.
StatusRecord WriteSectors(int8_t trace, FloppyDriver& driver, FloppyHandle handle, int32_t head,
                          int32_t cylinder, uint8_t firstSector, uint8_t count, uint8_t sizeCode,
                          const uint8_t* buffer, uint32_t* transferred);

// Reads one track into a buffer of kTrackBytes bytes.
StatusRecord ReadTrack(int8_t trace, FloppyDriver& driver, FloppyHandle handle, int32_t head,
                       int32_t cylinder, uint8_t* track, uint32_t* transferred);
// Writes one track from a buffer of kTrackBytes bytes.
StatusRecord WriteTrack(int8_t trace, FloppyDriver& driver, FloppyHandle handle, int32_t head,
                        int32_t cylinder, const uint8_t* track, uint32_t* transferred);
