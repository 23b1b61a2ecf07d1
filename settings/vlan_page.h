// The VLAN page: tagging, GVRP and the VLAN ID, held in the page's controls until OK.
#pragma once

#include "platform/controls.h"
#include "platform/registry_api.h"
#include "platform/services.h"
#include "settings/driver_parameters.h"
#include "settings/loaded_parameters.h"
#include "settings/save_result.h"

#include <string>

namespace talvex {

struct VlanControls {
    CheckBox* chkEnableVLAN = nullptr;
    CheckBox* chkEnableGVRP = nullptr;
    Control* lblVLAN_ID = nullptr;
    TextBox* txtVLAN_ID = nullptr;
    UpDown* UpDownVLAN_ID = nullptr; // range 0 to kMaxVlanId
    TextBox* txtVLANDescription = nullptr;
};

class VlanPage {
  public:
    // driverKeyName is Form1's: set by discovery before the page first loads.
    VlanPage(const VlanControls& controls, Services& services, RegistryApi& registry,
             const std::string& driverKeyName);

    void LoadVLANSettings();
    SaveResult SaveVLANSettings();
    // The Virtual LAN tab's step: the up-down takes the number in the text box.
    void SetUpDownFromText();
    // Whether the controls show other values than the page loaded or last saved.
    bool Edited() const;
    // Whether the driver's key holds other values than the page loaded or last saved.
    bool ChangedSince(const ParameterReadings& now) const;

    // Event handlers.
    void chkEnableVLAN_Click();
    void txtVLAN_ID_KeyPress(int& KeyAscii);
    void UpDownVLAN_ID_Change();

  private:
    LoadedParameters::Shown Shown() const;

    VlanControls c_;
    Services& services_;
    RegistryApi& registry_;
    const std::string& driverKeyName_;

    LoadedParameters loaded_;
};

} // namespace talvex
