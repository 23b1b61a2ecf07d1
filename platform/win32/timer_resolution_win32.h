// The Win32 sleep and clock of the hardware procedures, with fine sleeps by timer resolution.
#pragma once

#include "hardware/timing.h"

namespace talvex {

// Sleep and QueryPerformanceCounter; fine sleeps raise the system timer resolution to its
// minimum (1 ms) with timeBeginPeriod and restore it when the outermost scope ends.
HardwareTiming& Win32Timing();
void UseWin32Timing();
// False when winmm's timer functions could not be found; fine sleeps then stay coarse.
bool TimerResolutionAvailable();

} // namespace talvex
