#include "floppy/linux_floppy.h"

#include <cstring>

#include "floppy/controller_commands.h"
#include "floppy/error_numbers.h"

namespace {

// The controller's second command byte: head in bit 2, drive unit in bits 1..0.
uint8_t HeadAndUnit(uint8_t head, uint8_t unit) {
    return static_cast<uint8_t>(((head & 1) << 2) | (unit & 3));
}

RawFloppyCommand StartCommand(uint32_t flags, uint8_t rate, uint8_t cylinder) {
    RawFloppyCommand command{};
    command.flags = flags;
    command.rate = rate;
    command.track = cylinder;
    return command;
}

void AddByte(RawFloppyCommand* command, uint8_t value) {
    command->command[command->commandCount] = value;
    ++command->commandCount;
}

}  // namespace

RawFloppyCommand BuildRawSeek(uint8_t unit, uint8_t rate, uint8_t cylinder, uint8_t head) {
    RawFloppyCommand command = StartCommand(kRawInterrupt, rate, cylinder);
    AddByte(&command, kCommandSeek);
    AddByte(&command, HeadAndUnit(head, unit));
    AddByte(&command, cylinder);
    return command;
}

RawFloppyCommand BuildRawRecalibrate(uint8_t unit, uint8_t rate) {
    RawFloppyCommand command = StartCommand(kRawInterrupt, rate, 0);
    AddByte(&command, kCommandRecalibrate);
    AddByte(&command, HeadAndUnit(0, unit));
    return command;
}

RawFloppyCommand BuildRawSpecify(uint8_t rate) {
    RawFloppyCommand command = StartCommand(0, rate, 0);
    AddByte(&command, kCommandSpecify);
    AddByte(&command, kSpecifyStepRateHeadUnload);
    AddByte(&command, kSpecifyHeadLoadDma);
    return command;
}

RawFloppyCommand BuildRawSenseDrive(uint8_t unit, uint8_t rate) {
    RawFloppyCommand command = StartCommand(0, rate, 0);
    AddByte(&command, kCommandSenseDriveStatus);
    AddByte(&command, HeadAndUnit(0, unit));
    return command;
}

RawFloppyCommand BuildRawTransfer(uint8_t controllerCommand, uint8_t unit, uint8_t rate, uint8_t cylinder,
                                  const TransferParameters& parameters, const uint8_t* data,
                                  uint32_t length) {
    const uint32_t direction = controllerCommand == kCommandWriteData ? kRawWrite : kRawRead;
    RawFloppyCommand command =
        StartCommand(direction | kRawInterrupt | kRawNeedSeek | kRawSpin, rate, cylinder);
    // The MFM (and multi-track, skip) bits of the flag byte sit in the command byte itself.
    AddByte(&command, static_cast<uint8_t>(controllerCommand | (parameters.flags & 0xE0)));
    AddByte(&command, HeadAndUnit(parameters.physicalHead, unit));
    AddByte(&command, parameters.cylinder);
    AddByte(&command, parameters.head);
    AddByte(&command, parameters.sector);
    AddByte(&command, parameters.sizeCode);
    AddByte(&command, static_cast<uint8_t>(parameters.endOfTrack - 1));
    AddByte(&command, parameters.gapLength);
    AddByte(&command, parameters.dataLength);
    command.data = data;
    command.length = length;
    return command;
}

RawFloppyCommand BuildRawFormat(uint8_t unit, uint8_t rate, uint8_t cylinder,
                                const FormatParameters& parameters) {
    RawFloppyCommand command =
        StartCommand(kRawWrite | kRawInterrupt | kRawNeedSeek | kRawSpin, rate, cylinder);
    AddByte(&command, static_cast<uint8_t>(kCommandFormatTrack | (parameters.flags & 0x40)));
    AddByte(&command, HeadAndUnit(parameters.physicalHead, unit));
    AddByte(&command, parameters.sizeCode);
    AddByte(&command, parameters.sectorCount);
    AddByte(&command, parameters.gapLength);
    AddByte(&command, parameters.fillByte);
    const uint8_t count = parameters.sectorCount <= kFormatIdFieldCount ? parameters.sectorCount : 0;
    command.data = &parameters.ids[0].cylinder;
    command.length = static_cast<uint32_t>(count * sizeof(SectorIdField));
    return command;
}

DriverResult JudgeSeekReply(const RawFloppyReply& reply, uint8_t cylinder) {
    if (reply.callFailed) return DriverFailure(reply.callError);
    if (reply.flags & kRawHardFailure) return DriverFailure(kErrorNotReady);
    // The kernel senses the seek's interrupt: ST0, then the cylinder the controller counts (which
    // says nothing of where the head really is).
    if (reply.replyCount >= 1 && (reply.reply[0] & (kSt0InterruptCode | kSt0EquipmentCheck)))
        return DriverFailure(kErrorSeek);
    if (reply.replyCount >= 2 && reply.reply[1] != cylinder) return DriverFailure(kErrorSeek);
    return DriverSuccess();
}

DriverResult JudgeProbeReply(const RawFloppyReply& reply) {
    if (reply.callFailed && reply.callError == kRefusedErrno) return DriverFailure(kErrorNotSupported);
    if (reply.callFailed) return DriverFailure(reply.callError);
    if ((reply.flags & kRawHardFailure) || reply.replyCount < 1) return DriverFailure(kErrorNotReady);
    return DriverSuccess();
}

DriverResult JudgeTransferReply(const RawFloppyReply& reply, bool writing) {
    if (reply.callFailed) return DriverFailure(reply.callError);
    if (reply.flags & kRawHardFailure) return DriverFailure(kErrorNotReady);
    // A failed ioctl aside, the controller's own verdict is in its result bytes.
    if (reply.replyCount < 3) return DriverFailure(kErrorBadRegisters);
    const uint8_t st0 = reply.reply[0];
    const uint8_t st1 = reply.reply[1];
    const uint8_t st2 = reply.reply[2];
    if (st0 & kSt0NotReady) return DriverFailure(kErrorNotReady);
    if (st0 & kSt0EquipmentCheck) return DriverFailure(kErrorSeek);
    switch (st0 & kSt0InterruptCode) {
        case 0:
            break;
        case kSt0AbnormalEnd:
            // Running into the end of the track without a terminal count still moved every
            // sector; the bytes left over tell whether it did.
            if (st1 == kSt1EndOfCylinder && st2 == 0) break;
            return DriverFailure(ControllerStatusError(st1, st2));
        case kSt0InvalidCommand:
            return DriverFailure(kErrorFloppyUnknown);
        default:
            return DriverFailure(kErrorNotReady);
    }
    if (reply.flags & kRawFailure) return DriverFailure(kErrorFloppyUnknown);
    if (reply.residual != 0) return DriverFailure(writing ? kErrorWriteFault : kErrorReadFault);
    return DriverSuccess();
}

bool ListsFloppyBlockDevice(std::FILE* devices) {
    char line[128];
    bool blockDevices = false;
    while (std::fgets(line, sizeof line, devices) != nullptr) {
        if (std::strncmp(line, "Block devices:", 14) == 0) {
            blockDevices = true;
            continue;
        }
        if (std::strncmp(line, "Character devices:", 18) == 0) {
            blockDevices = false;
            continue;
        }
        int major = 0;
        char name[32] = "";
        if (blockDevices && std::sscanf(line, "%d %31s", &major, name) == 2 && major == 2 &&
            std::strcmp(name, "fd") == 0)
            return true;
    }
    return false;
}
