// The General page: the machine's host name, IP address and current MAC address.
#pragma once

#include "platform/controls.h"
#include "platform/services.h"

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
};

class GeneralPage {
  public:
    GeneralPage(const GeneralControls& controls, Services& services)
        : c_(controls), services_(services) {}

    // Fills the page once, at start-up; nothing refreshes it afterwards.
    void ShowGeneralInfo();
    // The banner's step whenever the page is brought forward.
    void ResetTransImg1();

  private:
    GeneralControls c_;
    Services& services_;
};

} // namespace talvex
