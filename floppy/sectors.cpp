#include "floppy/sectors.h"

#include "common/trace.h"
#include "floppy/layout.h"

namespace {

constexpr uint8_t kGapLength = 0x0A;
constexpr uint8_t kDataLength = 0xFF;

// "Read IOCTL with ..." or "Write IOCTL with ...": the call's parameters and its result (1 or 0).
void TraceTransfer(int8_t trace, const char* word, const TransferParameters& parameters,
                   DriverResult result) {
    TraceLine(trace, kTraceCalls,
              "%s IOCTL with Head %d, Cyl %d, Start %d, Size %d, EOT %d --> Returncode %d\n", word,
              parameters.head, parameters.cylinder, parameters.sector, parameters.sizeCode,
              parameters.endOfTrack, result.ok ? 1 : 0);
}

}  // namespace

TransferParameters BuildTransferParameters(int32_t head, int32_t cylinder, uint8_t firstSector, uint8_t count,
                                           uint8_t sizeCode) {
    TransferParameters parameters{};
    parameters.flags = kMfm;
    parameters.physicalHead = static_cast<uint8_t>(head);
    parameters.cylinder = static_cast<uint8_t>(cylinder);
    parameters.head = static_cast<uint8_t>(head);
    parameters.sector = firstSector;
    parameters.sizeCode = sizeCode;
    parameters.endOfTrack = static_cast<uint8_t>(firstSector + count);
    parameters.gapLength = kGapLength;
    parameters.dataLength = kDataLength;
    return parameters;
}

StatusRecord ReadSectors(int8_t trace, FloppyDriver& driver, FloppyHandle handle, int32_t head,
                         int32_t cylinder, uint8_t firstSector, uint8_t count, uint8_t sizeCode,
                         uint8_t* buffer, uint32_t* transferred) {
    const TransferParameters parameters =
        BuildTransferParameters(head, cylinder, firstSector, count, sizeCode);
    TraceEnter(trace, "ReadSectors");
    const uint32_t length = SectorBytes(sizeCode) * count;
    *transferred = 0;
    const DriverResult result = driver.ReadData(handle, parameters, buffer, length);
    TraceTransfer(trace, "Read", parameters, result);
    if (!result.ok) return MakeStatus(11, 'E', "Reading sectors was not successful. %u.", result.error);
    *transferred = length;
    TraceEnd(trace, "ReadSectors");
    return InitStatusRecord();
}

StatusRecord WriteSectors(int8_t trace, FloppyDriver& driver, FloppyHandle handle, int32_t head,
                          int32_t cylinder, uint8_t firstSector, uint8_t count, uint8_t sizeCode,
                          const uint8_t* buffer, uint32_t* transferred) {
    const TransferParameters parameters =
        BuildTransferParameters(head, cylinder, firstSector, count, sizeCode);
    TraceEnter(trace, "WriteSectors");
    const uint32_t length = SectorBytes(sizeCode) * count;
    *transferred = 0;
    const DriverResult result = driver.WriteData(handle, parameters, buffer, length);
    TraceTransfer(trace, "Write", parameters, result);
    if (!result.ok) return MakeStatus(11, 'E', "Writing sectors was not successful. %u.", result.error);
    *transferred = length;
    TraceEnd(trace, "WriteSectors");
    return InitStatusRecord();
}

StatusRecord ReadTrack(int8_t trace, FloppyDriver& driver, FloppyHandle handle, int32_t head,
                       int32_t cylinder, uint8_t* track, uint32_t* transferred) {
    TraceEnter(trace, "ReadTrack");
    uint32_t large = 0;
    uint32_t small = 0;
    *transferred = 0;
    StatusRecord status = ReadSectors(trace, driver, handle, head, cylinder, kLargeFirstSector,
                                      kLargeSectorCount, kLargeSizeCode, track, &large);
    if (status.code != 0) return status;
    status = ReadSectors(trace, driver, handle, head, cylinder, kSmallSector, 1, kSmallSizeCode,
                         track + kLargeSectorsBytes, &small);
    if (status.code != 0) return status;
    *transferred = large + small;
    TraceEnd(trace, "ReadTrack");
    return status;
}

StatusRecord WriteTrack(int8_t trace, FloppyDriver& driver, FloppyHandle handle, int32_t head,
                        int32_t cylinder, const uint8_t* track, uint32_t* transferred) {
    TraceEnter(trace, "WriteTrack");
    uint32_t large = 0;
    uint32_t small = 0;
    *transferred = 0;
    StatusRecord status = WriteSectors(trace, driver, handle, head, cylinder, kLargeFirstSector,
                                       kLargeSectorCount, kLargeSizeCode, track, &large);
    if (status.code != 0) return status;
    status = WriteSectors(trace, driver, handle, head, cylinder, kSmallSector, 1, kSmallSizeCode,
                          track + kLargeSectorsBytes, &small);
    if (status.code != 0) return status;
    *transferred = large + small;
    TraceEnd(trace, "WriteTrack");
    return status;
}
