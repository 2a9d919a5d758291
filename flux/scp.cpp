#include "flux/scp.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <string>

#include "common/bytes.h"

namespace {

constexpr char kSignature[3] = {'S', 'C', 'P'};
constexpr char kTrackSignature[3] = {'T', 'R', 'K'};
// Header fields, by offset; every value little-endian.
constexpr size_t kVersionField = 0x03;  // major << 4 | minor
constexpr size_t kDiskTypeField = 0x04;
constexpr size_t kRevolutionsField = 0x05;
constexpr size_t kFirstTrackField = 0x06;
constexpr size_t kLastTrackField = 0x07;
constexpr size_t kFlagsField = 0x08;
constexpr size_t kCellWidthField = 0x09;   // bits per flux entry, 0 for 16
constexpr size_t kHeadsField = 0x0A;       // 0 both, 1 side 0 only, 2 side 1 only
constexpr size_t kResolutionField = 0x0B;  // ticks of 25 ns * (value + 1)
constexpr size_t kChecksumField = 0x0C;    // u32 sum of every byte from kTrackTable to the end
constexpr size_t kTrackTable = 0x10;       // u32 offset of each track's header, 0 = no track
constexpr size_t kHeaderSize = kTrackTable + 4 * kScpTrackCount;

constexpr uint8_t kVersionWritten = 0x22;
constexpr uint8_t kDiskTypeOther = 0x80;
constexpr uint8_t kFlagIndexAligned = 0x01;
constexpr uint8_t kFlag96Tpi = 0x02;
constexpr uint8_t kFlagExtended = 0x40;  // a longer track table at 0x80, not read here

// A track header: "TRK", the track number, then per revolution three u32: the revolution's
// duration in ticks, its number of flux entries, and the offset of its entries from the start of
// this track header.
constexpr size_t kTrackNumberField = 3;
constexpr size_t kRevolutionTable = 4;
constexpr size_t kRevolutionEntrySize = 12;
// Flux entries are u16 big-endian ticks; an entry of 0 adds this to the next one.
constexpr uint32_t kEntryOverflow = 65536;

constexpr uint32_t kBaseTicksPerSecond = 40000000;

uint32_t Checksum(const uint8_t* bytes, size_t size) {
    uint32_t sum = 0;
    for (size_t i = kTrackTable; i < size; ++i) sum += bytes[i];
    return sum;
}

}  // namespace

FileCheck CheckScpSignature(const uint8_t* bytes, size_t size) {
    if (size >= sizeof kSignature && std::memcmp(bytes, kSignature, sizeof kSignature) == 0)
        return FileCheck();
    return FileError("not an SCP file (no SCP signature)");
}

FileCheck ReadScp(const uint8_t* bytes, size_t size, ScpDisk* disk) {
    FileCheck signature = CheckScpSignature(bytes, size);
    if (!signature.ok()) return signature;
    if (size < kHeaderSize) return FileError("the header is cut short");
    const uint32_t revolutions = bytes[kRevolutionsField];
    const uint32_t first = bytes[kFirstTrackField];
    const uint32_t last = bytes[kLastTrackField];
    if (bytes[kFlagsField] & kFlagExtended) return FileError("extended SCP images are not supported");
    if (bytes[kCellWidthField] != 0 && bytes[kCellWidthField] != 16)
        return FileError("flux entries of %u bits are not supported, only of 16", bytes[kCellWidthField]);
    if (revolutions == 0) return FileError("the image holds no revolutions");
    if (first > last || last >= kScpTrackCount)
        return FileError("the track range %u to %u is not one of tracks 0 to %u", first, last,
                         static_cast<unsigned>(kScpTrackCount - 1));

    ScpDisk read;
    read.indexAligned = (bytes[kFlagsField] & kFlagIndexAligned) != 0;
    const uint32_t ticksPerSecond = kBaseTicksPerSecond / (bytes[kResolutionField] + 1u);
    bool anyTrack = false;
    for (uint32_t number = first; number <= last; ++number) {
        const size_t header = ReadLittle32(&bytes[kTrackTable + 4 * number]);
        if (header == 0) continue;
        if (header < kHeaderSize) return FileError("track %u's header lies in the file header", number);
        if (header > size || size - header < kRevolutionTable + revolutions * kRevolutionEntrySize)
            return FileError("track %u's header runs past the end of the file", number);
        if (std::memcmp(&bytes[header], kTrackSignature, sizeof kTrackSignature) != 0 ||
            bytes[header + kTrackNumberField] != number)
            return FileError("track %u's header is damaged", number);

        FluxTrack& track = read.tracks[number];
        track.ticksPerSecond = ticksPerSecond;
        for (uint32_t revolution = 0; revolution < revolutions; ++revolution) {
            const uint8_t* entry = &bytes[header + kRevolutionTable + revolution * kRevolutionEntrySize];
            const uint64_t count = ReadLittle32(entry + 4);
            const uint64_t start = header + static_cast<uint64_t>(ReadLittle32(entry + 8));
            if (start > size || (size - start) / 2 < count)
                return FileError("track %u's flux data runs past the end of the file", number);
            track.intervals.reserve(track.intervals.size() + count);
            uint64_t pending = 0;
            for (uint64_t i = 0; i < count; ++i) {
                const uint32_t value = static_cast<uint32_t>(ReadBig16(&bytes[start + 2 * i]));
                pending += value == 0 ? kEntryOverflow : value;
                if (value == 0) continue;
                track.intervals.push_back(
                    static_cast<uint32_t>(std::min<uint64_t>(pending, std::numeric_limits<uint32_t>::max())));
                pending = 0;
            }
            track.revolutionEnds.push_back(static_cast<uint32_t>(track.intervals.size()));
            track.revolutionTicks.push_back(ReadLittle32(entry));
        }
        // Revolutions without flux at the end of a track were not captured: they are dropped.
        while (!track.revolutionEnds.empty() &&
               track.revolutionEnds.back() == (track.revolutionEnds.size() > 1
                                                   ? track.revolutionEnds[track.revolutionEnds.size() - 2]
                                                   : 0u)) {
            track.revolutionEnds.pop_back();
            track.revolutionTicks.pop_back();
        }
        anyTrack = anyTrack || !track.revolutionEnds.empty();
    }
    if (!anyTrack) return FileError("the image holds no tracks");

    FileCheck check;
    const uint32_t stored = ReadLittle32(&bytes[kChecksumField]);
    const uint32_t computed = Checksum(bytes, size);
    if (stored != computed)
        check.warning = "the checksum does not match the contents (stored " + std::to_string(stored) +
                        ", computed " + std::to_string(computed) + ")";
    *disk = std::move(read);
    return check;
}

FileCheck WriteScp(const ScpDisk& disk, std::vector<uint8_t>* bytes) {
    if (disk.tracks.size() > kScpTrackCount)
        return FileError("%u tracks given; an SCP image holds %u", static_cast<unsigned>(disk.tracks.size()),
                         static_cast<unsigned>(kScpTrackCount));
    size_t first = kScpTrackCount;
    size_t last = 0;
    size_t revolutions = 0;
    bool sides[2] = {false, false};
    uint32_t ticksPerSecond = 0;
    for (size_t number = 0; number < disk.tracks.size(); ++number) {
        const FluxTrack& track = disk.tracks[number];
        if (track.revolutionEnds.empty()) continue;
        if (ticksPerSecond != 0 && track.ticksPerSecond != ticksPerSecond)
            return FileError("the tracks are given in different tick rates");
        ticksPerSecond = track.ticksPerSecond;
        first = std::min(first, number);
        last = number;
        revolutions = std::max(revolutions, track.revolutionEnds.size());
        sides[number % 2] = true;
    }
    if (revolutions == 0) return FileError("there is no track to write");
    if (revolutions > 255)
        return FileError("%u revolutions are more than an SCP image holds",
                         static_cast<unsigned>(revolutions));
    if (ticksPerSecond == 0 || kBaseTicksPerSecond % ticksPerSecond != 0 ||
        kBaseTicksPerSecond / ticksPerSecond > 256)
        return FileError("flux in ticks of %u a second cannot be written as SCP", ticksPerSecond);

    std::vector<uint8_t> file(kHeaderSize, 0);
    std::memcpy(file.data(), kSignature, sizeof kSignature);
    file[kVersionField] = kVersionWritten;
    file[kDiskTypeField] = kDiskTypeOther;
    file[kRevolutionsField] = static_cast<uint8_t>(revolutions);
    file[kFirstTrackField] = static_cast<uint8_t>(first);
    file[kLastTrackField] = static_cast<uint8_t>(last);
    file[kFlagsField] = kFlag96Tpi | (disk.indexAligned ? kFlagIndexAligned : 0);
    file[kCellWidthField] = 0;
    file[kHeadsField] = sides[0] && sides[1] ? 0 : sides[0] ? 1 : 2;
    file[kResolutionField] = static_cast<uint8_t>(kBaseTicksPerSecond / ticksPerSecond - 1);

    for (size_t number = first; number <= last; ++number) {
        const FluxTrack& track = disk.tracks[number];
        if (track.revolutionEnds.empty()) continue;
        const size_t header = file.size();
        if (header > std::numeric_limits<uint32_t>::max()) return FileError("the image grows past 4 GB");
        WriteLittle32(&file[kTrackTable + 4 * number], static_cast<uint32_t>(header));
        file.resize(header + kRevolutionTable + revolutions * kRevolutionEntrySize, 0);
        std::memcpy(&file[header], kTrackSignature, sizeof kTrackSignature);
        file[header + kTrackNumberField] = static_cast<uint8_t>(number);

        int64_t carry = 0;  // ticks owed to the next interval
        size_t interval = 0;
        for (size_t revolution = 0; revolution < revolutions; ++revolution) {
            const size_t start = file.size();
            const size_t end =
                revolution < track.revolutionEnds.size()
                    ? std::min<size_t>(track.revolutionEnds[revolution], track.intervals.size())
                    : interval;
            uint64_t duration = 0;
            for (; interval < end; ++interval) {
                duration += track.intervals[interval];
                int64_t ticks = static_cast<int64_t>(track.intervals[interval]) + carry;
                carry = 0;
                if (ticks < 1) {
                    carry = ticks - 1;
                    ticks = 1;
                }
                if (ticks % kEntryOverflow == 0) {
                    ++ticks;
                    carry = -1;
                }
                for (; ticks > 0xFFFF; ticks -= kEntryOverflow) file.insert(file.end(), {0, 0});
                file.insert(file.end(), {static_cast<uint8_t>(ticks >> 8), static_cast<uint8_t>(ticks)});
            }
            uint8_t* entry = &file[header + kRevolutionTable + revolution * kRevolutionEntrySize];
            const bool given = revolution < track.revolutionTicks.size();
            WriteLittle32(entry, given ? track.revolutionTicks[revolution] : static_cast<uint32_t>(duration));
            WriteLittle32(entry + 4, static_cast<uint32_t>((file.size() - start) / 2));
            WriteLittle32(entry + 8, static_cast<uint32_t>(start - header));
        }
    }
    WriteLittle32(&file[kChecksumField], Checksum(file.data(), file.size()));
    *bytes = std::move(file);
    return FileCheck();
}
