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

// Its own flag: IsWindowVisible would say hidden for every control of a hidden window.
bool Win32Control::Visible() const {
    return (GetWindowLongPtrA(hwnd_, GWL_STYLE) & WS_VISIBLE) != 0;
}

void Win32Control::SetVisible(bool visible) {
    ShowWindow(hwnd_, visible ? SW_SHOWNA : SW_HIDE);
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

// --- Diagnostics ---

void Win32ListView::SetUp(std::initializer_list<std::pair<const char*, int>> columns) {
    constexpr DWORD kExStyle = LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT;
    constexpr int kTipWidth = 320; // pixels; longer tips wrap
    Send(LVM_SETEXTENDEDLISTVIEWSTYLE, kExStyle, kExStyle);
    tips_.reset(CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr,
                                TTS_ALWAYSTIP | TTS_NOPREFIX, 0, 0, 0, 0, hwnd(), nullptr,
                                GetModuleHandleA(nullptr), nullptr));
    SendMessageA(tips_.get(), TTM_SETMAXTIPWIDTH, 0, kTipWidth);
    SendMessageA(tips_.get(), TTM_SETDELAYTIME, TTDT_AUTOPOP, 30000);
    columns_ = 0;
    for (const auto& [caption, width] : columns) {
        LVCOLUMNA column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH;
        column.pszText = const_cast<char*>(caption);
        column.cx = width;
        Send(LVM_INSERTCOLUMNA, static_cast<WPARAM>(columns_++), reinterpret_cast<LPARAM>(&column));
    }
}

Win32ListView::Item* Win32ListView::Find(int item) {
    return (item >= 1 && item <= static_cast<int>(items_.size()))
               ? &items_[static_cast<size_t>(item - 1)]
               : nullptr;
}

const Win32ListView::Item* Win32ListView::Find(int item) const {
    return const_cast<Win32ListView*>(this)->Find(item);
}

void Win32ListView::AddItem(const std::string& caption, bool checked) {
    ProgrammaticChange change;
    LVITEMA row{};
    row.mask = LVIF_TEXT;
    row.iItem = static_cast<int>(items_.size());
    row.pszText = const_cast<char*>(caption.c_str());
    if (Send(LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&row)) < 0) return;
    items_.push_back({});
    SetChecked(static_cast<int>(items_.size()), checked);
    TTTOOLINFOA tool{};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_SUBCLASS;
    tool.hwnd = hwnd();
    tool.uId = items_.size();
    tool.lpszText = const_cast<char*>("");
    SendMessageA(tips_.get(), TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
    ShowTip(static_cast<int>(items_.size()));
}

int Win32ListView::ItemCount() const {
    return static_cast<int>(items_.size());
}

std::string Win32ListView::ItemText(int item) const {
    if (!Find(item)) return "";
    char text[256] = {};
    LVITEMA row{};
    row.pszText = text;
    row.cchTextMax = sizeof text;
    Send(LVM_GETITEMTEXTA, static_cast<WPARAM>(item - 1), reinterpret_cast<LPARAM>(&row));
    return text;
}

// The state image holds the checkbox: 1 unchecked, 2 checked.
bool Win32ListView::Checked(int item) const {
    if (!Find(item)) return false;
    return (Send(LVM_GETITEMSTATE, static_cast<WPARAM>(item - 1), LVIS_STATEIMAGEMASK) >> 12) == 2;
}

void Win32ListView::SetChecked(int item, bool checked) {
    if (!Find(item)) return;
    ProgrammaticChange change;
    LVITEMA state{};
    state.stateMask = LVIS_STATEIMAGEMASK;
    state.state = INDEXTOSTATEIMAGEMASK(checked ? 2 : 1);
    Send(LVM_SETITEMSTATE, static_cast<WPARAM>(item - 1), reinterpret_cast<LPARAM>(&state));
}

int Win32ListView::SubItemCount(int item) const {
    const Item* found = Find(item);
    return found ? static_cast<int>(found->subItems.size()) : 0;
}

std::string Win32ListView::SubItem(int item, int subItem) const {
    const Item* found = Find(item);
    if (!found || subItem < 1 || subItem > static_cast<int>(found->subItems.size())) return "";
    return found->subItems[static_cast<size_t>(subItem - 1)];
}

void Win32ListView::ClearSubItems(int item) {
    if (Item* found = Find(item)) found->subItems.clear();
    ShowSubItems(item);
}

void Win32ListView::RemoveSubItem(int item, int subItem) {
    Item* found = Find(item);
    if (!found || subItem < 1 || subItem > static_cast<int>(found->subItems.size())) return;
    found->subItems.erase(found->subItems.begin() + (subItem - 1));
    ShowSubItems(item);
}

void Win32ListView::AddSubItem(int item, const std::string& text) {
    if (Item* found = Find(item)) found->subItems.push_back(text.substr(0, text.find('\0')));
    ShowSubItems(item);
}

// Column c shows sub-item c; a column past the last sub-item is empty.
void Win32ListView::ShowSubItems(int item) {
    const Item* found = Find(item);
    if (!found) return;
    ProgrammaticChange change;
    for (int column = 1; column < columns_; ++column) {
        const std::string text = SubItem(item, column);
        LVITEMA cell{};
        cell.iSubItem = column;
        cell.pszText = const_cast<char*>(text.c_str());
        Send(LVM_SETITEMTEXTA, static_cast<WPARAM>(item - 1), reinterpret_cast<LPARAM>(&cell));
    }
}

std::string Win32ListView::InfoTip(int item) const {
    const Item* found = Find(item);
    return found ? found->tip : "";
}

void Win32ListView::SetInfoTip(int item, const std::string& tip) {
    if (Item* found = Find(item)) found->tip = tip.substr(0, tip.find('\0'));
    ShowTip(item);
}

// The tool covers the item's row as it lies now, so a re-laid-out list keeps its tips in place;
// an empty text shows no tip.
void Win32ListView::ShowTip(int item) {
    const Item* found = Find(item);
    if (!found || !tips_) return;
    TTTOOLINFOA tool{};
    tool.cbSize = sizeof tool;
    tool.hwnd = hwnd();
    tool.uId = static_cast<UINT_PTR>(item);
    tool.rect.left = LVIR_BOUNDS;
    Send(LVM_GETITEMRECT, static_cast<WPARAM>(item - 1), reinterpret_cast<LPARAM>(&tool.rect));
    SendMessageA(tips_.get(), TTM_NEWTOOLRECTA, 0, reinterpret_cast<LPARAM>(&tool));
    tool.lpszText = const_cast<char*>(found->tip.c_str());
    SendMessageA(tips_.get(), TTM_UPDATETIPTEXTA, 0, reinterpret_cast<LPARAM>(&tool));
}

void Win32ListView::Refresh() {
    RedrawWindow(hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
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
