// The General page: the machine's host name, IP address and current MAC address.
#pragma once

#include "platform/controls.h"
#include "platform/services.h"

namespace talvex {

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
