// The real services: message boxes, the program's dialogs and the previous-instance mark.
#pragma once

#include "platform/services.h"
#include "platform/win32/driver_agent_win32.h"
#include "platform/win32/win32.h"

namespace talvex::win32 {

// A named mutex taken at process start: whether it already existed is the answer to "was
// another instance running", fixed for the life of the process.
class SingleInstanceMark {
  public:
    SingleInstanceMark();
    bool PreviousInstance() const { return previous_; }

  private:
    ScopedKernelHandle mutex_;
    bool previous_;
};

class Win32Services : public Services {
  public:
    explicit Win32Services(const SingleInstanceMark& mark) : mark_(mark) {}
    bool PreviousInstance() const override { return mark_.PreviousInstance(); }
    MsgBoxResult MsgBox(const std::string& text, const std::string& title,
                        MsgBoxStyle style) override;
    void ShowNoAdapterFound() override;

    // --- Apply and restart ---
    bool ShowRebootDialog() override;
    void EnableShutdownPrivilege() override;
    std::int32_t ExitWindowsEx(unsigned flags, unsigned reserved) override;

    // --- The General and Support pages ---
    std::uint8_t Netbios(Ncb& ncb) override;
    std::uint8_t* HeapAlloc(std::size_t bytes) override;
    void HeapFree(std::uint8_t* block) override;
    std::string LocalHostName() override;
    std::string LocalIP() override;
    void ShellExecuteA(std::uintptr_t owner, const std::string& operation, const std::string& file,
                       const std::string& parameters, const std::string& directory,
                       int showCommand) override;

    // --- Diagnostics ---

    void Sleep(std::uint32_t milliseconds) override;
    bool DoEvents() override;
    void RefreshMainWindow() override;
    bool LoadDriverAgent() override;
    bool GuardHardwareCall(const std::function<void()>& call) override;

  private:
    DriverAgentLibrary driverAgent_;
    bool quitting_ = false;

    const SingleInstanceMark& mark_;
};

} // namespace talvex::win32
