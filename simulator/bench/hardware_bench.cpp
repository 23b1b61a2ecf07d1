// Times the SROM image load and the three hardware tests on the simulated adapter. Prints
// numbers; it is not a test. Natively the simulator is linked in; on Windows it is
// DriverAgent.dll beside this program, loaded as the real program loads it.
//
//   hardware_bench [--fine] [--runs N]
//
// --fine holds fine sleeps (the timer-resolution measure) for the whole measurement. The EEPROM
// busy time comes from TALVEX_SIM_EEPROM_BUSY, as for the library itself.

#include "hardware/driver_agent.h"
#include "hardware/registers.h"
#include "hardware/srom_image.h"
#include "hardware/timing.h"

#ifdef _WIN32
#include "platform/win32/driver_agent_win32.h"
#else
#include "simulator/driver_agent_sim.h"
#endif

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>

using namespace talvex;

namespace {

template <typename Fn> double MeanMilliseconds(int runs, Fn fn) {
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < runs; ++i)
        fn();
    const std::chrono::duration<double, std::milli> total =
        std::chrono::steady_clock::now() - start;
    return total.count() / runs;
}

bool InstallLibrary() {
#ifdef _WIN32
    static DriverAgentLibrary library;
    const DriverAgentLoad load = library.Load();
    if (!load) std::fprintf(stderr, "DriverAgent.dll not loaded: %s\n", load.detail.c_str());
    return bool(load);
#else
    SetDriverAgent(&sim::SimulatorApi());
    return true;
#endif
}

} // namespace

int main(int argc, char** argv) {
    bool fine = false;
    int runs = 10;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--fine") == 0)
            fine = true;
        else if (std::strcmp(argv[i], "--runs") == 0 && i + 1 < argc)
            runs = std::atoi(argv[++i]);
    }
    if (runs < 1) runs = 1;
    if (!InstallLibrary()) return 1;
    if (OpenAdapterAccess("TalvexBench", 1, 0xD000) != AdapterAccess::Open) {
        std::fprintf(stderr, "the simulated adapter did not open\n");
        return 1;
    }
    std::optional<FineSleepScope> fineSleeps;
    if (fine) fineSleeps.emplace();

    SuspendAdapter();
    bool passed = true;
    const double load = MeanMilliseconds(runs, [] { LoadSromImage(); });
    const double reg = MeanMilliseconds(runs, [&] { passed &= TestRegisterAccess(); });
    const double srom = MeanMilliseconds(runs, [&] { passed &= TestSrom(); });
    const double cable = MeanMilliseconds(runs, [&] { passed &= GetLinkStatus(); });
    const double sleep1 = MeanMilliseconds(50, [] { Timing().Sleep(1); });
    ResumeAdapter();
    fineSleeps.reset();
    CloseAdapterAccess();

    std::printf("fine sleeps %-3s Sleep(1) %6.3f ms | image load %8.2f ms | register test %6.2f us"
                " | SROM test %8.2f ms | cable test %6.2f us | %s (mean of %d)\n",
                fine ? "on" : "off", sleep1, load, reg * 1000, srom, cable * 1000,
                passed ? "all pass" : "SOME FAIL", runs);
    return passed ? 0 : 1;
}
