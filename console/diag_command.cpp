// TalvexCtl diag [--cycles N] [--tests ...] [--json]: the Diagnostic page's run without a window,
// on the same hardware opening, runner and texts.
#include "console/commands.h"

#include "console/settings_view.h"
#include "diag/open_hardware.h"
#include "diag/runner.h"
#include "hardware/driver_agent.h"
#include "hardware/registers.h"

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
                  << kDiagItemCaptions[Index(item)] << " " << (passed ? "Pass" : "Fail") << "\n";
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
                                    bool stopped) {
    nlohmann::ordered_json tests = nlohmann::ordered_json::array();
    for (std::size_t i = 0; i < display.results.size(); ++i) {
        const ItemResult& result = display.results[i];
        tests.push_back(
            {{"id", kTestNames[i]},
             {"name", kDiagItemCaptions[i]},
             {"checked", command.tests[i]},
             {"result", result.run ? nlohmann::ordered_json(ResultText(result)) : nullptr},
             {"tip", result.tip}});
    }
    return {{"schema", kJsonSchema},
            {"passed", display.AllPassed()},
            {"stopped", stopped},
            {"cyclesRequested", command.cycles},
            {"cyclesRun", display.cyclesRun},
            {"tests", tests},
            {"permanentAddress", display.permanentAddress.empty()
                                     ? nlohmann::ordered_json(nullptr)
                                     : nlohmann::ordered_json(display.permanentAddress)}};
}

void DiagText(Output& out, const DiagCommand& command, const ConsoleDisplay& display,
              bool stopped) {
    for (std::size_t i = 0; i < display.results.size(); ++i) {
        if (!command.tests[i]) continue;
        const ItemResult& result = display.results[i];
        out << Padded(kDiagItemCaptions[i], 15) << Padded(ResultText(result), 9) << result.tip
            << "\n";
    }
    out << "Permanent address  " << display.permanentAddress << "\n"
        << "Cycles             " << display.cyclesRun << " of " << command.cycles
        << (stopped ? " (stopped)" : "") << "\n";
}

} // namespace

int RunDiag(const DiagCommand& command, CtlEnvironment& env) {
    const auto adapter = FindAdapterFor(env);
    if (!adapter) return kExitNoAdapter;
    if (!env.elevated()) {
        env.err << "TalvexCtl: diag needs an elevated prompt (PowerShell or a command prompt "
                   "started with Run as administrator).\n";
        return kExitNoHardware;
    }
    Services& services = env.services;
    const HardwareMark mark(services);
    if (!mark) {
        env.err << "TalvexCtl: " << kHardwareBusy << "\n";
        return kExitNoHardware;
    }
    if (!OpenDiagHardware(services, env.registry, adapter->driverKeyName, adapter->entry))
        return kExitNoHardware;

    bStopDiagTest = false;
    ConsoleDisplay display(command, env.err);
    RunBasicDiagTest(display, services);
    const bool stopped = bStopDiagTest && display.cyclesRun < command.cycles;
    // Closed through the library that opened it, behind the fault guard like every other call;
    // a library that faults even then is let go.
    if (!services.GuardHardwareCall(ResetAdapterAccess)) ForgetAdapterAccess();

    if (command.json)
        env.out << JsonText(DiagDocument(command, display, stopped), 2) << "\n";
    else
        DiagText(env.out, command, display, stopped);
    return display.AllPassed() && !stopped ? kExitOk : kExitRefused;
}

} // namespace talvex::ctl
