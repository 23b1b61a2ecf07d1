#include "diag/diag_page.h"

#include "diag/open_hardware.h"
#include "diag/runner.h"
#include "hardware/driver_agent.h"
#include "platform/product.h"

namespace talvex {

namespace {

constexpr int kItemCount = kDiagItemCount;

} // namespace

DiagPage::DiagPage(const DiagControls& controls, Services& services, RegistryApi& registry,
                   const std::string& driverKeyName, const std::int16_t& currentAdapter)
    : c_(controls), services_(services), registry_(registry), driverKeyName_(driverKeyName),
      currentAdapter_(currentAdapter) {}

void DiagPage::Load() {
    if (c_.lvwBasicDiag->ItemCount() == 0)
        for (const char* caption : kDiagItemCaptions)
            c_.lvwBasicDiag->AddItem(caption, true);
}

// A run pumps messages, so the covered Start Test button can still be pressed from the keyboard
// during one; a second run inside the first is refused.
void DiagPage::cbStartBasicDiagTest_Click() {
    if (running_) return;
    bStopDiagTest = false;
    if (services_.MsgBox(kDiagWarning, kAppTitle, MsgBoxStyle::ExclamationYesNo) != MsgBoxResult::Yes)
        return;
    // One program at a time drives the hardware: the console tool may be running the tests.
    const HardwareMark mark(services_);
    if (!mark) {
        services_.MsgBox(kHardwareBusy, kAppTitle, MsgBoxStyle::InformationOk);
        return;
    }
    if (!OpenDiagHardware(services_, registry_, driverKeyName_, currentAdapter_)) return;
    ClearDiagResults(*c_.lvwBasicDiag);
    // Set before Stop Test covers Start Test: the keys typed on Start Test until then are
    // handled as it does so, and a start they ask for is refused.
    running_ = true;
    c_.cbStopBasicDiagTest->BringToFront();
    services_.RefreshMainWindow();
    const bool libraryOk = RunBasicDiagTest(c_, services_);
    running_ = false;
    // After a fault nothing the library handed out is trusted: the next start opens afresh.
    if (!libraryOk) services_.GuardHardwareCall(ResetAdapterAccess);
    c_.cbStartBasicDiagTest->BringToFront();
}

void DiagPage::cbStopBasicDiagTest_Click() {
    bStopDiagTest = true;
}

void DiagPage::lvwBasicDiag_ItemCheck() {
    bool anyChecked = false;
    for (int item = 1; item <= kItemCount; ++item)
        anyChecked = c_.lvwBasicDiag->Checked(item) || anyChecked;
    c_.cbStartBasicDiagTest->SetEnabled(anyChecked);
}

void DiagPage::UpDown1_Change() {
    c_.txtTotalTestCount->SetText(std::to_string(c_.UpDown1->Value()));
}

} // namespace talvex
