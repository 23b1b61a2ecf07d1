// The window used with the keyboard only: keys typed through the system's input queue to the
// real window, as a user types them.
#include "diag/diag_page.h"
#include "gui/form1_window.h"
#include "tests/e2e/diag_driver.h"
#include "tests/e2e/general_driver.h"
#include "tests/e2e/settings_driver.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace talvex::e2e {
namespace {

using Names = std::vector<std::string>;

class Keyboard : public testing::Test {
  protected:
    void SetUp() override {
        ClearNetworkCards();
        SeedCard(1, "Talvex Fast Ethernet Adapter", "TVR8Q", "TVR8Q1");
        ClearParameters();
        SeedBaseAddress("TVR8Q1", 0xE000);
        SetParameter("RxBuffer", Dword(32));
        SetParameter("EnableTagging", Dword(1));
        SetParameter("VLANID", Dword(5));
    }
    void TearDown() override {
        ClearParameters();
        ClearNetworkCards();
    }

    // Started, shown from the tray and in the foreground, where typed keys go.
    HWND StartAndShow() {
        if (!app_.Start()) return nullptr;
        HWND window = app_.WaitForMainWindow();
        if (!window || !WaitUntil([&] {
                HWND combo = FindWindowExA(window, nullptr, WC_COMBOBOXA, nullptr);
                return combo && ComboCount(combo) == 1;
            }))
            return nullptr;
        return Show(window) ? window : nullptr;
    }

    static bool Show(HWND window) {
        TrayClick(window, WM_LBUTTONUP);
        return WaitUntil([&] { return IsWindowVisible(window) != FALSE; }) &&
               BringToForeground(window);
    }

    static std::string FrontPage(HWND window) {
        return WindowText(ChildrenInZOrder(window, win32::kPageClassName).front());
    }

    // How the walk names the control with the focus: its page (none for the window's own), its
    // class and a button's caption. An edit field inside a combo box is the combo box.
    static std::string Focused(HWND window) {
        HWND control = FocusOf(window);
        if (!control) return "nothing";
        if (ClassName(GetParent(control)) == "ComboBox") control = GetParent(control);
        std::string name;
        if (GetParent(control) != window) name.append(WindowText(GetParent(control))).append(":");
        name.append(ClassName(control));
        if (ClassName(control) == "Button") name.append(" ").append(WindowText(control));
        return name;
    }

    // Types the keys and waits until the focus is on the control named.
    static bool FocusAfter(HWND window, std::initializer_list<WORD> keys, const std::string& name) {
        TypeKeys(keys);
        return WaitUntil([&] { return Focused(window) == name; });
    }

    // Tab (or Shift+Tab) from the focus round to it again: the controls visited, in order.
    static Names Walk(HWND window, bool backwards = false) {
        Names visited{Focused(window)};
        const HWND start = FocusOf(window);
        for (int step = 0; step < 40; ++step) {
            HWND before = FocusOf(window);
            if (backwards) {
                TypeKeys({VK_SHIFT, VK_TAB});
            } else {
                TypeKeys({VK_TAB});
            }
            if (!WaitUntil([&] { return FocusOf(window) != before; })) return visited;
            if (FocusOf(window) == start) return visited;
            visited.push_back(Focused(window));
        }
        return visited;
    }

    App app_;
};

const Names kSupportWalk = [] {
    Names names{"Support:TalvexPicture"};
    names.insert(names.end(), 13, "Support:TalvexPicture");
    names.insert(names.end(), {"Button OK", "Button Cancel", "ComboBox", "SysTabControl32"});
    return names;
}();

TEST_F(Keyboard, TheWindowIsUsedWithTheKeyboardAlone) {
    BrowserStandIn browser;
    HWND window = StartAndShow();
    ASSERT_NE(window, nullptr);
    HWND ok = MainButton(window, "OK");
    const auto isDefault = [](HWND button) {
        return (GetWindowLongA(button, GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON;
    };

    // The General page has no tab stop: shown, the window puts the focus on the tab strip.
    ASSERT_TRUE(WaitUntil([&] { return Focused(window) == "SysTabControl32"; }));
    EXPECT_TRUE(isDefault(ok));
    EXPECT_EQ(Walk(window), (Names{"SysTabControl32", "Button OK", "Button Cancel", "ComboBox"}));

    // Ctrl+Tab: the next tab, as a click on it, with the focus on the page's first control. Tab
    // never reaches a page behind, nor the text box under the value list.
    ASSERT_TRUE(FocusAfter(window, {VK_CONTROL, VK_TAB}, "Advanced:ListBox"));
    EXPECT_EQ(FrontPage(window), "Advanced");
    EXPECT_EQ(Walk(window), (Names{"Advanced:ListBox", "Advanced:ComboBox", "Button OK",
                                   "Button Cancel", "ComboBox", "SysTabControl32"}));

    // Enter and Escape in the open list of a combo box close the list; they are not OK or Cancel.
    HWND valueList = FindWindowExA(ChildWithText(window, win32::kPageClassName, "Advanced"),
                                   nullptr, WC_COMBOBOXA, nullptr);
    const auto dropped = [&] { return SendMessageA(valueList, CB_GETDROPPEDSTATE, 0, 0) != 0; };
    ASSERT_TRUE(FocusAfter(window, {VK_TAB}, "Advanced:ComboBox"));
    for (WORD key : {VK_RETURN, VK_ESCAPE}) {
        TypeKeys({VK_F4});
        ASSERT_TRUE(WaitUntil(dropped));
        TypeKeys({key});
        ASSERT_TRUE(WaitUntil([&] { return !dropped(); }));
    }
    EXPECT_TRUE(IsWindowVisible(window));

    ASSERT_TRUE(FocusAfter(window, {VK_CONTROL, VK_TAB}, "VLAN:Button   Enable  Virtual  LAN"));
    EXPECT_EQ(Walk(window),
              (Names{"VLAN:Button   Enable  Virtual  LAN", "VLAN:Button  Enable GVRP", "VLAN:Edit",
                     "Button OK", "Button Cancel", "ComboBox", "SysTabControl32"}));

    // An edit, then Escape: Cancel, with the edit gone when the window comes back, and the focus
    // where it was. While a push button has the focus it carries the default border.
    HWND vlanId = FindWindowExA(ChildWithText(window, win32::kPageClassName, "VLAN"), nullptr,
                                "Edit", nullptr);
    ASSERT_TRUE(FocusAfter(window, {VK_SHIFT, VK_TAB}, "SysTabControl32"));
    ASSERT_TRUE(FocusAfter(window, {VK_SHIFT, VK_TAB}, "ComboBox"));
    ASSERT_TRUE(FocusAfter(window, {VK_SHIFT, VK_TAB}, "Button Cancel"));
    EXPECT_TRUE(
        WaitUntil([&] { return isDefault(MainButton(window, "Cancel")) && !isDefault(ok); }));
    ASSERT_TRUE(FocusAfter(window, {VK_SHIFT, VK_TAB}, "Button OK"));
    ASSERT_TRUE(FocusAfter(window, {VK_SHIFT, VK_TAB}, "VLAN:Edit"));
    EXPECT_TRUE(WaitUntil([&] { return isDefault(ok); }));
    TypeKeys({'1'});
    TypeKeys({'2'});
    ASSERT_TRUE(WaitUntil([&] { return WindowText(vlanId) == "12"; }));
    TypeKeys({VK_ESCAPE});
    ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(window); }));
    ASSERT_TRUE(Show(window));
    EXPECT_EQ(WindowText(vlanId), "5");
    EXPECT_TRUE(WaitUntil([&] { return Focused(window) == "VLAN:Edit"; }));

    // Space and Enter on a flag open its site, once each.
    ASSERT_TRUE(FocusAfter(window, {VK_CONTROL, VK_NEXT}, "Support:TalvexPicture"));
    TypeKeys({VK_SPACE});
    ASSERT_TRUE(WaitUntil([&] { return browser.Opened().size() == 1; }));
    TypeKeys({VK_RETURN});
    ASSERT_TRUE(WaitUntil([&] { return browser.Opened().size() == 2; }));
    EXPECT_EQ(browser.Opened()[0], browser.Opened()[1]);
    EXPECT_TRUE(IsWindowVisible(window)); // Enter on a flag is the flag's, not OK's
    EXPECT_EQ(Walk(window), kSupportWalk);

    // Round the tabs: Ctrl+Tab wraps to General; Ctrl+Shift+Tab and Ctrl+PageUp go back; the
    // arrow keys on the strip move the tab and leave the focus there.
    ASSERT_TRUE(FocusAfter(window, {VK_CONTROL, VK_TAB}, "SysTabControl32"));
    EXPECT_EQ(FrontPage(window), "General");
    ASSERT_TRUE(FocusAfter(window, {VK_CONTROL, VK_SHIFT, VK_TAB}, "Support:TalvexPicture"));
    ASSERT_TRUE(FocusAfter(window, {VK_CONTROL, VK_PRIOR}, "VLAN:Button   Enable  Virtual  LAN"));
    ASSERT_TRUE(FocusAfter(window, {VK_SHIFT, VK_TAB}, "SysTabControl32"));
    TypeKeys({VK_RIGHT});
    ASSERT_TRUE(WaitUntil([&] { return FrontPage(window) == "Support"; }));
    TypeKeys({VK_LEFT});
    ASSERT_TRUE(WaitUntil([&] { return FrontPage(window) == "VLAN"; }));
    EXPECT_EQ(Focused(window), "SysTabControl32");

    // Ctrl+Shift+D: the Diagnostic page, its count box first; Start Test, never Stop Test.
    ASSERT_TRUE(FocusAfter(window, {VK_CONTROL, VK_SHIFT, 'D'}, "Diagnostic:Edit"));
    const Names diagnostic{"Diagnostic:Edit",
                           "Diagnostic:SysListView32",
                           "Diagnostic:Button Start Test",
                           "Button OK",
                           "Button Cancel",
                           "ComboBox",
                           "SysTabControl32"};
    EXPECT_EQ(Walk(window), diagnostic);
    EXPECT_EQ(Walk(window, true), (Names{diagnostic[0], diagnostic[6], diagnostic[5], diagnostic[4],
                                         diagnostic[3], diagnostic[2], diagnostic[1]}));

    // Enter on the count box is OK. Both settings pages were visited by keyboard, so OK writes
    // both, leaving what another program changed meanwhile, says so (Enter closes the message)
    // and asks.
    SetParameter("RxBuffer", Dword(7));
    SetParameter("VLANID", Dword(7));
    TypeKeys({VK_RETURN});
    HWND kept = WaitForMessageBox(app_, "Talvex Adapter Configuration");
    ASSERT_NE(kept, nullptr);
    EXPECT_EQ(MessageText(kept), "While this window was open, another program changed VLAN ID "
                                 "and Receive Buffers. OK left them as that program stored them.");
    ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == kept; }));
    TypeKeys({VK_RETURN});
    HWND question = app_.WaitForTopLevel("TalvexModalForm");
    ASSERT_NE(question, nullptr);
    HWND yes = ChildWithText(question, "Button", "YES");
    HWND no = ChildWithText(question, "Button", "NO");
    ASSERT_TRUE(WaitUntil([&] { return FocusOf(question) == yes && isDefault(yes); }));
    EXPECT_FALSE(isDefault(no));

    // The icon refuses while the question is open: no menu, no hiding. Losing the icon and
    // getting TaskbarCreated, posted after the clicks, proves that they have been handled.
    TrayClick(window, WM_RBUTTONUP);
    TrayClick(window, WM_LBUTTONUP);
    LoseTrayIcon(window);
    SendTaskbarCreated(window);
    ASSERT_TRUE(WaitUntil([&] { return HasTrayIcon(window); }));
    HWND menu = FindWindowA("#32768", nullptr);
    EXPECT_FALSE(menu && IsWindowVisible(menu));
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_TRUE(IsWindow(question));
    EXPECT_EQ(GetForegroundWindow(), question);

    // Tab moves the default border with the focus; Enter then answers NO.
    TypeKeys({VK_TAB});
    ASSERT_TRUE(WaitUntil([&] { return FocusOf(question) == no && isDefault(no); }));
    EXPECT_FALSE(isDefault(yes));
    TypeKeys({VK_RETURN});
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(question) && !IsWindowVisible(window); }));
    EXPECT_EQ(GetParameter("RxBuffer"), Dword(7));
    EXPECT_EQ(GetParameter("VLANID"), Dword(7));
    EXPECT_TRUE(app_.Running());

    // Minimised, then hidden and shown from the tray: the window comes back restored, with the
    // focus where it was.
    ASSERT_TRUE(Show(window));
    PostMessageA(window, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    ASSERT_TRUE(WaitUntil([&] { return IsIconic(window) != FALSE; }));
    TrayClick(window, WM_LBUTTONUP);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(window); }));
    ASSERT_TRUE(Show(window));
    EXPECT_FALSE(IsIconic(window));
    EXPECT_TRUE(WaitUntil([&] { return Focused(window) == "Diagnostic:Edit"; }));

    // A click on a tab never leaves the keys with the page it covers.
    ASSERT_TRUE(
        ClickTab(app_.process(), FindWindowExA(window, nullptr, WC_TABCONTROLA, nullptr), 0));
    EXPECT_TRUE(WaitUntil(
        [&] { return FrontPage(window) == "General" && Focused(window) == "SysTabControl32"; }));
}

TEST_F(Keyboard, ADiagnosticRunIsStartedAndStoppedWithTheKeyboard) {
    HWND window = StartAndShow();
    ASSERT_NE(window, nullptr);
    DiagDriver page(app_.process(), window);
    ASSERT_TRUE(FocusAfter(window, {VK_CONTROL, VK_SHIFT, 'D'}, "Diagnostic:Edit"));

    // The arrow keys in the count box step it within 1 to 50, as the arrows do.
    TypeKeys({VK_DOWN});
    for (int i = 0; i < 9; ++i)
        TypeKeys({VK_UP});
    ASSERT_TRUE(WaitUntil([&] { return page.Count() == "10"; }));

    ASSERT_TRUE(FocusAfter(window, {VK_TAB}, "Diagnostic:SysListView32"));
    ASSERT_TRUE(FocusAfter(window, {VK_TAB}, "Diagnostic:Button Start Test"));
    TypeKeys({VK_SPACE});
    HWND warning = page.WaitForMessage(kDiagWarning);
    ASSERT_NE(warning, nullptr);
    TypeKeys({VK_RETURN}); // Yes is the warning's default

    // Stop Test comes to the front with the focus. The keyboard works during the run: the tab
    // shortcuts, Ctrl+Shift+D, Tab (to Stop Test, never to the covered Start Test) and Space.
    ASSERT_TRUE(WaitUntil([&] { return Focused(window) == "Diagnostic:Button Stop Test"; }));
    ASSERT_TRUE(FocusAfter(window, {VK_CONTROL, VK_TAB}, "Advanced:ListBox"));
    ASSERT_TRUE(FocusAfter(window, {VK_CONTROL, VK_SHIFT, 'D'}, "Diagnostic:Edit"));
    ASSERT_TRUE(FocusAfter(window, {VK_TAB}, "Diagnostic:SysListView32"));
    ASSERT_TRUE(FocusAfter(window, {VK_TAB}, "Diagnostic:Button Stop Test"));
    TypeKeys({VK_SPACE});

    // Stopped at the start of the next cycle, long before the tenth; Start Test has the focus.
    ASSERT_TRUE(page.WaitForIdle());
    EXPECT_TRUE(WaitUntil([&] { return Focused(window) == "Diagnostic:Button Start Test"; }));
    EXPECT_LT(std::atoi(page.CurrentCount().c_str()), 10);
}

// The keys as a user typed them: Ctrl+Shift+D has put the focus on the count already, so the
// Tab leaves it and the Ups move in the list; the count stays 1 and cycle 1 is the run's last.
// Space on Stop Test while that cycle's last test runs waits in the queue until the run is over.
TEST_F(Keyboard, SpaceOnStopTestAsTheRunEndsStartsNoOtherRun) {
    HWND window = StartAndShow();
    ASSERT_NE(window, nullptr);
    DiagDriver page(app_.process(), window);
    ASSERT_TRUE(FocusAfter(window, {VK_CONTROL, VK_SHIFT, 'D'}, "Diagnostic:Edit"));
    ASSERT_TRUE(FocusAfter(window, {VK_TAB}, "Diagnostic:SysListView32"));
    TypeKeys({VK_UP});
    TypeKeys({VK_UP});
    ASSERT_TRUE(FocusAfter(window, {VK_TAB}, "Diagnostic:Button Start Test"));
    EXPECT_EQ(page.Count(), "1");
    TypeKeys({VK_SPACE});
    ASSERT_NE(page.WaitForMessage(kDiagWarning), nullptr);
    TypeKeys({VK_RETURN});

    // During a run the program answers the driver only between its tests: the second test's
    // result, read back, was read at the run's last look at the keys, with the cable test to run.
    ASSERT_TRUE(WaitUntil([&] { return page.FrontButton() == "Stop Test"; }));
    ASSERT_TRUE(WaitUntil([&] { return page.Cell(2, 2) == "Pass"; }));
    ASSERT_TRUE(page.WaitForBusy());
    ASSERT_EQ(FocusOf(window), page.FrontButtonWindow()); // Stop Test
    TypeKeys({VK_SPACE});
    ASSERT_TRUE(page.WaitForIdle());

    // Shift+Tab and Tab are read after the Space: once they have taken the focus away and back to
    // Start Test, the Space has been handled, and no warning came of it.
    const auto warned = [&] { return app_.FindTopLevel("#32770") != nullptr; };
    const auto focusOrWarning = [&](const char* name) {
        return WaitUntil([&] { return Focused(window) == name || warned(); });
    };
    TypeKeys({VK_SHIFT, VK_TAB});
    ASSERT_TRUE(focusOrWarning("Diagnostic:SysListView32"));
    TypeKeys({VK_TAB});
    ASSERT_TRUE(focusOrWarning("Diagnostic:Button Start Test"));
    EXPECT_FALSE(warned());
    EXPECT_EQ(page.FrontButton(), "Start Test");
    EXPECT_EQ(page.Results(), "|Pass |Pass |Pass");
}

} // namespace
} // namespace talvex::e2e
