// The disk in an emulated drive: what the medium of every track holds, kept as the positions of its
// flux transitions round one revolution.
//
// Why transitions and not cells: a drive that turns at R rpm writes and reads R / 300 nominal cells
// in every 2 µs cell of its controller, so a track written by a drive 1.5 % fast carries cells 1.5 %
// longer than one written at 300 rpm, and a write that starts in the middle of a track lands
// wherever the controller's clock says, not on the cells already there. Each transition is held at
// 1/64 of a nominal cell (a revolution is 6,400,000 such units), fine enough that rounding never
// shows in what the controller's loop reads. Writing erases a stretch of the ring and puts the new
// transitions in it, each at the centre of its cell, scaled by the drive's speed; reading takes the
// transitions from a position on, through the index as often as needed, as the flux the controller's
// loop turns back into cells (flux/controller.h). An HFE image is one revolution of cells from the
// index: loading spreads its cells evenly over the revolution; saving reads the revolution as a flux
// reader at 300 rpm does (through the loop, unless every transition sits on the nominal cell grid,
// which is then taken as it is).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "flux/cell_track.h"
#include "flux/file_check.h"
#include "flux/flux_track.h"
#include "flux/hfe.h"

constexpr uint32_t kMediumUnitsPerCell = 64;
constexpr uint32_t kMediumRevolution = kDpxCellsPerRevolution * kMediumUnitsPerCell;  // 6,400,000
// Medium units that pass the head in one second at 300 rpm.
constexpr uint32_t kMediumUnitsPerSecond = kDpxCellRate * kMediumUnitsPerCell;

// The cylinders a drive's head reaches, 0 to 82; an image file holds at least the first 80.
constexpr int32_t kEmulatedCylinders = 83;
constexpr int32_t kEmulatedHeads = 2;

// One track's medium: transition positions in [0, kMediumRevolution), ascending; empty when the
// track was never written.
struct MediumTrack {
    std::vector<uint32_t> flux;
};

struct EmulatedDisk {
    // The header fields of the image file it came from (or of a new one), kept when it is saved.
    HfeDisk header;
    // Track of cylinder c, head h at c * kEmulatedHeads + h.
    std::vector<MediumTrack> tracks = std::vector<MediumTrack>(kEmulatedCylinders * kEmulatedHeads);
    bool changed = false;  // written since it was loaded

    MediumTrack& Track(int32_t cylinder, int32_t head) {
        return tracks[static_cast<size_t>(cylinder * kEmulatedHeads + head)];
    }
    const MediumTrack& Track(int32_t cylinder, int32_t head) const {
        return tracks[static_cast<size_t>(cylinder * kEmulatedHeads + head)];
    }
};

// Writes `cells` onto the track from position `start` (medium units, any value: taken round the
// ring), each cell `unitsPerCell` long: the stretch they cover is erased and a transition put at the
// centre of every cell of 1. A write of a whole revolution or more erases the whole track first and
// keeps what lands last.
void WriteMediumCells(MediumTrack* track, double start, const uint8_t* cells, size_t count,
                      double unitsPerCell);

// The flux that passes the head from position `start` on for `length` units, round the ring as often
// as needed, its ticks being medium units, `ticksPerSecond` of them a second. The index pulses that
// pass are the boundaries of its revolutions (the first revolution runs from `start` to the first
// pulse).
FluxTrack ReadMediumFlux(const MediumTrack& track, double start, double length, uint32_t ticksPerSecond);

// One revolution of the track as cells of the given rate at 300 rpm, from the index: a ring.
CellTrack MediumRing(const MediumTrack& track, uint32_t cellRate);
// Lays a ring of cells (one revolution from the index) evenly over the whole track.
void PutMediumRing(MediumTrack* track, const CellTrack& ring);

// A disk that was never formatted: no flux on any track.
EmulatedDisk BlankEmulatedDisk();
// Loads an HFE image file held in `bytes`; a refusal says what is wrong with it.
FileCheck LoadEmulatedDisk(const uint8_t* bytes, size_t size, EmulatedDisk* disk);
// The HFE image file of the disk: every cylinder the file had or that holds flux, at least 80.
FileCheck SaveEmulatedDisk(const EmulatedDisk& disk, std::vector<uint8_t>* bytes);
