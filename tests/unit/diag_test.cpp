// The Diagnostic page and its runner on in-memory controls, against the simulated adapter behind a
// recording bus; the runner's sleeps and pump steps go to the in-memory services.
#include "diag/diag_page.h"
#include "diag/runner.h"
#include "hardware/registers.h"
#include "hardware/srom_image.h"
#include "platform/memory/memory_registry.h"
#include "platform/memory/memory_services.h"
#include "simulator/driver_agent_sim.h"
#include "tests/doubles/memory_diag_page.h"
#include "tests/unit/diag_page_parts.h"
#include "tests/unit/hardware_doubles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <stdexcept>

namespace talvex {
namespace {

using test::BusCall;
using test::RecordingBus;

constexpr char kParameters[] = R"(SYSTEM\CurrentControlSet\Services\TVR8Q1\Parameters)";

class DiagTest : public testing::Test, protected test::DiagPageParts {
  protected:
    DiagTest() {
        SetBaseAddress(0xE000);
        bStopDiagTest = false;
    }
    ~DiagTest() override { ResetAdapterAccess(); }

    void SetBaseAddress(std::uint32_t base) {
        registry.Seed(kHKeyLocalMachine, kParameters, "BaseAddress", kRegDword,
                      {std::uint8_t(base), std::uint8_t(base >> 8), std::uint8_t(base >> 16),
                       std::uint8_t(base >> 24)});
    }

    // Start Test, answered as given.
    void Start(MsgBoxResult answer = MsgBoxResult::Yes) {
        services.answers.push_back(answer);
        page.cbStartBasicDiagTest_Click();
    }

    // "Status|Result" of an item; "" for an item without sub-items.
    std::string Columns(int item) const {
        const MemoryListView& list = ui.lvwBasicDiag;
        if (list.SubItemCount(item) == 0) return "";
        std::string columns = list.SubItem(item, 1);
        for (int s = 2; s <= list.SubItemCount(item); ++s)
            columns += "|" + list.SubItem(item, s);
        return columns;
    }
    std::vector<std::string> AllColumns() const { return {Columns(1), Columns(2), Columns(3)}; }

    // The dword writes to the adapter control register, in order.
    std::vector<uint32_t> ControlWrites() const {
        std::vector<uint32_t> writes;
        for (const BusCall& c : bus.Registers())
            if (c.op == "W32" && c.offset == 0x50) writes.push_back(c.value);
        return writes;
    }
    int Reads(const char* op, uint32_t offset) const {
        const auto calls = bus.Registers();
        return int(std::count_if(calls.begin(), calls.end(), [&](const BusCall& c) {
            return c.op == op && c.offset == offset;
        }));
    }
    // Uncheck items as a user would during a run: each change runs the item check handler.
    void SetChecked(int item, bool checked) {
        ui.lvwBasicDiag.SetChecked(item, checked);
        page.lvwBasicDiag_ItemCheck();
    }

    RecordingBus bus;
    const std::vector<uint32_t> kSuspendResume = {0x10000000, 0x02000000, 0x08000000, 0x01000000};
};

TEST_F(DiagTest, OneCyclePassesEverythingBetweenOneSuspendAndOneResume) {
    // Left over from an earlier run: emptied before the first test, with Stop Test in front.
    ui.lvwBasicDiag.AddSubItem(3, "");
    ui.lvwBasicDiag.AddSubItem(3, "Fail");
    services.onDoEvents = [&](int step) {
        if (step != 1) return;
        EXPECT_EQ(AllColumns(), (std::vector<std::string>{"", "", ""}));
        EXPECT_TRUE(ui.cbStopBasicDiagTest.InFront());
    };
    Start();
    ASSERT_EQ(services.messages.size(), 1u);
    EXPECT_EQ(services.messages[0].text, kDiagWarning);
    EXPECT_EQ(services.messages[0].title, "Talvex Adapter Configuration");
    EXPECT_EQ(services.messages[0].style, MsgBoxStyle::ExclamationYesNo);

    EXPECT_EQ(AllColumns(), (std::vector<std::string>{"|Pass", "|Pass", "|Pass"}));
    EXPECT_EQ(ui.txtCurrentTestCount.Text(), "1");
    EXPECT_EQ(ui.txtNAinSROM.Text(), "02 1B 0A C8 5E 01 ");
    EXPECT_EQ(ControlWrites(), kSuspendResume);
    EXPECT_TRUE(ui.cbStartBasicDiagTest.InFront());
    // Three pump steps, a wait after each test and after each pass, and one at the end.
    EXPECT_EQ(std::count(services.diagLog.begin(), services.diagLog.end(), "DoEvents"), 3);
    EXPECT_EQ(std::count(services.diagLog.begin(), services.diagLog.end(), "Sleep 400"), 7);
    EXPECT_EQ(services.diagLog.back(), "Sleep 400");
    // The info tips say what was seen.
    EXPECT_EQ(ui.lvwBasicDiag.InfoTip(1), "Wrote 55AA to the test register and read 55AA back.");
    EXPECT_NE(ui.lvwBasicDiag.InfoTip(2).find("matches"), std::string::npos);
    EXPECT_EQ(ui.lvwBasicDiag.InfoTip(3), "Cable status 85: bit 7 is set, the link is up.");
}

TEST_F(DiagTest, RegisterFailureInCycleOneEndsTheRunButStillResumes) {
    int testReads = 0;
    bus.readOverride = [&](const BusCall& c) -> std::optional<uint32_t> {
        if (c.op == "R16" && c.offset == 0x40 && ++testReads == 2) return 0xFFFE;
        return std::nullopt;
    };
    ui.txtTotalTestCount.SetText("3");
    Start();
    EXPECT_EQ(AllColumns(), (std::vector<std::string>{"|Fail", "", ""}));
    EXPECT_EQ(Reads("R16", 0x36) + Reads("R8", 0x5E), 0); // no SROM, no cable test
    EXPECT_EQ(ControlWrites(), kSuspendResume);
    EXPECT_EQ(ui.txtCurrentTestCount.Text(), "1");
    EXPECT_EQ(ui.lvwBasicDiag.InfoTip(1),
              "Wrote 55AA to the test register but read FFFE back (bits AA54 differ).");
    EXPECT_TRUE(ui.cbStartBasicDiagTest.InFront());
}

TEST_F(DiagTest, CableFailureInCycleTwoOfFiveStopsThereWithTheEarlierPasses) {
    int cableReads = 0;
    bus.readOverride = [&](const BusCall& c) -> std::optional<uint32_t> {
        if (c.op == "R8" && c.offset == 0x5E) return ++cableReads == 1 ? 0x80 : 0x7F;
        return std::nullopt;
    };
    ui.txtTotalTestCount.SetText("5");
    Start();
    EXPECT_EQ(AllColumns(), (std::vector<std::string>{"|Pass", "|Pass", "|Fail"}));
    EXPECT_EQ(ui.txtCurrentTestCount.Text(), "2");
    EXPECT_EQ(cableReads, 2);
    EXPECT_EQ(ControlWrites(), kSuspendResume);
    EXPECT_NE(ui.lvwBasicDiag.InfoTip(3).find("7F: bit 7 is clear"), std::string::npos);
}

// Pump steps: 1, 2, 3 in cycle 1; 4 (the stop check), 5 (after item 1), 6 in cycle 2.
TEST_F(DiagTest, StopDuringCycleTwoFinishesThatCycleOnlyAndTwiceIsLikeOnce) {
    ui.txtTotalTestCount.SetText("10");
    services.onDoEvents = [&](int step) {
        if (step != 5) return;
        page.cbStopBasicDiagTest_Click();
        page.cbStopBasicDiagTest_Click();
    };
    Start();
    EXPECT_EQ(AllColumns(), (std::vector<std::string>{"|Pass", "|Pass", "|Pass"}));
    EXPECT_EQ(ui.txtCurrentTestCount.Text(), "2");
    EXPECT_EQ(Reads("R8", 0x5E), 2);
    EXPECT_EQ(services.pumpSteps, 7); // the stop is seen at the start of cycle 3
    EXPECT_EQ(ControlWrites(), kSuspendResume);
    EXPECT_TRUE(bStopDiagTest);

    // The next confirmed start clears the request and runs normally.
    services.onDoEvents = nullptr;
    ui.txtTotalTestCount.SetText("1");
    Start();
    EXPECT_FALSE(bStopDiagTest);
    EXPECT_EQ(Reads("R8", 0x5E), 3);
}

TEST_F(DiagTest, UncheckingEveryItemMidRunTestsNothingMoreAndLeavesStartDisabled) {
    ui.txtTotalTestCount.SetText("3");
    services.onDoEvents = [&](int step) {
        if (step != 2) return;
        for (int i = 1; i <= 3; ++i)
            SetChecked(i, false);
        EXPECT_FALSE(ui.cbStartBasicDiagTest.Enabled());
    };
    Start();
    EXPECT_EQ(AllColumns(), (std::vector<std::string>{"|Pass", "", ""}));
    EXPECT_EQ(ui.txtCurrentTestCount.Text(), "3"); // the cycles went on, testing nothing
    EXPECT_TRUE(ui.cbStartBasicDiagTest.InFront());
    EXPECT_FALSE(ui.cbStartBasicDiagTest.Enabled());
    for (int i = 1; i <= 3; ++i) { // any one item checked, the last as well as the first
        SetChecked(i, true);
        EXPECT_TRUE(ui.cbStartBasicDiagTest.Enabled()) << i;
        SetChecked(i, false);
        EXPECT_FALSE(ui.cbStartBasicDiagTest.Enabled()) << i;
    }
}

TEST_F(DiagTest, NoItemCheckedStillCountsCyclesAndSuspendsAndResumesOnce) {
    for (int i = 1; i <= 3; ++i)
        ui.lvwBasicDiag.SetChecked(i, false);
    ui.txtTotalTestCount.SetText("4");
    EXPECT_TRUE(RunBasicDiagTest(ui.Controls(), services));
    EXPECT_EQ(ui.txtCurrentTestCount.Text(), "4");
    EXPECT_EQ(bus.Registers().size(), 4u);
    EXPECT_EQ(ControlWrites(), kSuspendResume);
    // A count below 1 runs no cycle at all, and is still one suspend and one resume.
    ui.txtTotalTestCount.SetText("0");
    ui.txtCurrentTestCount.SetText("");
    EXPECT_TRUE(RunBasicDiagTest(ui.Controls(), services));
    EXPECT_EQ(ui.txtCurrentTestCount.Text(), "");
    EXPECT_EQ(bus.Registers().size(), 8u);
}

TEST_F(DiagTest, CountChangedDuringARunAppliesToTheNextRunOnly) {
    ui.txtTotalTestCount.SetText("2");
    ui.UpDown1.SetValue(2);
    services.onDoEvents = [&](int step) {
        if (step != 1) return;
        ui.UpDown1.Click(+1);
        page.UpDown1_Change();
    };
    Start();
    EXPECT_EQ(ui.txtTotalTestCount.Text(), "3");
    EXPECT_EQ(ui.txtCurrentTestCount.Text(), "2");
    services.onDoEvents = nullptr;
    Start();
    EXPECT_EQ(ui.txtCurrentTestCount.Text(), "3");
    // The spin control keeps the count within 1 to 50.
    for (int i = 0; i < 60; ++i)
        ui.UpDown1.Click(+1), page.UpDown1_Change();
    EXPECT_EQ(ui.txtTotalTestCount.Text(), "50");
    for (int i = 0; i < 60; ++i)
        ui.UpDown1.Click(-1), page.UpDown1_Change();
    EXPECT_EQ(ui.txtTotalTestCount.Text(), "1");
}

TEST_F(DiagTest, AddressIsShownOnlyAfterAPassedSromTestAndKeptWhenItIsNotTested) {
    Start();
    const std::string address = "02 1B 0A C8 5E 01 ";
    EXPECT_EQ(ui.txtNAinSROM.Text(), address);
    SetChecked(2, false);
    Start();
    EXPECT_EQ(ui.txtNAinSROM.Text(), address);
    EXPECT_EQ(Columns(2), "");
    SetChecked(2, true);
    bus.adapter.Srom().fill(0xFFFF); // erased
    Start();
    EXPECT_EQ(ui.txtNAinSROM.Text(), "");
    EXPECT_EQ(AllColumns(), (std::vector<std::string>{"|Pass", "|Fail", ""}));
    EXPECT_EQ(ui.lvwBasicDiag.InfoTip(2), "Stored CRC-32 FFFFFFFF, computed A7340E2F. The SROM is "
                                          "erased: every byte reads FF.");
}

TEST_F(DiagTest, SromTipsNameTheLikelyCause) {
    auto sromTip = [&] {
        Start();
        EXPECT_EQ(Columns(2), "|Fail");
        return ui.lvwBasicDiag.InfoTip(2);
    };
    const sim::SromWords good = bus.adapter.Srom();
    bus.adapter.Srom().fill(0);
    EXPECT_EQ(sromTip(), "Stored CRC-32 00000000, computed A66359F1. The SROM reads all zero.");

    bus.adapter.Srom() = good;
    std::swap(bus.adapter.Srom()[126], bus.adapter.Srom()[127]);
    auto& crcWords = bus.adapter.Srom();
    crcWords[126] = uint16_t((crcWords[126] >> 8) | (crcWords[126] << 8));
    crcWords[127] = uint16_t((crcWords[127] >> 8) | (crcWords[127] << 8));
    EXPECT_NE(sromTip().find("right value in the wrong byte order"), std::string::npos);

    // Erased but for the last byte the CRC covers (the high byte of word 125): not "erased".
    bus.adapter.Srom().fill(0xFFFF);
    bus.adapter.Srom()[125] = 0x00FF;
    EXPECT_EQ(sromTip().find("erased"), std::string::npos);

    // The EEPROM never ready from the first word on, or only for the last one.
    bus.adapter.Srom() = good;
    for (uint32_t deadWord : {0u, 127u}) {
        bus.readOverride = [&, deadWord](const BusCall& c) -> std::optional<uint32_t> {
            const auto command = std::find_if(bus.calls.rbegin(), bus.calls.rend(), [](auto& w) {
                return w.op == "W16" && w.offset == 0x36;
            });
            if (c.op == "R16" && c.offset == 0x36 && command != bus.calls.rend() &&
                (command->value & 0xFF) == deadWord)
                return 0x8000; // busy for ever
            return std::nullopt;
        };
        EXPECT_NE(sromTip().find("The EEPROM never became ready: word " +
                                 std::to_string(deadWord) + " and the words after it"),
                  std::string::npos);
    }
}

TEST_F(DiagTest, NoToTheWarningChangesNothing) {
    ui.lvwBasicDiag.AddSubItem(1, "");
    ui.lvwBasicDiag.AddSubItem(1, "Pass");
    ui.txtNAinSROM.SetText("02 1B 0A C8 5E 01 ");
    ui.txtCurrentTestCount.SetText("4");
    bStopDiagTest = true;
    Start(MsgBoxResult::No);
    EXPECT_FALSE(bStopDiagTest);
    EXPECT_EQ(AllColumns(), (std::vector<std::string>{"|Pass", "", ""}));
    EXPECT_EQ(ui.txtNAinSROM.Text(), "02 1B 0A C8 5E 01 ");
    EXPECT_EQ(ui.txtCurrentTestCount.Text(), "4");
    EXPECT_TRUE(ui.cbStartBasicDiagTest.InFront());
    EXPECT_EQ(ui.buttons.Changes(), 0);
    EXPECT_EQ(services.libraryLoads, 0);
    EXPECT_TRUE(bus.calls.empty());
}

TEST_F(DiagTest, LibraryFaultMidRunEndsTheRunResumesAndReopensAtTheNextStart) {
    bus.readOverride = [](const BusCall& c) -> std::optional<uint32_t> {
        if (c.op == "R8") throw std::runtime_error("access violation");
        return std::nullopt;
    };
    ui.txtTotalTestCount.SetText("3");
    Start();
    EXPECT_EQ(AllColumns(), (std::vector<std::string>{"|Pass", "|Pass", "|Fail"}));
    EXPECT_EQ(ui.lvwBasicDiag.InfoTip(3), "The hardware-access library failed during this test "
                                          "instead of returning a result.");
    EXPECT_EQ(ui.txtCurrentTestCount.Text(), "1");
    EXPECT_EQ(ControlWrites(), kSuspendResume);
    EXPECT_TRUE(ui.cbStartBasicDiagTest.InFront());
    // What the library handed out is closed and forgotten; the next start opens afresh.
    const auto closes = std::count_if(bus.calls.begin(), bus.calls.end(),
                                      [](const BusCall& c) { return c.op == "CloseLib"; });
    EXPECT_EQ(closes, 1);
    bus.readOverride = nullptr;
    Start();
    EXPECT_EQ(std::count_if(bus.calls.begin(), bus.calls.end(),
                            [](const BusCall& c) { return c.op == "OpenLib"; }),
              2);
    EXPECT_EQ(AllColumns(), (std::vector<std::string>{"|Pass", "|Pass", "|Pass"}));
}

// A program that is ending (its pump says so) leaves before the next item, where Stop Test would
// finish the cycle; the adapter is resumed all the same. Pump steps as above.
TEST_F(DiagTest, StartDuringARunIsRefusedAndQuittingEndsTheRunBeforeTheNextItem) {
    const std::vector<std::string> columns[] = {
        {"", "", ""},         // ending before cycle 1: nothing tested
        {"|Pass", "", ""},    // after the register test
        {"|Pass", "|Pass", ""}, // after the SROM test
    };
    ui.txtTotalTestCount.SetText("5");
    for (int quitAt = 1; quitAt <= 3; ++quitAt) {
        bus.calls.clear();
        services.messages.clear();
        services.pumpSteps = 0;
        services.quitRequested = false;
        services.onDoEvents = [&](int step) {
            if (step == 1) page.cbStartBasicDiagTest_Click(); // the covered button, by keyboard
            if (step == quitAt) services.quitRequested = true;
        };
        Start();
        EXPECT_EQ(services.messages.size(), 1u) << quitAt; // the warning only
        EXPECT_EQ(AllColumns(), columns[quitAt - 1]) << quitAt;
        EXPECT_EQ(services.pumpSteps, quitAt);
        EXPECT_EQ(ControlWrites(), kSuspendResume) << quitAt;
        EXPECT_TRUE(ui.cbStartBasicDiagTest.InFront());
    }
}

// Opening the hardware: the library, the I/O base and the two opens, with their messages.
class DiagOpenTest : public DiagTest {
  protected:
    DiagOpenTest() {
        SetDriverAgent(nullptr);
        // The fake clock moves only when the code sleeps: the EEPROM must finish by polls.
        setenv(sim::kEepromBusyVariable, "1polls", 1);
    }
    ~DiagOpenTest() override {
        unsetenv(sim::kFaultsVariable);
        unsetenv(sim::kEepromBusyVariable);
    }
    void StartWithFaults(const char* faults) {
        setenv(sim::kFaultsVariable, faults, 1);
        services.messages.clear();
        Start();
    }
    std::string Message() const {
        // The warning comes first.
        return services.messages.size() == 2 ? services.messages[1].text : "";
    }
};

TEST_F(DiagOpenTest, FailuresSayWhyStartNoRunAndARetryStartsClean) {
    StartWithFaults(""); // no library to load
    EXPECT_EQ(Message(), kDriverAgentNotLoaded);
    EXPECT_EQ(services.messages[1].style, MsgBoxStyle::CriticalOk);
    EXPECT_EQ(AllColumns(), (std::vector<std::string>{"", "", ""}));

    services.driverAgent = &sim::SimulatorApi();
    for (const char* fault : {"no-device", "no-io-range"}) {
        StartWithFaults(fault);
        EXPECT_EQ(Message(), kDiagComponentFailed) << fault;
        EXPECT_EQ(hIoRange, 0u);
        EXPECT_EQ(hDevice, 0u);
        EXPECT_EQ(ui.txtCurrentTestCount.Text(), "");
        EXPECT_EQ(ui.buttons.Changes(), 0);
    }
    // An I/O base is a REG_DWORD other than 0: text and binary bytes that read as a number by
    // their first bytes open no range and touch no port.
    const std::vector<std::pair<std::uint32_t, std::vector<std::uint8_t>>> notABase = {
        {kRegDword, {0, 0, 0, 0}},         {kRegSz, {'3', '0', '0', 0}},
        {kRegSz, {'E', '0', '0', '0', 0}}, {kRegBinary, {0x00, 0xE0, 0x00, 0x00}},
        {kRegDword, {0x00, 0xE0}},
    };
    for (const auto& [type, bytes] : notABase) {
        registry.Seed(kHKeyLocalMachine, kParameters, "BaseAddress", type, bytes);
        ResetAdapterAccess();
        StartWithFaults("");
        EXPECT_EQ(Message(), kDiagComponentFailed) << type;
        EXPECT_EQ(hIoRange, 0u) << type;
        EXPECT_EQ(AllColumns(), (std::vector<std::string>{"", "", ""})) << type;
    }

    // While another program runs the tests, Start Test says so after the warning and asks
    // nothing of the library.
    SetBaseAddress(0xE000);
    services.hardwareMark.heldElsewhere = true;
    const int loads = services.libraryLoads;
    StartWithFaults("");
    EXPECT_EQ(Message(), kHardwareBusy);
    EXPECT_EQ(services.libraryLoads, loads);
    services.hardwareMark.heldElsewhere = false;

    SetBaseAddress(0xE000);
    StartWithFaults("");
    EXPECT_EQ(Message(), "");
    EXPECT_EQ(AllColumns(), (std::vector<std::string>{"|Pass", "|Pass", "|Pass"}));
    EXPECT_EQ(sim::CurrentAdapter()->ControlWrites(), kSuspendResume);
    // The mark was held for the run and given back.
    EXPECT_FALSE(services.hardwareMark.held);
    EXPECT_GE(services.hardwareMark.taken, 1);

    // The simulator's own library fault, natively a C++ exception: caught, the run ended there.
    ResetAdapterAccess();
    StartWithFaults("library-fault");
    EXPECT_EQ(AllColumns(), (std::vector<std::string>{"|Pass", "|Pass", "|Fail"}));
    EXPECT_EQ(services.hardwareFaults, 1);
}

TEST(DiagText, AddressAndCycleCount) {
    EXPECT_EQ(AddressText({0x00, 0x80, 0xC8, 0x0A, 0x1B, 0xFF}), "00 80 C8 0A 1B FF ");
    EXPECT_EQ(CycleCount("50"), 50);
    EXPECT_EQ(CycleCount(" 7x"), 7);
    EXPECT_EQ(CycleCount(""), 0);
    EXPECT_EQ(CycleCount("-3"), 0);
    EXPECT_EQ(CycleCount("09:"), 9); // the characters beside the digits end the count
    EXPECT_EQ(CycleCount("1/"), 1);
    EXPECT_EQ(CycleCount("99999999999999999999"), 1000000);
}

} // namespace
} // namespace talvex
