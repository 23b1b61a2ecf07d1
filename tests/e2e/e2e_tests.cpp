// Whole user flows: TalvexCfg.exe under Wine with a real registry, windows and message boxes.
#include "tests/e2e/ui_driver.h"

#include "gui/form1_window.h"

#include <gtest/gtest.h>

namespace talvex::e2e {
namespace {

constexpr char kTitle[] = "Talvex Adapter Configuration";
const char* const kPageCaptions[] = {"General", "Advanced", "VLAN", "Support"};

class EndToEnd : public testing::Test {
  protected:
    void SetUp() override { ClearNetworkCards(); }
    void TearDown() override { ClearNetworkCards(); }

    // Starts the program on a registry with the supported adapter in entry 1 and waits until
    // start-up has listed it.
    HWND StartWithAdapter(App& app) {
        SeedCard(1, "Talvex Fast Ethernet Adapter", "TVR8Q", "TVR8Q1");
        return StartAndWait(app);
    }

    HWND StartAndWait(App& app) {
        EXPECT_TRUE(app.Start());
        HWND window = app.WaitForMainWindow();
        EXPECT_NE(window, nullptr);
        if (!window) return nullptr;
        EXPECT_TRUE(WaitUntil([&] { return ComboCount(Combo(window)) == 1; }));
        return window;
    }

    static HWND Combo(HWND window) { return FindWindowExA(window, nullptr, WC_COMBOBOXA, nullptr); }
    static HWND Tabs(HWND window) {
        return FindWindowExA(window, nullptr, WC_TABCONTROLA, nullptr);
    }
    static std::vector<HWND> Pages(HWND window) {
        return ChildrenInZOrder(window, win32::kPageClassName);
    }
    static std::string FrontPage(HWND window) {
        auto pages = Pages(window);
        return pages.empty() ? "" : WindowText(pages.front());
    }
};

TEST_F(EndToEnd, StartsHiddenWithGeneralInFrontAndTheFirstSupportedAdapterListed) {
    SeedCard(1, "First Talvex Adapter", "TVR8Q", "TVR8Q1");
    SeedCard(2, "Some Other Card", "E100B", "E100B1");
    SeedCard(3, "Second Talvex Adapter", "TVR8Q", "TVR8Q3");
    App app;
    HWND window = StartAndWait(app);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(WindowText(window), kTitle);
    EXPECT_FALSE(IsWindowVisible(window));
    EXPECT_EQ(FrontPage(window), "General");
    EXPECT_EQ(ComboItem(Combo(window), 0), "First Talvex Adapter");
    EXPECT_EQ(WindowText(Combo(window)), "First Talvex Adapter"); // item 0 selected
    // Five pages, each a child window named by its caption.
    ASSERT_EQ(Pages(window).size(), 5u);
    EXPECT_NE(ChildWithText(window, win32::kPageClassName, "Diagnostic"), nullptr);
}

TEST_F(EndToEnd, TrayIconIsBackAfterExplorerRestartsAndGoneAfterExit) {
    App app;
    HWND window = StartWithAdapter(app);
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(WaitUntil([&] { return HasTrayIcon(window); }));
    LoseTrayIcon(window);
    EXPECT_FALSE(HasTrayIcon(window));
    SendTaskbarCreated(window);
    EXPECT_TRUE(WaitUntil([&] { return HasTrayIcon(window); }));
    PostMessageA(window, WM_CLOSE, 0, 0);
    ASSERT_TRUE(app.WaitForExit());
    EXPECT_FALSE(HasTrayIcon(window));
}

TEST_F(EndToEnd, ProductNameInLowerCaseIsFound) {
    SeedCard(2, "Lower Case Adapter", "tvr8q", "tvr8q2");
    App app;
    HWND window = StartAndWait(app);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(ComboItem(Combo(window), 0), "Lower Case Adapter");
}

TEST_F(EndToEnd, DriverOnlyInEntrySixShowsTheNoAdapterDialogAndEndsWhenItIsClosed) {
    SeedCard(6, "Too Far Down", "TVR8Q", "TVR8Q6");
    App app;
    ASSERT_TRUE(app.Start());
    HWND dialog = app.WaitForTopLevel("TalvexModalForm", kTitle);
    ASSERT_NE(dialog, nullptr);
    EXPECT_NE(ChildWithText(dialog, "Static", "No network adapter. Program will terminate."),
              nullptr);
    // Nothing but the dialog: no main window, no tray icon.
    HWND main = app.FindTopLevel(win32::kForm1ClassName);
    EXPECT_TRUE(main == nullptr || !IsWindowVisible(main));
    EXPECT_TRUE(main == nullptr || !HasTrayIcon(main));
    HWND ok = ChildWithText(dialog, "Button", "OK");
    ASSERT_NE(ok, nullptr);
    PostMessageA(ok, BM_CLICK, 0, 0);
    EXPECT_TRUE(app.WaitForExit());
}

TEST_F(EndToEnd, ClosingTheNoAdapterDialogAnyOtherWayAlsoEnds) {
    App app;
    ASSERT_TRUE(app.Start());
    HWND dialog = app.WaitForTopLevel("TalvexModalForm", kTitle);
    ASSERT_NE(dialog, nullptr);
    PostMessageA(dialog, WM_CLOSE, 0, 0);
    EXPECT_TRUE(app.WaitForExit());
}

TEST_F(EndToEnd, SecondStartIsRefusedAndTheFirstKeepsRunning) {
    App first;
    HWND window = StartWithAdapter(first);
    ASSERT_NE(window, nullptr);

    App second;
    ASSERT_TRUE(second.Start());
    HWND alert = second.WaitForTopLevel("#32770", "Alert");
    ASSERT_NE(alert, nullptr);
    EXPECT_NE(ChildWithText(alert, "Static", "Another version of your application is running."),
              nullptr);
    HWND secondMain = second.FindTopLevel(win32::kForm1ClassName);
    EXPECT_TRUE(secondMain == nullptr || !IsWindowVisible(secondMain));
    PostMessageA(alert, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(second.WaitForExit());
    EXPECT_TRUE(first.Running());
    EXPECT_TRUE(IsWindow(window));
}

TEST_F(EndToEnd, TabClicksChangeOnlyTheZOrderOfThePages) {
    App app;
    HWND window = StartWithAdapter(app);
    ASSERT_NE(window, nullptr);
    TrayClick(window, WM_LBUTTONUP);
    ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(window) != FALSE; }));

    std::vector<RECT> before;
    for (HWND page : Pages(window)) {
        RECT rect{};
        GetWindowRect(page, &rect);
        before.push_back(rect);
    }
    for (int tab : {1, 3, 2, 0, 3, 1}) {
        ASSERT_TRUE(ClickTab(app.process(), Tabs(window), tab));
        ASSERT_TRUE(WaitUntil([&] { return FrontPage(window) == kPageCaptions[tab]; }))
            << "tab " << tab << " brought " << FrontPage(window) << " forward";
        for (HWND page : Pages(window)) {
            EXPECT_TRUE(IsWindowVisible(page)) << WindowText(page) << " was hidden";
            EXPECT_TRUE(IsWindowEnabled(page)) << WindowText(page) << " was disabled";
        }
        EXPECT_NE(FrontPage(window), "Diagnostic");
    }
    ASSERT_EQ(Pages(window).size(), before.size());
    for (HWND page : Pages(window)) {
        RECT rect{};
        GetWindowRect(page, &rect);
        EXPECT_EQ(rect.left, before.front().left);
        EXPECT_EQ(rect.top, before.front().top);
        EXPECT_EQ(rect.right, before.front().right);
        EXPECT_EQ(rect.bottom, before.front().bottom);
    }
}

TEST_F(EndToEnd, TypingIntoTheAdapterBoxChangesNothing) {
    App app;
    HWND window = StartWithAdapter(app);
    ASSERT_NE(window, nullptr);
    HWND edit = FindWindowExA(Combo(window), nullptr, "Edit", nullptr);
    ASSERT_NE(edit, nullptr);
    const std::string before = WindowText(edit);
    PutTextOnClipboard("pasted");
    TypeChars(edit, "xyz\b\x16");
    PressKey(edit, VK_DELETE);
    PostMessageA(edit, WM_PASTE, 0, 0);
    // Posted messages are handled in order: once the tray click posted last has shown the
    // window, the keys before it have been handled too.
    TrayClick(window, WM_LBUTTONUP);
    ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(window) != FALSE; }));
    EXPECT_EQ(WindowText(edit), before);
}

TEST_F(EndToEnd, TrayMenuChoicesFollowTheWindow) {
    App app;
    HWND window = StartWithAdapter(app);
    ASSERT_NE(window, nullptr);
    // Left click shows and hides.
    TrayClick(window, WM_LBUTTONUP);
    ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(window) != FALSE; }));
    TrayClick(window, WM_LBUTTONUP);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(window); }));

    // The menu's first item shows the hidden window, and then hides it again.
    for (bool visibleAfter : {true, false}) {
        HWND menu = OpenTrayMenu(window);
        ASSERT_NE(menu, nullptr);
        PressKey(menu, VK_DOWN);
        PressKey(menu, VK_RETURN);
        ASSERT_TRUE(WaitUntil([&] { return (IsWindowVisible(window) != FALSE) == visibleAfter; }));
    }
}

TEST_F(EndToEnd, ExitFromTheTrayMenuEndsTheProgram) {
    App app;
    HWND window = StartWithAdapter(app);
    ASSERT_NE(window, nullptr);
    HWND menu = OpenTrayMenu(window);
    ASSERT_NE(menu, nullptr);
    PressKey(menu, VK_UP); // from no selection, Up reaches the last item: Exit
    PressKey(menu, VK_RETURN);
    EXPECT_TRUE(app.WaitForExit());
}

TEST_F(EndToEnd, CloseButtonEndsTheProgram) {
    App app;
    HWND window = StartWithAdapter(app);
    ASSERT_NE(window, nullptr);
    TrayClick(window, WM_LBUTTONUP);
    ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(window) != FALSE; }));
    PostMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_TRUE(app.WaitForExit());
}

} // namespace
} // namespace talvex::e2e
