// Times whole diagnostic runs on the program's real Win32 page, services and DriverAgent.dll,
// against the runner's fixed pacing (400 ms after each test and after each pass, 400 ms at the
// end). It prints numbers; it is not a test.
//   diag_bench [runs]
#include "diag/runner.h"
#include "hardware/driver_agent.h"
#include "hardware/registers.h"
#include "gui/form1_window.h"
#include "platform/win32/registry_win32.h"
#include "gui/win32_services.h"

#include <cstdio>
#include <cstdlib>

using namespace talvex;

namespace {

double Milliseconds(LARGE_INTEGER from, LARGE_INTEGER to) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(to.QuadPart - from.QuadPart) /
           static_cast<double>(frequency.QuadPart);
}

// A time is only worth printing for a run that tested all three items.
bool EveryItemPassed(const ListView& list) {
    if (list.ItemCount() != 3) return false;
    for (int item = 1; item <= 3; ++item)
        if (list.SubItem(item, 2) != "Pass") return false;
    return true;
}

} // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
    const win32::SingleInstanceMark mark;
    win32::Win32Services services(mark);
    Win32Registry registry;
    win32::Form1Window window;
    const Form1Controls controls = window.Controls();
    Form1 form(controls, services, registry);
    window.Attach(form);
    form.diag.Load(); // the three items, as the window's load makes them
    window.SetVisible(true);
    form.ShowDiagnosticPage();
    if (!services.LoadDriverAgent() ||
        OpenAdapterAccess("TVR8Q1", 1, 0xE000) != AdapterAccess::Open) {
        std::fprintf(stderr, "diag_bench: DriverAgent.dll could not be opened\n");
        return 1;
    }
    std::printf("cycles  pacing ms  measured ms (best of %d)  overhead ms  per cycle ms\n", runs);
    for (int cycles : {1, 10}) {
        const double pacing = cycles * 6 * kDiagPacingMs + kDiagPacingMs;
        double best = 1e12;
        for (int run = 0; run < runs; ++run) {
            controls.diag.txtTotalTestCount->SetText(std::to_string(cycles));
            ClearDiagResults(*controls.diag.lvwBasicDiag);
            LARGE_INTEGER start, end;
            QueryPerformanceCounter(&start);
            RunBasicDiagTest(controls.diag, services);
            QueryPerformanceCounter(&end);
            if (!EveryItemPassed(*controls.diag.lvwBasicDiag)) {
                std::fprintf(stderr, "diag_bench: a run did not pass all three items\n");
                return 1;
            }
            best = std::min(best, Milliseconds(start, end));
        }
        std::printf("%6d  %9.0f  %25.1f  %11.1f  %12.2f\n", cycles, pacing, best, best - pacing,
                    (best - pacing) / cycles);
    }
    CloseAdapterAccess();
    return 0;
}
