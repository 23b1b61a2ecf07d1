// A change made with set --confirm-within on the in-memory registry and services, with their fake
// clocks: interrupted by a power loss after every write of it, kept with confirm, put back by the
// task at the deadline, and told by show and the General page.
#include "settings/vb_registry.h"
#include "shell/pending_change.h"
#include "tests/doubles/memory_general_page.h"
#include "tests/unit/console_fixture.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <utility>

namespace talvex::ctl {
namespace {

const std::vector<std::string> kSet = {"set",       "VLANID=12", "ConnectionType=1", "EnableGVRP=1",
                                       "--restart", "--confirm-within", "5"};

class PendingChangeTest : public ConsoleTest {
  protected:
    // Windows starts again: the time since start begins anew, and the task runs its command.
    int StartWindowsAndRunTheTask() {
        services.Restart();
        return Run({"revert", "--if-unconfirmed"});
    }
    bool Recorded() { return ReadPendingChange(registry).has_value(); }
    // The driver's key as text, "Name=type:bytes ...", for readable failures.
    std::string Held() {
        std::string text;
        for (const auto& [name, value] : Key().value_or(decltype(Key())::value_type{})) {
            text += name + "=" + std::to_string(value.type) + ":";
            for (const std::uint8_t byte : value.data)
                text += std::to_string(byte) + ".";
            text += " ";
        }
        return text;
    }
    // The power goes after k more writes, and everything else with it.
    void CutAfter(int k) {
        registry.CutAfter(k);
        registry.onCut = [this] { services.poweredOff = true; };
    }
    bool PowerBack() {
        registry.PowerBack();
        services.poweredOff = false;
        return registry.dropped > 0;
    }
    nlohmann::json Shown() {
        Run({"show", "--json"});
        return nlohmann::json::parse(out.text);
    }
};

// A power loss after the k-th write of set, for every k, then Windows starting with the task (and
// an administrator confirming first, or not): the values end as they all were before or, only
// when confirmed, all as set wrote them; no record and no task are left. At the loss itself the
// values are the old ones or a complete record names them. The same for the task's revert.
TEST_F(PendingChangeTest, APowerLossAtAnyWriteEndsWithTheOldValuesOrTheNewNeverAMix) {
    const std::string before = Held();
    const auto seeded = *Key();
    ASSERT_EQ(Run(kSet), kExitOk);
    const std::string after = Held();
    const auto startAgain = [&] {
        registry.PowerBack();
        RemoveChangeRecord(registry);
        RemoveLastRevert(registry);
        vbRegistry(registry).DeleteString(kHKeyLocalMachine,
                                          std::string(kParameters) + "\\EnableGVRP");
        for (const auto& [name, value] : seeded)
            registry.Seed(kHKeyLocalMachine, kParameters, name, value.type, value.data);
        registry.PowerBack(); // as if it had been so for long
        services = MemoryServices{};
        ASSERT_EQ(Held(), before);
    };
    for (const bool confirm : {false, true}) {
        bool cut = true;
        for (int k = 0; cut; ++k) {
            const std::string at =
                "set cut after write " + std::to_string(k) + (confirm ? ", confirmed" : "");
            startAgain();
            CutAfter(k);
            Run(kSet);
            cut = PowerBack();
            EXPECT_TRUE(Held() == before || Recorded()) << at;

            const bool kept =
                confirm && Run({"confirm"}) == kExitOk && !Recorded() && Held() == after;
            StartWindowsAndRunTheTask();
            EXPECT_FALSE(Recorded()) << at;
            EXPECT_TRUE(services.tasks.empty()) << at;
            EXPECT_EQ(Held(), kept ? after : before) << at;
        }
    }

    // The task's revert at the deadline, cut after each of its writes, finished at the next start.
    bool cut = true;
    for (int k = 0; cut; ++k) {
        const std::string at = "revert cut after write " + std::to_string(k);
        startAgain();
        ASSERT_EQ(Run(kSet), kExitOk) << err.text;
        services.Restart();
        services.sinceStartMs = std::uint64_t{6} * 60000; // past the deadline
        CutAfter(k);
        Run({"revert", "--if-unconfirmed"});
        cut = PowerBack();
        EXPECT_TRUE(Held() == after || Held() == before || Recorded()) << at;
        StartWindowsAndRunTheTask();
        EXPECT_EQ(Held(), before) << at;
        EXPECT_FALSE(Recorded()) << at;
        EXPECT_TRUE(services.tasks.empty()) << at;
        EXPECT_TRUE(ReadLastRevert(registry).has_value()) << at;
    }
    EXPECT_TRUE(registry.unordered.empty()) << registry.unordered.front();
    EXPECT_EQ(registry.OpenHandleCount(), 0u);
}

// set -> restart -> the task waits -> confirm: the new values stay. set -> the task at the
// deadline: every value back as stored before (a missing one deleted), and Windows restarted.
TEST_F(PendingChangeTest, ConfirmedInTimeStaysUnconfirmedIsPutBackAtTheDeadline) {
    const auto before = Key();
    ASSERT_EQ(Run(kSet), kExitOk) << err.text;
    const auto after = Key();
    EXPECT_EQ(services.calls, (std::vector<std::string>{"EnableShutdownPrivilege", "ExitWindowsEx 2 0"}));
    // The task: at start, as the system, elevated, ended 5 minutes after the deadline.
    const std::string xml = services.tasks.at(kRevertTaskName);
    for (const char* part : {"<BootTrigger>", "<UserId>S-1-5-18</UserId>",
                             "<RunLevel>HighestAvailable</RunLevel>",
                             "<ExecutionTimeLimit>PT10M</ExecutionTimeLimit>",
                             R"(<Command>"C:\Program Files\Talvex\TalvexCtl.exe"</Command>)",
                             "<Arguments>revert --if-unconfirmed</Arguments>"})
        EXPECT_NE(xml.find(part), std::string::npos) << part;
    // Before the restart show can't tell the deadline; set is refused meanwhile.
    auto shown = Shown();
    EXPECT_EQ(shown["change"]["state"], "applied");
    EXPECT_EQ(shown["change"]["setAt"], "2024-05-01T10:00:00Z");
    EXPECT_TRUE(shown["change"]["deadline"].is_null());
    EXPECT_EQ(shown["change"]["values"][0],
              nlohmann::json({{"name", "EnableGVRP"}, {"before", nullptr},
                              {"after", {{"type", "REG_DWORD"}, {"data", 1}}}}));
    EXPECT_EQ(Run({"set", "RxBuffer=64"}), kExitChangePending);
    EXPECT_NE(err.text.find("waits for confirmation"), std::string::npos) << err.text;
    EXPECT_EQ(Key(), after);

    // Started again 30 s after going down for a minute: the deadline is 5 minutes after the start.
    services.Restart();
    EXPECT_EQ(Shown()["change"]["deadline"], "2024-05-01T10:06:00Z");
    int polls = 0;
    services.onSleep = [&] {
        if (++polls == 3) {
            EXPECT_EQ(ConfirmChange(registry, services).outcome, ConfirmResult::Confirmed);
        }
    };
    EXPECT_EQ(Run({"revert", "--if-unconfirmed"}), kExitOk) << err.text;
    EXPECT_EQ(polls, 3);
    EXPECT_EQ(Key(), after);
    EXPECT_TRUE(services.tasks.empty());
    EXPECT_EQ(services.calls.size(), 2u); // no second restart
    EXPECT_EQ(Run({"confirm"}), kExitOk);
    EXPECT_EQ(out.text, "Nothing waits for confirmation.\n");

    // Again, and nobody confirms: the task waits to the deadline, then puts everything back.
    services.onSleep = nullptr;
    services.calls.clear();
    ASSERT_EQ(Run({"set", "VLANID=5", "--confirm-within", "2", "--restart"}), kExitOk) << err.text;
    const auto five = Key();
    ASSERT_EQ(Run({"set", "--confirm", "VLANID=7", "--confirm-within", "2", "--restart"}), kExitOk)
        << err.text; // confirmed the waiting one first
    EXPECT_NE(Key(), five);
    services.Restart();
    EXPECT_EQ(Run({"revert", "--if-unconfirmed"}), kExitOk) << err.text;
    EXPECT_EQ(services.sinceStartMs, 120000u);
    EXPECT_EQ(Key(), five);
    EXPECT_EQ(services.calls.back(), "ExitWindowsEx 18 0"); // unattended: a hung program is ended
    shown = Shown();
    EXPECT_TRUE(shown["change"].is_null());
    EXPECT_EQ(shown["lastRevert"]["values"], nlohmann::json({"VLANID"}));
    EXPECT_EQ(shown["lastRevert"]["reason"], "not confirmed within 2 minutes after Windows started");

    // Put back by hand at once, and a missing value deleted again.
    ASSERT_EQ(Run({"set", "EnableGVRP=0", "TxBuffer=9", "--confirm-within", "9", "--restart"}),
              kExitOk);
    EXPECT_TRUE(ReadLastRevert(registry) == std::nullopt); // a new change, a new story
    EXPECT_EQ(Run({"revert"}), kExitOk) << err.text;
    EXPECT_NE(out.text.find("TxBuffer: REG_DWORD 9 -> missing"), std::string::npos) << out.text;
    EXPECT_EQ(Key(), five);
    EXPECT_TRUE(services.tasks.empty());

    // A confirm holding the mark as the task at its deadline starts to put back wins: the task
    // waits for the mark, then finds nothing to put back and says so.
    ASSERT_EQ(Run({"set", "VLANID=8", "--confirm-within", "1", "--restart"}), kExitOk);
    const auto eight = Key();
    services.Restart();
    services.sinceStartMs = 120000;
    services.changeMark.heldElsewhere = true;
    bool confirmed = false;
    services.onSleep = [&] {
        if (std::exchange(confirmed, true)) return;
        services.changeMark.heldElsewhere = false;
        EXPECT_EQ(ConfirmChange(registry, services).outcome, ConfirmResult::Confirmed);
    };
    EXPECT_EQ(Run({"revert", "--if-unconfirmed"}), kExitOk) << err.text;
    EXPECT_TRUE(confirmed);
    EXPECT_EQ(Key(), eight);
    EXPECT_EQ(out.text, "The change was confirmed or put back meanwhile.\n");
    EXPECT_FALSE(services.changeMark.held);
    EXPECT_TRUE(registry.unordered.empty()) << registry.unordered.front();
}

// The General page tells the change that waits and keeps it on the administrator's word, then
// tells the one put back; the button is there only while one waits.
TEST_F(PendingChangeTest, TheGeneralPageTellsAChangeAndKeepsIt) {
    MemoryGeneralPage controls;
    GeneralPage page(controls.Controls(), services, registry);
    page.ShowChangeState();
    EXPECT_EQ(controls.lblChange.Text(), "");
    EXPECT_FALSE(controls.cbConfirmChange.Visible());

    ASSERT_EQ(Run(kSet), kExitOk);
    page.ShowChangeState();
    EXPECT_EQ(controls.lblChange.Text(),
              "Waiting for a restart, then for confirmation: Enable GVRP, VLAN ID and Connection "
              "Type.");
    services.Restart();
    page.ShowChangeState();
    EXPECT_EQ(controls.lblChange.Text(),
              "Waiting for confirmation: Enable GVRP, VLAN ID and Connection Type. Unless kept, "
              "put back at 10:06 UTC.");
    EXPECT_TRUE(controls.cbConfirmChange.Visible());
    // No, then Yes.
    services.answers = {MsgBoxResult::No, MsgBoxResult::Yes};
    page.cbConfirmChange_Click();
    EXPECT_TRUE(Recorded());
    page.cbConfirmChange_Click();
    EXPECT_EQ(services.messages.back().text,
              "Keep these settings? The new values of Enable GVRP, VLAN ID and Connection Type "
              "stay and are not put back.");
    EXPECT_FALSE(Recorded());
    EXPECT_TRUE(services.tasks.empty());
    EXPECT_EQ(controls.lblChange.Text(), "");
    EXPECT_FALSE(controls.cbConfirmChange.Visible());

    // Put back: when and which, more than three counted.
    ASSERT_EQ(Run({"set", "VLANID=3", "TxBuffer=1", "RxBuffer=2", "EnableTagging=0",
                   "--confirm-within", "1", "--restart"}),
              kExitOk);
    EXPECT_EQ(StartWindowsAndRunTheTask(), kExitOk);
    page.ShowChangeState();
    EXPECT_EQ(controls.lblChange.Text(),
              "Put back on 2024-05-01 at 10:03 UTC: Enable Virtual LAN, VLAN ID, Receive Buffers "
              "and 1 more.");
    EXPECT_FALSE(controls.cbConfirmChange.Visible());
}

// What stands in the way, and the statuses: a change not completed can't be kept; without an
// administrator, or with the task refused, nothing is left behind.
TEST_F(PendingChangeTest, WhatCantBeDoneLeavesNothingBehind) {
    const auto before = Key();
    elevated = false;
    EXPECT_EQ(Run(kSet), kExitWriteRefused);
    elevated = true;
    services.taskSchedulerWorks = false;
    EXPECT_EQ(Run(kSet), kExitWriteRefused);
    EXPECT_NE(err.text.find("could not be registered"), std::string::npos);
    services.taskSchedulerWorks = true;
    registry.refuse = {"ConnectionType"}; // the values' write fails midway: the record goes too
    EXPECT_EQ(Run(kSet), kExitWriteRefused);
    registry.refuse.clear();
    EXPECT_EQ(Key(), before);
    EXPECT_FALSE(Recorded());
    EXPECT_TRUE(services.tasks.empty());

    // A record cut short by a crash after its state: prepared. It can't be kept; revert ends it.
    ASSERT_EQ(Run(kSet), kExitOk);
    ASSERT_EQ(SetChangeState(registry, ChangeState::Prepared), kErrorSuccess);
    EXPECT_EQ(Run({"confirm"}), kExitChangePending);
    EXPECT_EQ(Run({"set", "--confirm", "RxBuffer=1"}), kExitChangePending);
    EXPECT_NE(err.text.find("TalvexCtl revert finishes"), std::string::npos) << err.text;
    EXPECT_EQ(Run({"revert", "--json"}), kExitOk);
    EXPECT_EQ(nlohmann::json::parse(out.text)["restartNeeded"], true);
    EXPECT_EQ(Key(), before);
    EXPECT_TRUE(registry.unordered.empty()) << registry.unordered.front();

    // Times as the record keeps them, and nothing else.
    EXPECT_EQ(ParseUtcText("2024-02-29T23:59:59Z"), 1709251199);
    for (const char* bad : {"2023-02-29T00:00:00Z", "2024-05-01 10:00:00Z", "2024-05-01T24:00:00Z"})
        EXPECT_EQ(ParseUtcText(bad), std::nullopt) << bad;
}

} // namespace
} // namespace talvex::ctl
