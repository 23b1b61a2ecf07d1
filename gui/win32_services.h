// The window program's services: message boxes, its dialogs and the previous-instance mark, over
// the system services it shares with the console tool.
#pragma once

#include "platform/win32/system_services.h"

#include <functional>

namespace talvex::win32 {

// The instance mark, taken at process start and held for the life of the process: whether another
// held it then is the answer to "was another instance running", fixed from then on. A mark that
// can't be made at all (a folder that can't be written) lets the window start: a second window is
// a nuisance, a window that never starts is worse.
class SingleInstanceMark {
  public:
    SingleInstanceMark() : mark_(TakeProgramMark(kInstanceMarkName)) {}
    bool PreviousInstance() const { return mark_.state == MarkState::HeldElsewhere; }

  private:
    ProgramMark mark_;
};

class Win32Services : public SystemServices {
  public:
    explicit Win32Services(const SingleInstanceMark& mark) : mark_(mark) {}
    bool PreviousInstance() const override { return mark_.PreviousInstance(); }
    MsgBoxResult MsgBox(const std::string& text, const std::string& title,
                        MsgBoxStyle style) override;
    void ShowNoAdapterFound() override;
    bool ShowRebootDialog() override;
    void ShellExecuteA(std::uintptr_t owner, const std::string& operation, const std::string& file,
                       const std::string& parameters, const std::string& directory,
                       int showCommand) override;
    bool DoEvents() override;
    void RefreshMainWindow() override;
    // What the message loop does with a message before translating it (the main window's keys);
    // DoEvents does the same, so that the keyboard works during a diagnostic run too.
    void SetMessageFilter(std::function<bool(MSG&)> filter) { filter_ = std::move(filter); }

  private:
    bool quitting_ = false;
    std::function<bool(MSG&)> filter_;
    const SingleInstanceMark& mark_;
};

} // namespace talvex::win32
