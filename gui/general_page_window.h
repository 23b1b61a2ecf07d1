// The General page's Win32 controls: its layout table, and its notifications routed to
// GeneralPage's handlers.
#pragma once

#include "gui/page_window.h"
#include "platform/win32/picture.h"
#include "platform/win32/win32_controls.h"
#include "shell/general_page.h"

namespace talvex::win32 {

class GeneralPageWindow : public PageWindow {
  public:
    // Control ids of this page: 300 to 399, unique in the main window, which receives
    // the notifications of every page.
    enum ControlId : int {
        kIdImage1 = 300,
        kIdLbLocalHostName,
        kIdTxtLocalHostName,
        kIdLbEthernetAddress,
        kIdTxtEthernetAddress,
        kIdLbIPAddress,
        kIdTxtIPAddress,
        kIdTransImg1,
        kIdLblChange,
        kIdConfirmChange,
    };

    void Build(HWND frame, int dpi, HFONT font);
    GeneralControls Controls() {
        return {&txtLocalHostName_, &txtEthernetAddress_, &txtIPAddress_, &TransImg1_,
                &lblChange_,        &cbConfirmChange_};
    }
    void Attach(GeneralPage& page) { page_ = &page; }

    bool OnCommand(int id, int code) override;

  private:
    GeneralPage* page_ = nullptr;
    Win32TextBox txtLocalHostName_, txtEthernetAddress_, txtIPAddress_;
    Win32Picture TransImg1_;
    Win32Control lblChange_, cbConfirmChange_;
};

} // namespace talvex::win32
