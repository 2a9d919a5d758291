#include "dpx/to_eii.h"

#include <cstring>
#include <vector>

#include "common/trace.h"
#include "dpx/companding.h"
#include "dpx/layout.h"
#include "dpx/point_packing.h"
#include "dpx/sorted_samples.h"
#include "eii/image.h"
#include "platform/files.h"

namespace {

// The DPX image carries no sequence area, so the rebuilt bank holds no sequence: its sequence
// table (header bytes 1,016..1,213) is emptied and the start of its sequence area (bytes
// 1,221..1,223) becomes 485,888, the end of the image, as a three-byte address.
constexpr int32_t kSequenceTableFirst = 1016;
constexpr int32_t kSequenceTableLast = 1213;
constexpr int32_t kSequenceStartField = 1221;
constexpr uint8_t kNoSequenceArea[] = {0x00, 0x00, 0x08};

// Only the first ten sample bytes are traced.
constexpr int32_t kTracedSampleBytes = 10;

// The 512-byte file-system block: the sector after the five data sectors of track image 0.
StatusRecord ReadFileSystemBlock(const char* dpxPath, uint8_t* block) {
    FileHandle file;
    if (!OpenForReadingUnshared(dpxPath, &file)) return MakeOpenFailure(11012, dpxPath, LastSystemError());
    StatusRecord status = InitStatusRecord();
    uint32_t error = 0;
    if (!MoveFilePosition(file, kDpxFileSystemOffset))
        status = MakeStatus(11010, 'E', "Problem positioning file read %s. Error is %u.", dpxPath,
                            LastSystemError());
    else if (!ReadExactly(file, block, kDpxFileSystemSize, &error))
        status = MakeStatus(11011, 'E', "Problem reading file %s. Error is %u.", dpxPath, error);
    CloseFile(file);
    return status;
}

// The whole data space from the temporary image; a shorter file is a failed read.
StatusRecord ReadTemporaryImage(ImageOverview overview, uint8_t* dataSpace) {
    FileHandle file;
    if (!OpenForReadingUnshared(overview.Path, &file))
        return MakeOpenFailure(11022, overview.Name, LastSystemError());
    StatusRecord status = InitStatusRecord();
    uint32_t error = 0;
    if (!ReadExactly(file, dataSpace, kDpxDataSpaceSize, &error))
        status = MakeStatus(11021, 'E', "Problem reading file %s. Error is %u.", overview.Name, error);
    CloseFile(file);
    return status;
}

// The temporary image's bytes when they are held and are the whole data space; none otherwise.
const uint8_t* HeldDataSpace(const ImageOverview& overview) {
    const ImageContents* contents = overview.Contents;
    if (contents == nullptr || contents->Bytes == nullptr || contents->Size != kDpxDataSpaceSize)
        return nullptr;
    return contents->Bytes;
}

// Bank header, voice and preset blocks: everything before the sample area, made free of
// sequences. Header bytes at or after the sample area start are sample bytes and stay as they are.
void CopyLeadingArea(const uint8_t* dataSpace, int32_t sampleAreaStart, uint8_t* output) {
    std::memcpy(output, dataSpace, static_cast<size_t>(sampleAreaStart));
    for (int32_t offset = kSequenceTableFirst; offset <= kSequenceTableLast && offset < sampleAreaStart;
         ++offset)
        output[offset] = 0;
    for (int32_t index = 0; index < static_cast<int32_t>(sizeof kNoSequenceArea); ++index)
        if (kSequenceStartField + index < sampleAreaStart)
            output[kSequenceStartField + index] = kNoSequenceArea[index];
}

// Codes every point of the sample data again as one Emulator II sample byte, in address order,
// gaps between samples included: Emulator II byte S + i comes from point i. The running value
// restarts at every sample start; a gap goes on from the sample before it. Without a peak (a
// silent bank) every value is 0.
void RecodeSampleData(int8_t trace, const Bank& bank, const SortedSampleList& sorted,
                      const uint8_t* dataSpace, int32_t sampleDataAddress, int32_t peak, double normFactor,
                      uint8_t* output) {
    // The 16-bit value of every 12-bit point, worked out once.
    std::vector<int32_t> valueOf(kDpxPointMaximum + 1);
    for (int32_t point = kDpxPointMinimum; point <= kDpxPointMaximum; ++point) {
        int32_t value = 16 * point - 32768;
        value = peak == 0 ? 0 : static_cast<int32_t>(static_cast<double>(value) / normFactor);
        // A peak read back above 32,767 (no field VELTRA writes gives one) scales values past 16
        // bits: such a value wraps once.
        if (value > kCompandedMaximum) value -= 65536;
        valueOf[static_cast<size_t>(point)] = value;
    }
    PointCursor cursor = InitPointCursor(sampleDataAddress);
    int32_t running = 0;
    SampleStartWalk walk{0};
    for (int32_t address = bank.StartSampleAddress; address < bank.EndSampleAddress; ++address) {
        const int32_t starting = SampleStartingAt(sorted, address, &walk);
        if (starting >= 0) {
            TraceLine(trace, kTraceDetails, "Sample %d:\n", sorted.Entries[starting].SampleNumber);
            running = 0;
        }
        const int32_t point = UnpackPoint(dataSpace, &cursor);
        const int32_t value = valueOf[static_cast<size_t>(point)];
        const int32_t wantedChange = value - running;
        EncodedSample encoded{};
        const int32_t code = EncodeCompandedSample(trace, running, wantedChange, &encoded);
        output[address] = static_cast<uint8_t>(code);
        running += encoded.step;
        if (address - bank.StartSampleAddress < kTracedSampleBytes) {
            TraceLine(trace, kTraceDetails, "(12)%d  (16)%d  -->  POS-EII = %d: (8) %X, GAP = %d\n", point,
                      value, address, static_cast<uint32_t>(code), wantedChange);
            TraceWait(trace, kTraceDetails);
        }
    }
}

}  // namespace

StatusRecord TranslateDPXToEII(int8_t trace, const char* dpxPath, ImageOverview overview, Bank* bank,
                               uint8_t* output, const uint8_t* fileSystemBlock) {
    TraceEnter(trace, "TranslateDPXToEII");
    if (!SampleAreaIsConsistent(*bank)) return InconsistentBank();

    uint8_t block[kDpxFileSystemSize];
    if (fileSystemBlock == nullptr) {
        StatusRecord status = ReadFileSystemBlock(dpxPath, block);
        if (status.code != 0) return status;
        fileSystemBlock = block;
    }
    const DpxFileSystemFields fields = ReadDPXFileSystem(fileSystemBlock);
    const int32_t peak = PeakAmplitudeFromField(fields.AmplitudeField);
    // A silent bank has no factor: its values are all 0.
    const double normFactor = peak == 0 ? 0.0 : 32767.0 / peak;
    TraceLine(trace, kTraceDetails, "VoiceAddress = %d, SampleAddress = %d, NoOfDPXVoices = %d\n",
              fields.VoiceTableAddress, fields.SampleDataAddress, fields.VoiceCount);
    TraceLine(trace, kTraceDetails, "MaxAmpl = %d, NormFactor = %f\n", peak, normFactor);
    TraceLine(trace, kTraceDetails, "(Bank: NoOfSamples = %d, NoOfVoices = %d)\n", bank->NumberOfSamples,
              bank->NumberOfVoices);
    TraceWait(trace, kTraceDetails);
    // Every point of the sample area is read from the data space, so all of them must lie in it.
    if (fields.SampleDataAddress + PackedPointSpan(bank->TotalSampleSize) > kDpxDataSpaceSize)
        return MakeStatus(kInvalidSampleDataAddressCode, 'E',
                          "DPX file %s has an invalid sample data address.", dpxPath);

    SortedSampleList sorted;
    BuildSortedSampleList(bank->NumberOfSamples, bank->Samples, &sorted);
    TraceSortedSampleList(trace, kTraceDetails, sorted);

    std::vector<uint8_t> dataSpaceRead;
    const uint8_t* dataSpace = HeldDataSpace(overview);
    if (dataSpace == nullptr) {
        dataSpaceRead.assign(kDpxDataSpaceSize, 0);
        StatusRecord status = ReadTemporaryImage(overview, dataSpaceRead.data());
        if (status.code != 0) return status;
        dataSpace = dataSpaceRead.data();
    }

    CopyLeadingArea(dataSpace, bank->StartSampleAddress, output);
    InitCompandingTable();
    RecodeSampleData(trace, *bank, sorted, dataSpace, fields.SampleDataAddress, peak, normFactor, output);
    // The leading area and the sample area are written; the rest of the image stays empty.
    std::memset(output + bank->EndSampleAddress, 0,
                static_cast<size_t>(kEmuImageSize - bank->EndSampleAddress));
    TraceEnd(trace, "TranslateDPXToEII");
    return InitStatusRecord();
}
