#include "console/win32/console_services.h"

#include "diag/runner.h"

#include <atomic>

namespace talvex::win32 {
namespace {

// Set by the console's handler, which Windows runs on a thread of its own; the runner's stop
// request is set from it only on the runner's thread, at its next pump step.
std::atomic<bool> interrupted{false};

BOOL WINAPI OnConsoleControl(DWORD event) {
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) return FALSE;
    interrupted = true;
    return TRUE; // handled: the run ends at the next cycle, with the adapter resumed
}

} // namespace

ConsoleServices::ConsoleServices(ctl::Output& err) : err_(err) {
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

bool ConsoleServices::DoEvents() {
    if (interrupted) bStopDiagTest = true;
    return true;
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
