// libFuzzer target: a file through the HFE reader and the SCP reader, as `dpxtool` reads a disk
// image, and every track the SCP reader gives through the phase-locked loop with both presets.
// The input is the whole file.
#include <cstddef>
#include <cstdint>

#include "flux/flux_cells.h"
#include "flux/hfe.h"
#include "flux/scp.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    HfeDisk hfe;
    ReadHfe(data, size, &hfe);
    ScpDisk scp;
    if (!ReadScp(data, size, &scp).ok()) return 0;
    for (const FluxTrack& track : scp.tracks) {
        if (track.intervals.empty()) continue;
        FluxToCells(track, kDpxCellRate, kPllNormal);
        FluxToCells(track, kDpxCellRate, kPllSteady);
    }
    return 0;
}
