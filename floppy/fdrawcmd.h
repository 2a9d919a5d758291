// The FDRAWCMD driver of Windows as the floppy programs call it: its devices, texts, control codes
// and the request each driver call makes. The requests are plain records, so that what the Windows
// driver passes to DeviceIoControl can be checked on any system.
#pragma once

#include <cstdint>

#include "floppy/controller_commands.h"
#include "floppy/driver.h"

// The driver's control device, which answers the version query.
constexpr const char* kFdrawcmdControlDevice = "\\\\.\\fdrawcmd";

// Where the driver's author offers its installer.
#define FDRAWCMD_INSTALLER_ADDRESS "http://simonowen.com/fdrawcmd/FdInstall.exe"

constexpr FloppyDriverTexts kFdrawcmdTexts = {
    "\\\\.\\fdraw%d",
    "The FDRAWCMD floppy driver is not installed. You can download the driver "
    "from " FDRAWCMD_INSTALLER_ADDRESS,
    "The installed FDRAWCMD floppy driver is too old. You can download a new version "
    "from " FDRAWCMD_INSTALLER_ADDRESS,
    "The installed FDRAWCMD floppy driver refuses controller commands. You can download the driver "
    "again from " FDRAWCMD_INSTALLER_ADDRESS,
};

// Device type 0x22, read and write access, the function number and the buffer method.
constexpr uint32_t FdrawcmdControlCode(uint32_t function, uint32_t method) {
    return (0x22u << 16) | (3u << 14) | (function << 2) | method;
}
constexpr uint32_t kMethodBuffered = 0;
constexpr uint32_t kMethodInDirect = 1;
constexpr uint32_t kMethodOutDirect = 2;
// Controller commands are functions 0x800 plus the command number.
constexpr uint32_t kControllerFunctionBase = 0x800;

constexpr uint32_t kIoctlGetVersion = FdrawcmdControlCode(0x888, kMethodBuffered);
constexpr uint32_t kIoctlSetDataRate = FdrawcmdControlCode(0x904, kMethodBuffered);
constexpr uint32_t kIoctlReset = FdrawcmdControlCode(0x902, kMethodBuffered);
constexpr uint32_t kIoctlSeek = FdrawcmdControlCode(kControllerFunctionBase + kCommandSeek, kMethodBuffered);
constexpr uint32_t kIoctlRecalibrate =
    FdrawcmdControlCode(kControllerFunctionBase + kCommandRecalibrate, kMethodBuffered);
constexpr uint32_t kIoctlReadData =
    FdrawcmdControlCode(kControllerFunctionBase + kCommandReadData, kMethodOutDirect);
constexpr uint32_t kIoctlWriteData =
    FdrawcmdControlCode(kControllerFunctionBase + kCommandWriteData, kMethodInDirect);
constexpr uint32_t kIoctlFormatTrack =
    FdrawcmdControlCode(kControllerFunctionBase + kCommandFormatTrack, kMethodBuffered);

static_assert(kIoctlGetVersion == 0x22E220 && kIoctlSetDataRate == 0x22E410 && kIoctlReset == 0x22E408,
              "driver control codes");
static_assert(kIoctlSeek == 0x22E03C && kIoctlRecalibrate == 0x22E01C && kIoctlReadData == 0x22E01A &&
                  kIoctlWriteData == 0x22E015 && kIoctlFormatTrack == 0x22E034,
              "controller command control codes");

// What the call's second (output) buffer carries.
enum class RequestData : uint8_t {
    kNone,        // no buffer
    kFromDriver,  // the driver fills it: the version, or the sectors read
    kToDriver,    // it holds the sectors to write
};

// One DeviceIoControl call: control code, input record, and the size and role of the output buffer.
struct FdrawcmdRequest {
    uint32_t controlCode;
    uint8_t input[sizeof(FormatParameters)];
    uint32_t inputSize;
    RequestData data;
    uint32_t dataSize;
};

FdrawcmdRequest VersionRequest();
FdrawcmdRequest DataRateRequest(uint8_t rate);
FdrawcmdRequest ResetRequest();
// The driver recalibrates twice for one request and lets the head settle; its reset leaves the
// controller to be specified again before the next command, which the driver does itself.
FdrawcmdRequest RecalibrateRequest();
// The driver lets the head settle before and after the seek.
FdrawcmdRequest SeekRequest(uint8_t cylinder, uint8_t head);
FdrawcmdRequest ReadDataRequest(const TransferParameters& parameters, uint32_t length);
// The sector data travels in the call's output buffer, which the driver reads.
FdrawcmdRequest WriteDataRequest(const TransferParameters& parameters, uint32_t length);
FdrawcmdRequest FormatRequest(const FormatParameters& parameters);
