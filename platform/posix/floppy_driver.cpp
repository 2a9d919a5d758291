// The kernel floppy driver of Linux, reached with raw controller commands (the FDRAWCMD ioctl) on
// /dev/fd0 and /dev/fd1. On other systems there is no driver to reach.
#include "floppy/platform_driver.h"

#ifdef __linux__

#include <fcntl.h>
#include <linux/fd.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>

#include "floppy/controller_commands.h"
#include "floppy/error_numbers.h"
#include "floppy/linux_floppy.h"

static_assert(kRawRead == FD_RAW_READ && kRawWrite == FD_RAW_WRITE && kRawInterrupt == FD_RAW_INTR &&
                  kRawNeedSeek == FD_RAW_NEED_SEEK && kRawSpin == FD_RAW_SPIN &&
                  kRawFailure == FD_RAW_FAILURE && kRawHardFailure == FD_RAW_HARDFAILURE,
              "raw command flags");
// Kernel headers before 5.8 have no FD_RAW_CMD_SIZE or FD_RAW_REPLY_SIZE; the record's own fields
// give the sizes in every version.
static_assert(kRawCommandSize == sizeof(floppy_raw_cmd::cmd) &&
                  kRawReplySize == sizeof(floppy_raw_cmd::reply),
              "raw command bytes");
static_assert(kRefusedErrno == EOPNOTSUPP, "the errno of refused raw commands");

namespace {

// Passes one raw command to the kernel and collects what comes back.
RawFloppyReply Issue(intptr_t descriptor, const RawFloppyCommand& command) {
    floppy_raw_cmd raw;
    std::memset(&raw, 0, sizeof raw);
    raw.flags = command.flags;
    raw.data = const_cast<uint8_t*>(command.data);
    raw.length = command.length;
    raw.rate = command.rate;
    raw.track = command.track;
    raw.cmd_count = command.commandCount;
    std::memcpy(raw.cmd, command.command, command.commandCount);

    RawFloppyReply reply{};
    reply.callFailed = ioctl(static_cast<int>(descriptor), FDRAWCMD, &raw) != 0;
    reply.callError = reply.callFailed ? static_cast<uint32_t>(errno) : 0;
    reply.flags = raw.flags;
    reply.residual = raw.length > 0 ? static_cast<uint32_t>(raw.length) : 0;
    reply.replyCount = raw.reply_count <= kRawReplySize ? raw.reply_count : kRawReplySize;
    std::memcpy(reply.reply, raw.reply, reply.replyCount);
    return reply;
}

// Gives the head time to settle after it moved.
void WaitForHeadSettle() {
    timespec settle{};
    settle.tv_nsec = static_cast<long>(kHeadSettleMilliseconds) * 1000000L;
    while (nanosleep(&settle, &settle) != 0 && errno == EINTR) {
    }
}

// The drive's number on its controller, from the device's minor number.
uint8_t ControllerUnit(int descriptor) {
    struct stat information {};
    if (fstat(descriptor, &information) != 0 || !S_ISBLK(information.st_mode)) return 0;
    return static_cast<uint8_t>(minor(information.st_rdev) & 3);
}

// The driver keeps the unit, data rate and cylinder of the drive the program works on: the kernel
// takes them with every raw command.
class KernelFloppyDriver : public FloppyDriver {
  public:
    KernelFloppyDriver() : FloppyDriver(kLinuxFloppyTexts) {}

    DriverResult QueryVersion(uint32_t* version) override {
        std::FILE* devices = std::fopen("/proc/devices", "r");
        if (devices == nullptr) return DriverFailure(static_cast<uint32_t>(errno));
        const bool present = ListsFloppyBlockDevice(devices);
        std::fclose(devices);
        if (!present) return DriverFailure(ENODEV);
        *version = kLinuxFloppyVersion;
        return DriverSuccess();
    }

    DriverResult OpenDrive(const char* deviceName, FloppyHandle* handle) override {
        // Without O_NDELAY the open would fail on a disk whose format the kernel does not know;
        // O_EXCL keeps other openers away while the program works.
        const int descriptor = open(deviceName, O_RDWR | O_NDELAY | O_EXCL | O_CLOEXEC);
        if (descriptor < 0) return DriverFailure(static_cast<uint32_t>(errno));
        unit_ = ControllerUnit(descriptor);
        handle->value = descriptor;
        return DriverSuccess();
    }

    DriverResult SetDataRate(FloppyHandle, uint8_t rate) override {
        if (rate > 3) return DriverFailure(kErrorInvalidParameter);
        rate_ = rate;
        return DriverSuccess();
    }

    DriverResult ProbeDrive(FloppyHandle handle) override {
        return JudgeProbeReply(Issue(handle.value, BuildRawSenseDrive(unit_, rate_)));
    }

    // The kernel's reset leaves the controller's step rate and head times unset, and its own
    // recalibration never runs for raw commands: the programs recalibrate next.
    DriverResult ResetController(FloppyHandle handle) override {
        if (ioctl(static_cast<int>(handle.value), FDRESET, FD_RESET_ALWAYS) != 0)
            return DriverFailure(static_cast<uint32_t>(errno));
        specified_ = false;
        return DriverSuccess();
    }

    // The kernel sends its own SPECIFY only before transfers, so the first head movement after a
    // reset gets one from here.
    DriverResult Recalibrate(FloppyHandle handle) override {
        if (!specified_) {
            const RawFloppyReply reply = Issue(handle.value, BuildRawSpecify(rate_));
            if (reply.callFailed) return DriverFailure(reply.callError);
            specified_ = true;
        }
        const DriverResult result = JudgeSeekReply(Issue(handle.value, BuildRawRecalibrate(unit_, rate_)), 0);
        WaitForHeadSettle();
        if (result.ok) cylinder_ = 0;
        return result;
    }

    DriverResult Seek(FloppyHandle handle, uint8_t cylinder, uint8_t head) override {
        const RawFloppyReply reply = Issue(handle.value, BuildRawSeek(unit_, rate_, cylinder, head));
        const DriverResult result = JudgeSeekReply(reply, cylinder);
        WaitForHeadSettle();
        if (result.ok) cylinder_ = cylinder;
        return result;
    }

    DriverResult ReadData(FloppyHandle handle, const TransferParameters& parameters, uint8_t* data,
                          uint32_t length) override {
        const RawFloppyCommand command =
            BuildRawTransfer(kCommandReadData, unit_, rate_, cylinder_, parameters, data, length);
        return JudgeTransferReply(Issue(handle.value, command), false);
    }

    DriverResult WriteData(FloppyHandle handle, const TransferParameters& parameters, const uint8_t* data,
                           uint32_t length) override {
        const RawFloppyCommand command =
            BuildRawTransfer(kCommandWriteData, unit_, rate_, cylinder_, parameters, data, length);
        return JudgeTransferReply(Issue(handle.value, command), true);
    }

    DriverResult Format(FloppyHandle handle, const FormatParameters& parameters) override {
        return JudgeTransferReply(Issue(handle.value, BuildRawFormat(unit_, rate_, cylinder_, parameters)),
                                  true);
    }

  private:
    uint8_t unit_ = 0;
    uint8_t rate_ = 2;
    uint8_t cylinder_ = 0;
    bool specified_ = false;
};

}  // namespace

FloppyDriver& PlatformFloppyDriver() {
    static KernelFloppyDriver driver;
    return driver;
}

#else  // no Linux kernel floppy driver on this system

#include "floppy/error_numbers.h"

namespace {

constexpr FloppyDriverTexts kNoFloppyDriverTexts = {
    "/dev/fd%d",
    "This system has no floppy driver these programs can use: they need the Linux kernel floppy driver.",
    "This system has no floppy driver these programs can use: they need the Linux kernel floppy driver.",
    "This system has no floppy driver these programs can use: they need the Linux kernel floppy driver.",
};

// Every call fails: the version query first, so the programs stop with the "not installed" report.
class MissingFloppyDriver : public FloppyDriver {
  public:
    MissingFloppyDriver() : FloppyDriver(kNoFloppyDriverTexts) {}
    DriverResult QueryVersion(uint32_t*) override { return DriverFailure(kErrorFileNotFound); }
    DriverResult OpenDrive(const char*, FloppyHandle*) override { return DriverFailure(kErrorFileNotFound); }
    DriverResult SetDataRate(FloppyHandle, uint8_t) override { return DriverFailure(kErrorInvalidHandle); }
    DriverResult ProbeDrive(FloppyHandle) override { return DriverFailure(kErrorInvalidHandle); }
    DriverResult ResetController(FloppyHandle) override { return DriverFailure(kErrorInvalidHandle); }
    DriverResult Recalibrate(FloppyHandle) override { return DriverFailure(kErrorInvalidHandle); }
    DriverResult Seek(FloppyHandle, uint8_t, uint8_t) override { return DriverFailure(kErrorInvalidHandle); }
    DriverResult ReadData(FloppyHandle, const TransferParameters&, uint8_t*, uint32_t) override {
        return DriverFailure(kErrorInvalidHandle);
    }
    DriverResult WriteData(FloppyHandle, const TransferParameters&, const uint8_t*, uint32_t) override {
        return DriverFailure(kErrorInvalidHandle);
    }
    DriverResult Format(FloppyHandle, const FormatParameters&) override {
        return DriverFailure(kErrorInvalidHandle);
    }
};

}  // namespace

FloppyDriver& PlatformFloppyDriver() {
    static MissingFloppyDriver driver;
    return driver;
}

#endif
