#include "hardware/driver_agent.h"
#include "hardware/registers.h"
#include "hardware/srom_image.h"
#include "simulator/driver_agent_sim.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

using namespace talvex;

namespace {

TEST(SimulatedSrom, HoldsALocallyAdministeredUnicastAddressAndItsCrc) {
    const sim::SromWords words = sim::DefaultSrom();
    std::vector<uint8_t> bytes;
    for (uint16_t w : words)
        bytes.insert(bytes.end(), {uint8_t(w), uint8_t(w >> 8)});
    EXPECT_TRUE(std::equal(sim::kDefaultMac.begin(), sim::kDefaultMac.end(), bytes.begin() + 32));
    EXPECT_EQ(bytes[32] & 0x03, 0x02); // locally administered, not group
    const uint32_t stored =
        bytes[252] | bytes[253] << 8 | bytes[254] << 16 | uint32_t(bytes[255]) << 24;
    EXPECT_EQ(stored, ::crc32(::crc32(0, nullptr, 0), bytes.data(), 252));
}

TEST(SimulatorSettings, FaultListIgnoresBlanksAndReportsUnknownWords) {
    std::vector<std::string> unknown;
    const unsigned faults = sim::ParseFaults(" srom-crc ,link-down,, bogus,NO-DEVICE",
                                             [&](std::string_view w) { unknown.emplace_back(w); });
    EXPECT_EQ(faults, sim::kSromCrc | sim::kLinkDown);
    EXPECT_EQ(unknown, (std::vector<std::string>{"bogus", "NO-DEVICE"}));
    EXPECT_EQ(sim::ParseFaults(""), 0u);
}

TEST(SimulatorSettings, EepromBusyIsPollsOrMicroseconds) {
    EXPECT_EQ(sim::ParseEepromTiming("3polls")->busyPolls, 3u);
    EXPECT_EQ(sim::ParseEepromTiming(" 40us ")->busyTime, std::chrono::microseconds(40));
    for (const char* bad : {"", "fast", "us", "-1us", "40ms", "3 polls"})
        EXPECT_FALSE(sim::ParseEepromTiming(bad)) << bad;
}

TEST(SimulatedEeprom, BusyBitLastsTheConfiguredTime) {
    sim::Adapter adapter(0, {0, std::chrono::microseconds(3000)});
    int32_t status = 0;
    adapter.Write(kEepromControlRegister, 2, 0x0210, status);
    EXPECT_EQ(adapter.Read(kEepromControlRegister, 2, status), 0x8210u);
    EXPECT_EQ(adapter.Read(kEepromDataRegister, 2, status), 0u); // not there yet
    std::this_thread::sleep_for(std::chrono::milliseconds(4));
    EXPECT_EQ(adapter.Read(kEepromControlRegister, 2, status), 0x0210u);
    EXPECT_EQ(adapter.Read(kEepromDataRegister, 2, status), adapter.Srom()[0x10]);
}

// The exported functions, as the program's table calls them, with faults from the environment.
class SimulatorLibrary : public ::testing::Test {
  protected:
    void SetUp() override {
        SetDriverAgent(&sim::SimulatorApi());
        setenv(sim::kEepromBusyVariable, "0us", 1); // no real sleeps for good words
    }
    void TearDown() override {
        CloseAdapterAccess();
        hIoRange = hDevice = 0;
        unsetenv(sim::kFaultsVariable);
        unsetenv(sim::kEepromBusyVariable);
        SetDriverAgent(nullptr);
    }
    void Open(const char* faults) {
        hIoRange = hDevice = 0;
        setenv(sim::kFaultsVariable, faults, 1);
        ASSERT_EQ(OpenAdapterAccess("any", 9, 0x1234), AdapterAccess::Open) << faults;
    }
};

TEST_F(SimulatorLibrary, EachFaultFailsItsTestAndOnlyItsTest) {
    struct Case {
        const char* fault;
        bool reg, srom, link;
    };
    for (const Case& c : {Case{"", true, true, true},
                          {"srom-crc", true, false, true},
                          {"srom-erased", true, false, true},
                          {"eeprom-busy", true, false, true},
                          {"link-down", true, true, false},
                          {"stuck-register", false, true, true}}) {
        Open(c.fault);
        EXPECT_EQ(TestRegisterAccess(), c.reg) << c.fault;
        EXPECT_EQ(TestSrom(), c.srom) << c.fault;
        EXPECT_EQ(GetLinkStatus(), c.link) << c.fault;
    }
}

TEST_F(SimulatorLibrary, UnknownFaultWordsAreReportedAndIgnored) {
    testing::internal::CaptureStderr();
    Open("no-such-fault,link-down");
    EXPECT_NE(testing::internal::GetCapturedStderr().find("no-such-fault"), std::string::npos);
    EXPECT_FALSE(GetLinkStatus());
}

TEST_F(SimulatorLibrary, RecordsSuspendAndResume) {
    Open("");
    SuspendAdapter();
    ResumeAdapter();
    EXPECT_EQ(sim::CurrentAdapter()->ControlWrites(),
              (std::vector<uint32_t>{0x10000000, 0x02000000, 0x08000000, 0x01000000}));
}

TEST_F(SimulatorLibrary, StaleAndZeroHandlesDoNothing) {
    Open("");
    const uint32_t oldRange = hIoRange;
    CloseAdapterAccess();
    int32_t status = 0;
    EXPECT_EQ(IoReadWord(oldRange, kTestRegister, &status), 0);
    EXPECT_EQ(status, sim::kStatusBadHandle);
    DaCloseIoRange(0);
    DaCloseDevice(0);
    Open("");
    EXPECT_NE(hIoRange, oldRange); // handles are never reused
    EXPECT_EQ(IoReadWord(oldRange, kTestRegister, &status), 0);
    EXPECT_EQ(DaOpenIoRangeA(hDevice, "Other Registers", 0, &status), 0u);
    EXPECT_EQ(IoReadWord(hIoRange, kTestRegister, &status), sim::Adapter::kTestRegisterAtPowerOn);
    EXPECT_EQ(status, sim::kStatusOk);
}

} // namespace
