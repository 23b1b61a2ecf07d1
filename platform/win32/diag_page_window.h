// The Diag page's Win32 controls: its layout table, and its notifications routed to
// DiagPage's handlers.
#pragma once

#include "diag/diag_page.h"
#include "platform/win32/page_window.h"

namespace talvex::win32 {

class DiagPageWindow : public PageWindow {
  public:
    void Build(HWND frame, int dpi, HFONT font);
    DiagControls Controls() { return {}; }
    void Attach(DiagPage& page) { page_ = &page; }

  private:
    DiagPage* page_ = nullptr;
};

} // namespace talvex::win32
