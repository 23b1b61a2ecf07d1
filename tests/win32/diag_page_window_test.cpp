// The Diagnostic page's Win32 layer under Wine: the list view's columns, checkboxes and info tips,
// the spin control, the shared rectangle of Start and Stop, reaching the page, and the guard
// around the hardware library.
#include "platform/memory/memory_registry.h"
#include "platform/memory/memory_services.h"
#include "platform/win32/form1_window.h"
#include "platform/win32/hardware_guard.h"
#include "shell/form1.h"

#include <gtest/gtest.h>

#include <array>

namespace talvex::win32 {
namespace {

class DiagPageWindowTest : public testing::Test {
  protected:
    DiagPageWindowTest() {
        const std::string card = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\NetworkCards\\1";
        registry.SeedString(kHKeyLocalMachine, card, "Title", "Talvex Adapter");
        registry.SeedString(kHKeyLocalMachine, card, "ProductName", "TVR8Q");
        registry.SeedString(kHKeyLocalMachine, card, "ServiceName", "TVR8Q1");
        window.Attach(form);
        form.InitializeWindow();
    }

    HWND Main() const { return reinterpret_cast<HWND>(window.hWnd()); }
    HWND Page() const { return FindWindowExA(Main(), nullptr, kPageClassName, "Diagnostic"); }
    HWND Child(const char* className, const char* text = nullptr) const {
        return FindWindowExA(Page(), nullptr, className, text);
    }
    HWND List() const { return Child(WC_LISTVIEWA); }
    static std::string WindowText(HWND hwnd) {
        char text[64] = {};
        GetWindowTextA(hwnd, text, sizeof text);
        return text;
    }
    std::string Cell(int row, int column) const {
        char text[64] = {};
        LVITEMA item{};
        item.iSubItem = column;
        item.pszText = text;
        item.cchTextMax = sizeof text;
        SendMessageA(List(), LVM_GETITEMTEXTA, static_cast<WPARAM>(row),
                     reinterpret_cast<LPARAM>(&item));
        return text;
    }
    // The control a click in the middle of the buttons' rectangle reaches.
    HWND ButtonUnderClick() const {
        RECT rect{};
        GetWindowRect(Child("Button", "Start Test"), &rect);
        POINT at{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
        ScreenToClient(Page(), &at);
        return ChildWindowFromPointEx(Page(), at, CWP_SKIPINVISIBLE);
    }
    std::string FrontPage() const {
        for (HWND child = GetWindow(Main(), GW_CHILD); child;
             child = GetWindow(child, GW_HWNDNEXT)) {
            char name[64] = {}, text[64] = {};
            GetClassNameA(child, name, sizeof name);
            GetWindowTextA(child, text, sizeof text);
            if (std::string(name) == kPageClassName) return text;
        }
        return "";
    }

    MemoryRegistry registry;
    MemoryServices services;
    Form1Window window;
    Form1Controls controls = window.Controls();
    Form1 form{controls, services, registry};
};

TEST_F(DiagPageWindowTest, ListShowsSubItemsInTheirColumnsAndChecksRaiseOnlyUserEvents) {
    ListView& list = *controls.diag.lvwBasicDiag;
    ASSERT_EQ(list.ItemCount(), 3);
    EXPECT_EQ(Cell(0, 0), "Register Test");
    EXPECT_EQ(Cell(1, 0), "SROM Test");
    EXPECT_EQ(Cell(2, 0), "Cable Test");
    const LONG style = GetWindowLongA(List(), GWL_STYLE);
    EXPECT_EQ(style & LVS_TYPEMASK, LVS_REPORT);
    const LRESULT exStyle = SendMessageA(List(), LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0);
    EXPECT_TRUE(exStyle & LVS_EX_CHECKBOXES);

    list.AddSubItem(2, "Testing...");
    EXPECT_EQ(Cell(1, 1), "Testing...");
    list.RemoveSubItem(2, 1);
    list.AddSubItem(2, "");
    list.AddSubItem(2, "Pass");
    EXPECT_EQ(Cell(1, 1), "");
    EXPECT_EQ(Cell(1, 2), "Pass");
    list.ClearSubItems(2);
    EXPECT_EQ(Cell(1, 2), "");

    // A program change raises nothing; the user's check runs the handler, which disables Start
    // Test once nothing is checked.
    for (int item = 2; item <= 3; ++item)
        list.SetChecked(item, false);
    HWND start = Child("Button", "Start Test");
    EXPECT_TRUE(IsWindowEnabled(start));
    EXPECT_FALSE(list.Checked(2));
    LVITEMA state{};
    state.stateMask = LVIS_STATEIMAGEMASK;
    state.state = INDEXTOSTATEIMAGEMASK(1);
    SendMessageA(List(), LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(&state));
    EXPECT_FALSE(IsWindowEnabled(start));
    state.state = INDEXTOSTATEIMAGEMASK(2);
    SendMessageA(List(), LVM_SETITEMSTATE, 2, reinterpret_cast<LPARAM>(&state));
    EXPECT_TRUE(list.Checked(3));
    EXPECT_TRUE(IsWindowEnabled(start));
}

TEST_F(DiagPageWindowTest, EachItemsRowCarriesItsTipAndAnUntestedItemNone) {
    controls.diag.lvwBasicDiag->SetInfoTip(3, "Cable status 05: bit 7 is clear");
    std::array<HWND, 1> found{};
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND hwnd, LPARAM param) -> BOOL {
            auto* out = reinterpret_cast<std::array<HWND, 1>*>(param);
            char name[64] = {};
            GetClassNameA(hwnd, name, sizeof name);
            // The list's tooltip has a tool for each of the three items.
            if (std::string(name) == TOOLTIPS_CLASSA &&
                SendMessageA(hwnd, TTM_GETTOOLCOUNT, 0, 0) == 3)
                (*out)[0] = hwnd;
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    HWND tips = found[0]; // the list's own tooltip control
    ASSERT_NE(tips, nullptr);
    auto tipOf = [&](int item) {
        char text[128] = {};
        TTTOOLINFOA tool{};
        tool.cbSize = sizeof tool;
        tool.hwnd = List();
        tool.uId = static_cast<UINT_PTR>(item);
        tool.lpszText = text;
        SendMessageA(tips, TTM_GETTEXTA, sizeof text, reinterpret_cast<LPARAM>(&tool));
        RECT row{LVIR_BOUNDS, 0, 0, 0};
        SendMessageA(List(), LVM_GETITEMRECT, static_cast<WPARAM>(item - 1),
                     reinterpret_cast<LPARAM>(&row));
        SendMessageA(tips, TTM_GETTOOLINFOA, 0, reinterpret_cast<LPARAM>(&tool));
        EXPECT_TRUE(EqualRect(&row, &tool.rect)) << item;
        return std::string(text);
    };
    EXPECT_EQ(tipOf(3), "Cable status 05: bit 7 is clear");
    EXPECT_EQ(tipOf(1), "");
    controls.diag.lvwBasicDiag->SetInfoTip(3, "");
    EXPECT_EQ(tipOf(3), "");
}

TEST_F(DiagPageWindowTest, SpinWritesTheCountAndStaysWithinOneToFifty) {
    HWND spin = Child(UPDOWN_CLASSA);
    HWND count = nullptr;
    for (HWND child = GetWindow(Page(), GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (GetDlgCtrlID(child) == GetDlgCtrlID(spin) - 1) count = child;
    }
    ASSERT_NE(count, nullptr);
    EXPECT_EQ(WindowText(count), "1");
    EXPECT_TRUE(GetWindowLongA(count, GWL_STYLE) & ES_READONLY);
    auto press = [&](int delta) {
        NMUPDOWN change{};
        change.hdr = {spin, static_cast<UINT_PTR>(GetDlgCtrlID(spin)),
                      static_cast<UINT>(UDN_DELTAPOS)};
        change.iPos = static_cast<int>(SendMessageA(spin, UDM_GETPOS32, 0, 0));
        change.iDelta = delta;
        SendMessageA(Main(), WM_NOTIFY, change.hdr.idFrom, reinterpret_cast<LPARAM>(&change));
    };
    press(+1);
    EXPECT_EQ(controls.diag.txtTotalTestCount->Text(), "2");
    for (int i = 0; i < 60; ++i)
        press(+1);
    EXPECT_EQ(controls.diag.txtTotalTestCount->Text(), "50");
    for (int i = 0; i < 60; ++i)
        press(-1);
    EXPECT_EQ(controls.diag.txtTotalTestCount->Text(), "1");
}

TEST_F(DiagPageWindowTest, StartAndStopShareOneRectangleAndTheFrontOneTakesTheClick) {
    HWND start = Child("Button", "Start Test");
    HWND stop = Child("Button", "Stop Test");
    RECT a{}, b{};
    GetWindowRect(start, &a);
    GetWindowRect(stop, &b);
    EXPECT_TRUE(EqualRect(&a, &b));
    EXPECT_EQ(ButtonUnderClick(), start);
    controls.diag.cbStopBasicDiagTest->BringToFront();
    EXPECT_EQ(ButtonUnderClick(), stop);
    EXPECT_TRUE(GetWindowLongA(start, GWL_STYLE) & WS_VISIBLE);
    EXPECT_TRUE(IsWindowEnabled(start));
}

TEST_F(DiagPageWindowTest, ShortcutBringsThePageAndAClickOnTheSelectedTabTakesItBack) {
    MSG key{Main(), WM_KEYDOWN, 'D', 0, 0, {}};
    EXPECT_FALSE(window.PreTranslate(key) && FrontPage() == "Diagnostic"); // no Ctrl+Shift
    BYTE keys[256] = {};
    GetKeyboardState(keys);
    keys[VK_CONTROL] = keys[VK_SHIFT] = 0x80;
    SetKeyboardState(keys);
    EXPECT_TRUE(window.PreTranslate(key));
    keys[VK_CONTROL] = keys[VK_SHIFT] = 0;
    SetKeyboardState(keys);
    EXPECT_EQ(FrontPage(), "Diagnostic");

    HWND tabs = FindWindowExA(Main(), nullptr, WC_TABCONTROLA, nullptr);
    RECT tab{};
    SendMessageA(tabs, TCM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&tab));
    const LPARAM at = MAKELPARAM((tab.left + tab.right) / 2, (tab.top + tab.bottom) / 2);
    SendMessageA(tabs, WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageA(tabs, WM_LBUTTONUP, 0, at);
    EXPECT_EQ(FrontPage(), "General");
}

TEST(HardwareGuard, AFaultInsideTheCallEndsTheCallAndTheProgramGoesOn) {
    int reached = 0;
    EXPECT_FALSE(GuardedHardwareCall([&] {
        ++reached;
        volatile uintptr_t wild = 0x10;
        static_cast<void>(*reinterpret_cast<volatile const int*>(wild));
        ++reached;
    }));
    EXPECT_EQ(reached, 1);
    EXPECT_FALSE(GuardedHardwareCall([] { RaiseException(0xE0001234, 0, 0, nullptr); }));
    EXPECT_TRUE(GuardedHardwareCall([&] { ++reached; }));
    EXPECT_EQ(reached, 2);
    // A debugger notice is no fault: the call goes on.
    EXPECT_TRUE(GuardedHardwareCall([] { OutputDebugStringA("guarded\n"); }));
}

} // namespace
} // namespace talvex::win32
