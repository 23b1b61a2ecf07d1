// Drives the Diagnostic page of a running TalvexCfg.exe from another process: reaching it, the
// list's cells and checkboxes, the spin control, the button in front, the message boxes.
#pragma once

#include "tests/e2e/ui_driver.h"

#include <string>
#include <utility>

namespace talvex::e2e {

// The driver's Parameters key of the adapter the tests seed, with its I/O base (0: none).
void SeedBaseAddress(const std::string& service, DWORD base);

class DiagDriver {
  public:
    DiagDriver(HANDLE process, HWND mainWindow) : process_(process), main_(mainWindow) {}

    // Shows the window and presses Ctrl+Shift+D; true once the page is in front.
    bool Reach();
    std::string FrontPage() const;
    HWND Page() const;

    // Items count from 1, columns from 0 (the caption).
    std::string Cell(int item, int column) const;
    // "Status|Result" of the three items, as the user reads them.
    std::string Results() const;
    bool Checked(int item) const;
    void SetChecked(int item, bool checked) const; // as a click on the checkbox does
    // Rests the pointer on an item's row and returns the tip that shows, or "" when none does.
    std::string HoverTip(int item) const;
    std::string Count() const;
    std::string CurrentCount() const;
    std::string Address() const;
    void SpinUp() const;

    // The button a click in the Start/Stop rectangle reaches, and that click.
    std::string FrontButton() const;
    HWND FrontButtonWindow() const;
    void ClickFrontButton() const;
    // Waits for a message box of the program with this text; null when none came.
    HWND WaitForMessage(const std::string& text) const;
    // Waits until a run has begun: Stop Test in front, or the warning gone and a result shown
    // (a run on a failing adapter may be over before a poll sees Stop Test).
    bool WaitForRun() const;
    // Waits until the program reads no messages (a test runs): one sent to it finds no answer.
    bool WaitForBusy() const;
    // Waits until the run has ended: Start Test in front again.
    bool WaitForIdle(std::chrono::milliseconds timeout = kTimeout) const;

  private:
    HWND Child(const char* className, int index = 0) const;
    std::pair<HWND, HWND> StartAndStop() const;
    HWND List() const { return Child(WC_LISTVIEWA); }

    HANDLE process_;
    HWND main_;
    mutable HWND page_ = nullptr;
};

} // namespace talvex::e2e
