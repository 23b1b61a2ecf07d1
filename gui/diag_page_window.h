// The Diag page's Win32 controls: its layout table, and its notifications routed to
// DiagPage's handlers.
#pragma once

#include "diag/diag_page.h"
#include "gui/page_window.h"
#include "platform/win32/win32_controls.h"

namespace talvex::win32 {

// Start Test or Stop Test: brought over its twin while the twin has the focus (or while the
// window's focus is nowhere), it takes the focus, so the keyboard never stays on the covered one.
class TwinButton : public Win32Control {
  public:
    void BringToFront() override;
};

class DiagPageWindow : public PageWindow {
  public:
    void Build(HWND frame, int dpi, HFONT font);
    DiagControls Controls();
    void Attach(DiagPage& page) { page_ = &page; }

    bool OnCommand(int id, int code) override;
    bool OnNotify(const NMHDR& header, LRESULT& result) override;

  private:
    void OnRelayout(int dpi) override;
    void AddToolTip(HWND control, const char* text);
    LRESULT OnSpin(const NMUPDOWN& spin);

    DiagPage* page_ = nullptr;
    Win32Control txtTotalTestCount_, txtCurrentTestCount_, txtNAinSROM_;
    TwinButton cbStartBasicDiagTest_, cbStopBasicDiagTest_;
    Win32UpDown UpDown1_;
    Win32ListView lvwBasicDiag_;
    ScopedWindow toolTips_;
};

} // namespace talvex::win32
