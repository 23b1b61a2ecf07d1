// The Diagnostic page: the test list, the cycle count, Start Test and Stop Test.
#pragma once

#include "diag/open_hardware.h"
#include "platform/controls.h"
#include "platform/registry_api.h"
#include "platform/services.h"

#include <cstdint>
#include <string>

namespace talvex {

struct DiagControls {
    Control* txtTotalTestCount = nullptr;
    UpDown* UpDown1 = nullptr;
    ListView* lvwBasicDiag = nullptr;
    Control* txtCurrentTestCount = nullptr;
    Control* cbStartBasicDiagTest = nullptr;
    Control* cbStopBasicDiagTest = nullptr;
    Control* txtNAinSROM = nullptr;
};

inline constexpr char kDiagWarning[] =
    "Warning!   The network driver is loaded. Running diagnostic tests will temporarily disable "
    "the network driver.It is suggested that you restartthe system after running the diagnostic "
    "tests. Continue ?";

class DiagPage {
  public:
    // driverKeyName and currentAdapter are Form1's; the adapter record is set by discovery
    // before the page can be reached.
    DiagPage(const DiagControls& controls, Services& services, RegistryApi& registry,
             const std::string& driverKeyName, const std::int16_t& currentAdapter);

    // The page's load, with the window's: creates the three test items, all checked.
    void Load();

    // Event handlers.
    void cbStartBasicDiagTest_Click();
    void cbStopBasicDiagTest_Click();
    void lvwBasicDiag_ItemCheck();
    void UpDown1_Change();

    bool Running() const { return running_; }

  private:
    DiagControls c_;
    Services& services_;
    RegistryApi& registry_;
    const std::string& driverKeyName_;
    const std::int16_t& currentAdapter_;
    bool running_ = false;
};

} // namespace talvex
