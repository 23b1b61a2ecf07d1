// The console tool's services: the system's, with messages on standard error instead of message
// boxes, Ctrl+C as the diagnostic run's Stop Test, and a run ended with the adapter resumed when
// the console closes or the session ends.
#pragma once

#include "console/environment.h"
#include "platform/win32/system_services.h"

#include <chrono>

namespace talvex::win32 {

// How long the console's handler waits for a run to end when the console closes or the session
// ends: below the 5 s Windows gives a closing console's handler (the shortest of the three)
// before it ends the process anyway.
inline constexpr std::chrono::milliseconds kEndingWait{4000};

class ConsoleServices : public SystemServices {
  public:
    explicit ConsoleServices(ctl::Output& err);
    ~ConsoleServices() override;
    ConsoleServices(const ConsoleServices&) = delete;
    ConsoleServices& operator=(const ConsoleServices&) = delete;

    bool PreviousInstance() const override { return false; }
    // The text on standard error; a question is answered No, since nobody is asked.
    MsgBoxResult MsgBox(const std::string& text, const std::string& title,
                        MsgBoxStyle style) override;
    void ShowNoAdapterFound() override;
    bool ShowRebootDialog() override { return false; }
    void ShellExecuteA(std::uintptr_t, const std::string&, const std::string&, const std::string&,
                       const std::string&, int) override {}
    // Passes a Ctrl+C on to the runner as a stop request; false once the process is ending.
    bool DoEvents() override;
    void RefreshMainWindow() override {}
    // The run's pacing, cut short once the process is ending.
    void Sleep(std::uint32_t milliseconds) override;
    // No run starts once the process is ending; the handler waits for a held mark's release.
    bool TakeHardwareMark() override;
    void ReleaseHardwareMark() override;

  private:
    ctl::Output& err_;
};

// Whether this process runs elevated (with its administrator rights in force).
bool ProcessElevated();

} // namespace talvex::win32
