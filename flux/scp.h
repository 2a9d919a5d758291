// SCP flux images: the flux of every track as a flux reader (SuperCard Pro, Greaseweazle,
// KryoFlux through its tools) captured it, several revolutions from the index.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "flux/file_check.h"
#include "flux/flux_track.h"

// Track numbers run over cylinder * 2 + head.
constexpr size_t kScpTrackCount = 168;

struct ScpDisk {
    // Whether every revolution starts at the index (header flag bit 0).
    bool indexAligned = true;
    // By track number; a track without revolutions is not in the image.
    std::vector<FluxTrack> tracks = std::vector<FluxTrack>(kScpTrackCount);
};

// Whether the bytes start with the SCP signature "SCP".
FileCheck CheckScpSignature(const uint8_t* bytes, size_t size);

// Reads an SCP image file held in `bytes`. Every offset and count in it is checked against the
// file size; a refusal says what is wrong. Revolutions without flux at the end of a track are
// dropped. A checksum that does not match the bytes is a warning, not a refusal: the flux itself
// is judged by the sectors' CRCs, which say far more precisely what is damaged, and some tools
// change an image without updating the checksum.
FileCheck ReadScp(const uint8_t* bytes, size_t size, ScpDisk* disk);

// Builds the SCP image file of a disk: 16-bit intervals of 25 ns, both sides, 96 tpi, 300 rpm.
// Every track gets as many revolutions as the one with the most; the others are filled with
// empty revolutions. An interval the format cannot hold (0, or a multiple of 65,536 ticks) is
// written a tick longer and the tick taken from the next.
FileCheck WriteScp(const ScpDisk& disk, std::vector<uint8_t>* bytes);
