#include "diag/runner.h"

#include "diag/result_tips.h"
#include "hardware/registers.h"
#include "hardware/srom_image.h"
#include "hardware/timing.h"

#include <algorithm>
#include <cstdio>

namespace talvex {

bool bStopDiagTest = false;

namespace {

constexpr int kItemCount = 3;
constexpr int kSromItem = 2;
constexpr char kTesting[] = "Testing...";

struct TestItem {
    int position;
    bool (*test)();
    std::string (*explain)(bool passed);
};

constexpr TestItem kTestItems[kItemCount] = {
    {1, TestRegisterAccess, ExplainRegisterTest},
    {2, TestSrom, ExplainSromTest},
    {3, GetLinkStatus, ExplainCableTest},
};

class DiagRun {
  public:
    DiagRun(const DiagControls& controls, Services& services)
        : c_(controls), services_(services), list_(*controls.lvwBasicDiag) {}
    bool Execute();

  private:
    bool RunCycle(int cycle);
    bool RunItem(const TestItem& item);
    void Pump() {
        if (!services_.DoEvents()) quitting_ = true;
    }
    bool Guard(const std::function<void()>& call) {
        const bool returned = services_.GuardHardwareCall(call);
        libraryOk_ = libraryOk_ && returned;
        return returned;
    }

    const DiagControls& c_;
    Services& services_;
    ListView& list_;
    bool libraryOk_ = true;
    bool quitting_ = false;
};

// Every way out of the cycles passes the repaint, the last wait and the resume. A library that
// faulted still gets its resume, guarded like every other call into it.
bool DiagRun::Execute() {
    const FineSleepScope fineSleeps; // the SROM test's 1 ms polls
    const bool suspended = Guard(SuspendAdapter);
    const int cycles = CycleCount(c_.txtTotalTestCount->Text());
    for (int k = 1; suspended && k <= cycles; ++k)
        if (!RunCycle(k)) break;
    services_.RefreshMainWindow();
    services_.Sleep(kDiagPacingMs);
    Guard(ResumeAdapter);
    return libraryOk_;
}

// False when the run must leave the cycles: a stop request, a failed test, or the program
// ending while the run pumped its messages.
bool DiagRun::RunCycle(int cycle) {
    Pump();
    if (bStopDiagTest || quitting_) return false;
    c_.txtCurrentTestCount->SetText(std::to_string(cycle));
    for (int i = 0; i < kItemCount; ++i) {
        if (i > 0) Pump();
        // Read just before the item, so that a box changed during the run counts at once.
        if (list_.Checked(kTestItems[i].position) && !RunItem(kTestItems[i])) return false;
    }
    return true;
}

bool DiagRun::RunItem(const TestItem& item) {
    const int p = item.position;
    list_.ClearSubItems(p);
    list_.SetInfoTip(p, "");
    list_.Refresh();
    list_.AddSubItem(p, kTesting);
    list_.Refresh(); // seen before the test blocks the thread
    bool passed = false;
    const bool returned = Guard([&] { passed = item.test(); });
    std::string address;
    if (p == kSromItem) {
        c_.txtNAinSROM->SetText("");
        address = AddressText(NAinSROM);
    }
    services_.Sleep(kDiagPacingMs);
    list_.RemoveSubItem(p, 1);
    list_.AddSubItem(p, "");
    list_.AddSubItem(p, passed ? "Pass" : "Fail");
    list_.SetInfoTip(p, returned ? item.explain(passed) : kLibraryFaultTip);
    if (!passed) return false;
    if (p == kSromItem) c_.txtNAinSROM->SetText(address);
    services_.RefreshMainWindow();
    services_.Sleep(kDiagPacingMs);
    return true;
}

} // namespace

void ClearDiagResults(ListView& lvwBasicDiag) {
    for (int item = 1; item <= kItemCount; ++item) {
        lvwBasicDiag.ClearSubItems(item);
        lvwBasicDiag.SetInfoTip(item, "");
    }
    lvwBasicDiag.Refresh();
}

bool RunBasicDiagTest(const DiagControls& controls, Services& services) {
    return DiagRun(controls, services).Execute();
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
