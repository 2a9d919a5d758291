// A whole DPX-1 disk read from, or written to, a disk image file of any format the suite knows:
// the 901,120 bytes of the plain image, and what became of every sector on the way.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

#include "flux/cell_track.h"
#include "flux/disk_file.h"
#include "flux/file_check.h"
#include "flux/flux_track.h"
#include "flux/sector_track.h"

constexpr int32_t kSectorsPerTrack = 6;

// One sector of the disk as the reading found it.
struct SectorReport {
    uint8_t cylinder = 0;
    uint8_t head = 0;
    uint8_t sector = 0;
    SectorState state = SectorState::kMissing;
};

// What the file itself says about the disk it holds, beside the sectors.
struct DiskFileGeometry {
    int32_t cylinders = 0;      // tracks in the file, by cylinder (a file may hold more than 80)
    int32_t sides = 0;          // 1 or 2
    int32_t revolutions = 0;    // SCP: the most revolutions of any track; 1 for HFE
    uint32_t bitRate = 0;       // HFE: data kbit/s from its header
    uint32_t rpm = 0;           // HFE: rpm from its header, 0 when not given
    bool indexAligned = false;  // SCP: revolutions start at the index
};

struct DiskImage {
    // The plain image: the tracks in the order cylinder 0 head 0, cylinder 0 head 1, ...; a
    // sector that could not be read holds zeros.
    std::vector<uint8_t> bytes;
    // Every sector of the disk, in the order of the image.
    std::vector<SectorReport> sectors;
    DiskFileGeometry geometry;
};

// Called after every track with the tracks done so far and the tracks in all, for a progress bar.
using TrackProgress = std::function<void(int32_t done, int32_t total)>;

// Reads a disk image file held in `bytes`, of the given format (its signature or size checked
// first). A plain image gives every sector good. The bit cells of an HFE track are scanned as a
// ring; the sectors that fail are tried once more through the loop (cells to flux and back to
// cells at the nominal rate), which reads cells held at another rate than the disk's (an HFE of
// 500 kbit/s) and, in such finer cells, a track written by a drive off speed. The flux of an SCP
// track goes through the loop with kPllNormal: first its first revolution and a quarter past the
// index, and when that lacks a sector all its revolutions as one stream; the sectors still missing
// are tried again with kPllSteady. A track the file lacks gives six missing sectors.
FileCheck ReadDiskImage(DiskFileFormat format, const uint8_t* bytes, size_t size, DiskImage* image,
                        const TrackProgress& progress = nullptr);

// Builds the disk image file of the plain image `image` (901,120 bytes) in the given format: each
// track encoded with the DPX-1 layout as one revolution of bit cells (HFE: 80 cylinders, 2 sides,
// 250 kbit/s), or as two revolutions of flux from the index (SCP), or the bytes as they are.
FileCheck WriteDiskImage(DiskFileFormat format, const uint8_t* image, std::vector<uint8_t>* bytes,
                         const TrackProgress& progress = nullptr);

// The six sectors of a track from its cells (an HFE track) or its flux (an SCP track), with the
// retries described above.
SectorTrack ReadCellTrack(const CellTrack& cells, int32_t cylinder, int32_t head);
SectorTrack ReadFluxTrack(const FluxTrack& flux, int32_t cylinder, int32_t head);

// How many of the sectors are good: of the disk, or of one track (cylinder, head).
int32_t GoodSectors(const DiskImage& image);
int32_t GoodSectorsOfTrack(const DiskImage& image, int32_t cylinder, int32_t head);
