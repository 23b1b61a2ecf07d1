// The General page: the machine's host name, IP address and current MAC address, and a change of
// the adapter's settings that waits for confirmation or was put back.
#pragma once

#include "platform/controls.h"
#include "platform/registry_api.h"
#include "platform/services.h"
#include "settings/change_record.h"

#include <optional>

#include <string>

namespace talvex {

// What the page shows: the host name in capitals, its IPv4 address and the current MAC address
// ("" when NetBIOS gives none). The console tool shows the same.
struct GeneralInfo {
    std::string hostName;
    std::string ipAddress;
    std::string macAddress;
};
GeneralInfo ReadGeneralInfo(Services& services);

struct GeneralControls {
    TextBox* txtLocalHostName = nullptr;
    TextBox* txtEthernetAddress = nullptr;
    TextBox* txtIPAddress = nullptr;
    Picture* TransImg1 = nullptr;
    Control* lblChange = nullptr;
    Control* cbConfirmChange = nullptr;
};

// What lblChange says of a change that waits or was put back; empty for neither.
std::string ChangeStateText(const std::optional<PendingChange>& change,
                            const std::optional<LastRevert>& revert, Services& services);

class GeneralPage {
  public:
    GeneralPage(const GeneralControls& controls, Services& services, RegistryApi& registry)
        : c_(controls), services_(services), registry_(registry) {}

    // Fills the page once, at start-up; nothing refreshes it afterwards.
    void ShowGeneralInfo();
    // The banner's step whenever the page is brought forward.
    void ResetTransImg1();
    // At start-up and whenever the window is shown: the change that waits, with the button that
    // keeps it, or the last one put back.
    void ShowChangeState();
    void cbConfirmChange_Click();

  private:
    GeneralControls c_;
    Services& services_;
    RegistryApi& registry_;
};

} // namespace talvex
