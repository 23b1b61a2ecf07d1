// The diagnostic test runner: the checked tests for the chosen number of cycles, with progress
// and results in the Diagnostic page's list.
#pragma once

#include "diag/diag_page.h"
#include "platform/controls.h"
#include "platform/services.h"

#include <array>
#include <cstdint>
#include <string>

namespace talvex {

// The stop request: cleared at each confirmed Start Test, set by Stop Test, read by the runner
// only at the start of a cycle.
extern bool bStopDiagTest;

inline constexpr std::uint32_t kDiagPacingMs = 400;

// Empties the Status and Result columns of the three items; captions and checkboxes stay.
void ClearDiagResults(ListView& lvwBasicDiag);
// One whole run, between SuspendAdapter and ResumeAdapter. Returns false when the hardware
// library faulted during it (the run then ended there).
bool RunBasicDiagTest(const DiagControls& controls, Services& services);

// "00 80 C8 0A 1B FF ": two uppercase digits and a space per byte.
std::string AddressText(const std::array<std::uint8_t, 6>& address);
// The numeric value of the count box's text: its leading decimal digits, 0 when there are none.
int CycleCount(const std::string& text);

} // namespace talvex
