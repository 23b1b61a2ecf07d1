// Driving TalvexCtl.exe under Wine: a run with its output kept, and the stand-ins for what a
// restart and the Task Scheduler would do, which the tests that need them put in the prefix.
#pragma once

#include "tests/e2e/ui_driver.h"

#include <string>

namespace talvex::e2e {

// TalvexCtl.exe (from folder, by default the program's) run to its end, its output kept.
class Ctl {
  public:
    explicit Ctl(const std::string& args, const std::string& folder = win32::ProgramFolder());
    ~Ctl();
    Ctl(const Ctl&) = delete;
    Ctl& operator=(const Ctl&) = delete;

    // The exit status once it has ended; -1 when it did not within the timeout.
    int Wait(std::chrono::milliseconds timeout = kTimeout);
    std::string Out() const;
    std::string Err() const;

  private:
    PROCESS_INFORMATION info_{};
    std::string outPath_, errPath_;
};

struct Outcome {
    int status;
    std::string out, err;
};
Outcome RunCtl(const std::string& args);

// Under Wine, ExitWindowsEx starts "<system folder>\wineboot.exe --end-session", which would end
// every program of the prefix, ours included, whether or not it ends by itself. The tests that
// restart run alone in a throw-away prefix (tests/wine/CMakeLists.txt) whose wineboot.exe is
// replaced by a probe that records how it was started and ends nothing.
bool InstallWinebootProbe();
// How the probe was last started ("" when it was not, or since ForgetWinebootCommandLine).
std::string WinebootCommandLine();
void ForgetWinebootCommandLine();

// The installer tests' stand-in for schtasks.exe, which keeps the XML of each task it registers
// as the file <folder>\tasks\<name> (Wine's own drops most of it) and deletes it again.
bool InstallSchtasksStandIn(const std::string& folder);

} // namespace talvex::e2e
