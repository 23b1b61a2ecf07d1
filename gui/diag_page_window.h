// The Diag page's Win32 controls: its layout table, and its notifications routed to
// DiagPage's handlers.
#pragma once

#include "diag/diag_page.h"
#include "gui/page_window.h"
#include "platform/win32/win32_controls.h"

#include <functional>
#include <utility>

namespace talvex::win32 {

// Start Test or Stop Test: brought over its twin while the twin has the focus (or while the
// window's focus is nowhere), it takes the focus, so the keyboard never stays on the covered one.
// The keys typed for the twin before that are the twin's: a run keeps them waiting while it
// tests, and Space typed on Stop Test must not reach Start Test when the run ends.
class TwinButton : public Win32Control {
  public:
    // twin: the button in the same place; keyFilter: the window's own keys, as the message loop
    // handles them.
    void Pair(const TwinButton& twin, std::function<bool(MSG&)> keyFilter) {
        twin_ = &twin;
        keyFilter_ = std::move(keyFilter);
    }
    void BringToFront() override;

  private:
    bool TwinHasFocus() const { return twin_ && GetFocus() == twin_->hwnd(); }

    const TwinButton* twin_ = nullptr;
    std::function<bool(MSG&)> keyFilter_;
};

class DiagPageWindow : public PageWindow {
  public:
    // keyFilter is the window's own handling of a key, as the message loop applies it.
    void Build(HWND frame, int dpi, HFONT font, const std::function<bool(MSG&)>& keyFilter);
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
