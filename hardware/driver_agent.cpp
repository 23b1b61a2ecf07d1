#include "hardware/driver_agent.h"

namespace talvex {

uint32_t hIoRange = 0;
uint32_t hDevice = 0;
int32_t DiagStatus = 0;
int32_t SromStatus = 0;

namespace {

// Stands in while no library is installed. Reads give 0 rather than the all-ones of an absent
// bus so that no diagnostic test can pass without hardware: the link bit reads 0, the test
// register never echoes 0x55AA and an all-zero SROM image fails its CRC.
int32_t WINAPI NoOpen() {
    return 0;
}
void WINAPI NoClose() {}
uint32_t WINAPI NoDevice(const char*, uint32_t, int32_t*) {
    return 0;
}
uint32_t WINAPI NoRange(uint32_t, const char*, uint32_t, int32_t*) {
    return 0;
}
void WINAPI NoCloseHandle(uint32_t) {}
uint8_t WINAPI NoReadByte(uint32_t, uint32_t, int32_t*) {
    return 0;
}
uint16_t WINAPI NoReadWord(uint32_t, uint32_t, int32_t*) {
    return 0;
}
void WINAPI NoWrite(uint32_t, uint32_t, uint32_t, int32_t*) {}

constexpr DriverAgentApi kNoLibrary = {NoOpen,        NoClose,       NoDevice,   NoRange,
                                       NoCloseHandle, NoCloseHandle, NoReadByte, NoReadWord,
                                       NoWrite,       NoWrite};

const DriverAgentApi* installed = nullptr;

} // namespace

const DriverAgentApi& DriverAgent() {
    return installed ? *installed : kNoLibrary;
}

void SetDriverAgent(const DriverAgentApi* api) {
    installed = api;
}

bool DriverAgentLoaded() {
    return installed != nullptr;
}

namespace {

// What OpenAdapterAccess opened and has not been closed since, and through which library. A
// handle is trusted only while this says so: after a close, a failed attempt or another library,
// the numbers in hDevice and hIoRange may name nothing or something else.
struct OpenedAccess {
    const DriverAgentApi* library = nullptr;
    bool connection = false;
    bool range = false;
} opened;

} // namespace

void ForgetAdapterAccess() {
    opened = {};
}

void ResetAdapterAccess() {
    // Forgotten before anything is closed: a close that faults ends this call, and the handles
    // must not stay trusted then, or the next start would run on them instead of opening afresh.
    const OpenedAccess was = opened;
    const uint32_t range = hIoRange, device = hDevice;
    hIoRange = hDevice = 0;
    ForgetAdapterAccess();
    // Only the library that handed the handles out can close them; another one, or none, gets
    // nothing to close.
    if (const DriverAgentApi* da = was.library; da && da == installed) {
        if (range != 0) da->DaCloseIoRange(range);
        if (device != 0) da->DaCloseDevice(device);
        if (was.connection) da->DriverAgentClose();
    }
}

AdapterAccess OpenAdapterAccess(const char* serviceName, uint32_t adapterNumber, uint32_t ioBase) {
    if (!installed) return AdapterAccess::NoLibrary;
    if (opened.library == installed && opened.range && hIoRange != 0) return AdapterAccess::Open;
    ResetAdapterAccess();
    const DriverAgentApi& da = *installed;
    if (da.DriverAgentOpen() == 0) return AdapterAccess::LibraryNotReady;
    opened = {installed, true, false};
    int32_t status = 0;
    hDevice = da.DaOpenDeviceA(serviceName, adapterNumber, &status);
    if (hDevice == 0) {
        ResetAdapterAccess();
        return AdapterAccess::NoDevice;
    }
    hIoRange = da.DaOpenIoRangeA(hDevice, kControlRegistersRange, ioBase, &status);
    if (hIoRange == 0) {
        ResetAdapterAccess();
        return AdapterAccess::NoIoRange;
    }
    opened.range = true;
    return AdapterAccess::Open;
}

} // namespace talvex
