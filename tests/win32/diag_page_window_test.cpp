// The Diagnostic page's Win32 layer under Wine: the list view's columns and checkboxes, and the
// guard around the hardware library. What a user sees of the page is held by the end-to-end tests.
#include "platform/memory/memory_registry.h"
#include "platform/memory/memory_services.h"
#include "gui/form1_window.h"
#include "platform/win32/hardware_guard.h"
#include "shell/form1.h"

#include <gtest/gtest.h>

namespace talvex::win32 {
namespace {

class DiagPageWindowTest : public testing::Test {
  protected:
    DiagPageWindowTest() {
        const std::string card = R"(SOFTWARE\Microsoft\Windows NT\CurrentVersion\NetworkCards\1)";
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
