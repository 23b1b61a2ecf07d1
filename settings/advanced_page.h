// The Advanced page: the driver's five advanced parameters, kept in memory until OK.
#pragma once

#include "platform/controls.h"
#include "platform/registry_api.h"
#include "platform/services.h"
#include "settings/loaded_parameters.h"
#include "settings/save_result.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace talvex {

struct AdvancedControls {
    ListControl* lstAdv_AdaptInfo = nullptr;
    ListControl* cbAdv_KeyValue = nullptr;
    TextBox* txtAdv_KeyValue = nullptr;
};

class AdvancedPage {
  public:
    // driverKeyName is Form1's: set by discovery before the page first loads.
    AdvancedPage(const AdvancedControls& controls, Services& services, RegistryApi& registry,
                 const std::string& driverKeyName);

    void InitAdvancedLists();
    void LoadAdvancedSettings();
    SaveResult SaveAdvancedSettings();
    void ClearPropertyList();
    void ClearValueList();
    void FillConnectionTypeList();
    void FillThresholdList();
    // Selects the first property, which runs the property list's click behaviour.
    void SelectFirstProperty();
    // Whether the kept values differ from what the page loaded or last saved.
    bool Edited() const;
    // Whether the driver's key holds other values than the page loaded or last saved.
    bool ChangedSince(const ParameterReadings& now) const;

    // Event handlers.
    void lstAdv_AdaptInfo_Click();
    void cbAdv_KeyValue_Click();
    void cbAdv_KeyValue_KeyPress(int& KeyAscii);
    void txtAdv_KeyValue_Change();

    // The tables, filled by InitAdvancedLists.
    std::vector<std::string> ConnectionTypeNames;
    std::vector<std::string> ThresholdNames;
    std::vector<std::int32_t> ThresholdValues;

    // The kept values. AdvThresholdIndex is -1 while the stored threshold has no entry.
    std::int32_t AdvConnectionType = 0;
    std::string AdvNetworkAddress;
    std::int32_t AdvRxBuffer = 0;
    std::int32_t AdvTxBuffer = 0;
    std::int32_t AdvThresholdIndex = 0;

  private:
    enum Row { kConnectionType, kNetworkAddress, kRxBuffer, kTxBuffer, kThreshold, kRows };

    std::int32_t* BufferOfRow(int row);
    void ShowInValueList(void (AdvancedPage::*fill)(), std::int32_t index);
    LoadedParameters::Shown Kept() const;
    std::optional<std::int32_t> ThresholdToWrite() const;

    AdvancedControls c_;
    Services& services_;
    RegistryApi& registry_;
    const std::string& driverKeyName_;

    LoadedParameters loaded_;
    std::optional<std::int32_t> storedThreshold_;
};

} // namespace talvex
