// The settings pages' Win32 controls under Wine: the real notifications reach the handlers, the
// program's own changes raise none, and the controls behave as the pages expect.
#include "platform/memory/memory_registry.h"
#include "platform/memory/memory_services.h"
#include "gui/advanced_page_window.h"
#include "gui/form1_window.h"
#include "gui/vlan_page_window.h"
#include "shell/form1.h"

#include <gtest/gtest.h>

namespace talvex::win32 {
namespace {

constexpr char kParams[] = R"(SYSTEM\CurrentControlSet\Services\TVR8Q1\Parameters)";

std::string Text(HWND hwnd) {
    char text[256] = {};
    GetWindowTextA(hwnd, text, sizeof text);
    return text;
}

class SettingsPagesWindow : public testing::Test {
  protected:
    SettingsPagesWindow() {
        const char card[] = R"(SOFTWARE\Microsoft\Windows NT\CurrentVersion\NetworkCards\1)";
        registry.SeedString(kHKeyLocalMachine, card, "Title", "Talvex Adapter");
        registry.SeedString(kHKeyLocalMachine, card, "ProductName", "TVR8Q");
        registry.SeedString(kHKeyLocalMachine, card, "ServiceName", "TVR8Q1");
        registry.Seed(kHKeyLocalMachine, kParams, "RxBuffer", kRegDword, {32, 0, 0, 0});
        registry.Seed(kHKeyLocalMachine, kParams, "EnableTagging", kRegDword, {1, 0, 0, 0});
        registry.Seed(kHKeyLocalMachine, kParams, "VLANID", kRegDword, {0xFE, 0x0F, 0, 0}); // 4094
        window.Attach(form);
        EXPECT_TRUE(form.InitializeWindow());
    }
    HWND Control(const char* page, int id) {
        HWND main = reinterpret_cast<HWND>(window.hWnd());
        HWND frame = FindWindowExA(main, nullptr, kPageClassName, page);
        return GetDlgItem(frame, id);
    }
    static HWND Above(HWND control) { return GetWindow(control, GW_HWNDPREV); }
    static bool InFrontOf(HWND a, HWND b) {
        for (HWND w = Above(b); w; w = Above(w))
            if (w == a) return true;
        return false;
    }

    MemoryRegistry registry;
    MemoryServices services;
    Form1Window window;
    Form1Controls controls = window.Controls();
    Form1 form{controls, services, registry};
};

TEST_F(SettingsPagesWindow, PropertyRowsSwitchTheEditorsByZOrderOnly) {
    HWND list = Control("Advanced", kIdAdvAdaptInfo);
    HWND combo = Control("Advanced", kIdAdvKeyValueList);
    HWND edit = Control("Advanced", kIdAdvKeyValueText);
    EXPECT_EQ(SendMessageA(list, LB_GETCOUNT, 0, 0), 5);
    EXPECT_TRUE(InFrontOf(combo, edit));
    EXPECT_EQ(Text(combo), "AutoSense");
    // Keys a user presses in the list: each change of row reaches lstAdv_AdaptInfo_Click.
    SendMessageA(list, WM_KEYDOWN, VK_DOWN, 0);
    SendMessageA(list, WM_KEYDOWN, VK_DOWN, 0);
    EXPECT_TRUE(InFrontOf(edit, combo));
    EXPECT_EQ(Text(edit), "32");
    for (HWND editor : {combo, edit}) {
        EXPECT_TRUE(GetWindowLongPtrA(editor, GWL_STYLE) & WS_VISIBLE); // never hidden
        EXPECT_TRUE(IsWindowEnabled(editor));
    }
    // Typing reaches txtAdv_KeyValue_Change; the program's own SetText above did not.
    SendMessageA(edit, EM_SETSEL, 0, -1);
    SendMessageA(edit, WM_CHAR, '6', 0);
    EXPECT_EQ(form.advanced.AdvRxBuffer, 6);
}

TEST_F(SettingsPagesWindow, ValueListTakesNoTypingButTheArrowKeys) {
    HWND combo = Control("Advanced", kIdAdvKeyValueList);
    HWND edit = FindWindowExA(combo, nullptr, "Edit", nullptr);
    ASSERT_NE(edit, nullptr);
    SendMessageA(edit, WM_CHAR, 'x', 0);
    SendMessageA(edit, WM_PASTE, 0, 0);
    EXPECT_EQ(Text(combo), "AutoSense");
    SendMessageA(edit, WM_KEYDOWN, VK_DOWN, 0);
    EXPECT_EQ(SendMessageA(combo, CB_GETCURSEL, 0, 0), 1);
    EXPECT_EQ(form.advanced.AdvConnectionType, 1);
}

TEST_F(SettingsPagesWindow, VlanIdTakesDigitsAndTheUpDownStaysInRange) {
    HWND id = Control("VLAN", kIdVlanId);
    EXPECT_EQ(Text(id), "4094");
    SendMessageA(id, EM_SETSEL, 4, 4);
    for (char c : std::string("a\b-\x16"))
        SendMessageA(id, WM_CHAR, static_cast<unsigned char>(c), 0);
    EXPECT_EQ(Text(id), "4094");
    form.vlan.SetUpDownFromText();
    SendMessageA(id, WM_KEYDOWN, VK_UP, 0); // the buddy's arrow keys step the up-down
    EXPECT_EQ(Text(id), "4094");
    SendMessageA(id, WM_KEYDOWN, VK_DOWN, 0);
    EXPECT_EQ(Text(id), "4093");
    controls.vlan.UpDownVLAN_ID->SetValue(99999);
    EXPECT_EQ(controls.vlan.UpDownVLAN_ID->Value(), 4094);
    controls.vlan.UpDownVLAN_ID->SetValue(-5);
    EXPECT_EQ(controls.vlan.UpDownVLAN_ID->Value(), 0);
}

TEST_F(SettingsPagesWindow, CheckBoxesHoldThreeStatesAndAClickRunsTheEnablingRule) {
    HWND tagging = Control("VLAN", kIdEnableVLAN);
    CheckBox& gvrp = *controls.vlan.chkEnableGVRP;
    for (int state : {2, 0, 1}) {
        gvrp.SetValue(state);
        EXPECT_EQ(gvrp.Value(), state);
    }
    EXPECT_TRUE(IsWindowEnabled(Control("VLAN", kIdVlanId)));
    SendMessageA(tagging, BM_CLICK, 0, 0);
    EXPECT_EQ(SendMessageA(tagging, BM_GETCHECK, 0, 0), BST_UNCHECKED);
    for (int id : {kIdVlanId, kIdVlanDescription, kIdVlanIdLabel, kIdVlanIdUpDown, kIdEnableGVRP})
        EXPECT_FALSE(IsWindowEnabled(Control("VLAN", id))) << id;
    EXPECT_TRUE(controls.vlan.txtVLANDescription->ReadOnly());
}

TEST_F(SettingsPagesWindow, BalloonTipShowsAndGoesWithTheFocus) {
    TextBox& box = *controls.advanced.txtAdv_KeyValue;
    auto& win32Box = dynamic_cast<Win32TextBox&>(box);
    ShowWindow(reinterpret_cast<HWND>(window.hWnd()), SW_SHOW);
    SetFocus(win32Box.hwnd());
    box.ShowBalloonTip("Network Address", "Enter 12 hexadecimal digits.");
    ASSERT_NE(win32Box.tooltip(), nullptr);
    EXPECT_TRUE(IsWindowVisible(win32Box.tooltip()));
    SetFocus(Control("Advanced", kIdAdvAdaptInfo));
    EXPECT_FALSE(IsWindowVisible(win32Box.tooltip()));
    box.ShowBalloonTip("Network Address", "again");
    box.HideBalloonTip();
    EXPECT_FALSE(IsWindowVisible(win32Box.tooltip()));
    ShowWindow(reinterpret_cast<HWND>(window.hWnd()), SW_HIDE);
}

} // namespace
} // namespace talvex::win32
