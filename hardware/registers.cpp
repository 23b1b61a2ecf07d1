#include "hardware/registers.h"

#include "hardware/driver_agent.h"

namespace talvex {

uint16_t TestRegisterReadBack = 0;
uint8_t CableStatus = 0;

// The handles are deliberately left as they are: termination is the only caller, and the
// library treats a closed or zero handle as nothing to do. They are no longer taken as open.
void CloseAdapterAccess() {
    const DriverAgentApi& da = DriverAgent();
    da.DaCloseIoRange(hIoRange);
    da.DaCloseDevice(hDevice);
    da.DriverAgentClose();
    ForgetAdapterAccess();
}

namespace {

// Each command is a whole dword with one bit set, written back to back with nothing between.
void WriteControlPair(uint32_t first, uint32_t second) {
    const DriverAgentApi& da = DriverAgent();
    da.IoWriteDWord(hIoRange, kAdapterControlRegister, first, &DiagStatus);
    da.IoWriteDWord(hIoRange, kAdapterControlRegister, second, &DiagStatus);
}

} // namespace

void SuspendAdapter() {
    WriteControlPair(kSuspendFirst, kSuspendSecond);
}

void ResumeAdapter() {
    WriteControlPair(kResumeFirst, kResumeSecond);
}

bool TestRegisterAccess() {
    const DriverAgentApi& da = DriverAgent();
    const uint16_t old = da.IoReadWord(hIoRange, kTestRegister, &DiagStatus);
    da.IoWriteWord(hIoRange, kTestRegister, kTestPattern, &DiagStatus);
    const uint16_t readBack = da.IoReadWord(hIoRange, kTestRegister, &DiagStatus);
    da.IoWriteWord(hIoRange, kTestRegister, old, &DiagStatus);
    TestRegisterReadBack = readBack;
    return readBack == kTestPattern;
}

bool GetLinkStatus() {
    CableStatus = DriverAgent().IoReadByte(hIoRange, kCableStatusRegister, &DiagStatus);
    return (CableStatus & kCableLinkBit) != 0;
}

} // namespace talvex
