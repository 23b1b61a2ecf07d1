// System services and the program's dialogs, as the window logic needs them.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace talvex {

enum class MsgBoxStyle { InformationOk, CriticalOk, ExclamationYesNo };
enum class MsgBoxResult { Ok, Yes, No };

class Services {
  public:
    virtual ~Services() = default;
    // Whether another instance was running when this process started. Fixed at start-up, so
    // asking again later gives the same answer.
    virtual bool PreviousInstance() const = 0;
    virtual MsgBoxResult MsgBox(const std::string& text, const std::string& title,
                                MsgBoxStyle style) = 0;
    // Shows dlgNoAdapterFound modally and returns when it has been closed.
    virtual void ShowNoAdapterFound() = 0;

    // --- Apply and restart ---

    // Shows dlgReboot modally; true when YES closed it, false for NO or any other way.
    virtual bool ShowRebootDialog() = 0;
    // Enables the shutdown privilege in the process's own token; failures are not reported.
    virtual void EnableShutdownPrivilege() = 0;
    // Asks Windows to end the session with these flags; 0 when it took the request, otherwise
    // the error it gave.
    virtual std::int32_t ExitWindowsEx(unsigned flags, unsigned reserved) = 0;

    // --- The General and Support pages ---

    // --- Diagnostics ---

    virtual void Sleep(std::uint32_t milliseconds) = 0;
    // Dispatches every window message waiting for this thread, then returns; false once the
    // program has been asked to end.
    virtual bool DoEvents() = 0;
    // Repaints the main window now.
    virtual void RefreshMainWindow() = 0;
    // Loads the hardware-access library and installs it (SetDriverAgent); true when a library is
    // in use afterwards. Once loaded it stays loaded.
    virtual bool LoadDriverAgent() = 0;
    // Runs a call into the hardware-access library; false when the library raised a fault instead
    // of returning. What the call runs must hold nothing that needs destroying.
    virtual bool GuardHardwareCall(const std::function<void()>& call) = 0;
};

} // namespace talvex
