// Start-up, discovery, tabs and the tray menu of the main window, on in-memory parts.
#include "tests/doubles/memory_form1.h"
#include "platform/memory/memory_registry.h"
#include "platform/memory/memory_services.h"
#include "shell/form1.h"
#include "tests/unit/hardware_doubles.h"

#include <gtest/gtest.h>

#include <optional>

namespace talvex {
namespace {

constexpr char kCards[] = R"(SOFTWARE\Microsoft\Windows NT\CurrentVersion\NetworkCards\)";

class Form1Test : public testing::Test {
  protected:
    // Stores the bytes as a REG_SZ exactly as given, terminators and all.
    static void SetString(MemoryRegistry& target, const std::string& key, const std::string& name,
                          const std::string& bytes) {
        target.Seed(kHKeyLocalMachine, key, name, kRegSz, {bytes.begin(), bytes.end()});
    }
    void SetString(const std::string& key, const std::string& name, const std::string& bytes) {
        SetString(registry, key, name, bytes);
    }

    // Values are stored as Windows stores a REG_SZ: with their terminator.
    void SeedCard(int n, std::optional<std::string> title, std::optional<std::string> product,
                  std::optional<std::string> service) {
        const std::string key = kCards + std::to_string(n);
        if (title) SetString(key, "Title", *title + '\0');
        if (product) SetString(key, "ProductName", *product + '\0');
        if (service) SetString(key, "ServiceName", *service + '\0');
    }

    Form1& Start() {
        form.emplace(controls, services, registry);
        started = form->InitializeWindow();
        return *form;
    }

    void ClickTab(int tab) {
        tabs.Select(tab);
        form->WyncorTabStrip_Click();
    }

    MemoryRegistry registry;
    MemoryServices services;
    MemoryForm1 ui;
    ZOrder& topLevel = ui.topLevel;
    ZOrder& pages = ui.pages;
    MemoryFormWindow& window = ui.window;
    MemoryList& cbNetCardDesp = ui.cbNetCardDesp;
    MemoryTabStrip& tabs = ui.tabs;
    MemoryControl &frmGeneral = ui.frmGeneral, &frmAdvanced = ui.frmAdvanced, &frmVLAN = ui.frmVLAN,
                  &frmSupport = ui.frmSupport, &frmDiag = ui.frmDiag;
    MemoryMenuItem& mnuShowHide = ui.mnuShowHide;
    Form1Controls controls = ui.Controls();
    std::optional<Form1> form;
    bool started = false;
};

TEST_F(Form1Test, StartUpLeavesTheWindowHiddenWithGeneralInFrontAndTheAdapterListed) {
    SeedCard(1, "Talvex Fast Ethernet Adapter", "TVR8Q", "TVR8Q1");
    Form1& f = Start();
    EXPECT_TRUE(started);
    EXPECT_FALSE(window.Visible());
    EXPECT_TRUE(frmGeneral.InFront());
    EXPECT_EQ(mnuShowHide.Caption(), "&Show Window");
    ASSERT_EQ(cbNetCardDesp.ListCount(), 1);
    EXPECT_EQ(cbNetCardDesp.List(0), "Talvex Fast Ethernet Adapter");
    EXPECT_EQ(cbNetCardDesp.ListIndex(), 0);
    EXPECT_EQ(f.CurrentAdapter, 1);
    EXPECT_EQ(f.DriverKeyName, "TVR8Q1"); // exactly six characters, no terminator
    EXPECT_EQ(services.noAdapterDialogs, 0);
}

// The tray icon goes up between the two steps, before the window's controls exist: discovery
// must not touch a control, and the load must not discover again.
TEST_F(Form1Test, StartUpDiscoversWithoutTouchingAControlAndTheLoadFollows) {
    SeedCard(1, "Talvex Fast Ethernet Adapter", "TVR8Q", "TVR8Q1");
    form.emplace(controls, services, registry);
    ASSERT_TRUE(form->StartUp());
    EXPECT_EQ(form->DriverKeyName, "TVR8Q1");
    EXPECT_EQ(cbNetCardDesp.ListCount(), 0);
    EXPECT_EQ(cbNetCardDesp.Text(), "Select a network adapter");
    EXPECT_TRUE(frmDiag.InFront());
    EXPECT_EQ(ui.general.txtLocalHostName.Text(), "");
    EXPECT_EQ(ui.diag.lvwBasicDiag.ItemCount(), 0);
    EXPECT_EQ(ui.advanced.lstAdv_AdaptInfo.ListCount(), 0);
    EXPECT_EQ(mnuShowHide.Caption(), "Hide Window");

    SeedCard(1, "Renamed meanwhile", "TVR8Q", "TVR8Q1");
    ASSERT_TRUE(form->InitializeWindow());
    ASSERT_EQ(cbNetCardDesp.ListCount(), 1);
    EXPECT_EQ(cbNetCardDesp.List(0), "Talvex Fast Ethernet Adapter");
    EXPECT_TRUE(frmGeneral.InFront());
    EXPECT_EQ(ui.diag.lvwBasicDiag.ItemCount(), 3);
    EXPECT_EQ(mnuShowHide.Caption(), "&Show Window");
}

TEST_F(Form1Test, FirstOfSeveralSupportedEntriesWins) {
    SeedCard(1, "First", "TVR8Q", "TVR8Q1");
    SeedCard(2, "Other", "E100B", "E100B1");
    SeedCard(3, "Second", "TVR8Q", "TVR8Q3");
    Form1& f = Start();
    EXPECT_EQ(f.CurrentAdapter, 1);
    EXPECT_EQ(f.DriverKeyName, "TVR8Q1");
    ASSERT_EQ(cbNetCardDesp.ListCount(), 1);
    EXPECT_EQ(cbNetCardDesp.List(0), "First");
}

TEST_F(Form1Test, ProductNameMatchesWholeTextIgnoringCase) {
    SeedCard(1, "Longer", "TVR8QX", "A1");
    SeedCard(2, "Prefixed", "XTVR8Q", "A2");
    SeedCard(3, "Lower", "tvr8q", "tvr8q3");
    Form1& f = Start();
    EXPECT_EQ(f.CurrentAdapter, 3);
    EXPECT_EQ(f.DriverKeyName, "tvr8q3");
    EXPECT_EQ(f.AdapterTitle, std::string("Lower") + '\0');
}

TEST_F(Form1Test, MissingTitleIsListedAsNoValue) {
    SeedCard(2, std::nullopt, "TvR8q", "TVR8Q2");
    Start();
    ASSERT_EQ(cbNetCardDesp.ListCount(), 1);
    EXPECT_EQ(cbNetCardDesp.List(0), "No Value");
}

TEST_F(Form1Test, EntryWhoseServiceNameNamesNoDriverKeyIsPassedOver) {
    SeedCard(1, "No service", "TVR8Q", std::nullopt);
    SeedCard(2, "Empty service", "TVR8Q", "");
    SeedCard(3, "Inner NUL", "TVR8Q", std::string("TVR8Q") + '\0' + "3");
    SeedCard(4, "Backslash", "TVR8Q", "..\\Tcpip");
    SeedCard(5, "Good", "TVR8Q", "TVR8Q5"); // the last entry looked at
    Form1& f = Start();
    EXPECT_EQ(f.CurrentAdapter, 5);
    EXPECT_EQ(f.DriverKeyName, "TVR8Q5");
}

TEST_F(Form1Test, ServiceNameLosesAllTerminatorsButNoLetters) {
    SetString(std::string(kCards) + "1", "ProductName", std::string("TVR8Q") + '\0');
    SetString(std::string(kCards) + "1", "ServiceName", std::string("TVR8Q9") + '\0' + '\0');
    SetString(std::string(kCards) + "2", "ProductName", std::string("TVR8Q") + '\0');
    EXPECT_EQ(Start().DriverKeyName, "TVR8Q9");

    MemoryRegistry unterminated;
    SetString(unterminated, std::string(kCards) + "1", "ProductName", "TVR8Q");
    SetString(unterminated, std::string(kCards) + "1", "ServiceName", "TVR8Q7");
    MemoryList combo{topLevel};
    Form1Controls other = controls;
    other.cbNetCardDesp = &combo;
    Form1 second(other, services, unterminated);
    ASSERT_TRUE(second.InitializeWindow());
    EXPECT_EQ(second.DriverKeyName, "TVR8Q7");
}

TEST_F(Form1Test, NoSupportedAdapterInEntriesOneToFiveShowsTheDialogAndEnds) {
    SeedCard(1, "Other", "E100B", "E100B1");
    SeedCard(6, "Too far", "TVR8Q", "TVR8Q6");
    Start();
    EXPECT_FALSE(started);
    EXPECT_EQ(services.noAdapterDialogs, 1);
    EXPECT_EQ(cbNetCardDesp.ListCount(), 0);
    EXPECT_TRUE(services.messages.empty());
}

TEST_F(Form1Test, EmptyRegistryShowsTheNoAdapterDialog) {
    Start();
    EXPECT_FALSE(started);
    EXPECT_EQ(services.noAdapterDialogs, 1);
}

TEST_F(Form1Test, SecondInstanceIsRefusedBeforeAnythingIsLoaded) {
    SeedCard(1, "Adapter", "TVR8Q", "TVR8Q1");
    services.previousInstance = true;
    Form1& f = Start();
    EXPECT_FALSE(started);
    ASSERT_EQ(services.messages.size(), 1u);
    EXPECT_EQ(services.messages[0].text, "Another version of your application is running.");
    EXPECT_EQ(services.messages[0].title, "Alert");
    EXPECT_EQ(services.messages[0].style, MsgBoxStyle::InformationOk);
    EXPECT_EQ(f.CurrentAdapter, 0);
    EXPECT_EQ(cbNetCardDesp.ListCount(), 0);
    EXPECT_EQ(pages.Changes(), 1); // only the fixture's own change
}

TEST_F(Form1Test, InitializingAgainDoesNotRepeatDiscovery) {
    SeedCard(1, "Adapter", "TVR8Q", "TVR8Q1");
    Form1& f = Start();
    SeedCard(1, "Renamed", "E100B", "E100B1");
    ClickTab(4);
    window.SetVisible(true);
    EXPECT_TRUE(f.InitializeWindow());
    EXPECT_EQ(f.CurrentAdapter, 1);
    EXPECT_EQ(f.DriverKeyName, "TVR8Q1");
    EXPECT_EQ(cbNetCardDesp.ListCount(), 1);
    EXPECT_EQ(ui.diag.lvwBasicDiag.ItemCount(), 3); // the test items are not added again
    EXPECT_TRUE(frmSupport.InFront());
    EXPECT_TRUE(services.messages.empty());
}

TEST_F(Form1Test, TabsOnlyChangeWhichPageIsInFrontAndNeverReachDiagnostic) {
    SeedCard(1, "Adapter", "TVR8Q", "TVR8Q1");
    Form1& f = Start();
    const Control* expected[] = {&frmGeneral, &frmAdvanced, &frmVLAN, &frmSupport};
    for (int round = 0; round < 2; ++round) {
        for (int tab : {2, 4, 3, 1, 4, 2, 1, 3}) {
            ClickTab(tab);
            EXPECT_EQ(pages.Front(), expected[tab - 1]) << "tab " << tab;
            EXPECT_FALSE(frmDiag.InFront());
        }
    }
    EXPECT_FALSE(window.Visible());
    EXPECT_TRUE(f.bAdvPageVisited);
    EXPECT_TRUE(f.bVlanPageVisited);
}

TEST_F(Form1Test, SelectingATabMarksOnlyItsOwnPage) {
    SeedCard(1, "Adapter", "TVR8Q", "TVR8Q1");
    Form1& f = Start();
    ClickTab(4);
    ClickTab(1);
    EXPECT_FALSE(f.bAdvPageVisited);
    EXPECT_FALSE(f.bVlanPageVisited);
    ClickTab(3);
    EXPECT_FALSE(f.bAdvPageVisited);
    EXPECT_TRUE(f.bVlanPageVisited);
}

TEST_F(Form1Test, TrayShowHideTogglesTheWindowAndTheCaptionFollows) {
    SeedCard(1, "Adapter", "TVR8Q", "TVR8Q1");
    Form1& f = Start();
    f.TrayIcon1_Notify(kTrayShowHide);
    EXPECT_TRUE(window.Visible());
    EXPECT_EQ(mnuShowHide.Caption(), "&Hide Window");
    f.mnuShowHide_Click();
    EXPECT_FALSE(window.Visible());
    EXPECT_EQ(mnuShowHide.Caption(), "&Show Window");
    f.mnuShowHide_Click();
    f.TrayIcon1_Notify(kTrayShowHide);
    EXPECT_FALSE(window.Visible());
    EXPECT_EQ(mnuShowHide.Caption(), "&Show Window");
}

TEST_F(Form1Test, TrayMenuOpensWithShowHideAsDefaultAndOtherNotificationsAreIgnored) {
    SeedCard(1, "Adapter", "TVR8Q", "TVR8Q1");
    Form1& f = Start();
    for (int n = 0; n <= 14; ++n)
        if (n != kTrayShowHide && n != kTrayPopupMenu) f.TrayIcon1_Notify(n);
    EXPECT_EQ(window.popups(), 0);
    EXPECT_FALSE(window.Visible());
    f.TrayIcon1_Notify(kTrayPopupMenu);
    EXPECT_EQ(window.popups(), 1);
    EXPECT_EQ(window.popupDefaultCaption(), "&Show Window");
}

// Every close goes through the guard: one that faults ends the closing, not the program.
TEST_F(Form1Test, TerminationClosesTheHardwareAccessUnderTheGuard) {
    SeedCard(1, "Adapter", "TVR8Q", "TVR8Q1");
    Form1& f = Start();
    const std::vector<test::BusCall> closes = {
        {"CloseRange", 0, 0, 0}, {"CloseDevice", 0, 0, 0}, {"CloseLib"}};
    for (std::size_t faulting = 0; faulting <= closes.size(); ++faulting) {
        test::RecordingBus bus;
        hIoRange = hDevice = 0; // no diagnostic run opened anything
        if (faulting < closes.size()) bus.faultOn = closes[faulting].op;
        const int faultsBefore = services.hardwareFaults;
        EXPECT_NO_THROW(f.TerminateWindow());
        const std::size_t reached = faulting < closes.size() ? faulting + 1 : closes.size();
        EXPECT_EQ(bus.calls, std::vector<test::BusCall>(closes.begin(),
                                                     closes.begin() + std::ptrdiff_t(reached)))
            << faulting;
        EXPECT_EQ(services.hardwareFaults - faultsBefore, faulting < closes.size() ? 1 : 0);
    }
}

TEST_F(Form1Test, ExitUnloadsWhetherShownOrHidden) {
    SeedCard(1, "Adapter", "TVR8Q", "TVR8Q1");
    Form1& f = Start();
    f.mnuExit_Click();
    EXPECT_TRUE(window.unloaded());
    EXPECT_TRUE(services.messages.empty());
}

} // namespace
} // namespace talvex
