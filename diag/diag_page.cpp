#include "diag/diag_page.h"

#include "diag/diag_session.h"
#include "platform/product.h"

namespace talvex {

namespace {

// The page's display of a run it started: the results cleared and Stop Test in front for the
// length of the run.
class StartedRunDisplay : public PageDisplay {
  public:
    StartedRunDisplay(const DiagControls& controls, Services& services, bool& running)
        : PageDisplay(controls), services_(services), running_(running) {}
    // Set before Stop Test covers Start Test: the keys typed on Start Test until then are
    // handled as it does so, and a start they ask for is refused.
    void RunStarting() override {
        ClearDiagResults(list_);
        running_ = true;
        c_.cbStopBasicDiagTest->BringToFront();
        services_.RefreshMainWindow();
    }
    void RunEnded() override {
        running_ = false;
        c_.cbStartBasicDiagTest->BringToFront();
    }

  private:
    Services& services_;
    bool& running_;
};

} // namespace

DiagPage::DiagPage(const DiagControls& controls, Services& services, RegistryApi& registry,
                   const std::string& driverKeyName, const std::int16_t& currentAdapter)
    : c_(controls), services_(services), registry_(registry), driverKeyName_(driverKeyName),
      currentAdapter_(currentAdapter) {}

void DiagPage::Load() {
    if (c_.lvwBasicDiag->ItemCount() == 0)
        for (const DiagTest& test : kDiagTests)
            c_.lvwBasicDiag->AddItem(test.caption, true);
}

// A run pumps messages, so the covered Start Test button can still be pressed from the keyboard
// during one; a second run inside the first is refused.
void DiagPage::cbStartBasicDiagTest_Click() {
    if (running_) return;
    bStopDiagTest = false; // whatever the answer to the warning
    if (services_.MsgBox(kDiagWarning, kAppTitle, MsgBoxStyle::ExclamationYesNo) !=
        MsgBoxResult::Yes)
        return;
    StartedRunDisplay display(c_, services_, running_);
    RunDiagSession(services_, registry_, driverKeyName_, currentAdapter_, display);
}

void DiagPage::cbStopBasicDiagTest_Click() {
    bStopDiagTest = true;
}

void DiagPage::lvwBasicDiag_ItemCheck() {
    bool anyChecked = false;
    for (int item = 1; item <= kDiagItemCount; ++item)
        anyChecked = c_.lvwBasicDiag->Checked(item) || anyChecked;
    c_.cbStartBasicDiagTest->SetEnabled(anyChecked);
}

void DiagPage::UpDown1_Change() {
    c_.txtTotalTestCount->SetText(std::to_string(c_.UpDown1->Value()));
}

} // namespace talvex
