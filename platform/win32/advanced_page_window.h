// The Advanced page's Win32 controls: its layout table, and its notifications routed to
// AdvancedPage's handlers.
#pragma once

#include "platform/win32/page_window.h"
#include "settings/advanced_page.h"

namespace talvex::win32 {

class AdvancedPageWindow : public PageWindow {
  public:
    void Build(HWND frame, int dpi, HFONT font);
    AdvancedControls Controls() { return {}; }
    void Attach(AdvancedPage& page) { page_ = &page; }

  private:
    AdvancedPage* page_ = nullptr;
};

} // namespace talvex::win32
