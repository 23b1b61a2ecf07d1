// The hardware-access library's C interface, the table the hardware procedures call it through,
// and the handles they share.
#pragma once

#include <cstdint>

// The library uses the platform's standard calling convention. Portable code does not include
// <windows.h>; this matches its definition exactly, so either may come first.
#ifndef WINAPI
#ifdef _WIN32
#define WINAPI __stdcall
#else
#define WINAPI
#endif
#endif

extern "C" {
int32_t WINAPI DriverAgentOpen(void); /* non-zero when the library is ready */
void WINAPI DriverAgentClose(void);
uint32_t WINAPI DaOpenDeviceA(const char* serviceName, uint32_t adapterNumber,
                              int32_t* status); /* 0 on failure */
uint32_t WINAPI DaOpenIoRangeA(uint32_t hDevice, const char* rangeName, uint32_t baseAddress,
                               int32_t* status); /* 0 on failure */
void WINAPI DaCloseIoRange(uint32_t hIoRange);
void WINAPI DaCloseDevice(uint32_t hDevice);
uint8_t WINAPI IoReadByte(uint32_t hIoRange, uint32_t offset, int32_t* status);
uint16_t WINAPI IoReadWord(uint32_t hIoRange, uint32_t offset, int32_t* status);
void WINAPI IoWriteWord(uint32_t hIoRange, uint32_t offset, uint32_t value, int32_t* status);
void WINAPI IoWriteDWord(uint32_t hIoRange, uint32_t offset, uint32_t value, int32_t* status);
}

namespace talvex {

// One library's operations. Every member is set in an installed table.
struct DriverAgentApi {
    decltype(&::DriverAgentOpen) DriverAgentOpen;
    decltype(&::DriverAgentClose) DriverAgentClose;
    decltype(&::DaOpenDeviceA) DaOpenDeviceA;
    decltype(&::DaOpenIoRangeA) DaOpenIoRangeA;
    decltype(&::DaCloseIoRange) DaCloseIoRange;
    decltype(&::DaCloseDevice) DaCloseDevice;
    decltype(&::IoReadByte) IoReadByte;
    decltype(&::IoReadWord) IoReadWord;
    decltype(&::IoWriteWord) IoWriteWord;
    decltype(&::IoWriteDWord) IoWriteDWord;
};

// The library in use. Until one is installed (or after SetDriverAgent(nullptr)) this is an
// inert table: writes and closes do nothing, reads give 0, opens fail.
const DriverAgentApi& DriverAgent();
// Installs a library's table; the table must outlive its installation.
void SetDriverAgent(const DriverAgentApi* api);
bool DriverAgentLoaded();

// Module-level hardware state; zero at start-up.
extern uint32_t hIoRange;
extern uint32_t hDevice;
extern int32_t DiagStatus; // status of the register procedures' calls; never read
extern int32_t SromStatus; // status of the SROM procedures' calls; never read

inline constexpr char kControlRegistersRange[] = "Control Registers";

// Which step of opening the adapter's register range failed, if any.
enum class AdapterAccess {
    Open,
    NoLibrary,       // no library installed ("DriverAgent is not loaded!")
    LibraryNotReady, // DriverAgentOpen returned 0
    NoDevice,        // DaOpenDeviceA returned 0
    NoIoRange,       // DaOpenIoRangeA returned 0
};

// Opens the library connection, the adapter's device (driver service name and its entry number)
// and its "Control Registers" range at ioBase, setting hDevice and hIoRange. Does nothing when
// this library opened the range and it has not been closed since. Otherwise it starts afresh
// (ResetAdapterAccess); on failure nothing stays open and both handles are 0.
AdapterAccess OpenAdapterAccess(const char* serviceName, uint32_t adapterNumber, uint32_t ioBase);
// Closes what OpenAdapterAccess left open (range, device, connection) through the library that
// opened it, if that library is still installed, and sets both handles to 0.
void ResetAdapterAccess();
// Marks nothing as open without closing anything or touching the handles (CloseAdapterAccess has
// closed them).
void ForgetAdapterAccess();

} // namespace talvex
