// The General page's Win32 controls: its layout table, and its notifications routed to
// GeneralPage's handlers.
#pragma once

#include "platform/win32/page_window.h"
#include "shell/general_page.h"

namespace talvex::win32 {

class GeneralPageWindow : public PageWindow {
  public:
    void Build(HWND frame, int dpi, HFONT font);
    GeneralControls Controls() { return {}; }
    void Attach(GeneralPage& page) { page_ = &page; }

  private:
    GeneralPage* page_ = nullptr;
};

} // namespace talvex::win32
