// The General page: the machine's host name, IP address and current MAC address.
#pragma once

#include "platform/controls.h"
#include "platform/services.h"

namespace talvex {

struct GeneralControls {};

class GeneralPage {
  public:
    GeneralPage(const GeneralControls& controls, Services& services)
        : c_(controls), services_(services) {}

  private:
    [[maybe_unused]] GeneralControls c_;
    [[maybe_unused]] Services& services_;
};

} // namespace talvex
