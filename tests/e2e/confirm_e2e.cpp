// set --confirm-within under Wine, which runs no task at start-up: the task's definition as
// registered (through a stand-in schtasks.exe that keeps it), and its own command driven with the
// time since start made to look before or past the deadline (TALVEX_UPTIME). The restart is a
// probe's (a stand-in wineboot.exe): these tests run alone, in the restart test's prefix.
#include "shell/pending_change.h"
#include "tests/e2e/console_driver.h"
#include "tests/e2e/settings_driver.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <fstream>
#include <iterator>

namespace talvex::e2e {
namespace {

class ConfirmOrRevert : public testing::Test {
  protected:
    void SetUp() override {
        char temp[MAX_PATH] = {};
        GetTempPathA(MAX_PATH, temp);
        tasks_ = std::string(temp) + "talvex-schtasks";
        ASSERT_TRUE(InstallWinebootProbe());
        ASSERT_TRUE(InstallSchtasksStandIn(tasks_));
        ForgetWinebootCommandLine();
        ClearNetworkCards();
        ClearParameters();
        SeedCard(1, "Talvex Fast Ethernet Adapter", "TVR8Q", "TVR8Q1");
        SetParameter("VLANID", Dword(5));
        SetParameter("EnableTagging", Dword(1)); // ConnectionType missing
    }
    void TearDown() override {
        SetEnvironmentVariableA("TALVEX_UPTIME", nullptr);
        RunCtl("revert"); // whatever a failed test left
        ClearParameters();
        ClearNetworkCards();
    }

    // The XML schtasks was given for the task, as UTF-16 becomes ASCII; "" when none is kept.
    std::string RegisteredTask() const {
        std::ifstream file(tasks_ + "\\tasks\\" + kRevertTaskName, std::ios::binary);
        const std::string bytes{std::istreambuf_iterator<char>(file), {}};
        std::string text;
        for (std::size_t i = 2; i + 1 < bytes.size(); i += 2)
            text += bytes[i];
        return bytes.size() >= 2 && bytes.substr(0, 2) == "\xFF\xFE" ? text : "";
    }

    std::string tasks_;
};

TEST_F(ConfirmOrRevert, ConfirmedWhileTheTaskWaitsTheChangeStays) {
    const Outcome set = RunCtl("set VLANID=12 --restart --confirm-within 5");
    ASSERT_EQ(set.status, 0) << set.err;
    EXPECT_EQ(GetParameter("VLANID"), Dword(12));
    EXPECT_TRUE(WaitUntil([] { return !WinebootCommandLine().empty(); }));
    EXPECT_EQ(WinebootCommandLine(), "--end-session");
    // At start-up, as the system with its highest rights, ended 5 minutes after the deadline.
    const std::string task = RegisteredTask();
    for (const char* part :
         {"<BootTrigger><Enabled>true</Enabled></BootTrigger>", "<UserId>S-1-5-18</UserId>",
          "<RunLevel>HighestAvailable</RunLevel>", "<ExecutionTimeLimit>PT10M</ExecutionTimeLimit>",
          "TalvexCtl.exe\"</Command><Arguments>revert --if-unconfirmed</Arguments>"})
        EXPECT_NE(task.find(part), std::string::npos) << part << "\n" << task;

    // Windows started 30 s ago: the task's command waits.
    ForgetWinebootCommandLine();
    SetEnvironmentVariableA("TALVEX_UPTIME", "30");
    Ctl waiting("revert --if-unconfirmed");
    ASSERT_TRUE(WaitUntil([&] { return waiting.Err().find("waits for confirmation") != std::string::npos; }))
        << waiting.Err();
    EXPECT_EQ(waiting.Wait(0ms), -1); // still waiting
    const Outcome confirm = RunCtl("confirm");
    EXPECT_EQ(confirm.status, 0) << confirm.err;
    EXPECT_EQ(confirm.out, "Confirmed: the adapter keeps its new settings (VLANID).\n");
    EXPECT_EQ(waiting.Wait(), 0) << waiting.Err();
    EXPECT_NE(waiting.Out().find("confirmed or put back meanwhile"), std::string::npos);
    EXPECT_EQ(GetParameter("VLANID"), Dword(12));
    EXPECT_EQ(RegisteredTask(), ""); // removed
    EXPECT_EQ(WinebootCommandLine(), "");
}

TEST_F(ConfirmOrRevert, UnconfirmedAtTheDeadlineIsPutBackAndWindowsRestarts) {
    ASSERT_EQ(RunCtl("set VLANID=12 ConnectionType=1 --restart --confirm-within 1").status, 0);
    EXPECT_EQ(GetParameter("ConnectionType"), Dword(1));
    const Outcome refused = RunCtl("set TxBuffer=9");
    EXPECT_EQ(refused.status, 7) << refused.err;

    ForgetWinebootCommandLine();
    SetEnvironmentVariableA("TALVEX_UPTIME", "61");
    const Outcome task = RunCtl("revert --if-unconfirmed");
    EXPECT_EQ(task.status, 0) << task.err;
    EXPECT_EQ(GetParameter("VLANID"), Dword(5));
    EXPECT_EQ(GetParameter("ConnectionType"), std::nullopt); // missing again
    EXPECT_EQ(GetParameter("TxBuffer"), std::nullopt);
    // No one at the machine: a program that hangs does not keep it from restarting.
    EXPECT_TRUE(WaitUntil([] { return !WinebootCommandLine().empty(); }));
    EXPECT_EQ(WinebootCommandLine(), "--end-session --force");
    EXPECT_EQ(RegisteredTask(), "");

    const Outcome show = RunCtl("show --json");
    const auto document = nlohmann::json::parse(show.out, nullptr, false);
    EXPECT_TRUE(document["change"].is_null()) << show.out;
    EXPECT_EQ(document["lastRevert"]["values"], nlohmann::json({"VLANID", "ConnectionType"}))
        << show.out;
    EXPECT_EQ(document["lastRevert"]["reason"],
              "not confirmed within 1 minute after Windows started");
}

} // namespace
} // namespace talvex::e2e
