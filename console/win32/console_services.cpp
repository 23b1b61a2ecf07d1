#include "console/win32/console_services.h"

#include "diag/runner.h"

namespace talvex::win32 {
namespace {

// What the console's handler, which Windows runs on a thread of its own, shares with the main
// thread. The runner's stop request is set from it only on the main thread, at its next pump step,
// and the handler never calls into the hardware library: the main thread may be in it.
struct ControlState {
    SRWLOCK lock = SRWLOCK_INIT;
    CONDITION_VARIABLE changed = CONDITION_VARIABLE_INIT;
    bool interrupted = false; // Ctrl+C or Ctrl+Break: Stop Test
    bool ending = false;      // the console closes, or the session ends
    bool markHeld = false;    // a run may have the adapter suspended
};
ControlState control;

class Locked {
  public:
    Locked() { AcquireSRWLockExclusive(&control.lock); }
    ~Locked() { ReleaseSRWLockExclusive(&control.lock); }
    Locked(const Locked&) = delete;
    Locked& operator=(const Locked&) = delete;

    // Waits, the lock given up meanwhile, until done() or the time is up; true when done.
    template <typename Done> bool WaitFor(Done done, std::chrono::milliseconds timeout) {
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        while (!done()) {
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0) return false;
            SleepConditionVariableSRW(&control.changed, &control.lock,
                                      static_cast<DWORD>(left.count()), 0);
        }
        return true;
    }
};

bool EndsTheProcess(DWORD event) {
    return event == CTRL_CLOSE_EVENT || event == CTRL_LOGOFF_EVENT || event == CTRL_SHUTDOWN_EVENT;
}

// Windows ends the process once this returns from a close, logoff or shutdown, or a few seconds
// after it was called. A run in progress is asked to end and waited for, so that the adapter is
// resumed by then. Without a run there is nothing to wait for, and no run starts any more: the
// default handling ends the process.
BOOL WINAPI OnConsoleControl(DWORD event) {
    Locked locked;
    if (event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT) {
        control.interrupted = true;
        return TRUE; // handled: the run ends at the next cycle, with the adapter resumed
    }
    if (!EndsTheProcess(event)) return FALSE;
    control.ending = true;
    WakeAllConditionVariable(&control.changed); // a pacing wait
    if (!control.markHeld) return FALSE;
    locked.WaitFor([] { return !control.markHeld; }, kEndingWait);
    return TRUE;
}

} // namespace

ConsoleServices::ConsoleServices(ctl::Output& err) : err_(err) {
    {
        Locked locked;
        control.interrupted = control.ending = control.markHeld = false;
    }
    SetConsoleCtrlHandler(OnConsoleControl, TRUE);
}

ConsoleServices::~ConsoleServices() {
    SetConsoleCtrlHandler(OnConsoleControl, FALSE);
}

MsgBoxResult ConsoleServices::MsgBox(const std::string& text, const std::string&,
                                     MsgBoxStyle style) {
    err_ << "TalvexCtl: " << text << "\n";
    return style == MsgBoxStyle::ExclamationYesNo ? MsgBoxResult::No : MsgBoxResult::Ok;
}

void ConsoleServices::ShowNoAdapterFound() {
    err_ << "TalvexCtl: No network adapter.\n";
}

// An ending process stops its run as Ctrl+C does (the run counts as stopped), and before the
// next item rather than the next cycle.
bool ConsoleServices::DoEvents() {
    Locked locked;
    if (control.interrupted || control.ending) bStopDiagTest = true;
    return !control.ending;
}

void ConsoleServices::Sleep(std::uint32_t milliseconds) {
    Locked locked;
    locked.WaitFor([] { return control.ending; }, std::chrono::milliseconds(milliseconds));
}

bool ConsoleServices::TakeHardwareMark() {
    Locked locked;
    if (control.ending || !SystemServices::TakeHardwareMark()) return false;
    control.markHeld = true;
    return true;
}

// The main thread gives the mark back once the run has resumed the adapter.
void ConsoleServices::ReleaseHardwareMark() {
    Locked locked;
    SystemServices::ReleaseHardwareMark();
    control.markHeld = false;
    WakeAllConditionVariable(&control.changed);
}

bool ProcessElevated() {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return false;
    const ScopedKernelHandle owned(token);
    TOKEN_ELEVATION elevation{};
    DWORD size = 0;
    return GetTokenInformation(token, TokenElevation, &elevation, sizeof elevation, &size) &&
           elevation.TokenIsElevated != 0;
}

} // namespace talvex::win32
