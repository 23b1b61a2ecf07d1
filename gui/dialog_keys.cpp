#include "gui/dialog_keys.h"

#include "platform/win32/picture.h"

#include <algorithm>
#include <iterator>
#include <utility>

namespace talvex::win32 {
namespace {

LONG_PTR Style(HWND window) {
    return GetWindowLongPtrA(window, GWL_STYLE);
}

bool IsClass(HWND window, const char* name) {
    char found[32] = {};
    GetClassNameA(window, found, sizeof found);
    return lstrcmpiA(found, name) == 0;
}

bool IsPushButton(HWND control) {
    const LONG_PTR type = Style(control) & BS_TYPEMASK;
    return IsClass(control, "Button") && (type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON);
}

// A push button, or a picture or label that reports clicks (the Support page's flags).
bool IsClickable(HWND control) {
    return IsPushButton(control) ||
           ((IsClass(control, "Static") || IsClass(control, kPictureClassName)) &&
            (Style(control) & SS_NOTIFY));
}

// An open combo box list takes Enter and Escape, to close.
bool IsDroppedCombo(HWND control) {
    return control && IsClass(control, WC_COMBOBOXA) &&
           SendMessageA(control, CB_GETDROPPEDSTATE, 0, 0) != 0;
}

// The key goes to the combo box itself rather than to its edit field, which has the focus: the
// combo box closes its list on Enter (taking the highlighted entry) or on Escape.
void CloseList(HWND combo, const MSG& msg) {
    SendMessageA(combo, WM_KEYDOWN, msg.wParam, msg.lParam);
}

POINT TopLeft(HWND control) {
    RECT rect{};
    GetWindowRect(control, &rect);
    return {rect.left, rect.top};
}

// Reading order: by rows, then from left to right.
bool ReadsBefore(HWND a, HWND b) {
    const POINT pa = TopLeft(a), pb = TopLeft(b);
    return pa.y != pb.y ? pa.y < pb.y : pa.x < pb.x;
}

bool IsTabStop(HWND control) {
    return (Style(control) & WS_TABSTOP) && IsWindowVisible(control) && IsWindowEnabled(control) &&
           !IsCovered(control);
}

} // namespace

bool IsCovered(HWND control) {
    const POINT at = TopLeft(control);
    for (HWND above = GetWindow(control, GW_HWNDPREV); above;
         above = GetWindow(above, GW_HWNDPREV)) {
        const POINT other = TopLeft(above);
        if (IsWindowVisible(above) && other.x == at.x && other.y == at.y) return true;
    }
    return false;
}

HWND ControlHolding(HWND focus, const std::vector<HWND>& containers) {
    for (HWND control = focus; control; control = GetParent(control)) {
        const HWND parent = GetParent(control);
        if (std::find(containers.begin(), containers.end(), parent) != containers.end())
            return control;
    }
    return nullptr;
}

void FocusControl(HWND control) {
    SetFocus(control);
    if (SendMessageA(control, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL)
        SendMessageA(control, EM_SETSEL, 0, -1);
}

void ClickControl(HWND control) {
    SendMessageA(GetParent(control), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(control), BN_CLICKED),
                 reinterpret_cast<LPARAM>(control));
}

// A key goes to the control with the focus when it is read from the queue, not when it was
// typed. Key messages only: the rest waits for the message loop.
void HandleTypedKeys(const std::function<bool(MSG&)>& filter) {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, WM_KEYFIRST, WM_KEYLAST, PM_REMOVE)) {
        if (filter && filter(msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

std::vector<HWND> DialogKeys::TabStops() const {
    std::vector<HWND> stops;
    for (HWND container : w_.containers())
        for (HWND child = GetWindow(container, GW_CHILD); child;
             child = GetWindow(child, GW_HWNDNEXT))
            if (IsTabStop(child)) stops.push_back(child);
    std::stable_sort(stops.begin(), stops.end(), ReadsBefore);
    return stops;
}

// From a control that is no tab stop (a read-only box clicked with the mouse) Tab goes on from
// where that control lies in reading order.
void DialogKeys::Step(HWND from, bool backwards) {
    const std::vector<HWND> stops = TabStops();
    if (stops.empty()) return;
    const HWND at = ControlHolding(from, w_.containers());
    auto after = stops.begin(); // the first stop after the focus
    auto before = stops.end();  // just past the last stop before it
    if (at) {
        const auto same = std::find(stops.begin(), stops.end(), at);
        if (same != stops.end()) {
            after = same + 1;
            before = same;
        } else {
            after = before = std::upper_bound(stops.begin(), stops.end(), at, ReadsBefore);
        }
    }
    if (backwards) {
        FocusControl(before == stops.begin() ? stops.back() : *std::prev(before));
    } else {
        FocusControl(after == stops.end() ? stops.front() : *after);
    }
    // Keyboard use: focus marks are drawn from now on.
    SendMessageA(w_.window, WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS), 0);
}

bool DialogKeys::OnKeyDown(const MSG& msg) {
    if (msg.message != WM_KEYDOWN) return false;
    const bool ctrl = GetKeyState(VK_CONTROL) < 0;
    // The key is the control's it was typed into.
    const HWND focus = ControlHolding(msg.hwnd, w_.containers());
    switch (msg.wParam) {
    case VK_TAB:
        if (ctrl) return false;
        Step(msg.hwnd, GetKeyState(VK_SHIFT) < 0);
        return true;
    case VK_RETURN:
        if (IsDroppedCombo(focus)) {
            CloseList(focus, msg);
        } else if (focus && IsClickable(focus)) {
            ClickControl(focus);
        } else if (HWND button = GetDlgItem(w_.window, w_.defaultButtonId);
                   button && IsWindowEnabled(button)) {
            ClickControl(button);
        }
        return true;
    case VK_SPACE:
        // A button takes Space itself; a flag is clicked here.
        if (!focus || !IsClickable(focus) || IsPushButton(focus)) return false;
        ClickControl(focus);
        return true;
    case VK_ESCAPE:
        if (IsDroppedCombo(focus)) {
            CloseList(focus, msg);
        } else {
            w_.escape();
        }
        return true;
    }
    return false;
}

void DialogKeys::ShowDefaultBorder(HWND focus) const {
    const HWND control = ControlHolding(focus, w_.containers());
    const HWND chosen =
        control && IsPushButton(control) ? control : GetDlgItem(w_.window, w_.defaultButtonId);
    EnumChildWindows(
        w_.window,
        [](HWND child, LPARAM param) -> BOOL {
            if (!IsPushButton(child)) return TRUE;
            const DWORD wanted =
                child == reinterpret_cast<HWND>(param) ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
            if (static_cast<DWORD>(Style(child) & BS_TYPEMASK) != wanted)
                SendMessageA(child, BM_SETSTYLE, wanted, TRUE);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(chosen));
}

} // namespace talvex::win32
