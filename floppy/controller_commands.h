// Command numbers and status-register bits of the PC floppy disk controller, as both real drivers
// pass them on.
#pragma once

#include <cstdint>

#include "floppy/error_numbers.h"

constexpr uint8_t kCommandSpecify = 0x03;
constexpr uint8_t kCommandSenseDriveStatus = 0x04;
constexpr uint8_t kCommandWriteData = 0x05;
constexpr uint8_t kCommandReadData = 0x06;
constexpr uint8_t kCommandRecalibrate = 0x07;
constexpr uint8_t kCommandFormatTrack = 0x0D;
constexpr uint8_t kCommandSeek = 0x0F;

// Status register 0: interrupt code (bits 7..6), seek end, equipment check, not ready.
constexpr uint8_t kSt0InterruptCode = 0xC0;
constexpr uint8_t kSt0AbnormalEnd = 0x40;
constexpr uint8_t kSt0InvalidCommand = 0x80;
constexpr uint8_t kSt0EquipmentCheck = 0x10;
constexpr uint8_t kSt0NotReady = 0x08;

// Status register 1.
constexpr uint8_t kSt1EndOfCylinder = 0x80;
constexpr uint8_t kSt1DataError = 0x20;
constexpr uint8_t kSt1Overrun = 0x10;
constexpr uint8_t kSt1NoData = 0x04;
constexpr uint8_t kSt1NotWritable = 0x02;
constexpr uint8_t kSt1MissingAddressMark = 0x01;

// Status register 2.
constexpr uint8_t kSt2DataErrorInData = 0x20;
constexpr uint8_t kSt2WrongCylinder = 0x10;
constexpr uint8_t kSt2BadCylinder = 0x02;
constexpr uint8_t kSt2MissingDataMark = 0x01;

// The error number of a command that the controller ended abnormally, tested in the order the
// FDRAWCMD driver tests the status bytes, so that one disk fault reads the same on every system.
inline uint32_t ControllerStatusError(uint8_t st1, uint8_t st2) {
    if ((st1 & kSt1DataError) || (st2 & kSt2DataErrorInData)) return kErrorCrc;
    if (st1 & kSt1Overrun) return kErrorIoDevice;
    if (st1 & (kSt1NoData | kSt1EndOfCylinder)) return kErrorSectorNotFound;
    if (st2 & kSt2BadCylinder) return kErrorWrongCylinder;
    if (st2 & kSt2MissingDataMark) return kErrorSectorNotFound;
    if (st1 & kSt1NotWritable) return kErrorWriteProtected;
    if (st1 & kSt1MissingAddressMark) return kErrorIdMarkNotFound;
    if (st2 & kSt2WrongCylinder) return kErrorWrongCylinder;
    return kErrorFloppyUnknown;
}
