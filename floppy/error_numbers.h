// Error numbers of failed floppy calls. Every driver reports controller faults with the numbers
// the Windows FDRAWCMD driver uses, so that a message reads the same on every system.
#pragma once

#include <cstdint>

constexpr uint32_t kErrorFileNotFound = 2;
constexpr uint32_t kErrorInvalidHandle = 6;
constexpr uint32_t kErrorWriteProtected = 19;
constexpr uint32_t kErrorNotReady = 21;
constexpr uint32_t kErrorCrc = 23;
constexpr uint32_t kErrorSeek = 25;
// The request is not supported: what a driver reports when the system refuses raw controller
// commands (EOPNOTSUPP from the Linux kernel).
constexpr uint32_t kErrorNotSupported = 50;
constexpr uint32_t kErrorSectorNotFound = 27;
constexpr uint32_t kErrorWriteFault = 29;
constexpr uint32_t kErrorReadFault = 30;
constexpr uint32_t kErrorInvalidParameter = 87;
constexpr uint32_t kErrorIoDevice = 1117;
constexpr uint32_t kErrorIdMarkNotFound = 1122;
constexpr uint32_t kErrorWrongCylinder = 1123;
constexpr uint32_t kErrorFloppyUnknown = 1124;
constexpr uint32_t kErrorBadRegisters = 1125;
