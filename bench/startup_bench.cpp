// startup_bench: how long a tray program takes from CreateProcess until its notification icon is
// up, and how much memory it holds then; TalvexCfg.exe next to the minimal tray program.
//   startup_bench [runs]
#include "tests/e2e/ui_driver.h"

#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

using namespace talvex::e2e;

namespace {

struct Sample {
    double milliseconds;
    double workingSetMiB;
    double committedMiB;
};

std::string Beside(const char* name) {
    std::string path = ProgramPath();
    return path.substr(0, path.find_last_of("\\/") + 1) + name;
}

bool Measure(const std::string& exe, const char* windowClass, Sample& sample) {
    LARGE_INTEGER frequency, start, now;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    App app;
    if (!app.Start(exe)) return false;
    HWND window = nullptr;
    for (;;) { // tight poll: a 20 ms step would swamp the difference being measured
        if (!window) window = app.FindTopLevel(windowClass);
        if (window && HasTrayIcon(window)) break;
        QueryPerformanceCounter(&now);
        if (now.QuadPart - start.QuadPart > 20 * frequency.QuadPart || !app.Running()) return false;
        Sleep(1);
    }
    QueryPerformanceCounter(&now);
    sample.milliseconds =
        1000.0 * double(now.QuadPart - start.QuadPart) / double(frequency.QuadPart);
    PROCESS_MEMORY_COUNTERS_EX memory{};
    GetProcessMemoryInfo(app.process(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory),
                         sizeof memory);
    sample.workingSetMiB = double(memory.WorkingSetSize) / (1024 * 1024);
    sample.committedMiB = double(memory.PagefileUsage) / (1024 * 1024);
    PostMessageA(window, WM_CLOSE, 0, 0);
    return app.WaitForExit();
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

long FileSize(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    return GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)
               ? long(data.nFileSizeLow)
               : -1;
}

bool Report(const char* label, const std::string& exe, const char* windowClass, int runs) {
    std::vector<double> times, workingSets, committed;
    Sample sample{};
    Measure(exe, windowClass, sample); // warm-up: DLLs into the page cache
    for (int i = 0; i < runs; ++i) {
        if (!Measure(exe, windowClass, sample)) {
            std::printf("%-22s did not start\n", label);
            return false;
        }
        times.push_back(sample.milliseconds);
        workingSets.push_back(sample.workingSetMiB);
        committed.push_back(sample.committedMiB);
    }
    std::printf("%-22s %9.1f ms %9.1f ms %10.1f MiB %10.1f MiB %9ld KiB\n", label, Median(times),
                *std::min_element(times.begin(), times.end()), Median(workingSets),
                Median(committed), FileSize(exe) / 1024);
    return true;
}

} // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10;
    ClearNetworkCards();
    SeedCard(1, "Talvex Fast Ethernet Adapter", "TVR8Q", "TVR8Q1");
    std::printf("start-up until the tray icon is up, %d runs (median, fastest); memory then\n",
                runs);
    std::printf("%-22s %12s %12s %14s %14s %13s\n", "program", "median", "fastest", "working set",
                "committed", "exe size");
    const bool ok =
        Report("minimal tray program", Beside("minimal_tray.exe"), "MinimalTray", runs) &&
        Report("TalvexCfg.exe", Beside("TalvexCfg.exe"), "TalvexForm1", runs);
    ClearNetworkCards();
    return ok ? 0 : 1;
}
