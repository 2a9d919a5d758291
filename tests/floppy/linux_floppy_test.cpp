#include "floppy/linux_floppy.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "floppy/controller_commands.h"
#include "floppy/error_numbers.h"
#include "floppy/format_track.h"
#include "floppy/sectors.h"
#include "tests/support/temp_folder.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes CommandBytes(const RawFloppyCommand& command) {
    return Bytes(command.command, command.command + command.commandCount);
}

// callError is the errno of a failed ioctl, 0 for one that succeeded.
RawFloppyReply Reply(uint32_t callError, uint32_t flags, uint32_t residual, const Bytes& bytes) {
    RawFloppyReply reply{};
    reply.callFailed = callError != 0;
    reply.callError = callError;
    reply.flags = flags;
    reply.residual = residual;
    reply.replyCount = static_cast<uint8_t>(bytes.size());
    for (size_t at = 0; at < bytes.size(); ++at) reply.reply[at] = bytes[at];
    return reply;
}

}  // namespace

TEST(LinuxRawCommandTest, CommandBytesFlagsAndTrack) {
    uint8_t sectors[5120] = {};
    const TransferParameters large = BuildTransferParameters(1, 7, 0, 5, 3);
    const TransferParameters small = BuildTransferParameters(0, 7, 5, 1, 2);
    const FormatParameters format = BuildFormatParameters(1, 7);
    struct Case {
        const char* what;
        RawFloppyCommand command;
        Bytes bytes;
        uint32_t flags;
        const uint8_t* data;
        uint32_t length;
    };
    const Case cases[] = {
        {"seek head 1 on drive 0", BuildRawSeek(0, 2, 7, 1), {0x0F, 0x04, 7}, kRawInterrupt, nullptr, 0},
        {"seek head 0 on drive 1", BuildRawSeek(1, 2, 79, 0), {0x0F, 0x01, 79}, kRawInterrupt, nullptr, 0},
        {"recalibrate drive 1", BuildRawRecalibrate(1, 2), {0x07, 0x01}, kRawInterrupt, nullptr, 0},
        {"specify 6 ms steps", BuildRawSpecify(2), {0x03, 0xDF, 0x02}, 0, nullptr, 0},
        {"sense drive 1", BuildRawSenseDrive(1, 2), {0x04, 0x01}, 0, nullptr, 0},
        {"read sectors 0 to 4",
         BuildRawTransfer(kCommandReadData, 0, 2, 7, large, sectors, 5120),
         {0x46, 0x04, 7, 1, 0, 3, 4, 0x0A, 0xFF},
         kRawRead | kRawInterrupt | kRawNeedSeek | kRawSpin,
         sectors,
         5120},
        {"write sector 5 on drive 1",
         BuildRawTransfer(kCommandWriteData, 1, 2, 7, small, sectors, 512),
         {0x45, 0x01, 7, 0, 5, 2, 5, 0x0A, 0xFF},
         kRawWrite | kRawInterrupt | kRawNeedSeek | kRawSpin,
         sectors,
         512},
        {"format",
         BuildRawFormat(0, 2, 7, format),
         {0x4D, 0x04, 1, 11, 0xF1, 0x00},
         kRawWrite | kRawInterrupt | kRawNeedSeek | kRawSpin,
         &format.ids[0].cylinder,
         44},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CommandBytes(c.command), c.bytes) << c.what;
        EXPECT_EQ(c.command.flags, c.flags) << c.what;
        EXPECT_EQ(c.command.rate, 2) << c.what;
        // A seek names its cylinder, a transfer the one the head is on; the rest stay on 0.
        const int32_t track = c.bytes[0] == 0x0F ? c.bytes[2] : c.bytes.size() > 3 ? 7 : 0;
        EXPECT_EQ(c.command.track, track) << c.what;
        EXPECT_EQ(c.command.data, c.data) << c.what;
        EXPECT_EQ(c.command.length, c.length) << c.what;
    }
    // The format's data is the ID list: 07 01 00 03, 07 01 99 03, ... 07 01 05 02.
    const RawFloppyCommand raw = BuildRawFormat(0, 2, 7, format);
    const Bytes ids(raw.data, raw.data + raw.length);
    EXPECT_EQ(Bytes(ids.begin(), ids.begin() + 8), (Bytes{7, 1, 0, 3, 7, 1, 0x99, 3}));
    EXPECT_EQ(Bytes(ids.end() - 4, ids.end()), (Bytes{7, 1, 5, 2}));
}

TEST(LinuxRawCommandTest, TransferRepliesBecomeErrorNumbers) {
    struct Case {
        const char* what;
        RawFloppyReply reply;
        bool writing;
        bool ok;
        uint32_t error;
    };
    const Case cases[] = {
        {"normal end", Reply(0, 0, 0, {0x04, 0, 0, 7, 1, 5, 3}), false, true, 0},
        {"end of track without terminal count", Reply(0, 0, 0, {0x44, 0x80, 0, 7, 1, 5, 3}), false, true, 0},
        {"end of track with bytes left", Reply(0, 0, 512, {0x44, 0x80, 0, 7, 1, 5, 3}), false, false,
         kErrorReadFault},
        {"bytes left on a write", Reply(0, 0, 100, {0x04, 0, 0, 7, 1, 5, 3}), true, false, kErrorWriteFault},
        {"CRC error in data", Reply(0, 0, 0, {0x44, 0x20, 0x20, 7, 1, 2, 3}), false, false, kErrorCrc},
        {"sector not found", Reply(0, 0, 0, {0x44, 0x04, 0, 7, 1, 2, 3}), false, false, kErrorSectorNotFound},
        {"write protected", Reply(0, 0, 0, {0x44, 0x02, 0, 7, 1, 0, 3}), true, false, kErrorWriteProtected},
        {"no address mark", Reply(0, 0, 0, {0x44, 0x01, 0, 7, 1, 0, 3}), false, false, kErrorIdMarkNotFound},
        // As the FDRAWCMD driver tests them: "no data" comes before the mark and the cylinder.
        {"no data mark", Reply(0, 0, 0, {0x44, 0, 0x01, 7, 1, 0, 3}), false, false, kErrorSectorNotFound},
        {"no ID mark, no data", Reply(0, 0, 0, {0x44, 0x05, 0, 7, 1, 0, 3}), false, false,
         kErrorSectorNotFound},
        {"wrong cylinder", Reply(0, 0, 0, {0x44, 0x04, 0x10, 9, 1, 0, 3}), false, false,
         kErrorSectorNotFound},
        {"bad cylinder", Reply(0, 0, 0, {0x44, 0, 0x12, 0xFF, 1, 0, 3}), false, false, kErrorWrongCylinder},
        {"CRC before write protection", Reply(0, 0, 0, {0x44, 0x22, 0, 7, 1, 0, 3}), true, false, kErrorCrc},
        {"overrun", Reply(0, 0, 0, {0x44, 0x10, 0, 7, 1, 0, 3}), false, false, kErrorIoDevice},
        {"abnormal end, no cause", Reply(0, 0, 0, {0x44, 0, 0, 7, 1, 0, 3}), false, false,
         kErrorFloppyUnknown},
        {"invalid command", Reply(0, 0, 0, {0x80, 0, 0, 0, 0, 0, 0}), false, false, kErrorFloppyUnknown},
        {"drive not ready", Reply(0, 0, 0, {0x48, 0, 0, 7, 1, 0, 3}), false, false, kErrorNotReady},
        {"equipment check", Reply(0, 0, 0, {0x54, 0, 0, 7, 1, 0, 3}), false, false, kErrorSeek},
        {"failure flag", Reply(0, kRawFailure, 0, {0x04, 0, 0, 7, 1, 5, 3}), false, false,
         kErrorFloppyUnknown},
        {"timed out", Reply(0, kRawHardFailure, 5120, {}), false, false, kErrorNotReady},
        {"ioctl failed keeps its errno", Reply(5, kRawHardFailure, 5120, {}), true, false, 5},
        {"no result bytes", Reply(0, 0, 0, {0x04}), false, false, kErrorBadRegisters},
    };
    for (const Case& c : cases) {
        const DriverResult result = JudgeTransferReply(c.reply, c.writing);
        EXPECT_EQ(result.ok, c.ok) << c.what;
        EXPECT_EQ(result.error, c.error) << c.what;
    }
}

TEST(LinuxRawCommandTest, ARefusedProbeIsToldApartFromOtherFailures) {
    struct Case {
        const char* what;
        RawFloppyReply reply;
        bool ok;
        uint32_t error;
    };
    const Case cases[] = {
        {"drive status", Reply(0, 0, 0, {0x20}), true, 0},
        {"kernel without raw commands", Reply(kRefusedErrno, 0, 0, {}), false, kErrorNotSupported},
        {"other errno", Reply(6, 0, 0, {}), false, 6},
        {"no status byte", Reply(0, 0, 0, {}), false, kErrorNotReady},
    };
    for (const Case& c : cases) {
        const DriverResult result = JudgeProbeReply(c.reply);
        EXPECT_EQ(result.ok, c.ok) << c.what;
        EXPECT_EQ(result.error, c.error) << c.what;
    }
}

TEST(LinuxRawCommandTest, SeekRepliesAreChecked) {
    struct Case {
        const char* what;
        RawFloppyReply reply;
        bool ok;
        uint32_t error;
    };
    const Case cases[] = {
        {"seek end on cylinder 7", Reply(0, 0, 0, {0x24, 7}), true, 0},
        {"no reply bytes", Reply(0, 0, 0, {}), true, 0},
        {"head on cylinder 6", Reply(0, 0, 0, {0x24, 6}), false, kErrorSeek},
        {"abnormal end", Reply(0, 0, 0, {0x64, 7}), false, kErrorSeek},
        {"equipment check", Reply(0, 0, 0, {0x34, 7}), false, kErrorSeek},
        {"ioctl failed keeps its errno", Reply(4, 0, 0, {}), false, 4},
        {"timed out", Reply(0, kRawHardFailure, 0, {}), false, kErrorNotReady},
    };
    for (const Case& c : cases) {
        const DriverResult result = JudgeSeekReply(c.reply, 7);
        EXPECT_EQ(result.ok, c.ok) << c.what;
        EXPECT_EQ(result.error, c.error) << c.what;
    }
}

TEST(LinuxRawCommandTest, FindsTheFloppyBlockDeviceInTheDeviceList) {
    struct Case {
        const char* what;
        const char* list;
        bool present;
    };
    const Case cases[] = {
        {"loaded", "Character devices:\n  1 mem\n  4 tty\n\nBlock devices:\n  2 fd\n  8 sd\n", true},
        {"not loaded", "Character devices:\n  1 mem\n\nBlock devices:\n  7 loop\n  8 sd\n", false},
        {"character device 2 only", "Character devices:\n  2 fd\n\nBlock devices:\n  8 sd\n", false},
        {"empty", "", false},
    };
    TempFolder folder;
    for (const Case& c : cases) {
        const std::string path = folder.File("devices");
        WriteTextFile(path, c.list);
        std::FILE* list = std::fopen(path.c_str(), "r");
        ASSERT_NE(list, nullptr);
        EXPECT_EQ(ListsFloppyBlockDevice(list), c.present) << c.what;
        std::fclose(list);
    }
}
