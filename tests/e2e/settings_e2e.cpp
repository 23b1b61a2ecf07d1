// The Advanced and VLAN pages, OK, Cancel and the restart question, with the real registry.
#include "gui/advanced_page_window.h"
#include "gui/form1_window.h"
#include "gui/vlan_page_window.h"
#include "tests/e2e/console_driver.h"
#include "tests/e2e/settings_driver.h"

#include <gtest/gtest.h>

namespace talvex::e2e {
namespace {

using namespace win32;

constexpr char kTitle[] = "Talvex Adapter Configuration";
constexpr char kRebootLabel[] = "After you chagne the setting of adapter, you must reboot the "
                                "system. Do you want to reboot system now?";

class Settings : public testing::Test {
  protected:
    void SetUp() override {
        ClearNetworkCards();
        ClearParameters();
        SeedCard(1, "Talvex Fast Ethernet Adapter", "TVR8Q", "TVR8Q1");
        SetParameter("ConnectionType", Dword(3));
        SetParameter("NetworkAddress", {REG_SZ, std::string("02004C4F4F50\0\0", 14)});
        SetParameter("RxBuffer", Text("48")); // as another tool may store it
        SetParameter("TxBuffer", Dword(16));
        SetParameter("TxStartThreshold", Dword(512));
        SetParameter("EnableTagging", Dword(1));
        SetParameter("EnableGVRP", Dword(0));
        SetParameter("VLANID", Dword(5));
    }
    void TearDown() override {
        ClearNetworkCards();
        ClearParameters();
    }

    // Starts the program, shows its window and waits until both pages are loaded.
    HWND StartShown() {
        EXPECT_TRUE(app.Start());
        HWND window = app.WaitForMainWindow();
        if (!window) return nullptr;
        EXPECT_TRUE(WaitUntil([&] { return ListCount(Advanced(window, kIdAdvAdaptInfo)) == 5; }));
        Show(window);
        return window;
    }
    void Show(HWND window) {
        TrayClick(window, WM_LBUTTONUP);
        EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(window) != FALSE; }));
    }
    void Tab(HWND window, int index) {
        HWND tabs = FindWindowExA(window, nullptr, WC_TABCONTROLA, nullptr);
        ASSERT_TRUE(ClickTab(app.process(), tabs, index));
        const char* page = index == 1 ? "Advanced" : "VLAN";
        ASSERT_TRUE(WaitUntil([&] {
            auto pages = ChildrenInZOrder(window, kPageClassName);
            return !pages.empty() && WindowText(pages.front()) == page;
        }));
    }
    static HWND Advanced(HWND window, int id) { return PageControl(window, "Advanced", id); }
    static HWND Vlan(HWND window, int id) { return PageControl(window, "VLAN", id); }
    static int ListCount(HWND list) {
        return list ? static_cast<int>(SendMessageA(list, LB_GETCOUNT, 0, 0)) : -1;
    }
    // Presses OK and returns the restart question once it is up.
    HWND OkAndWaitForQuestion(HWND window) {
        Click(MainButton(window, "OK"));
        return app.WaitForTopLevel("TalvexModalForm", kTitle);
    }
    void Answer(HWND question, const char* button) {
        ASSERT_NE(question, nullptr);
        Click(ChildWithText(question, "Button", button));
        ASSERT_TRUE(WaitUntil([&] { return !IsWindow(question); }));
    }
    App app;
};

TEST_F(Settings, AdvancedOkRewritesTheLoadedValuesAsksAndNoKeepsRunning) {
    HWND window = StartShown();
    ASSERT_NE(window, nullptr);
    HWND value = Advanced(window, kIdAdvKeyValueList);
    EXPECT_EQ(ComboItem(value, ListSelection(value)), "100BaseTX");
    // Changed by another program while the window is open: OK rewrites what it read, but leaves
    // those two as the other program stored them, and says so once.
    SetParameter("ConnectionType", Dword(1));
    SetParameter("TxBuffer", Dword(99));
    Tab(window, 1);
    Click(MainButton(window, "OK"));
    HWND kept = WaitForMessageBox(app, kTitle);
    ASSERT_NE(kept, nullptr);
    EXPECT_EQ(MessageText(kept), "While this window was open, another program changed Connection "
                                 "Type and Transmit Buffers. OK left them as that program stored "
                                 "them.");
    PostMessageA(kept, WM_COMMAND, IDOK, 0);
    HWND question = app.WaitForTopLevel("TalvexModalForm", kTitle);
    ASSERT_NE(question, nullptr);
    EXPECT_NE(ChildWithText(question, "Static", kRebootLabel), nullptr);
    EXPECT_EQ(GetParameter("ConnectionType"), Dword(1));
    EXPECT_EQ(GetParameter("NetworkAddress"), Text("02004C4F4F50")); // one terminator
    EXPECT_EQ(GetParameter("RxBuffer"), Dword(48));
    EXPECT_EQ(GetParameter("TxBuffer"), Dword(99));
    EXPECT_EQ(GetParameter("TxStartThreshold"), Dword(512));
    EXPECT_EQ(GetParameter("VLANID"), Dword(5)); // the VLAN tab was never selected
    Answer(question, "NO");
    EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(window); }));
    EXPECT_TRUE(app.Running());

    // Picking entries: "10BaseT FD" stores 2, "Store and Forward" 8188.
    Show(window);
    HWND properties = Advanced(window, kIdAdvAdaptInfo);
    PickEntry(value, 2);
    SelectRow(properties, 4);
    ASSERT_TRUE(WaitUntil([&] { return ComboItem(value, 4) == "Store and Forward"; }));
    PickEntry(value, 4);
    // The address gets a balloon while the driver would not take it, and never blocks OK.
    SelectRow(properties, 1);
    HWND text = Advanced(window, kIdAdvKeyValueText);
    ASSERT_TRUE(WaitUntil([&] { return WindowText(text) == "02004C4F4F50"; }));
    PostMessageA(text, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2)); // the user clicks into it
    PostMessageA(text, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
    TypeOver(text, "0100");
    EXPECT_TRUE(WaitUntil([&] { return BalloonShown(app); }));
    Answer(OkAndWaitForQuestion(window), "NO");
    EXPECT_FALSE(BalloonShown(app));
    EXPECT_EQ(GetParameter("ConnectionType"), Dword(2));
    EXPECT_EQ(GetParameter("TxStartThreshold"), Dword(8188));
    EXPECT_EQ(GetParameter("NetworkAddress"), Text("0100"));
}

TEST_F(Settings, VlanIdIsCheckedFilteredAndStored) {
    HWND window = StartShown();
    ASSERT_NE(window, nullptr);
    Tab(window, 2);
    HWND id = Vlan(window, kIdVlanId);
    EXPECT_EQ(WindowText(id), "5");
    EXPECT_EQ(SendMessageA(Vlan(window, kIdEnableVLAN), BM_GETCHECK, 0, 0), BST_CHECKED);

    // Letters and backspace change nothing; digits go in. Posted keys arrive in order: once
    // the 7 is in, the keys before it have been handled.
    PostMessageA(id, EM_SETSEL, 1, 1);
    TypeChars(id, "x\b-7");
    EXPECT_TRUE(WaitUntil([&] { return WindowText(id) == "57"; })) << WindowText(id);
    // The up arrow of the up-down steps from the value the tab took.
    PressKey(id, VK_UP);
    EXPECT_TRUE(WaitUntil([&] { return WindowText(id) == "6"; }));

    // 4095: refused with its message, nothing written, no question.
    TypeOver(id, "4095");
    Click(MainButton(window, "OK"));
    HWND alert = WaitForMessageBox(app, "Alert");
    ASSERT_NE(alert, nullptr);
    EXPECT_EQ(MessageText(alert), "VLAN ID Invalid.");
    PostMessageA(alert, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(window); }));
    EXPECT_EQ(app.FindTopLevel("TalvexModalForm", kTitle), nullptr);
    EXPECT_EQ(GetParameter("VLANID"), Dword(5));

    // The same with the Advanced tab visited too: Advanced is written and the question asked.
    // Shown again, the Advanced page, with no edit pending, shows what another program stored
    // meanwhile; the VLAN page keeps the refused text.
    SetParameter("TxBuffer", Dword(99));
    Show(window);
    Tab(window, 1);
    Click(MainButton(window, "OK"));
    alert = WaitForMessageBox(app, "Alert");
    ASSERT_NE(alert, nullptr);
    PostMessageA(alert, WM_COMMAND, IDOK, 0);
    HWND question = app.WaitForTopLevel("TalvexModalForm", kTitle);
    EXPECT_EQ(GetParameter("TxBuffer"), Dword(99));
    EXPECT_EQ(GetParameter("VLANID"), Dword(5));
    Answer(question, "NO");

    // "007" is stored as 7; unchecking tagging stores 0 with the rest.
    Show(window);
    Tab(window, 2);
    TypeOver(id, "007");
    Click(Vlan(window, kIdEnableVLAN));
    ASSERT_TRUE(WaitUntil([&] { return !IsWindowEnabled(id); }));
    Answer(OkAndWaitForQuestion(window), "NO");
    EXPECT_EQ(GetParameter("VLANID"), Dword(7));
    EXPECT_EQ(GetParameter("EnableTagging"), Dword(0));
    EXPECT_EQ(GetParameter("EnableGVRP"), Dword(0));
}

TEST_F(Settings, CancelShowsTheRegistryValuesAgain) {
    HWND window = StartShown();
    ASSERT_NE(window, nullptr);
    Tab(window, 1);
    HWND value = Advanced(window, kIdAdvKeyValueList);
    PickEntry(value, 0);
    ASSERT_TRUE(WaitUntil([&] { return ListSelection(value) == 0; }));
    Tab(window, 2);
    HWND id = Vlan(window, kIdVlanId);
    TypeOver(id, "123");
    Click(Vlan(window, kIdEnableVLAN));
    ASSERT_TRUE(WaitUntil([&] { return !IsWindowEnabled(id); }));
    SetParameter("VLANID", Dword(9)); // the registry is what Cancel shows
    Click(MainButton(window, "Cancel"));
    ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(window); }));
    EXPECT_EQ(ListSelection(value), 3);
    EXPECT_EQ(WindowText(id), "9");
    EXPECT_TRUE(IsWindowEnabled(id));
    EXPECT_EQ(SendMessageA(Vlan(window, kIdEnableVLAN), BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(GetParameter("ConnectionType"), Dword(3));
    EXPECT_EQ(app.FindTopLevel("TalvexModalForm", kTitle), nullptr);
}

// A fleet change made with the console tool while the program sits in the tray is what the
// window shows next, and what its OK keeps.
TEST_F(Settings, TheConsoleToolsChangeIsShownAndKeptByOk) {
    HWND window = StartShown();
    ASSERT_NE(window, nullptr);
    Tab(window, 1);
    Tab(window, 2);
    Click(MainButton(window, "Cancel"));
    ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(window); }));
    ASSERT_EQ(RunConsoleTool("set VLANID=12 TxStartThreshold=8188"), 0);
    Show(window);
    EXPECT_TRUE(WaitUntil([&] { return WindowText(Vlan(window, kIdVlanId)) == "12"; }));
    Tab(window, 1);
    HWND value = Advanced(window, kIdAdvKeyValueList);
    SelectRow(Advanced(window, kIdAdvAdaptInfo), 4);
    EXPECT_TRUE(WaitUntil([&] { return ComboItem(value, ListSelection(value)) == "Store and Forward"; }));
    Answer(OkAndWaitForQuestion(window), "NO");
    EXPECT_EQ(GetParameter("VLANID"), Dword(12));
    EXPECT_EQ(GetParameter("TxStartThreshold"), Dword(8188));
}

TEST_F(Settings, RestartYesEndsTheProgram) {
    ASSERT_TRUE(InstallWinebootProbe());
    HWND window = StartShown();
    ASSERT_NE(window, nullptr);
    Tab(window, 2);
    HWND question = OkAndWaitForQuestion(window);
    ASSERT_NE(question, nullptr);
    Click(ChildWithText(question, "Button", "YES"));
    ASSERT_TRUE(app.WaitForExit());
    DWORD code = 1;
    GetExitCodeProcess(app.process(), &code);
    EXPECT_EQ(code, 0u);
    // A restart (no --shutdown) that lets programs refuse (no --force, no --kill): the flags 2.
    EXPECT_TRUE(WaitUntil([] { return !WinebootCommandLine().empty(); }));
    EXPECT_EQ(WinebootCommandLine(), "--end-session");
    EXPECT_EQ(GetParameter("VLANID"), Dword(5));
}

} // namespace
} // namespace talvex::e2e
