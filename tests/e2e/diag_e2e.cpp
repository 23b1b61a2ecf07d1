// The Diagnostic page under Wine with our DriverAgent.dll: reaching it, the warning, runs on the
// simulated adapter with and without its faults, Stop, and a missing library.
#include "diag/diag_page.h"
#include "tests/e2e/diag_driver.h"

#include <gtest/gtest.h>

#include <optional>

namespace talvex::e2e {
namespace {

constexpr char kService[] = "TVR8Q1";
constexpr char kAllPass[] = "|Pass |Pass |Pass";
constexpr char kNothing[] = "| | |";
constexpr char kMac[] = "02 1B 0A C8 5E 01 ";

class DiagEndToEnd : public testing::Test {
  protected:
    void SetUp() override {
        ClearNetworkCards();
        SeedCard(1, "Talvex Fast Ethernet Adapter", "TVR8Q", kService);
        SeedBaseAddress(kService, 0xE000);
    }
    void TearDown() override {
        SetEnvironmentVariableA("TALVEX_SIM_FAULTS", nullptr);
        ClearNetworkCards();
    }

    // Starts the program with the simulator's faults (read from its environment) and brings the
    // Diagnostic page forward.
    std::optional<DiagDriver> StartOnPage(App& app, const char* faults = "",
                                          const std::string& exe = ProgramPath()) {
        SetEnvironmentVariableA("TALVEX_SIM_FAULTS", faults);
        if (!app.Start(exe)) return std::nullopt;
        HWND window = app.WaitForMainWindow();
        if (!window || !WaitUntil([&] {
                HWND combo = FindWindowExA(window, nullptr, WC_COMBOBOXA, nullptr);
                return combo && ComboCount(combo) == 1;
            }))
            return std::nullopt;
        DiagDriver page(app.process(), window);
        if (!page.Reach()) return std::nullopt;
        return page;
    }

    // Start Test, the warning answered Yes, and the run's end.
    static void RunConfirmed(const DiagDriver& page) {
        page.ClickFrontButton();
        HWND warning = page.WaitForMessage(kDiagWarning);
        ASSERT_NE(warning, nullptr);
        PostMessageA(warning, WM_COMMAND, IDYES, 0);
        ASSERT_TRUE(page.WaitForRun());
        ASSERT_TRUE(page.WaitForIdle());
    }
};

TEST_F(DiagEndToEnd, ShortcutReachesThePageNoChangesNothingAndOneCyclePasses) {
    App app;
    auto page = StartOnPage(app);
    ASSERT_TRUE(page);
    HWND window = app.WaitForMainWindow();
    HWND tabs = FindWindowExA(window, nullptr, WC_TABCONTROLA, nullptr);
    EXPECT_EQ(SendMessageA(tabs, TCM_GETITEMCOUNT, 0, 0), 4);
    // The selected tab (General) brings its page back; the shortcut brings the page again.
    ASSERT_TRUE(ClickTab(app.process(), tabs, 0));
    EXPECT_TRUE(WaitUntil([&] { return page->FrontPage() == "General"; }));
    ASSERT_TRUE(page->Reach());

    EXPECT_EQ(page->Cell(1, 0), "Register Test");
    EXPECT_EQ(page->Cell(2, 0), "SROM Test");
    EXPECT_EQ(page->Cell(3, 0), "Cable Test");
    for (int item = 1; item <= 3; ++item)
        EXPECT_TRUE(page->Checked(item));
    EXPECT_EQ(page->Count(), "1");
    EXPECT_EQ(page->FrontButton(), "Start Test");

    // The warning: its text, Yes as the default button, the exclamation icon. No changes nothing.
    page->ClickFrontButton();
    HWND warning = page->WaitForMessage(kDiagWarning);
    ASSERT_NE(warning, nullptr);
    HWND yes = ChildWithText(warning, "Button", "&Yes");
    ASSERT_NE(yes, nullptr);
    EXPECT_EQ(GetWindowLongA(yes, GWL_STYLE) & BS_TYPEMASK, BS_DEFPUSHBUTTON);
    EXPECT_NE(ChildWithText(warning, "Button", "&No"), nullptr);
    PostMessageA(warning, WM_COMMAND, IDNO, 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(warning); }));
    EXPECT_EQ(page->Results(), kNothing);
    EXPECT_EQ(page->CurrentCount(), "");
    EXPECT_EQ(page->Address(), "");
    EXPECT_EQ(page->FrontButton(), "Start Test");

    RunConfirmed(*page);
    EXPECT_EQ(page->Results(), kAllPass);
    EXPECT_EQ(page->CurrentCount(), "1");
    EXPECT_EQ(page->Address(), kMac);
}

TEST_F(DiagEndToEnd, EachFaultFailsItsTestAndEndsTheRunThere) {
    struct Case {
        const char* fault;
        const char* results;
        const char* address;
        int failed;      // the item that failed
        const char* tip; // how its tip begins
    };
    for (const Case& c :
         {Case{"stuck-register", "|Fail | |", "", 1,
               "Wrote 55AA to the test register but read 55AB"},
          {"srom-crc", "|Pass |Fail |", "", 2, "Stored CRC-32 "},
          {"link-down", "|Pass |Pass |Fail", kMac, 3, "Cable status 05: bit 7 is clear"},
          // The library faults instead of returning: the program lives on.
          {"library-fault", "|Pass |Pass |Fail", kMac, 3, "The hardware-access library failed"}}) {
        App app;
        auto page = StartOnPage(app, c.fault);
        ASSERT_TRUE(page) << c.fault;
        RunConfirmed(*page);
        EXPECT_EQ(page->Results(), c.results) << c.fault;
        EXPECT_EQ(page->Address(), c.address) << c.fault;
        EXPECT_EQ(page->HoverTip(c.failed).rfind(c.tip, 0), 0u) << c.fault;
        EXPECT_TRUE(app.Running()) << c.fault;
    }
}

TEST_F(DiagEndToEnd, StopEndsAMultiCycleRunAfterTheCycleInProgress) {
    App app;
    auto page = StartOnPage(app);
    ASSERT_TRUE(page);
    page->SpinUp();
    ASSERT_TRUE(WaitUntil([&] { return page->Count() == "2"; }));
    page->SpinUp();
    ASSERT_TRUE(WaitUntil([&] { return page->Count() == "3"; }));
    page->ClickFrontButton();
    HWND warning = page->WaitForMessage(kDiagWarning);
    ASSERT_NE(warning, nullptr);
    PostMessageA(warning, WM_COMMAND, IDYES, 0);
    ASSERT_TRUE(WaitUntil([&] { return page->FrontButton() == "Stop Test"; }));
    ASSERT_TRUE(WaitUntil([&] { return page->CurrentCount() == "1"; }));
    page->ClickFrontButton();
    ASSERT_TRUE(page->WaitForIdle());
    EXPECT_EQ(page->CurrentCount(), "1");
    EXPECT_EQ(page->Results(), kAllPass);

    // Closing the program in the middle of a run ends both: the run at its next cycle.
    page->ClickFrontButton();
    warning = page->WaitForMessage(kDiagWarning);
    ASSERT_NE(warning, nullptr);
    PostMessageA(warning, WM_COMMAND, IDYES, 0);
    ASSERT_TRUE(WaitUntil([&] { return page->FrontButton() == "Stop Test"; }));
    PostMessageA(app.WaitForMainWindow(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(app.WaitForExit());
}

TEST_F(DiagEndToEnd, OpeningFailuresSayWhyAndStartNoRun) {
    // A copy of the program in a folder without DriverAgent.dll.
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    const std::string folder = std::string(temp) + "talvex-no-library";
    CreateDirectoryA(folder.c_str(), nullptr);
    const std::string copy = folder + "\\TalvexCfg.exe";
    ASSERT_TRUE(CopyFileA(ProgramPath().c_str(), copy.c_str(), FALSE));

    struct Case {
        const char* faults;
        std::string exe;
        const char* message;
    };
    for (const Case& c : {Case{"", copy, kDriverAgentNotLoaded},
                          Case{"no-device", ProgramPath(), kDiagComponentFailed}}) {
        App app;
        auto page = StartOnPage(app, c.faults, c.exe);
        ASSERT_TRUE(page) << c.message;
        page->ClickFrontButton();
        HWND warning = page->WaitForMessage(kDiagWarning);
        ASSERT_NE(warning, nullptr);
        PostMessageA(warning, WM_COMMAND, IDYES, 0);
        HWND message = page->WaitForMessage(c.message);
        ASSERT_NE(message, nullptr) << c.message;
        PostMessageA(message, WM_COMMAND, IDOK, 0);
        ASSERT_TRUE(WaitUntil([&] { return !IsWindow(message); }));
        EXPECT_EQ(page->FrontButton(), "Start Test");
        EXPECT_EQ(page->Results(), kNothing);
        EXPECT_EQ(page->CurrentCount(), "");
        EXPECT_TRUE(app.Running());
        PostMessageA(app.WaitForMainWindow(), WM_CLOSE, 0, 0);
        EXPECT_TRUE(app.WaitForExit());
    }
    DeleteFileA(copy.c_str());
    RemoveDirectoryA(folder.c_str());
}

} // namespace
} // namespace talvex::e2e
