// Tab, Enter and Escape in a window of controls, as in a dialog: the program's windows keep
// covered controls (pages behind the front one, twins sharing a rectangle) visible, so the
// system's own tab walk would reach them; this one never does.
#pragma once

#include "platform/win32/win32.h"

#include <functional>
#include <vector>

namespace talvex::win32 {

// A control lying under a sibling at its own position, which shows in its place.
bool IsCovered(HWND control);
// The child of one of containers that holds focus (a combo box for its edit field), or null.
HWND ControlHolding(HWND focus, const std::vector<HWND>& containers);
// Focus by keyboard: an edit field's text is selected, as a dialog does.
void FocusControl(HWND control);
// A click as the control's parent sees it: BN_CLICKED, which is STN_CLICKED for a static.
void ClickControl(HWND control);
// The keys already typed, through filter (the window's own keys) and on to the focus: handled
// now, before the program moves the focus, they reach the control they were typed into.
void HandleTypedKeys(const std::function<bool(MSG&)>& filter);

class DialogKeys {
  public:
    struct Window {
        HWND window;
        // Those whose children Tab visits now (the window, the front page).
        std::function<std::vector<HWND>()> containers;
        int defaultButtonId; // pressed by Enter unless a focused button takes it
        std::function<void()> escape;
    };
    explicit DialogKeys(Window window) : w_(std::move(window)) {}

    // The visible, enabled, uncovered tab stops, in reading order.
    std::vector<HWND> TabStops() const;
    // Tab, Shift+Tab, Enter and Escape; false for any other message.
    bool OnKeyDown(const MSG& msg);
    // The default border goes to the focused push button, else to the default button.
    void ShowDefaultBorder(HWND focus) const;

  private:
    void Step(HWND from, bool backwards);
    Window w_;
};

} // namespace talvex::win32
