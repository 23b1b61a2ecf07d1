#include "diag/diag_page.h"

#include "diag/runner.h"
#include "hardware/driver_agent.h"
#include "settings/parameter_writer.h"
#include "settings/vb_registry.h"

namespace talvex {

namespace {

constexpr char kTitle[] = "Talvex Adapter Configuration";
constexpr int kItemCount = 3;
constexpr const char* kItemCaptions[kItemCount] = {"Register Test", "SROM Test", "Cable Test"};

} // namespace

DiagPage::DiagPage(const DiagControls& controls, Services& services, RegistryApi& registry,
                   const std::string& driverKeyName, const std::int16_t& currentAdapter)
    : c_(controls), services_(services), registry_(registry), driverKeyName_(driverKeyName),
      currentAdapter_(currentAdapter) {}

void DiagPage::Load() {
    if (c_.lvwBasicDiag->ItemCount() == 0)
        for (const char* caption : kItemCaptions)
            c_.lvwBasicDiag->AddItem(caption, true);
}

// A run pumps messages, so the covered Start Test button can still be pressed from the keyboard
// during one; a second run inside the first is refused.
void DiagPage::cbStartBasicDiagTest_Click() {
    if (running_) return;
    bStopDiagTest = false;
    if (services_.MsgBox(kDiagWarning, kTitle, MsgBoxStyle::ExclamationYesNo) != MsgBoxResult::Yes)
        return;
    if (!OpenHardware()) return;
    ClearDiagResults(*c_.lvwBasicDiag);
    c_.cbStopBasicDiagTest->BringToFront();
    services_.RefreshMainWindow();
    running_ = true;
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

// Opens the library, the adapter's device and its control registers the first time a run is
// confirmed, and again after any failure: whatever a failed attempt opened is closed first.
bool DiagPage::OpenHardware() {
    if (!services_.LoadDriverAgent()) {
        services_.MsgBox(kDriverAgentNotLoaded, kTitle, MsgBoxStyle::CriticalOk);
        return false;
    }
    const std::uint32_t base = ReadBaseAddress();
    AdapterAccess access = AdapterAccess::NoIoRange;
    // Without an I/O base there is no range to open; nothing is asked of the library.
    if (base != 0 && !services_.GuardHardwareCall([&] {
            access = OpenAdapterAccess(driverKeyName_.c_str(),
                                       static_cast<std::uint32_t>(currentAdapter_), base);
        })) {
        services_.GuardHardwareCall(ResetAdapterAccess);
        access = AdapterAccess::NoIoRange;
    }
    switch (access) {
    case AdapterAccess::Open: return true;
    case AdapterAccess::NoLibrary:
    case AdapterAccess::LibraryNotReady:
        services_.MsgBox(kDriverAgentNotLoaded, kTitle, MsgBoxStyle::CriticalOk);
        return false;
    case AdapterAccess::NoDevice:
    case AdapterAccess::NoIoRange: break;
    }
    services_.MsgBox(kDiagComponentFailed, kTitle, MsgBoxStyle::CriticalOk);
    return false;
}

// The I/O base the driver was given, under its Parameters key; 0 when it is missing.
std::uint32_t DiagPage::ReadBaseAddress() {
    vbRegistry registry(registry_);
    return static_cast<std::uint32_t>(registry.ReadLong(
        kHKeyLocalMachine, DriverParametersPath(driverKeyName_) + "BaseAddress", "0"));
}

} // namespace talvex
