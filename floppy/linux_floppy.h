// The Linux kernel floppy driver as the floppy programs call it: raw controller commands passed
// with the FDRAWCMD ioctl of /dev/fd0 and /dev/fd1. The command records and the reading of the
// controller's reply are plain code here, so that what the Linux driver sends and how it judges
// the answer can be checked on any system; platform/posix/floppy_driver.cpp only copies them into
// the kernel's record and makes the call.
#pragma once

#include <cstdint>
#include <cstdio>

#include "floppy/driver.h"

constexpr FloppyDriverTexts kLinuxFloppyTexts = {
    "/dev/fd%d",
    "The Linux kernel floppy driver is not loaded. Load it with \"modprobe floppy\" and try again.",
    "The Linux kernel floppy driver is too old for this program.",
};

// The kernel driver has no version of its own: a driver that is there reports this one.
constexpr uint32_t kLinuxFloppyVersion = 0x01000000;

// Flags of the kernel's raw command record (the values of FD_RAW_* in <linux/fd.h>).
constexpr uint32_t kRawRead = 0x1;
constexpr uint32_t kRawWrite = 0x2;
constexpr uint32_t kRawInterrupt = 0x8;
constexpr uint32_t kRawNeedSeek = 0x80;
// Wait until the motor has come up to speed before a transfer or a format, so that the first
// track after the motor starts is not read or written on a disk still speeding up.
constexpr uint32_t kRawSpin = 0x10;
constexpr uint32_t kRawFailure = 0x10000;      // out: the controller reported an error
constexpr uint32_t kRawHardFailure = 0x20000;  // out: the controller had to be reset, or timed out

constexpr int32_t kRawCommandSize = 16;
constexpr int32_t kRawReplySize = 16;

// One raw command: the fields of the kernel's record that the programs set. data points into the
// caller's buffer or parameters and is length bytes long.
struct RawFloppyCommand {
    uint32_t flags;
    uint8_t rate;
    int32_t track;
    uint8_t commandCount;
    uint8_t command[kRawCommandSize];
    const uint8_t* data;
    uint32_t length;
};

// What came back: whether the ioctl itself failed, the out flags, the bytes not transferred and
// the controller's result bytes (ST0, ST1, ST2, C, H, R, N for transfers; ST0, PCN for a seek).
struct RawFloppyReply {
    bool callFailed;
    uint32_t flags;
    uint32_t residual;
    uint8_t replyCount;
    uint8_t reply[kRawReplySize];
};

// unit is the drive's number on its controller (0 for /dev/fd0, 1 for /dev/fd1); cylinder is
// where the last seek put the head, which the kernel keeps it on for the command.
RawFloppyCommand BuildRawSeek(uint8_t unit, uint8_t rate, uint8_t cylinder, uint8_t head);
// controllerCommand is kCommandReadData or kCommandWriteData. The end-of-track byte the controller
// takes is the last sector ID, one less than the FDRAWCMD record's.
RawFloppyCommand BuildRawTransfer(uint8_t controllerCommand, uint8_t unit, uint8_t rate, uint8_t cylinder,
                                  const TransferParameters& parameters, const uint8_t* data, uint32_t length);
// The ID fields of the parameters are the data of the format command.
RawFloppyCommand BuildRawFormat(uint8_t unit, uint8_t rate, uint8_t cylinder,
                                const FormatParameters& parameters);

DriverResult JudgeSeekReply(const RawFloppyReply& reply, uint8_t cylinder);
// For reads, writes and formats: the error number says what failed.
DriverResult JudgeTransferReply(const RawFloppyReply& reply, bool writing);

// True when a list in the form of /proc/devices names the floppy block device (major 2, "fd").
bool ListsFloppyBlockDevice(std::FILE* devices);
