#include "dpx/to_dpx.h"

#include <cstring>
#include <vector>

#include "common/trace.h"
#include "dpx/companding.h"
#include "dpx/layout.h"
#include "dpx/point_packing.h"
#include "dpx/sorted_samples.h"
#include "eii/image.h"
#include "eii/voice.h"

namespace {

int32_t CountVoices(const VoiceOverview* voice) {
    int32_t count = 0;
    for (; voice != nullptr; voice = voice->next) ++count;
    return count;
}

// The header counts and addresses that size the layout must agree with each other and with the
// lists, so that the voice table and the sample data stay inside the data space.
bool LayoutFits(const Bank& bank, int32_t sampleDataAddress) {
    if (!SampleAreaIsConsistent(bank)) return false;
    if (bank.NumberOfVoices < 0 || bank.NumberOfVoices > kEmuTableSlots) return false;
    if (CountVoices(bank.Voices) != bank.NumberOfVoices) return false;
    return sampleDataAddress + PackedPointSpan(bank.TotalSampleSize) <= kDpxDataSpaceSize;
}

// Writes the voice records one after the other from the voice table address, then the end mark.
StatusRecord BuildVoiceTable(int8_t trace, const Bank& bank, const SortedSampleList& sorted,
                             int32_t voiceTableAddress, uint8_t* dataSpace) {
    uint8_t slot[kDpxVoiceSlotSize];
    int32_t position = voiceTableAddress;
    int32_t slotIndex = 0;
    int32_t length = kDpxVoiceRecordSize;
    for (const VoiceOverview* voice = bank.Voices; voice != nullptr; voice = voice->next) {
        int32_t entry = FindSortedSample(sorted, voice->Param[kVoiceSampleNumberSlot]);
        if (entry < 0) return InconsistentBank();
        TraceLine(trace, kTraceDetails, "DPX Voice %d (V%d S%d)= on position %d (%X)\n", slotIndex,
                  voice->VoiceNumber, entry, position, static_cast<uint32_t>(position));
        std::memset(slot, 0, sizeof slot);
        StatusRecord status = CreateDPXVoice(trace, *voice, slot, slotIndex, bank.StartSampleAddress,
                                             sorted.Entries[entry].Start);
        if (status.code != 0) return status;
        std::memcpy(dataSpace + position, slot, static_cast<size_t>(length));
        position += length;
        ++slotIndex;
        length = kDpxVoiceSlotSize;
    }
    dataSpace[position] = kDpxVoiceTableEndMark;

    TraceLine(trace, kTraceDetails, "VoiceIndex:\n");
    const int32_t tableEnd = kDpxVoiceSlotSize * bank.NumberOfVoices - 3;
    for (int32_t offset = 0; offset < tableEnd && trace >= kTraceDetails; offset += 2)
        TraceLine(trace, kTraceDetails, "%X.%X ", dataSpace[voiceTableAddress + offset],
                  dataSpace[voiceTableAddress + offset + 1]);
    TraceLine(trace, kTraceDetails, "\n");
    TraceWait(trace, kTraceDetails);
    return InitStatusRecord();
}

// The largest magnitude that any sample of the bank reaches when decoded from its own start.
// Bytes of a sample that lie past the end of the image count as zero bytes; a zero byte only lets
// the running value leak toward 0, so the read stops at the image end.
StatusRecord FindPeakAmplitude(int8_t trace, ImageOverview overview, const SortedSampleList& sorted,
                               int32_t* peak) {
    *peak = 0;
    for (int32_t index = 0; index < sorted.Filled; ++index) {
        const SortedSample& sample = sorted.Entries[index];
        const int32_t end = sample.End < kEmuImageSize ? sample.End : kEmuImageSize;
        if (end <= sample.Start) continue;
        std::vector<uint8_t> bytes(static_cast<size_t>(end - sample.Start), 0);
        StatusRecord status = ReadImageData(trace, overview, sample.Start, end - 1, bytes.data());
        if (status.code != 0) return status;
        int32_t running = 0;
        for (uint8_t byte : bytes) {
            running = DecodeCompandedSample(trace, running, byte);
            const int32_t magnitude = running < 0 ? -running : running;
            if (magnitude > *peak) *peak = magnitude;
        }
    }
    return InitStatusRecord();
}

// The sample area as the instrument plays it: every byte decoded, the running value restarting
// at every sample start; gaps and overlaps go on from the byte before them. Decoded values lie
// within 16 bits.
std::vector<int16_t> DecodeSampleArea(int8_t trace, const Bank& bank, const SortedSampleList& sorted,
                                      const std::vector<uint8_t>& area) {
    std::vector<int16_t> values(area.size());
    SampleStartWalk walk{0};
    int32_t running = 0;
    for (size_t index = 0; index < area.size(); ++index) {
        if (SampleStartingAt(sorted, bank.StartSampleAddress + static_cast<int32_t>(index), &walk) >= 0)
            running = 0;
        running = DecodeCompandedSample(trace, running, area[index]);
        values[index] = static_cast<int16_t>(running);
    }
    return values;
}

// The peak of FindPeakAmplitude taken from the decoded area, when every sample lies inside the
// area and ends before the next one starts: each sample's own decoding is then the area's.
// False when they do not, and the samples must be decoded on their own.
bool PeakOfSamplesApart(const Bank& bank, const SortedSampleList& sorted, const std::vector<int16_t>& values,
                        int32_t* peak) {
    for (int32_t index = 0; index < sorted.Filled; ++index) {
        const SortedSample& sample = sorted.Entries[index];
        const int32_t nextStart =
            index + 1 < sorted.Filled ? sorted.Entries[index + 1].Start : bank.EndSampleAddress;
        if (sample.End > sample.Start && (sample.Start < bank.StartSampleAddress || sample.End > nextStart))
            return false;
    }
    *peak = 0;
    for (int32_t index = 0; index < sorted.Filled; ++index) {
        const SortedSample& sample = sorted.Entries[index];
        for (int32_t address = sample.Start; address < sample.End; ++address) {
            const int32_t value = values[static_cast<size_t>(address - bank.StartSampleAddress)];
            const int32_t magnitude = value < 0 ? -value : value;
            if (magnitude > *peak) *peak = magnitude;
        }
    }
    return true;
}

// Codes every decoded value of the sample area, gaps and overlaps included, as a normalised
// 12-bit point of the sample data. A silent bank (peak 0) gives silent points.
void PackSampleArea(int8_t trace, const Bank& bank, const SortedSampleList& sorted,
                    const std::vector<uint8_t>& area, const std::vector<int16_t>& values,
                    int32_t sampleDataAddress, int32_t peak, double normFactor, uint8_t* dataSpace) {
    const int32_t total = static_cast<int32_t>(values.size());
    // Every decoded value scaled and coded once: a bank has far more bytes than 16-bit values.
    auto scaled = [&](int32_t running) { return peak == 0 ? 0 : static_cast<int32_t>(running * normFactor); };
    std::vector<uint16_t> pointOf(static_cast<size_t>(kCompandedMaximum - kCompandedMinimum + 1));
    for (int32_t running = kCompandedMinimum; running <= kCompandedMaximum; ++running)
        pointOf[static_cast<size_t>(running - kCompandedMinimum)] =
            static_cast<uint16_t>(PointFromValue(scaled(running)));
    PointCursor cursor = InitPointCursor(sampleDataAddress);
    if (trace < kTraceDetails) {
        // Nothing to report: two points at a time.
        PackPoints(dataSpace, &cursor, total, [&](int32_t index) {
            return pointOf[static_cast<size_t>(values[static_cast<size_t>(index)] - kCompandedMinimum)];
        });
        return;
    }
    SampleStartWalk walk{0};
    for (int32_t index = 0; index < total; ++index) {
        if (trace >= kTraceDetails) {
            const int32_t address = bank.StartSampleAddress + index;
            const int32_t starting = SampleStartingAt(sorted, address, &walk);
            if (starting >= 0)
                TraceLine(trace, kTraceDetails,
                          "Sample %d starts at %d (%d), offset is reset. Target pos = %d\n", starting, index,
                          address, cursor.position);
        }
        const int32_t running = values[static_cast<size_t>(index)];
        const int32_t point = pointOf[static_cast<size_t>(running - kCompandedMinimum)];
        if (index < 10) {
            // |running| <= 32,768 and normFactor <= 32,767, so the product fits 32 bits.
            const int32_t value = scaled(running);
            const uint8_t byte = area[static_cast<size_t>(index)];
            if (cursor.phase == kFirstPointOfGroup)
                TraceLine(trace, kTraceDetails, "(8)%X  (16)%d  (12)%d  -->  %X %X\n", byte, value, point,
                          point % 256, ((point / 256) % 256 * 16) & 0xFF);
            else
                TraceLine(trace, kTraceDetails, "(8)%X  (16)%d  (12)%d  -->  %X %X\n", byte, value, point,
                          point / 256, point % 256);
            TraceWait(trace, kTraceDetails);
        }
        PackPoint(dataSpace, &cursor, point);
    }

    TraceLine(trace, kTraceDetails,
              "After translation of all samples (samplestart=%d), bcnt = %d, mcnt = %d, MaxAmpl = %d\n",
              sampleDataAddress, cursor.position, total, peak);
    TraceLine(trace, kTraceDetails, "First 100 bytes:\n");
    for (int32_t offset = 0; offset < 100 && trace >= kTraceDetails; ++offset)
        TraceLine(trace, kTraceDetails, "%X ", dataSpace[sampleDataAddress + offset]);
    TraceLine(trace, kTraceDetails, "\n");
}

}  // namespace

StatusRecord TranslateEIIToDPX(int8_t trace, ImageOverview overview, Bank* bank, uint8_t* output) {
    TraceEnter(trace, "TranslateEIIToDPX");
    std::vector<uint8_t> dataSpace(kDpxDataSpaceSize, 0);

    const int32_t start = bank->StartSampleAddress;
    const int32_t voiceTableAddress = ComputeVoiceTableAddress(start);
    const int32_t sampleDataAddress = ComputeSampleDataAddress(voiceTableAddress, bank->NumberOfVoices);
    if (!LayoutFits(*bank, sampleDataAddress)) return InconsistentBank();
    TraceLine(trace, kTraceDetails, "VoiceAddress = %d (%X), SampleAddress = %d (%X)\n", voiceTableAddress,
              static_cast<uint32_t>(voiceTableAddress), sampleDataAddress,
              static_cast<uint32_t>(sampleDataAddress));
    TraceLine(trace, kTraceDetails, "EII Sample area: START = %d, END = %d\n", start, bank->EndSampleAddress);
    for (const SampleOverview* sample = bank->Samples; sample != nullptr; sample = sample->next)
        TraceLine(trace, kTraceCalls, "%d, %d --> %d\n", sample->SampleNumber, sample->SampleStart,
                  sample->SampleEnd);
    TraceWait(trace, kTraceCalls);

    SortedSampleList sorted;
    BuildSortedSampleList(bank->NumberOfSamples, bank->Samples, &sorted);
    TraceSortedSampleList(trace, kTraceCalls, sorted);

    StatusRecord status = BuildVoiceTable(trace, *bank, sorted, voiceTableAddress, dataSpace.data());
    if (status.code != 0) return status;

    // The leading area: bank header, voice and preset blocks, everything before the samples.
    if (start > 0) {
        status = ReadImageData(trace, overview, 0, start - 1, dataSpace.data());
        if (status.code != 0) return status;
    }

    // The sample area is read and decoded once, for the peak and for the points alike.
    std::vector<uint8_t> area(static_cast<size_t>(bank->TotalSampleSize), 0);
    if (!area.empty()) {
        status = ReadImageData(trace, overview, start, bank->EndSampleAddress - 1, area.data());
        if (status.code != 0) return status;
    }
    InitCompandingTable();
    const std::vector<int16_t> values = DecodeSampleArea(trace, *bank, sorted, area);
    int32_t peak = 0;
    if (!PeakOfSamplesApart(*bank, sorted, values, &peak)) {
        status = FindPeakAmplitude(trace, overview, sorted, &peak);
        if (status.code != 0) return status;
    }
    // A silent bank has no factor: its points are all silence.
    const double normFactor = peak == 0 ? 0.0 : 32767.0 / peak;
    TraceLine(trace, kTraceCalls, "Max ampl = %d, Normfactor = %f\n", peak, normFactor);
    TraceWait(trace, kTraceCalls);

    PackSampleArea(trace, *bank, sorted, area, values, sampleDataAddress, peak, normFactor, dataSpace.data());

    uint8_t fileSystem[kDpxFileSystemSize];
    status = CreateDPXFileSystem(trace, *bank, sampleDataAddress, voiceTableAddress, peak, fileSystem);
    if (status.code != 0) return status;

    SpreadDataSpace(dataSpace.data(), fileSystem, output);
    // The 512-byte sectors of the other tracks carry nothing; the rest of the image is written.
    for (int32_t track = 1; track < kDpxTrackCount; ++track)
        std::memset(output + track * kDpxTrackSize + kDpxTrackDataSize, 0, kDpxTrackSize - kDpxTrackDataSize);
    TraceWait(trace, kTraceDetails);
    TraceEnd(trace, "TranslateEIIToDPX");
    return InitStatusRecord();
}
