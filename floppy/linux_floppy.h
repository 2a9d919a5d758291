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
    "The Linux kernel refuses raw floppy controller commands: it was built without "
    "CONFIG_BLK_DEV_FD_RAWCMD, as most distributions' kernels since 5.18 are. Use a kernel built "
    "with CONFIG_BLK_DEV_FD_RAWCMD=y, or read and write the disk without a floppy controller "
    "(Greaseweazle or Gotek, see the README).",
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

// The errno (EOPNOTSUPP) with which a kernel built without CONFIG_BLK_DEV_FD_RAWCMD refuses the
// FDRAWCMD ioctl.
constexpr uint32_t kRefusedErrno = 95;

// Command and reply bytes of the kernel's record: 16 each, in every kernel that has the record.
constexpr int32_t kRawCommandSize = 16;
constexpr int32_t kRawReplySize = 16;

// Step rate 6 ms and head unload 480 ms (0xDF), head load 4 ms in DMA mode (0x02) at 250 kbit/s:
// what the FDRAWCMD driver gives the controller after its reset.
constexpr uint8_t kSpecifyStepRateHeadUnload = 0xDF;
constexpr uint8_t kSpecifyHeadLoadDma = 0x02;
// Milliseconds the head is given to settle after it moved, as the FDRAWCMD driver does.
constexpr int32_t kHeadSettleMilliseconds = 15;

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

// What came back: whether the ioctl itself failed and its errno, the out flags, the bytes not
// transferred and the controller's result bytes (ST0, ST1, ST2, C, H, R, N for transfers; ST0, PCN
// for a seek or recalibration; ST3 for the drive status).
struct RawFloppyReply {
    bool callFailed;
    uint32_t callError;
    uint32_t flags;
    uint32_t residual;
    uint8_t replyCount;
    uint8_t reply[kRawReplySize];
};

// unit is the drive's number on its controller (0 for /dev/fd0, 1 for /dev/fd1); cylinder is
// where the last seek put the head, which the kernel keeps it on for the command.
RawFloppyCommand BuildRawSeek(uint8_t unit, uint8_t rate, uint8_t cylinder, uint8_t head);
RawFloppyCommand BuildRawRecalibrate(uint8_t unit, uint8_t rate);
// SPECIFY with the step rate and head times above; the kernel waits for no interrupt.
RawFloppyCommand BuildRawSpecify(uint8_t rate);
// SENSE DRIVE STATUS: one reply byte (ST3), no interrupt, nothing moves.
RawFloppyCommand BuildRawSenseDrive(uint8_t unit, uint8_t rate);
// controllerCommand is kCommandReadData or kCommandWriteData. Both drivers pass the end-of-track
// byte straight to the controller, which stops after that sector or at the terminal count of the
// transfer, whichever comes first. The FDRAWCMD record carries one past the last sector (the
// terminal count ends the transfer there); the Linux command carries the last sector's ID itself,
// so that the controller stops on it even without a terminal count and does not go looking for a
// sector the track does not have. It then ends with "end of cylinder", which JudgeTransferReply
// accepts when every byte moved.
RawFloppyCommand BuildRawTransfer(uint8_t controllerCommand, uint8_t unit, uint8_t rate, uint8_t cylinder,
                                  const TransferParameters& parameters, const uint8_t* data, uint32_t length);
// The ID fields of the parameters are the data of the format command.
RawFloppyCommand BuildRawFormat(uint8_t unit, uint8_t rate, uint8_t cylinder,
                                const FormatParameters& parameters);

// For seeks and recalibrations (cylinder 0): the controller's ST0 and the cylinder it counts.
DriverResult JudgeSeekReply(const RawFloppyReply& reply, uint8_t cylinder);
// For the drive status probe: a refusal of raw commands gives kErrorNotSupported.
DriverResult JudgeProbeReply(const RawFloppyReply& reply);
// For reads, writes and formats: a failed ioctl keeps its errno; a controller fault gives the
// error number the FDRAWCMD driver gives for the same status bytes.
DriverResult JudgeTransferReply(const RawFloppyReply& reply, bool writing);

// True when a list in the form of /proc/devices names the floppy block device (major 2, "fd").
bool ListsFloppyBlockDevice(std::FILE* devices);
