// console_bench: TalvexCtl.exe show against reg query of the same driver key, the route an
// administrator takes without it, and against the least a console program does, each started as
// a process under the same Wine and timed from CreateProcess to its end; the three take turns,
// which goes first changing round by round. Then whole `TalvexCtl diag --cycles 1` runs against
// their fixed pacing.
//   console_bench [rounds] [diag runs]
#include "tests/e2e/diag_driver.h"
#include "tests/e2e/settings_driver.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <vector>

using namespace talvex::e2e;

namespace {

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Milliseconds from CreateProcess to the process's end, its output thrown away; -1 on failure.
double TimeProcess(const std::string& exe, const std::string& args) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE null =
        CreateFileA("NUL", GENERIC_WRITE, FILE_SHARE_WRITE, &inherit, OPEN_EXISTING, 0, nullptr);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = startup.hStdError = null;
    PROCESS_INFORMATION info{};
    std::string commandLine = "\"" + exe + "\" " + args;
    LARGE_INTEGER from, to, frequency;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&from);
    const BOOL started = CreateProcessA(exe.c_str(), commandLine.data(), nullptr, nullptr, TRUE,
                                        CREATE_NO_WINDOW, nullptr, nullptr, &startup, &info);
    CloseHandle(null);
    if (!started) return -1;
    WaitForSingleObject(info.hProcess, INFINITE);
    QueryPerformanceCounter(&to);
    DWORD code = 1;
    GetExitCodeProcess(info.hProcess, &code);
    CloseHandle(info.hProcess);
    CloseHandle(info.hThread);
    if (code != 0) return -1;
    return 1000.0 * double(to.QuadPart - from.QuadPart) / double(frequency.QuadPart);
}

} // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20;
    const int diagRuns = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
    ClearNetworkCards();
    SeedCard(1, "Talvex Fast Ethernet Adapter", "TVR8Q", "TVR8Q1");
    ClearParameters();
    SetParameter("ConnectionType", Dword(3));
    SetParameter("RxBuffer", Dword(32));
    SetParameter("VLANID", Dword(5));
    SeedBaseAddress("TVR8Q1", 0xE000);

    char system[MAX_PATH] = {};
    GetSystemDirectoryA(system, MAX_PATH);
    const std::string ctl = talvex::win32::ProgramFolder() + "TalvexCtl.exe";
    const std::string reg = std::string(system) + "\\reg.exe";
    const std::string key = std::string(R"("HKLM\)") + kParametersKey + "\"";

    const std::string minimal = talvex::win32::ProgramFolder() + "minimal_console.exe";
    const std::function<double()> runs[] = {
        [&] { return TimeProcess(ctl, "show"); },
        [&] { return TimeProcess(reg, "query " + key); },
        [&] { return TimeProcess(minimal, ""); },
    };
    std::vector<double> times[3], toQuery, toMinimal;
    for (int round = 0; round < rounds + 1; ++round) {
        double t[3] = {};
        for (int turn = 0; turn < 3; ++turn) {
            const int which = (round + turn) % 3;
            if ((t[which] = runs[which]()) < 0) {
                std::fprintf(stderr, "console_bench: a process failed\n");
                return 1;
            }
        }
        if (round == 0) continue; // the first start warms the caches of all three
        for (int which = 0; which < 3; ++which)
            times[which].push_back(t[which]);
        toQuery.push_back(t[0] / t[1]);
        toMinimal.push_back(t[0] / t[2]);
    }
    std::printf("show  median %.1f ms  reg query median %.1f ms  ratio %.2fx\n", Median(times[0]),
                Median(times[1]), Median(toQuery));
    std::printf("floor median %.1f ms  minimal console median %.1f ms  ratio %.2fx\n",
                Median(times[0]), Median(times[2]), Median(toMinimal));

    std::vector<double> diag;
    for (int run = 0; run < diagRuns; ++run) {
        const double ms = TimeProcess(ctl, "diag --cycles 1");
        if (ms < 0) {
            std::fprintf(stderr, "console_bench: a diagnostic run did not pass\n");
            return 1;
        }
        diag.push_back(ms);
    }
    std::printf("diag  median %.1f ms  pacing 2800 ms\n", Median(diag));
    ClearNetworkCards();
    ClearParameters();
    return 0;
}
