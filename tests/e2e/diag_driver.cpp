#include "tests/e2e/diag_driver.h"

#include "gui/form1_window.h"

#include <utility>

namespace talvex::e2e {

void SeedBaseAddress(const std::string& service, DWORD base) {
    const std::string path = R"(SYSTEM\CurrentControlSet\Services\)" + service + R"(\Parameters)";
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                        &key, nullptr) != ERROR_SUCCESS)
        return;
    if (base != 0)
        RegSetValueExA(key, "BaseAddress", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&base),
                       sizeof base);
    else
        RegDeleteValueA(key, "BaseAddress");
    RegCloseKey(key);
}

namespace {

// Real key strokes, as the keyboard gives them to the window in the foreground.
void PressShortcut(WORD key) {
    INPUT inputs[6] = {};
    const WORD keys[] = {VK_CONTROL, VK_SHIFT, key};
    for (int i = 0; i < 3; ++i) {
        inputs[i].type = inputs[5 - i].type = INPUT_KEYBOARD;
        inputs[i].ki.wVk = inputs[5 - i].ki.wVk = keys[i];
        inputs[5 - i].ki.dwFlags = KEYEVENTF_KEYUP;
    }
    SendInput(6, inputs, sizeof(INPUT));
}

} // namespace

bool DiagDriver::Reach() {
    if (!IsWindowVisible(main_)) TrayClick(main_, WM_LBUTTONUP);
    if (!WaitUntil([&] { return IsWindowVisible(main_) != FALSE; })) return false;
    SetForegroundWindow(main_);
    WaitUntil([&] { return GetForegroundWindow() == main_; }, 2s);
    PressShortcut('D');
    return WaitUntil([&] { return FrontPage() == "Diagnostic"; });
}

std::string DiagDriver::FrontPage() const {
    auto pages = ChildrenInZOrder(main_, win32::kPageClassName);
    return pages.empty() ? "" : WindowText(pages.front());
}

// Found by its caption once, while the program answers at once.
HWND DiagDriver::Page() const {
    if (!page_) page_ = ChildWithText(main_, win32::kPageClassName, "Diagnostic");
    return page_;
}

// The page's controls of one class, in creation order.
HWND DiagDriver::Child(const char* className, int index) const {
    HWND child = nullptr;
    for (int i = 0; i <= index; ++i)
        child = FindWindowExA(Page(), child, className, nullptr);
    return child;
}

// The item and its text are read in the program's own memory.
std::string DiagDriver::Cell(int item, int column) const {
    struct Remote {
        LVITEMA item;
        char text[128];
    };
    auto* remote = static_cast<Remote*>(
        VirtualAllocEx(process_, nullptr, sizeof(Remote), MEM_COMMIT, PAGE_READWRITE));
    if (!remote) return "?";
    Remote local{};
    local.item.iSubItem = column;
    local.item.pszText = remote->text;
    local.item.cchTextMax = sizeof local.text;
    WriteProcessMemory(process_, remote, &local, sizeof local, nullptr);
    SendMessageA(List(), LVM_GETITEMTEXTA, static_cast<WPARAM>(item - 1),
                 reinterpret_cast<LPARAM>(&remote->item));
    ReadProcessMemory(process_, remote, &local, sizeof local, nullptr);
    VirtualFreeEx(process_, remote, 0, MEM_RELEASE);
    local.text[sizeof local.text - 1] = '\0';
    return local.text;
}

std::string DiagDriver::Results() const {
    std::string results;
    for (int item = 1; item <= 3; ++item) {
        if (item > 1) results += ' ';
        results.append(Cell(item, 1)).append(1, '|').append(Cell(item, 2));
    }
    return results;
}

bool DiagDriver::Checked(int item) const {
    return (SendMessageA(List(), LVM_GETITEMSTATE, static_cast<WPARAM>(item - 1),
                         LVIS_STATEIMAGEMASK) >>
            12) == 2;
}

void DiagDriver::SetChecked(int item, bool checked) const {
    auto* remote = static_cast<LVITEMA*>(
        VirtualAllocEx(process_, nullptr, sizeof(LVITEMA), MEM_COMMIT, PAGE_READWRITE));
    if (!remote) return;
    LVITEMA state{};
    state.stateMask = LVIS_STATEIMAGEMASK;
    state.state = INDEXTOSTATEIMAGEMASK(checked ? 2 : 1);
    WriteProcessMemory(process_, remote, &state, sizeof state, nullptr);
    SendMessageA(List(), LVM_SETITEMSTATE, static_cast<WPARAM>(item - 1),
                 reinterpret_cast<LPARAM>(remote));
    VirtualFreeEx(process_, remote, 0, MEM_RELEASE);
}

std::string DiagDriver::HoverTip(int item) const {
    auto* remote = static_cast<RECT*>(
        VirtualAllocEx(process_, nullptr, sizeof(RECT), MEM_COMMIT, PAGE_READWRITE));
    if (!remote) return "";
    RECT row{LVIR_BOUNDS, 0, 0, 0};
    WriteProcessMemory(process_, remote, &row, sizeof row, nullptr);
    SendMessageA(List(), LVM_GETITEMRECT, static_cast<WPARAM>(item - 1),
                 reinterpret_cast<LPARAM>(remote));
    ReadProcessMemory(process_, remote, &row, sizeof row, nullptr);
    VirtualFreeEx(process_, remote, 0, MEM_RELEASE);
    POINT at{row.left + 20, (row.top + row.bottom) / 2};
    ClientToScreen(List(), &at);
    // A small move within the row, as a resting hand makes, lets the tooltip see the pointer.
    SetCursorPos(at.x, at.y);
    SetCursorPos(at.x + 2, at.y);
    DWORD pid = 0;
    GetWindowThreadProcessId(main_, &pid);
    std::string tip;
    WaitUntil(
        [&] {
            for (HWND w = nullptr; (w = FindWindowExA(nullptr, w, TOOLTIPS_CLASSA, nullptr));) {
                DWORD owner = 0;
                GetWindowThreadProcessId(w, &owner);
                if (owner == pid && IsWindowVisible(w) && !(tip = WindowText(w)).empty())
                    return true;
            }
            return false;
        },
        5s);
    return tip;
}

std::string DiagDriver::Count() const {
    return WindowText(Child("Edit", 0));
}
std::string DiagDriver::CurrentCount() const {
    return WindowText(Child("Edit", 1));
}
std::string DiagDriver::Address() const {
    return WindowText(Child("Edit", 2));
}

// A click on the upper arrow.
void DiagDriver::SpinUp() const {
    HWND spin = Child(UPDOWN_CLASSA);
    RECT rect{};
    GetClientRect(spin, &rect);
    const LPARAM at = MAKELPARAM(rect.right / 2, rect.bottom / 4);
    PostMessageA(spin, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageA(spin, WM_LBUTTONUP, 0, at);
}

// During a run the program answers messages only between its tests, so the buttons are told
// apart by their ids (Start Test was made first) and the click by the z-order, neither of which
// needs an answer from the program.
std::pair<HWND, HWND> DiagDriver::StartAndStop() const {
    HWND first = Child("Button", 0), second = Child("Button", 1);
    if (GetDlgCtrlID(first) > GetDlgCtrlID(second)) std::swap(first, second);
    return {first, second};
}

HWND DiagDriver::FrontButtonWindow() const {
    RECT rect{};
    GetWindowRect(StartAndStop().first, &rect);
    POINT at{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
    ScreenToClient(Page(), &at);
    return ChildWindowFromPointEx(Page(), at, CWP_SKIPINVISIBLE);
}

std::string DiagDriver::FrontButton() const {
    const auto [start, stop] = StartAndStop();
    HWND front = FrontButtonWindow();
    return front == start ? "Start Test" : front == stop ? "Stop Test" : "";
}

void DiagDriver::ClickFrontButton() const {
    if (HWND front = FrontButtonWindow()) PostMessageA(front, BM_CLICK, 0, 0);
}

HWND DiagDriver::WaitForMessage(const std::string& text) const {
    DWORD pid = 0;
    GetWindowThreadProcessId(main_, &pid);
    HWND found = nullptr;
    WaitUntil([&] {
        for (HWND box = nullptr;
             (box = FindWindowExA(nullptr, box, "#32770", "Talvex Adapter Configuration"));) {
            DWORD owner = 0;
            GetWindowThreadProcessId(box, &owner);
            if (owner == pid && ChildWithText(box, "Static", text)) return (found = box) != nullptr;
        }
        return false;
    });
    return found;
}

bool DiagDriver::WaitForRun() const {
    return WaitUntil([&] { return FrontButton() == "Stop Test" || !Cell(1, 2).empty(); });
}

bool DiagDriver::WaitForBusy() const {
    return WaitUntil([&] {
        DWORD_PTR answer = 0;
        return SendMessageTimeoutA(main_, WM_NULL, 0, 0, SMTO_NORMAL, 100, &answer) == 0;
    });
}

bool DiagDriver::WaitForIdle(std::chrono::milliseconds timeout) const {
    return WaitUntil([&] { return FrontButton() == "Start Test"; }, timeout);
}

} // namespace talvex::e2e
