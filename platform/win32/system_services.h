// The services both programs take from the system alike: NetBIOS, Winsock, the restart, sleeping
// and the hardware-access library. What a user is shown (message boxes, dialogs, the window) is
// each program's own, in the classes derived from this one.
#pragma once

#include "platform/services.h"
#include "platform/win32/driver_agent_win32.h"
#include "platform/win32/win32.h"

namespace talvex::win32 {

class SystemServices : public Services {
  public:
    // --- Apply and restart ---
    void EnableShutdownPrivilege() override;
    std::int32_t ExitWindowsEx(unsigned flags, unsigned reserved) override;

    // --- The General page ---
    std::uint8_t Netbios(Ncb& ncb) override;
    std::uint8_t* HeapAlloc(std::size_t bytes) override;
    void HeapFree(std::uint8_t* block) override;
    std::string LocalHostName() override;
    std::string LocalIP() override;

    // --- Diagnostics ---
    void Sleep(std::uint32_t milliseconds) override;
    bool LoadDriverAgent() override;
    bool GuardHardwareCall(const std::function<void()>& call) override;
    bool TakeHardwareMark() override;
    void ReleaseHardwareMark() override;

  private:
    DriverAgentLibrary driverAgent_;
    ScopedKernelHandle hardwareMark_;
    bool markHeld_ = false;
};

} // namespace talvex::win32
