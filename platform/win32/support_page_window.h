// The Support page's Win32 controls: its layout table, and its notifications routed to
// SupportPage's handlers.
#pragma once

#include "platform/win32/page_window.h"
#include "support/support_page.h"

namespace talvex::win32 {

class SupportPageWindow : public PageWindow {
  public:
    void Build(HWND frame, int dpi, HFONT font);
    SupportControls Controls() { return {}; }
    void Attach(SupportPage& page) { page_ = &page; }

  private:
    SupportPage* page_ = nullptr;
};

} // namespace talvex::win32
