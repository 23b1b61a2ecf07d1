// System services and the program's dialogs, as the window logic needs them.
#pragma once

#include <cstddef>
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

    // A NetBIOS control block with the fields the program sets or reads; the others are zero.
    struct Ncb {
        std::uint8_t command = 0;
        std::uint8_t lana = 0;
        char callName[16] = {};
        std::uint8_t* buffer = nullptr;
        std::uint16_t length = 0;
    };
    // Netbios of netapi32; returns the command's return code (0 when it succeeded).
    virtual std::uint8_t Netbios(Ncb& ncb) = 0;
    // A zero-filled block of the process heap, or null when none could be had.
    virtual std::uint8_t* HeapAlloc(std::size_t bytes) = 0;
    virtual void HeapFree(std::uint8_t* block) = 0;
    // The local host name, and the first IPv4 address it resolves to (dotted text), as Winsock
    // gives them; empty when Winsock gives nothing.
    virtual std::string LocalHostName() = 0;
    virtual std::string LocalIP() = 0;
    // The shell's ShellExecuteA with its six arguments; its result is not examined.
    virtual void ShellExecuteA(std::uintptr_t owner, const std::string& operation,
                               const std::string& file, const std::string& parameters,
                               const std::string& directory, int showCommand) = 0;

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
    // The system-wide mark that one program at a time drives the hardware (the window's
    // Diagnostic page or the console tool): true when this process took it, false while another
    // holds it. Held until ReleaseHardwareMark.
    virtual bool TakeHardwareMark() = 0;
    virtual void ReleaseHardwareMark() = 0;

    // --- A change that waits for confirmation ---

    // The time of day: seconds since 1970-01-01 00:00 UTC.
    virtual std::int64_t UtcNow() = 0;
    // How long Windows has been running, in milliseconds.
    virtual std::uint64_t MillisecondsSinceStart() = 0;
    // Registers the task the XML (Task Scheduler's schema, as UTF-8) defines, replacing one of
    // that name; true when it was registered. Only administrators and the system can.
    virtual bool CreateTask(const std::string& name, const std::string& xml) = 0;
    // Removes the task; true when it was removed.
    virtual bool DeleteTask(const std::string& name) = 0;
    // TalvexCtl.exe in the programs' folder, as a full path in UTF-8.
    virtual std::string ConsoleToolPath() = 0;
    // The system-wide mark that keeps confirming a change and starting to put it back from
    // interleaving: true when this process took it, or when no mark can be made at all; false
    // while another holds it. Held until ReleaseChangeMark.
    virtual bool TakeChangeMark() = 0;
    virtual void ReleaseChangeMark() = 0;
};

} // namespace talvex
