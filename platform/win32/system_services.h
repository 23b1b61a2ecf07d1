// The services both programs take from the system alike: NetBIOS, Winsock, the restart, sleeping
// and the hardware-access library. What a user is shown (message boxes, dialogs, the window) is
// each program's own, in the classes derived from this one.
#pragma once

#include "platform/services.h"
#include "platform/win32/driver_agent_win32.h"
#include "platform/win32/program_mark.h"
#include "platform/win32/win32.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace talvex::win32 {

using IPv4Address = std::array<std::uint8_t, 4>;

// The machine's address as the General page shows it: the resolver's first address that is not
// a loopback (127.x) one; failing that the interfaces' first; loopback only when neither list has
// another; "" when both are empty.
std::string ChooseMachineAddress(const std::vector<IPv4Address>& resolver,
                                 const std::vector<IPv4Address>& interfaces);
// The addresses of the interfaces that are up, as Winsock lists them (loopback included).
std::vector<IPv4Address> InterfaceAddresses();

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

    // --- A change that waits for confirmation (task_services.cpp) ---
    std::int64_t UtcNow() override;
    std::uint64_t MillisecondsSinceStart() override;
    bool CreateTask(const std::string& name, const std::string& xml) override;
    bool DeleteTask(const std::string& name) override;
    std::string ConsoleToolPath() override;
    bool TakeChangeMark() override;
    void ReleaseChangeMark() override;

  private:
    DriverAgentLibrary driverAgent_;
    ProgramMark hardwareMark_;
    ProgramMark changeMark_;
};

} // namespace talvex::win32
