#include "simulator/driver_agent_sim.h"

#include "hardware/registers.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <string>

#ifdef _WIN32
#include <windows.h>
#endif

namespace talvex::sim {

namespace {

struct Library {
    std::unique_ptr<Adapter> adapter;
    bool open = false;
    uint32_t device = 0;
    uint32_t range = 0;
    uint32_t lastHandle = 0;
} library;

// The DLL has its own C runtime, whose copy of the environment does not see a later
// SetEnvironmentVariable of the program; ask the process environment itself.
std::string ReadEnvironment(const char* name) {
#ifdef _WIN32
    const DWORD size = GetEnvironmentVariableA(name, nullptr, 0); // terminator included
    if (size == 0) return {};
    std::string value(size, '\0');
    const DWORD n = GetEnvironmentVariableA(name, value.data(), size);
    value.resize(n < size ? n : 0);
    return value;
#else
    const char* value = std::getenv(name);
    return value ? value : "";
#endif
}

void ReportIgnored(const std::string& text) {
    const std::string line = "DriverAgent simulator: " + text + "\n";
#ifdef _WIN32
    OutputDebugStringA(line.c_str());
#else
    std::fputs(line.c_str(), stderr);
#endif
}

std::unique_ptr<Adapter> AdapterFromEnvironment() {
    const unsigned faults = ParseFaults(ReadEnvironment(kFaultsVariable), [](std::string_view w) {
        ReportIgnored("unknown fault '" + std::string(w) + "' ignored");
    });
    EepromTiming timing;
    const std::string busy = ReadEnvironment(kEepromBusyVariable);
    if (!busy.empty()) {
        if (auto parsed = ParseEepromTiming(busy))
            timing = *parsed;
        else
            ReportIgnored("EEPROM busy time '" + busy + "' ignored");
    }
    return std::make_unique<Adapter>(faults, timing);
}

// Handles are never reused, so a stale one is told apart from the current one.
uint32_t NewHandle() {
    return 0x00DA0000 + ++library.lastHandle;
}

Adapter* RangeAdapter(uint32_t hIoRange, int32_t* status) {
    if (library.open && hIoRange != 0 && hIoRange == library.range) return library.adapter.get();
    if (status) *status = kStatusBadHandle;
    return nullptr;
}

uint32_t ReadRegister(uint32_t hIoRange, uint32_t offset, unsigned width, int32_t* status) {
    Adapter* adapter = RangeAdapter(hIoRange, status);
    if (!adapter) return 0;
    int32_t s = kStatusOk;
    const uint32_t value = adapter->Read(offset, width, s);
    if (status) *status = s;
    return value;
}

void WriteRegister(uint32_t hIoRange, uint32_t offset, unsigned width, uint32_t value,
                   int32_t* status) {
    Adapter* adapter = RangeAdapter(hIoRange, status);
    if (!adapter) return;
    int32_t s = kStatusOk;
    adapter->Write(offset, width, value, s);
    if (status) *status = s;
}

// What a broken library does instead of returning: a read through a wild pointer. Natively the
// test doubles take a C++ exception for it.
void FaultInsideLibrary() {
#ifdef _WIN32
    volatile uintptr_t wild = 0x10;
    static_cast<void>(*reinterpret_cast<volatile const uint32_t*>(wild));
#else
    throw std::runtime_error("DriverAgent simulator: library fault");
#endif
}

void SetStatus(int32_t* status, int32_t value) {
    if (status) *status = value;
}

} // namespace

Adapter* CurrentAdapter() {
    return library.adapter.get();
}

const DriverAgentApi& SimulatorApi() {
    static constexpr DriverAgentApi api = {
        ::DriverAgentOpen, ::DriverAgentClose, ::DaOpenDeviceA, ::DaOpenIoRangeA, ::DaCloseIoRange,
        ::DaCloseDevice,   ::IoReadByte,       ::IoReadWord,    ::IoWriteWord,    ::IoWriteDWord,
    };
    return api;
}

} // namespace talvex::sim

using namespace talvex::sim;

// The settings are read again at every open, so a test can change them between runs without
// reloading the library.
extern "C" int32_t WINAPI DriverAgentOpen(void) {
    library = Library{AdapterFromEnvironment(), true, 0, 0, library.lastHandle};
    return 1;
}

extern "C" void WINAPI DriverAgentClose(void) {
    library.open = false;
    library.device = library.range = 0;
}

// The simulated adapter answers to any service name and adapter number.
extern "C" uint32_t WINAPI DaOpenDeviceA(const char*, uint32_t, int32_t* status) {
    if (!library.open) return SetStatus(status, kStatusNotOpen), 0;
    if (library.adapter->Faults() & kNoDevice) return SetStatus(status, kStatusNoDevice), 0;
    library.device = NewHandle();
    library.range = 0;
    SetStatus(status, kStatusOk);
    return library.device;
}

// Any I/O base will do; the range must be the control registers of the open device.
extern "C" uint32_t WINAPI DaOpenIoRangeA(uint32_t hDevice, const char* rangeName, uint32_t,
                                          int32_t* status) {
    if (!library.open || hDevice == 0 || hDevice != library.device)
        return SetStatus(status, kStatusBadHandle), 0;
    if ((library.adapter->Faults() & kNoIoRange) || !rangeName ||
        std::strcmp(rangeName, talvex::kControlRegistersRange) != 0)
        return SetStatus(status, kStatusNoIoRange), 0;
    library.range = NewHandle();
    SetStatus(status, kStatusOk);
    return library.range;
}

extern "C" void WINAPI DaCloseIoRange(uint32_t hIoRange) {
    if (hIoRange != 0 && hIoRange == library.range) library.range = 0;
}

extern "C" void WINAPI DaCloseDevice(uint32_t hDevice) {
    if (hDevice != 0 && hDevice == library.device) library.device = library.range = 0;
}

extern "C" uint8_t WINAPI IoReadByte(uint32_t hIoRange, uint32_t offset, int32_t* status) {
    if (Adapter* adapter = RangeAdapter(hIoRange, nullptr);
        adapter && (adapter->Faults() & kLibraryFault) && offset == talvex::kCableStatusRegister)
        FaultInsideLibrary();
    return static_cast<uint8_t>(ReadRegister(hIoRange, offset, 1, status));
}

extern "C" uint16_t WINAPI IoReadWord(uint32_t hIoRange, uint32_t offset, int32_t* status) {
    return static_cast<uint16_t>(ReadRegister(hIoRange, offset, 2, status));
}

extern "C" void WINAPI IoWriteWord(uint32_t hIoRange, uint32_t offset, uint32_t value,
                                   int32_t* status) {
    WriteRegister(hIoRange, offset, 2, value & 0xFFFF, status);
}

extern "C" void WINAPI IoWriteDWord(uint32_t hIoRange, uint32_t offset, uint32_t value,
                                    int32_t* status) {
    if (Adapter* adapter = RangeAdapter(hIoRange, nullptr);
        adapter && (adapter->Faults() & kResumeFault) &&
        offset == talvex::kAdapterControlRegister && value == talvex::kResumeFirst)
        FaultInsideLibrary();
    WriteRegister(hIoRange, offset, 4, value, status);
}
