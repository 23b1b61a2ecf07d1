// The Vlan page's Win32 controls: its layout table, and its notifications routed to
// VlanPage's handlers.
#pragma once

#include "gui/page_window.h"
#include "platform/win32/win32_controls.h"
#include "settings/vlan_page.h"

namespace talvex::win32 {

// Control ids of this page: 500 to 599, unique in the main window, which receives the
// notifications of every page.
enum VlanControlId : int {
    kIdEnableVLAN = 500,
    kIdEnableGVRP,
    kIdVlanIdLabel,
    kIdVlanId,
    kIdVlanIdUpDown,
    kIdVlanDescription,
};

class VlanPageWindow : public PageWindow {
  public:
    void Build(HWND frame, int dpi, HFONT font);
    VlanControls Controls() {
        return {&chkEnableVLAN_, &chkEnableGVRP_, &lblVLAN_ID_,
                &txtVLAN_ID_,    &UpDownVLAN_ID_, &txtVLANDescription_};
    }
    void Attach(VlanPage& page) { page_ = &page; }

    bool OnCommand(int id, int code) override;
    bool OnNotify(const NMHDR& header, LRESULT& result) override;

  private:
    VlanPage* page_ = nullptr;
    Win32CheckBox chkEnableVLAN_, chkEnableGVRP_;
    Win32Control lblVLAN_ID_;
    Win32TextBox txtVLAN_ID_;
    Win32UpDown UpDownVLAN_ID_;
    Win32TextBox txtVLANDescription_;
};

} // namespace talvex::win32
