#include "flux/hfe.h"

#include <algorithm>
#include <cstring>

#include "common/bytes.h"

namespace {

// The file is made of blocks of 512 bytes. Block 0 holds the header (the rest filled with 0xFF),
// the track list starts at the block the header names, the track data after it.
constexpr size_t kBlockSize = 512;
// In a block of track data, bytes 0..255 belong to side 0, bytes 256..511 to side 1.
constexpr size_t kSideChunk = 256;

constexpr char kSignature[8] = {'H', 'X', 'C', 'P', 'I', 'C', 'F', 'E'};
constexpr char kVersion3Signature[8] = {'H', 'X', 'C', 'H', 'F', 'E', 'V', '3'};
// Header fields, by offset.
constexpr size_t kRevisionField = 0x08;
constexpr size_t kCylindersField = 0x09;
constexpr size_t kSidesField = 0x0A;
constexpr size_t kEncodingField = 0x0B;
constexpr size_t kBitRateField = 0x0C;  // u16, kbit/s
constexpr size_t kRpmField = 0x0E;      // u16, 0 when not given
constexpr size_t kInterfaceField = 0x10;
constexpr size_t kUnusedField = 0x11;     // written as 0x01
constexpr size_t kTrackListField = 0x12;  // u16, in blocks
constexpr size_t kWriteAllowedField = 0x14;
constexpr size_t kSingleStepField = 0x15;
constexpr size_t kAlternateEncodings = 0x16;  // four bytes: track 0's other encodings, 0xFF = none
constexpr size_t kHeaderSize = 0x1A;
// The players take revisions 0 and 1 of version 1.
constexpr uint8_t kNewestRevision = 1;
// A track list entry: u16 offset of the cylinder's data in blocks, u16 length of both sides in bytes.
constexpr size_t kTrackEntrySize = 4;

// The file offset of byte `index` of a side's cells, counted from the cylinder's first block.
size_t SideByteOffset(size_t index, int side) {
    return index / kSideChunk * kBlockSize + static_cast<size_t>(side) * kSideChunk + index % kSideChunk;
}

static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "cells are packed eight at a time from memory");

// The byte of the eight cells (0 or 1) from `first` on, the first cell in bit 0; cells past the
// end of the track count as 0. Eight at once: the multiplication gathers bit 0 of every byte of
// the little-endian word into the top byte, the first byte's in bit 56.
uint8_t PackCellsLsbFirst(const std::vector<uint8_t>& cells, size_t first) {
    uint64_t eight = 0;
    if (cells.size() - first >= 8)
        std::memcpy(&eight, cells.data() + first, 8);
    else
        std::memcpy(&eight, cells.data() + first, cells.size() - first);
    return static_cast<uint8_t>(((eight & 0x0101010101010101ull) * 0x0102040810204080ull) >> 56);
}

// A side's cells packed into the cylinder's blocks that start at `data`.
void PackSide(const std::vector<uint8_t>& cells, int32_t side, uint8_t* data) {
    const size_t whole = cells.size() / 8;
    const uint8_t* from = cells.data();
    for (size_t index = 0; index < whole; ++index) {
        uint64_t eight;
        std::memcpy(&eight, from + index * 8, 8);
        data[SideByteOffset(index, side)] =
            static_cast<uint8_t>(((eight & 0x0101010101010101ull) * 0x0102040810204080ull) >> 56);
    }
    if (whole * 8 < cells.size()) data[SideByteOffset(whole, side)] = PackCellsLsbFirst(cells, whole * 8);
}

// A packed side copied into the cylinder's blocks, 256 bytes to a block.
void CopyPackedSide(const std::vector<uint8_t>& bits, int32_t side, uint8_t* data) {
    for (size_t index = 0; index < bits.size(); index += kSideChunk)
        std::memcpy(data + SideByteOffset(index, side), bits.data() + index,
                    std::min(kSideChunk, bits.size() - index));
}

void PackSide(const CellTrack& track, int32_t side, uint8_t* data) {
    PackSide(track.cells, side, data);
}

void PackSide(const HfePackedTrack& track, int32_t side, uint8_t* data) {
    CopyPackedSide(track.bits, side, data);
}

size_t TrackBytes(const CellTrack& track) {
    return (track.cells.size() + 7) / 8;
}

size_t TrackBytes(const HfePackedTrack& track) {
    return track.bits.size();
}

size_t BlocksFor(size_t bytes) {
    return (bytes + kBlockSize - 1) / kBlockSize;
}

}  // namespace

FileCheck CheckHfeSignature(const uint8_t* bytes, size_t size) {
    if (size >= sizeof kSignature && std::memcmp(bytes, kSignature, sizeof kSignature) == 0)
        return FileCheck();
    if (size >= sizeof kVersion3Signature &&
        std::memcmp(bytes, kVersion3Signature, sizeof kVersion3Signature) == 0)
        return FileError("HFE version 3 is not supported, only version 1");
    return FileError("not an HFE file (no HXCPICFE signature)");
}

FileCheck ReadHfe(const uint8_t* bytes, size_t size, HfeDisk* disk) {
    FileCheck signature = CheckHfeSignature(bytes, size);
    if (!signature.ok()) return signature;
    if (size < kHeaderSize) return FileError("the header is cut short");
    if (bytes[kRevisionField] > kNewestRevision)
        return FileError("HFE revision %u is not supported", bytes[kRevisionField]);

    HfeDisk read;
    read.cylinders = bytes[kCylindersField];
    read.sides = bytes[kSidesField];
    read.encoding = bytes[kEncodingField];
    read.bitRate = static_cast<uint16_t>(ReadLittle16(&bytes[kBitRateField]));
    read.rpm = static_cast<uint16_t>(ReadLittle16(&bytes[kRpmField]));
    read.interfaceMode = bytes[kInterfaceField];
    read.writeAllowed = bytes[kWriteAllowedField] != 0;
    if (read.cylinders == 0) return FileError("the image holds no tracks");
    if (read.sides < 1 || read.sides > 2) return FileError("%u sides; an HFE image has 1 or 2", read.sides);
    if (read.bitRate == 0) return FileError("the bit rate is 0");

    const size_t list = static_cast<size_t>(ReadLittle16(&bytes[kTrackListField])) * kBlockSize;
    if (list < kBlockSize) return FileError("the track list lies in the header");
    if (list + read.cylinders * kTrackEntrySize > size)
        return FileError("track list runs past the end of the file");
    for (int cylinder = 0; cylinder < read.cylinders; ++cylinder) {
        const uint8_t* entry = &bytes[list + static_cast<size_t>(cylinder) * kTrackEntrySize];
        const size_t start = static_cast<size_t>(ReadLittle16(entry)) * kBlockSize;
        const size_t sideBytes = static_cast<size_t>(ReadLittle16(entry + 2)) / 2;
        if (sideBytes == 0) return FileError("cylinder %d has no track data", cylinder);
        if (start + SideByteOffset(sideBytes - 1, read.sides - 1) >= size)
            return FileError("cylinder %d's track data runs past the end of the file", cylinder);
        for (int side = 0; side < read.sides; ++side) {
            CellTrack track;
            track.cellRate = read.bitRate * 2000u;
            track.ring = true;
            track.indexCells = {0};
            track.cells.resize(sideBytes * 8);
            for (size_t index = 0; index < sideBytes; ++index) {
                const uint8_t byte = bytes[start + SideByteOffset(index, side)];
                for (int bit = 0; bit < 8; ++bit) track.cells[index * 8 + bit] = (byte >> bit) & 1;
            }
            read.tracks.push_back(std::move(track));
        }
    }
    *disk = std::move(read);
    return FileCheck();
}

FileCheck WriteHfe(const HfeDisk& disk, std::vector<uint8_t>* bytes) {
    const bool shapeWritable = disk.cylinders != 0 && disk.sides >= 1 && disk.sides <= 2;
    if (shapeWritable && disk.tracks.size() != static_cast<size_t>(disk.cylinders) * disk.sides)
        return FileError("%u tracks given for %u cylinders of %u sides",
                         static_cast<unsigned>(disk.tracks.size()), disk.cylinders, disk.sides);
    return WriteHfe(
        disk,
        [&disk](int32_t cylinder, int32_t side) -> const CellTrack& {
            return disk.tracks[static_cast<size_t>(cylinder) * disk.sides + static_cast<size_t>(side)];
        },
        bytes);
}

namespace {

// The file of a disk whose tracks, of either form, `trackOf` makes one at a time.
template <typename Track>
FileCheck WriteHfeTracks(const HfeDisk& disk, const std::function<const Track&(int32_t, int32_t)>& trackOf,
                         std::vector<uint8_t>* bytes) {
    if (disk.cylinders == 0 || disk.sides < 1 || disk.sides > 2)
        return FileError("%u cylinders of %u sides cannot be written as HFE", disk.cylinders, disk.sides);
    if (disk.bitRate == 0) return FileError("the bit rate is 0");

    const size_t listBlocks = BlocksFor(disk.cylinders * kTrackEntrySize);
    std::vector<uint8_t> file((1 + listBlocks) * kBlockSize, 0xFF);
    std::memcpy(file.data(), kSignature, sizeof kSignature);
    file[kRevisionField] = 0;
    file[kCylindersField] = disk.cylinders;
    file[kSidesField] = disk.sides;
    file[kEncodingField] = disk.encoding;
    WriteLittle16(&file[kBitRateField], disk.bitRate);
    WriteLittle16(&file[kRpmField], disk.rpm);
    file[kInterfaceField] = disk.interfaceMode;
    file[kUnusedField] = 0x01;
    WriteLittle16(&file[kTrackListField], 1);
    file[kWriteAllowedField] = disk.writeAllowed ? 0xFF : 0x00;
    file[kSingleStepField] = 0xFF;
    std::fill(&file[kAlternateEncodings], &file[kHeaderSize], 0xFF);

    // The cylinders one after the other, each in whole blocks, the larger side deciding how many;
    // the shorter side's bytes past its end stay 0. Every track is packed as soon as it is made.
    for (int32_t cylinder = 0; cylinder < disk.cylinders; ++cylinder) {
        const size_t block = file.size() / kBlockSize;
        size_t sideBytes = 0;
        for (int32_t side = 0; side < disk.sides; ++side) {
            const Track& track = trackOf(cylinder, side);
            if (track.cellRate != disk.bitRate * 2000u)
                return FileError("cylinder %d side %d has %u cells a second; the image has %u", cylinder,
                                 side, track.cellRate, disk.bitRate * 2000u);
            const size_t trackBytes = TrackBytes(track);
            sideBytes = std::max(sideBytes, trackBytes);
            if (sideBytes * 2 > 0xFFFF) continue;  // refused below
            file.resize(std::max(file.size(), (block + BlocksFor(sideBytes * 2)) * kBlockSize), 0);
            PackSide(track, side, &file[block * kBlockSize]);
        }
        if (sideBytes == 0 || sideBytes * 2 > 0xFFFF)
            return FileError("cylinder %d's track of %u bytes does not fit an HFE track", cylinder,
                             static_cast<unsigned>(sideBytes));
        if (block + BlocksFor(sideBytes * 2) > 0xFFFF) return FileError("the tracks do not fit an HFE image");
        uint8_t* entry = &file[kBlockSize + static_cast<size_t>(cylinder) * kTrackEntrySize];
        WriteLittle16(entry, static_cast<uint32_t>(block));
        WriteLittle16(entry + 2, static_cast<uint32_t>(sideBytes * 2));
    }
    *bytes = std::move(file);
    return FileCheck();
}

}  // namespace

FileCheck WriteHfe(const HfeDisk& disk, const HfeTrackSource& trackOf, std::vector<uint8_t>* bytes) {
    return WriteHfeTracks(disk, trackOf, bytes);
}

FileCheck WriteHfePacked(const HfeDisk& disk, const HfePackedSource& trackOf, std::vector<uint8_t>* bytes) {
    return WriteHfeTracks(disk, trackOf, bytes);
}
