// The console tool's services: the system's, with messages on standard error instead of message
// boxes, and Ctrl+C as the diagnostic run's Stop Test.
#pragma once

#include "console/ctl.h"
#include "platform/win32/system_services.h"

namespace talvex::win32 {

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
    // Passes a Ctrl+C on to the runner as a stop request.
    bool DoEvents() override;
    void RefreshMainWindow() override {}

  private:
    ctl::Output& err_;
};

// Whether this process runs elevated (with its administrator rights in force).
bool ProcessElevated();

} // namespace talvex::win32
