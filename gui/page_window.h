// A page's controls, created from the page's layout table inside its frame. Each page window
// hands its controls to the portable page and routes the notifications of its own controls to
// that page's handlers; Form1Window offers every notification to each page window in turn.
#pragma once

#include "platform/win32/layout.h"

#include <span>

namespace talvex::win32 {

class PageWindow {
  public:
    virtual ~PageWindow() = default;

    // Creates the children of the page's table inside frame.
    void Create(HWND frame, std::span<const ChildLayout> layout, int dpi, HFONT font);
    // Moves and sizes every child of the page's table for a new DPI and gives it the font; a
    // page with fonts or pictures of its own renews them in OnRelayout.
    void Relayout(int dpi, HFONT font);
    // Runs each time before the main window is shown: what the page needs only to be seen (a
    // font to measure, for one) is made here rather than at start-up.
    virtual void BeforeShow() {}
    HWND Frame() const { return frame_; }
    HWND Child(int id) const { return GetDlgItem(frame_, id); }

    // True when the notification came from one of this page's controls and was handled;
    // OnNotify may set the message's result.
    virtual bool OnCommand(int /*id*/, int /*code*/) { return false; }
    virtual bool OnNotify(const NMHDR& /*header*/, LRESULT& /*result*/) { return false; }

  protected:
    virtual void OnRelayout(int /*dpi*/) {}

    HWND frame_ = nullptr;
    int dpi_ = 0;
    std::span<const ChildLayout> layout_;
};

} // namespace talvex::win32
