#include "floppy/fdrawcmd.h"

#include <gtest/gtest.h>

#include <vector>

#include "floppy/format_track.h"
#include "floppy/sectors.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes InputBytes(const FdrawcmdRequest& request) {
    return Bytes(request.input, request.input + request.inputSize);
}

}  // namespace

TEST(FdrawcmdRequestTest, EachCallHasItsControlCodeInputAndDataBuffer) {
    const TransferParameters large = BuildTransferParameters(1, 7, 0, 5, 3);
    const TransferParameters small = BuildTransferParameters(0, 2, 5, 1, 2);
    const FormatParameters format = BuildFormatParameters(1, 7);
    const auto* formatBytes = reinterpret_cast<const uint8_t*>(&format);
    struct Case {
        const char* what;
        FdrawcmdRequest request;
        uint32_t controlCode;
        Bytes input;
        RequestData data;
        uint32_t dataSize;
    };
    const Case cases[] = {
        {"version", VersionRequest(), 2286112, {}, RequestData::kFromDriver, 4},
        {"data rate", DataRateRequest(2), 2286608, {2}, RequestData::kNone, 0},
        {"reset", ResetRequest(), 2286600, {}, RequestData::kNone, 0},
        {"seek", SeekRequest(7, 1), 2285628, {7, 1}, RequestData::kNone, 0},
        {"read sectors 0 to 4",
         ReadDataRequest(large, 5120),
         2285594,
         {0x40, 1, 7, 1, 0, 3, 5, 0x0A, 0xFF},
         RequestData::kFromDriver,
         5120},
        {"write sector 5",
         WriteDataRequest(small, 512),
         2285589,
         {0x40, 0, 2, 0, 5, 2, 6, 0x0A, 0xFF},
         RequestData::kToDriver,
         512},
        {"format", FormatRequest(format), 2285620, Bytes(formatBytes, formatBytes + 50), RequestData::kNone,
         0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.request.controlCode, c.controlCode) << c.what;
        EXPECT_EQ(InputBytes(c.request), c.input) << c.what;
        EXPECT_EQ(c.request.data, c.data) << c.what;
        EXPECT_EQ(c.request.dataSize, c.dataSize) << c.what;
    }
}

TEST(FdrawcmdRequestTest, DevicesAndDownloadTexts) {
    EXPECT_STREQ(kFdrawcmdControlDevice, "\\\\.\\fdrawcmd");
    EXPECT_STREQ(kFdrawcmdTexts.deviceNameFormat, "\\\\.\\fdraw%d");
    EXPECT_STREQ(kFdrawcmdTexts.notInstalled,
                 "The FDRAWCMD floppy driver is not installed. You can download the driver from "
                 "http://simonowen.com/fdrawcmd/FdInstall.exe");
    EXPECT_STREQ(kFdrawcmdTexts.tooOld,
                 "The installed FDRAWCMD floppy driver is too old. You can download a new version from "
                 "http://simonowen.com/fdrawcmd/FdInstall.exe");
}
