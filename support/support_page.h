// The Support page: fourteen flags, each opening one of the maker's regional web sites.
#pragma once

#include "platform/controls.h"
#include "platform/services.h"

namespace talvex {

struct SupportControls {};

class SupportPage {
  public:
    // window is Form1's: its handle is read at the moment of each click.
    SupportPage(const SupportControls& controls, Services& services, FormWindow& window)
        : c_(controls), services_(services), window_(window) {}

  private:
    [[maybe_unused]] SupportControls c_;
    [[maybe_unused]] Services& services_;
    [[maybe_unused]] FormWindow& window_;
};

} // namespace talvex
