// startup_bench: how long TalvexCfg.exe takes from CreateProcess until its notification icon is
// up, and until it is ready for input, next to the minimal tray program, with the working set at
// both moments. The two programs alternate launch by launch (and which one goes first alternates
// round by round), so that a drift in the machine's load falls on both alike; the difference and
// the ratio are taken within each round and their medians reported. Another build of
// TalvexCfg.exe given as the reference compares two builds the same way.
//   startup_bench [rounds [reference TalvexCfg.exe]]
#include "tests/e2e/ui_driver.h"

#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

using namespace talvex::e2e;

namespace {

struct Sample {
    double iconMs = 0;
    double iconWorkingSetMiB = 0;
    double readyMs = 0;
    double readyWorkingSetMiB = 0;
};

struct Program {
    const char* label;
    std::string exe;
    const char* windowClass;
};

std::string Beside(const char* name) {
    std::string path = ProgramPath();
    return path.substr(0, path.find_last_of("\\/") + 1) + name;
}

double MillisecondsSince(const LARGE_INTEGER& start) {
    LARGE_INTEGER frequency, now;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&now);
    return 1000.0 * double(now.QuadPart - start.QuadPart) / double(frequency.QuadPart);
}

double WorkingSetMiB(HANDLE process) {
    PROCESS_MEMORY_COUNTERS memory{};
    GetProcessMemoryInfo(process, &memory, sizeof memory);
    return double(memory.WorkingSetSize) / (1024 * 1024);
}

// One launch: the icon up (found by a tight poll: a 20 ms step would swamp the difference being
// measured), then ready for input (the first idle of its message loop after the icon).
bool Measure(const Program& program, Sample& sample) {
    LARGE_INTEGER start;
    QueryPerformanceCounter(&start);
    App app;
    if (!app.Start(program.exe)) return false;
    HWND window = nullptr;
    for (;;) {
        if (!window) window = app.FindTopLevel(program.windowClass);
        if (window && HasTrayIcon(window)) break;
        if (MillisecondsSince(start) > 20000 || !app.Running()) return false;
        Sleep(1);
    }
    sample.iconMs = MillisecondsSince(start);
    sample.iconWorkingSetMiB = WorkingSetMiB(app.process());
    if (WaitForInputIdle(app.process(), 20000) != 0) return false;
    sample.readyMs = MillisecondsSince(start);
    sample.readyWorkingSetMiB = WorkingSetMiB(app.process());
    PostMessageA(window, WM_CLOSE, 0, 0);
    return app.WaitForExit();
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

long FileSizeKiB(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    return GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)
               ? long(data.nFileSizeLow / 1024)
               : -1;
}

// The samples of one figure, per round, for the reference and for ours.
struct Figure {
    const char* name;
    const char* unit;
    double Sample::*field;
};

void PrintFigure(const Figure& figure, const std::vector<Sample>& reference,
                 const std::vector<Sample>& ours) {
    std::vector<double> mine, theirs, differences, ratios;
    for (size_t round = 0; round < ours.size(); ++round) {
        const double a = ours[round].*figure.field;
        const double b = reference[round].*figure.field;
        mine.push_back(a);
        theirs.push_back(b);
        differences.push_back(a - b);
        ratios.push_back(a / b);
    }
    std::printf("%-24s %9.1f %-3s %9.1f %-3s %+9.1f %-3s %6.2fx\n", figure.name, Median(theirs),
                figure.unit, Median(mine), figure.unit, Median(differences), figure.unit,
                Median(ratios));
}

} // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20;
    const Program reference =
        argc > 2 ? Program{"reference", argv[2], "TalvexForm1"}
                 : Program{"minimal tray", Beside("minimal_tray.exe"), "MinimalTray"};
    const Program ours{"TalvexCfg.exe", Beside("TalvexCfg.exe"), "TalvexForm1"};
    ClearNetworkCards();
    SeedCard(1, "Talvex Fast Ethernet Adapter", "TVR8Q", "TVR8Q1");

    Sample sample;
    bool ok = Measure(reference, sample) && Measure(ours, sample); // warm-up: DLLs into the cache
    std::vector<Sample> referenceSamples, ourSamples;
    for (int round = 0; ok && round < rounds; ++round) {
        Sample a, b;
        ok = round % 2 ? Measure(ours, b) && Measure(reference, a)
                       : Measure(reference, a) && Measure(ours, b);
        referenceSamples.push_back(a);
        ourSamples.push_back(b);
    }
    ClearNetworkCards();
    if (!ok) {
        std::printf("startup_bench: a program did not start, or did not become ready\n");
        return 1;
    }

    std::printf("start-up from CreateProcess, %d alternating rounds; medians, the difference and "
                "the ratio per round\n",
                rounds);
    std::printf("%-24s %14s %14s %14s %7s\n", "figure", reference.label, ours.label, "difference",
                "ratio");
    const Figure figures[] = {
        {"icon up", "ms", &Sample::iconMs},
        {"ready for input", "ms", &Sample::readyMs},
        {"working set, icon up", "MiB", &Sample::iconWorkingSetMiB},
        {"working set, ready", "MiB", &Sample::readyWorkingSetMiB},
    };
    for (const Figure& figure : figures)
        PrintFigure(figure, referenceSamples, ourSamples);
    const long referenceKiB = FileSizeKiB(reference.exe), ourKiB = FileSizeKiB(ours.exe);
    std::printf("%-24s %9ld KiB %9ld KiB %+9ld KiB %6.2fx\n", "exe size", referenceKiB, ourKiB,
                ourKiB - referenceKiB, double(ourKiB) / double(referenceKiB));
    return 0;
}
