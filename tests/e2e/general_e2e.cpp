// The General and Support pages of TalvexCfg.exe under Wine: what the machine reports, the flags
// reaching the shell, and the pages at 200 %.
#include "tests/e2e/general_driver.h"
#include "tests/e2e/settings_driver.h"
#include "tests/e2e/ui_driver.h"

#include "platform/geometry.h"
#include "platform/product.h"
#include "platform/win32/registry_win32.h"
#include "settings/change_record.h"
#include "gui/form1_window.h"
#include "gui/general_page_window.h"
#include "gui/support_page_window.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <ctime>

namespace talvex::e2e {
namespace {

using win32::GeneralPageWindow;
using win32::SupportPageWindow;

class GeneralAndSupport : public testing::Test {
  protected:
    void SetUp() override {
        ClearNetworkCards();
        SeedCard(1, "Talvex Fast Ethernet Adapter", "TVR8Q", "TVR8Q1");
    }
    void TearDown() override {
        SetLayoutDpi(0);
        ClearNetworkCards();
    }

    // Starts the program, shows its window and brings the tab's page forward.
    HWND StartAndShow(App& app) {
        if (!app.Start()) return nullptr;
        HWND window = app.WaitForMainWindow();
        if (!window) return nullptr;
        TrayClick(window, WM_LBUTTONUP);
        return WaitUntil([&] { return IsWindowVisible(window) != FALSE; }) ? window : nullptr;
    }

    static HWND Page(HWND window, const char* caption) {
        return FindWindowExA(window, nullptr, win32::kPageClassName, caption);
    }
    static bool SelectTab(App& app, HWND window, int index) {
        HWND tabs = FindWindowExA(window, nullptr, WC_TABCONTROLA, nullptr);
        return ClickTab(app.process(), tabs, index);
    }
    // A button press that returns once the program has handled it.
    static void Press(HWND window, const char* caption) {
        HWND button = ChildWithText(window, "Button", caption);
        ASSERT_NE(button, nullptr) << caption;
        DWORD_PTR result = 0;
        SendMessageTimeoutA(button, BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, 10000, &result);
    }
    static bool Bordered(HWND box) {
        return (GetWindowLongA(box, GWL_STYLE) & WS_BORDER) ||
               (GetWindowLongA(box, GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
    }
};

std::string UpperCase(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return text;
}

TEST_F(GeneralAndSupport, GeneralPageShowsWhatWineReportsAndNothingChangesIt) {
    App app;
    HWND window = StartAndShow(app);
    ASSERT_NE(window, nullptr);
    HWND general = Page(window, "General");
    HWND host = GetDlgItem(general, GeneralPageWindow::kIdTxtLocalHostName);
    HWND mac = GetDlgItem(general, GeneralPageWindow::kIdTxtEthernetAddress);
    HWND ip = GetDlgItem(general, GeneralPageWindow::kIdTxtIPAddress);
    const std::string wineMac = WineMacAddressOfLana0();
    EXPECT_EQ(WindowText(host), UpperCase(WineHostName()));
    // The machine's own address; loopback (where the hosts file lists the host name) only on a
    // machine with no other. Wine here has an interface besides loopback.
    std::vector<std::string> addresses;
    for (const std::string& address : WineIPv4Addresses())
        if (address.rfind("127.", 0) != 0) addresses.push_back(address);
    ASSERT_FALSE(addresses.empty());
    EXPECT_NE(std::find(addresses.begin(), addresses.end(), WindowText(ip)), addresses.end())
        << WindowText(ip) << " is not among the adapters' " << addresses.size() << " addresses";
    EXPECT_EQ(WindowText(mac), wineMac);
    EXPECT_EQ(wineMac.size(), 18u) << "Wine's NetBIOS gave no adapter status for LANA 0";
    for (HWND box : {host, mac, ip})
        EXPECT_FALSE(Bordered(box));
    EXPECT_EQ(WindowText(GetDlgItem(general, GeneralPageWindow::kIdLbEthernetAddress)),
              "Current  MAC  Address:");

    const std::string shown[] = {WindowText(host), WindowText(mac), WindowText(ip)};
    ASSERT_TRUE(SelectTab(app, window, 3));
    ASSERT_TRUE(SelectTab(app, window, 0));
    Press(window, "Cancel");
    Press(window, "OK");
    EXPECT_EQ(WindowText(host), shown[0]);
    EXPECT_EQ(WindowText(mac), shown[1]);
    EXPECT_EQ(WindowText(ip), shown[2]);
    for (HWND box : {host, mac, ip})
        EXPECT_FALSE(Bordered(box));
}

TEST_F(GeneralAndSupport, AtTwoHundredPercentFlagsAreCrispAndEachClickReachesTheShell) {
    BrowserStandIn browser;
    SetLayoutDpi(192);
    App app;
    HWND window = StartAndShow(app);
    ASSERT_NE(window, nullptr);
    RECT client{};
    GetClientRect(window, &client);
    EXPECT_EQ(client.right, TwipsToPixels(5760, 192));
    ASSERT_TRUE(SelectTab(app, window, 3));
    HWND support = Page(window, "Support");
    ASSERT_TRUE(WaitUntil(
        [&] { return ChildrenInZOrder(window, win32::kPageClassName).front() == support; }));
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);

    // 40 x 24 doubled: each stripe of the German flag is 16 pixels of one exact colour, inside
    // the flag's one-pixel frame.
    HWND germany = GetDlgItem(support, SupportPageWindow::kIdImgGermany);
    RECT flag{};
    GetClientRect(germany, &flag);
    EXPECT_EQ(flag.right, 80);
    EXPECT_EQ(flag.bottom, 48);
    ASSERT_TRUE(
        WaitUntil([&] { return ScreenColour(germany, 40, 40) != ScreenColour(germany, 40, 8); }));
    for (int stripe = 0; stripe < 3; ++stripe) {
        const COLORREF first = ScreenColour(germany, 2, stripe * 16 + 1);
        EXPECT_EQ(ScreenColour(germany, 77, stripe * 16 + 14), first) << "stripe " << stripe;
    }
    EXPECT_NE(ScreenColour(germany, 40, 15), ScreenColour(germany, 40, 16));

    // One at a time: two echoes appending to one file at once may collide.
    ClickPicture(GetDlgItem(support, SupportPageWindow::kIdImgEgypt));
    ASSERT_TRUE(WaitUntil([&] { return browser.Opened().size() == 1; }));
    ClickPicture(GetDlgItem(support, SupportPageWindow::kIdImgSingapore));
    ASSERT_TRUE(WaitUntil([&] { return browser.Opened().size() == 2; }));
    const auto opened = browser.Opened();
    EXPECT_EQ(opened[0], "http://www.talvex-me.com");
    EXPECT_EQ(opened[1], "http://www.talvex.com");
    EXPECT_TRUE(app.Running()); // the page stays as it was
}

// A change made with set --confirm-within (its record written here) is told on the General page
// and kept with Keep and Yes there; the one put back last is told with when and which values.
TEST_F(GeneralAndSupport, AChangeThatWaitsIsToldAndKeptOnTheGeneralPage) {
    Win32Registry registry;
    const std::int64_t now = std::time(nullptr);
    const PendingChange change{ChangeState::Prepared, "TVR8Q1", now - 120, 5,
                               {{Param::VLANID, DwordValue(5), DwordValue(12)}}, {}};
    ASSERT_EQ(RecordChange(registry, change), 0);
    ASSERT_EQ(SetChangeState(registry, ChangeState::Applied), 0);
    SetEnvironmentVariableA("TALVEX_UPTIME", "60"); // started after the change: a deadline

    App app;
    HWND window = StartAndShow(app);
    SetEnvironmentVariableA("TALVEX_UPTIME", nullptr);
    ASSERT_NE(window, nullptr);
    HWND general = Page(window, "General");
    HWND line = GetDlgItem(general, GeneralPageWindow::kIdLblChange);
    HWND keep = GetDlgItem(general, GeneralPageWindow::kIdConfirmChange);
    EXPECT_EQ(WindowText(line).rfind("Waiting for confirmation: VLAN ID. Unless kept, put back at ", 0),
              0u)
        << WindowText(line);
    EXPECT_TRUE(IsWindowVisible(keep));

    PostMessageA(keep, BM_CLICK, 0, 0);
    HWND question = WaitForMessageBox(app, kAppTitle);
    ASSERT_NE(question, nullptr);
    EXPECT_EQ(MessageText(question),
              "Keep these settings? The new values of VLAN ID stay and are not put back.");
    PostMessageA(question, WM_COMMAND, IDYES, 0);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(keep); }));
    EXPECT_EQ(WindowText(line), "");
    EXPECT_FALSE(ReadPendingChange(registry).has_value());

    // Put back meanwhile, by the task: told when the window is shown again.
    ASSERT_EQ(WriteLastRevert(registry, {now, {"VLANID", "ConnectionType"}, "not confirmed"}), 0);
    TrayClick(window, WM_LBUTTONUP);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(window); }));
    TrayClick(window, WM_LBUTTONUP);
    const std::string at = UtcText(now);
    EXPECT_TRUE(WaitUntil([&] {
        return WindowText(line) == "Put back on " + at.substr(0, 10) + " at " + at.substr(11, 5) +
                                       " UTC: VLAN ID and Connection Type.";
    })) << WindowText(line);
    EXPECT_FALSE(IsWindowVisible(keep));
    RemoveLastRevert(registry);
}

} // namespace
} // namespace talvex::e2e
