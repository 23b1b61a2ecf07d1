// TalvexCtl diag [--cycles N] [--tests ...] [--json]: the Diagnostic page's run without a window,
// on the same hardware opening, runner and texts.
#include "console/commands.h"

#include "console/message_catcher.h"
#include "console/settings_view.h"
#include "diag/diag_session.h"
#include "diag/result_tips.h"
#include "hardware/driver_agent.h"

namespace talvex::ctl {
namespace {

struct ItemResult {
    bool run = false;
    bool passed = false;
    std::string tip;
};

// Keeps what the page would show at the end of the run, and tells stderr how it goes.
class ConsoleDisplay : public DiagDisplay {
  public:
    ConsoleDisplay(const DiagCommand& command, Output& progress)
        : command_(command), progress_(progress) {}

    int Cycles() const override { return command_.cycles; }
    bool Checked(int item) const override { return command_.tests[Index(item)]; }
    void CycleStarted(int cycle) override { cyclesRun = cycle; }
    void ItemStarted(int) override {}
    void ItemFinished(int item, bool passed, const std::string& tip) override {
        results[Index(item)] = {true, passed, tip};
        progress_ << "Cycle " << cyclesRun << " of " << command_.cycles << ": "
                  << kDiagTests[Index(item)].caption << " " << (passed ? "Pass" : "Fail") << "\n";
    }
    void ShowPermanentAddress(const std::string& text) override { permanentAddress = text; }

    bool AllPassed() const {
        for (std::size_t i = 0; i < results.size(); ++i)
            if (command_.tests[i] && !(results[i].run && results[i].passed)) return false;
        return cyclesRun == command_.cycles;
    }

    int cyclesRun = 0;
    std::array<ItemResult, kDiagItemCount> results;
    std::string permanentAddress;

  private:
    static std::size_t Index(int item) { return static_cast<std::size_t>(item - 1); }

    const DiagCommand& command_;
    Output& progress_;
};

std::string ResultText(const ItemResult& result) {
    return result.run ? (result.passed ? "Pass" : "Fail") : "not run";
}

nlohmann::ordered_json DiagDocument(const DiagCommand& command, const ConsoleDisplay& display,
                                    bool stopped, const Failure& failure) {
    nlohmann::ordered_json tests = nlohmann::ordered_json::array();
    for (std::size_t i = 0; i < display.results.size(); ++i) {
        const ItemResult& result = display.results[i];
        tests.push_back(
            {{"id", kDiagTests[i].id},
             {"name", kDiagTests[i].caption},
             {"checked", command.tests[i]},
             {"result", result.run ? nlohmann::ordered_json(ResultText(result)) : nullptr},
             {"tip", result.tip}});
    }
    return {{"schema", kJsonSchema},
            {"passed", !failure},
            {"stopped", stopped},
            {"cyclesRequested", command.cycles},
            {"cyclesRun", display.cyclesRun},
            {"tests", tests},
            {"permanentAddress", display.permanentAddress.empty()
                                     ? nlohmann::ordered_json(nullptr)
                                     : nlohmann::ordered_json(display.permanentAddress)},
            {"error", ErrorJson(failure)}};
}

void DiagText(Output& out, const DiagCommand& command, const ConsoleDisplay& display,
              bool stopped) {
    for (std::size_t i = 0; i < display.results.size(); ++i) {
        if (!command.tests[i]) continue;
        const ItemResult& result = display.results[i];
        out << Padded(kDiagTests[i].caption, 15) << Padded(ResultText(result), 9) << result.tip
            << "\n";
    }
    out << "Permanent address  " << display.permanentAddress << "\n"
        << "Cycles             " << display.cyclesRun << " of " << command.cycles
        << (stopped ? " (stopped)" : "") << "\n";
}

// Where the library faulted: in a test (its tip says so), before any cycle (the suspend), or
// after the cycles (the resume, which may have left the adapter suspended).
std::string LibraryFaultText(const ConsoleDisplay& display) {
    std::string where = display.cyclesRun == 0 ? "while suspending the adapter; no test ran"
                                               : "while resuming the adapter, which may still be "
                                                 "suspended: restart Windows if the network "
                                                 "stays down";
    for (std::size_t i = 0; i < display.results.size(); ++i)
        if (display.results[i].tip == kLibraryFaultTip)
            where = std::string("during the ") + kDiagTests[i].caption + "; the run ended there";
    return "The hardware-access library failed " + where + ".";
}

// The run's outcome: a library fault before a failed test (exit 2, as nothing after it can be
// trusted), then a failed test or a stopped run (1).
Failure RunVerdict(CtlEnvironment& env, const DiagCommand& command, const ConsoleDisplay& display,
                   bool libraryOk, bool stopped) {
    if (!libraryOk) return Tell(env, kExitNoHardware, LibraryFaultText(display));
    std::string failed;
    for (std::size_t i = 0; i < display.results.size(); ++i)
        if (display.results[i].run && !display.results[i].passed)
            failed += std::string(failed.empty() ? "" : ", ") + kDiagTests[i].caption;
    if (!failed.empty()) return Tell(env, kExitRefused, "Failed: " + failed + ".");
    if (stopped || !display.AllPassed())
        return Tell(env, kExitRefused,
                    "The run was stopped after " + std::to_string(display.cyclesRun) + " of " +
                        std::to_string(command.cycles) + " cycles.");
    return {};
}

} // namespace

int RunDiag(const DiagCommand& command, CtlEnvironment& env) {
    Failure failure;
    const auto adapter = FindAdapterFor(env, failure);
    if (!adapter) return Failed(env, command.json, "diag", failure);
    if (!env.elevated())
        return Failed(env, command.json, "diag",
                      Tell(env, kExitNoHardware,
                           "diag needs an elevated prompt (PowerShell or a command prompt started "
                           "with Run as administrator)."));
    MessageCatcher services(env.services); // the session says why it can't run in a message box
    ConsoleDisplay display(command, env.err);
    const DiagSessionEnd end =
        RunDiagSession(services, env.registry, adapter->driverKeyName, adapter->entry, display);
    if (end == DiagSessionEnd::Busy || end == DiagSessionEnd::NotOpened)
        return Failed(env, command.json, "diag", {kExitNoHardware, services.Last()});
    const bool stopped = bStopDiagTest && display.cyclesRun < command.cycles;
    // The process ends here: the hardware is closed through the library that opened it, behind
    // the fault guard like every other call (after a fault the session has let it go already).
    if (end == DiagSessionEnd::Ran) services.GuardHardwareCall(ResetAdapterAccess);
    const bool libraryOk = end == DiagSessionEnd::Ran;

    failure = RunVerdict(env, command, display, libraryOk, stopped);
    if (command.json)
        PrintJson(env, DiagDocument(command, display, stopped, failure));
    else
        DiagText(env.out, command, display, stopped);
    return failure.status;
}

} // namespace talvex::ctl
