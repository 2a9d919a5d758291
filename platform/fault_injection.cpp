#include "platform/fault_injection.h"

#include <array>
#include <cstddef>

#ifdef _WIN32
#include "platform/win32/last_error.h"
#else
#include "platform/posix/last_error.h"
#endif

namespace {

struct ArmedFault {
    PlatformCall call;
    int32_t callsToGo;  // 1 = the next call of the kind fires it
    uint32_t errorNumber;
};

std::array<ArmedFault, kMaxInjectedFaults> g_faults{};
int32_t g_armedCount = 0;

// The kind of call a fault counts: short transfers are reads and writes that go wrong.
PlatformCall CountedCall(PlatformCall call) {
    if (call == PlatformCall::kShortRead) return PlatformCall::kReadFromFile;
    if (call == PlatformCall::kShortWrite) return PlatformCall::kWriteToFile;
    return call;
}

bool IsShortTransfer(PlatformCall call) {
    return call == PlatformCall::kShortRead || call == PlatformCall::kShortWrite;
}

}  // namespace

void InjectFault(PlatformCall call, int32_t occurrence, uint32_t errorNumber) {
    if (occurrence < 1 || g_armedCount >= kMaxInjectedFaults) return;
    g_faults[static_cast<std::size_t>(g_armedCount)] = ArmedFault{call, occurrence, errorNumber};
    ++g_armedCount;
}

void ClearInjectedFaults() {
    g_armedCount = 0;
}

bool PassesInjectedFaults(PlatformCall call, uint32_t* count) {
    if (g_armedCount == 0) return true;

    // Every armed fault of this kind counts the call; those whose turn it is fire and are removed.
    bool fail = false;
    bool shorten = false;
    uint32_t errorNumber = 0;
    int32_t kept = 0;
    for (int32_t index = 0; index < g_armedCount; ++index) {
        ArmedFault fault = g_faults[static_cast<std::size_t>(index)];
        if (CountedCall(fault.call) == call && --fault.callsToGo == 0) {
            if (IsShortTransfer(fault.call)) {
                shorten = true;
            } else if (!fail) {
                fail = true;
                errorNumber = fault.errorNumber;
            }
            continue;
        }
        g_faults[static_cast<std::size_t>(kept++)] = fault;
    }
    g_armedCount = kept;

    if (fail) {
        RecordSystemError(errorNumber);
        return false;
    }
    if (shorten && count != nullptr) *count /= 2;
    return true;
}
