#include "floppy/fdrawcmd.h"

#include <cstring>

namespace {

FdrawcmdRequest Request(uint32_t controlCode, const void* input, uint32_t inputSize, RequestData data,
                        uint32_t dataSize) {
    FdrawcmdRequest request{};
    request.controlCode = controlCode;
    if (inputSize > 0) std::memcpy(request.input, input, inputSize);
    request.inputSize = inputSize;
    request.data = data;
    request.dataSize = dataSize;
    return request;
}

}  // namespace

FdrawcmdRequest VersionRequest() {
    return Request(kIoctlGetVersion, nullptr, 0, RequestData::kFromDriver, sizeof(uint32_t));
}

FdrawcmdRequest DataRateRequest(uint8_t rate) {
    return Request(kIoctlSetDataRate, &rate, 1, RequestData::kNone, 0);
}

FdrawcmdRequest ResetRequest() {
    return Request(kIoctlReset, nullptr, 0, RequestData::kNone, 0);
}

FdrawcmdRequest RecalibrateRequest() {
    return Request(kIoctlRecalibrate, nullptr, 0, RequestData::kNone, 0);
}

FdrawcmdRequest SeekRequest(uint8_t cylinder, uint8_t head) {
    const uint8_t seek[2] = {cylinder, head};
    return Request(kIoctlSeek, seek, sizeof seek, RequestData::kNone, 0);
}

FdrawcmdRequest ReadDataRequest(const TransferParameters& parameters, uint32_t length) {
    return Request(kIoctlReadData, &parameters, sizeof parameters, RequestData::kFromDriver, length);
}

FdrawcmdRequest WriteDataRequest(const TransferParameters& parameters, uint32_t length) {
    return Request(kIoctlWriteData, &parameters, sizeof parameters, RequestData::kToDriver, length);
}

FdrawcmdRequest FormatRequest(const FormatParameters& parameters) {
    return Request(kIoctlFormatTrack, &parameters, sizeof parameters, RequestData::kNone, 0);
}
