// The Vlan page's Win32 controls: its layout table, and its notifications routed to
// VlanPage's handlers.
#pragma once

#include "platform/win32/page_window.h"
#include "settings/vlan_page.h"

namespace talvex::win32 {

class VlanPageWindow : public PageWindow {
  public:
    void Build(HWND frame, int dpi, HFONT font);
    VlanControls Controls() { return {}; }
    void Attach(VlanPage& page) { page_ = &page; }

  private:
    VlanPage* page_ = nullptr;
};

} // namespace talvex::win32
