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

// --- Driver settings pages ---

int Win32CheckBox::Value() const {
    switch (Send(BM_GETCHECK)) {
    case BST_CHECKED: return 1;
    case BST_INDETERMINATE: return 2;
    default: return 0;
    }
}

void Win32CheckBox::SetValue(int value) {
    ProgrammaticChange change;
    const WPARAM state = value == 1 ? BST_CHECKED : value == 2 ? BST_INDETERMINATE : BST_UNCHECKED;
    Send(BM_SETCHECK, state);
}

void Win32CheckBox::Click() {
    SetValue(Value() == 0 ? 1 : 0);
}

Win32TextBox::~Win32TextBox() {
    if (subclassed_ && IsWindow(hwnd())) RemoveWindowSubclass(hwnd(), EditProc, 1);
}

void Win32TextBox::Subclass(KeyFilter filter, bool fixedText) {
    filter_ = std::move(filter);
    fixedText_ = fixedText;
    subclassed_ = SetWindowSubclass(hwnd(), EditProc, 1, reinterpret_cast<DWORD_PTR>(this));
}

bool Win32TextBox::ReadOnly() const {
    return (GetWindowLongPtrA(hwnd(), GWL_STYLE) & ES_READONLY) != 0;
}

TOOLINFOA Win32TextBox::Tool() const {
    TOOLINFOA tool{};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_IDISHWND | TTF_TRACK | TTF_ABSOLUTE;
    tool.hwnd = GetAncestor(hwnd(), GA_ROOT);
    tool.uId = reinterpret_cast<UINT_PTR>(hwnd());
    return tool;
}

// The tip points at the middle of the box's lower edge.
void Win32TextBox::ShowBalloonTip(const std::string& title, const std::string& text) {
    if (!tooltip_) {
        tooltip_.reset(CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr,
                                       WS_POPUP | TTS_BALLOON | TTS_NOPREFIX | TTS_ALWAYSTIP, 0, 0,
                                       0, 0, GetAncestor(hwnd(), GA_ROOT), nullptr,
                                       GetModuleHandleA(nullptr), nullptr));
        if (!tooltip_) return;
        TOOLINFOA tool = Tool();
        tool.lpszText = const_cast<char*>("");
        SendMessageA(tooltip_.get(), TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
        SendMessageA(tooltip_.get(), TTM_SETMAXTIPWIDTH, 0, 300);
    }
    TOOLINFOA tool = Tool();
    tool.lpszText = const_cast<char*>(text.c_str());
    SendMessageA(tooltip_.get(), TTM_UPDATETIPTEXTA, 0, reinterpret_cast<LPARAM>(&tool));
    SendMessageA(tooltip_.get(), TTM_SETTITLEA, TTI_WARNING,
                 reinterpret_cast<LPARAM>(title.c_str()));
    RECT box{};
    GetWindowRect(hwnd(), &box);
    SendMessageA(tooltip_.get(), TTM_TRACKPOSITION, 0,
                 MAKELPARAM((box.left + box.right) / 2, box.bottom));
    SendMessageA(tooltip_.get(), TTM_TRACKACTIVATE, TRUE, reinterpret_cast<LPARAM>(&tool));
}

void Win32TextBox::HideBalloonTip() {
    if (!tooltip_) return;
    TOOLINFOA tool = Tool();
    SendMessageA(tooltip_.get(), TTM_TRACKACTIVATE, FALSE, reinterpret_cast<LPARAM>(&tool));
}

LRESULT CALLBACK Win32TextBox::EditProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                        UINT_PTR, DWORD_PTR self) {
    auto* box = reinterpret_cast<Win32TextBox*>(self);
    switch (message) {
    case WM_CHAR:
        if (box->filter_) {
            int key = static_cast<int>(wParam);
            box->filter_(key);
            if (key == 0) return 0;
            wParam = static_cast<WPARAM>(key);
        }
        break;
    case WM_KILLFOCUS: box->HideBalloonTip(); break;
    case WM_PASTE:
    case WM_CUT:
    case WM_CLEAR:
    case WM_UNDO:
        if (box->fixedText_) return 0;
        break;
    case WM_KEYDOWN:
        if (box->fixedText_ && wParam == VK_DELETE) return 0;
        break;
    }
    return DefSubclassProc(hwnd, message, wParam, lParam);
}

bool Win32TabStrip::TabSelected(int tab) const {
    return static_cast<int>(Send(TCM_GETCURSEL)) == tab - 1;
}

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
