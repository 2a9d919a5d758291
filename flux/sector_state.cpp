#include "flux/sector_track.h"

const char* SectorStateText(SectorState state) {
    switch (state) {
        case SectorState::kGood:
            return "good";
        case SectorState::kIdCrcError:
            return "ID CRC error";
        case SectorState::kDataCrcError:
            return "data CRC error";
        case SectorState::kNoDataField:
            return "no data field";
        case SectorState::kMissing:
            return "missing";
    }
    return "missing";
}
