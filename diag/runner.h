// The diagnostic test runner: the checked tests for the chosen number of cycles, with progress
// and results in the Diagnostic page's list.
#pragma once

#include "diag/diag_page.h"
#include "diag/diag_tests.h"
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

// What a run shows as it goes: the Diagnostic page's list and boxes, or the console tool's lines.
// The runner calls these in the order the page needs them.
class DiagDisplay {
  public:
    virtual ~DiagDisplay() = default;
    // The number of cycles asked for.
    virtual int Cycles() const = 0;
    // Whether the item (1 to 3) is to run; asked just before the item, so that a box changed
    // during the run counts at once.
    virtual bool Checked(int item) const = 0;
    virtual void CycleStarted(int cycle) = 0;
    virtual void ItemStarted(int item) = 0;
    // tip: what the test saw, for the pointer resting on the item.
    virtual void ItemFinished(int item, bool passed, const std::string& tip) = 0;
    // The permanent address from the SROM: cleared once the SROM test has run, shown when it
    // passed.
    virtual void ShowPermanentAddress(const std::string& text) = 0;
    // Around a run that a session starts, once the hardware is open.
    virtual void RunStarting() {}
    virtual void RunEnded() {}
};

// The Diagnostic page's display: the Status and Result columns of the list, the cycle and
// address boxes.
class PageDisplay : public DiagDisplay {
  public:
    explicit PageDisplay(const DiagControls& controls)
        : c_(controls), list_(*controls.lvwBasicDiag) {}
    int Cycles() const override;
    bool Checked(int item) const override;
    void CycleStarted(int cycle) override;
    void ItemStarted(int item) override;
    void ItemFinished(int item, bool passed, const std::string& tip) override;
    void ShowPermanentAddress(const std::string& text) override;

  protected:
    const DiagControls& c_;
    ListView& list_;
};

// Empties the Status and Result columns of the three items; captions and checkboxes stay.
void ClearDiagResults(ListView& lvwBasicDiag);
// One whole run, between SuspendAdapter and ResumeAdapter. Returns false when the hardware
// library faulted during it (the run then ended there).
bool RunBasicDiagTest(DiagDisplay& display, Services& services);
// The same, shown on the Diagnostic page's controls.
bool RunBasicDiagTest(const DiagControls& controls, Services& services);

// "00 80 C8 0A 1B FF ": two uppercase digits and a space per byte.
std::string AddressText(const std::array<std::uint8_t, 6>& address);
// The numeric value of the count box's text: its leading decimal digits, 0 when there are none.
int CycleCount(const std::string& text);

} // namespace talvex
