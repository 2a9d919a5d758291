// The FDRAWCMD floppy driver, reached with DeviceIoControl on its devices.
#include <windows.h>

#include <cstring>

#include "floppy/fdrawcmd.h"
#include "floppy/platform_driver.h"

namespace {

HANDLE AsWindowsHandle(FloppyHandle handle) {
    return reinterpret_cast<HANDLE>(handle.value);
}

// Read and write access, no sharing, open existing, no flags.
HANDLE OpenDevice(const char* name) {
    return CreateFileA(name, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
}

// One call; data is the output buffer of request.dataSize bytes (or null when there is none).
DriverResult Issue(HANDLE device, FdrawcmdRequest request, void* data) {
    DWORD returned = 0;
    const BOOL done =
        DeviceIoControl(device, request.controlCode, request.inputSize > 0 ? request.input : nullptr,
                        request.inputSize, data, request.dataSize, &returned, nullptr);
    return done ? DriverSuccess() : DriverFailure(GetLastError());
}

// A call that moves sector data. The driver transfers straight to and from the buffer, which must
// therefore start on a page: the data goes through a VirtualAlloc block.
DriverResult IssueWithSectors(HANDLE device, const FdrawcmdRequest& request, uint8_t* readInto,
                              const uint8_t* writeFrom) {
    if (request.dataSize == 0) return Issue(device, request, nullptr);
    void* pages = VirtualAlloc(nullptr, request.dataSize, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    if (pages == nullptr) return DriverFailure(GetLastError());
    if (writeFrom != nullptr) std::memcpy(pages, writeFrom, request.dataSize);
    const DriverResult result = Issue(device, request, pages);
    if (result.ok && readInto != nullptr) std::memcpy(readInto, pages, request.dataSize);
    VirtualFree(pages, 0, MEM_RELEASE);
    return result;
}

class FdrawcmdDriver : public FloppyDriver {
  public:
    FdrawcmdDriver() : FloppyDriver(kFdrawcmdTexts) {}

    DriverResult QueryVersion(uint32_t* version) override {
        HANDLE control = OpenDevice(kFdrawcmdControlDevice);
        if (control == INVALID_HANDLE_VALUE) return DriverFailure(GetLastError());
        DWORD answer = 0;
        const DriverResult result = Issue(control, VersionRequest(), &answer);
        CloseHandle(control);
        if (result.ok) *version = answer;
        return result;
    }

    DriverResult OpenDrive(const char* deviceName, FloppyHandle* handle) override {
        HANDLE drive = OpenDevice(deviceName);
        if (drive == INVALID_HANDLE_VALUE) return DriverFailure(GetLastError());
        handle->value = reinterpret_cast<intptr_t>(drive);
        return DriverSuccess();
    }

    DriverResult SetDataRate(FloppyHandle handle, uint8_t rate) override {
        return Issue(AsWindowsHandle(handle), DataRateRequest(rate), nullptr);
    }

    // The FDRAWCMD driver passes controller commands by design: a driver that answered the version
    // query takes them, and the probe costs no call.
    DriverResult ProbeDrive(FloppyHandle) override { return DriverSuccess(); }

    DriverResult ResetController(FloppyHandle handle) override {
        return Issue(AsWindowsHandle(handle), ResetRequest(), nullptr);
    }

    DriverResult Recalibrate(FloppyHandle handle) override {
        return Issue(AsWindowsHandle(handle), RecalibrateRequest(), nullptr);
    }

    DriverResult Seek(FloppyHandle handle, uint8_t cylinder, uint8_t head) override {
        return Issue(AsWindowsHandle(handle), SeekRequest(cylinder, head), nullptr);
    }

    DriverResult ReadData(FloppyHandle handle, const TransferParameters& parameters, uint8_t* data,
                          uint32_t length) override {
        return IssueWithSectors(AsWindowsHandle(handle), ReadDataRequest(parameters, length), data, nullptr);
    }

    DriverResult WriteData(FloppyHandle handle, const TransferParameters& parameters, const uint8_t* data,
                           uint32_t length) override {
        return IssueWithSectors(AsWindowsHandle(handle), WriteDataRequest(parameters, length), nullptr, data);
    }

    DriverResult Format(FloppyHandle handle, const FormatParameters& parameters) override {
        return Issue(AsWindowsHandle(handle), FormatRequest(parameters), nullptr);
    }
};

}  // namespace

FloppyDriver& PlatformFloppyDriver() {
    static FdrawcmdDriver driver;
    return driver;
}
