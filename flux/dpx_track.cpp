#include "flux/dpx_track.h"

#include "floppy/layout.h"
#include "flux/mfm.h"

namespace {

// The fields of the track from the index on, until `cells` cells are written or passed.
template <typename Writer>
void LayTrack(const TrackGaps& gaps, const std::vector<TrackSector>& sectors, uint32_t cells,
              Writer* writer) {
    writer->Gap(gaps.gap4a);
    if (gaps.indexMark) {
        writer->Sync();
        writer->IndexMark();
    }
    writer->Gap(gaps.gap1);
    for (const TrackSector& sector : sectors) {
        const uint8_t id[4] = {sector.cylinder, sector.head, sector.sector, sector.sizeCode};
        writer->Sync();
        writer->Field(kIdMark, id, sizeof id);
        writer->Gap(gaps.gap2);
        writer->Sync();
        writer->Field(sector.dataMark, sector.data, sector.dataBytes);
        writer->Gap(gaps.gap3);
        if (writer->Cell() >= cells) break;
    }
    // Gap 4b up to the index.
    while (writer->Cell() < cells) writer->Byte(kGapByte);
}

}  // namespace

CellTrack EncodeMfmTrack(const TrackGaps& gaps, const std::vector<TrackSector>& sectors, uint32_t cells) {
    CellTrack track;
    track.indexCells = {0};
    // Written as a stream over the revolution's cells, so that what does not fit runs on past
    // them instead of round over the start, and is cut off at the end.
    track.cells.assign(cells, 0);
    CellWriter writer(&track, 0);
    LayTrack(gaps, sectors, cells, &writer);
    track.cells.resize(cells);
    track.ring = true;
    return track;
}

void EncodePackedMfmTrack(const TrackGaps& gaps, const std::vector<TrackSector>& sectors, uint32_t cells,
                          std::vector<uint8_t>* bits) {
    bits->clear();
    bits->reserve((cells + 7) / 8 + 2);
    PackedCellWriter writer(bits);
    LayTrack(gaps, sectors, cells, &writer);
    bits->resize((cells + 7) / 8);
    if (cells % 8 != 0) bits->back() = static_cast<uint8_t>(bits->back() & ((1u << (cells % 8)) - 1));
}

std::vector<TrackSector> DpxTrackSectors(int32_t cylinder, int32_t head, const uint8_t* trackBytes) {
    std::vector<TrackSector> sectors;
    for (uint8_t sector = 0; sector <= kSmallSector; ++sector) {
        const bool small = sector == kSmallSector;
        TrackSector field;
        field.cylinder = static_cast<uint8_t>(cylinder);
        field.head = static_cast<uint8_t>(head);
        field.sector = sector;
        field.sizeCode = small ? kSmallSizeCode : kLargeSizeCode;
        field.data = trackBytes + sector * kLargeSectorBytes;
        field.dataBytes = static_cast<uint32_t>(small ? kSmallSectorBytes : kLargeSectorBytes);
        sectors.push_back(field);
    }
    return sectors;
}

CellTrack EncodeDpxTrack(int32_t cylinder, int32_t head, const uint8_t* trackBytes) {
    return EncodeMfmTrack(kDpxImageGaps, DpxTrackSectors(cylinder, head, trackBytes));
}

void EncodePackedDpxTrack(int32_t cylinder, int32_t head, const uint8_t* trackBytes,
                          std::vector<uint8_t>* bits) {
    EncodePackedMfmTrack(kDpxImageGaps, DpxTrackSectors(cylinder, head, trackBytes), kDpxCellsPerRevolution,
                         bits);
}
