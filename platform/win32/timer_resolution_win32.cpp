#include "platform/win32/timer_resolution_win32.h"

#include "platform/win32/win32.h"

#include <mmsystem.h>

namespace talvex {

namespace {

using TimePeriodFn = MMRESULT(WINAPI*)(UINT);
using TimeGetDevCapsFn = MMRESULT(WINAPI*)(LPTIMECAPS, UINT);

// winmm is resolved at run time: without it the sleeps merely stay coarse.
struct Winmm {
    TimePeriodFn begin = nullptr;
    TimePeriodFn end = nullptr;
    UINT period = 1;

    Winmm() {
        HMODULE winmm = LoadLibraryExA("winmm.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
        if (!winmm) return;
        // The module stays loaded for the life of the process, like a linked import.
        begin = reinterpret_cast<TimePeriodFn>(
            reinterpret_cast<void*>(GetProcAddress(winmm, "timeBeginPeriod")));
        end = reinterpret_cast<TimePeriodFn>(
            reinterpret_cast<void*>(GetProcAddress(winmm, "timeEndPeriod")));
        auto caps = reinterpret_cast<TimeGetDevCapsFn>(
            reinterpret_cast<void*>(GetProcAddress(winmm, "timeGetDevCaps")));
        TIMECAPS tc{};
        if (caps && caps(&tc, sizeof tc) == TIMERR_NOERROR && tc.wPeriodMin > 1)
            period = tc.wPeriodMin;
        if (!begin || !end) begin = end = nullptr;
    }
};

const Winmm& LoadedWinmm() {
    static const Winmm instance;
    return instance;
}

class Win32TimingImpl final : public HardwareTiming {
  public:
    void Sleep(uint32_t milliseconds) override { ::Sleep(milliseconds); }

    std::chrono::microseconds Now() override {
        LARGE_INTEGER count, frequency;
        QueryPerformanceCounter(&count);
        QueryPerformanceFrequency(&frequency);
        const long long seconds = count.QuadPart / frequency.QuadPart;
        const long long rest = count.QuadPart % frequency.QuadPart;
        return std::chrono::microseconds(seconds * 1000000 + rest * 1000000 / frequency.QuadPart);
    }

    // The resolution is a system-wide setting that costs power while raised, so it is held only
    // while some scope wants it.
    void BeginFineSleeps() override {
        const Winmm& winmm = LoadedWinmm();
        if (depth_++ == 0 && winmm.begin) winmm.begin(winmm.period);
    }
    void EndFineSleeps() override {
        const Winmm& winmm = LoadedWinmm();
        if (depth_ > 0 && --depth_ == 0 && winmm.end) winmm.end(winmm.period);
    }

  private:
    unsigned depth_ = 0;
};

} // namespace

HardwareTiming& Win32Timing() {
    static Win32TimingImpl timing;
    return timing;
}

void UseWin32Timing() {
    SetTiming(&Win32Timing());
}

bool TimerResolutionAvailable() {
    return LoadedWinmm().begin != nullptr;
}

} // namespace talvex
