#include "platform/win32/win32_controls.h"

#include <string>

namespace talvex::win32 {
namespace {

int programmaticDepth = 0; // one user-interface thread

} // namespace

bool ProgramIsChangingControls() {
    return programmaticDepth > 0;
}
ProgrammaticChange::ProgrammaticChange() {
    ++programmaticDepth;
}
ProgrammaticChange::~ProgrammaticChange() {
    --programmaticDepth;
}

LRESULT Win32Control::Send(UINT message, WPARAM wParam, LPARAM lParam) const {
    return SendMessageA(hwnd_, message, wParam, lParam);
}

std::string Win32Control::Text() const {
    std::string text(static_cast<size_t>(GetWindowTextLengthA(hwnd_)) + 1, '\0');
    text.resize(
        static_cast<size_t>(GetWindowTextA(hwnd_, text.data(), static_cast<int>(text.size()))));
    return text;
}

void Win32Control::SetText(const std::string& text) {
    ProgrammaticChange change;
    SetWindowTextA(hwnd_, text.c_str());
}

bool Win32Control::Enabled() const {
    return IsWindowEnabled(hwnd_) != FALSE;
}

void Win32Control::SetEnabled(bool enabled) {
    ProgrammaticChange change;
    EnableWindow(hwnd_, enabled ? TRUE : FALSE);
}

void Win32Control::BringToFront() {
    SetWindowPos(hwnd_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

const ListMessages kListBoxMessages = {LB_ADDSTRING, LB_DELETESTRING, LB_GETCOUNT, LB_GETTEXTLEN,
                                       LB_GETTEXT,   LB_GETCURSEL,    LB_SETCURSEL};
const ListMessages kComboBoxMessages = {CB_ADDSTRING, CB_DELETESTRING, CB_GETCOUNT, CB_GETLBTEXTLEN,
                                        CB_GETLBTEXT, CB_GETCURSEL,    CB_SETCURSEL};

void Win32List::AddItem(const std::string& item) {
    ProgrammaticChange change;
    Send(messages_.add, 0, reinterpret_cast<LPARAM>(item.c_str()));
}

void Win32List::RemoveItem(int index) {
    ProgrammaticChange change;
    Send(messages_.remove, static_cast<WPARAM>(index));
}

int Win32List::ListCount() const {
    return static_cast<int>(Send(messages_.count));
}

std::string Win32List::List(int index) const {
    const LRESULT length = Send(messages_.textLength, static_cast<WPARAM>(index));
    if (length < 0) return {};
    std::string text(static_cast<size_t>(length) + 1, '\0');
    const LRESULT copied =
        Send(messages_.text, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
    text.resize(copied < 0 ? 0 : static_cast<size_t>(copied));
    return text;
}

int Win32List::ListIndex() const {
    return static_cast<int>(Send(messages_.getSelection));
}

void Win32List::SetListIndex(int index) {
    ProgrammaticChange change;
    Send(messages_.setSelection, static_cast<WPARAM>(index));
}

int Win32UpDown::Value() const {
    return static_cast<int>(Send(UDM_GETPOS32));
}

// The control clamps into its range itself.
void Win32UpDown::SetValue(int value) {
    ProgrammaticChange change;
    Send(UDM_SETPOS32, 0, value);
}

bool Win32TabStrip::TabSelected(int tab) const {
    return static_cast<int>(Send(TCM_GETCURSEL)) == tab - 1;
}

// --- The General and Support pages ---

bool Win32TextBox::HasBorder() const {
    return (GetWindowLongPtrA(hwnd(), GWL_STYLE) & WS_BORDER) ||
           (GetWindowLongPtrA(hwnd(), GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
}

// The frame changes only once the window is told to recompute it.
void Win32TextBox::RemoveBorder() {
    SetWindowLongPtrA(hwnd(), GWL_STYLE, GetWindowLongPtrA(hwnd(), GWL_STYLE) & ~WS_BORDER);
    SetWindowLongPtrA(hwnd(), GWL_EXSTYLE,
                      GetWindowLongPtrA(hwnd(), GWL_EXSTYLE) & ~WS_EX_CLIENTEDGE);
    SetWindowPos(hwnd(), nullptr, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

// --- end of the General and Support pages ---

std::string Win32MenuItem::Caption() const {
    char caption[256] = {};
    GetMenuStringA(menu_, id_, caption, sizeof caption, MF_BYCOMMAND);
    return caption;
}

// Only the text changes: the item keeps its default (bold) state.
void Win32MenuItem::SetCaption(const std::string& caption) {
    MENUITEMINFOA info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_STRING;
    info.dwTypeData = const_cast<char*>(caption.c_str());
    SetMenuItemInfoA(menu_, id_, FALSE, &info);
}

} // namespace talvex::win32
