// Form1Window and the keyboard: the main loop's key translation, the tab shortcuts, and where
// the focus goes as pages come and go. Tab, Enter and Escape themselves are DialogKeys'.
#include "gui/form1_window.h"

#include <algorithm>
#include <iterator>

namespace talvex::win32 {
namespace {

// Keys that select the next or previous tab as a click on it would: anywhere in the window with
// Ctrl, wrapping round; on the focused tab strip the arrow keys, stopping at either end.
struct TabKey {
    WPARAM key;
    bool ctrl;
    int shift; // 0 not pressed, 1 pressed, -1 either
    int step;
    bool onTabStrip;
};
constexpr TabKey kTabKeys[] = {
    {VK_TAB, true, 0, 1, false},     {VK_TAB, true, 1, -1, false},   {VK_NEXT, true, -1, 1, false},
    {VK_PRIOR, true, -1, -1, false}, {VK_RIGHT, false, -1, 1, true}, {VK_DOWN, false, -1, 1, true},
    {VK_LEFT, false, -1, -1, true},  {VK_UP, false, -1, -1, true},
};

} // namespace

bool Form1Window::PreTranslate(MSG& msg) {
    if (!form_ || !keys_ || !IsWindow(hwnd_) || (msg.hwnd != hwnd_ && !IsChild(hwnd_, msg.hwnd)))
        return false;
    TrackFocus();
    if (msg.message != WM_KEYDOWN) return false;
    bool handled = true;
    if (IsDiagnosticShortcut(msg)) {
        form_->ShowDiagnosticPage();
        FocusFirstOnPage();
    } else {
        handled = OnTabKey(msg) || keys_->OnKeyDown(msg);
    }
    TrackFocus();
    return handled;
}

bool Form1Window::OnTabKey(const MSG& msg) {
    const bool ctrl = GetKeyState(VK_CONTROL) < 0;
    const int shift = GetKeyState(VK_SHIFT) < 0 ? 1 : 0;
    const bool onTabStrip = msg.hwnd == WyncorTabStrip_.hwnd();
    for (const TabKey& key : kTabKeys) {
        if (key.key != msg.wParam || key.ctrl != ctrl || (key.shift >= 0 && key.shift != shift) ||
            (key.onTabStrip && !onTabStrip))
            continue;
        SelectTab(key.step, !key.onTabStrip, !key.onTabStrip);
        return true;
    }
    return false;
}

// The tab's own handler runs, as for a click; the strip sends no notification for a selection
// the program makes.
void Form1Window::SelectTab(int step, bool wrap, bool focusPage) {
    const HWND tabs = WyncorTabStrip_.hwnd();
    int next = static_cast<int>(SendMessageA(tabs, TCM_GETCURSEL, 0, 0)) + step;
    const int count = static_cast<int>(SendMessageA(tabs, TCM_GETITEMCOUNT, 0, 0));
    if (wrap) next = (next + count) % count;
    if (next < 0 || next >= count) return;
    SendMessageA(tabs, TCM_SETCURSEL, static_cast<WPARAM>(next), 0);
    form_->WyncorTabStrip_Click();
    if (focusPage) FocusFirstOnPage();
}

// The page frame highest in the z-order is the one seen.
HWND Form1Window::FrontPage() const {
    const HWND frames[] = {frmGeneral_.hwnd(), frmAdvanced_.hwnd(), frmVLAN_.hwnd(),
                           frmSupport_.hwnd(), frmDiag_.hwnd()};
    for (HWND child = GetWindow(hwnd_, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        if (std::find(std::begin(frames), std::end(frames), child) != std::end(frames))
            return child;
    return nullptr;
}

// Tab visits the window's own controls and those of the front page; the pages behind it lie
// there too, visible, and are left out.
std::vector<HWND> Form1Window::KeyContainers() const {
    return {hwnd_, FrontPage()};
}

bool Form1Window::IsReachable(HWND focus) const {
    const HWND control = ControlHolding(focus, KeyContainers());
    return control && IsWindowVisible(control) && IsWindowEnabled(control) && !IsCovered(control);
}

// The page's first tab stop; a page without one (General) leaves the focus on the tab strip.
void Form1Window::FocusFirstOnPage() {
    const HWND page = FrontPage();
    for (HWND stop : keys_->TabStops()) {
        if (GetParent(stop) == page) {
            FocusControl(stop);
            return;
        }
    }
    FocusControl(WyncorTabStrip_.hwnd());
}

void Form1Window::RestoreFocus() {
    if (!keys_) return;
    if (lastFocus_ && IsWindow(lastFocus_) && IsReachable(lastFocus_)) {
        SetFocus(lastFocus_);
    } else {
        FocusFirstOnPage();
    }
    TrackFocus();
}

// The focus is followed as messages pass, and the default border with it. A control whose page
// went behind another (a click on a tab may leave the focus where it was) gives the focus up to
// the tab strip: a key would otherwise reach a control nobody sees.
void Form1Window::TrackFocus() {
    HWND focus = GetFocus();
    // A hidden window may keep its focus; it is the one it had when shown that counts.
    if (!keys_ || !focus || !IsChild(hwnd_, focus) || !IsWindowVisible(hwnd_)) return;
    if (!IsReachable(focus)) {
        FocusControl(WyncorTabStrip_.hwnd());
        focus = GetFocus();
    }
    if (focus == lastFocus_) return;
    lastFocus_ = focus;
    keys_->ShowDefaultBorder(focus);
}

// A window that is not a dialog would give the focus to itself on activation; it goes back to
// the control that had it instead.
LRESULT Form1Window::OnActivate(WPARAM wParam, LPARAM lParam) {
    if (!keys_) return DefWindowProcA(hwnd_, WM_ACTIVATE, wParam, lParam);
    if (LOWORD(wParam) == WA_INACTIVE) {
        TrackFocus();
    } else if (!IsIconic(hwnd_)) {
        RestoreFocus();
    }
    return 0;
}

// Ctrl+Shift+D pressed in the main window or any of its controls.
bool Form1Window::IsDiagnosticShortcut(const MSG& msg) const {
    return form_ && msg.message == WM_KEYDOWN && msg.wParam == 'D' && GetKeyState(VK_CONTROL) < 0 &&
           GetKeyState(VK_SHIFT) < 0 && IsWindow(hwnd_) &&
           (msg.hwnd == hwnd_ || IsChild(hwnd_, msg.hwnd));
}

} // namespace talvex::win32
