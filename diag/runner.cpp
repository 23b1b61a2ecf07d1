#include "diag/runner.h"

#include "diag/result_tips.h"
#include "hardware/srom_image.h"
#include "hardware/timing.h"

#include <algorithm>
#include <cstdio>

namespace talvex {

bool bStopDiagTest = false;

namespace {

constexpr char kTesting[] = "Testing...";

class DiagRun {
  public:
    DiagRun(DiagDisplay& display, Services& services) : display_(display), services_(services) {}
    bool Execute();

  private:
    bool RunCycle(int cycle);
    bool RunItem(int item);
    void Pump() {
        if (!services_.DoEvents()) quitting_ = true;
    }
    bool Guard(const std::function<void()>& call) {
        const bool returned = services_.GuardHardwareCall(call);
        libraryOk_ = libraryOk_ && returned;
        return returned;
    }

    DiagDisplay& display_;
    Services& services_;
    bool libraryOk_ = true;
    bool quitting_ = false;
};

// Every way out of the cycles passes the repaint, the last wait and the resume. A library that
// faulted still gets its resume, guarded like every other call into it.
bool DiagRun::Execute() {
    const FineSleepScope fineSleeps; // the SROM test's 1 ms polls
    const bool suspended = Guard(SuspendAdapter);
    const int cycles = display_.Cycles();
    for (int k = 1; suspended && k <= cycles; ++k)
        if (!RunCycle(k)) break;
    services_.RefreshMainWindow();
    services_.Sleep(kDiagPacingMs);
    Guard(ResumeAdapter);
    return libraryOk_;
}

// False when the run must leave the cycles: a stop request, a failed test, or the program
// ending while the run pumped its messages. Stop Test is seen at the start of a cycle only; a
// program that is ending goes before the next item, since the system gives it seconds and a
// cycle takes more.
bool DiagRun::RunCycle(int cycle) {
    Pump();
    if (bStopDiagTest || quitting_) return false;
    display_.CycleStarted(cycle);
    for (int item = 1; item <= kDiagItemCount; ++item) {
        if (item > 1) Pump();
        if (quitting_) return false;
        if (display_.Checked(item) && !RunItem(item)) return false;
    }
    return true;
}

bool DiagRun::RunItem(int item) {
    const DiagTest& test = kDiagTests[item - 1];
    display_.ItemStarted(item);
    bool passed = false;
    const bool returned = Guard([&] { passed = test.run(); });
    std::string address;
    if (test.readsPermanentAddress) {
        display_.ShowPermanentAddress("");
        address = AddressText(NAinSROM);
    }
    services_.Sleep(kDiagPacingMs);
    display_.ItemFinished(item, passed, returned ? test.explain(passed) : kLibraryFaultTip);
    if (!passed) return false;
    if (test.readsPermanentAddress) display_.ShowPermanentAddress(address);
    services_.RefreshMainWindow();
    services_.Sleep(kDiagPacingMs);
    return true;
}

} // namespace

int PageDisplay::Cycles() const {
    return CycleCount(c_.txtTotalTestCount->Text());
}

bool PageDisplay::Checked(int item) const {
    return list_.Checked(item);
}

void PageDisplay::CycleStarted(int cycle) {
    c_.txtCurrentTestCount->SetText(std::to_string(cycle));
}

void PageDisplay::ItemStarted(int item) {
    list_.ClearSubItems(item);
    list_.SetInfoTip(item, "");
    list_.Refresh();
    list_.AddSubItem(item, kTesting);
    list_.Refresh(); // seen before the test blocks the thread
}

void PageDisplay::ItemFinished(int item, bool passed, const std::string& tip) {
    list_.RemoveSubItem(item, 1);
    list_.AddSubItem(item, "");
    list_.AddSubItem(item, passed ? "Pass" : "Fail");
    list_.SetInfoTip(item, tip);
}

void PageDisplay::ShowPermanentAddress(const std::string& text) {
    c_.txtNAinSROM->SetText(text);
}

void ClearDiagResults(ListView& lvwBasicDiag) {
    for (int item = 1; item <= kDiagItemCount; ++item) {
        lvwBasicDiag.ClearSubItems(item);
        lvwBasicDiag.SetInfoTip(item, "");
    }
    lvwBasicDiag.Refresh();
}

bool RunBasicDiagTest(DiagDisplay& display, Services& services) {
    return DiagRun(display, services).Execute();
}

bool RunBasicDiagTest(const DiagControls& controls, Services& services) {
    PageDisplay display(controls);
    return RunBasicDiagTest(display, services);
}

std::string AddressText(const std::array<std::uint8_t, 6>& address) {
    std::string text;
    for (std::uint8_t byte : address) {
        char digits[4];
        std::snprintf(digits, sizeof digits, "%02X ", byte);
        text += digits;
    }
    return text;
}

// Leading blanks are skipped and the digits end at the first other character; the value stops
// growing long before it could overflow, since no count near that can ever be typed.
int CycleCount(const std::string& text) {
    constexpr int kCeiling = 1000000;
    std::size_t i = text.find_first_not_of(' ');
    int value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
        value = std::min(kCeiling, value * 10 + (text[i] - '0'));
    return value;
}

} // namespace talvex
