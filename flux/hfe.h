// HFE images, version 1: the bit cells of every track from its index, as Gotek floppy emulators
// (FlashFloppy, the HxC firmware) play them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

#include "flux/cell_track.h"
#include "flux/file_check.h"

// Header values this project writes.
constexpr uint8_t kHfeEncodingIsoMfm = 0x00;
// The interface mode "generic Shugart, double density". The DPX-1 is no PC: its drive bus reports
// a drive ready on pin 34, where the PC mode (0x00) puts the disk-change signal instead. FlashFloppy
// ignores the field; the HxC firmware sets up its pins by it.
constexpr uint8_t kHfeInterfaceShugartDd = 0x07;

struct HfeDisk {
    uint8_t cylinders = 80;
    uint8_t sides = 2;
    uint16_t bitRate = 250;  // data bits per second / 1,000; the cells run at twice that
    uint16_t rpm = 300;
    uint8_t encoding = kHfeEncodingIsoMfm;
    uint8_t interfaceMode = kHfeInterfaceShugartDd;
    bool writeAllowed = true;
    // Track of cylinder c, side s at c * sides + s: a ring with its index at cell 0.
    std::vector<CellTrack> tracks;
};

// Whether the bytes start with the HFE version 1 signature "HXCPICFE"; the refusal says what else
// they are.
FileCheck CheckHfeSignature(const uint8_t* bytes, size_t size);

// Reads an HFE image file held in `bytes`. Every offset and length in it is checked against the
// file size; a refusal says what is wrong.
FileCheck ReadHfe(const uint8_t* bytes, size_t size, HfeDisk* disk);

// Builds the HFE image file of a disk: header, track list, then each cylinder's two sides
// interleaved 256 bytes at a time. Every track needs the disk's cell rate; a side shorter than
// the other in its cylinder is padded with cells without flux.
FileCheck WriteHfe(const HfeDisk& disk, std::vector<uint8_t>* bytes);

// The track of a cylinder and side, asked for once each, in the order of the file; it is packed
// before the next is asked for, so one buffer can serve them all.
using HfeTrackSource = std::function<const CellTrack&(int32_t cylinder, int32_t side)>;

// The same file with the tracks made on demand instead of held in `disk.tracks` (not looked at):
// a whole disk written without holding its cells all at once.
FileCheck WriteHfe(const HfeDisk& disk, const HfeTrackSource& trackOf, std::vector<uint8_t>* bytes);

// A track as an HFE file holds it: cell 8k + j in bit j of byte k, from the index.
struct HfePackedTrack {
    uint32_t cellRate = kDpxCellRate;
    std::vector<uint8_t> bits;
};

using HfePackedSource = std::function<const HfePackedTrack&(int32_t cylinder, int32_t side)>;

// The same file with every track made on demand already packed (EncodePackedDpxTrack), as the
// two other forms write it.
FileCheck WriteHfePacked(const HfeDisk& disk, const HfePackedSource& trackOf, std::vector<uint8_t>* bytes);
