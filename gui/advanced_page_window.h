// The Advanced page's Win32 controls: its layout table, and its notifications routed to
// AdvancedPage's handlers.
#pragma once

#include "gui/page_window.h"
#include "platform/win32/win32_controls.h"
#include "settings/advanced_page.h"

namespace talvex::win32 {

// Control ids of this page: 400 to 499, unique in the main window, which receives the
// notifications of every page.
enum AdvancedControlId : int {
    kIdAdvTitle = 400,
    kIdAdvProperties,
    kIdAdvAdaptInfo,
    kIdAdvValue,
    kIdAdvKeyValueList,
    kIdAdvKeyValueText,
};

class AdvancedPageWindow : public PageWindow {
  public:
    void Build(HWND frame, int dpi, HFONT font);
    AdvancedControls Controls() {
        return {&lstAdv_AdaptInfo_, &cbAdv_KeyValue_, &txtAdv_KeyValue_};
    }
    void Attach(AdvancedPage& page) { page_ = &page; }

    bool OnCommand(int id, int code) override;

  private:
    AdvancedPage* page_ = nullptr;
    Win32List lstAdv_AdaptInfo_{kListBoxMessages};
    Win32List cbAdv_KeyValue_{kComboBoxMessages};
    Win32TextBox txtAdv_KeyValue_;
    Win32TextBox cbAdv_KeyValueEdit_; // the value list's edit field, for its key filter
};

} // namespace talvex::win32
